#include "PacedWriter.h"

#include <algorithm>
#include <cerrno>

namespace {
// Bytes are handed over at most about once a millisecond: finer steps only burn CPU, and a
// host sees chunks like these from any serial adapter.
constexpr auto kChunkPeriod = std::chrono::milliseconds(1);
} // namespace

CPacedWriter::CPacedWriter(int baud)
{
    if (baud > 0)
        m_byteTime = std::chrono::duration_cast<Clock::duration>(
            std::chrono::nanoseconds(10'000'000'000LL / baud));
}

void CPacedWriter::Queue(std::vector<CByteArray> pieces, Clock::time_point readyAt,
                         Clock::duration pause)
{
    std::erase_if(pieces, [](const CByteArray& piece) { return piece.empty(); });
    for (size_t i = 0; i < pieces.size(); ++i) {
        CPiece piece;
        piece.bytes = std::move(pieces[i]);
        piece.first = i == 0;
        piece.last = i + 1 == pieces.size();
        piece.readyAt = readyAt;
        piece.pause = pause;
        m_pieces.push_back(std::move(piece));
    }
}

size_t CPacedWriter::Backlog() const
{
    size_t bytes = 0;
    for (const CPiece& piece : m_pieces)
        bytes += piece.bytes.size() - piece.sent;
    return bytes;
}

void CPacedWriter::Clear()
{
    m_pieces.clear();
}

CPacedWriter::Clock::time_point CPacedWriter::Earliest(const CPiece& piece) const
{
    return piece.first ? std::max(piece.readyAt, m_lineFree) : m_lineFree + piece.pause;
}

size_t CPacedWriter::Due(const CPiece& piece, Clock::time_point now) const
{
    if (m_byteTime.count() == 0 || piece.stalled)
        return piece.bytes.size();
    if (now < piece.start)
        return 0;
    const auto elapsed = static_cast<size_t>((now - piece.start) / m_byteTime);
    return std::min(piece.bytes.size(), elapsed);
}

CPacedWriter::CResult
CPacedWriter::Pump(Clock::time_point now,
                   const std::function<ssize_t(const uint8_t*, size_t)>& write)
{
    CResult result;
    while (!m_pieces.empty()) {
        CPiece& piece = m_pieces.front();
        if (!piece.started) {
            const auto start = Earliest(piece);
            if (now < start)
                break;
            piece.started = true;
            piece.start = start;
        }
        const size_t due = Due(piece, now);
        if (due > piece.sent) {
            const ssize_t n = write(piece.bytes.data() + piece.sent, due - piece.sent);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                    // The host is not reading: once it does, the backlog goes at once, as
                    // a real line would have delivered it by then.
                    piece.stalled = true;
                    result.blocked = true;
                } else {
                    result.failed = true;
                }
                break;
            }
            piece.sent += static_cast<size_t>(n);
            result.bytes += static_cast<size_t>(n);
            if (piece.sent < due) {
                piece.stalled = true;
                result.blocked = true;
                break;
            }
        }
        if (piece.sent < piece.bytes.size())
            break;
        const auto scheduledEnd = piece.start + WireTime(piece.bytes.size());
        m_lineFree = piece.stalled ? std::max(scheduledEnd, now) : scheduledEnd;
        if (piece.last)
            ++result.repliesDone;
        m_pieces.pop_front();
    }
    return result;
}

std::optional<CPacedWriter::Clock::time_point> CPacedWriter::NextWake(Clock::time_point now) const
{
    if (m_pieces.empty())
        return std::nullopt;
    const CPiece& piece = m_pieces.front();
    if (!piece.started)
        return Earliest(piece);
    if (m_byteTime.count() == 0 || piece.stalled)
        return now;
    const auto nextByte = piece.start + WireTime(piece.sent + 1);
    const auto lastByte = piece.start + WireTime(piece.bytes.size());
    return std::min(std::max(nextByte, now + kChunkPeriod), lastByte);
}
