#pragma once
// Which trace the measurement cursor reads: of the shown traces' points
// nearest the cursor in x, the one nearest the cursor in y. With snap to
// trace on, the readout is that point; with it off, the cursor itself.

#include <vector>

struct OSnapCandidate {
    int slot = 0; // the trace's slot in the plot
    double x = 0.0;
    double y = 0.0;
};

class OTraceSnap {
public:
    // The index into candidates of the point nearest y (the first listed on
    // a tie); -1 when there are none.
    static int Choose(const std::vector<OSnapCandidate>& candidates, double y);
};
