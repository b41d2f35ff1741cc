#include "FloatConverter.h"

#include <bit>

double FloatConverter::GetIEEEDouble(unsigned long word)
{
    return static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(word)));
}

unsigned long FloatConverter::GetIEEEHex(double value)
{
    return std::bit_cast<uint32_t>(static_cast<float>(value));
}
