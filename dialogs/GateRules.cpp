#include "GateRules.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int CheckWindow(const char* name, double start, double stop, std::string& message)
{
    const auto inside = [](double t) { return t >= 0.0 && t <= CGateRules::kPulseEndMs; };
    if (!inside(start) || !inside(stop)) {
        message = std::string("Window ") + name +
                  " lies outside the pulse: its start and stop must be between 0 and 24.9 ms.";
        return 0;
    }
    if (stop < start) {
        message = std::string("Window ") + name +
                  " stops before it starts: the stop must not be before the start.";
        return 0;
    }
    return 1;
}

} // namespace

std::string CGateRules::RowText(const CGateParameter& gate)
{
    char text[256];
    std::snprintf(text, sizeof text, "%4s\t%6.1f\t%6.1f\t%3s\t%4.3f\t%4.1f\t%2.1f\t%s",
                  gate.GetModeText().c_str(), gate.GetStartA(), gate.GetStopA(),
                  gate.GetOperatorText().c_str(), gate.GetAlpha(), gate.GetStartB(),
                  gate.GetStopB(), gate.GetSQRTText().c_str());
    return text;
}

std::vector<int> CGateRules::ListedGates(const CGateParameters& gates)
{
    std::vector<int> listed;
    for (int i = 0; i < CGateParameters::kGates; ++i)
        if (!gates[i].GetModeText().empty())
            listed.push_back(i);
    return listed;
}

std::string CGateRules::FormulaLabel(const std::string& operatorText, const std::string& alphaText)
{
    return "A " + operatorText + " " + alphaText.substr(0, kMaxAlphaLabel) + "B";
}

std::string CGateRules::TimeText(double value)
{
    return Format("%0.1lf", value);
}

std::string CGateRules::AlphaText(double value)
{
    return Format("%0.3lf", value);
}

double CGateRules::ParseNumber(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return 0.0;
    if (text[begin] == '+')
        ++begin;
    double value = 0.0;
    const char* first = text.data() + begin;
    const auto [end, error] =
        std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end == first || !std::isfinite(value))
        return 0.0;
    return value;
}

int CGateRules::CheckWindows(double startA, double stopA, double startB, double stopB,
                             std::string& message)
{
    return CheckWindow("A", startA, stopA, message) && CheckWindow("B", startB, stopB, message);
}
