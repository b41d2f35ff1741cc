// Resampling a chromatogram onto a uniform grid, against values worked out
// from the functions the points were taken from.

#include "Resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Series {
    std::vector<float> x, y;
};

template <class F> Series Sample(const std::vector<double>& times, F f)
{
    Series s;
    for (double t : times) {
        s.x.push_back(static_cast<float>(t));
        s.y.push_back(static_cast<float>(f(t)));
    }
    return s;
}

std::vector<double> Even(double from, double step, int n)
{
    std::vector<double> t;
    for (int i = 0; i < n; ++i)
        t.push_back(from + step * i);
    return t;
}

TEST(Resampler, ChoosesItsRuleByTheWindowsSteps)
{
    using M = OResampler::Method;
    EXPECT_EQ(OResampler::Choose(0.14, 0.15, 0.20), M::Spline);
    EXPECT_EQ(OResampler::Choose(0.14, 0.14, 0.21), M::Lagrange);
    EXPECT_EQ(OResampler::Choose(1.0, 1.5, 3.0), M::Lagrange);
    EXPECT_EQ(OResampler::Choose(1.0, 1.0, 3.5), M::Lines);
    EXPECT_EQ(OResampler::Choose(1.0, 10.0, 1.0), M::Lines);
}

// Evenly spaced pulses (within 0.06 s): the spline. Its second-difference
// curvature is exact for a parabola, so the grid gets t^2 itself.
TEST(Resampler, EvenlySpacedPointsGiveTheSplineValues)
{
    const Series s = Sample(Even(2.0, 0.5, 13), [](double t) { return t * t; });
    std::vector<float> out;
    std::string message;
    ASSERT_EQ(OResampler::Resample(s.x, s.y, 0.2, out, message), 1) << message;
    ASSERT_EQ(out.size(), 31u); // 2.0 .. 8.0 in steps of 0.2
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = 2.0 + 0.2 * static_cast<double>(i);
        // The last point of all leaves out the second curvature term,
        // (b^3 - b) h^2 / 6 x (y1 - 2 y2 + y3) / h^2 = 6 x 0.25 / 6 x 2 = 0.5 (b = 2, h = 0.5).
        const double expected = i + 1 == out.size() ? t * t - 0.5 : t * t;
        EXPECT_NEAR(out[i], expected, 1e-4) << "t = " << t;
    }
}

// Steps of 1 and 1.5 s are uneven enough for the Lagrange polynomial, which
// reproduces a cubic exactly.
TEST(Resampler, UnevenStepsUseTheLagrangePolynomial)
{
    std::vector<double> times{0.0};
    for (int i = 1; i < 12; ++i)
        times.push_back(times.back() + (i % 2 ? 1.0 : 1.5));
    const auto cubic = [](double t) { return t * t * t - 2.0 * t + 5.0; };
    const Series s = Sample(times, cubic);
    std::vector<float> out;
    std::string message;
    ASSERT_EQ(OResampler::Resample(s.x, s.y, 0.1, out, message), 1) << message;
    ASSERT_EQ(out.size(), static_cast<size_t>(std::lround(times.back() / 0.1)) + 1);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = 0.1 * static_cast<double>(i);
        EXPECT_NEAR(out[i], cubic(t), 2e-3 * std::max(1.0, std::fabs(cubic(t)))) << t;
    }
}

// Pulses 1 s apart with a 10 s hole: ramps down to 0 one second after the
// last pulse before the hole, zeros, and a ramp up over the second before
// the first pulse after it.
TEST(Resampler, AHoleBecomesZerosBetweenTwoRamps)
{
    std::vector<double> times = Even(0.0, 1.0, 11); // 0 .. 10
    for (double t : Even(20.0, 1.0, 11))            // 20 .. 30
        times.push_back(t);
    const Series s = Sample(times, [](double) { return 100.0; });
    std::vector<float> out;
    std::string message;
    ASSERT_EQ(OResampler::Resample(s.x, s.y, 0.5, out, message), 1) << message;
    ASSERT_EQ(out.size(), 61u);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = 0.5 * static_cast<double>(i);
        double expected = 100.0;
        if (t > 10.0 && t <= 11.0)
            expected = 100.0 * (11.0 - t);
        else if (t > 11.0 && t < 19.0)
            expected = 0.0;
        else if (t >= 19.0 && t < 20.0)
            expected = 100.0 * (t - 19.0);
        EXPECT_NEAR(out[i], expected, 1e-3) << "t = " << t;
    }
}

// 12.00 s to 612.00 s at 10 Hz: 6001 grid points, never more than the walk
// produces, whatever the rounding of the times.
TEST(Resampler, ProducesOnePointPerGridTimeUpToTheLastPulse)
{
    std::vector<double> times;
    for (int k = 0; k <= 4286; ++k)
        times.push_back((1200 + 14 * k) / 100.0);
    times.back() = 612.0;
    const Series s = Sample(times, [](double t) { return t; });
    std::vector<float> out;
    std::string message;
    ASSERT_EQ(OResampler::Resample(s.x, s.y, 0.1, out, message), 1) << message;
    EXPECT_EQ(out.size(), 6001u);
    EXPECT_NEAR(out.front(), 12.0, 1e-3);
    EXPECT_NEAR(out.back(), 612.0, 1e-2);
}

struct RefusalCase {
    const char* name;
    std::vector<float> x, y;
    double step;
};

class ResamplerRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ResamplerRefusal, SaysWhyAndProducesNothing)
{
    std::vector<float> out{1.0f};
    std::string message;
    EXPECT_EQ(OResampler::Resample(GetParam().x, GetParam().y, GetParam().step, out, message), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(message.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Resampler, ResamplerRefusal,
    ::testing::Values(RefusalCase{"ThreePoints", {0, 1, 2}, {1, 2, 3}, 0.1},
                      RefusalCase{"Empty", {}, {}, 0.1},
                      RefusalCase{"Mismatch", {0, 1, 2, 3}, {1, 2, 3}, 0.1},
                      RefusalCase{"TimesStandStill", {0, 1, 1, 2}, {1, 2, 3, 4}, 0.1},
                      RefusalCase{"TimesFall", {0, 2, 1, 3}, {1, 2, 3, 4}, 0.1},
                      RefusalCase{"NotANumber", {0, 1, 2, 3}, {1, NAN, 3, 4}, 0.1},
                      RefusalCase{"ZeroStep", {0, 1, 2, 3}, {1, 2, 3, 4}, 0.0},
                      RefusalCase{"InfiniteStep", {0, 1, 2, 3}, {1, 2, 3, 4}, INFINITY},
                      RefusalCase{"TinyStep", {0, 1, 2, 1e6}, {1, 2, 3, 4}, 1e-3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Resampler, FewerThanFourPointsAreRefusedWithTheMessage)
{
    std::vector<float> out;
    std::string message;
    const std::vector<float> three{0.0f, 1.0f, 2.0f};
    EXPECT_EQ(OResampler::Resample(three, three, 0.1, out, message), 0);
    EXPECT_EQ(message, OResampler::kTooFewPoints);
}

} // namespace
