#include "Instrument.h"

#include "PortSettings.h"

#include <csignal>
#include <functional>

namespace cli {

namespace {
std::atomic<bool> g_stop{false};
extern "C" void OnStopSignal(int)
{
    g_stop.store(true);
}

bool Tried(const std::function<int()>& exchange)
{
    for (int attempt = 0; attempt < kTries; ++attempt)
        if (exchange())
            return true;
    return false;
}
} // namespace

int CCliHardware::Connect(int port, int baud)
{
    const int opened = Open(port, static_cast<unsigned>(baud), 8, 0, 0);
    SetReceiveTimeout(kNormalTimeoutMs);
    return opened;
}

void DeclarePortOptions(COptionTable& options, int& port, int& baud)
{
    options
        .Integer("--port", port, CPortSettings::kFirstPort, CPortSettings::kLastPort, "N",
                 "the instrument's serial port, COM<N>")
        .What("the port number");
    options.Integer("--baud", baud, 0, 10'000'000, "B", "line speed in baud")
        .OneOf(CPortSettings::BaudRates())
        .What("the line speed");
}

int ReadSetup(CHardware& hardware, int port, CInstrumentSetup& setup, std::string& error)
{
    const char* failed = nullptr;
    if (!Tried([&] { return hardware.GetAllGates(setup.gates); }))
        failed = "the gates";
    else if (!Tried([&] { return hardware.GetBoardAndChannelParam(setup.board, setup.channels); }))
        failed = "the board and channel parameters";
    else if (!Tried([&] { return hardware.GetTimedEvent(setup.events); }))
        failed = "the timed events";
    if (!failed)
        return 1;
    error = "no answer from the instrument on COM" + std::to_string(port) + " (" + failed +
            " were asked for " + std::to_string(kTries) +
            " times); see the debug log for the exchanges";
    return 0;
}

StopSignals::StopSignals()
{
    g_stop = false;
    m_previousInt = std::signal(SIGINT, OnStopSignal);
    m_previousTerm = std::signal(SIGTERM, OnStopSignal);
}

StopSignals::~StopSignals()
{
    std::signal(SIGINT, m_previousInt);
    std::signal(SIGTERM, m_previousTerm);
}

bool StopSignals::Raised()
{
    return g_stop.load();
}

} // namespace cli
