#include "PeakParameters.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <strings.h>

namespace {

std::string Number(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string WithUnit(const OPeakParameters::Entry& entry, double value)
{
    std::string text = Number(value);
    if (*entry.unit)
        text += std::string(" ") + entry.unit;
    return text;
}

// The value of text as a number: all of it, finite; nothing else.
bool Parse(const std::string& text, double& value)
{
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+')
        ++first;
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last && std::isfinite(value);
}

} // namespace

const std::vector<OPeakParameters::Entry>& OPeakParameters::Table()
{
    using P = OPeakParameters;
    static const std::vector<Entry> table{
        {"threshold", "Threshold factor:", "", Kind::Real, 5.0, 1.0, 1000.0, false,
         "A peak starts where the trace's smoothed slope rises above this many times the "
         "slope's noise, and must fall as steeply after its apex. Larger values find fewer "
         "and larger peaks.",
         &P::threshold, nullptr},
        {"min-width", "Minimum width:", "s", Kind::Real, 0.5, 0.0, 600.0, false,
         "Peaks narrower than this at half height are not reported (a spike from a single "
         "pulse is narrower); on an unresolved group they join their larger neighbour.",
         &P::minimumWidth, nullptr},
        {"smoothing", "Smoothing:", "points", Kind::Whole, 11.0, 3.0, 201.0, true,
         "Points (odd) of the window the slope is fitted over. Wider windows find broad, "
         "low peaks and ignore more noise; narrower ones separate close peaks.",
         nullptr, &P::smoothing},
    };
    return table;
}

OPeakParameters::OPeakParameters()
{
    for (const Entry& entry : Table()) {
        if (entry.kind == Kind::Real)
            this->*entry.real = entry.defaultValue;
        else
            this->*entry.whole = static_cast<int>(entry.defaultValue);
    }
}

const OPeakParameters::Entry* OPeakParameters::Find(const std::string& name)
{
    for (const Entry& entry : Table())
        if (strcasecmp(entry.name, name.c_str()) == 0)
            return &entry;
    return nullptr;
}

double OPeakParameters::Value(const Entry& entry) const
{
    return entry.kind == Kind::Real ? this->*entry.real : static_cast<double>(this->*entry.whole);
}

int OPeakParameters::Set(const std::string& name, const std::string& text, std::string& message)
{
    const Entry* entry = Find(name);
    if (!entry) {
        message = "There is no peak parameter \"" + name + "\".";
        return 0;
    }
    double value = 0.0;
    const bool number = Parse(text, value);
    const bool whole = entry->kind == Kind::Whole;
    const bool fits = number && value >= entry->minimum && value <= entry->maximum &&
                      (!whole || value == std::floor(value)) &&
                      (!entry->odd || std::fmod(value, 2.0) != 0.0);
    if (!fits) {
        message = std::string(entry->name) + " takes " +
                  (whole ? (entry->odd ? "an odd whole number" : "a whole number") : "a number") +
                  " from " + WithUnit(*entry, entry->minimum) + " to " +
                  WithUnit(*entry, entry->maximum) + ", not \"" + text + "\".";
        return 0;
    }
    if (whole)
        this->*entry->whole = static_cast<int>(value);
    else
        this->*entry->real = value;
    return 1;
}

std::string OPeakParameters::Get(const std::string& name) const
{
    const Entry* entry = Find(name);
    return entry ? Number(Value(*entry)) : std::string();
}

int OPeakParameters::Check(std::string& message) const
{
    for (const Entry& entry : Table()) {
        std::string why;
        OPeakParameters probe;
        if (!probe.Set(entry.name, Number(Value(entry)), why)) {
            message = why;
            return 0;
        }
    }
    return 1;
}

std::string OPeakParameters::Summary() const
{
    std::string text;
    for (const Entry& entry : Table())
        text += (text.empty() ? "" : ", ") + std::string(entry.name) + " " +
                WithUnit(entry, Value(entry));
    return text;
}

std::string OPeakParameters::HelpText()
{
    std::string text;
    for (const Entry& entry : Table()) {
        text += std::string("  --") + entry.name + "=" + (entry.kind == Kind::Whole ? "N" : "X") +
                "  " + entry.label + " " + entry.help + " (" + WithUnit(entry, entry.minimum) +
                " to " + WithUnit(entry, entry.maximum) + ", default " +
                WithUnit(entry, entry.defaultValue) + ")\n";
    }
    return text;
}
