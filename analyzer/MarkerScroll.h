#pragma once
// Keeping the chromatogram's marker in sight: when the current pulse's time
// leaves the visible x range, the range moves (keeping its span) so that the
// marker sits a tenth of the span inside the edge it crossed - stepping on
// shows what comes next rather than jumping the marker to the middle.

class OMarkerScroll {
public:
    static constexpr double kMargin = 0.1;

    // 1 with the new range in min and max when t lies outside [min, max]; 0
    // when it is visible already (nothing changes).
    static int Follow(double t, double& min, double& max);
};
