#include "RecordCommand.h"

#include "DataRecorder.h"
#include "FilePaths.h"
#include "Instrument.h"
#include "KLYNGenUtil.h"
#include "LinkWatch.h"
#include "RecordSummary.h"
#include "StatusPollar.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
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
}

int CRecordCommand::Run(std::ostream& out, std::string& error)
{
    // A file size limit must end a recording with an error, not the process.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::string port = "COM" + std::to_string(m_nPort);
    CCliHardware hardware;
    if (!hardware.Connect(m_nPort, m_nBaud)) {
        error = "cannot open " + port + " (" + hardware.GetLastError() + ")";
        return 0;
    }
    // The header carries the set-up the instrument holds now.
    CInstrumentSetup setup;
    if (!ReadSetup(hardware, m_nPort, setup, error))
        return 0;

    CDataRecorder recorder;
    recorder.SetFolder(m_strFolder);
    recorder.SetPrefix(m_strPrefix);
    recorder.SetIndex(1);
    recorder.ComposeFileName();
    if (CKLYNGenUtil::CheckFileExist(recorder.GetFullPath()))
        recorder.NextFreeIndexUp();
    recorder.SetHeaderRecords(setup.gates, setup.board, setup.channels, setup.events);
    if (!recorder.Start(error))
        return 0;
    const std::string path = recorder.GetFullPath();
    out << "Recording " << port << " into " << path << "\n" << std::flush;

    // The notifier runs on the poller's thread, between its exchanges, so it
    // may look at the port; everything it shares with this thread is under lock.
    std::mutex lock;
    std::condition_variable changed;
    std::string failure;
    CRecordTally tally;
    tally.baud = m_nBaud;
    CLinkWatch link;
    bool fetchedThisCycle = false;
    // The poller fetches the board's latest pulse and drops it when it is the
    // one it had already (a board that keeps the "new pulse" bit set): such a
    // cycle worked, it only brought nothing new.
    uint64_t repeatsSeen = 0;
    CStatusPollar poller(hardware);
    poller.SetNotifier([&](unsigned message) {
        std::lock_guard guard(lock);
        if (message == UM_STATUS_UPDATE) {
            const bool announced =
                (poller.GetStatus()->GetStatus() & CHardwareStatus::kNewPulse) != 0;
            const uint64_t repeats = poller.GetRepeatedPulseCount();
            const bool repeated = repeats != repeatsSeen;
            repeatsSeen = repeats;
            const auto now = Clock::now();
            switch (link.Cycle(hardware.IsPortOpen(), announced, fetchedThisCycle || repeated, now)) {
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
            return;
        }
        if (message != UM_PULSE_DATA || !recorder.IsRecording())
            return;
        fetchedThisCycle = true;
        CPulseData pulse;
        poller.GetPulseData(pulse);
        std::string why;
        bool written = false;
        if (!recorder.Append(pulse, why, &written)) {
            failure = why;
            changed.notify_all();
            return;
        }
        if (!written)
            return;
        if (tally.pulses++ == 0) {
            tally.firstIndex = pulse.GetPulseIndex();
            tally.firstTime = pulse.GetPulseTime();
        }
        tally.lastIndex = pulse.GetPulseIndex();
        tally.lastTime = pulse.GetPulseTime();
        if (m_bProgress)
            out << "pulse " << tally.lastIndex << " time " << tally.lastTime << "\n" << std::flush;
    });
    StopSignals stopSignals;
    const auto start = Clock::now();
    poller.Start();
    {
        std::unique_lock guard(lock);
        while (!StopSignals::Raised() && failure.empty()) {
            changed.wait_for(guard, std::chrono::milliseconds(100));
            const std::chrono::duration<double> elapsed = Clock::now() - start;
            if (m_dSeconds > 0 && elapsed.count() >= m_dSeconds)
                break;
        }
    }
    poller.Stop();
    tally.seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::string stopMessage;
    const int stopped = recorder.Stop(stopMessage);
    const CPulseSequence& sequence = recorder.GetSequence();
    tally.skipped = sequence.GetSkipped();
    tally.repeats = sequence.GetRepeats() + static_cast<int64_t>(poller.GetRepeatedPulseCount());
    tally.restarts = sequence.GetRestarts();
    tally.announced = link.GetAnnounced();
    tally.refused = link.GetRefused();
    std::error_code ec;
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path, ec));
    out << "Wrote " << path << ": " << tally.pulses << " pulses, " << SizeText(ec ? 0 : bytes)
        << "\n"
        << CRecordSummary::Lines(tally);
    if (link.GetLosses() > 0)
        out << "The link was lost " << link.GetLosses()
            << (link.GetLosses() == 1 ? " time" : " times")
            << (link.IsLost() ? " and had not returned at the end" : "") << "\n";
    if (!failure.empty()) {
        error = failure;
        return 0;
    }
    if (!stopped) {
        error = stopMessage;
        return 0;
    }
    if (tally.pulses == 0) {
        error = CRecordSummary::NoPulsesReason(tally);
        return 0;
    }
    return 1;
}

} // namespace cli
