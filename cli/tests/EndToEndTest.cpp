// The whole road without hardware: the board simulator runs a GC run whose
// compounds elute at known retention times, `tarvolin record` records it,
// and the analysis library computes the chromatogram from the data file.
// Each compound's peak must lie within one pulse period of where the
// simulator put it.
#include "BoardSimulator.h"
#include "ChildProcess.h"
#include "DVDocData.h"
#include "SimulatedBoard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

namespace {

using namespace std::chrono_literals;

// The apex of the biggest peak of a trace: the centroid of the part of the
// peak above half its height over the trace's lowest value (a Gaussian's
// centroid is its centre; the top half keeps the baseline noise out).
double ApexTime(const std::vector<float>& times, const std::vector<float>& values)
{
    const auto peak = std::max_element(values.begin(), values.end());
    const double low = *std::min_element(values.begin(), values.end());
    const double half = low + (*peak - low) / 2.0;
    size_t first = static_cast<size_t>(peak - values.begin());
    size_t last = first;
    while (first > 0 && values[first - 1] > half)
        --first;
    while (last + 1 < values.size() && values[last + 1] > half)
        ++last;
    double weighted = 0.0, weights = 0.0;
    for (size_t k = first; k <= last; ++k) {
        const double w = values[k] - half;
        weighted += w * times[k];
        weights += w;
    }
    return weighted / weights;
}

TEST(EndToEnd, EachCompoundsPeakLiesWithinOnePulsePeriodOfItsRetentionTime)
{
    testsupport::CPortsFolder ports;
    testsupport::CTempDir data;
    CSimOptions options = testsupport::FastBoardOptions(ports.Dir(), 12);
    // 2.5 pulses per run second and a clock three times real time: about
    // seven pulses a real second, fewer than the link fetches.
    options.pulseRate = 2.5;
    options.clockSpeed = 3.0;
    options.runLengthSeconds = 16.0;
    // One compound for each of the board's default gates: gate 1 sees fast
    // light, gate 2 medium light, gate 3 slow light.
    options.program = {
        {"fast emitter", 4.0, 0.8, {120000.0, 15000.0, 4000.0}},
        {"medium emitter", 8.2, 0.8, {10000.0, 90000.0, 12000.0}},
        {"slow emitter", 11.7, 1.0, {5000.0, 10000.0, 150000.0}},
    };
    std::string error;
    std::unique_ptr<CBoardSimulator> sim = testsupport::StartBoard(options, error);
    ASSERT_TRUE(sim) << error;

    testsupport::CChildProcess recorder;
    ASSERT_TRUE(recorder.Start({TARVOLIN_CLI_PATH, "record", "--port", "12", "--dir",
                                data.Path().string(), "--prefix", "Run"},
                               {"TARVOLIN_PORTS_DIR=" + ports.Dir()}));
    // Its status poller asking means the file is open and pulses will be kept.
    ASSERT_TRUE(sim->WaitForRequests(3, 60s, 0x01)) << recorder.Out() << recorder.Err();
    sim->StartRun();
    ASSERT_TRUE(sim->WaitFor([](const CSimCounters& c) { return c.runsEnded >= 1; }, 120s));
    ASSERT_TRUE(recorder.Signal(SIGINT));
    ASSERT_EQ(recorder.Wait(), 0) << recorder.Out() << recorder.Err();

    const std::string path = data.File("Run001.KLYN");
    ASSERT_TRUE(std::filesystem::exists(path)) << recorder.Out();
    ODVDocData document;
    std::string message;
    ASSERT_EQ(document.Open(path, message), 1) << message << " " << document.GetLastError();
    EXPECT_EQ(document.GetTimeAxisNote(), "") << "the board stamps its pulses during a run";
    const OChromatogram& c = document.GetChromatogram();
    // 40 pulses in the run; the link may miss a few on a busy machine.
    ASSERT_GE(c.GetCount(), 25) << recorder.Out();

    const double period = 1.0 / options.pulseRate;
    for (size_t g = 0; g < options.program.size(); ++g) {
        const double apex = ApexTime(c.times, c.traces[g]);
        EXPECT_NEAR(apex, options.program[g].retentionSeconds, period)
            << "gate " << g + 1 << " (" << options.program[g].name << ")";
    }
}

} // namespace
