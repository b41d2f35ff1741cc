#include "ReplyAssembler.h"

#include "Crc16.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value & 0xFFu);
    return text;
}

} // namespace

void CReplyAssembler::Reset()
{
    m_packet.clear();
    m_nExpected = 0;
    m_eProgress = kNeedMore;
    m_strDamage.clear();
}

int CReplyAssembler::BytesWanted() const
{
    const int held = static_cast<int>(m_packet.size());
    const int room = kMaxPacket - held;
    int wanted = m_nExpected > held ? m_nExpected - held : kMinPacket;
    return std::clamp(wanted, 1, std::max(1, room));
}

bool CReplyAssembler::EndsInCrLf() const
{
    const size_t n = m_packet.size();
    return n >= 2 && m_packet[n - 2] == 0x0D && m_packet[n - 1] == 0x0A;
}

CReplyAssembler::Progress CReplyAssembler::Add(const uint8_t* data, size_t count)
{
    if (m_eProgress != kNeedMore || !data || count == 0)
        return m_eProgress;
    count = std::min(count, static_cast<size_t>(BytesWanted()));
    m_packet.insert(m_packet.end(), data, data + count);
    const int held = static_cast<int>(m_packet.size());
    if (m_nExpected == 0 && held > 3)
        m_nExpected = m_packet[1] * 256 + m_packet[2];
    if (held >= kMinPacket && EndsInCrLf())
        return m_eProgress = kComplete;
    // Waiting out the receive window would bring nothing better. A wrong
    // first byte is the likelier cause of a wild length: name that.
    const bool tooLong = m_nExpected > kMaxPacket || held >= kMaxPacket;
    const bool endMissing = m_nExpected > 0 && held >= m_nExpected;
    if (!tooLong && !endMissing)
        return kNeedMore;
    if (m_packet[0] != 0x02)
        m_strDamage = "ERROR: Bad start byte " + Hex2(m_packet[0]);
    else if (tooLong)
        m_strDamage = "ERROR: Packet length " + std::to_string(m_nExpected) + " exceeds " +
                      std::to_string(kMaxPacket);
    else
        m_strDamage = "ERROR: Packet end not found after " + std::to_string(held) + " bytes";
    return m_eProgress = kDamaged;
}

CReplyAssembler::Verdict CReplyAssembler::Check(uint8_t command, std::string& message) const
{
    const int size = static_cast<int>(m_packet.size());
    if (size != m_nExpected) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "ERROR: Packet size mismatch. Size should be %d, but actual size = %d",
                      m_nExpected, size);
        message = text;
        return kSizeMismatch;
    }
    if (size < kMinPacket) {
        message = "ERROR: CRC not found";
        return kCrcNotFound;
    }
    const auto received = static_cast<uint16_t>(m_packet[size - 4] << 8 | m_packet[size - 3]);
    const uint16_t computed = Crc16Xmodem(m_packet.data(), static_cast<size_t>(size - 4));
    if (received != computed) {
        char text[80];
        std::snprintf(text, sizeof text, "ERROR: Bad CRC => Read = %04x, Calc = %04x", received,
                      computed);
        message = text;
        return kBadCrc;
    }
    if (m_packet[0] != 0x02) {
        message = "ERROR: Bad start byte " + Hex2(m_packet[0]);
        return kBadStartByte;
    }
    if (command != 0 && m_packet[3] != command) {
        message = "ERROR: Reply to command " + Hex2(m_packet[3]) + " while waiting for " +
                  Hex2(command) + "; discarded";
        return kOtherCommand;
    }
    message.clear();
    return kValid;
}

int CReplyAssembler::Outstanding() const
{
    const int held = static_cast<int>(m_packet.size());
    // Behind a wrong first byte the length field is junk too.
    if (held == 0 || m_packet[0] != 0x02 || m_nExpected < kMinPacket || m_nExpected > kMaxPacket ||
        m_nExpected <= held)
        return 0;
    return m_nExpected - held;
}
