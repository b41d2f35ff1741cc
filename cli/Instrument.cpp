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

bool ParseOptions(const std::vector<std::string>& args, const OptionTable& table, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (auto s = table.switches.find(a); s != table.switches.end()) {
            *s->second = true;
        } else if (auto t = table.texts.find(a); t != table.texts.end() && hasValue) {
            *t->second = args[++i];
        } else if (auto n = table.numbers.find(a); n != table.numbers.end() && hasValue) {
            double value = 0;
            if (!ParseNumber(args[++i], value) || value < 0) {
                error = "bad value for " + a + ": \"" + args[i] + "\"";
                return false;
            }
            *n->second = value;
        } else {
            error = "unknown or incomplete option \"" + a + "\"";
            return false;
        }
    }
    return true;
}

bool CheckPort(int port, std::string& error)
{
    if (port >= 1)
        return true;
    error = "the port number starts at 1";
    return false;
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
