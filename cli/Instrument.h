#pragma once
// What the instrument commands share: the link opened on a port without the
// Monitor's settings, the port options, the opening exchanges, and a stop
// flag set by Ctrl+C.

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "Hardware.h"
#include "OptionTable.h"
#include "TimedEvent.h"

#include <atomic>
#include <string>

namespace cli {

// The command set on a port of the command line's choosing.
class CCliHardware : public CHardware {
public:
    // Opens the port (8 data bits, no parity, one stop bit) with the normal
    // receive timeout. Non-zero when it opened.
    int Connect(int port, int baud);
};

// --port N and --baud B, bound to port and baud.
void DeclarePortOptions(COptionTable& options, int& port, int& baud);

// The set-up the instrument holds: gates, board and channels, timed events.
struct CInstrumentSetup {
    CGateParameters gates;
    CBoardParameters board;
    CChannelParameters channels;
    CTimedEvent events;
};

// The opening exchanges: each is tried up to kTries times, as a user would
// try again by hand, so that one damaged reply does not end a command
// before it began. 1 when all three answered; 0 with error naming the one
// that did not.
constexpr int kTries = 3;
int ReadSetup(CHardware& hardware, int port, CInstrumentSetup& setup, std::string& error);

// Set by SIGINT and SIGTERM while a StopSignals object lives.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    static bool Raised();

private:
    void (*m_previousInt)(int);
    void (*m_previousTerm)(int);
};

} // namespace cli
