#include "SerialDevice.h"

#include "PortResolver.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

speed_t SpeedFor(unsigned baud)
{
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return B0;
    }
}

int RemainingMs(Clock::time_point deadline)
{
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

} // namespace

CSerialDevice::~CSerialDevice()
{
    Close();
}

std::string CSerialDevice::PathForPort(int port)
{
    return CPortResolver().Resolve(port);
}

bool CSerialDevice::IsSupportedBaudRate(unsigned baud)
{
    return SpeedFor(baud) != B0;
}

unsigned long CSerialDevice::DeviceIdOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return static_cast<unsigned long>(S_ISCHR(st.st_mode) ? st.st_rdev : st.st_ino);
}

bool CSerialDevice::Fail(const std::string& what)
{
    m_strError = what + ": " + std::strerror(errno);
    return false;
}

bool CSerialDevice::Open(const std::string& path, bool read, bool write, unsigned baud,
                         unsigned byteSize, unsigned parity, unsigned stopBits, Rts rts)
{
    Close();
    m_bHungUp = false;
    m_strError.clear();
    m_eOpenFailure = OpenFailure::None;
    if (!IsSupportedBaudRate(baud)) {
        m_strError = "unsupported baud rate " + std::to_string(baud);
        m_eOpenFailure = OpenFailure::Unusable;
        return false;
    }
    const int access = read && write ? O_RDWR : (write ? O_WRONLY : O_RDONLY);
    m_fd.Reset(::open(path.c_str(), access | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!m_fd.IsOpen()) {
        const int error = errno;
        if (error == EBUSY)
            m_eOpenFailure = OpenFailure::Busy;
        else if (error == ENOENT || error == ENXIO || error == ENODEV || error == ENOTDIR)
            m_eOpenFailure = OpenFailure::NotPresent;
        else
            m_eOpenFailure = OpenFailure::Unusable;
        if (error == EBUSY)
            return Fail(path + " is in use by another program");
        return Fail("cannot open " + path);
    }
    // Exclusive: a second program on the same port would steal replies.
    if (::flock(m_fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        Fail(path + " is in use by another program");
        m_eOpenFailure = OpenFailure::Busy;
        Close();
        return false;
    }
    ::ioctl(m_fd.Get(), TIOCEXCL);
    if (!Configure(baud, byteSize, parity, stopBits, rts)) {
        m_eOpenFailure = OpenFailure::Unusable;
        Close();
        return false;
    }
    struct stat st {};
    m_nDeviceId = ::fstat(m_fd.Get(), &st) == 0
                      ? static_cast<unsigned long>(S_ISCHR(st.st_mode) ? st.st_rdev : st.st_ino)
                      : 0;
    return true;
}

bool CSerialDevice::Configure(unsigned baud, unsigned byteSize, unsigned parity, unsigned stopBits,
                              Rts rts)
{
    termios tio{};
    if (::tcgetattr(m_fd.Get(), &tio) != 0)
        return Fail("cannot read the line settings");
    // Raw: bytes pass unchanged, no echo, no parity test, no handshake, no
    // special characters.
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag |= byteSize == 5 ? CS5 : byteSize == 6 ? CS6 : byteSize == 7 ? CS7 : CS8;
    if (parity == 1)
        tio.c_cflag |= PARENB | PARODD;
    else if (parity == 2)
        tio.c_cflag |= PARENB;
    if (stopBits == 2)
        tio.c_cflag |= CSTOPB;
    // Hold DTR off after close too: the board's line driver needs no DTR.
    tio.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedFor(baud);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(m_fd.Get(), TCSANOW, &tio) != 0)
        return Fail("cannot write the line settings");
    m_nByteMicros = baud > 0 ? 10'000'000u / baud : 0;

    // USB adapters hold received bytes for their latency timer unless asked not to.
    serial_struct serial{};
    if (::ioctl(m_fd.Get(), TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        m_bLowLatency = ::ioctl(m_fd.Get(), TIOCSSERIAL, &serial) == 0;
    }

    int dtr = TIOCM_DTR;
    ::ioctl(m_fd.Get(), TIOCMBIC, &dtr);
    m_bRs485 = false;
    m_bManualRtsToggle = false;
    if (rts == Rts::Toggle) {
        // The driver raises RTS only while sending where it can; otherwise
        // RTS is raised around each write by hand. Neither exists on a
        // pseudo-terminal, which needs none.
        serial_rs485 rs485{};
        rs485.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
        m_bRs485 = ::ioctl(m_fd.Get(), TIOCSRS485, &rs485) == 0;
        if (!m_bRs485) {
            int bits = TIOCM_RTS;
            m_bManualRtsToggle = ::ioctl(m_fd.Get(), TIOCMBIC, &bits) == 0;
        }
    } else {
        SetRts(true);
    }
    return true;
}

void CSerialDevice::SetRts(bool on)
{
    int bits = TIOCM_RTS;
    ::ioctl(m_fd.Get(), on ? TIOCMBIS : TIOCMBIC, &bits);
}

void CSerialDevice::Close()
{
    m_fd.Reset();
    m_nDeviceId = 0;
}

long CSerialDevice::Read(uint8_t* buffer, size_t n, int timeoutMs)
{
    if (!m_fd.IsOpen())
        return -1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    size_t got = 0;
    while (got < n) {
        pollfd pfd{m_fd.Get(), POLLIN, 0};
        const int ready = ::poll(&pfd, 1, RemainingMs(deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Fail("poll failed"), -1;
        }
        if (ready == 0)
            break;
        const ssize_t r = ::read(m_fd.Get(), buffer + got, n - got);
        if (r > 0) {
            got += static_cast<size_t>(r);
            // A few bytes at a time means the rest of a long reply is still
            // on the wire: sleep through its transfer rather than waking for
            // every few bytes. A sender faster than the line never trickles.
            const size_t missing = n - got;
            if (r < 64 && missing > 32 && m_nByteMicros > 0) {
                auto wait = std::chrono::microseconds(m_nByteMicros * (missing - 16));
                auto cap = deadline - Clock::now();
                if (wait > cap)
                    wait = std::chrono::duration_cast<std::chrono::microseconds>(cap);
                if (wait.count() > 1000)
                    std::this_thread::sleep_for(wait);
            }
            continue;
        }
        if (r < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        // End of file or EIO on a terminal: the other side is gone.
        if (r == 0 || errno == EIO || (pfd.revents & (POLLHUP | POLLERR))) {
            m_bHungUp = true;
            m_strError = "the device hung up";
            return got > 0 ? static_cast<long>(got) : -1;
        }
        return Fail("read failed"), -1;
    }
    return static_cast<long>(got);
}

long CSerialDevice::Write(const uint8_t* buffer, size_t n, int timeoutMs)
{
    if (!m_fd.IsOpen())
        return -1;
    if (m_bManualRtsToggle)
        SetRts(true);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(m_fd.Get(), buffer + done, n - done);
        if (w > 0) {
            done += static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EAGAIN) {
            pollfd pfd{m_fd.Get(), POLLOUT, 0};
            if (::poll(&pfd, 1, RemainingMs(deadline)) > 0 && !(pfd.revents & (POLLHUP | POLLERR)))
                continue;
        }
        if (w < 0 && errno == EIO)
            m_bHungUp = true;
        Fail("write failed");
        break;
    }
    if (m_bManualRtsToggle) {
        ::tcdrain(m_fd.Get());
        SetRts(false);
    }
    return done > 0 || n == 0 ? static_cast<long>(done) : -1;
}

bool CSerialDevice::Purge()
{
    if (!m_fd.IsOpen())
        return false;
    return ::tcflush(m_fd.Get(), TCIOFLUSH) == 0;
}

int CSerialDevice::Pending() const
{
    int count = 0;
    if (!m_fd.IsOpen() || ::ioctl(m_fd.Get(), FIONREAD, &count) != 0)
        return 0;
    return count;
}
