#include "GateCalculator.h"

#include <cmath>

namespace {

float Sample(std::span<const int32_t> samples, int i)
{
    return static_cast<float>(static_cast<uint32_t>(samples[static_cast<size_t>(i)]));
}

// trunc(t x 10) kept inside 0..last; clamped is set when it had to be moved.
int SampleIndex(double t, int last, bool& clamped)
{
    const double v = std::trunc(t * 10.0);
    if (!(v >= 0.0)) { // below 0, or not a number
        clamped = true;
        return 0;
    }
    if (v > static_cast<double>(last)) {
        clamped = true;
        return last;
    }
    return static_cast<int>(v);
}

} // namespace

OGateCalculator::OGateCalculator(const CGateParameters& gates, const CChannelParameters& channels,
                                 const OCfgData& cfg)
{
    for (int m = 0; m < kGates; ++m) {
        const CGateParameter& gate = gates[m];
        const CFileGateModeData& mode = cfg.GetGateModeData(m);
        Gate& g = m_gates[static_cast<size_t>(m)];
        g.startA = gate.GetStartA();
        g.stopA = gate.GetStopA();
        g.startB = gate.GetStartB();
        g.stopB = gate.GetStopB();
        g.alpha = mode.GetAlpha();
        g.operatorCode = mode.GetOperator();
        g.squareRoot = mode.GetSquareRoot() != 0;
        g.zero = ChannelZero(channels, cfg, m);
    }
}

OGateCalculator::Window OGateCalculator::ResolveWindow(double start, double stop, int samples)
{
    Window w;
    if (samples <= 0) {
        w.clamped = true;
        return w;
    }
    const int last = samples - 1;
    w.s = SampleIndex(start, last, w.clamped);
    w.e = SampleIndex(stop, last, w.clamped);
    if (w.e < w.s) {
        w.e = w.s;
        w.clamped = true;
    }
    return w;
}

float OGateCalculator::WindowValue(std::span<const int32_t> samples, const Window& window,
                                   double tDelay, uint32_t darkCurrent)
{
    const float dark = static_cast<float>(darkCurrent);
    if (samples.empty())
        return 0.0f - dark;
    const int n = static_cast<int>(samples.size());
    float sum = 0.0f;
    for (int i = window.s; i <= window.e; ++i)
        sum += Sample(samples, i);
    sum = static_cast<float>(sum - Sample(samples, window.s) * tDelay);
    if (window.e < n - 1)
        sum = static_cast<float>(sum + Sample(samples, window.e + 1) * tDelay);
    return sum / static_cast<float>(window.e - window.s + 1) - dark;
}

float OGateCalculator::Combine(float a, float b, float alpha, int operatorCode)
{
    switch (operatorCode) {
    case 1:
        return a + alpha * b;
    case 2:
        return alpha * b * a;
    case 3:
        return a / (alpha * b);
    default: // 0, and codes no operator has
        return a - alpha * b;
    }
}

float OGateCalculator::Finish(float r, float zero, bool squareRoot)
{
    if (std::isnan(r))
        r = 0.0f;
    if (r > kClampLimit)
        r = kClampLimit;
    else if (r < 0.0f)
        r = 0.0f;
    r = r - zero;
    if (r <= 0.0f)
        r = 0.0f;
    if (squareRoot)
        r = std::sqrt(r);
    return r;
}

float OGateCalculator::ChannelZero(const CChannelParameters& channels, const OCfgData& cfg, int m)
{
    float zero = 0.0f;
    for (int c = 0; c < CChannelParameters::kChannels; ++c)
        if (channels[c].GetGateIndex() == m)
            zero = static_cast<float>(static_cast<uint16_t>(cfg.GetChannelData(c).GetZeroValue()));
    return zero;
}

void OGateCalculator::Resolve(int samples)
{
    for (Gate& g : m_gates) {
        g.a = ResolveWindow(g.startA, g.stopA, samples);
        g.b = ResolveWindow(g.startB, g.stopB, samples);
    }
    m_nResolvedFor = samples;
}

OGateCalculator::Values OGateCalculator::Compute(const CPulseData& pulse)
{
    const std::span<const int32_t> samples(pulse.Samples());
    const int n = static_cast<int>(samples.size());
    if (n != m_nResolvedFor)
        Resolve(n);
    Values values{};
    for (size_t m = 0; m < m_gates.size(); ++m) {
        const Gate& g = m_gates[m];
        if (g.a.clamped || g.b.clamped)
            m_clamped[m] = true;
        const float a = WindowValue(samples, g.a, pulse.GetTDelay(), pulse.GetDarkCurrent());
        const float b = WindowValue(samples, g.b, pulse.GetTDelay(), pulse.GetDarkCurrent());
        values[m] = Finish(Combine(a, b, g.alpha, g.operatorCode), g.zero, g.squareRoot);
    }
    return values;
}
