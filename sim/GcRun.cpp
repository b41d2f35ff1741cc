#include "GcRun.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kNever = std::numeric_limits<double>::infinity();
}

CGcRun::CGcRun(double pulseRate, double lengthSeconds)
    : m_rate(pulseRate > 0.0 && std::isfinite(pulseRate) ? pulseRate : 0.0),
      m_length(lengthSeconds > 0.0 ? lengthSeconds : 0.0)
{
}

void CGcRun::Begin(const CTimedEvent& events)
{
    m_active = true;
    m_pulses = 0;
    m_events.clear();
    for (int i = 0; i < events.GetCount(); ++i)
        m_events.push_back(events[i]);
    // The table travels sorted, but the board must not rely on the host for that.
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const CTimedEventData& a, const CTimedEventData& b) {
                         return a.GetEventTime() < b.GetEventTime();
                     });
    m_nextEvent = 0;
}

int32_t CGcRun::Hundredths(double seconds)
{
    // The small margin keeps k / rate that lands on a whole hundredth from rounding below it.
    return static_cast<int32_t>(std::floor(seconds * 100.0 + 1e-6));
}

double CGcRun::EndTime() const
{
    double end = m_length > 0.0 ? m_length : kNever;
    for (size_t i = m_nextEvent; i < m_events.size(); ++i) {
        if (m_events[i].GetEventCode() == EC_RESET_TO_READY) {
            end = std::min(end, m_events[i].GetEventTime());
            break;
        }
    }
    return end;
}

CGcRun::CStep CGcRun::Advance(double runSeconds)
{
    CStep step;
    if (!m_active)
        return step;
    const double end = EndTime();
    const double until = std::min(runSeconds, end);
    if (m_rate > 0.0 && until >= 0.0) {
        const auto due = static_cast<uint64_t>(std::floor(until * m_rate + 1e-9));
        if (due > m_pulses) {
            step.newPulses = due - m_pulses;
            m_pulses = due;
            step.lastPulse = due;
            step.lastPulseSeconds = PulseTime(due);
        }
    }
    while (m_nextEvent < m_events.size() && m_events[m_nextEvent].GetEventTime() <= until)
        step.events.push_back(m_events[m_nextEvent++]);
    if (runSeconds >= end) {
        step.ended = true;
        m_active = false;
    }
    return step;
}

double CGcRun::NextDue() const
{
    if (!m_active)
        return kNever;
    double next = EndTime();
    if (m_rate > 0.0)
        next = std::min(next, PulseTime(m_pulses + 1));
    if (m_nextEvent < m_events.size())
        next = std::min(next, m_events[m_nextEvent].GetEventTime());
    return next;
}
