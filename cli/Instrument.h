#pragma once
// What the instrument commands share: the link opened on a port without the
// Monitor's settings, number options, and a stop flag set by Ctrl+C.

#include "Hardware.h"

#include <atomic>
#include <map>
#include <string>
#include <vector>

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

// The options of an instrument command: switches, non-negative numbers and
// texts, each written to where the table points. Ends with the port check
// when port is given. False with the reason in error.
struct OptionTable {
    std::map<std::string, bool*> switches;
    std::map<std::string, double*> numbers;
    std::map<std::string, std::string*> texts;
};
bool ParseOptions(const std::vector<std::string>& args, const OptionTable& table, std::string& error);
bool CheckPort(int port, std::string& error);

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
