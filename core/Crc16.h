#pragma once
// CRC-16/XMODEM of the board's packets: polynomial 0x1021, initial value 0,
// most significant bit first, no final XOR. Check value ("123456789"): 0x31C3.

#include <cstddef>
#include <cstdint>

uint16_t Crc16Xmodem(const uint8_t* data, size_t size, uint16_t crc = 0);
