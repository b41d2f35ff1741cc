#pragma once
// Synthetic chromatograms whose peaks are known exactly: Gaussian and
// tailing (exponentially modified Gaussian) peaks on a drifting baseline,
// sampled at pulse-like, optionally uneven times, with normal noise from a
// fixed seed.

#include <cmath>
#include <random>
#include <vector>

namespace synthetic {

struct Shape {
    double center; // of the Gaussian part, s
    double sigma;  // s
    double tau;    // of the exponential tail, s; 0 for a Gaussian
    double height; // of the apex above the baseline
};

struct Trace {
    std::vector<float> times;
    std::vector<float> values;
};

struct Sampling {
    int count = 5000;
    double step = 0.144;  // s between points on average
    double jitter = 0.0;  // each time moved by up to +-jitter x step
    double start = 0.0;   // s
    double level = 100.0; // baseline at time 0
    double drift = 0.0;   // baseline change per second
    double noise = 0.0;   // standard deviation
    unsigned seed = 1;
};

// The unit-area exponentially modified Gaussian at t.
inline double Emg(double t, double mu, double sigma, double tau)
{
    if (t < mu - 12.0 * sigma)
        return 0.0;
    const double lambda = 1.0 / tau;
    return lambda / 2.0 * std::exp(lambda / 2.0 * (2.0 * mu + lambda * sigma * sigma - 2.0 * t)) *
           std::erfc((mu + lambda * sigma * sigma - t) / (std::sqrt(2.0) * sigma));
}

// Where a shape's apex lies (the tailing peak's found to 1e-9 s).
inline double Apex(const Shape& s)
{
    if (s.tau <= 0.0)
        return s.center;
    double lo = s.center - s.sigma;
    double hi = s.center + 2.0 * s.sigma + s.tau;
    for (int i = 0; i < 200; ++i) {
        const double a = lo + (hi - lo) / 3.0;
        const double b = hi - (hi - lo) / 3.0;
        if (Emg(a, s.center, s.sigma, s.tau) < Emg(b, s.center, s.sigma, s.tau))
            lo = a;
        else
            hi = b;
    }
    return (lo + hi) / 2.0;
}

// The shape's value above the baseline at t.
inline double Value(const Shape& s, double t)
{
    if (s.tau <= 0.0) {
        const double u = (t - s.center) / s.sigma;
        return s.height * std::exp(-u * u / 2.0);
    }
    return s.height * Emg(t, s.center, s.sigma, s.tau) / Emg(Apex(s), s.center, s.sigma, s.tau);
}

// The exact area of the shape.
inline double Area(const Shape& s)
{
    if (s.tau <= 0.0)
        return s.height * s.sigma * std::sqrt(2.0 * M_PI);
    return s.height / Emg(Apex(s), s.center, s.sigma, s.tau);
}

inline Trace Make(const std::vector<Shape>& shapes, const Sampling& sampling)
{
    std::mt19937 random(sampling.seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::uniform_real_distribution<double> shift(-sampling.jitter, sampling.jitter);
    std::vector<double> scale;
    for (const Shape& s : shapes)
        scale.push_back(s.tau > 0.0 ? s.height / Emg(Apex(s), s.center, s.sigma, s.tau) : 0.0);
    Trace trace;
    for (int i = 0; i < sampling.count; ++i) {
        // The values are those at the times as stored.
        const float stored =
            static_cast<float>(sampling.start + sampling.step * (i + shift(random)));
        const double t = stored;
        double v = sampling.level + sampling.drift * t;
        for (size_t k = 0; k < shapes.size(); ++k) {
            const Shape& s = shapes[k];
            v += s.tau > 0.0 ? scale[k] * Emg(t, s.center, s.sigma, s.tau) : Value(s, t);
        }
        if (sampling.noise > 0.0)
            v += sampling.noise * noise(random);
        trace.times.push_back(stored);
        trace.values.push_back(static_cast<float>(v));
    }
    return trace;
}

} // namespace synthetic
