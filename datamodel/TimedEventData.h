#pragma once
// One timed event: an action the board performs at a set time into a run.

#include "Options.h"

#include <array>
#include <cstdint>
#include <string>

// Fixed underlying type: a code stored by a newer board or program survives a
// read and write unchanged even when this table has no text for it.
enum EventCode : int32_t {
    EC_INVALID,
    EC_GATE_SELECTION,
    EC_RECORD,
    EC_IGNITOR_CURRENT,
    EC_NA,
    EC_AUTOZERO,
    EC_RESET_TO_READY,
    EC_SCALAR
};

class CTimedEventData {
public:
    CTimedEventData() = default;
    CTimedEventData(const CTimedEventData& other) = default;
    CTimedEventData& operator=(const CTimedEventData& other) = default;
    virtual ~CTimedEventData() = default;

    void Initialize() { *this = CTimedEventData(); }
    CTimedEventData& CopyFrom(const CTimedEventData& other) { return *this = other; }

    double GetEventTime() const { return m_dEventTime; }
    void SetEventTime(double value) { m_dEventTime = value; }
    EventCode GetEventCode() const { return m_eEventCode; }
    void SetEventCode(EventCode value) { m_eEventCode = value; }
    void SetEventCode(const std::string& text) { m_eEventCode = ToEventCode(text); }
    unsigned char GetEventChannel() const { return m_nEventChannel; }
    void SetEventChannel(unsigned char value) { m_nEventChannel = value; }
    double GetEventValue() const { return m_dEventValue; }
    void SetEventValue(double value) { m_dEventValue = value; }

    std::string GetEventCodeString() const { return ToString(m_eEventCode); }

    // Text of the code, "" for a value outside the table.
    static std::string ToString(EventCode code);
    // Exact, case-sensitive match; "Invalid" (0) when nothing matches.
    static EventCode ToEventCode(const std::string& text);
    static const std::array<COptions<EventCode>, 8>& Options() { return m_lstEventCodeOptions; }

    bool operator==(const CTimedEventData& other) const = default;

private:
    static const std::array<COptions<EventCode>, 8> m_lstEventCodeOptions;

    double m_dEventTime = 0.0;
    EventCode m_eEventCode = EC_INVALID;
    uint8_t m_nEventChannel = 0;
    double m_dEventValue = 0.0;
};
