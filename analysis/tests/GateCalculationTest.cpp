// The gate values of one pulse: windows, T-delay terms, operators, clamp,
// zero and square root, in single precision.

#include "CfgData.h"
#include "GateCalculator.h"
#include "Recordings.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using recordings::Gate;
using recordings::Ramp;

std::vector<int32_t> RampSamples(int base)
{
    std::vector<int32_t> d(250);
    for (int i = 0; i < 250; ++i)
        d[static_cast<size_t>(i)] = base + i;
    return d;
}

struct WindowCase {
    const char* name;
    double start, stop, tDelay;
    unsigned dark;
    int s, e;
    float expected; // worked out by hand for samples d(i) = i
};

class WindowValue : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowValue, MatchesTheHandWorkedMean)
{
    const WindowCase& c = GetParam();
    const auto window = OGateCalculator::ResolveWindow(c.start, c.stop, 250);
    EXPECT_EQ(window.s, c.s);
    EXPECT_EQ(window.e, c.e);
    EXPECT_FALSE(window.clamped);
    EXPECT_EQ(OGateCalculator::WindowValue(RampSamples(0), window, c.tDelay, c.dark), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Gates, WindowValue,
    ::testing::Values(
        // 1.0 to 2.0 ms: samples 10..20, sum 165, 11 samples.
        WindowCase{"PlainMean", 1.0, 2.0, 0.0, 0, 10, 20, 15.0f},
        WindowCase{"LessDark", 1.0, 2.0, 0.0, 5, 10, 20, 10.0f},
        // Half of sample 10 out, half of sample 21 in: 165 - 5 + 10.5.
        WindowCase{"HalfSampleShift", 1.0, 2.0, 0.5, 0, 10, 20, 170.5f / 11.0f},
        // Stop at 24.9 ms is the last sample: no d(e + 1) term. 2445 - 120.
        WindowCase{"LastSampleHasNoFollower", 24.0, 24.9, 0.5, 0, 240, 249, 232.5f},
        WindowCase{"SingleSample", 5.0, 5.0, 0.0, 0, 50, 50, 50.0f}),
    [](const auto& info) { return std::string(info.param.name); });

// The sum is a float: adding 1 to 2^24 is lost every time, which a double
// sum would keep.
TEST(GateArithmetic, SumsAccumulateInSinglePrecision)
{
    std::vector<int32_t> d(250, 1);
    d[0] = 16777216;
    const OGateCalculator::Window window{0, 10, false};
    EXPECT_EQ(OGateCalculator::WindowValue(d, window, 0.0, 0), 16777216.0f / 11.0f);
}

// A sample is unsigned: -1 reads as 4294967295.
TEST(GateArithmetic, SamplesAreUnsigned)
{
    std::vector<int32_t> d(250, 0);
    d[3] = -1;
    EXPECT_EQ(OGateCalculator::WindowValue(d, {3, 3, false}, 0.0, 0), 4294967295.0f);
}

struct CombineCase {
    int code;
    float a, b, alpha, expected;
};

class Combine : public ::testing::TestWithParam<CombineCase> {};

TEST_P(Combine, AppliesTheOperatorOfItsCode)
{
    const CombineCase& c = GetParam();
    EXPECT_EQ(OGateCalculator::Combine(c.a, c.b, c.alpha, c.code), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Gates, Combine,
                         ::testing::Values(CombineCase{0, 100.0f, 40.0f, 0.5f, 80.0f},
                                           CombineCase{1, 100.0f, 40.0f, 0.5f, 120.0f},
                                           CombineCase{2, 100.0f, 40.0f, 0.5f, 2000.0f},
                                           CombineCase{3, 100.0f, 40.0f, 0.5f, 5.0f},
                                           // A code no operator has acts as "-".
                                           CombineCase{9, 100.0f, 40.0f, 0.5f, 80.0f}),
                         [](const auto& info) { return "Code" + std::to_string(info.param.code); });

struct FinishCase {
    const char* name;
    float r, zero;
    bool sqrt;
    float expected;
};

class Finish : public ::testing::TestWithParam<FinishCase> {};

TEST_P(Finish, ClampsZeroesAndRoots)
{
    const FinishCase& c = GetParam();
    EXPECT_EQ(OGateCalculator::Finish(c.r, c.zero, c.sqrt), c.expected);
}

constexpr float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(Gates, Finish,
                         ::testing::Values(
                             // Clamped to 16777215 before the zero is taken off.
                             FinishCase{"ClampThenZero", 20000000.0f, 15.0f, false, 16777200.0f},
                             // "/" with alpha x B = 0 and A > 0 gives +inf: clamped the same way.
                             FinishCase{"DivisionByZero", kInf, 15.0f, false, 16777200.0f},
                             FinishCase{"NegativeInfinity", -kInf, 0.0f, false, 0.0f},
                             FinishCase{"Negative", -3.0f, 0.0f, false, 0.0f},
                             FinishCase{"EqualToZero", 25.0f, 25.0f, false, 0.0f},
                             FinishCase{"EqualToZeroRooted", 25.0f, 25.0f, true, 0.0f},
                             FinishCase{"BelowZero", 20.0f, 25.0f, true, 0.0f},
                             FinishCase{"Rooted", 41.0f, 25.0f, true, 4.0f},
                             // 0 / 0: no signal, never a value that is not a number.
                             FinishCase{"NotANumber", std::numeric_limits<float>::quiet_NaN(), 0.0f,
                                        true, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GateArithmetic, ZeroOverZeroGivesZeroNotNaN)
{
    const float r = OGateCalculator::Combine(0.0f, 0.0f, 1.0f, 3);
    EXPECT_EQ(OGateCalculator::Finish(r, 0.0f, false), 0.0f);
}

struct ClampCase {
    const char* name;
    double start, stop;
    int samples, s, e;
    bool clamped;
};

class WindowClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(WindowClamp, KeepsWindowsInsideThePulse)
{
    const ClampCase& c = GetParam();
    const auto w = OGateCalculator::ResolveWindow(c.start, c.stop, c.samples);
    EXPECT_EQ(w, (OGateCalculator::Window{c.s, c.e, c.clamped}));
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Gates, WindowClamp,
    ::testing::Values(ClampCase{"Inside", 1.0, 2.0, 250, 10, 20, false},
                      ClampCase{"StopAtLastSample", 24.0, 24.9, 250, 240, 249, false},
                      // Truncation toward zero keeps -0.05 ms at sample 0.
                      ClampCase{"JustBelowZero", -0.05, 1.0, 250, 0, 10, false},
                      ClampCase{"StopPastTheEnd", 24.0, 25.0, 250, 240, 249, true},
                      ClampCase{"StartBeforeTheStart", -1.0, 1.0, 250, 0, 10, true},
                      ClampCase{"WhollyOutside", 30.0, 40.0, 250, 249, 249, true},
                      ClampCase{"Reversed", 3.0, 2.0, 250, 30, 30, true},
                      ClampCase{"NotANumber", kNaN, 1.0, 250, 0, 10, true},
                      ClampCase{"Huge", 1.0, 1e300, 250, 10, 249, true},
                      ClampCase{"ShortPulse", 1.0, 2.0, 15, 10, 14, true},
                      ClampCase{"NoSamples", 1.0, 2.0, 0, 0, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A whole pulse through a configuration: each gate reads its own operator,
// alpha, square-root flag and zero from the working configuration.
TEST(GateCalculator, ComputesEveryGateOfAPulse)
{
    CGateParameters gates;
    gates[0] = Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_MINUS, 0.5);
    gates[1] = Gate(GM_P, 0.0, 0.9, 0.0, 0.0, GO_PLUS, 0.0);
    gates[2] = Gate(GM_C, 5.0, 5.0, 5.0, 5.0, GO_MULTIPLY, 1.0, true);
    gates[3] = Gate(GM_N, 24.0, 26.0, 0.0, 0.0, GO_MINUS, 0.0);
    gates[4] = Gate(GM_B, 0.0, 0.0, 0.0, 0.0, GO_DIVIDE, 0.0);
    CChannelParameters channels;
    channels[0].SetGateIndex(0);
    channels[0].SetChannelZero(20);
    channels[1].SetGateIndex(0); // both name gate 0: channel 2's zero counts
    channels[1].SetChannelZero(7);
    OCfgData cfg;
    cfg.Derive(gates, channels, CBoardParameters(), CTimedEvent());

    OGateCalculator calculator(gates, channels, cfg);
    // Samples 100 + i, T = 0.5, dark 10: a window's value is
    // 100 + (s + e + 1) / 2 - 10 (the T terms add half a sample at each end).
    const auto values = calculator.Compute(Ramp(100, 0.5, 10, 0));
    EXPECT_EQ(values[0], (105.5f - 0.5f * 125.5f) - 7.0f);
    EXPECT_EQ(values[1], 95.0f);
    EXPECT_EQ(values[2], 140.5f);
    // 24.0 to 26.0 ms is clamped to samples 240..249: no follower term.
    EXPECT_EQ(values[3], (2445.0f + 1000.0f - 0.5f * 340.0f) / 10.0f - 10.0f);
    // 90.5 / (0 x 90.5) = +inf, clamped.
    EXPECT_EQ(values[4], 16777215.0f);
    EXPECT_EQ(calculator.GetClamped(), (std::array<bool, 5>{false, false, false, true, false}));
}

struct ZeroCase {
    const char* name;
    int gateIndex1, gateIndex2, m;
    float expected;
};

class ChannelZero : public ::testing::TestWithParam<ZeroCase> {};

TEST_P(ChannelZero, ComesFromTheChannelNamingTheGate)
{
    const ZeroCase& c = GetParam();
    CChannelParameters channels;
    channels[0].SetGateIndex(c.gateIndex1);
    channels[0].SetChannelZero(40000); // kept as 16 bits, read unsigned
    channels[1].SetGateIndex(c.gateIndex2);
    channels[1].SetChannelZero(12);
    OCfgData cfg;
    cfg.Derive(CGateParameters(), channels, CBoardParameters(), CTimedEvent());
    EXPECT_EQ(OGateCalculator::ChannelZero(channels, cfg, c.m), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Gates, ChannelZero,
                         ::testing::Values(ZeroCase{"Channel1", 2, 3, 2, 40000.0f},
                                           ZeroCase{"Channel2", 2, 3, 3, 12.0f},
                                           ZeroCase{"BothChannel2Wins", 4, 4, 4, 12.0f},
                                           ZeroCase{"Neither", 2, 3, 1, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// The per-pulse loop (built for the processor at hand) against the steps
// one by one, on pulses whose sums take the integer path and the float path.
TEST(GateCalculator, PulseLoopMatchesTheStepsOneByOne)
{
    CGateParameters gates;
    gates[0] = Gate(GM_S, 0.0, 24.9, 0.3, 0.7, GO_MINUS, 0.37);
    gates[1] = Gate(GM_P, 1.1, 2.6, 12.0, 19.9, GO_PLUS, 1.5, true);
    gates[2] = Gate(GM_C, 3.3, 3.3, 4.0, 9.9, GO_MULTIPLY, 0.001);
    gates[3] = Gate(GM_N, 20.0, 24.9, 0.0, 24.9, GO_DIVIDE, 3.0);
    gates[4] = Gate(GM_B, 7.7, 8.8, 9.9, 10.1, GO_MINUS, 0.0, true);
    CChannelParameters channels;
    channels[0].SetGateIndex(1);
    channels[0].SetChannelZero(17);
    OCfgData cfg;
    cfg.Derive(gates, channels, CBoardParameters(), CTimedEvent());
    OGateCalculator calculator(gates, channels, cfg);

    uint32_t seed = 12345;
    const auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int k = 0; k < 200; ++k) {
        CPulseData pulse;
        pulse.SetTDelay((next() % 1000) / 997.0);
        pulse.SetDarkCurrent(next() % 500);
        // Small samples, 24-bit samples, and now and then any 32-bit pattern.
        const uint32_t mask = k % 3 == 0 ? 0xFFFF : (k % 3 == 1 ? 0xFFFFFF : 0xFFFFFFFF);
        for (int i = 0; i < 250; ++i)
            pulse.AddData(static_cast<int32_t>(next() & mask));
        const auto values = calculator.Compute(pulse);
        for (int m = 0; m < 5; ++m) {
            const CGateParameter& g = gates[m];
            const CFileGateModeData& mode = cfg.GetGateModeData(m);
            const auto a = OGateCalculator::ResolveWindow(g.GetStartA(), g.GetStopA(), 250);
            const auto b = OGateCalculator::ResolveWindow(g.GetStartB(), g.GetStopB(), 250);
            const float va = OGateCalculator::WindowValue(pulse.Samples(), a, pulse.GetTDelay(),
                                                          pulse.GetDarkCurrent());
            const float vb = OGateCalculator::WindowValue(pulse.Samples(), b, pulse.GetTDelay(),
                                                          pulse.GetDarkCurrent());
            const float expected = OGateCalculator::Finish(
                OGateCalculator::Combine(va, vb, mode.GetAlpha(), mode.GetOperator()),
                OGateCalculator::ChannelZero(channels, cfg, m), mode.GetSquareRoot() != 0);
            ASSERT_EQ(std::bit_cast<uint32_t>(values[static_cast<size_t>(m)]),
                      std::bit_cast<uint32_t>(expected))
                << "pulse " << k << " gate " << m;
        }
    }
    uint32_t lowest = 0;
    uint32_t highest = 0;
    ASSERT_TRUE(calculator.GetSampleRange(lowest, highest));
    EXPECT_GT(highest, 0xFFFFFFu);
}

} // namespace
