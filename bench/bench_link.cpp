// The instrument link against the board simulator on a pseudo-terminal.
//
//  LinkThroughput  pulses per second fetched by the status poller from a board
//                  paced at 57600 baud, against the limit the wire allows for
//                  one status poll plus one 771-byte pulse per cycle; the CPU
//                  the link spends (this process; the simulator runs apart).
//  PollCycle       the poll period on an idle board against 100 ms.
//  FaultRecovery   faults of every kind in turn on every second reply: failed
//                  exchanges per injected fault (at most 1) and failures of
//                  exchanges no fault struck (0), over at least 1000 faults.
#include "BoardSimulator.h"
#include "Hardware.h"
#include "Logs.h"
#include "StatusPollar.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class BenchHardware : public CHardware {
public:
    bool Connect(int port)
    {
        Close();
        const bool ok = Open(port, 57600, 8, 0, 0) != 0;
        SetReceiveTimeout(kNormalTimeoutMs);
        return ok;
    }
};

std::string ScratchFolder()
{
    static std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvolin-bench-XXXXXX").string();
        return std::string(mkdtemp(pattern.data()));
    }();
    return folder;
}

// The simulator as a process of its own, so that this process's CPU time is the link's.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args)
    {
        args.insert(args.begin(), TARVOLIN_BOARDSIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ);
        const std::string link = ScratchFolder() + "/ports/COM" + args[2];
        for (int i = 0; i < 200 && !std::filesystem::exists(link); ++i)
            std::this_thread::sleep_for(10ms);
    }
    ~SimProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

private:
    pid_t m_pid = -1;
};

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Setup()
{
    setenv("TARVOLIN_COMMON_DATA", (ScratchFolder() + "/common").c_str(), 1);
    setenv("TARVOLIN_PORTS_DIR", (ScratchFolder() + "/ports").c_str(), 1);
}

void BM_LinkThroughput(benchmark::State& state)
{
    Setup();
    SimProcess sim({"--port", "11", "--baud", "57600", "--rate", "50", "--run", "--duration", "60"});
    BenchHardware hardware;
    if (!hardware.Connect(11)) {
        state.SkipWithError("cannot open the simulator's port");
        return;
    }
    std::atomic<long> pulses{0}, errors{0};
    CDebugLog::SetSink([&](const std::string& line) {
        if (line.rfind("ERROR", 0) == 0 || line.rfind("SendCommand", 0) == 0)
            ++errors;
    });
    long lastIndex = -1, skipped = 0;
    for (auto _ : state) {
        CStatusPollar poller(hardware);
        poller.SetNotifier([&](unsigned message) {
            if (message == UM_PULSE_DATA)
                ++pulses;
        });
        poller.Start();
        std::this_thread::sleep_for(2s); // settle: the first cycles read the revisions
        const long startPulses = pulses;
        const double startCpu = CpuSeconds();
        const auto start = Clock::now();
        CPulseData pulse;
        while (Clock::now() - start < 10s) {
            std::this_thread::sleep_for(50ms);
            poller.GetPulseData(pulse);
            if (pulse.GetDataCount() != 250)
                ++errors;
            if (lastIndex >= 0 && pulse.GetPulseIndex() < lastIndex)
                ++skipped;
            lastIndex = pulse.GetPulseIndex();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = CpuSeconds() - startCpu;
        poller.Stop();
        const double rate = static_cast<double>(pulses - startPulses) / seconds;
        // One cycle moves a status request (8 bytes) and reply (10), a pulse
        // request (8) and its reply (771 + 8), one after the other.
        const double limit = 57600.0 / 10.0 / (8 + 10 + 8 + 779);
        state.counters["pulses_per_s"] = rate;
        state.counters["wire_limit_per_s"] = limit;
        state.counters["throughput_vs_limit"] = rate / limit;
        state.counters["cpu_fraction_of_core"] = cpu / seconds;
        state.counters["cpu_ms_per_pulse"] = 1000.0 * cpu / static_cast<double>(pulses - startPulses);
        state.counters["cpu_at_7_per_s_vs_1pct"] = (cpu / static_cast<double>(pulses - startPulses) * 7.0) / 0.01;
        state.counters["failed_exchanges"] = static_cast<double>(errors);
        state.counters["index_went_back"] = static_cast<double>(skipped);
    }
    CDebugLog::SetSink(nullptr);
}
BENCHMARK(BM_LinkThroughput)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_PollCycle(benchmark::State& state)
{
    Setup();
    SimProcess sim({"--port", "12", "--baud", "57600", "--idle", "--duration", "60"});
    BenchHardware hardware;
    if (!hardware.Connect(12)) {
        state.SkipWithError("cannot open the simulator's port");
        return;
    }
    for (auto _ : state) {
        std::atomic<long> updates{0};
        Clock::time_point first{}, last{};
        CStatusPollar poller(hardware);
        poller.SetNotifier([&](unsigned message) {
            if (message != UM_STATUS_UPDATE)
                return;
            const auto now = Clock::now();
            if (updates++ == 0)
                first = now;
            last = now;
        });
        poller.Start();
        std::this_thread::sleep_for(5s);
        poller.Stop();
        const double period = std::chrono::duration<double, std::milli>(last - first).count() /
                              static_cast<double>(updates - 1);
        state.counters["period_ms"] = period;
        state.counters["period_vs_100ms"] = period / 100.0;
    }
}
BENCHMARK(BM_PollCycle)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// Faults of every kind in turn (split, garbage, bad CRC, wrong code, silence,
// garbage and split together) on every second reply, over status and pulse
// exchanges as the poller makes them. An exchange is "struck" when the
// simulator's fault counters moved during it. The figure is the failed
// exchanges per injected fault (at most 1: a fault costs at most its own
// exchange; a split alone costs nothing) and the failures of exchanges no
// fault struck (0: nothing spills over to the next exchange).
void BM_FaultRecovery(benchmark::State& state)
{
    Setup();
    const int baud = static_cast<int>(state.range(0));
    const int faultsWanted = static_cast<int>(state.range(1));
    state.SetLabel(baud == 0 ? "unpaced" : "57600 baud");
    CSimOptions options;
    options.portsDir = ScratchFolder() + "/ports";
    options.port = baud == 0 ? 20 : 21;
    options.baud = baud;
    CSimFaultRule mixed;
    mixed.kind = SimFault::Mixed;
    mixed.every = 2;
    options.faults.push_back(mixed);
    CBoardSimulator sim(options);
    std::string error;
    if (!sim.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    BenchHardware hardware;
    hardware.Connect(options.port);
    std::atomic<long> errorLines{0};
    CDebugLog::SetSink([&](const std::string& line) {
        if (line.rfind("ERROR", 0) == 0)
            ++errorLines;
    });
    const auto faultsSoFar = [&sim] {
        const CSimCounters c = sim.GetCounters();
        uint64_t n = 0;
        for (uint64_t k : c.faults)
            n += k;
        return n;
    };
    for (auto _ : state) {
        long exchanges = 0, struck = 0, failed = 0, failedUnstruck = 0;
        double longest = 0;
        while (struck < faultsWanted) {
            const uint64_t before = faultsSoFar();
            const auto start = Clock::now();
            unsigned short status = 0;
            CPulseData pulse;
            const bool ok = (exchanges % 2 == 0 ? hardware.GetStatusError(status)
                                                : hardware.GetPulseData(pulse)) != 0;
            longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            const bool hit = faultsSoFar() != before;
            ++exchanges;
            struck += hit;
            failed += !ok;
            failedUnstruck += !ok && !hit;
        }
        state.counters["exchanges"] = static_cast<double>(exchanges);
        state.counters["faults"] = static_cast<double>(struck);
        state.counters["failed"] = static_cast<double>(failed);
        state.counters["failed_per_fault_vs_1"] =
            static_cast<double>(failed) / static_cast<double>(struck);
        state.counters["failed_unstruck"] = static_cast<double>(failedUnstruck);
        state.counters["error_lines_per_failure"] =
            failed > 0 ? static_cast<double>(errorLines.load()) / static_cast<double>(failed) : 0.0;
        state.counters["longest_ms"] = longest;
    }
    CDebugLog::SetSink(nullptr);
}
// 1200 faults unpaced for the figure; 120 at the line's real pace, where the
// tail of a damaged pulse reply is still on the wire when the next request goes.
BENCHMARK(BM_FaultRecovery)
    ->Args({0, 1200})
    ->Args({57600, 120})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
