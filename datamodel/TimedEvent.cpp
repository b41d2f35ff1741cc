#include "TimedEvent.h"

#include <cmath>

CTimedEvent& CTimedEvent::CopyFrom(const CTimedEvent& other)
{
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<CTimedEventData>> copy;
    copy.reserve(other.m_events.size());
    for (const auto& event : other.m_events)
        copy.push_back(std::make_unique<CTimedEventData>(*event));
    m_events = std::move(copy);
    return *this;
}

CTimedEventData* CTimedEvent::GetTimedEventDataAt(int index)
{
    return Exists(index) ? m_events[static_cast<size_t>(index)].get() : nullptr;
}

const CTimedEventData* CTimedEvent::GetTimedEventDataAt(int index) const
{
    return Exists(index) ? m_events[static_cast<size_t>(index)].get() : nullptr;
}

CTimedEventData& CTimedEvent::operator[](int index)
{
    if (auto* event = GetTimedEventDataAt(index))
        return *event;
    m_blank.Initialize();
    return m_blank;
}

const CTimedEventData& CTimedEvent::operator[](int index) const
{
    static const CTimedEventData blank;
    const auto* event = GetTimedEventDataAt(index);
    return event ? *event : blank;
}

int CTimedEvent::GetTimedEvent(int index, CTimedEventData& out) const
{
    const auto* event = GetTimedEventDataAt(index);
    if (!event)
        return 0;
    out.CopyFrom(*event);
    return 1;
}

int CTimedEvent::AddTimedEvent(const CTimedEventData& event)
{
    const double time = event.GetEventTime();
    // Events that are not a number stay wherever they went, but the others
    // are always in order among themselves: a new last event (the usual case
    // when a stored table is read back) needs no walk.
    if (m_events.empty() || std::isnan(time) ||
        (!std::isnan(m_events.back()->GetEventTime()) && m_events.back()->GetEventTime() < time)) {
        m_events.push_back(std::make_unique<CTimedEventData>(event));
        return static_cast<int>(m_events.size() - 1);
    }
    size_t position = 0;
    // A time that is not a number compares false everywhere and so goes last.
    while (position < m_events.size() && !(m_events[position]->GetEventTime() >= time))
        ++position;
    m_events.insert(m_events.begin() + static_cast<std::ptrdiff_t>(position),
                    std::make_unique<CTimedEventData>(event));
    return static_cast<int>(position);
}

int CTimedEvent::RemoveTimedEvent(int index)
{
    if (!Exists(index))
        return 0;
    m_events.erase(m_events.begin() + index);
    return 1;
}

int CTimedEvent::SetTimedEvent(int index, const CTimedEventData& event)
{
    if (index < 0 || index > GetCount())
        return -1;
    if (index < GetCount())
        RemoveTimedEvent(index);
    return AddTimedEvent(event);
}

bool CTimedEvent::operator==(const CTimedEvent& other) const
{
    if (m_events.size() != other.m_events.size())
        return false;
    for (size_t i = 0; i < m_events.size(); ++i)
        if (!(*m_events[i] == *other.m_events[i]))
            return false;
    return true;
}
