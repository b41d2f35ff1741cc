#pragma once
// OTimeAxis: the time of every pulse of a recording, in hundredths of a second.
//
// Each pulse carries the board's own time stamp (the pulse time field), and
// those stamps are the chromatogram's time axis. A board stamps nothing
// outside a GC run, so a recording made without the remote start carries
// times that do not rise (all 0, or 0 until the run began). Only then is a
// rising axis rebuilt from the pulses' frequency field (pulses per second,
// measured by the link between two pulses): the first pulse at 0, each later
// one (its index step) / (its frequency) after the one before, at least one
// hundredth later. A frequency that is missing or not believable (not above
// 0, above 100 pulses per second) is replaced by the nearest believable one;
// with none at all one pulse per second is assumed. Either way the caller
// gets a note for the status bar.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class OTimeAxis {
public:
    static constexpr double kMaxFrequency = 100.0;
    static constexpr const char* kRebuiltNote =
        "The pulse times of this recording do not rise (it was not started by the GC remote "
        "start); the time axis was rebuilt from the pulse frequency and will not match the GC "
        "data handling system exactly.";
    static constexpr const char* kAssumedNote =
        "The pulse times of this recording do not rise and it holds no pulse frequency; the "
        "time axis assumes one pulse per second.";

    // True when every pulse's time is above the one before it.
    static bool Rises(std::span<const int32_t> times);

    // times (hundredths) made rising: left as they are when they rise (the
    // note is then empty), else rebuilt from the indexes and frequencies of
    // the same pulses.
    static void Settle(std::vector<int32_t>& times, std::span<const int32_t> indexes,
                       std::span<const double> frequencies, std::string& note);
};
