#include "BoardChannelRules.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// The text without surrounding blanks.
std::string Trimmed(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// The whole text must be the number, as the framework's field exchange wants.
template <class T> bool ParseWhole(const std::string& text, T& value)
{
    std::string trimmed = Trimmed(text);
    if (!trimmed.empty() && trimmed.front() == '+')
        trimmed.erase(0, 1);
    if (trimmed.empty())
        return false;
    const auto [end, error] =
        std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    return error == std::errc() && end == trimmed.data() + trimmed.size();
}

} // namespace

int CBoardChannelRules::ParseUnsigned(const std::string& text, unsigned min, unsigned max,
                                      unsigned& value, std::string& message)
{
    long long parsed = 0;
    if (!ParseWhole(text, parsed) || parsed < 0) {
        message = "Please enter a positive integer.";
        return 0;
    }
    if (parsed < min || parsed > max) {
        message = "Please enter an integer between " + std::to_string(min) + " and " +
                  std::to_string(max) + ".";
        return 0;
    }
    value = static_cast<unsigned>(parsed);
    return 1;
}

int CBoardChannelRules::ParseInteger(const std::string& text, int& value, std::string& message)
{
    if (!ParseWhole(text, value)) {
        message = "Please enter an integer.";
        return 0;
    }
    return 1;
}

int CBoardChannelRules::ParseIgnitor(const std::string& text, double& amps, std::string& message)
{
    double parsed = 0.0;
    if (!ParseWhole(text, parsed) || !std::isfinite(parsed)) {
        message = "Please enter a number.";
        return 0;
    }
    if (parsed < 0.0 || parsed > kMaxIgnitorAmps) {
        message = "Please enter a number between 0 and 65.535.";
        return 0;
    }
    amps = parsed;
    return 1;
}

unsigned short CBoardChannelRules::IgnitorToRecord(double amps)
{
    if (!(amps > 0.0))
        return 0;
    const double thousandths = std::floor(amps * 1000.0 + 1e-6);
    // Low 16 bits, as the record keeps them; the field's range keeps this exact.
    return static_cast<unsigned short>(static_cast<unsigned long long>(thousandths) & 0xFFFFu);
}

std::string CBoardChannelRules::IgnitorText(unsigned short stored)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", stored / 1000.0);
    return text;
}

int CBoardChannelRules::MultiplierIndex(int scalar)
{
    for (size_t i = 0; i < kMultipliers.size(); ++i)
        if (kMultipliers[i] == scalar)
            return static_cast<int>(i);
    return -1;
}

std::string CBoardChannelRules::InterpolationText(int interpolation)
{
    return interpolation == 1 ? "Spline" : "Linear";
}

int CBoardChannelRules::InterpolationValue(const std::string& text)
{
    return text == "Spline" ? 1 : 0;
}

CBoardParameters CBoardChannelRules::BoardFromFields(const CBoardParameters& current,
                                                     double ignitorAmps, unsigned pmtVolts,
                                                     unsigned adcTriggerLevel)
{
    CBoardParameters board(current);
    board.SetIgnitor(IgnitorToRecord(ignitorAmps));
    board.SetpmtVolts(static_cast<unsigned short>(pmtVolts & 0xFFFFu));
    board.SetAdcTriggerLevel(adcTriggerLevel);
    return board;
}
