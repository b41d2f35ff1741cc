#include "FloatArray.h"

#include <algorithm>
#include <climits>

OFloatArray& OFloatArray::operator=(const OFloatArray& other)
{
    if (this == &other)
        return *this;
    std::unique_ptr<float[]> data;
    if (other.m_nAllocated > 0) {
        data = std::make_unique<float[]>(static_cast<size_t>(other.m_nAllocated));
        std::copy_n(other.m_pData.get(), other.m_nAllocated, data.get());
    }
    m_pData = std::move(data);
    m_nAllocated = other.m_nAllocated;
    m_nCount = other.m_nCount;
    m_nGrowBy = other.m_nGrowBy;
    return *this;
}

void OFloatArray::InitVars()
{
    m_pData.reset();
    m_nAllocated = 0;
    m_nCount = 0;
    m_nGrowBy = 0;
}

void OFloatArray::SetSize(int n, int grow_by)
{
    m_nGrowBy = grow_by;
    if (n <= 0)
        return;
    auto data = std::make_unique<float[]>(static_cast<size_t>(n));
    std::copy_n(m_pData.get(), std::min(m_nAllocated, n), data.get());
    m_pData = std::move(data);
    m_nAllocated = n;
    m_nCount = std::min(m_nCount, n);
}

void OFloatArray::Add(float value)
{
    if (m_nCount >= m_nAllocated) {
        if (m_nAllocated > INT_MAX - kGrowBy)
            return;
        SetSize(m_nAllocated + kGrowBy, m_nGrowBy);
    }
    m_pData[static_cast<size_t>(m_nCount++)] = value;
}

float OFloatArray::GetAt(int i) const
{
    return i >= 0 && i < m_nAllocated ? m_pData[static_cast<size_t>(i)] : 0.0f;
}

void OFloatArray::SetAt(int i, float value)
{
    if (i < 0 || i == INT_MAX)
        return;
    if (i >= m_nAllocated) {
        const int grown = m_nAllocated <= INT_MAX - kGrowBy ? m_nAllocated + kGrowBy : INT_MAX;
        SetSize(std::max(i + 1, grown), m_nGrowBy);
    }
    m_pData[static_cast<size_t>(i)] = value;
    if (i > m_nCount)
        m_nCount = i;
}

void OFloatArray::SetLastUsedPoint(int p)
{
    if (p < m_nCount)
        m_nCount = std::max(p, 0);
}

void OFloatArray::Serialize(le::Writer& w) const
{
    w.I32(m_nAllocated);
    w.I32(m_nCount);
    for (int i = 0; i < m_nCount; ++i)
        w.F32(m_pData[static_cast<size_t>(i)]);
}

int OFloatArray::Serialize(le::Reader& r)
{
    const int32_t allocated = r.I32();
    const int32_t count = r.I32();
    if (!r.Ok() || allocated < 0 || count < 0 || static_cast<uint64_t>(count) > r.Remaining() / 4)
        return 0;

    // The count is backed by bytes in the input; the allocation is not, so it
    // is held to a bound before it sizes anything.
    const int32_t size = std::max(count, std::min(allocated, kMaxLoadedReserve));
    std::unique_ptr<float[]> data;
    if (size > 0)
        data = std::make_unique<float[]>(static_cast<size_t>(size));
    for (int32_t i = 0; i < count; ++i)
        data[static_cast<size_t>(i)] = r.F32();
    if (!r.Ok())
        return 0;
    m_pData = std::move(data);
    m_nAllocated = size;
    m_nCount = count;
    return 1;
}
