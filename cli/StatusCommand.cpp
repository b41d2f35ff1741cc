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

std::string CStatusCommand::StatusLine(unsigned short status)
{
    CHardwareStatus s;
    s.SetStatus(status);
    char word[64];
    std::snprintf(word, sizeof word, "0x%04x (status bits 0x%02x, error bits 0x%02x), GC ", status,
                  status >> 8, status & 0xFFu);
    return word + s.GetGCStatus();
}

int CStatusCommand::Watch(CCliHardware& hardware, std::ostream& out)
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
        if (m_nPulseLimit > 0 && shown >= m_nPulseLimit)
            break;
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (m_dSecondsLimit > 0 && elapsed.count() >= m_dSecondsLimit)
            break;
    }
    poller.Stop();
    out << shown << " pulses shown\n";
    return 1;
}

void CStatusCommand::DeclareOptions(COptionTable& options)
{
    DeclarePortOptions(options, m_nPort, m_nBaud);
    options.Switch("--watch", m_bWatch, "then follow the live pulses until Ctrl+C");
    options.Integer("--count", m_nPulseLimit, 0, 1'000'000'000, "P",
                    "with --watch: stop after P pulses, 0 for no limit")
        .What("the number of pulses");
    options.Real("--seconds", m_dSecondsLimit, 0, 1e9, "S",
                 "with --watch: stop after S seconds, 0 for no limit")
        .What("the number of seconds");
}

int CStatusCommand::Run(std::ostream& out, std::string& error)
{
    CCliHardware hardware;
    const std::string device = CSerialDevice::PathForPort(m_nPort);
    if (!hardware.Connect(m_nPort, m_nBaud)) {
        error = "cannot open COM" + std::to_string(m_nPort) + " (" + hardware.GetLastError() + ")";
        return 0;
    }
    unsigned short status = 0;
    int answered = 0;
    for (int attempt = 0; attempt < kTries && !answered; ++attempt)
        answered = hardware.GetStatusError(status);
    if (!answered) {
        error = "no answer from the instrument on COM" + std::to_string(m_nPort) + " (" + device +
                "); see the debug log for the exchanges";
        return 0;
    }
    std::string firmware = "?", board = "?";
    hardware.GetFirmwareRevision(firmware);
    hardware.GetBoardRevision(board);
    out << "Instrument on COM" << m_nPort << " (" << device << ")\n"
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
    return m_bWatch ? Watch(hardware, out) : 1;
}

} // namespace cli
