#pragma once
// The board holds real numbers as IEEE 754 single-precision words; on the
// wire the word travels big-endian like every other integer.

#include <cstdint>

class FloatConverter {
public:
    static double GetIEEEDouble(unsigned long word);
    static unsigned long GetIEEEHex(double value);
};
