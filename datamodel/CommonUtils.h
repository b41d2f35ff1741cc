#pragma once
// Big-endian integers in a board payload: the most significant byte first,
// an n-byte field holding the low n bytes of the value.

#include <cstdint>
#include <vector>

using CByteArray = std::vector<uint8_t>;

class CCommonUtils {
public:
    CCommonUtils() = delete;

    // The big-endian value of count bytes from start; 0 when the field does
    // not lie inside the array or count < 1. A count of 4 gives the 32-bit
    // pattern as a signed int; beyond 4 only the last four bytes remain.
    static int GetInt(const CByteArray& bytes, int start, int count);
    // Byte index (0 = least significant, 3 = most) of value.
    static unsigned char GetBYTE(unsigned long value, int index);
    // Appends the low count bytes of value, most significant first.
    static void AddBytesToStream(CByteArray& bytes, unsigned long value, int count);
};
