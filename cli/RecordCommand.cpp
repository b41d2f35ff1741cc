#include "RecordCommand.h"

#include "DataRecorder.h"
#include "KLYNGenUtil.h"
#include "Instrument.h"
#include "StatusPollar.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace cli {

namespace {

std::string SizeText(int64_t bytes)
{
    char text[32];
    if (bytes < 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024.0);
    else
        std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(bytes) / 1048576.0);
    return text;
}

} // namespace

bool ParseRecordOptions(const std::vector<std::string>& args, RecordOptions& options,
                        std::string& error)
{
    double port = options.port, baud = options.baud;
    const OptionTable table{{{"--progress", &options.progress}},
                            {{"--port", &port}, {"--baud", &baud}, {"--seconds", &options.seconds}},
                            {{"--dir", &options.folder}, {"--prefix", &options.prefix}}};
    if (!ParseOptions(args, table, error))
        return false;
    options.port = static_cast<int>(port);
    options.baud = static_cast<int>(baud);
    return CheckPort(options.port, error);
}

int RunRecord(const RecordOptions& options, std::ostream& out, std::string& error)
{
    // A file size limit must end a recording with an error, not the process.
    std::signal(SIGXFSZ, SIG_IGN);
    CCliHardware hardware;
    if (!hardware.Connect(options.port, options.baud)) {
        error = "cannot open COM" + std::to_string(options.port) + " (" + hardware.GetLastError() + ")";
        return 0;
    }
    // The header carries the set-up the instrument holds now.
    CGateParameters gates;
    CBoardParameters board;
    CChannelParameters channels;
    CTimedEvent events;
    if (!hardware.GetAllGates(gates) || !hardware.GetBoardAndChannelParam(board, channels) ||
        !hardware.GetTimedEvent(events)) {
        error = "no answer from the instrument on COM" + std::to_string(options.port) +
                "; see the debug log for the exchange";
        return 0;
    }

    CDataRecorder recorder;
    recorder.SetFolder(options.folder);
    recorder.SetPrefix(options.prefix);
    recorder.SetIndex(1);
    recorder.ComposeFileName();
    if (CKLYNGenUtil::CheckFileExist(recorder.GetFullPath()))
        recorder.NextFreeIndexUp();
    recorder.SetHeaderRecords(gates, board, channels, events);
    if (!recorder.Start(error))
        return 0;
    const std::string path = recorder.GetFullPath();
    out << "Recording COM" << options.port << " into " << path << "\n" << std::flush;

    std::mutex lock;
    std::condition_variable changed;
    std::string failure;
    long firstIndex = -1, lastIndex = -1, firstTime = 0, lastTime = 0;
    CStatusPollar poller(hardware);
    poller.SetNotifier([&](unsigned message) {
        if (message != UM_PULSE_DATA)
            return;
        CPulseData pulse;
        poller.GetPulseData(pulse);
        std::lock_guard guard(lock);
        if (!recorder.IsRecording())
            return;
        std::string why;
        if (!recorder.Append(pulse, why)) {
            failure = why;
            changed.notify_all();
            return;
        }
        if (firstIndex < 0) {
            firstIndex = pulse.GetPulseIndex();
            firstTime = pulse.GetPulseTime();
        }
        lastIndex = pulse.GetPulseIndex();
        lastTime = pulse.GetPulseTime();
        if (options.progress)
            out << "pulse " << lastIndex << " time " << lastTime << "\n" << std::flush;
    });
    StopSignals stopSignals;
    poller.Start();

    const auto start = std::chrono::steady_clock::now();
    {
        std::unique_lock guard(lock);
        while (!StopSignals::Raised() && failure.empty()) {
            changed.wait_for(guard, std::chrono::milliseconds(100));
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            if (options.seconds > 0 && elapsed.count() >= options.seconds)
                break;
        }
    }
    poller.Stop();

    std::string stopMessage;
    const int pulses = recorder.GetPulseCount();
    const int stopped = recorder.Stop(stopMessage);
    std::error_code ec;
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path, ec));
    out << "Wrote " << path << ": " << pulses << " pulses, " << SizeText(ec ? 0 : bytes) << "\n";
    if (pulses > 0) {
        char line[160];
        std::snprintf(line, sizeof line, "Run time %.2f s to %.2f s; pulse index %ld to %ld",
                      firstTime / 100.0, lastTime / 100.0, firstIndex, lastIndex);
        out << line;
        const long missed = lastIndex - firstIndex + 1 - pulses;
        if (missed > 0)
            out << " (" << missed << " pulses of the board were not fetched: the link carries about 7 a second)";
        out << "\n";
    }
    if (!failure.empty()) {
        error = failure;
        return 0;
    }
    if (!stopped) {
        error = stopMessage;
        return 0;
    }
    return 1;
}

int RunRepair(const std::string& path, bool inPlace, std::ostream& out, std::string& error)
{
    std::filesystem::path p(path);
    const std::string copy =
        inPlace ? std::string() : (p.parent_path() / (p.stem().string() + "-repaired" + p.extension().string())).string();
    CSalvageReport report;
    if (!CDataFileReader::Repair(path, copy, report, error))
        return 0;
    const std::string target = inPlace ? path : copy;
    if (report.storedCount == report.foundCount)
        out << path << ": the pulse count (" << report.foundCount << ") was already right";
    else
        out << "Wrote " << target << ": pulse count " << report.storedCount << " corrected to "
            << report.foundCount;
    out << "\n";
    if (report.tornBytes > 0)
        out << report.tornBytes << " bytes after the last complete pulse are not part of any pulse\n";
    return 1;
}

} // namespace cli
