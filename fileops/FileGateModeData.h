#pragma once
// CFileGateModeData: a gate mode as the compact configuration record stores it.
//
// Record, 27 bytes, packed, little-endian:
//    0  2  type number, int16         14  4  alpha, f32
//    2  2  mode, int16                18  4  start B, f32
//    4  4  start A, f32               22  4  stop B, f32
//    8  4  stop A, f32                26  1  square root, uint8
//   12  2  operator, int16 (compact code)
// The zero level and the spare are not stored.

#include "BaseGateModeData.h"
#include "ByteOrder.h"
#include "FileIO.h"

#include <cstddef>

class CFileGateModeData : public CBaseGateModeData {
public:
    static constexpr size_t kRecordSize = 27;

    CFileGateModeData() = default;
    CFileGateModeData(const CBaseGateModeData& other) : CBaseGateModeData(other) {}
    CFileGateModeData(const CFileGateModeData& other) = default;
    CFileGateModeData& operator=(const CFileGateModeData& other) = default;
    CFileGateModeData& operator=(const CBaseGateModeData& other)
    {
        CopyFrom(other);
        return *this;
    }
    virtual ~CFileGateModeData() = default;

    void Append(le::Writer& w) const;
    // 1 when a whole record was there to read, else 0 with this untouched.
    int Parse(le::Reader& r);
    // Writes or reads one record by the direction of file.
    int Io(OFileIO& file);
};
