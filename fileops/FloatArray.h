#pragma once
// OFloatArray: a growable block of floats with a separate count of used
// points, as the Analyzer's traces and pulse shapes need it.
//
// Stored image (little-endian): allocated int32, count int32, count f32.
//
// Unlike a plain vector, the count may lag the allocation and SetAt may move
// it: SetAt(i) past the count makes the count i, not i + 1. Every index is
// checked: reads outside the block give 0, writes past it grow the block.

#include "ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class OFloatArray {
public:
    static constexpr int kGrowBy = 100;
    // A stored allocation is only a capacity hint; beyond this many floats
    // (or the stored count, when larger) it is not honoured on loading.
    static constexpr int kMaxLoadedReserve = 1 << 20;

    OFloatArray() = default;
    explicit OFloatArray(int size) { SetSize(size, kGrowBy); }
    OFloatArray(const OFloatArray& other) { *this = other; }
    OFloatArray& operator=(const OFloatArray& other);
    virtual ~OFloatArray() = default;

    // Forgets the block, the count and the grow-by value.
    void InitVars();

    // n > 0: the block becomes n floats keeping the first min(allocated, n)
    // values (new ones 0); a count above n drops to n. n <= 0 changes only
    // the grow-by value.
    void SetSize(int n, int grow_by = kGrowBy);
    // Appends after the last used point, growing the block by 100 when full.
    void Add(float value);
    // 0 outside the block.
    float GetAt(int i) const;
    // Ignored for i < 0; grows the block for i past it.
    void SetAt(int i, float value);
    // Lowers the count to p (never raises it; p < 0 counts as 0).
    void SetLastUsedPoint(int p);
    void Reset() { m_nCount = 0; }

    int GetSize() const { return m_nCount; }
    int GetAllocated() const { return m_nAllocated; }
    int GetGrowBy() const { return m_nGrowBy; }
    // Bytes of the block plus its two counters.
    int SizeOf() const { return 4 * m_nAllocated + 8; }
    const float* GetData() const { return m_pData.get(); }

    void Serialize(le::Writer& w) const;
    // Loads a stored image: 1, or 0 with the array untouched when the count
    // or allocation is negative or the count needs more bytes than are left.
    int Serialize(le::Reader& r);

private:
    std::unique_ptr<float[]> m_pData;
    int32_t m_nAllocated = 0;
    int32_t m_nCount = 0;
    int32_t m_nGrowBy = 0;
};
