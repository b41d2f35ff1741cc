#pragma once
// Sends replies at the pace of a real serial line. A pseudo-terminal has no baud rate, so
// bytes are released against a schedule: byte k of a transmission starting at s is written
// once s + (k + 1) byte times have passed (10 bit times per byte, 8N1), in small chunks
// rather than one sleep per byte, and against the monotonic clock so that no drift builds up
// over a long reply. With baud 0 every byte is due at once.

#include "CommonUtils.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <vector>

class CPacedWriter {
public:
    using Clock = std::chrono::steady_clock;

    explicit CPacedWriter(int baud);

    Clock::duration ByteTime() const { return m_byteTime; }
    // How long count bytes occupy the line.
    Clock::duration WireTime(size_t count) const { return m_byteTime * static_cast<long>(count); }

    // One reply: its pieces go out in order, the first not before readyAt, each later one
    // `pause` after the previous piece has left. A reply waits for the one before it.
    void Queue(std::vector<CByteArray> pieces, Clock::time_point readyAt, Clock::duration pause);

    struct CResult {
        size_t bytes = 0;     // written in this call
        int repliesDone = 0;  // replies whose last byte went out in this call
        bool blocked = false; // the device took less than was due: wait until it is writable
        bool failed = false;  // the device refused with an error
    };
    // Writes what is due by now; write() behaves like ::write on a non-blocking descriptor.
    CResult Pump(Clock::time_point now,
                 const std::function<ssize_t(const uint8_t*, size_t)>& write);

    // When Pump() next has something to do; nothing when the queue is empty.
    std::optional<Clock::time_point> NextWake(Clock::time_point now) const;
    bool Idle() const { return m_pieces.empty(); }
    // Bytes queued and not yet written.
    size_t Backlog() const;
    // Forgets everything queued (the line went down).
    void Clear();

private:
    struct CPiece {
        CByteArray bytes;
        size_t sent = 0;
        bool first = false;
        bool last = false;
        Clock::time_point readyAt{};
        Clock::duration pause{};
        bool started = false;
        bool stalled = false;
        Clock::time_point start{};
    };
    Clock::time_point Earliest(const CPiece& piece) const;
    size_t Due(const CPiece& piece, Clock::time_point now) const;

    Clock::duration m_byteTime{};
    std::deque<CPiece> m_pieces;
    Clock::time_point m_lineFree{}; // when the last byte written so far has left the line
};
