#include "Instrument.h"

#include <csignal>
#include <cstdlib>

namespace cli {

namespace {
std::atomic<bool> g_stop{false};
extern "C" void OnStopSignal(int) { g_stop.store(true); }
} // namespace

int CCliHardware::Connect(int port, int baud)
{
    const int opened = Open(port, static_cast<unsigned>(baud), 8, 0, 0);
    SetReceiveTimeout(kNormalTimeoutMs);
    return opened;
}

bool ParseNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
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

bool StopSignals::Raised() { return g_stop.load(); }

} // namespace cli
