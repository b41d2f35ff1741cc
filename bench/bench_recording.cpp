// Automatic recording against the board simulator on a pseudo-terminal: the
// status poller, the recording session and the recorder as `tarvolin record
// --auto` (and the Monitor) drive them, over runs whose program records from
// 0.1 to 0.3 min.
//
//  AutoRecording  per run, against the pulses the link fetched:
//    lost_at_start  pulses fetched after the due pulse and before the first
//                   one recorded (target 0)
//    lost_at_end    pulses fetched up to and including the stop pulse that
//                   are missing from the file (target 0)
//    first_record_pulses  pulses from the due pulse's arrival to the first
//                   record on disk, the due one not counted (the rules write
//                   the next pulse: limit 1)
//    first_record_ms      the same in milliseconds, against the board's pulse period
//                   (the poller's 100 ms cycle adds up to one cycle to it)
//    start_ms       time the start itself takes (name, header, file made durable)
#include "BoardSimulator.h"
#include "Hardware.h"
#include "RecordingSession.h"
#include "StatusPollar.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;
constexpr double kClockSpeed = 6.0;  // run-clock seconds per real second
constexpr double kPulseRate = 1.0;   // pulses per run-clock second: 6 a real second
constexpr double kRunSeconds = 24.0; // run clock

class CScratchFolder {
public:
    CScratchFolder()
    {
        std::filesystem::path base = "/var/tmp";
        if (const char* chosen = std::getenv("TARVOLIN_BENCH_DIR"); chosen && *chosen)
            base = chosen;
        else if (!std::filesystem::is_directory(base))
            base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "tarvolin-bench-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data()))
            m_path = made;
    }
    ~CScratchFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const CScratchFolder* g_scratch = nullptr;

class BenchHardware : public CHardware {
public:
    bool Connect(int port)
    {
        const bool ok = Open(port, 57600, 8, 0, 0) != 0;
        SetReceiveTimeout(kNormalTimeoutMs);
        return ok;
    }
};

// Headless, as the command line is.
class BenchHost : public IRecordingHost {
public:
    CTimedEvent events;
    std::vector<CRecordingSummary> finished;
    HeaderSource GetHeaderRecords(RecordingCause, CConfigBlockSet& records, std::string&) override
    {
        records.events = events;
        return HeaderSource::Board;
    }
    OverwriteAnswer AskOverwrite(const CRecordingQuestion&) override
    {
        return OverwriteAnswer::NextFreeName;
    }
    void AddRunLogEntry(const std::string&) override {}
    void ShowMessage(const std::string& text, MessageIcon) override
    {
        std::fprintf(stderr, "bench_recording: %s\n", text.c_str());
    }
    void ResetToReady(RecordingCause) override {}
    void OnRecordingFinished(const CRecordingSummary& summary) override
    {
        finished.push_back(summary);
    }
};

struct Fetched {
    long index;
    long time;
    Clock::time_point arrival;
    bool wasRecording; // before the pulse
    bool isRecording;  // after it
    int64_t writtenAfter;
};

CTimedEvent Program()
{
    CTimedEvent events;
    for (const auto& [minutes, value] : {std::pair{0.1, 1.0}, std::pair{0.3, 0.0}}) {
        CTimedEventData event;
        event.SetEventTime(minutes);
        event.SetEventCode(EC_RECORD);
        event.SetEventValue(value);
        events.AddTimedEvent(event);
    }
    return events;
}

void BM_AutoRecording(benchmark::State& state)
{
    const std::string folder = g_scratch->Path();
    setenv("TARVOLIN_COMMON_DATA", (folder + "/common").c_str(), 1);
    setenv("TARVOLIN_PORTS_DIR", (folder + "/ports").c_str(), 1);
    CSimOptions options;
    options.port = 21;
    options.portsDir = folder + "/ports";
    options.clockSpeed = kClockSpeed;
    options.pulseRate = kPulseRate;
    options.runLengthSeconds = kRunSeconds;
    CBoardSimulator sim(options);
    std::string error;
    if (!sim.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    sim.SetTimedEvents(Program());
    BenchHardware hardware;
    if (!hardware.Connect(options.port)) {
        state.SkipWithError("cannot open the simulator's port");
        return;
    }

    for (auto _ : state) {
        BenchHost host;
        host.events = Program();
        CRecordingSession session(host);
        session.Recorder().SetFolder(folder + "/data");
        std::filesystem::create_directories(folder + "/data");
        session.Recorder().SetPrefix("run");
        std::mutex lock;
        std::vector<Fetched> fetched;
        std::vector<double> startMs;
        CStatusPollar poller(hardware);
        poller.SetNotifier([&](unsigned message) {
            std::lock_guard guard(lock);
            const bool running = poller.GetStatus()->IsGCRunning();
            if (message == UM_STATUS_UPDATE) {
                session.OnRunState(running);
                return;
            }
            CPulseData pulse;
            poller.GetPulseData(pulse);
            const auto arrival = Clock::now();
            const bool before = session.IsRecording();
            session.OnPulse(pulse, running, host.events);
            if (!before && session.IsRecording())
                startMs.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - arrival).count());
            fetched.push_back({pulse.GetPulseIndex(), pulse.GetPulseTime(), arrival, before,
                               session.IsRecording(), session.GetTotalPulsesWritten()});
        });
        poller.Start();
        for (int run = 1; run <= kRuns; ++run) {
            sim.StartRun();
            sim.WaitFor([run](const CSimCounters& c) { return c.runsEnded >= uint64_t(run); },
                        std::chrono::seconds(120));
            // The poller sees the run end before the next begins.
            const auto until = Clock::now() + std::chrono::seconds(10);
            while (Clock::now() < until) {
                {
                    std::lock_guard guard(lock);
                    if (!session.Rules().GetLastRunState())
                        break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        poller.Stop();
        session.Finish();

        // Walk the fetched pulses run by run against the files.
        double lostStart = 0, lostEnd = 0, firstPulses = 0, firstMs = 0;
        int starts = 0;
        size_t file = 0;
        for (size_t i = 0; i < fetched.size(); ++i) {
            if (fetched[i].wasRecording || !fetched[i].isRecording)
                continue; // not a due pulse
            const Fetched& due = fetched[i];
            ++starts;
            // The first record on disk: the first later pulse that was written.
            size_t first = i + 1;
            while (first < fetched.size() && fetched[first].writtenAfter == due.writtenAfter)
                ++first;
            if (first >= fetched.size())
                break;
            firstPulses += static_cast<double>(first - i);
            lostStart += static_cast<double>(first - i - 1);
            firstMs +=
                std::chrono::duration<double, std::milli>(fetched[first].arrival - due.arrival)
                    .count();
            // The window ends with the pulse after which nothing records.
            size_t stop = first;
            while (stop < fetched.size() && fetched[stop].isRecording)
                ++stop;
            std::set<long> window;
            for (size_t k = first; k <= stop && k < fetched.size(); ++k)
                window.insert(fetched[k].index);
            if (file < host.finished.size()) {
                CDataFileHeader header;
                std::vector<CPulseData> pulses;
                CSalvageReport report;
                std::string message;
                CDataFileReader::ReadAll(host.finished[file].path, header, pulses, report, message);
                for (const CPulseData& p : pulses)
                    window.erase(p.GetPulseIndex());
                lostEnd += static_cast<double>(window.size());
            }
            ++file;
        }
        const double n = std::max(1, starts);
        state.counters["runs_recorded"] = starts;
        state.counters["files"] = static_cast<double>(host.finished.size());
        state.counters["lost_at_start"] = lostStart;
        state.counters["lost_at_end"] = lostEnd;
        state.counters["first_record_pulses"] = firstPulses / n;
        state.counters["first_record_vs_1_pulse"] = firstPulses / n;
        state.counters["first_record_ms"] = firstMs / n;
        const double periodMs = 1000.0 / (kPulseRate * kClockSpeed);
        state.counters["pulse_period_ms"] = periodMs;
        state.counters["first_record_ms_vs_period"] = firstMs / n / periodMs;
        double start = 0;
        for (double ms : startMs)
            start += ms;
        state.counters["start_ms"] =
            startMs.empty() ? 0 : start / static_cast<double>(startMs.size());
    }
}
BENCHMARK(BM_AutoRecording)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    const CScratchFolder scratch;
    if (scratch.Path().empty()) {
        std::fprintf(stderr, "bench_recording: cannot create a scratch folder\n");
        return 1;
    }
    g_scratch = &scratch;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_scratch = nullptr;
    return 0;
}
