#include "GateCalculator.h"

#include <cmath>

namespace {

constexpr uint64_t kExactFloatSum = uint64_t{1} << 24;

#define GATE_INLINE inline __attribute__((always_inline))

GATE_INLINE float Sample(const int32_t* samples, int i)
{
    return static_cast<float>(static_cast<uint32_t>(samples[i]));
}

GATE_INLINE float WindowValueOf(const int32_t* d, int n, int s, int e, double tDelay, float dark)
{
    // While every partial sum is a whole number no larger than 2^24 a float
    // holds it exactly, so the float sum is the integer sum in any order: add
    // in integers then (much faster), else in floats sample by sample.
    uint64_t whole = 0;
    for (int i = s; i <= e; ++i)
        whole += static_cast<uint32_t>(d[i]);
    float sum = 0.0f;
    if (whole <= kExactFloatSum) {
        sum = static_cast<float>(whole);
    } else {
        for (int i = s; i <= e; ++i)
            sum += Sample(d, i);
    }
    sum = static_cast<float>(sum - Sample(d, s) * tDelay);
    if (e < n - 1)
        sum = static_cast<float>(sum + Sample(d, e + 1) * tDelay);
    return sum / static_cast<float>(e - s + 1) - dark;
}

GATE_INLINE float CombineOf(float a, float b, float alpha, int operatorCode)
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

GATE_INLINE float FinishOf(float r, float zero, bool squareRoot)
{
    if (std::isnan(r))
        r = 0.0f;
    if (r > OGateCalculator::kClampLimit)
        r = OGateCalculator::kClampLimit;
    else if (r < 0.0f)
        r = 0.0f;
    r = r - zero;
    if (r <= 0.0f)
        r = 0.0f;
    if (squareRoot)
        r = std::sqrt(r);
    return r;
}

#undef GATE_INLINE

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

// Everything one pulse goes through, built twice on x86-64 with GCC: for
// processors with AVX2 (unsigned minimum, maximum and widening sums eight
// samples at a time) and for any x86-64; the loader picks one. Both do the
// same arithmetic in the same order. Not under the sanitizers: the loader
// runs the picking code before their runtime is up.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) &&                             \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define PULSE_LOOP_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define PULSE_LOOP_CLONES
#endif

namespace pulse_loops {

PULSE_LOOP_CLONES void Pulse(const int32_t* d, int n, double tDelay, uint32_t darkCurrent,
                             const OGateCalculator::Resolved* gates, float* values,
                             uint32_t& lowest, uint32_t& highest)
{
    uint32_t lo = lowest;
    uint32_t hi = highest;
    for (int i = 0; i < n; ++i) {
        const auto value = static_cast<uint32_t>(d[i]);
        lo = value < lo ? value : lo;
        hi = value > hi ? value : hi;
    }
    lowest = lo;
    highest = hi;
    const float dark = static_cast<float>(darkCurrent);
    for (int m = 0; m < OGateCalculator::kGates; ++m) {
        const OGateCalculator::Resolved& g = gates[m];
        const float a = WindowValueOf(d, n, g.aStart, g.aEnd, tDelay, dark);
        const float b = WindowValueOf(d, n, g.bStart, g.bEnd, tDelay, dark);
        values[m] = FinishOf(CombineOf(a, b, g.alpha, g.operatorCode), g.zero, g.squareRoot);
    }
}

} // namespace pulse_loops

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
    return WindowValueOf(samples.data(), static_cast<int>(samples.size()), window.s, window.e,
                         tDelay, dark);
}

float OGateCalculator::Combine(float a, float b, float alpha, int operatorCode)
{
    return CombineOf(a, b, alpha, operatorCode);
}

float OGateCalculator::Finish(float r, float zero, bool squareRoot)
{
    return FinishOf(r, zero, squareRoot);
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
    for (size_t m = 0; m < m_gates.size(); ++m) {
        const Gate& g = m_gates[m];
        const Window a = ResolveWindow(g.startA, g.stopA, samples);
        const Window b = ResolveWindow(g.startB, g.stopB, samples);
        Resolved& r = m_resolved[m];
        r.aStart = a.s;
        r.aEnd = a.e;
        r.bStart = b.s;
        r.bEnd = b.e;
        r.alpha = g.alpha;
        r.operatorCode = g.operatorCode;
        r.squareRoot = g.squareRoot;
        r.zero = g.zero;
        m_resolvedClamped[m] = a.clamped || b.clamped;
    }
    m_nResolvedFor = samples;
}

bool OGateCalculator::GetSampleRange(uint32_t& lowest, uint32_t& highest) const
{
    lowest = m_nLowest;
    highest = m_nHighest;
    return m_bSamples;
}

OGateCalculator::Values OGateCalculator::Compute(const CPulseData& pulse)
{
    const std::vector<int32_t>& samples = pulse.Samples();
    const int n = static_cast<int>(samples.size());
    if (n != m_nResolvedFor)
        Resolve(n);
    for (size_t m = 0; m < m_clamped.size(); ++m)
        m_clamped[m] = m_clamped[m] || m_resolvedClamped[m];
    Values values{};
    if (n == 0) {
        // No samples: every window reads as nothing less the dark current.
        const float nothing = 0.0f - static_cast<float>(pulse.GetDarkCurrent());
        for (size_t m = 0; m < m_resolved.size(); ++m) {
            const Resolved& g = m_resolved[m];
            values[m] =
                Finish(Combine(nothing, nothing, g.alpha, g.operatorCode), g.zero, g.squareRoot);
        }
        return values;
    }
    pulse_loops::Pulse(samples.data(), n, pulse.GetTDelay(), pulse.GetDarkCurrent(),
                       m_resolved.data(), values.data(), m_nLowest, m_nHighest);
    m_bSamples = true;
    return values;
}
