// The simulated run without any I/O: when pulses fire, and what they look like.
#include "BoardState.h"
#include "GcRun.h"
#include "PulseGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

TEST(GcRun, FiresPulseKAtKOverRateAndKeepsOnlyTheNewest)
{
    CGcRun run(7.0, 0.0);
    run.Begin(CTimedEvent());
    EXPECT_DOUBLE_EQ(run.NextDue(), 1.0 / 7.0);
    EXPECT_EQ(run.Advance(0.1).newPulses, 0u);

    const auto step = run.Advance(1.0); // pulses 1..7; 7 fires exactly at 1.0
    EXPECT_EQ(step.newPulses, 7u);
    EXPECT_EQ(step.lastPulse, 7u);
    EXPECT_EQ(CGcRun::Hundredths(step.lastPulseSeconds), 100);
    EXPECT_EQ(CGcRun::Hundredths(1.0 / 7.0), 14);
    EXPECT_DOUBLE_EQ(run.NextDue(), 8.0 / 7.0);
    EXPECT_FALSE(step.ended);
}

TEST(GcRun, EndsAfterItsLengthOrAtAResetToReadyEvent)
{
    CGcRun timed(10.0, 0.35);
    timed.Begin(CTimedEvent());
    auto step = timed.Advance(5.0);
    EXPECT_EQ(step.newPulses, 3u); // none after the end, however late the step comes
    EXPECT_TRUE(step.ended);
    EXPECT_FALSE(timed.IsActive());
    EXPECT_EQ(timed.Advance(6.0).newPulses, 0u);

    CTimedEvent events;
    CTimedEventData reset, ignitor;
    reset.SetEventTime(0.5);
    reset.SetEventCode(EC_RESET_TO_READY);
    ignitor.SetEventTime(0.2);
    ignitor.SetEventCode(EC_IGNITOR_CURRENT);
    events.AddTimedEvent(reset);
    events.AddTimedEvent(ignitor);
    CGcRun byEvent(10.0, 0.0);
    byEvent.Begin(events);
    step = byEvent.Advance(0.3);
    ASSERT_EQ(step.events.size(), 1u);
    EXPECT_EQ(step.events[0].GetEventCode(), EC_IGNITOR_CURRENT);
    EXPECT_DOUBLE_EQ(byEvent.NextDue(), 0.4);
    step = byEvent.Advance(9.0);
    EXPECT_EQ(step.lastPulse, 5u);
    ASSERT_EQ(step.events.size(), 1u);
    EXPECT_EQ(step.events[0].GetEventCode(), EC_RESET_TO_READY);
    EXPECT_TRUE(step.ended);
}

double Mean(const CSimPulse& pulse, int first, int last)
{
    double sum = 0;
    for (int i = first; i <= last; ++i)
        sum += pulse.samples[static_cast<size_t>(i)];
    return sum / (last - first + 1) - pulse.darkCurrent;
}

TEST(PulseGenerator, IsRepeatableForASeedAndIndexAndDiffersOtherwise)
{
    const CPulseGenerator a(CSimOptions::DefaultProgram(), 7);
    const CPulseGenerator b(CSimOptions::DefaultProgram(), 7);
    const CPulseGenerator c(CSimOptions::DefaultProgram(), 8);
    const CSimPulse first = a.Generate(5, 71, 0.71);
    EXPECT_EQ(b.Generate(5, 71, 0.71).samples, first.samples);
    EXPECT_NE(c.Generate(5, 71, 0.71).samples, first.samples);
    EXPECT_NE(a.Generate(6, 71, 0.71).samples, first.samples);
    EXPECT_EQ(first.index, 5u);
    EXPECT_EQ(first.time, 71);
    EXPECT_GE(first.tDelay, 0.0f);
    EXPECT_LT(first.tDelay, 1.0f);
}

TEST(PulseGenerator, EarlyAndLateWindowsTraceTheFastAndSlowEmitters)
{
    // One fast emitter at 10 s and one slow emitter at 20 s.
    const std::vector<CSimCompound> program = {{"fast", 10.0, 0.5, {200000, 0, 0}},
                                               {"slow", 20.0, 0.5, {0, 0, 200000}}};
    const CPulseGenerator generator(program, 3);
    const CSimPulse quiet = generator.Generate(1, 0, 0.0);
    const CSimPulse fast = generator.Generate(2, 1000, 10.0);
    const CSimPulse slow = generator.Generate(3, 2000, 20.0);

    // Before the onset every sample is the dark current plus noise.
    EXPECT_NEAR(Mean(quiet, 0, 3), 0.0, 60.0);
    const auto early = [](const CSimPulse& p) { return Mean(p, 6, 15); };  // 0.6 .. 1.5 ms
    const auto late = [](const CSimPulse& p) { return Mean(p, 80, 200); }; // 8 .. 20 ms
    EXPECT_GT(early(fast), 20 * early(quiet));
    EXPECT_LT(late(fast), 3 * late(quiet) + 200);
    EXPECT_GT(late(slow), 20 * late(quiet));
    EXPECT_LT(early(slow), early(fast) / 3);
    // The fast light is gone long before the slow light.
    EXPECT_GT(Mean(fast, 6, 15), 10 * Mean(fast, 150, 249));
    EXPECT_GT(Mean(slow, 100, 120), Mean(slow, 6, 8));
}

TEST(PulseGenerator, PeakHeightFollowsTheChromatographicPeakOverTheRun)
{
    const CPulseGenerator generator({{"only", 15.0, 1.0, {0, 100000, 0}}}, 1);
    std::vector<double> trace;
    for (int t = 10; t <= 20; ++t)
        trace.push_back(generator.Intensity(t)[1]);
    const auto top = std::max_element(trace.begin(), trace.end()) - trace.begin();
    EXPECT_EQ(top, 5); // at 15 s
    EXPECT_NEAR(trace[5] - trace[0], 100000, 100);
    EXPECT_NEAR(generator.Intensity(16.0)[1] - generator.Intensity(0.0)[1], 100000 * std::exp(-0.5),
                1);
}

// The end-to-end promise: the default gates, applied to a default run, put each compound's
// peak where the program put it.
TEST(PulseGenerator, DefaultGatesSeeTheDefaultProgramsPeaksAtTheirRetentionTimes)
{
    const CPulseGenerator generator(CSimOptions::DefaultProgram(), 1);
    const CGateParameters gates = CSimParameterSet::Defaults().Gates();
    const auto gateValue = [&](const CSimPulse& pulse, int g) {
        const auto window = [&](double start, double stop) {
            return Mean(pulse, static_cast<int>(start * 10), static_cast<int>(stop * 10));
        };
        return window(gates[g].GetStartA(), gates[g].GetStopA()) -
               gates[g].GetAlpha() * window(gates[g].GetStartB(), gates[g].GetStopB());
    };
    // Gate 0 sees fast light, gate 1 medium light, gate 2 slow light.
    const struct {
        int gate;
        double from, to, peakAt;
    } expectations[] = {{0, 0.0, 10.0, 6.0}, {1, 0.0, 16.0, 12.0}, {2, 0.0, 22.0, 18.5}};
    for (const auto& e : expectations) {
        double best = -1e30, bestTime = -1;
        for (double t = e.from; t <= e.to; t += 0.1) {
            const double value = gateValue(generator.Generate(static_cast<uint32_t>(t * 10), 0, t), e.gate);
            if (value > best) {
                best = value;
                bestTime = t;
            }
        }
        EXPECT_NEAR(bestTime, e.peakAt, 0.3) << "gate " << e.gate;
    }
}

} // namespace
