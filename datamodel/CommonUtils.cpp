#include "CommonUtils.h"

#include <cstddef>

int CCommonUtils::GetInt(const CByteArray& bytes, int start, int count)
{
    if (start < 0 || count <= 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(count) > bytes.size())
        return 0;
    uint32_t result = 0;
    for (int i = 0; i < count; ++i)
        result = (result << 8) | bytes[static_cast<std::size_t>(start + i)];
    return static_cast<int>(result);
}

unsigned char CCommonUtils::GetBYTE(unsigned long value, int index)
{
    if (index < 0 || index > 3)
        return 0;
    return static_cast<unsigned char>((value >> (8 * index)) & 0xFF);
}

void CCommonUtils::AddBytesToStream(CByteArray& bytes, unsigned long value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        bytes.push_back(i < static_cast<int>(sizeof(value)) ? static_cast<uint8_t>(value >> (8 * i)) : 0);
}
