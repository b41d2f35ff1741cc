#pragma once
// What the simulator's tests share: a scratch ports folder and a tiny raw host that talks to
// the board through its link, as the real link does, with generous deadlines instead of sleeps.

#include "BoardFrame.h"
#include "BoardSimulator.h"
#include "TempFolder.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace simtest {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Long enough for a loaded two-core machine; a passing test never waits for it.
constexpr auto kDeadline = 10s;

using TempDir = testsupport::CTempDir;

// Options for a fast, unpaced board in its own ports folder.
inline CSimOptions FastOptions(const TempDir& dir)
{
    static std::atomic<int> nextPort{40};
    CSimOptions options;
    options.port = nextPort++;
    options.portsDir = dir.File("Ports");
    options.baud = 0;
    options.replyLatencyMs = 0;
    return options;
}

// A reply as it came off the line: whatever preceded the start byte, then the packet.
struct Reply {
    CByteArray junk;
    CByteArray packet;
    uint8_t Command() const { return packet.size() > 3 ? packet[3] : 0; }
    CByteArray Payload() const
    {
        return packet.size() >= 8 ? CByteArray(packet.begin() + 4, packet.end() - 4) : CByteArray();
    }
    bool CrcOk() const
    {
        const size_t n = packet.size();
        return n >= 8 && static_cast<uint16_t>(packet[n - 4] << 8 | packet[n - 3]) ==
                             CBoardFrame::Crc16(packet.data(), n - 4);
    }
    bool WellFormed() const
    {
        uint8_t command = 0;
        CByteArray payload;
        return CBoardFrame::Parse(packet, command, payload) == 1;
    }
};

class RawHost {
public:
    explicit RawHost(const std::string& path)
    {
        m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0)
            return;
        termios tio{};
        ::tcgetattr(m_fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_fd, TCSANOW, &tio);
        ::tcflush(m_fd, TCIOFLUSH);
    }
    ~RawHost()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RawHost(const RawHost&) = delete;
    RawHost& operator=(const RawHost&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    bool Write(const CByteArray& bytes)
    {
        size_t done = 0;
        const auto deadline = Clock::now() + kDeadline;
        while (done < bytes.size() && Clock::now() < deadline) {
            const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            else
                Poll(POLLOUT, 10ms);
        }
        return done == bytes.size();
    }
    bool Send(uint8_t command, const CByteArray& payload = {})
    {
        return Write(CBoardFrame::Build(command, payload));
    }

    // Reads until one packet (by its length field) has arrived after any junk, or the
    // deadline passes (nullopt).
    std::optional<Reply> ReadReply(std::chrono::milliseconds deadline = kDeadline)
    {
        const auto end = Clock::now() + deadline;
        for (;;) {
            if (auto reply = TakeReply())
                return reply;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (left <= 0ms || !ReadSome(left))
                return std::nullopt;
        }
    }

    std::optional<Reply> Exchange(uint8_t command, const CByteArray& payload = {})
    {
        if (!Send(command, payload))
            return std::nullopt;
        return ReadReply();
    }

    // Exactly count bytes as they came, or what arrived by the deadline.
    CByteArray ReadBytes(size_t count, std::chrono::milliseconds deadline = kDeadline)
    {
        const auto end = Clock::now() + deadline;
        while (m_buffer.size() < count && Clock::now() < end) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (!ReadSome(std::max(left, 1ms)))
                break;
        }
        const size_t n = std::min(count, m_buffer.size());
        CByteArray bytes(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(n));
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(n));
        return bytes;
    }

    // True once the board has gone away: poll reports a hang-up, or a read gives 0 or EIO.
    bool WaitForHangup(std::chrono::milliseconds deadline = kDeadline)
    {
        const auto end = Clock::now() + deadline;
        while (Clock::now() < end) {
            pollfd fd{m_fd, POLLIN, 0};
            if (::poll(&fd, 1, 50) > 0) {
                if (fd.revents & (POLLHUP | POLLERR))
                    return true;
                uint8_t buffer[256];
                const ssize_t n = ::read(m_fd, buffer, sizeof(buffer));
                if (n == 0 || (n < 0 && errno == EIO))
                    return true;
            }
        }
        return false;
    }

    const CByteArray& Pending() const { return m_buffer; }

private:
    bool Poll(short events, std::chrono::milliseconds wait)
    {
        pollfd fd{m_fd, events, 0};
        return ::poll(&fd, 1, static_cast<int>(wait.count())) > 0;
    }

    bool ReadSome(std::chrono::milliseconds wait)
    {
        if (!Poll(POLLIN, wait))
            return true; // nothing yet; the caller checks its deadline
        uint8_t buffer[4096];
        const ssize_t n = ::read(m_fd, buffer, sizeof(buffer));
        if (n > 0)
            m_buffer.insert(m_buffer.end(), buffer, buffer + n);
        else if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            return false;
        return true;
    }

    std::optional<Reply> TakeReply()
    {
        size_t start = 0;
        while (start < m_buffer.size() && m_buffer[start] != CBoardFrame::kStart)
            ++start;
        if (m_buffer.size() < start + 3)
            return std::nullopt;
        const size_t length = static_cast<size_t>(m_buffer[start + 1]) << 8 | m_buffer[start + 2];
        if (length < CBoardFrame::kOverhead || m_buffer.size() < start + length) {
            if (length < CBoardFrame::kOverhead)
                m_buffer.erase(m_buffer.begin(),
                               m_buffer.begin() + static_cast<std::ptrdiff_t>(start + 1));
            return std::nullopt;
        }
        Reply reply;
        reply.junk.assign(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(start));
        reply.packet.assign(m_buffer.begin() + static_cast<std::ptrdiff_t>(start),
                            m_buffer.begin() + static_cast<std::ptrdiff_t>(start + length));
        m_buffer.erase(m_buffer.begin(),
                       m_buffer.begin() + static_cast<std::ptrdiff_t>(start + length));
        return reply;
    }

    int m_fd = -1;
    CByteArray m_buffer;
};

// A started simulator with a host on its link; the test fails early when either is missing.
struct Bench {
    explicit Bench(CSimOptions options) : simulator(std::move(options))
    {
        std::string error;
        started = simulator.Start(error) == 1;
        startError = error;
        if (started)
            host.emplace(simulator.GetLinkPath());
    }
    bool Ready() const { return started && host && host->IsOpen(); }

    CBoardSimulator simulator;
    bool started = false;
    std::string startError;
    std::optional<RawHost> host;
};

inline uint16_t Word(const CByteArray& payload)
{
    return payload.size() >= 2 ? static_cast<uint16_t>(payload[0] << 8 | payload[1]) : 0xFFFF;
}

} // namespace simtest
