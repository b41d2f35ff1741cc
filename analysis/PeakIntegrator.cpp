#include "PeakIntegrator.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

struct Point {
    double t;
    double z;
    int index = -1; // in the trace; -1 for a bound between points
};

// The vertex of the parabola through three points (x of the middle one when
// they do not bend downwards or the vertex leaves their span); value at it.
void Vertex(const Point& a, const Point& b, const Point& c, double& x, double& y)
{
    const double p = a.t - b.t;
    const double q = c.t - b.t;
    const double d = p * q * (p - q);
    x = b.t;
    y = b.z;
    if (d == 0.0 || !std::isfinite(d))
        return;
    const double ya = a.z - b.z;
    const double yc = c.z - b.z;
    const double A = (ya * q - yc * p) / d;
    const double B = (yc * p * p - ya * q * q) / d;
    if (!(A < 0.0))
        return;
    const double u = -B / (2.0 * A);
    if (!(u >= p && u <= q))
        return;
    x = b.t + u;
    y = b.z + B * u + A * u * u;
}

// The parabola through three points evaluated at x.
double ParabolaAt(const Point& a, const Point& b, const Point& c, double x)
{
    const double p = a.t - b.t;
    const double q = c.t - b.t;
    const double d = p * q * (p - q);
    if (d == 0.0 || !std::isfinite(d))
        return b.z;
    const double ya = a.z - b.z;
    const double yc = c.z - b.z;
    const double A = (ya * q - yc * p) / d;
    const double B = (yc * p * p - ya * q * q) / d;
    const double u = x - b.t;
    return b.z + B * u + A * u * u;
}

// Where z crosses level between points j and j + 1.
double Crossing(const Point& left, const Point& right, double level)
{
    const double dz = right.z - left.z;
    if (dz == 0.0)
        return left.t;
    return left.t + (right.t - left.t) * (level - left.z) / dz;
}

} // namespace

OPeakIntegrator::OPeakIntegrator(std::span<const float> times, std::span<const float> values,
                                 int apexWindow)
    : m_times(times.first(std::min(times.size(), values.size()))),
      m_values(values.first(m_times.size())), m_nApexWindow(std::max(apexWindow, 1) | 1)
{
    if (m_values.size() < 3)
        return;
    // How far a point lies off the straight line through its neighbours,
    // scaled to the noise's own deviation: a drifting baseline and the slope
    // of a peak vanish from it however the pulses are spaced, and a peak
    // some points wide bends it but little. Taken on triples of points that
    // do not overlap, each one independent of the others.
    const size_t n = m_values.size();
    std::vector<double> bends(n / 3);
    const float* t = m_times.data();
    const float* y = m_values.data();
    for (size_t j = 0; j < bends.size(); ++j) {
        const size_t i = 3 * j + 1;
        // In single precision, on differences of neighbouring values (nearly
        // alike, so exact), and without a branch.
        const float span = t[i + 1] - t[i - 1];
        const float safe = span > 0.0f ? span : 1.0f;
        const float ratio = (t[i] - t[i - 1]) / safe;
        const float b = span > 0.0f ? ratio : 0.5f; // the right neighbour's weight
        // 1 + a^2 + b^2 with a = 1 - b.
        const float scale = std::sqrt(2.0f * (1.0f - b + b * b));
        bends[j] = ((y[i] - y[i - 1]) - b * (y[i + 1] - y[i - 1])) / scale;
    }
    m_dNoise = BlockSpread(bends, kNoiseBlock).spread;
}

OPeakIntegrator::Spread OPeakIntegrator::BlockSpread(std::span<const double> values, size_t block)
{
    block = std::max<size_t>(block, 2);
    const size_t blocks = values.size() / block;
    Spread result;
    if (blocks < 4) {
        std::vector<double> all(values.begin(), values.end());
        result.spread = RobustSpread(all);
        if (!all.empty()) {
            const auto middle = all.begin() + static_cast<std::ptrdiff_t>(all.size() / 2);
            std::nth_element(all.begin(), middle, all.end());
            result.center = *middle;
        }
        return result;
    }
    std::vector<double> means(blocks);
    std::vector<double> spreads(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        // The last block takes the remainder.
        const size_t from = b * block;
        const size_t to = b + 1 == blocks ? values.size() : from + block;
        // Four partial sums each: no chain of additions waiting on the last.
        double sum[4] = {};
        size_t i = from;
        for (; i + 4 <= to; i += 4)
            for (size_t k = 0; k < 4; ++k)
                sum[k] += values[i + k];
        for (; i < to; ++i)
            sum[0] += values[i];
        const double mean = (sum[0] + sum[1] + sum[2] + sum[3]) / static_cast<double>(to - from);
        double deviation[4] = {};
        i = from;
        for (; i + 4 <= to; i += 4)
            for (size_t k = 0; k < 4; ++k)
                deviation[k] += std::fabs(values[i + k] - mean);
        for (; i < to; ++i)
            deviation[0] += std::fabs(values[i] - mean);
        means[b] = mean;
        spreads[b] = 1.2533 * (deviation[0] + deviation[1] + deviation[2] + deviation[3]) /
                     static_cast<double>(to - from);
    }
    const auto median = [](std::vector<double>& v) {
        const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
        std::nth_element(v.begin(), middle, v.end());
        return *middle;
    };
    result.center = median(means);
    result.spread = median(spreads);
    if (result.spread == 0.0) {
        // Most of it perfectly flat (values without noise): what moves at
        // all sets the scale - the mean absolute deviation of all.
        double sum = 0.0;
        for (double v : values)
            sum += v;
        const double mean = sum / static_cast<double>(values.size());
        double deviation = 0.0;
        for (double v : values)
            deviation += std::fabs(v - mean);
        result.spread = 1.2533 * deviation / static_cast<double>(values.size());
    }
    return result;
}

double OPeakIntegrator::Smoothed(const OPeak& peak, int i, int window) const
{
    const int n = GetCount();
    const int half = window / 2;
    const int from = std::max(0, i - half);
    const int to = std::min(n - 1, i + half);
    // Least-squares quadratic in time relative to point i; its value at i.
    double s[5] = {};
    double r[3] = {};
    for (int k = from; k <= to; ++k) {
        const double t = m_times[static_cast<size_t>(k)];
        const double x = t - static_cast<double>(m_times[static_cast<size_t>(i)]);
        const double z = static_cast<double>(m_values[static_cast<size_t>(k)]) - peak.BaselineAt(t);
        double p = 1.0;
        for (int e = 0; e < 5; ++e) {
            s[e] += p;
            if (e < 3)
                r[e] += p * z;
            p *= x;
        }
    }
    // Normal equations [s0 s1 s2; s1 s2 s3; s2 s3 s4] c = r, solved for c0.
    const double m[3][3] = {{s[0], s[1], s[2]}, {s[1], s[2], s[3]}, {s[2], s[3], s[4]}};
    const auto det3 = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double d = det3(m);
    const double raw = static_cast<double>(m_values[static_cast<size_t>(i)]) -
                       peak.BaselineAt(m_times[static_cast<size_t>(i)]);
    if (to - from < 2 || d == 0.0 || !std::isfinite(d))
        return raw;
    double m0[3][3] = {{r[0], s[1], s[2]}, {r[1], s[2], s[3]}, {r[2], s[3], s[4]}};
    const double c0 = det3(m0) / d;
    return std::isfinite(c0) ? c0 : raw;
}

double OPeakIntegrator::RobustSpread(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto median = [](std::vector<double>& v) {
        const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
        std::nth_element(v.begin(), middle, v.end());
        return *middle;
    };
    const double center = median(values);
    for (double& v : values)
        v = std::fabs(v - center);
    std::vector<double> deviations = values; // the median reorders them
    const double mad = median(deviations);
    if (mad > 0.0)
        return 1.4826 * mad;
    const double sum = std::accumulate(values.begin(), values.end(), 0.0);
    return 1.2533 * sum / static_cast<double>(values.size());
}

double OPeakIntegrator::ValueAt(double t) const
{
    if (m_times.empty())
        return 0.0;
    if (t <= m_times.front())
        return m_values.front();
    if (t >= m_times.back())
        return m_values.back();
    const auto it = std::upper_bound(m_times.begin(), m_times.end(), t,
                                     [](double x, float y) { return x < static_cast<double>(y); });
    const size_t right = static_cast<size_t>(it - m_times.begin());
    const size_t left = right - 1;
    const double t0 = m_times[left];
    const double t1 = m_times[right];
    const double y0 = m_values[left];
    const double y1 = m_values[right];
    if (t1 <= t0)
        return y1;
    return y0 + (y1 - y0) * (t - t0) / (t1 - t0);
}

int OPeakIntegrator::Measure(OPeak& peak) const
{
    if (m_times.size() < 2 || !(peak.endTime > peak.startTime))
        return 0;
    const double t0 = std::max(peak.startTime, static_cast<double>(m_times.front()));
    const double t1 = std::min(peak.endTime, static_cast<double>(m_times.back()));
    if (!(t1 > t0))
        return 0;

    // The bounds and every point strictly between them, above the baseline.
    std::vector<Point> points;
    points.push_back({t0, ValueAt(t0) - peak.BaselineAt(t0)});
    const auto after = std::upper_bound(m_times.begin(), m_times.end(), t0, [](double x, float y) {
        return x < static_cast<double>(y);
    });
    for (size_t i = static_cast<size_t>(after - m_times.begin());
         i < m_times.size() && static_cast<double>(m_times[i]) < t1; ++i) {
        const double t = m_times[i];
        points.push_back(
            {t, static_cast<double>(m_values[i]) - peak.BaselineAt(t), static_cast<int>(i)});
    }
    points.push_back({t1, ValueAt(t1) - peak.BaselineAt(t1)});
    const size_t n = points.size();

    double area = 0.0;
    for (size_t i = 1; i < n; ++i)
        area += 0.5 * (points[i].z + points[i - 1].z) * (points[i].t - points[i - 1].t);

    size_t top = 0;
    for (size_t i = 1; i < n; ++i)
        if (points[i].z > points[top].z)
            top = i;
    double apexTime = points[top].t;
    double height = points[top].z;
    if (top > 0 && top + 1 < n && points[top].index >= 0) {
        // The trace's own neighbours, where a bound between points stands in for one.
        const auto own = [&](int i) {
            const double t = m_times[static_cast<size_t>(i)];
            return Point{
                t, static_cast<double>(m_values[static_cast<size_t>(i)]) - peak.BaselineAt(t), i};
        };
        const Point before = points[top - 1].index < 0 && points[top].index > 0
                                 ? own(points[top].index - 1)
                                 : points[top - 1];
        const Point after = points[top + 1].index < 0 && points[top].index + 1 < GetCount()
                                ? own(points[top].index + 1)
                                : points[top + 1];
        Vertex(before, points[top], after, apexTime, height);
        // The smoothing window, no wider than the points above half height.
        size_t from = top;
        size_t to = top;
        while (from > 0 && points[from - 1].z >= height / 2.0)
            --from;
        while (to + 1 < n && points[to + 1].z >= height / 2.0)
            ++to;
        const int above = static_cast<int>(to - from + 1);
        const int cap = above / 2;
        const int window = std::min(m_nApexWindow, cap % 2 != 0 ? cap : cap - 1);
        if (window >= 5) {
            // The highest smoothed value among the top and its neighbours, and
            // the vertex through it and its own neighbours, all inside the peak.
            const auto smooth = [&](size_t k) {
                return Point{points[k].t, Smoothed(peak, points[k].index, window), points[k].index};
            };
            const auto inside = [&](size_t k) {
                return k > 0 && k + 1 < n && points[k - 1].index >= 0 && points[k].index >= 0 &&
                       points[k + 1].index >= 0;
            };
            size_t best = top;
            double bestValue = inside(top) ? smooth(top).z : -INFINITY;
            for (size_t k : {top - 1, top + 1})
                if (inside(k) && smooth(k).z > bestValue) {
                    best = k;
                    bestValue = smooth(k).z;
                }
            if (inside(best)) {
                double x = 0.0;
                double ignored = 0.0;
                Vertex(smooth(best - 1), smooth(best), smooth(best + 1), x, ignored);
                // The height: the parabola through the own values nearest the apex.
                size_t centre = best;
                if (x < points[best].t && inside(best - 1))
                    centre = std::abs(x - points[best - 1].t) < std::abs(x - points[best].t)
                                 ? best - 1
                                 : best;
                else if (x > points[best].t && inside(best + 1))
                    centre = std::abs(x - points[best + 1].t) < std::abs(x - points[best].t)
                                 ? best + 1
                                 : best;
                apexTime = x;
                height = ParabolaAt(points[centre - 1], points[centre], points[centre + 1], x);
                top = centre;
            }
        }
    } else if (n >= 3) {
        // No summit inside: the point furthest above the chord between the bounds.
        const Point& first = points.front();
        const Point& last = points.back();
        const auto chord = [&](double t) {
            return first.z + (last.z - first.z) * (t - first.t) / (last.t - first.t);
        };
        std::vector<Point> lifted(n);
        for (size_t i = 0; i < n; ++i)
            lifted[i] = {points[i].t, points[i].z - chord(points[i].t)};
        size_t bump = 0;
        for (size_t i = 1; i < n; ++i)
            if (lifted[i].z > lifted[bump].z)
                bump = i;
        if (bump > 0 && bump + 1 < n) {
            double lift = 0.0;
            Vertex(lifted[bump - 1], lifted[bump], lifted[bump + 1], apexTime, lift);
            height = ParabolaAt(points[bump - 1], points[bump], points[bump + 1], apexTime);
            top = bump;
        }
    }

    // Width at half height, from the point nearest the apex outwards.
    const double half = height / 2.0;
    double left = points.front().t;
    for (size_t i = top; i > 0; --i)
        if (points[i - 1].z < half && points[i].z >= half) {
            left = Crossing(points[i - 1], points[i], half);
            break;
        }
    double right = points.back().t;
    for (size_t i = top; i + 1 < n; ++i)
        if (points[i + 1].z < half && points[i].z >= half) {
            right = Crossing(points[i], points[i + 1], half);
            break;
        }

    peak.retentionTime = apexTime;
    peak.height = height;
    peak.area = area;
    peak.width = right - left;
    peak.signalToNoise = m_dNoise > 0.0 ? height / m_dNoise : 0.0;
    return 1;
}

void OPeakIntegrator::UpdateAreaPercent(std::vector<OPeak>& peaks)
{
    double sum = 0.0;
    for (const OPeak& peak : peaks)
        sum += peak.area;
    for (OPeak& peak : peaks)
        peak.areaPercent = sum != 0.0 && std::isfinite(sum) ? 100.0 * peak.area / sum : 0.0;
}
