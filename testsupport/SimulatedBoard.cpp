#include "SimulatedBoard.h"

#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace testsupport {

CPortsFolder::CPortsFolder() : m_env("TARVOLIN_PORTS_DIR", m_dir.Path().string())
{
}

void CPortsFolder::PointAt(int port, const std::string& target) const
{
    std::error_code ignored;
    std::filesystem::remove(Link(port), ignored);
    std::filesystem::create_symlink(target, Link(port));
}

CSimOptions FastBoardOptions(const std::string& portsDir, int port)
{
    CSimOptions options;
    options.portsDir = portsDir;
    options.port = port;
    options.baud = 0;
    options.replyLatencyMs = 0;
    return options;
}

std::unique_ptr<CBoardSimulator> StartBoard(const CSimOptions& options, std::string& error)
{
    auto board = std::make_unique<CBoardSimulator>(options);
    if (!board->Start(error))
        return nullptr;
    return board;
}

CFarEnd::CFarEnd()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(m_master);
    ::unlockpt(m_master);
    m_slavePath = ::ptsname(m_master);
    // Keep a slave open so the master never reads EIO between clients, and
    // make the line raw so nothing is echoed back.
    m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
}

CFarEnd::~CFarEnd()
{
    Close();
}

void CFarEnd::Send(const std::vector<uint8_t>& bytes) const
{
    if (::write(m_master, bytes.data(), bytes.size()) < 0)
        return;
}

std::vector<uint8_t> CFarEnd::Receive(int firstMs, int quietMs) const
{
    std::vector<uint8_t> bytes;
    pollfd pfd{m_master, POLLIN, 0};
    int wait = firstMs;
    while (::poll(&pfd, 1, wait) > 0) {
        uint8_t buffer[1024];
        const ssize_t r = ::read(m_master, buffer, sizeof buffer);
        if (r <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + r);
        wait = quietMs;
    }
    return bytes;
}

void CFarEnd::Close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

} // namespace testsupport
