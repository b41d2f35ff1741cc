#pragma once
// OGateCalculator: the five gate values of a pulse, in the single-precision
// arithmetic the chromatograms have always been computed with.
//
// For gate m and each of its windows A and B (start and stop in ms):
//   s = trunc(start x 10), e = trunc(stop x 10)       sample indexes
//   S = sum of d(s..e) in float                        d(i) = sample i as uint32, as float
//   S = S - d(s) x T;  S = S + d(e + 1) x T when e < N - 1   (T = the pulse's T-delay,
//                                                     each term in double, stored as float)
//   value = S / (e - s + 1) - dark current
// then, with alpha, operator code, square-root flag of gate mode m of the
// working configuration and z = the zero value (as uint16) of the channel
// whose gate index is m (channel 2 when both are, 0 when neither):
//   r = A - alpha B | A + alpha B | alpha B A | A / (alpha B)   (codes 0 1 2 3)
//   r above 16777215 -> 16777215, below 0 -> 0
//   r = r - z, 0 or less -> 0;  square root when the flag is set
//
// Two things the arithmetic alone would get wrong are settled here:
//   - a window reaching outside the pulse's samples (or with its stop before
//     its start) is clamped to the samples the pulse has, and the gate is
//     flagged so that views can mark it; no sample that does not exist is read;
//   - a result that is not a number (0 / 0, a damaged T-delay) counts as 0.

#include "CfgData.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "PulseData.h"

#include <array>
#include <cstdint>
#include <span>

class OGateCalculator {
public:
    static constexpr int kGates = 5;
    static constexpr float kClampLimit = 16777215.0f;
    using Values = std::array<float, kGates>;

    struct Window {
        int s = 0;
        int e = 0;
        bool clamped = false;
        bool operator==(const Window& other) const = default;
    };

    // Takes what the calculation needs from the document: the windows of its
    // gate set, the gate index of its channels, and the operators, alphas,
    // square-root flags and zero values of its working configuration.
    OGateCalculator(const CGateParameters& gates, const CChannelParameters& channels,
                    const OCfgData& cfg);

    Values Compute(const CPulseData& pulse);
    // Gates whose window had to be clamped for some pulse computed so far.
    const std::array<bool, kGates>& GetClamped() const { return m_clamped; }
    // The smallest and largest sample (unsigned) of the pulses computed so
    // far; false when they held no samples.
    bool GetSampleRange(uint32_t& lowest, uint32_t& highest) const;

    // The steps, for the views and the tests.
    static Window ResolveWindow(double start, double stop, int samples);
    static float WindowValue(std::span<const int32_t> samples, const Window& window, double tDelay,
                             uint32_t darkCurrent);
    static float Combine(float a, float b, float alpha, int operatorCode);
    // Clamp, zero and square root.
    static float Finish(float r, float zero, bool squareRoot);
    // z for gate m.
    static float ChannelZero(const CChannelParameters& channels, const OCfgData& cfg, int m);

    // A gate as the per-pulse loop uses it: windows resolved for one pulse
    // length, and its operator, alpha, square-root flag and zero.
    struct Resolved {
        int aStart = 0, aEnd = 0, bStart = 0, bEnd = 0;
        float alpha = 0.0f;
        int operatorCode = 0;
        bool squareRoot = false;
        float zero = 0.0f;
    };

private:
    void Resolve(int samples);

    struct Gate {
        double startA, stopA, startB, stopB;
        float alpha;
        int operatorCode;
        bool squareRoot;
        float zero;
    };
    std::array<Gate, kGates> m_gates{};
    std::array<Resolved, kGates> m_resolved{};
    std::array<bool, kGates> m_resolvedClamped{};
    std::array<bool, kGates> m_clamped{};
    int m_nResolvedFor = -1;
    uint32_t m_nLowest = UINT32_MAX;
    uint32_t m_nHighest = 0;
    bool m_bSamples = false;
};
