// Peak detection and integration against synthetic chromatograms whose peaks
// are known exactly.

#include "PeakDetector.h"
#include "Synthetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace {

using synthetic::Sampling;
using synthetic::Shape;

std::vector<OPeak> Detect(const synthetic::Trace& trace,
                          const OPeakParameters& parameters = OPeakParameters())
{
    const OPeakIntegrator integrator(trace.times, trace.values, parameters.smoothing);
    return OPeakDetector::Detect(integrator, parameters);
}

struct ResolvedCase {
    const char* name;
    std::vector<Shape> shapes;
    Sampling sampling;
};

class ResolvedPeaks : public ::testing::TestWithParam<ResolvedCase> {};

// Every peak is found once, its retention time within a tenth of the point
// spacing and its area within 1 % of the analytical area.
TEST_P(ResolvedPeaks, AreFoundWithTheirTimeAndArea)
{
    const ResolvedCase& c = GetParam();
    const auto trace = synthetic::Make(c.shapes, c.sampling);
    const std::vector<OPeak> peaks = Detect(trace);
    ASSERT_EQ(peaks.size(), c.shapes.size());
    for (size_t k = 0; k < c.shapes.size(); ++k) {
        const Shape& s = c.shapes[k];
        const double apex = synthetic::Apex(s);
        const OPeak& peak = peaks[k];
        EXPECT_NEAR(peak.retentionTime, apex, 0.1 * c.sampling.step) << "peak " << k;
        EXPECT_NEAR(peak.area, synthetic::Area(s), 0.01 * synthetic::Area(s)) << "peak " << k;
        EXPECT_NEAR(peak.height, s.height, 0.01 * s.height) << "peak " << k;
        EXPECT_LT(peak.startTime, apex);
        EXPECT_GT(peak.endTime, apex);
        EXPECT_FALSE(peak.manual);
        EXPECT_FALSE(peak.perpendicularStart || peak.perpendicularEnd) << "peak " << k;
    }
    double percent = 0.0;
    for (const OPeak& peak : peaks)
        percent += peak.areaPercent;
    EXPECT_NEAR(percent, 100.0, 1e-9);
}

Sampling Even(double noise, unsigned seed = 1, int count = 5000)
{
    Sampling s;
    s.count = count;
    s.noise = noise;
    s.seed = seed;
    return s;
}

Sampling Uneven(double noise, double drift, unsigned seed)
{
    Sampling s = Even(noise, seed);
    s.jitter = 0.3;
    s.drift = drift;
    s.level = 400.0;
    return s;
}

std::vector<Shape> Crowded(int count, double first, double spacing, double sigma)
{
    std::vector<Shape> shapes;
    for (int k = 0; k < count; ++k)
        shapes.push_back({first + k * spacing, sigma, 0.0, 1000.0 + 50.0 * k});
    return shapes;
}

INSTANTIATE_TEST_SUITE_P(
    PeakDetection, ResolvedPeaks,
    ::testing::Values(ResolvedCase{"NarrowGaussian", {{120.0, 0.6, 0.0, 800.0}}, Even(0.2)},
                      ResolvedCase{"Gaussian", {{200.0, 1.5, 0.0, 1000.0}}, Even(0.2, 2)},
                      ResolvedCase{"WideGaussian", {{300.0, 3.0, 0.0, 1500.0}}, Even(0.1, 3)},
                      ResolvedCase{"TailingPeak", {{250.0, 1.2, 1.5, 1000.0}}, Even(0.2, 4)},
                      ResolvedCase{"LongTail", {{250.0, 1.0, 3.0, 800.0}}, Even(0.1, 5)},
                      ResolvedCase{"OnADrift", {{350.0, 2.0, 0.0, 1000.0}}, Uneven(0.2, 0.8, 6)},
                      ResolvedCase{
                          "SinkingBaseline", {{350.0, 1.5, 1.0, 1000.0}}, Uneven(0.2, -0.5, 7)},
                      ResolvedCase{"UnevenPulses", {{100.0, 1.0, 0.0, 600.0}}, Uneven(0.1, 0.0, 8)},
                      ResolvedCase{"Mixture",
                                   {{60.0, 1.0, 0.0, 900.0},
                                    {110.0, 1.5, 1.5, 1200.0},
                                    {200.0, 2.5, 0.0, 1500.0},
                                    {260.0, 0.8, 0.0, 300.0},
                                    {400.0, 2.0, 2.0, 2000.0},
                                    {600.0, 3.0, 0.0, 2500.0}},
                                   Uneven(0.1, 0.1, 9)},
                      // Peaks over most of the trace: a crowded run, a short one.
                      ResolvedCase{"Crowded", Crowded(20, 40.0, 34.0, 3.0), Even(0.2, 10)},
                      ResolvedCase{"ShortRun", Crowded(4, 9.0, 14.0, 1.5), Even(0.2, 11, 420)}),
    [](const auto& info) { return std::string(info.param.name); });

// No peak in noise alone at the default threshold: white noise, noise that
// wanders, and a baseline that swings slowly, an hour of pulses each.
TEST(PeakDetection, PureNoiseHoldsNoPeak)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        Sampling s = Even(1.0, seed, 25000);
        s.drift = seed % 3 == 1 ? 0.01 : 0.0;
        auto trace = synthetic::Make({}, s);
        if (seed % 3 == 2) {
            double wander = 0.0;
            std::mt19937 random(seed);
            std::normal_distribution<double> step(0.0, 0.05);
            for (float& v : trace.values)
                v += static_cast<float>(wander += step(random));
        } else if (seed % 3 == 0) {
            for (size_t i = 0; i < trace.values.size(); ++i)
                trace.values[i] += static_cast<float>(20.0 * std::sin(trace.times[i] / 300.0));
        }
        EXPECT_TRUE(Detect(trace).empty()) << "seed " << seed;
    }
}

// A peak a little above the noise is found, the same peak below it is not.
TEST(PeakDetection, SmallPeaksAreFoundAboveTheThresholdOnly)
{
    const Shape peak{200.0, 1.5, 0.0, 20.0};
    const auto trace = synthetic::Make({peak}, Even(1.0, 11));
    const std::vector<OPeak> found = Detect(trace);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].retentionTime, 200.0, 0.3);
    EXPECT_NEAR(found[0].signalToNoise, 20.0, 3.0);
    OPeakParameters strict;
    std::string message;
    ASSERT_EQ(strict.Set("threshold", "20", message), 1) << message;
    EXPECT_TRUE(Detect(trace, strict).empty());
}

// A small peak riding on the tail of a large one, without a valley of its
// own: the two are cut by a perpendicular onto one baseline; together they
// hold the whole area.
TEST(PeakDetection, ShoulderIsCutByAPerpendicular)
{
    for (double side : {1.0, -1.0}) {
        const Shape main{300.0, 2.0, 0.0, 1000.0};
        const Shape shoulder{300.0 + side * 3.5, 1.0, 0.0, 400.0};
        const auto trace = synthetic::Make({main, shoulder}, Even(0.2, 12));
        const std::vector<OPeak> peaks = Detect(trace);
        ASSERT_EQ(peaks.size(), 2u) << side;
        const OPeak& first = peaks[0];
        const OPeak& second = peaks[1];
        EXPECT_EQ(first.endTime, second.startTime);
        EXPECT_TRUE(first.perpendicularEnd && second.perpendicularStart);
        EXPECT_FALSE(first.perpendicularStart || second.perpendicularEnd);
        EXPECT_EQ(first.baselineStartTime, second.baselineStartTime);
        EXPECT_EQ(first.baselineEndTime, second.baselineEndTime);
        const OPeak& big = side > 0 ? first : second;
        const OPeak& small = side > 0 ? second : first;
        EXPECT_NEAR(big.retentionTime, 300.0, 0.2);
        EXPECT_NEAR(small.retentionTime, shoulder.center, 0.5);
        EXPECT_GT(big.area, small.area);
        const double total = synthetic::Area(main) + synthetic::Area(shoulder);
        EXPECT_NEAR(first.area + second.area, total, 0.01 * total);
    }
}

// Two peaks with a valley between them that does not reach the baseline:
// a perpendicular at the valley's lowest point, one baseline under both.
TEST(PeakDetection, UnresolvedPairSharesOneBaseline)
{
    const Shape a{400.0, 1.5, 0.0, 1000.0};
    const Shape b{405.0, 1.5, 0.0, 700.0};
    const auto trace = synthetic::Make({a, b}, Even(0.2, 13));
    const std::vector<OPeak> peaks = Detect(trace);
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_NEAR(peaks[0].endTime, 402.7, 0.3); // the valley
    EXPECT_EQ(peaks[0].endTime, peaks[1].startTime);
    EXPECT_TRUE(peaks[0].perpendicularEnd && peaks[1].perpendicularStart);
    EXPECT_EQ(peaks[0].baselineEndTime, peaks[1].baselineEndTime);
    EXPECT_NEAR(peaks[0].retentionTime, 400.0, 0.1);
    EXPECT_NEAR(peaks[1].retentionTime, 405.0, 0.1);
    const double total = synthetic::Area(a) + synthetic::Area(b);
    EXPECT_NEAR(peaks[0].area + peaks[1].area, total, 0.01 * total);
}

// Two peaks whose valley reaches the baseline get a baseline each.
TEST(PeakDetection, PeaksApartGetTheirOwnBaselines)
{
    const Shape a{400.0, 1.0, 0.0, 1000.0};
    const Shape b{409.0, 1.0, 0.0, 500.0};
    const auto trace = synthetic::Make({a, b}, Even(0.2, 14));
    const std::vector<OPeak> peaks = Detect(trace);
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_FALSE(peaks[0].perpendicularEnd || peaks[1].perpendicularStart);
    EXPECT_LE(peaks[0].baselineEndTime, peaks[1].baselineStartTime);
    EXPECT_NEAR(peaks[0].area, synthetic::Area(a), 0.01 * synthetic::Area(a));
    EXPECT_NEAR(peaks[1].area, synthetic::Area(b), 0.01 * synthetic::Area(b));
}

// What is no peak: a single wild pulse, a step of the baseline, a peak the
// trace cuts off before its apex.
TEST(PeakDetection, SpikesStepsAndCutOffRisesAreNoPeaks)
{
    auto spike = synthetic::Make({}, Even(0.5, 15));
    spike.values[2000] += 500.0f;
    EXPECT_TRUE(Detect(spike).empty());

    auto step = synthetic::Make({}, Even(0.5, 16));
    // Up by 200 over 20 pulses, and there it stays.
    for (size_t i = 2490; i < step.values.size(); ++i)
        step.values[i] +=
            static_cast<float>(std::min(10.0 * (static_cast<double>(i) - 2490.0), 200.0));
    EXPECT_TRUE(Detect(step).empty());

    // 5000 points end at 719.856 s.
    const auto rising = synthetic::Make({{723.0, 2.0, 0.0, 1000.0}}, Even(0.2, 17));
    EXPECT_TRUE(Detect(rising).empty());
    const auto falling = synthetic::Make({{717.0, 1.0, 0.0, 1000.0}}, Even(0.2, 18));
    const std::vector<OPeak> peaks = Detect(falling);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0].retentionTime, 717.0, 0.0144);
    EXPECT_FLOAT_EQ(static_cast<float>(peaks[0].endTime), falling.times.back());
}

// Narrow peaks are dropped at the minimum width; raising it drops wider ones.
TEST(PeakDetection, MinimumWidthDropsNarrowPeaks)
{
    const auto trace = synthetic::Make(
        {{100.0, 0.15, 0.0, 500.0}, {200.0, 0.6, 0.0, 500.0}, {300.0, 2.0, 0.0, 500.0}},
        Even(0.2, 19));
    std::vector<OPeak> peaks = Detect(trace);
    ASSERT_EQ(peaks.size(), 2u); // 0.35 s wide at half height is too narrow
    EXPECT_NEAR(peaks[0].retentionTime, 200.0, 0.05);
    EXPECT_NEAR(peaks[0].width, 0.6 * 2.3548, 0.02);
    OPeakParameters wide;
    std::string message;
    ASSERT_EQ(wide.Set("min-width", "2", message), 1) << message;
    peaks = Detect(trace, wide);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0].retentionTime, 300.0, 0.05);
    ASSERT_EQ(wide.Set("min-width", "0", message), 1) << message;
    EXPECT_EQ(Detect(trace, wide).size(), 3u);
}

// The noise is measured from the trace, peaks or not.
TEST(PeakDetection, NoiseIsEstimatedFromTheTraceItself)
{
    std::vector<Shape> crowd;
    // Peaks over a third of the run.
    for (int k = 0; k < 23; ++k)
        crowd.push_back({20.0 + 30.0 * k, 1.5, 0.5, 300.0 + 20.0 * k});
    const auto trace = synthetic::Make(crowd, Uneven(2.0, 0.2, 20));
    const OPeakIntegrator integrator(trace.times, trace.values);
    EXPECT_NEAR(integrator.GetNoise(), 2.0, 0.2);
}

// Values without any noise (a simulation, say): what moves at all sets the
// scale, and the peaks are still found.
TEST(PeakDetection, NoiselessTraceKeepsItsPeaks)
{
    auto trace = synthetic::Make({{300.0, 2.0, 0.0, 1000.0}, {500.0, 1.0, 0.0, 200.0}},
                                 Even(0.0, 24, 25000));
    for (float& v : trace.values)
        v = std::round(v); // whole counts: flat between the peaks
    const std::vector<OPeak> peaks = Detect(trace);
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_NEAR(peaks[0].retentionTime, 300.0, 0.0144);
    EXPECT_NEAR(peaks[1].retentionTime, 500.0, 0.0144);
    EXPECT_NEAR(peaks[0].area, 1000.0 * 2.0 * std::sqrt(2.0 * M_PI), 0.01 * 5013.0);
    EXPECT_GT(peaks[1].signalToNoise, 0.0);
}

TEST(PeakDetection, TracesItCannotReadGiveNoPeaks)
{
    auto trace = synthetic::Make({{50.0, 1.0, 0.0, 1000.0}}, Even(0.2, 21, 800));
    EXPECT_EQ(Detect(trace).size(), 1u);
    trace.values[10] = NAN;
    EXPECT_TRUE(Detect(trace).empty());
    const auto tiny = synthetic::Make({}, Even(0.0, 22, 5));
    EXPECT_TRUE(Detect(tiny).empty());
    const auto flat = synthetic::Make({}, Even(0.0, 23, 500));
    EXPECT_TRUE(Detect(flat).empty());
    OPeakParameters broken;
    broken.smoothing = 4;
    EXPECT_TRUE(Detect(trace, broken).empty());
}

} // namespace
