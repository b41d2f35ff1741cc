#include "PeakDetector.h"

#include <algorithm>
#include <cmath>

namespace {

// A peak group between start and end: the slope's turning points, maximum
// and minimum alternating, two per peak.
struct CGroup {
    int start = 0;
    int end = 0;
    std::vector<int> turns;
};

// A stretch of a group under one baseline: its bounds (start, cuts, end) and
// for every cut whether it lies in a valley.
struct CStretch {
    std::vector<int> bounds;
    std::vector<bool> valley;
};

class CDetection {
public:
    CDetection(const OPeakIntegrator& trace, const OPeakParameters& parameters,
               std::vector<double> slope, std::vector<double> level)
        : m_trace(trace), m_times(trace.GetTimes()), m_parameters(parameters),
          m_level(std::move(level)), m_slope(std::move(slope))
    {
    }

    std::vector<OPeak> Run()
    {
        const double noise = OPeakIntegrator::RobustSpread(m_slope);
        if (!(noise > 0.0) || !std::isfinite(noise))
            return {};
        // Slopes relative to their median: a drifting baseline's own slope is no peak.
        std::vector<double> copy = m_slope;
        const auto middle = copy.begin() + static_cast<std::ptrdiff_t>(copy.size() / 2);
        std::nth_element(copy.begin(), middle, copy.end());
        const double reference = *middle;
        for (double& s : m_slope)
            s -= reference;
        m_dThreshold = m_parameters.threshold * noise;
        m_dBand = noise;
        m_dMargin =
            3.0 * m_trace.GetNoise() / std::sqrt(static_cast<double>(m_parameters.smoothing));

        for (const CGroup& group : FindGroups())
            Split(Stretch(group));
        OPeakIntegrator::UpdateAreaPercent(m_peaks);
        return std::move(m_peaks);
    }

private:
    double Time(int i) const { return m_times[static_cast<size_t>(i)]; }
    double Slope(int i) const { return m_slope[static_cast<size_t>(i)]; }
    double Level(int i) const { return m_level[static_cast<size_t>(i)]; }

    // Back from a rise above the threshold at i to where the slope lies in
    // the band, not before floor.
    int BandBefore(int i, int floor) const
    {
        while (i > floor && Slope(i) > m_dBand)
            --i;
        return i;
    }

    // How long after its rise a peak may take to start falling: three times
    // the rise from the band to the threshold, and the window. A rise that
    // waits longer was a spike of noise or a step of the baseline.
    int Patience(int from, int to) const { return 3 * (to - from) + m_parameters.smoothing; }

    std::vector<CGroup> FindGroups() const
    {
        const int n = static_cast<int>(m_slope.size());
        const double T = m_dThreshold;
        std::vector<CGroup> groups;
        int floor = 0;
        for (int i = 0; i < n;) {
            if (!(Slope(i) > T)) {
                ++i;
                continue;
            }
            CGroup group;
            group.start = BandBefore(i, floor);
            bool rising = true; // the turning point being sought is a maximum
            int extreme = i;
            bool falling = false; // below -T since the last rise above T
            int lastAbove = i;
            int patience = Patience(group.start, i);
            CGroup complete; // the group up to its last complete fall
            complete.end = -1;
            bool quiet = false;
            int j = i;
            for (; j < n; ++j) {
                const double v = Slope(j);
                if (rising ? v > Slope(extreme) : v < Slope(extreme)) {
                    extreme = j;
                } else if (std::fabs(v - Slope(extreme)) >= T) {
                    group.turns.push_back(extreme);
                    rising = !rising;
                    extreme = j;
                }
                if (v > T) {
                    if (falling || (j > i && Slope(j - 1) <= T))
                        patience = Patience(BandBefore(j, group.start), j);
                    falling = false;
                    lastAbove = j;
                }
                if (v < -T)
                    falling = true;
                if (falling && v >= -m_dBand) {
                    complete.start = group.start;
                    complete.end = j;
                    complete.turns = group.turns;
                    if (!rising)
                        complete.turns.push_back(extreme); // the minimum of the last fall
                    if (Quiet(j)) {
                        quiet = true;
                        break;
                    }
                }
                if (!falling && j - lastAbove > patience)
                    break;
            }
            if (!quiet && j == n && falling) {
                // The trace ends during the fall: the peak ends with it.
                complete.start = group.start;
                complete.end = n - 1;
                complete.turns = group.turns;
                if (!rising)
                    complete.turns.push_back(extreme);
            }
            if (complete.end < 0) {
                i = std::max(j, i + 1);
                continue;
            }
            if (complete.turns.size() % 2 != 0)
                complete.turns.pop_back();
            i = complete.end + 1;
            if (complete.turns.empty() || complete.end <= complete.start)
                continue;
            Widen(complete, floor);
            floor = complete.end;
            i = complete.end + 1;
            groups.push_back(std::move(complete));
        }
        return groups;
    }

    // From the band on into its middle: on, while the slope keeps its sign,
    // no further than from the nearest turning point to the band. The level
    // at a bound in the band still carries the peak's tail; where the slope
    // reaches zero, it no longer does.
    void Widen(CGroup& group, int floor) const
    {
        const int n = static_cast<int>(m_slope.size());
        const int reach = std::max(1, group.turns.front() - group.start);
        for (int k = 0; k < reach && group.start > floor && Slope(group.start - 1) > 0.0; ++k)
            --group.start;
        if (Slope(group.end) > -m_dBand) {
            const int back = std::max(1, group.end - group.turns.back());
            for (int k = 0; k < back && group.end + 1 < n && Slope(group.end) < 0.0 &&
                            std::fabs(Slope(group.end + 1)) <= m_dThreshold;
                 ++k)
                ++group.end;
        }
    }

    // No slope beyond the threshold within the window after j.
    bool Quiet(int j) const
    {
        const int n = static_cast<int>(m_slope.size());
        for (int q = j + 1; q < n && q <= j + m_parameters.smoothing; ++q)
            if (std::fabs(Slope(q)) > m_dThreshold)
                return false;
        return true;
    }

    // The cuts between the group's peaks.
    CStretch Stretch(const CGroup& group) const
    {
        std::vector<std::pair<int, int>> pairs; // (maximum, minimum) of each peak's slope
        for (size_t k = 0; k + 1 < group.turns.size(); k += 2)
            pairs.emplace_back(group.turns[k], group.turns[k + 1]);
        // The last peak must really fall; a weak last swing belongs to the one before.
        while (pairs.size() > 1 && Slope(pairs.back().second) > -m_dThreshold)
            pairs.pop_back();
        CStretch stretch;
        stretch.bounds.push_back(group.start);
        if (Slope(pairs.back().second) > -m_dThreshold)
            pairs.clear();
        for (size_t k = 0; k + 1 < pairs.size(); ++k) {
            const int from = pairs[k].second;
            const int to = pairs[k + 1].first;
            int cut = -1;
            bool valley = false;
            for (int q = from + 1; q <= to; ++q)
                if (Slope(q - 1) < 0.0 && Slope(q) >= 0.0) {
                    valley = true;
                    break;
                }
            if (valley) {
                cut = from;
                for (int q = from + 1; q <= to; ++q)
                    if (Level(q) < Level(cut))
                        cut = q;
            } else {
                const double middle = (Slope(from) + Slope(to)) / 2.0;
                for (int q = from + 1; q <= to && cut < 0; ++q)
                    if (Slope(q) >= middle)
                        cut = q;
            }
            if (cut > stretch.bounds.back() && cut < group.end) {
                stretch.bounds.push_back(cut);
                stretch.valley.push_back(valley);
            }
        }
        if (pairs.empty())
            stretch.bounds.clear();
        else
            stretch.bounds.push_back(group.end);
        return stretch;
    }

    // One baseline for the stretch, unless a valley lies below it: then the
    // stretch is split at the deepest such valley and each part goes again.
    void Split(const CStretch& stretch)
    {
        if (stretch.bounds.size() < 2)
            return;
        const int first = stretch.bounds.front();
        const int last = stretch.bounds.back();
        const auto line = [&](int i) {
            const double span = Time(last) - Time(first);
            return span > 0.0 ? Level(first) +
                                    (Level(last) - Level(first)) * (Time(i) - Time(first)) / span
                              : Level(first);
        };
        // The valley nearest the line (or deepest below it) that does not
        // rise clearly above it: there the peaks are resolved.
        size_t worst = 0;
        double lowest = m_dMargin;
        for (size_t c = 0; c < stretch.valley.size(); ++c) {
            const int cut = stretch.bounds[c + 1];
            const double above = Level(cut) - line(cut);
            if (stretch.valley[c] && above < lowest) {
                lowest = above;
                worst = c + 1;
            }
        }
        if (worst > 0) {
            CStretch left;
            CStretch right;
            left.bounds.assign(stretch.bounds.begin(),
                               stretch.bounds.begin() + static_cast<std::ptrdiff_t>(worst) + 1);
            left.valley.assign(stretch.valley.begin(),
                               stretch.valley.begin() + static_cast<std::ptrdiff_t>(worst) - 1);
            right.bounds.assign(stretch.bounds.begin() + static_cast<std::ptrdiff_t>(worst),
                                stretch.bounds.end());
            right.valley.assign(stretch.valley.begin() + static_cast<std::ptrdiff_t>(worst),
                                stretch.valley.end());
            Split(left);
            Split(right);
            return;
        }
        Emit(stretch.bounds);
    }

    // The peaks between consecutive bounds over the line from the first to
    // the last; narrow ones join a neighbour or go.
    void Emit(const std::vector<int>& bounds)
    {
        const int first = bounds.front();
        const int last = bounds.back();
        std::vector<OPeak> peaks;
        for (size_t k = 0; k + 1 < bounds.size(); ++k) {
            OPeak peak;
            peak.startTime = Time(bounds[k]);
            peak.endTime = Time(bounds[k + 1]);
            peak.baselineStartTime = Time(first);
            peak.baselineStartValue = Level(first);
            peak.baselineEndTime = Time(last);
            peak.baselineEndValue = Level(last);
            peak.perpendicularStart = k > 0;
            peak.perpendicularEnd = k + 2 < bounds.size();
            if (m_trace.Measure(peak))
                peaks.push_back(peak);
        }
        for (;;) {
            size_t narrow = peaks.size();
            for (size_t k = 0; k < peaks.size(); ++k)
                if (peaks[k].width < m_parameters.minimumWidth &&
                    (narrow == peaks.size() || peaks[k].width < peaks[narrow].width))
                    narrow = k;
            if (narrow == peaks.size())
                break;
            if (peaks.size() == 1) {
                peaks.clear();
                break;
            }
            size_t other = narrow == 0 ? 1 : narrow - 1;
            if (narrow > 0 && narrow + 1 < peaks.size() &&
                peaks[narrow + 1].height > peaks[narrow - 1].height)
                other = narrow + 1;
            const size_t left = std::min(narrow, other);
            OPeak joined = peaks[left];
            joined.endTime = peaks[left + 1].endTime;
            joined.perpendicularEnd = peaks[left + 1].perpendicularEnd;
            m_trace.Measure(joined);
            peaks[left] = joined;
            peaks.erase(peaks.begin() + static_cast<std::ptrdiff_t>(left) + 1);
        }
        for (const OPeak& peak : peaks)
            if (peak.height > 0.0)
                m_peaks.push_back(peak);
    }

    const OPeakIntegrator& m_trace;
    std::span<const float> m_times;
    const OPeakParameters& m_parameters;
    std::vector<double> m_level;
    std::vector<double> m_slope;
    double m_dThreshold = 0.0;
    double m_dBand = 0.0;
    double m_dMargin = 0.0;
    std::vector<OPeak> m_peaks;
};

} // namespace

void OPeakDetector::Fit(std::span<const float> times, std::span<const float> values, int window,
                        std::vector<double>& slope, std::vector<double>& level)
{
    const int n = static_cast<int>(std::min(times.size(), values.size()));
    const int half = std::max(window, 3) / 2;
    slope.assign(static_cast<size_t>(n), 0.0);
    level.assign(static_cast<size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) {
        const int from = std::max(0, i - half);
        const int to = std::min(n - 1, i + half);
        const double count = to - from + 1;
        // Times relative to the point's own keep the sums exact late in a run.
        const double origin = times[static_cast<size_t>(i)];
        double st = 0.0;
        double sy = 0.0;
        for (int k = from; k <= to; ++k) {
            st += times[static_cast<size_t>(k)] - origin;
            sy += values[static_cast<size_t>(k)];
        }
        const double mt = st / count;
        const double my = sy / count;
        double sxx = 0.0;
        double sxy = 0.0;
        for (int k = from; k <= to; ++k) {
            const double dt = times[static_cast<size_t>(k)] - origin - mt;
            sxx += dt * dt;
            sxy += dt * (values[static_cast<size_t>(k)] - my);
        }
        const double b = sxx > 0.0 ? sxy / sxx : 0.0;
        slope[static_cast<size_t>(i)] = b;
        level[static_cast<size_t>(i)] = my - b * mt;
    }
}

std::vector<OPeak> OPeakDetector::Detect(const OPeakIntegrator& trace,
                                         const OPeakParameters& parameters)
{
    std::string why;
    if (!parameters.Check(why) || trace.GetCount() < parameters.smoothing)
        return {};
    for (float v : trace.GetValues())
        if (!std::isfinite(v))
            return {};
    std::vector<double> slope;
    std::vector<double> level;
    Fit(trace.GetTimes(), trace.GetValues(), parameters.smoothing, slope, level);
    return CDetection(trace, parameters, std::move(slope), std::move(level)).Run();
}
