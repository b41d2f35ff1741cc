#pragma once
// The visible ranges of a chart's two axes, in axis units.

struct CAxisRanges {
    double dXMin = 0.0;
    double dXMax = 0.0;
    double dYMin = 0.0;
    double dYMax = 0.0;

    bool operator==(const CAxisRanges& other) const = default;
};
