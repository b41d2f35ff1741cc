#pragma once
// CBaseEventData: one timed event of the compact configuration record.
//
// Record, 14 bytes, packed, little-endian:
//    0  4  event time, f32
//    4  2  event code, int16 (EventCode)
//    6  2  event channel, int16
//    8  4  event value, f32
//   12  2  reserved, int16

#include "ByteOrder.h"
#include "FileIO.h"

#include <cstddef>
#include <cstdint>

class CBaseEventData {
public:
    static constexpr size_t kRecordSize = 14;

    CBaseEventData() = default;
    CBaseEventData(float time, short code, short channel, float value)
        : m_fEventTime(time), m_nEventCode(code), m_nEventChannel(channel), m_fEventValue(value)
    {
    }
    CBaseEventData(const CBaseEventData& other) = default;
    CBaseEventData& operator=(const CBaseEventData& other) = default;
    virtual ~CBaseEventData() = default;

    CBaseEventData& CopyFrom(const CBaseEventData& other) { return *this = other; }

    float GetEventTime() const { return m_fEventTime; }
    void SetEventTime(float value) { m_fEventTime = value; }
    // An EventCode value, kept as stored so any number survives a round trip.
    short GetEventCode() const { return m_nEventCode; }
    void SetEventCode(short value) { m_nEventCode = value; }
    short GetEventChannel() const { return m_nEventChannel; }
    void SetEventChannel(short value) { m_nEventChannel = value; }
    float GetEventValue() const { return m_fEventValue; }
    void SetEventValue(float value) { m_fEventValue = value; }
    short GetReserved() const { return m_nReserved; }
    void SetReserved(short value) { m_nReserved = value; }

    void Append(le::Writer& w) const;
    // 1 when a whole record was there to read, else 0 with this untouched.
    int Parse(le::Reader& r);
    // Writes or reads one record by the direction of file.
    int Io(OFileIO& file);

    bool operator==(const CBaseEventData& other) const = default;

private:
    float m_fEventTime = 0.0f;
    int16_t m_nEventCode = 0;
    int16_t m_nEventChannel = 0;
    float m_fEventValue = 0.0f;
    int16_t m_nReserved = 0;
};
