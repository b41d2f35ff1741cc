#pragma once
// Runs a program of the build as a child process, with its standard output
// and error captured, for tests of whole programs: their output, their exit
// status, how they take a signal. Every wait has a deadline and ends early
// on the event waited for; nothing sleeps for a fixed time.

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// Long enough for a loaded two-core machine; a passing test never waits for it.
constexpr std::chrono::seconds kDeadline{30};

class CChildProcess {
public:
    CChildProcess() = default;
    // Ends a child still running (SIGKILL) and reaps it.
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // argv[0] is the program's path. extraEnv: "NAME=value" entries added to
    // (or replacing those of) this process's environment. False when it
    // could not be started.
    bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});

    // Reads output until done(stdout so far) holds, the child closes its
    // output, or the deadline; returns done's last answer.
    bool ReadUntil(const std::function<bool(const std::string&)>& done,
                   std::chrono::milliseconds deadline = kDeadline);
    bool Signal(int signal) const;
    // Waits for the child to end, reading its output to the end. The exit
    // code, or -1 when the deadline passed, 128 + n when signal n ended it.
    int Wait(std::chrono::milliseconds deadline = kDeadline);

    const std::string& Out() const { return m_out; }
    const std::string& Err() const { return m_err; }
    pid_t Pid() const { return m_pid; }

private:
    bool Pump(std::chrono::milliseconds wait);

    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    std::string m_out;
    std::string m_err;
    int m_status = -1;
};

struct CProgramResult {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs the program to its end.
CProgramResult RunProgram(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnv = {});

} // namespace testsupport
