// The time axis of a recording, and the pulse shape with its trigger crossing.

#include "TimeAxis.h"
#include "PulseShape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TimeAxis, RecordedTimesThatRiseAreKept)
{
    std::vector<int32_t> times{1200, 1214, 1228, 5000};
    std::string note = "stale";
    OTimeAxis::Settle(times, std::vector<int32_t>{1, 2, 3, 4}, std::vector<double>{0, 0, 0, 0},
                      note);
    EXPECT_EQ(times, (std::vector<int32_t>{1200, 1214, 1228, 5000}));
    EXPECT_EQ(note, "");
}

struct RebuildCase {
    const char* name;
    std::vector<int32_t> times;
    std::vector<int32_t> indexes;
    std::vector<double> frequencies;
    std::vector<int32_t> expected;
    const char* note;
};

class TimeAxisRebuild : public ::testing::TestWithParam<RebuildCase> {};

TEST_P(TimeAxisRebuild, RisesFromTheFrequencies)
{
    const RebuildCase& c = GetParam();
    std::vector<int32_t> times = c.times;
    std::string note;
    OTimeAxis::Settle(times, c.indexes, c.frequencies, note);
    EXPECT_EQ(times, c.expected);
    EXPECT_EQ(note, c.note);
    EXPECT_TRUE(OTimeAxis::Rises(times));
}

INSTANTIATE_TEST_SUITE_P(
    TimeAxis, TimeAxisRebuild,
    ::testing::Values(
        // No stamps at all, 5 pulses per second.
        RebuildCase{"AllZero",
                    {0, 0, 0, 0},
                    {1, 2, 3, 4},
                    {5, 5, 5, 5},
                    {0, 20, 40, 60},
                    OTimeAxis::kRebuiltNote},
        // Stamps only once the run began: the whole axis is rebuilt.
        RebuildCase{"ZeroUntilTheRun",
                    {0, 0, 7, 21},
                    {1, 2, 3, 4},
                    {7, 7, 7, 7},
                    {0, 14, 29, 43},
                    OTimeAxis::kRebuiltNote},
        // A pulse the board counted but the link missed takes two steps.
        RebuildCase{"SkippedIndex",
                    {0, 0, 0},
                    {10, 11, 13},
                    {10, 10, 10},
                    {0, 10, 30},
                    OTimeAxis::kRebuiltNote},
        // The first pulse's frequency is unknown; later garbage keeps the last good one.
        RebuildCase{"UnbelievableFrequencies",
                    {5, 5, 5, 5},
                    {1, 2, 3, 4},
                    {0, 4, NAN, 1e6},
                    {0, 25, 50, 75},
                    OTimeAxis::kRebuiltNote},
        // Faster than a hundredth per pulse still rises.
        RebuildCase{
            "Fast", {0, 0, 0}, {1, 2, 3}, {100, 100, 100}, {0, 1, 2}, OTimeAxis::kRebuiltNote},
        RebuildCase{"NoFrequencyAtAll",
                    {3, 3, 3},
                    {1, 2, 3},
                    {0, -1, 0},
                    {0, 100, 200},
                    OTimeAxis::kAssumedNote},
        RebuildCase{"FallingStamps",
                    {500, 400, 300},
                    {1, 2, 3},
                    {2, 2, 2},
                    {0, 50, 100},
                    OTimeAxis::kRebuiltNote}),
    [](const auto& info) { return std::string(info.param.name); });

CPulseData PulseOf(std::vector<int> samples)
{
    CPulseData p;
    for (int s : samples)
        p.AddData(s);
    return p;
}

struct TriggerCase {
    const char* name;
    std::vector<int> samples;
    double level;
    double expected;
};

class TriggerTime : public ::testing::TestWithParam<TriggerCase> {};

TEST_P(TriggerTime, FindsTheCrossing)
{
    const TriggerCase& c = GetParam();
    EXPECT_DOUBLE_EQ(OPulseShape::FromPulse(PulseOf(c.samples)).TriggerTime(c.level), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    PulseShape, TriggerTime,
    ::testing::Values(TriggerCase{"FirstSampleAbove", {500, 10, 10}, 100, 0.0},
                      TriggerCase{"NoCrossing", {10, 20, 30, 40}, 100, -1.0},
                      TriggerCase{"Interpolated", {0, 0, 50, 150, 200}, 100, 0.2 + 0.5 / 10},
                      TriggerCase{"ExactlyAtLevel", {0, 0, 0, 100}, 100, 0.2 + 1.0 / 10},
                      TriggerCase{"CrossingAtSampleZero", {50, 150}, 100, 0.0},
                      TriggerCase{"Empty", {}, 100, -1.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PulseShape, MillisecondsAgainstUnsignedCounts)
{
    const OPulseShape shape = OPulseShape::FromPulse(PulseOf({5, -1, 7}));
    EXPECT_EQ(shape.x, (std::vector<double>{0.0, 0.1, 0.2}));
    EXPECT_EQ(shape.y, (std::vector<double>{5.0, 4294967295.0, 7.0}));
}

} // namespace
