#include "PortResolver.h"

#include "FileDescriptor.h"

#include "FilePaths.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

CPortResolver::CPortResolver()
    : CPortResolver(&CPortResolver::IsRealUart,
                    [](int port) { return "/dev/ttyS" + std::to_string(port - 1); })
{
}

CPortResolver::CPortResolver(UartProbe probe, FallbackName fallback)
    : m_probe(std::move(probe)), m_fallback(std::move(fallback))
{
}

CPortResolver::CPortResolver(const CPortResolver& other)
    : m_probe(other.m_probe), m_fallback(other.m_fallback)
{
    std::lock_guard guard(other.m_lock);
    m_linksSeen = other.m_linksSeen;
}

CPortResolver& CPortResolver::operator=(const CPortResolver& other)
{
    if (this == &other)
        return *this;
    std::set<int> seen;
    {
        std::lock_guard guard(other.m_lock);
        seen = other.m_linksSeen;
    }
    std::lock_guard guard(m_lock);
    m_probe = other.m_probe;
    m_fallback = other.m_fallback;
    m_linksSeen = std::move(seen);
    return *this;
}

std::string CPortResolver::LinkPath(int port)
{
    return CFilePaths::GetPortsFolder() + "/COM" + std::to_string(port);
}

std::string CPortResolver::Resolve(int port)
{
    const std::string link = LinkPath(port);
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        std::lock_guard guard(m_lock);
        m_linksSeen.insert(port);
        return link;
    }
    if (WasLinkSeen(port) || port < 1)
        return link;
    const std::string builtIn = m_fallback(port);
    return m_probe(builtIn) ? builtIn : link;
}

bool CPortResolver::WasLinkSeen(int port) const
{
    std::lock_guard guard(m_lock);
    return m_linksSeen.count(port) != 0;
}

bool CPortResolver::IsRealUart(const std::string& device)
{
    // Non-blocking, so a port waiting for its carrier does not hold us up.
    const CFileDescriptor fd(::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.IsOpen())
        return false;
    serial_struct serial{};
    return ::ioctl(fd.Get(), TIOCGSERIAL, &serial) == 0 && serial.type != PORT_UNKNOWN;
}
