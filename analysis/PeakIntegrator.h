#pragma once
// OPeakIntegrator: measures peaks on one chromatogram trace - the values a
// peak table shows, from nothing but the peak's bounds and its baseline, so
// that detection and every manual operation measure alike.
//
// For a peak from startTime to endTime over the straight baseline through
// its two points, with z = value - baseline at each point:
//   - area: the trapezoid rule over the trace's own points between the
//     bounds (unevenly spaced in time as they come), the values at bounds
//     that fall between points interpolated linearly;
//   - apex: the highest z, refined by the parabola through it and the
//     trace's own points either side of it: retention time = the parabola's
//     vertex, height = its value. With a smoothing window, the three points'
//     values for the vertex are first smoothed by a least-squares quadratic
//     over the window (no wider than half the points above half height):
//     that keeps the apex of a symmetric or tailing peak where it is and
//     cuts the scatter noise gives it, while the height stays the parabola
//     through the points' own values. A peak whose highest z lies on a bound
//     (a shoulder cut off by a perpendicular) has no summit of its own: its
//     apex is where z rises furthest above the chord between its bounds;
//   - width at half height: where z crosses half the height on either side of
//     the apex, interpolated between points (a bound when z does not fall
//     that far within the peak);
//   - signal-to-noise: height over the trace's RMS noise.
// The noise is estimated once from the trace itself, from how far each point
// lies off the line through its two neighbours (scaled to the noise's
// deviation), on triples of points that do not overlap - blind to a drifting
// baseline and to uneven spacing, and hardly moved by peaks, whose curvature
// over a few points is small: the triples are taken in blocks of 64 and the
// median of the blocks' deviations kept (BlockSpread), so that even a crowded
// stretch of peaks does not raise it.
//
// The integrator reads the trace where it lies: it must not be used after the
// chromatogram is gone or calculated again.

#include "Peak.h"

#include <span>
#include <vector>

class OPeakIntegrator {
public:
    // times rising (seconds), values of the same length; apexWindow: points
    // (odd) over which values are smoothed to place an apex (1: none), the
    // detection's smoothing.
    OPeakIntegrator(std::span<const float> times, std::span<const float> values,
                    int apexWindow = 1);

    int GetCount() const { return static_cast<int>(m_times.size()); }
    std::span<const float> GetTimes() const { return m_times; }
    std::span<const float> GetValues() const { return m_values; }
    // The trace's RMS noise (0 for fewer than three points or a constant trace).
    double GetNoise() const { return m_dNoise; }
    // The value at time t, linear between points, the end values beyond them.
    double ValueAt(double t) const;

    int GetApexWindow() const { return m_nApexWindow; }

    // Fills retention time, height, area, width and signal-to-noise from the
    // peak's bounds and baseline. 1, or 0 when the bounds are not increasing
    // or do not overlap the trace (the peak is left unchanged).
    int Measure(OPeak& peak) const;

    // Area percent of every peak: its share of the sum of the list's areas
    // (0 for all when that sum is 0).
    static void UpdateAreaPercent(std::vector<OPeak>& peaks);
    // 1.4826 x the median absolute deviation from the median: the standard
    // deviation of normal noise, unmoved by a minority of outliers. When more
    // than half the values are equal, the mean absolute deviation x 1.2533.
    static double RobustSpread(std::vector<double> values);

    // The noise of values that are mostly noise, in one pass: values are
    // taken in blocks of block; each block's spread is its mean absolute
    // deviation from its own mean x 1.2533 (the standard deviation of normal
    // noise), and the median over the blocks is kept - a minority of blocks
    // holding peaks does not move it. center: the median of the blocks'
    // means. Fewer than four blocks: RobustSpread and the median of all.
    // Most blocks without any spread (values without noise): the mean
    // absolute deviation of all x 1.2533.
    struct Spread {
        double center = 0.0;
        double spread = 0.0;
    };
    static Spread BlockSpread(std::span<const double> values, size_t block);
    static constexpr size_t kNoiseBlock = 64;

private:
    std::span<const float> m_times;
    std::span<const float> m_values;
    int m_nApexWindow = 1;
    double m_dNoise = 0.0;

    // Value - baseline at point i smoothed by a quadratic over window points.
    double Smoothed(const OPeak& peak, int i, int window) const;
};
