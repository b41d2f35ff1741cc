#include "PseudoTerminal.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string SystemError(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

int CPseudoTerminal::Open(std::string& error)
{
    Close();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        error = SystemError("posix_openpt");
        return 0;
    }
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof(name)) != 0) {
        error = SystemError("cannot set up the pseudo-terminal");
        Close();
        return 0;
    }
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        error = SystemError(std::string("cannot open ") + name);
        Close();
        return 0;
    }
    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0) {
        error = SystemError("tcgetattr");
        Close();
        return 0;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B57600);
    ::cfsetospeed(&tio, B57600);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0) {
        error = SystemError("tcsetattr");
        Close();
        return 0;
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0 ||
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC) != 0) {
        error = SystemError("fcntl");
        Close();
        return 0;
    }
    m_devicePath = name;
    return 1;
}

void CPseudoTerminal::Close()
{
    CloseFd(m_master);
    CloseFd(m_slave);
    m_devicePath.clear();
}

int CPortLink::PointAt(const std::string& target, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path link(m_linkPath);
    if (link.has_parent_path())
        fs::create_directories(link.parent_path(), ec);
    if (ec) {
        error = "cannot create " + link.parent_path().string() + ": " + ec.message();
        return 0;
    }
    // Unique per process and call: two boards may be placing links in one folder at once.
    static std::atomic<unsigned> serial{0};
    const std::string temp =
        m_linkPath + ".new" + std::to_string(::getpid()) + "." + std::to_string(serial++);
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
        error = SystemError("cannot create the link " + temp);
        return 0;
    }
    if (::rename(temp.c_str(), m_linkPath.c_str()) != 0) {
        error = SystemError("cannot place the link " + m_linkPath);
        ::unlink(temp.c_str());
        return 0;
    }
    m_target = target;
    return 1;
}

void CPortLink::Remove()
{
    if (m_target.empty())
        return;
    char buffer[4096];
    const ssize_t n = ::readlink(m_linkPath.c_str(), buffer, sizeof(buffer) - 1);
    if (n >= 0 && std::string(buffer, static_cast<size_t>(n)) == m_target)
        ::unlink(m_linkPath.c_str());
    m_target.clear();
}
