#include "ManualIntegration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string Seconds(double t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.3f s", t);
    return text;
}

bool Overlaps(const OPeak& peak, double from, double to)
{
    return peak.startTime < to && peak.endTime > from;
}

// The drawn peak from a to b, measured; 0 with message when it cannot be.
int Drawn(const OPeakIntegrator& trace, OManualIntegration::Point a, OManualIntegration::Point b,
          OPeak& peak, std::string& message)
{
    if (b.time < a.time)
        std::swap(a, b);
    if (!std::isfinite(a.time) || !std::isfinite(b.time) || !std::isfinite(a.value) ||
        !std::isfinite(b.value) || !(b.time > a.time)) {
        message = "A baseline needs two points at different times.";
        return 0;
    }
    const auto times = trace.GetTimes();
    if (times.size() < 2 || b.time <= times.front() || a.time >= times.back()) {
        message = "The baseline from " + Seconds(a.time) + " to " + Seconds(b.time) +
                  " lies outside the chromatogram.";
        return 0;
    }
    peak = OPeak();
    // Integrated where the chromatogram is; the line stays as drawn.
    peak.startTime = std::max(a.time, static_cast<double>(times.front()));
    peak.endTime = std::min(b.time, static_cast<double>(times.back()));
    peak.baselineStartTime = a.time;
    peak.baselineStartValue = a.value;
    peak.baselineEndTime = b.time;
    peak.baselineEndValue = b.value;
    peak.manual = true;
    if (!trace.Measure(peak)) {
        message = "The baseline from " + Seconds(a.time) + " to " + Seconds(b.time) +
                  " holds no part of the chromatogram.";
        return 0;
    }
    return 1;
}

void Insert(std::vector<OPeak>& peaks, const OPeak& peak)
{
    const auto at =
        std::upper_bound(peaks.begin(), peaks.end(), peak,
                         [](const OPeak& x, const OPeak& y) { return x.startTime < y.startTime; });
    peaks.insert(at, peak);
    OPeakIntegrator::UpdateAreaPercent(peaks);
}

} // namespace

int OManualIntegration::PeakAt(const std::vector<OPeak>& peaks, double time)
{
    for (size_t i = 0; i < peaks.size(); ++i)
        if (peaks[i].startTime <= time && time <= peaks[i].endTime)
            return static_cast<int>(i);
    return -1;
}

int OManualIntegration::AddPeak(std::vector<OPeak>& peaks, const OPeakIntegrator& trace, Point a,
                                Point b, std::string& message)
{
    OPeak peak;
    if (!Drawn(trace, a, b, peak, message))
        return 0;
    for (const OPeak& other : peaks)
        if (Overlaps(other, peak.startTime, peak.endTime)) {
            message = "The baseline overlaps the peak at " + Seconds(other.retentionTime) +
                      "; replace that peak instead.";
            return 0;
        }
    Insert(peaks, peak);
    return 1;
}

int OManualIntegration::ReplacePeaks(std::vector<OPeak>& peaks, const OPeakIntegrator& trace,
                                     Point a, Point b, std::string& message)
{
    OPeak peak;
    if (!Drawn(trace, a, b, peak, message))
        return 0;
    std::erase_if(
        peaks, [&](const OPeak& other) { return Overlaps(other, peak.startTime, peak.endTime); });
    Insert(peaks, peak);
    return 1;
}

int OManualIntegration::SplitPeak(std::vector<OPeak>& peaks, const OPeakIntegrator& trace,
                                  double time, std::string& message)
{
    const auto it = std::find_if(peaks.begin(), peaks.end(), [&](const OPeak& peak) {
        return peak.startTime < time && time < peak.endTime;
    });
    if (it == peaks.end()) {
        message = "No peak spans " + Seconds(time) + ".";
        return 0;
    }
    OPeak left = *it;
    OPeak right = *it;
    left.endTime = time;
    left.perpendicularEnd = true;
    left.manual = true;
    right.startTime = time;
    right.perpendicularStart = true;
    right.manual = true;
    if (!trace.Measure(left) || !trace.Measure(right)) {
        message = "The peak cannot be split at " + Seconds(time) + ".";
        return 0;
    }
    *it = right;
    peaks.insert(it, left);
    OPeakIntegrator::UpdateAreaPercent(peaks);
    return 1;
}

int OManualIntegration::DeletePeak(std::vector<OPeak>& peaks, int index, std::string& message)
{
    if (index < 0 || static_cast<size_t>(index) >= peaks.size()) {
        message = "There is no peak " + std::to_string(index + 1) + ".";
        return 0;
    }
    peaks.erase(peaks.begin() + index);
    OPeakIntegrator::UpdateAreaPercent(peaks);
    return 1;
}
