#include "PeakDetector.h"

#include <algorithm>
#include <cmath>

namespace {

// Running sums of a trace from its first point on - of times taken from the
// middle of the run and of values taken from the first, so that they stay
// small: any window's sums are differences of two of them, and a
// least-squares line over it costs the same however wide it is. The sums
// keep far more digits than the float times and values they come from. The
// memory is kept from one trace to the next, per thread.
class CRunningSums {
public:
    // 0 when a time or value is not a number.
    int Build(std::span<const float> times, std::span<const float> values)
    {
        m_times = times.data();
        m_n = std::min(times.size(), values.size());
        thread_local std::vector<double> s1, s2, sy, sty;
        for (std::vector<double>* v : {&s1, &s2, &sy, &sty})
            v->resize(m_n + 1);
        m_p1 = s1.data();
        m_p2 = s2.data();
        m_py = sy.data();
        m_pty = sty.data();
        if (m_n == 0)
            return 1;
        m_t0 = times[m_n / 2];
        m_y0 = values[0];
        double a1 = 0.0, a2 = 0.0, ay = 0.0, aty = 0.0;
        m_p1[0] = m_p2[0] = m_py[0] = m_pty[0] = 0.0;
        for (size_t k = 0; k < m_n; ++k) {
            const double t = static_cast<double>(times[k]) - m_t0;
            const double y = static_cast<double>(values[k]) - m_y0;
            m_p1[k + 1] = a1 += t;
            m_p2[k + 1] = a2 += t * t;
            m_py[k + 1] = ay += y;
            m_pty[k + 1] = aty += t * y;
        }
        // A value or time that is not a number leaves none in the sums.
        return std::isfinite(a1 + a2 + ay + aty) ? 1 : 0;
    }

    size_t Count() const { return m_n; }

    // The line over the window of half points either side of i (fewer at
    // the ends of the run): its slope, and its value at point i.
    void Line(size_t i, size_t half, double& slope, double& level) const
    {
        const size_t from = i >= half ? i - half : 0;
        const size_t to = std::min(m_n, i + half + 1);
        const double count = static_cast<double>(to - from);
        const double s1 = m_p1[to] - m_p1[from];
        const double mt = s1 / count;
        const double my = (m_py[to] - m_py[from]) / count;
        const double sxx = (m_p2[to] - m_p2[from]) - s1 * mt;
        const double sxy = (m_pty[to] - m_pty[from]) - s1 * my;
        // Points at one time (or nearly): no spread to speak of, and no slope.
        slope = sxy / std::max(sxx, 1e-9 * count);
        level = m_y0 + my + slope * ((static_cast<double>(m_times[i]) - m_t0) - mt);
    }

    double Level(size_t i, size_t half) const
    {
        double slope = 0.0;
        double level = 0.0;
        Line(i, half, slope, level);
        return level;
    }

    // Every point's slope.
    void Slopes(size_t half, double* out) const
    {
        size_t i = 0;
        double level = 0.0;
        for (; i < m_n && i < half; ++i)
            Line(i, half, out[i], level);
        if (i + half < m_n) {
            const size_t count = m_n - half - i;
            FullWindows(m_p1, m_p2, m_py, m_pty, out, i, count, half);
            i += count;
        }
        for (; i < m_n; ++i)
            Line(i, half, out[i], level);
    }

private:
    // The slopes of points first .. first + count - 1, whose windows lie
    // inside the run: Line's steps over arrays that do not overlap, which
    // the compiler vectorises.
    static void FullWindows(const double* __restrict p1, const double* __restrict p2,
                            const double* __restrict py, const double* __restrict pty,
                            double* __restrict slope, size_t first, size_t count, size_t half)
    {
        const double width = static_cast<double>(2 * half + 1);
        const double inverse = 1.0 / width;
        const double least = 1e-9 * width;
        const size_t lo = first - half;
        const size_t hi = first + half + 1;
        for (size_t k = 0; k < count; ++k) {
            const double s1 = p1[hi + k] - p1[lo + k];
            const double my = (py[hi + k] - py[lo + k]) * inverse;
            const double sxx = (p2[hi + k] - p2[lo + k]) - s1 * s1 * inverse;
            const double sxy = (pty[hi + k] - pty[lo + k]) - s1 * my;
            slope[first + k] = sxy / std::max(sxx, least);
        }
    }

    const float* m_times = nullptr;
    size_t m_n = 0;
    double m_t0 = 0.0;
    double m_y0 = 0.0;
    double* m_p1 = nullptr;
    double* m_p2 = nullptr;
    double* m_py = nullptr;
    double* m_pty = nullptr;
};

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
               const std::vector<double>& slope, const CRunningSums& sums)
        : m_trace(trace), m_times(trace.GetTimes()), m_parameters(parameters), m_sums(sums),
          m_slope(slope)
    {
    }

    std::vector<OPeak> Run()
    {
        // Slopes relative to their typical value: a drifting baseline's own
        // slope is no peak. Blocks long against the window, whose slopes are
        // alike over its width.
        const OPeakIntegrator::Spread spread =
            OPeakIntegrator::BlockSpread(m_slope, 16 * static_cast<size_t>(m_parameters.smoothing));
        const double noise = QuietSpread(spread);
        if (!(noise > 0.0) || !std::isfinite(noise))
            return {};
        m_dReference = spread.center;
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
    // Where peaks fill most of the trace (a short run, a crowded one) every
    // long block holds some of a peak's slope and the blocks' median is the
    // peaks', not the noise's: not one peak would be found. Short blocks of
    // two windows still fall between the peaks; the slope's spread about
    // the reference over those no more than three times as spread as the
    // lower quartile of them is the noise then. It is taken only where it is
    // much below the long blocks' figure, which is kept for everything else.
    double QuietSpread(const OPeakIntegrator::Spread& spread) const
    {
        const size_t block = 2 * static_cast<size_t>(m_parameters.smoothing);
        const size_t blocks = m_slope.size() / block;
        if (blocks < 8 || !(spread.spread > 0.0))
            return spread.spread;
        std::vector<double> deviations(blocks);
        for (size_t b = 0; b < blocks; ++b) {
            double sum = 0.0;
            for (size_t i = b * block; i < (b + 1) * block; ++i)
                sum += std::fabs(m_slope[i] - spread.center);
            deviations[b] = sum / static_cast<double>(block);
        }
        std::vector<double> sorted = deviations;
        const auto quartile = sorted.begin() + static_cast<std::ptrdiff_t>(blocks / 4);
        std::nth_element(sorted.begin(), quartile, sorted.end());
        double sum = 0.0;
        size_t kept = 0;
        for (double d : deviations)
            if (d <= 3.0 * *quartile) {
                sum += d;
                ++kept;
            }
        const double quiet = kept ? 1.2533 * sum / static_cast<double>(kept) : 0.0;
        return quiet > 0.0 && quiet < 0.5 * spread.spread ? quiet : spread.spread;
    }

    double Time(int i) const { return m_times[static_cast<size_t>(i)]; }
    // The slope at point i relative to its typical value.
    double Slope(int i) const { return m_slope[static_cast<size_t>(i)] - m_dReference; }
    // The smoothed level: the fitted line's value at point i.
    double Level(int i) const
    {
        return m_sums.Level(static_cast<size_t>(i),
                            static_cast<size_t>(m_parameters.smoothing / 2));
    }

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
        const double* slope = m_slope.data();
        const double rise = T + m_dReference;
        for (int i = 0; i < n;) {
            // Most of a run is baseline: on to the next rise, in a tight loop.
            while (i < n && !(slope[i] > rise))
                ++i;
            if (i == n)
                break;
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
    const CRunningSums& m_sums;
    const std::vector<double>& m_slope;
    double m_dReference = 0.0; // the slopes' typical value
    double m_dThreshold = 0.0;
    double m_dBand = 0.0;
    double m_dMargin = 0.0;
    std::vector<OPeak> m_peaks;
};

} // namespace

int OPeakDetector::Fit(std::span<const float> times, std::span<const float> values, int window,
                       std::vector<double>& slope, std::vector<double>& level)
{
    CRunningSums sums;
    if (!sums.Build(times, values))
        return 0;
    const size_t half = static_cast<size_t>(std::max(window, 3) / 2);
    slope.resize(sums.Count());
    level.resize(sums.Count());
    for (size_t i = 0; i < sums.Count(); ++i)
        sums.Line(i, half, slope[i], level[i]);
    return 1;
}

std::vector<OPeak> OPeakDetector::Detect(const OPeakIntegrator& trace,
                                         const OPeakParameters& parameters)
{
    std::string why;
    if (!parameters.Check(why) || trace.GetCount() < parameters.smoothing)
        return {};
    CRunningSums sums;
    if (!sums.Build(trace.GetTimes(), trace.GetValues()))
        return {};
    // Kept from one call to the next (per thread): no fresh memory to clear.
    thread_local std::vector<double> slope;
    slope.resize(sums.Count());
    sums.Slopes(static_cast<size_t>(parameters.smoothing / 2), slope.data());
    return CDetection(trace, parameters, slope, sums).Run();
}
