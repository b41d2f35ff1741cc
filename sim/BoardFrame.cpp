#include "BoardFrame.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<uint16_t, 256> MakeCrcTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x1021 && kCrcTable[2] == 0x2042 && kCrcTable[128] == 0x9188);

} // namespace

uint16_t CBoardFrame::Crc16(const uint8_t* data, size_t count)
{
    uint16_t crc = 0;
    for (size_t i = 0; i < count; ++i)
        crc = static_cast<uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

CByteArray CBoardFrame::Build(uint8_t command, const CByteArray& payload)
{
    const size_t size = std::min(payload.size(), kMaxPayload);
    const size_t length = size + kOverhead;
    CByteArray packet;
    packet.reserve(length);
    packet.push_back(kStart);
    CCommonUtils::AddBytesToStream(packet, length, 2);
    packet.push_back(command);
    packet.insert(packet.end(), payload.begin(),
                  payload.begin() + static_cast<std::ptrdiff_t>(size));
    CCommonUtils::AddBytesToStream(packet, Crc16(packet), 2);
    packet.push_back(kCR);
    packet.push_back(kLF);
    return packet;
}

int CBoardFrame::Parse(const CByteArray& packet, uint8_t& command, CByteArray& payload)
{
    const size_t n = packet.size();
    if (n < kOverhead || n > kMaxLength || packet[0] != kStart)
        return 0;
    if (static_cast<size_t>(CCommonUtils::GetInt(packet, 1, 2)) != n)
        return 0;
    if (packet[n - 2] != kCR || packet[n - 1] != kLF)
        return 0;
    if (static_cast<uint16_t>(CCommonUtils::GetInt(packet, static_cast<int>(n) - 4, 2)) !=
        Crc16(packet.data(), n - 4))
        return 0;
    command = packet[3];
    payload.assign(packet.begin() + 4, packet.end() - 4);
    return 1;
}
