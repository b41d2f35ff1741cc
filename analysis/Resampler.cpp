#include "Resampler.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// More grid points than this are not an export but a mistake in its settings.
constexpr double kMaxPoints = 50e6;

} // namespace

OResampler::Method OResampler::Choose(double d1, double d2, double d3)
{
    const double dmin = std::min({d1, d2, d3});
    const double dmax = std::max({d1, d2, d3});
    if (dmax - dmin <= kSplineSpread)
        return Method::Spline;
    if (dmax - dmin <= 2.0 * dmin)
        return Method::Lagrange;
    return Method::Lines;
}

namespace {

// The spline of one window with its two curvature factors worked out once
// for all the grid times the window produces.
struct SplineWindow {
    SplineWindow(const double* x, const double* y)
        : x2(x[2]), y1(y[1]), y2(y[2]), h(x[2] - x[1]), perH(1.0 / h),
          k1(h * h / 6.0 * (y[0] - 2.0 * y[1] + y[2]) / ((x[1] - x[0]) * h)),
          k2(h * h / 6.0 * (y[1] - 2.0 * y[2] + y[3]) / ((x[3] - x[2]) * h))
    {
    }

    double At(double t, bool dropLast) const
    {
        const double a = (x2 - t) * perH;
        const double b = 1.0 - a;
        double value = a * y1 + b * y2 + (a * a * a - a) * k1;
        if (!dropLast)
            value += (b * b * b - b) * k2;
        return value;
    }

    double x2, y1, y2, h, perH, k1, k2;
};

} // namespace

double OResampler::Spline(const double* x, const double* y, double t, bool dropLast)
{
    return SplineWindow(x, y).At(t, dropLast);
}

double OResampler::Lagrange(const double* x, const double* y, double t)
{
    double value = 0.0;
    for (int j = 0; j < 4; ++j) {
        double term = y[j];
        for (int k = 0; k < 4; ++k)
            if (k != j)
                term *= (t - x[k]) / (x[j] - x[k]);
        value += term;
    }
    return value;
}

double OResampler::Lines(const double* x, const double* y, double t)
{
    const double dmin = std::min({x[1] - x[0], x[2] - x[1], x[3] - x[2]});
    int j = 0;
    while (j < 2 && t > x[j + 1])
        ++j;
    const double left = x[j];
    const double right = x[j + 1];
    if (right - left > 3.0 * dmin) {
        if (t <= left + dmin)
            return y[j] * (1.0 - (t - left) / dmin);
        if (t >= right - dmin)
            return y[j + 1] * (t - (right - dmin)) / dmin;
        return 0.0;
    }
    return y[j] + (y[j + 1] - y[j]) * (t - left) / (right - left);
}

int OResampler::Resample(std::span<const float> x, std::span<const float> y, double step,
                         std::vector<float>& out, std::string& message)
{
    out.clear();
    if (x.size() != y.size()) {
        message = "The chromatogram's times and values do not match.";
        return 0;
    }
    if (x.size() < 4) {
        message = kTooFewPoints;
        return 0;
    }
    if (!std::isfinite(step) || step <= 0.0) {
        message = "The sampling interval is not a positive number.";
        return 0;
    }
    for (size_t i = 0; i < x.size(); ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]) || (i > 0 && x[i] <= x[i - 1])) {
            message = "The chromatogram's times do not rise at point " + std::to_string(i + 1) +
                      "; it cannot be resampled.";
            return 0;
        }
    }
    const double x0 = x.front();
    const double span = static_cast<double>(x.back()) - x0;
    if (span / step + 2.0 > kMaxPoints) {
        message = "The sampling interval is too small for a chromatogram this long.";
        return 0;
    }
    // Grid times are computed, not summed, so they do not drift. Pulse times
    // are floats (21.80 s is 21.7999992): a margin of a few of their units in
    // the last place - never more than a quarter step - keeps a grid time
    // that falls on a pulse's time.
    const double largest = std::max(std::fabs(x0), std::fabs(static_cast<double>(x.back())));
    const double ulp = std::nextafter(static_cast<float>(largest), INFINITY) - largest;
    const double margin = std::min(std::max(step * 1e-6, 4.0 * ulp), step / 4.0);
    out.reserve(static_cast<size_t>(span / step) + 2);

    size_t produced = 0;
    double t = x0;
    for (size_t i = 3; i < x.size(); ++i) {
        const bool last = i + 1 == x.size();
        const double wx[4] = {x[i - 3], x[i - 2], x[i - 1], x[i]};
        const double wy[4] = {y[i - 3], y[i - 2], y[i - 1], y[i]};
        const double end = last ? wx[3] : wx[2];
        const Method method = Choose(wx[1] - wx[0], wx[2] - wx[1], wx[3] - wx[2]);
        const SplineWindow spline(wx, wy);
        while (t <= end + margin) {
            double value = 0.0;
            switch (method) {
            case Method::Spline:
                value = spline.At(t, last && std::fabs(t - wx[3]) <= margin);
                break;
            case Method::Lagrange:
                value = Lagrange(wx, wy, t);
                break;
            case Method::Lines:
                value = Lines(wx, wy, t);
                break;
            }
            // Finite inputs give finite values; a float cannot hold every double.
            if (std::isnan(value))
                value = 0.0;
            value = std::clamp(value, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX));
            out.push_back(static_cast<float>(value));
            ++produced;
            t = x0 + static_cast<double>(produced) * step;
        }
    }
    return 1;
}
