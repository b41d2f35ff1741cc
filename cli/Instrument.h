#pragma once
// What the instrument commands share: the link opened on a port without the
// Monitor's settings, number options, and a stop flag set by Ctrl+C.

#include "Hardware.h"

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

// A whole number or decimal; false for anything else.
bool ParseNumber(const std::string& text, double& value);

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
