// Integration by hand: drawn baselines, perpendiculars, replacing and
// deleting, on a trace small enough to work out.

#include "ManualIntegration.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Point = OManualIntegration::Point;

// t = 0..20 s, one point a second; two triangles on a zero baseline:
//   4 s: 5, 5 s: 10, 6 s: 5      and     13 s: 4, 14 s: 8, 15 s: 4
class ManualIntegrationTest : public ::testing::Test {
protected:
    static std::vector<float> Times()
    {
        std::vector<float> t;
        for (int i = 0; i <= 20; ++i)
            t.push_back(static_cast<float>(i));
        return t;
    }
    static std::vector<float> Values()
    {
        std::vector<float> v(21, 0.0f);
        v[4] = 5;
        v[5] = 10;
        v[6] = 5;
        v[13] = 4;
        v[14] = 8;
        v[15] = 4;
        return v;
    }

    // Both triangles drawn on the zero line: areas 20 and 16.
    std::vector<OPeak> TwoPeaks()
    {
        std::vector<OPeak> peaks;
        std::string message;
        EXPECT_EQ(OManualIntegration::AddPeak(peaks, trace, {12, 0}, {16, 0}, message), 1)
            << message;
        EXPECT_EQ(OManualIntegration::AddPeak(peaks, trace, {7, 0}, {3, 0}, message), 1) << message;
        return peaks;
    }

    const std::vector<float> times = Times();
    const std::vector<float> values = Values();
    const OPeakIntegrator trace{times, values};
    std::string message;
};

TEST_F(ManualIntegrationTest, DrawnBaselinesAddPeaksInTimeOrder)
{
    const std::vector<OPeak> peaks = TwoPeaks();
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_EQ(peaks[0].startTime, 3.0);
    EXPECT_EQ(peaks[0].endTime, 7.0);
    EXPECT_DOUBLE_EQ(peaks[0].area, 20.0);
    EXPECT_DOUBLE_EQ(peaks[0].retentionTime, 5.0);
    EXPECT_DOUBLE_EQ(peaks[0].height, 10.0);
    EXPECT_DOUBLE_EQ(peaks[0].width, 2.0);
    EXPECT_DOUBLE_EQ(peaks[1].area, 16.0);
    EXPECT_DOUBLE_EQ(peaks[0].areaPercent, 100.0 * 20.0 / 36.0);
    EXPECT_DOUBLE_EQ(peaks[1].areaPercent, 100.0 * 16.0 / 36.0);
    for (const OPeak& peak : peaks) {
        EXPECT_TRUE(peak.manual);
        EXPECT_FALSE(peak.perpendicularStart || peak.perpendicularEnd);
        EXPECT_EQ(peak.baselineStartTime, peak.startTime);
        EXPECT_EQ(peak.baselineEndTime, peak.endTime);
    }
}

// A drawn baseline above the trace's ends: the area is what lies above it,
// negative where the trace is below it.
TEST_F(ManualIntegrationTest, AreaIsTakenAboveTheDrawnLine)
{
    std::vector<OPeak> peaks;
    ASSERT_EQ(OManualIntegration::AddPeak(peaks, trace, {2, 1}, {8, 1}, message), 1) << message;
    // -1, -1, 4, 9, 4, -1, -1 at 2..8 s: -1 + 1.5 + 6.5 + 6.5 + 1.5 - 1.
    EXPECT_DOUBLE_EQ(peaks[0].area, 14.0);
    EXPECT_DOUBLE_EQ(peaks[0].height, 9.0);
    EXPECT_DOUBLE_EQ(peaks[0].BaselineAt(5.0), 1.0);
}

struct RefusedDrawing {
    const char* name;
    Point a;
    Point b;
    const char* message;
};

class RefusedBaseline : public ManualIntegrationTest,
                        public ::testing::WithParamInterface<RefusedDrawing> {};

TEST_P(RefusedBaseline, LeavesTheListAlone)
{
    const RefusedDrawing& c = GetParam();
    std::vector<OPeak> peaks = TwoPeaks();
    const std::vector<OPeak> before = peaks;
    EXPECT_EQ(OManualIntegration::AddPeak(peaks, trace, c.a, c.b, message), 0);
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(peaks, before);
}

INSTANTIATE_TEST_SUITE_P(
    ManualIntegration, RefusedBaseline,
    ::testing::Values(
        RefusedDrawing{"Overlapping",
                       {6.5, 0},
                       {9, 0},
                       "The baseline overlaps the peak at 5.000 s; replace that peak instead."},
        RefusedDrawing{"Inside",
                       {4, 0},
                       {5, 0},
                       "The baseline overlaps the peak at 5.000 s; replace that peak instead."},
        RefusedDrawing{
            "OnePoint", {9, 0}, {9, 3}, "A baseline needs two points at different times."},
        RefusedDrawing{
            "NotANumber", {NAN, 0}, {9, 3}, "A baseline needs two points at different times."},
        RefusedDrawing{"AfterTheRun",
                       {25, 0},
                       {30, 0},
                       "The baseline from 25.000 s to 30.000 s lies outside the chromatogram."},
        RefusedDrawing{"BeforeTheRun",
                       {-9, 0},
                       {0, 0},
                       "The baseline from -9.000 s to 0.000 s lies outside the chromatogram."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ManualIntegrationTest, PeaksMayTouchAndReachBeyondTheRun)
{
    std::vector<OPeak> peaks = TwoPeaks();
    ASSERT_EQ(OManualIntegration::AddPeak(peaks, trace, {7, 0}, {12, 0}, message), 1) << message;
    EXPECT_EQ(peaks.size(), 3u);
    EXPECT_EQ(peaks[1].startTime, 7.0);
    // Integrated where the run is; the line stays as drawn.
    ASSERT_EQ(OManualIntegration::AddPeak(peaks, trace, {16, 0}, {30, 3}, message), 1) << message;
    EXPECT_EQ(peaks[3].endTime, 20.0);
    EXPECT_EQ(peaks[3].baselineEndTime, 30.0);
    EXPECT_EQ(peaks[3].baselineEndValue, 3.0);
}

// A perpendicular at 5 s halves the first triangle; the line stays shared.
TEST_F(ManualIntegrationTest, SplitCutsAPeakWithAPerpendicular)
{
    std::vector<OPeak> peaks = TwoPeaks();
    ASSERT_EQ(OManualIntegration::SplitPeak(peaks, trace, 5.0, message), 1) << message;
    ASSERT_EQ(peaks.size(), 3u);
    const OPeak& left = peaks[0];
    const OPeak& right = peaks[1];
    EXPECT_EQ(left.startTime, 3.0);
    EXPECT_EQ(left.endTime, 5.0);
    EXPECT_EQ(right.startTime, 5.0);
    EXPECT_EQ(right.endTime, 7.0);
    EXPECT_DOUBLE_EQ(left.area, 10.0);
    EXPECT_DOUBLE_EQ(right.area, 10.0);
    EXPECT_TRUE(left.perpendicularEnd && right.perpendicularStart);
    EXPECT_FALSE(left.perpendicularStart || right.perpendicularEnd);
    EXPECT_TRUE(left.manual && right.manual);
    EXPECT_EQ(left.baselineStartTime, 3.0);
    EXPECT_EQ(left.baselineEndTime, 7.0);
    EXPECT_EQ(right.baselineStartTime, 3.0);
    EXPECT_DOUBLE_EQ(left.areaPercent + right.areaPercent + peaks[2].areaPercent, 100.0);
    EXPECT_DOUBLE_EQ(peaks[2].areaPercent, 100.0 * 16.0 / 36.0);

    // Only strictly inside a peak.
    const std::vector<OPeak> before = peaks;
    for (double t : {3.0, 10.0, 16.0, -1.0})
        EXPECT_EQ(OManualIntegration::SplitPeak(peaks, trace, t, message), 0) << t;
    EXPECT_EQ(message, "No peak spans -1.000 s.");
    EXPECT_EQ(peaks, before);
}

TEST_F(ManualIntegrationTest, ReplaceTakesThePlaceOfEveryPeakUnderTheLine)
{
    std::vector<OPeak> peaks = TwoPeaks();
    ASSERT_EQ(OManualIntegration::SplitPeak(peaks, trace, 5.0, message), 1) << message;
    // Over both halves of the first triangle.
    ASSERT_EQ(OManualIntegration::ReplacePeaks(peaks, trace, {2, 1}, {8, 1}, message), 1)
        << message;
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_DOUBLE_EQ(peaks[0].area, 14.0);
    EXPECT_DOUBLE_EQ(peaks[0].areaPercent, 100.0 * 14.0 / 30.0);
    // Over everything.
    ASSERT_EQ(OManualIntegration::ReplacePeaks(peaks, trace, {0, 0}, {20, 0}, message), 1)
        << message;
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_DOUBLE_EQ(peaks[0].area, 36.0);
    EXPECT_DOUBLE_EQ(peaks[0].areaPercent, 100.0);
    // Over nothing: an addition.
    peaks = TwoPeaks();
    ASSERT_EQ(OManualIntegration::ReplacePeaks(peaks, trace, {8, 0}, {11, 0}, message), 1);
    EXPECT_EQ(peaks.size(), 3u);
    // A refused drawing replaces nothing.
    EXPECT_EQ(OManualIntegration::ReplacePeaks(peaks, trace, {4, 0}, {4, 0}, message), 0);
    EXPECT_EQ(peaks.size(), 3u);
}

TEST_F(ManualIntegrationTest, DeleteRemovesOnePeakAndSharesOutItsPercent)
{
    std::vector<OPeak> peaks = TwoPeaks();
    EXPECT_EQ(OManualIntegration::DeletePeak(peaks, 2, message), 0);
    EXPECT_EQ(message, "There is no peak 3.");
    EXPECT_EQ(OManualIntegration::DeletePeak(peaks, -1, message), 0);
    EXPECT_EQ(peaks.size(), 2u);
    ASSERT_EQ(OManualIntegration::DeletePeak(peaks, 0, message), 1);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_DOUBLE_EQ(peaks[0].area, 16.0);
    EXPECT_DOUBLE_EQ(peaks[0].areaPercent, 100.0);
}

TEST_F(ManualIntegrationTest, PeakAtFindsThePeakUnderATime)
{
    const std::vector<OPeak> peaks = TwoPeaks();
    EXPECT_EQ(OManualIntegration::PeakAt(peaks, 5.0), 0);
    EXPECT_EQ(OManualIntegration::PeakAt(peaks, 3.0), 0);
    EXPECT_EQ(OManualIntegration::PeakAt(peaks, 14.5), 1);
    EXPECT_EQ(OManualIntegration::PeakAt(peaks, 10.0), -1);
}

} // namespace
