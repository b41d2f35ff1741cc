#pragma once
// CBaseChannelData: one channel of the compact configuration record.
//
// Record, 12 bytes, six int16 little-endian:
//    0 zero value    2 interpolation (0 linear, 1 spline)    4 scalar channel
//    6 gate index    8 reserved 1                           10 reserved 2

#include "ByteOrder.h"
#include "FileIO.h"

#include <cstddef>
#include <cstdint>

class CBaseChannelData {
public:
    static constexpr size_t kRecordSize = 12;

    CBaseChannelData() = default;
    CBaseChannelData(const CBaseChannelData& other) = default;
    CBaseChannelData& operator=(const CBaseChannelData& other) = default;
    virtual ~CBaseChannelData() = default;

    CBaseChannelData& CopyFrom(const CBaseChannelData& other) { return *this = other; }

    short GetZeroValue() const { return m_nZeroValue; }
    void SetZeroValue(short value) { m_nZeroValue = value; }
    short GetInterpolation() const { return m_nInterpolation; }
    void SetInterpolation(short value) { m_nInterpolation = value; }
    short GetScalarChannel() const { return m_nScalarChannel; }
    void SetScalarChannel(short value) { m_nScalarChannel = value; }
    short GetGateIndex() const { return m_nGateIndex; }
    void SetGateIndex(short value) { m_nGateIndex = value; }
    short GetReserved1() const { return m_nReserved1; }
    void SetReserved1(short value) { m_nReserved1 = value; }
    short GetReserved2() const { return m_nReserved2; }
    void SetReserved2(short value) { m_nReserved2 = value; }

    void Append(le::Writer& w) const;
    // 1 when a whole record was there to read, else 0 with this untouched.
    int Parse(le::Reader& r);
    // Writes or reads one record by the direction of file.
    int Io(OFileIO& file);

    bool operator==(const CBaseChannelData& other) const = default;

private:
    int16_t m_nZeroValue = 0;
    int16_t m_nInterpolation = 0;
    int16_t m_nScalarChannel = 0;
    int16_t m_nGateIndex = 0;
    int16_t m_nReserved1 = 0;
    int16_t m_nReserved2 = 0;
};
