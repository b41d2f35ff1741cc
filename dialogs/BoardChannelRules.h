#pragma once
// The board/channel dialog's rules, apart from its widgets: the ranges of
// its fields with the messages a failed check shows, the ignitor current's
// conversion, the multiplier list and the interpolation texts.
//
// The ignitor current is shown in amperes and stored in thousandths in a
// 16-bit field, so the field accepts 0 to 65.535: every value that fits is
// accepted and none that would wrap around is.

#include "BoardParameters.h"
#include "ChannelParameters.h"

#include <array>
#include <string>

class CBoardChannelRules {
public:
    static constexpr unsigned kMaxPmtVolts = 1000;
    static constexpr unsigned kMaxAdcTriggerLevel = 8000000;
    static constexpr double kMaxIgnitorAmps = 65.535;
    // The multiplier list: 1, 2, 4, ... 4096.
    static constexpr std::array<int, 13> kMultipliers{1,   2,   4,   8,    16,   32,  64,
                                                      128, 256, 512, 1024, 2048, 4096};

    // An unsigned whole number within min..max: 1 with value set, else 0
    // with the framework's message ("Please enter an integer between 0 and 1000.").
    static int ParseUnsigned(const std::string& text, unsigned min, unsigned max, unsigned& value,
                             std::string& message);
    // Any whole number of the 32-bit range (the channels' output zero).
    static int ParseInteger(const std::string& text, int& value, std::string& message);
    // The ignitor current in amperes, 0 .. 65.535.
    static int ParseIgnitor(const std::string& text, double& amps, std::string& message);

    // Amperes to the stored thousandths, truncated (2.5 -> 2500). A product
    // that lands a hair below a whole number only through the binary
    // representation of the decimal text (4.35 * 1000 = 4349.999...) counts
    // as that whole number.
    static unsigned short IgnitorToRecord(double amps);
    // The stored thousandths as the field shows them (2500 -> "2.5").
    static std::string IgnitorText(unsigned short stored);

    // The list position of a multiplier, -1 when the list has no such value.
    static int MultiplierIndex(int scalar);
    // 1 "Spline", anything else "Linear"; and back (any text but "Spline" is 0).
    static std::string InterpolationText(int interpolation);
    static int InterpolationValue(const std::string& text);

    // The board record an Apply sends: the fields, with the trigger level kept.
    static CBoardParameters BoardFromFields(const CBoardParameters& current, double ignitorAmps,
                                            unsigned pmtVolts, unsigned adcTriggerLevel);
};
