// The live chromatogram's cost on the Monitor's user-interface thread, per
// pulse, without a display: the pulse's gate values (the Analyzer's
// calculation), one point appended to each trace of the strip, and the
// strip replotted at once - as if every pulse came in a poll of its own,
// the most it can cost. The strip holds a run of half an hour at 7 pulses a
// second with five gates and is as wide as the Monitor's window.
//
// Figures (counters): per_pulse_ms and vs_poll_period, its ratio to the
// 100 ms poll period (target under 0.02), and the same for the process's
// processor time (cpu_ms, cpu_vs_poll_period); for a pulse into the
// half-hour run, into a run just begun, and into the half-hour run without
// the replot.
#include "GcRun.h"
#include "LiveChromatogram.h"
#include "LiveChromatogramStrip.h"
#include "PulseGenerator.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

constexpr double kPollPeriodMs = 100.0;
constexpr int kRate = 7;

CConfigBlockSet FiveGates()
{
    CConfigBlockSet records;
    const GateMode modes[5] = {GM_C, GM_S, GM_P, GM_N, GM_Sn};
    for (int g = 0; g < 5; ++g) {
        CGateParameter& gate = records.gates[g];
        gate.SetType(static_cast<unsigned short>(modes[g]));
        gate.SetStartA(0.5 + 3.0 * g);
        gate.SetStopA(2.5 + 4.0 * g);
        gate.SetStartB(23.0);
        gate.SetStopB(24.9);
        gate.SetOperator(GO_MINUS);
        gate.SetAlpha(1.0);
    }
    return records;
}

CPulseData ToPulse(const CSimPulse& sim)
{
    CPulseData pulse;
    pulse.SetPulseIndex(sim.index);
    pulse.SetPulseTime(sim.time);
    pulse.SetTDelay(sim.tDelay);
    pulse.SetDarkCurrent(sim.darkCurrent);
    for (uint32_t sample : sim.samples)
        pulse.AddData(static_cast<int>(sample));
    return pulse;
}

// A run's pulses first..last (the generator's shapes are costly: made once).
std::vector<CPulseData> Pulses(uint32_t first, uint32_t last)
{
    const CPulseGenerator generator(CSimOptions::DefaultProgram(), 1);
    std::vector<CPulseData> pulses;
    for (uint32_t k = first; k <= last; ++k) {
        const double seconds = static_cast<double>(k) / kRate;
        pulses.push_back(ToPulse(generator.Generate(k, CGcRun::Hundredths(seconds), seconds)));
    }
    return pulses;
}

void Measure(benchmark::State& state, int pulsesBefore, bool replot)
{
    CLiveChromatogramStrip strip;
    strip.resize(1180, 230);
    strip.show();
    OLiveChromatogram live;
    live.SetSetUp(FiveGates());
    live.OnRunState(true);
    // The run so far: the generator repeats its pulses, shifted in time.
    const std::vector<CPulseData> shapes = Pulses(1, 400);
    uint32_t k = 0;
    CPulseData pulse;
    const auto next = [&]() -> const CPulseData& {
        ++k;
        pulse = shapes[k % shapes.size()];
        pulse.SetPulseIndex(k);
        pulse.SetPulseTime(CGcRun::Hundredths(static_cast<double>(k) / kRate));
        return pulse;
    };
    for (int i = 0; i < pulsesBefore; ++i)
        live.OnPulse(next(), true);
    strip.Rebuild(live);
    strip.ReplotNow();

    std::vector<CPulseData> coming;
    for (int i = 0; i < 2000; ++i)
        coming.push_back(next());
    size_t at = 0;
    QElapsedTimer clock;
    clock.start();
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        live.OnPulse(coming[at], true);
        strip.AppendLast(live);
        if (replot)
            strip.ReplotNow();
        at = (at + 1) % coming.size();
        benchmark::DoNotOptimize(live.GetLastValues());
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6 /
                      static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC /
                         static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["per_pulse_ms"] = ms;
    state.counters["vs_poll_period"] = ms / kPollPeriodMs;
    // The processor time alone: on a machine shared with other work the
    // wall clock also counts the time the thread waited for a core.
    state.counters["cpu_ms"] = cpuMs;
    state.counters["cpu_vs_poll_period"] = cpuMs / kPollPeriodMs;
    state.counters["points_per_trace"] = static_cast<double>(strip.GetPointCount(0));
}

void BM_PulseIntoHalfHourRun(benchmark::State& state)
{
    Measure(state, 30 * 60 * kRate, true);
}

void BM_PulseIntoNewRun(benchmark::State& state)
{
    Measure(state, 10, true);
}

void BM_PulseWithoutReplot(benchmark::State& state)
{
    Measure(state, 30 * 60 * kRate, false);
}

} // namespace

BENCHMARK(BM_PulseIntoHalfHourRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PulseIntoNewRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PulseWithoutReplot)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
