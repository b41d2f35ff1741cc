#pragma once
// OPulseShape: a pulse as the pulse view draws it - time in milliseconds
// (10 samples per millisecond) against the samples as unsigned counts - and
// the trigger crossing its gate spans are shifted by.

#include "PulseData.h"

#include <vector>

struct OPulseShape {
    std::vector<double> x; // 0.0, 0.1, 0.2 ... ms
    std::vector<double> y; // counts

    static OPulseShape FromPulse(const CPulseData& pulse);

    // Where the pulse crosses level L: at sample 0 when the first sample is
    // already above L (x(0)), else the first i with y(i) < L <= y(i + 1),
    // interpolated: x(i) + ((L - y(i)) / (y(i + 1) - y(i))) / 10 (x(i) when
    // y(i) = y(i + 1), and x(0) for i = 0). -1.0 when it never crosses.
    double TriggerTime(double level) const;
};
