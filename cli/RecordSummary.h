#pragma once
// What `tarvolin record` says about a recording when it ends: how many
// pulses, over which run time and pulse indexes, and why pulses are missing
// (the link's pace, refused replies, a board that started its pulse index
// again) or, when none was recorded, why not.

#include <cstdint>
#include <string>

struct CRecordTally {
    int32_t pulses = 0; // written
    long firstIndex = 0, lastIndex = 0;
    long firstTime = 0, lastTime = 0; // hundredths of a second
    int64_t skipped = 0;              // board indexes passed over between pulses written
    int64_t repeats = 0;              // pulses fetched again and not written twice
    int64_t restarts = 0;             // times the board started its index again
    int64_t announced = 0;            // poll cycles whose status announced a pulse
    int64_t refused = 0;              // of those, pulse requests that brought no pulse
    double seconds = 0;               // how long the recording ran
    int baud = 0;
};

class CRecordSummary {
public:
    // "Run time 1.00 s to 9.50 s; pulse index 7 to 66", then one line per
    // reason pulses are missing or were not written. Empty without pulses.
    static std::string Lines(const CRecordTally& tally);
    // Why nothing was recorded.
    static std::string NoPulsesReason(const CRecordTally& tally);
};
