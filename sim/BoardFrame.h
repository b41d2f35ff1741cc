#pragma once
// The board's packet, the same in both directions (multi-byte fields big-endian):
//
//   offset  size   content
//   0       1      0x02, the start byte
//   1       2      L, the total length from the start byte to the LF; L = payload + 8
//   3       1      command code; a reply carries the code of its request
//   4       L - 8  payload, possibly empty
//   L - 4   2      CRC-16/XMODEM of bytes 0 .. L - 5, high byte first
//   L - 2   2      0x0D 0x0A
//
// The simulator frames and checks packets with this code of its own and never with the
// link's, so that a mistake on either side shows up as a failure instead of cancelling out.

#include "CommonUtils.h"

#include <cstddef>
#include <cstdint>

class CBoardFrame {
public:
    static constexpr uint8_t kStart = 0x02;
    static constexpr uint8_t kCR = 0x0D;
    static constexpr uint8_t kLF = 0x0A;
    static constexpr size_t kOverhead = 8;
    // The host's send buffer holds 1024 bytes; the board refuses anything longer.
    static constexpr size_t kMaxLength = 1024;
    static constexpr size_t kMaxPayload = kMaxLength - kOverhead;

    CBoardFrame() = delete;

    // CRC-16/XMODEM: polynomial 0x1021, initial 0, no reflection, no final XOR.
    static uint16_t Crc16(const uint8_t* data, size_t count);
    static uint16_t Crc16(const CByteArray& bytes) { return Crc16(bytes.data(), bytes.size()); }

    // The whole packet for a command and its payload. A payload beyond kMaxPayload is cut
    // there: the length field must stay truthful.
    static CByteArray Build(uint8_t command, const CByteArray& payload);

    // 1 when packet is exactly one well-formed packet (length field, trailer and CRC agree),
    // with command and payload filled; 0 otherwise, outputs untouched.
    static int Parse(const CByteArray& packet, uint8_t& command, CByteArray& payload);
};
