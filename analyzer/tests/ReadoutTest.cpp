// The pieces of the views that need no window: the cursor readout, the gate
// spans over a pulse and its time texts, which trace the cursor reads, the
// view history and keeping the marker in sight.

#include "CursorText.h"
#include "MarkerScroll.h"
#include "PulseGates.h"
#include "TraceSnap.h"
#include "ViewHistory.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ReadoutCase {
    const char* name;
    double x, y;
    int xd, yd; // decimals the axes show
    const char* text;
};

class CursorPosition : public ::testing::TestWithParam<ReadoutCase> {};

TEST_P(CursorPosition, HasOneDecimalMoreThanEachAxis)
{
    const ReadoutCase& c = GetParam();
    EXPECT_EQ(OCursorText::Position(c.x, c.y, c.xd, c.yd), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Readouts, CursorPosition,
    ::testing::Values(ReadoutCase{"WholeAxes", 12.34, 456.78, 0, 0, "12.3 , 456.8"},
                      ReadoutCase{"FineXAxis", 12.3456, 456.78, 2, 0, "12.346 , 456.8"},
                      ReadoutCase{"NegativeCounts", 0.05, -3.25, 1, 1, "0.05 , -3.25"},
                      ReadoutCase{"RoundsToZero", -0.04, 2.0, 0, 0, "0.0 , 2.0"},
                      ReadoutCase{"NotANumber", NAN, 1.0, 0, 0, "- , 1.0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CursorText, FromBaseShowsTheBaseAndTheOffset)
{
    EXPECT_EQ(OCursorText::FromBase(10.0, 400.0, 12.34, 456.78, 0, 0),
              "Base:10.0 , 400.0;   Offset:2.3 , 56.8");
    // Back at the base the offset is zero, not "-0.0".
    EXPECT_EQ(OCursorText::FromBase(1.25, 7.0, 1.2499, 7.0, 1, 0),
              "Base:1.25 , 7.0;   Offset:0.00 , 0.0");
    EXPECT_EQ(OCursorText::FromBase(5.0, 10.0, 4.0, 2.5, 0, 0),
              "Base:5.0 , 10.0;   Offset:-1.0 , -7.5");
}

OGateDescriptor Descriptor(float startA, float widthA, float startB = 0.0f, float widthB = 0.1f,
                           float bWindow = 0.0f)
{
    OGateDescriptor d;
    d.name = "Mode S";
    d.startA = startA;
    d.widthA = widthA;
    d.startB = startB;
    d.widthB = widthB;
    d.bWindow = bWindow;
    return d;
}

struct SpanCase {
    const char* name;
    OGateDescriptor gate;
    double trigger;
    bool shown;
    double from, to;
};

class GateSpan : public ::testing::TestWithParam<SpanCase> {};

TEST_P(GateSpan, FollowsTheTriggerAndStaysInThePulse)
{
    const SpanCase& c = GetParam();
    const auto span = OPulseGates::Span(c.gate, c.trigger);
    ASSERT_EQ(span.has_value(), c.shown);
    if (span) {
        EXPECT_NEAR(span->from, c.from, 1e-6);
        EXPECT_NEAR(span->to, c.to, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spans, GateSpan,
    ::testing::Values(
        // The first sample above the level: the crossing is at 0 ms.
        SpanCase{"TriggerAtFirstSample", Descriptor(1.0f, 1.0f), 0.0, true, 1.0, 2.0},
        SpanCase{"ShiftedByTheTrigger", Descriptor(1.0f, 1.0f), 2.35, true, 3.35, 4.35},
        SpanCase{"NoCrossing", Descriptor(1.0f, 1.0f), -1.0, false, 0, 0},
        // A window ending at 24 ms with the trigger at 3 ms runs to 25 ms.
        SpanCase{"CutAt25", Descriptor(20.0f, 4.0f), 3.0, true, 23.0, 25.0},
        SpanCase{"StartsAfterThePulse", Descriptor(23.0f, 1.0f), 2.5, false, 0, 0},
        SpanCase{"StartsRightAtTheEnd", Descriptor(22.0f, 1.0f), 3.0, true, 25.0, 25.0},
        // B window in use: from the earlier start to the later end.
        SpanCase{"BWindowInUse", Descriptor(5.0f, 1.0f, 2.0f, 1.5f, 1.0f), 1.0, true, 3.0, 7.0},
        SpanCase{"BWindowNotInUse", Descriptor(5.0f, 1.0f, 2.0f, 1.5f, 0.0f), 1.0, true, 6.0, 7.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PulseGates, CutTakesTheSamplesInsideTheSpanEndsIncluded)
{
    OPulseShape pulse;
    for (int i = 0; i < 250; ++i) {
        pulse.x.push_back(i / 10.0);
        pulse.y.push_back(1000.0 + i);
    }
    std::vector<double> x;
    std::vector<double> y;
    // The span as the trigger arithmetic makes it: 2.9 + 0.1 is not exactly 3.0.
    OPulseGates::Cut(pulse, {2.9 + 0.1 + 20.0, 25.0}, x, y);
    ASSERT_EQ(x.size(), 20u);
    EXPECT_DOUBLE_EQ(x.front(), 23.0);
    EXPECT_DOUBLE_EQ(x.back(), 24.9);
    EXPECT_DOUBLE_EQ(y.front(), 1230.0);
    OPulseGates::Cut(pulse, {30.0, 31.0}, x, y);
    EXPECT_TRUE(x.empty());
}

TEST(PulseGates, TimeTextsInMinutesAndSeconds)
{
    EXPECT_EQ(OPulseGates::TimeText(123.45), "02:03.45");
    EXPECT_EQ(OPulseGates::TimeText(0.0), "00:00.00");
    // Rounded before splitting: never "00:60.00".
    EXPECT_EQ(OPulseGates::TimeText(59.999), "01:00.00");
    EXPECT_EQ(OPulseGates::TimeText(-1.0), "");
    EXPECT_EQ(OPulseGates::StartTimeText(7.5), "Pulse Start Time = 00:07.50");
    EXPECT_EQ(OPulseGates::StartTimeText(-1.0), "");
}

TEST(TraceSnap, ChoosesThePointNearestInYFirstOnATie)
{
    const std::vector<OSnapCandidate> points = {{0, 1.0, 100.0}, {1, 1.0, 40.0}, {3, 1.1, 60.0}};
    EXPECT_EQ(OTraceSnap::Choose(points, 55.0), 2);
    EXPECT_EQ(OTraceSnap::Choose(points, 10.0), 1);
    EXPECT_EQ(OTraceSnap::Choose(points, 500.0), 0);
    EXPECT_EQ(OTraceSnap::Choose(points, 50.0), 1); // 40 and 60 equally near: the first
    EXPECT_EQ(OTraceSnap::Choose({}, 1.0), -1);
    EXPECT_EQ(OTraceSnap::Choose({{0, 0.0, NAN}, {4, 0.0, 3.0}}, 1.0), 1);
}

TEST(ViewHistory, GoesBackOneViewAtATimeAndForgetsTheOldest)
{
    OViewHistory history;
    CAxisRanges out;
    EXPECT_EQ(history.Pop(out), 0);
    history.Push({0, 10, 0, 1});
    history.Push({0, 10, 0, 1}); // the same view once
    history.Push({2, 4, 0, 1});
    EXPECT_EQ(history.GetCount(), 2);
    ASSERT_EQ(history.Pop(out), 1);
    EXPECT_EQ(out, (CAxisRanges{2, 4, 0, 1}));

    for (int i = 0; i < OViewHistory::kCapacity + 5; ++i)
        history.Push({double(i), double(i + 1), 0, 1});
    EXPECT_EQ(history.GetCount(), OViewHistory::kCapacity);
    ASSERT_EQ(history.Pop(out), 1);
    EXPECT_EQ(out.dXMin, OViewHistory::kCapacity + 4);
    while (history.Pop(out)) {
    }
    EXPECT_EQ(out.dXMin, 5); // the five oldest were forgotten
}

struct ScrollCase {
    const char* name;
    double t, min, max;
    int moved;
    double newMin;
};

class MarkerScroll : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(MarkerScroll, KeepsTheSpanAndShowsWhatComesNext)
{
    const ScrollCase& c = GetParam();
    double min = c.min;
    double max = c.max;
    EXPECT_EQ(OMarkerScroll::Follow(c.t, min, max), c.moved);
    EXPECT_DOUBLE_EQ(min, c.newMin);
    EXPECT_DOUBLE_EQ(max - min, c.max - c.min);
    EXPECT_TRUE(c.t >= min && c.t <= max);
}

INSTANTIATE_TEST_SUITE_P(
    Scrolls, MarkerScroll,
    ::testing::Values(ScrollCase{"Visible", 15.0, 10.0, 20.0, 0, 10.0},
                      ScrollCase{"OnTheEdge", 20.0, 10.0, 20.0, 0, 10.0},
                      ScrollCase{"PastTheRightEdge", 21.0, 10.0, 20.0, 1, 20.0},
                      ScrollCase{"FarAhead", 51.0, 10.0, 20.0, 1, 50.0},
                      ScrollCase{"BeforeTheLeftEdge", 9.0, 10.0, 20.0, 1, 0.0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
