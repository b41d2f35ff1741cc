#pragma once
// OManualIntegration: the operations a user performs on a trace's peak list
// by hand - draw a baseline to add a peak or to replace the peaks under it,
// split a peak with a perpendicular, delete a peak. Each works on a list in
// time order whose peaks do not overlap, keeps it so, marks what it made as
// manual, measures the peaks it changed with the trace's integrator and
// brings every area percent up to date. On refusal (result 0, with the
// reason in message) the list is unchanged.

#include "Peak.h"
#include "PeakIntegrator.h"

#include <string>
#include <vector>

class OManualIntegration {
public:
    // One end of a drawn baseline: a time (seconds) and the value there.
    struct Point {
        double time = 0.0;
        double value = 0.0;
    };

    // A new peak over the baseline from a to b (in either order), integrated
    // from one's time to the other's. Refused when the two times are equal,
    // the span lies outside the trace, or it overlaps a peak of the list.
    static int AddPeak(std::vector<OPeak>& peaks, const OPeakIntegrator& trace, Point a, Point b,
                       std::string& message);
    // The same, after removing every peak that overlaps the span.
    static int ReplacePeaks(std::vector<OPeak>& peaks, const OPeakIntegrator& trace, Point a,
                            Point b, std::string& message);
    // The peak that spans time (strictly inside its bounds) becomes two,
    // cut by a perpendicular at time onto its baseline.
    static int SplitPeak(std::vector<OPeak>& peaks, const OPeakIntegrator& trace, double time,
                         std::string& message);
    // Removes peak index (0-based) of the list.
    static int DeletePeak(std::vector<OPeak>& peaks, int index, std::string& message);

    // The index of the peak whose bounds hold time, -1 when none does.
    static int PeakAt(const std::vector<OPeak>& peaks, double time);
};
