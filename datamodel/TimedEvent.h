#pragma once
// The run's event table, kept in non-decreasing order of event time. The
// table owns copies of the events it is given.

#include "TimedEventData.h"

#include <memory>
#include <vector>

class CTimedEvent {
public:
    CTimedEvent() = default;
    CTimedEvent(const CTimedEvent& other) { CopyFrom(other); }
    CTimedEvent& operator=(const CTimedEvent& other) { return CopyFrom(other); }
    virtual ~CTimedEvent() = default;

    // Deep copy; the other table's order is kept.
    CTimedEvent& CopyFrom(const CTimedEvent& other);
    void Initialize() { CleanUp(); }
    void CleanUp() { m_events.clear(); }

    int GetCount() const { return static_cast<int>(m_events.size()); }

    // nullptr when the position does not exist.
    CTimedEventData* GetTimedEventDataAt(int index);
    const CTimedEventData* GetTimedEventDataAt(int index) const;
    // Callers pass existing positions; a missing one yields a blank event
    // instead of a null reference.
    CTimedEventData& operator[](int index);
    const CTimedEventData& operator[](int index) const;

    // Copies the event at index into out: 1, or 0 with out untouched.
    int GetTimedEvent(int index, CTimedEventData& out) const;
    // Inserts a copy before the first event at the same time or later (so
    // equal times end up newest first) and returns its position.
    int AddTimedEvent(const CTimedEventData& event);
    // 1 when an event was removed, 0 when index names none.
    int RemoveTimedEvent(int index);
    // Replaces the event at index (count: a plain add); the new event goes
    // to its place by time. -1 for index < 0 or > count.
    int SetTimedEvent(int index, const CTimedEventData& event);

    bool operator==(const CTimedEvent& other) const;

private:
    bool Exists(int index) const { return index >= 0 && index < GetCount(); }

    std::vector<std::unique_ptr<CTimedEventData>> m_events;
    CTimedEventData m_blank;
};
