#include "FrameParser.h"

#include "BoardFrame.h"

#include <algorithm>

void CFrameParser::Feed(const uint8_t* data, size_t count, std::vector<CItem>& out)
{
    m_buffer.insert(m_buffer.end(), data, data + count);
    Scan(out);
}

void CFrameParser::Flush(std::vector<CItem>& out)
{
    if (m_buffer.empty())
        return;
    DiscardCandidate("packet incomplete when the line went quiet", out);
    Scan(out);
}

size_t CFrameParser::LengthAt(size_t at) const
{
    return static_cast<size_t>(m_buffer[at + 1]) << 8 | m_buffer[at + 2];
}

CFrameParser::Candidate CFrameParser::Check(size_t at, std::string& reason) const
{
    const size_t held = m_buffer.size() - at;
    if (held < 3)
        return Candidate::Incomplete;
    const size_t length = LengthAt(at);
    if (length < CBoardFrame::kOverhead || length > CBoardFrame::kMaxLength) {
        reason = "length field " + std::to_string(length) + " out of range";
        return Candidate::Bad;
    }
    if (held < length)
        return Candidate::Incomplete;
    const uint8_t* p = m_buffer.data() + at;
    if (p[length - 2] != CBoardFrame::kCR || p[length - 1] != CBoardFrame::kLF) {
        reason = "no CR LF where the length field says";
        return Candidate::Bad;
    }
    const uint16_t sent = static_cast<uint16_t>(p[length - 4] << 8 | p[length - 3]);
    if (sent != CBoardFrame::Crc16(p, length - 4)) {
        reason = "bad CRC";
        return Candidate::Bad;
    }
    return Candidate::Valid;
}

size_t CFrameParser::FindCompletePacket(size_t from) const
{
    std::string ignored;
    for (size_t at = from; at < m_buffer.size(); ++at) {
        if (m_buffer[at] == CBoardFrame::kStart && Check(at, ignored) == Candidate::Valid)
            return at;
    }
    return std::string::npos;
}

void CFrameParser::Discard(size_t count, const std::string& reason, std::vector<CItem>& out)
{
    CItem item;
    item.discarded.assign(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(count));
    item.reason = reason;
    out.push_back(std::move(item));
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(count));
}

void CFrameParser::DiscardCandidate(const std::string& reason, std::vector<CItem>& out)
{
    const auto next = std::find(m_buffer.begin() + 1, m_buffer.end(), CBoardFrame::kStart);
    Discard(static_cast<size_t>(next - m_buffer.begin()), reason, out);
}

void CFrameParser::Scan(std::vector<CItem>& out)
{
    while (!m_buffer.empty()) {
        if (m_buffer[0] != CBoardFrame::kStart) {
            const auto start = std::find(m_buffer.begin(), m_buffer.end(), CBoardFrame::kStart);
            Discard(static_cast<size_t>(start - m_buffer.begin()), "bytes before a start byte",
                    out);
            continue;
        }
        std::string reason;
        switch (Check(0, reason)) {
        case Candidate::Valid: {
            const size_t length = LengthAt(0);
            CItem item;
            item.valid = true;
            item.command = m_buffer[3];
            item.payload.assign(m_buffer.begin() + 4,
                                m_buffer.begin() + static_cast<std::ptrdiff_t>(length - 4));
            out.push_back(std::move(item));
            m_buffer.erase(m_buffer.begin(),
                           m_buffer.begin() + static_cast<std::ptrdiff_t>(length));
            break;
        }
        case Candidate::Bad:
            DiscardCandidate(reason, out);
            break;
        case Candidate::Incomplete: {
            const size_t behind = FindCompletePacket(1);
            if (behind == std::string::npos)
                return;
            Discard(behind, "incomplete packet overtaken by a complete one", out);
            break;
        }
        }
    }
}
