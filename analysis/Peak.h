#pragma once
// OPeak: one integrated peak of a chromatogram trace. Plain values that the
// peak table, the views, the CSV and AIA writers and the command line only
// read; detection and the manual operations produce them.
//
// Times are seconds on the chromatogram's axis; heights are in the trace's
// own units and areas in those units times seconds. The baseline is the
// straight line through its two points: for a peak alone its start and end,
// for peaks that share a baseline (unresolved, with perpendiculars dropped
// between them) the ends of the shared line.

struct OPeak {
    double retentionTime = 0.0; // apex, refined by a parabola through the three highest points
    double height = 0.0;        // above the baseline at the apex
    double area = 0.0;          // above the baseline, trapezoid rule on the trace's points
    double areaPercent = 0.0;   // of the sum of the areas of the peak list
    double startTime = 0.0;     // integration bounds
    double endTime = 0.0;
    double baselineStartTime = 0.0;
    double baselineStartValue = 0.0;
    double baselineEndTime = 0.0;
    double baselineEndValue = 0.0;
    double width = 0.0;              // at half height
    double signalToNoise = 0.0;      // height over the trace's RMS noise
    bool manual = false;             // drawn, split or replaced by hand
    bool perpendicularStart = false; // the start is a perpendicular dropped onto a shared baseline
    bool perpendicularEnd = false;

    // The baseline's value at time t (the line through its two points).
    double BaselineAt(double t) const
    {
        const double span = baselineEndTime - baselineStartTime;
        if (span == 0.0)
            return baselineStartValue;
        return baselineStartValue +
               (baselineEndValue - baselineStartValue) * (t - baselineStartTime) / span;
    }

    bool operator==(const OPeak& other) const = default;
};
