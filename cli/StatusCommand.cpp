#include "StatusCommand.h"

#include "Instrument.h"
#include "RecordPrinter.h"
#include "StatusPollar.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>

namespace cli {

namespace {

std::string StatusLine(unsigned short status)
{
    CHardwareStatus s;
    s.SetStatus(status);
    char word[16];
    std::snprintf(word, sizeof word, "0x%04x", status);
    return std::string(word) + " (status " + s.GetStatusText() + ", errors " + s.GetErrorText() +
           "), GC " + s.GetGCStatus();
}

int Watch(CCliHardware& hardware, const StatusOptions& options, std::ostream& out)
{
    std::mutex lock;
    std::condition_variable changed;
    int pending = 0;
    CStatusPollar poller(hardware);
    poller.SetNotifier([&](unsigned message) {
        if (message != UM_PULSE_DATA)
            return;
        std::lock_guard guard(lock);
        ++pending;
        changed.notify_all();
    });
    StopSignals stopSignals;
    poller.Start();
    out << "Watching pulses (Ctrl+C to stop)\n" << std::flush;

    const auto start = std::chrono::steady_clock::now();
    int shown = 0;
    long lastIndex = -1;
    unsigned short lastStatus = 0xFFFF;
    while (!StopSignals::Raised()) {
        {
            std::unique_lock guard(lock);
            changed.wait_for(guard, std::chrono::milliseconds(100), [&] { return pending > 0; });
            pending = 0;
        }
        const unsigned short status = poller.GetStatus()->GetStatus();
        if (status != lastStatus) {
            out << "Status " << StatusLine(status) << "\n" << std::flush;
            lastStatus = status;
        }
        CPulseData pulse;
        poller.GetPulseData(pulse);
        if (pulse.GetDataCount() > 0 && pulse.GetPulseIndex() != lastIndex) {
            lastIndex = pulse.GetPulseIndex();
            char line[128];
            std::snprintf(line, sizeof line, "Pulse %ld  time %.2f s  frequency %.2f /s  samples %d",
                          pulse.GetPulseIndex(), pulse.GetPulseTime() / 100.0,
                          pulse.GetFrequencyPulse(), pulse.GetDataCount());
            out << line << "\n" << std::flush;
            ++shown;
        }
        if (options.pulseLimit > 0 && shown >= options.pulseLimit)
            break;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (options.secondsLimit > 0 && elapsed.count() >= options.secondsLimit)
            break;
    }
    poller.Stop();
    out << shown << " pulses shown\n";
    return 1;
}

} // namespace

bool ParseStatusOptions(const std::vector<std::string>& args, StatusOptions& options,
                        std::string& error)
{
    double port = options.port, baud = options.baud, count = options.pulseLimit;
    const OptionTable table{{{"--watch", &options.watch}},
                            {{"--port", &port}, {"--baud", &baud}, {"--count", &count},
                             {"--seconds", &options.secondsLimit}},
                            {}};
    if (!ParseOptions(args, table, error))
        return false;
    options.port = static_cast<int>(port);
    options.baud = static_cast<int>(baud);
    options.pulseLimit = static_cast<int>(count);
    return CheckPort(options.port, error);
}

int RunStatus(const StatusOptions& options, std::ostream& out, std::string& error)
{
    CCliHardware hardware;
    const std::string device = CSerialDevice::PathForPort(options.port);
    if (!hardware.Connect(options.port, options.baud)) {
        error = "cannot open COM" + std::to_string(options.port) + " (" + hardware.GetLastError() + ")";
        return 0;
    }
    unsigned short status = 0;
    if (!hardware.GetStatusError(status)) {
        error = "no answer from the instrument on COM" + std::to_string(options.port) + " (" + device +
                "); see the debug log for the exchange";
        return 0;
    }
    std::string firmware = "?", board = "?";
    hardware.GetFirmwareRevision(firmware);
    hardware.GetBoardRevision(board);
    out << "Instrument on COM" << options.port << " (" << device << ")\n"
        << "Status word:       " << StatusLine(status) << "\n"
        << "Firmware revision: " << firmware << "\n"
        << "Board revision:    " << board << "\n";

    CGateParameters gates;
    CBoardParameters boardParameters;
    CChannelParameters channels;
    CTimedEvent events;
    if (hardware.GetAllGates(gates))
        printer::PrintGates(out, gates);
    else
        out << "Gates: no answer\n";
    if (hardware.GetBoardAndChannelParam(boardParameters, channels)) {
        printer::PrintBoard(out, boardParameters);
        printer::PrintChannels(out, channels);
    } else {
        out << "Board and channels: no answer\n";
    }
    if (hardware.GetTimedEvent(events))
        printer::PrintEvents(out, events);
    else
        out << "Timed events: no answer\n";
    out << std::flush;
    return options.watch ? Watch(hardware, options, out) : 1;
}

} // namespace cli
