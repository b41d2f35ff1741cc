#pragma once
// OPeakDetector: finds and integrates the peaks of one chromatogram trace.
//
//  1. Slope: at every point a straight line is fitted (least squares, on the
//     points' own times) to the window of `smoothing` points around it; its
//     slope is the smoothed first derivative, its value at the point the
//     smoothed level.
//  2. Noise: the slope's spread measured in blocks of 16 windows, the median
//     over the blocks kept (OPeakIntegrator::BlockSpread); slopes are taken
//     relative to the median of the blocks' mean slopes, so that a drifting
//     baseline neither starts peaks nor keeps them open.
//  3. A peak group starts where the slope rises above threshold x noise; its
//     start is found by walking back to where the slope lies within the noise
//     band (one noise deviation). It ends after a fall below -threshold x
//     noise, where the slope comes back into the band and no new rise or fall
//     beyond the threshold follows within `smoothing` points. A rise that
//     does not begin to fall within three times its own length (from the band
//     to the threshold) and a window was a spike of noise or a step of the
//     baseline: the group ends before it. Start and end then move on into the
//     band's middle, to where the slope changes sign, no further than their
//     distance from the nearest turning point: the level in the band still
//     carries the peak's tail.
//  4. Within a group the slope's turning points (each swing at least the
//     threshold) give one peak per rise and fall. Neighbours are cut where the
//     slope crosses zero upwards (the valley, at the lowest smoothed level) or,
//     for a shoulder - a flattening of the slope without a valley - where it
//     passes half-way between the two turning points that separate them.
//  5. A group shares one straight baseline from its start to its end (levels
//     smoothed) and its peaks are cut by perpendiculars - unless a valley does
//     not rise above that line by more than three times the smoothed level's
//     noise: there the peaks are resolved, the group is split at the valley
//     and each part gets its own baseline (the lowest such valley first).
//  6. Every peak is measured by OPeakIntegrator. Peaks narrower than the
//     minimum width at half height join their larger neighbour in a group, or
//     are dropped when alone; so are peaks of no height.
// A group whose slope never falls (a step of the baseline), or that the trace
// cuts off before its apex, gives no peak. Peaks pointing down are not looked
// for, nor shoulders that only bend the slope without flattening it.
//
// Several threads may detect at once (a batch over all cores): each keeps
// its own scratch memory from one trace to the next.

#include "Peak.h"
#include "PeakIntegrator.h"
#include "PeakParameters.h"

#include <span>
#include <vector>

class OPeakDetector {
public:
    // The peaks of the trace in time order, measured and with area percent.
    // Nothing for a trace of fewer points than the smoothing window, a trace
    // holding a value that is not finite, or parameters out of range.
    static std::vector<OPeak> Detect(const OPeakIntegrator& trace,
                                     const OPeakParameters& parameters);

    // Step 1: slope (per second) and smoothed level at every point from a
    // least-squares line over window points (odd, at least 3) centred on it,
    // fewer at the ends of the trace. 0 when a time or value is not a number.
    static int Fit(std::span<const float> times, std::span<const float> values, int window,
                   std::vector<double>& slope, std::vector<double>& level);
};
