// Measuring a peak from its bounds and baseline, on traces small enough to
// work out by hand.

#include "PeakIntegrator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

OPeak Bounds(double from, double to, double fromValue = 0.0, double toValue = 0.0)
{
    OPeak peak;
    peak.startTime = from;
    peak.endTime = to;
    peak.baselineStartTime = from;
    peak.baselineStartValue = fromValue;
    peak.baselineEndTime = to;
    peak.baselineEndValue = toValue;
    return peak;
}

// A triangle on unevenly spaced points:
//   t  0  1  3   4  6  7
//   y  0  0  10  5  0  0
const std::vector<float> kTimes{0, 1, 3, 4, 6, 7};
const std::vector<float> kTriangle{0, 0, 10, 5, 0, 0};

struct MeasureCase {
    const char* name;
    double slope; // of a baseline added to trace and peak alike
    double from;
    double to;
    double area;
    double apex;
    double height;
    double width;
};

class PeakMeasure : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(PeakMeasure, FollowsTheTrapezoidRuleAndTheParabola)
{
    const MeasureCase& c = GetParam();
    std::vector<float> values = kTriangle;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] += static_cast<float>(2.0 + c.slope * kTimes[i]);
    const OPeakIntegrator trace(kTimes, values);
    OPeak peak = Bounds(c.from, c.to, 2.0 + c.slope * c.from, 2.0 + c.slope * c.to);
    ASSERT_EQ(trace.Measure(peak), 1);
    EXPECT_NEAR(peak.area, c.area, 1e-5);
    EXPECT_NEAR(peak.retentionTime, c.apex, 1e-5);
    EXPECT_NEAR(peak.height, c.height, 1e-4);
    EXPECT_NEAR(peak.width, c.width, 1e-4);
    if (trace.GetNoise() > 0.0) {
        EXPECT_DOUBLE_EQ(peak.signalToNoise, peak.height / trace.GetNoise());
    }
    // Bounds and baseline are what the measure starts from, not what it changes.
    EXPECT_EQ(peak.startTime, c.from);
    EXPECT_EQ(peak.endTime, c.to);
}

// Area (10 + 10) / 2 x 2 + (10 + 5) / 2 x 1 + (5 + 0) / 2 x 2 = 22.5; the
// parabola through (1, 0), (3, 10), (4, 5) peaks at 2.75 with 10.2083; half of
// that is crossed at 2.0208 and 3.9792.
INSTANTIATE_TEST_SUITE_P(
    PeakIntegrator, PeakMeasure,
    ::testing::Values(
        MeasureCase{"OnAFlatBaseline", 0.0, 1.0, 6.0, 22.5, 2.75, 10.208333, 1.958333},
        MeasureCase{"OnASlopedBaseline", 0.5, 1.0, 6.0, 22.5, 2.75, 10.208333, 1.958333},
        // Bounds between points take the values there, 5 at 2 s and 2.5 at
        // 5 s, for the area: 7.5 + 7.5 + 3.75; the apex still comes from the
        // trace's own points.
        MeasureCase{"BoundsBetweenPoints", 0.0, 2.0, 5.0, 18.75, 2.75, 10.208333, 1.958333},
        // Beyond the trace only its own extent counts.
        MeasureCase{"BoundsBeyondTheTrace", 0.0, -5.0, 20.0, 22.5, 2.75, 10.208333, 1.958333}),
    [](const auto& info) { return std::string(info.param.name); });

// A shoulder cut off by a perpendicular has no summit of its own: its apex
// is where it rises furthest above the chord between its bounds.
TEST(PeakIntegrator, ShoulderApexLiesAboveTheChord)
{
    const std::vector<float> times{0, 1, 2, 3, 4, 5, 6};
    const std::vector<float> values{10, 8, 7, 6.5f, 4, 1, 0};
    const OPeakIntegrator trace(times, values);
    OPeak peak = Bounds(0.0, 6.0);
    ASSERT_EQ(trace.Measure(peak), 1);
    // Above the chord 10 - 10t/6: -1/3, 1/3, 3/2, 2/3, -2/3 at 1..5; the
    // parabola through (2, 1/3), (3, 3/2), (4, 2/3) peaks at 3 + 1/12, where
    // the one through the values (2, 7), (3, 6.5), (4, 4) gives 6.368056.
    EXPECT_NEAR(peak.retentionTime, 3.0 + 1.0 / 12.0, 1e-9);
    EXPECT_NEAR(peak.height, 6.5 - 1.5 / 12.0 - 1.0 / 144.0, 1e-9);
}

// A smoothing quadratic keeps a quadratic as it is: on unevenly spaced points
// the apex of an exact parabola is found exactly with or without smoothing.
TEST(PeakIntegrator, SmoothedApexOfAParabolaIsExact)
{
    std::vector<float> times;
    std::vector<float> values;
    for (int i = 0; i < 60; ++i) {
        const float t = static_cast<float>(i) * 0.25f + (i % 3 == 0 ? 0.05f : 0.0f);
        times.push_back(t);
        values.push_back(std::max(0.0f, 500.0f - 20.0f * (t - 7.3f) * (t - 7.3f)));
    }
    for (int window : {1, 5, 11}) {
        const OPeakIntegrator trace(times, values, window);
        EXPECT_EQ(trace.GetApexWindow(), window);
        OPeak peak = Bounds(times.front(), times.back());
        ASSERT_EQ(trace.Measure(peak), 1);
        EXPECT_NEAR(peak.retentionTime, 7.3, 1e-4) << window;
        EXPECT_NEAR(peak.height, 500.0, 1e-2) << window;
    }
}

TEST(PeakIntegrator, BoundsThatHoldNothingAreRefused)
{
    const OPeakIntegrator trace(kTimes, kTriangle);
    const OPeak untouched = Bounds(3.0, 3.0);
    for (OPeak peak : {Bounds(3.0, 3.0), Bounds(4.0, 2.0), Bounds(8.0, 9.0), Bounds(-3.0, -1.0)}) {
        const OPeak before = peak;
        EXPECT_EQ(trace.Measure(peak), 0);
        EXPECT_EQ(peak, before);
    }
    OPeak nan = Bounds(NAN, 4.0);
    EXPECT_EQ(trace.Measure(nan), 0);
    EXPECT_EQ(nan.area, 0.0);
    const OPeakIntegrator empty({}, {});
    OPeak peak = untouched;
    EXPECT_EQ(empty.Measure(peak), 0);
    EXPECT_EQ(empty.GetNoise(), 0.0);
    EXPECT_EQ(empty.ValueAt(1.0), 0.0);
}

TEST(PeakIntegrator, ValuesBetweenPointsAreInterpolated)
{
    const OPeakIntegrator trace(kTimes, kTriangle);
    EXPECT_DOUBLE_EQ(trace.ValueAt(2.0), 5.0);
    EXPECT_DOUBLE_EQ(trace.ValueAt(3.5), 7.5);
    EXPECT_DOUBLE_EQ(trace.ValueAt(3.0), 10.0);
    EXPECT_DOUBLE_EQ(trace.ValueAt(-1.0), 0.0);
    EXPECT_DOUBLE_EQ(trace.ValueAt(99.0), 0.0);
}

TEST(PeakIntegrator, AreaPercentIsEachPeaksShare)
{
    std::vector<OPeak> peaks(3);
    peaks[0].area = 1.0;
    peaks[1].area = 3.0;
    peaks[2].area = 0.0;
    OPeakIntegrator::UpdateAreaPercent(peaks);
    EXPECT_DOUBLE_EQ(peaks[0].areaPercent, 25.0);
    EXPECT_DOUBLE_EQ(peaks[1].areaPercent, 75.0);
    EXPECT_DOUBLE_EQ(peaks[2].areaPercent, 0.0);
    peaks[1].area = -1.0;
    OPeakIntegrator::UpdateAreaPercent(peaks);
    for (const OPeak& peak : peaks)
        EXPECT_EQ(peak.areaPercent, 0.0);
    std::vector<OPeak> none;
    OPeakIntegrator::UpdateAreaPercent(none);
}

TEST(PeakIntegrator, RobustSpreadIgnoresAMinorityOfOutliers)
{
    EXPECT_DOUBLE_EQ(OPeakIntegrator::RobustSpread({1, 2, 3, 4, 100}), 1.4826);
    // Most values equal: the mean absolute deviation, 0.8 x 1.2533.
    EXPECT_DOUBLE_EQ(OPeakIntegrator::RobustSpread({5, 5, 5, 5, 9}), 0.8 * 1.2533);
    EXPECT_DOUBLE_EQ(OPeakIntegrator::RobustSpread({}), 0.0);
    EXPECT_DOUBLE_EQ(OPeakIntegrator::RobustSpread({7, 7, 7}), 0.0);
    // Blocks: the median of the blocks' mean absolute deviations (x 1.2533)
    // and of their means; a wild block does not count. 0, 1, 2, 3 deviate by
    // 1 on average from their mean 1.5.
    std::vector<double> values;
    for (int b = 0; b < 5; ++b)
        for (int i = 0; i < 4; ++i)
            values.push_back(b == 2 ? 1000.0 * i : static_cast<double>(i + b));
    const OPeakIntegrator::Spread blocks = OPeakIntegrator::BlockSpread(values, 4);
    EXPECT_DOUBLE_EQ(blocks.spread, 1.2533);
    EXPECT_DOUBLE_EQ(blocks.center, 4.5); // means 1.5, 2.5, 1500, 4.5, 5.5
    // Too few blocks: all at once.
    const OPeakIntegrator::Spread all = OPeakIntegrator::BlockSpread(values, 8);
    EXPECT_DOUBLE_EQ(all.spread, OPeakIntegrator::RobustSpread(values));
    EXPECT_DOUBLE_EQ(all.center, 4.0);
}

} // namespace
