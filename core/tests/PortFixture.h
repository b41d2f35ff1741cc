#pragma once
// A ports folder of the test's own, so that port numbers name links the test
// makes, and a bare pseudo-terminal to play the far end of a line.

#include "../../datamodel/tests/TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

class PortsFolder {
public:
    PortsFolder()
    {
        const char* old = std::getenv("TARVOLIN_PORTS_DIR");
        m_hadOld = old != nullptr;
        if (old)
            m_old = old;
        ::setenv("TARVOLIN_PORTS_DIR", m_dir.Path().c_str(), 1);
    }
    ~PortsFolder()
    {
        if (m_hadOld)
            ::setenv("TARVOLIN_PORTS_DIR", m_old.c_str(), 1);
        else
            ::unsetenv("TARVOLIN_PORTS_DIR");
    }
    std::string Dir() const { return m_dir.Path().string(); }
    std::string Link(int port) const { return m_dir.File("COM" + std::to_string(port)); }
    // Points COM<port> at target, replacing any earlier link.
    void PointAt(int port, const std::string& target) const
    {
        std::error_code ignored;
        std::filesystem::remove(Link(port), ignored);
        std::filesystem::create_symlink(target, Link(port));
    }

private:
    TempDir m_dir;
    bool m_hadOld = false;
    std::string m_old;
};

// The far end of a line: the master side of a pseudo-terminal.
class FarEnd {
public:
    FarEnd()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(m_master);
        ::unlockpt(m_master);
        m_slavePath = ::ptsname(m_master);
        // Keep a slave open so the master never reads EIO between clients,
        // and make the line raw so nothing is echoed back.
        m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
        termios tio{};
        ::tcgetattr(m_slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    ~FarEnd() { Close(); }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    const std::string& SlavePath() const { return m_slavePath; }
    void Send(const std::vector<uint8_t>& bytes) const
    {
        if (::write(m_master, bytes.data(), bytes.size()) < 0)
            return;
    }
    // Everything that arrives within timeoutMs.
    std::vector<uint8_t> Receive(int timeoutMs) const
    {
        std::vector<uint8_t> bytes;
        pollfd pfd{m_master, POLLIN, 0};
        while (::poll(&pfd, 1, timeoutMs) > 0) {
            uint8_t buffer[1024];
            const ssize_t r = ::read(m_master, buffer, sizeof buffer);
            if (r <= 0)
                break;
            bytes.insert(bytes.end(), buffer, buffer + r);
            timeoutMs = 20;
        }
        return bytes;
    }
    // Hangs up the line: the client sees EIO / POLLHUP.
    void Close()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
        m_slave = m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};
