#pragma once
// The instrument for tests that need one: a ports folder of the test's own
// (so port numbers name links the test makes), the board simulator linked
// into it, and a bare pseudo-terminal to play a far end that says nothing.

#include "BoardSimulator.h"
#include "ScopedEnv.h"
#include "TempFolder.h"

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// Sets $TARVOLIN_PORTS_DIR to a scratch folder for its lifetime.
class CPortsFolder {
public:
    CPortsFolder();
    std::string Dir() const { return m_dir.Path().string(); }
    std::string Link(int port) const { return m_dir.File("COM" + std::to_string(port)); }
    // Points COM<port> at target, replacing any earlier link.
    void PointAt(int port, const std::string& target) const;

private:
    CTempDir m_dir{"tarvolin-ports"};
    CScopedEnv m_env;
};

// Options for a fast board in folder: unpaced, answering at once.
CSimOptions FastBoardOptions(const std::string& portsDir, int port);

// A started simulator (nullptr with the reason in error when it did not start).
std::unique_ptr<CBoardSimulator> StartBoard(const CSimOptions& options, std::string& error);

// The far end of a line: the master side of a pseudo-terminal.
class CFarEnd {
public:
    CFarEnd();
    ~CFarEnd();
    CFarEnd(const CFarEnd&) = delete;
    CFarEnd& operator=(const CFarEnd&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    void Send(const std::vector<uint8_t>& bytes) const;
    // Everything that arrives until the line has been quiet for quietMs
    // after the first byte, or nothing after firstMs.
    std::vector<uint8_t> Receive(int firstMs, int quietMs = 20) const;
    // Hangs up the line: the other side sees EIO / POLLHUP.
    void Close();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

} // namespace testsupport
