#include "RecordCommand.h"

#include "FilePaths.h"
#include "Instrument.h"
#include "LinkWatch.h"
#include "RecordSummary.h"
#include "RecordingSession.h"
#include "StatusPollar.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;

std::string SizeText(int64_t bytes)
{
    char text[32];
    if (bytes < 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024.0);
    else
        std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(bytes) / 1048576.0);
    return text;
}

std::string Seconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

std::string WallClock()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

bool HasRecordStart(const CTimedEvent& events)
{
    for (int i = 0; i < events.GetCount(); ++i)
        if (events[i].GetEventCode() == EC_RECORD && events[i].GetEventValue() == 1.0)
            return true;
    return false;
}

// The recording's program around the session, headless. Every call comes
// under the command's lock (from the poller's thread, or the main thread).
class CCliRecordingHost : public IRecordingHost {
public:
    CCliRecordingHost(std::ostream& out, CHardware& hardware, const std::string& port,
                      bool automatic)
        : m_out(out), m_hardware(hardware), m_strPort(port), m_bAutomatic(automatic)
    {
    }

    CInstrumentSetup setup;                  // what the headers are written from
    std::string firstFailure;                // the first thing that went wrong
    std::vector<CRecordingSummary> finished; // every recording finished

    HeaderSource GetHeaderRecords(RecordingCause, CConfigBlockSet& records, std::string&) override
    {
        // Read from the board when the command began (or the run began).
        records.gates = setup.gates;
        records.board = setup.board;
        records.channels = setup.channels;
        records.events = setup.events;
        return HeaderSource::Board;
    }
    OverwriteAnswer AskOverwrite(const CRecordingQuestion&) override
    {
        // Nobody is there to say Yes: an existing file is always kept.
        return OverwriteAnswer::NextFreeName;
    }
    void AddRunLogEntry(const std::string& text) override
    {
        if (m_bAutomatic)
            m_out << WallClock() << "  " << text << "\n" << std::flush;
    }
    void ShowMessage(const std::string& text, MessageIcon icon) override
    {
        m_out << text << "\n" << std::flush;
        if (icon == MessageIcon::Error && firstFailure.empty())
            firstFailure = text;
    }
    void OnNote(const std::string& note) override
    {
        // A timed start that failed: the run-log line has said so already.
        if (!note.empty() && firstFailure.empty())
            firstFailure = note;
    }
    void ResetToReady(RecordingCause) override
    {
        m_out << (m_hardware.ResetToReady() ? "Reset to Ready command sent successfully"
                                            : "Failed to send command Reset to Ready")
              << "\n"
              << std::flush;
    }
    void OnRecordingStarted(const std::string& path, RecordingCause) override
    {
        m_out << "Recording " << m_strPort << " into " << path << "\n" << std::flush;
    }
    void OnRecordingFinished(const CRecordingSummary& summary) override
    {
        finished.push_back(summary);
        if (!summary.failure.empty() && firstFailure.empty())
            firstFailure = summary.failure;
        if (!m_bAutomatic)
            return;
        // One line per file: name, pulses, the run time it covers.
        m_out << "Wrote " << summary.path << ": " << summary.pulses
              << (summary.pulses == 1 ? " pulse" : " pulses");
        if (summary.pulses > 0) {
            char span[96];
            std::snprintf(span, sizeof span, ", run time %.2f s to %.2f s",
                          summary.firstTime / 100.0, summary.lastTime / 100.0);
            m_out << span;
        }
        if (!summary.failure.empty())
            m_out << " (stopped early: " << summary.failure << ")";
        m_out << "\n" << std::flush;
    }

private:
    std::ostream& m_out;
    CHardware& m_hardware;
    std::string m_strPort;
    bool m_bAutomatic;
};

} // namespace

void CRecordCommand::DeclareOptions(COptionTable& options)
{
    DeclarePortOptions(options, m_nPort, m_nBaud);
    options
        .Real("--seconds", m_dSeconds, 0, 1e9, "S",
              "stop after S seconds, 0 to record until Ctrl+C")
        .What("the number of seconds");
    options.Text("--dir", m_strFolder, "D", "folder of the data files").What("the folder");
    options
        .Text("--prefix", m_strPrefix, "P",
              "start of the file names: P001.KLYN, P002.KLYN, ... (a name, not a path)")
        .What("the file-name prefix")
        .Rule([](const std::string& prefix, std::string& why) {
            if (CFilePaths::IsSinglePathComponent(prefix, why))
                return true;
            why = "the prefix must be a plain name that keeps the files in --dir: " + why;
            return false;
        });
    options.Switch("--progress", m_bProgress, "print a line for every pulse written");
    options.Switch("--auto", m_bAuto,
                   "follow the board's timed-event program: each run's Record on and off "
                   "make one file, the next free name");
    options
        .Integer("--runs", m_nRuns, 0, 1'000'000, "K",
                 "with --auto: end after K files, 0 to go on until Ctrl+C")
        .What("the number of runs");
}

int CRecordCommand::Run(std::ostream& out, std::string& error)
{
    if (m_nRuns > 0 && !m_bAuto) {
        error = "--runs counts the runs that --auto records; give --auto as well";
        return 0;
    }
    // A file size limit must end a recording with an error, not the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::string port = "COM" + std::to_string(m_nPort);
    CCliHardware hardware;
    if (!hardware.Connect(m_nPort, m_nBaud)) {
        error = "cannot open " + port + " (" + hardware.GetLastError() + ")";
        return 0;
    }
    // The header carries the set-up the instrument holds now.
    CCliRecordingHost host(out, hardware, port, m_bAuto);
    if (!ReadSetup(hardware, m_nPort, host.setup, error))
        return 0;

    // The notifier runs on the poller's thread, between its exchanges, so it
    // may use the port; everything it shares with this thread is under lock.
    std::mutex lock;
    std::condition_variable changed;
    CRecordingSession session(host);
    session.Recorder().SetFolder(m_strFolder);
    session.Recorder().SetPrefix(m_strPrefix);
    session.Recorder().SetIndex(1);

    if (m_bAuto) {
        out << "Following the timed events of " << port << " into "
            << session.Recorder().GetFolder() << m_strPrefix << "NNN.KLYN"
            << (m_nRuns > 0 ? ", " + std::to_string(m_nRuns) + " runs" : "") << " (Ctrl+C ends)\n";
        if (!HasRecordStart(host.setup.events))
            out << "The board's timed-event program has no Record start (Record, On): nothing is "
                   "recorded until a run's program has one\n";
        out << std::flush;
    } else {
        session.ManualStart();
        if (!session.IsRecording()) {
            error = host.firstFailure.empty() ? "the recording could not be started"
                                              : host.firstFailure;
            return 0;
        }
    }

    CRecordTally tally;
    tally.baud = m_nBaud;
    CLinkWatch link;
    bool fetchedThisCycle = false;
    bool lastRunning = false;
    bool runBegan = false;
    // The poller fetches the board's latest pulse and drops it when it is the
    // one it had already (a board that keeps the "new pulse" bit set): such a
    // cycle worked, it only brought nothing new.
    uint64_t repeatsSeen = 0;
    CStatusPollar poller(hardware);
    poller.SetNotifier([&](unsigned message) {
        std::lock_guard guard(lock);
        const bool running = poller.GetStatus()->IsGCRunning();
        if (message == UM_STATUS_UPDATE) {
            const bool announced =
                (poller.GetStatus()->GetStatus() & CHardwareStatus::kNewPulse) != 0;
            const uint64_t repeats = poller.GetRepeatedPulseCount();
            const bool repeated = repeats != repeatsSeen;
            repeatsSeen = repeats;
            const auto now = Clock::now();
            switch (link.Cycle(hardware.GetLinkStatus(), announced, fetchedThisCycle || repeated,
                               now)) {
            case CLinkWatch::kLost:
                out << "Link to " << port << " lost: " << link.GetLostReason() << "\n"
                    << std::flush;
                break;
            case CLinkWatch::kBack:
                out << "Link to " << port << " back after " << Seconds(link.GetOutageSeconds(now))
                    << "\n"
                    << std::flush;
                break;
            case CLinkWatch::kNoChange:
                break;
            }
            fetchedThisCycle = false;
            // Only a status exchange that worked says what the run does.
            if (link.IsLost())
                return;
            if (running && !lastRunning) {
                runBegan = true;
                changed.notify_all();
            }
            lastRunning = running;
            session.OnRunState(running);
            changed.notify_all();
            return;
        }
        if (message != UM_PULSE_DATA)
            return;
        fetchedThisCycle = true;
        CPulseData pulse;
        poller.GetPulseData(pulse);
        const int64_t before = session.GetTotalPulsesWritten();
        session.OnPulse(pulse, running, host.setup.events);
        if (session.GetTotalPulsesWritten() > before) {
            if (m_bProgress)
                out << "pulse " << pulse.GetPulseIndex() << " time " << pulse.GetPulseTime() << "\n"
                    << std::flush;
        }
        changed.notify_all();
    });
    StopSignals stopSignals;
    const auto start = Clock::now();
    poller.Start();
    {
        std::unique_lock guard(lock);
        while (!StopSignals::Raised()) {
            changed.wait_for(guard, std::chrono::milliseconds(100));
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            if (m_dSeconds > 0 && elapsed.count() >= m_dSeconds)
                break;
            if (!m_bAuto && !session.IsRecording())
                break; // a write error ended it
            if (m_bAuto && m_nRuns > 0 && session.GetFinishedCount() >= m_nRuns)
                break;
            if (m_bAuto && runBegan) {
                // A new run may bring a new program: read the set-up again,
                // outside the lock, so that the poller goes on meanwhile.
                runBegan = false;
                guard.unlock();
                CInstrumentSetup fresh;
                std::string why;
                const int read = ReadSetup(hardware, m_nPort, fresh, why);
                guard.lock();
                if (read)
                    host.setup = fresh;
                else
                    out << "The set-up could not be read again at the run's start (" << why
                        << "); the headers keep the one read before\n"
                        << std::flush;
            }
        }
    }
    poller.Stop();
    tally.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    session.Finish();

    if (m_bAuto) {
        const size_t files = host.finished.size();
        out << "Recorded " << files << (files == 1 ? " file" : " files") << "\n";
    } else if (!host.finished.empty()) {
        const CRecordingSummary& file = host.finished.back();
        tally.pulses = file.pulses;
        tally.firstIndex = file.firstIndex;
        tally.lastIndex = file.lastIndex;
        tally.firstTime = file.firstTime;
        tally.lastTime = file.lastTime;
        tally.skipped = file.skipped;
        tally.repeats = file.repeats + static_cast<int64_t>(poller.GetRepeatedPulseCount());
        tally.restarts = file.restarts;
        tally.announced = link.GetAnnounced();
        tally.refused = link.GetRefused();
        out << "Wrote " << file.path << ": " << tally.pulses << " pulses, " << SizeText(file.bytes)
            << "\n"
            << CRecordSummary::Lines(tally);
    }
    if (link.GetLosses() > 0)
        out << "The link was lost " << link.GetLosses()
            << (link.GetLosses() == 1 ? " time" : " times")
            << (link.IsLost() ? " and had not returned at the end" : "") << "\n";
    if (!host.firstFailure.empty()) {
        error = host.firstFailure;
        return 0;
    }
    if (!m_bAuto && tally.pulses == 0) {
        error = CRecordSummary::NoPulsesReason(tally);
        return 0;
    }
    return 1;
}

} // namespace cli
