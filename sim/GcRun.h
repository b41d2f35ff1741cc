#pragma once
// The clockwork of one GC run in run-clock seconds: when pulses fire, when timed events are
// due and when the run ends. Pulse k of the run (k = 1, 2, ...) fires at k / rate and is
// stamped with that time in hundredths of a second.

#include "TimedEvent.h"

#include <cstdint>
#include <limits>
#include <vector>

class CGcRun {
public:
    struct CStep {
        uint64_t newPulses = 0; // fired since the last step
        uint64_t lastPulse = 0; // k of the newest of them
        double lastPulseSeconds = 0.0;
        std::vector<CTimedEventData> events; // due since the last step, in time order
        bool ended = false;                  // by its length or a "reset to ready" event
    };

    CGcRun(double pulseRate, double lengthSeconds);

    // A fresh run at run time 0 that will execute these timed events.
    void Begin(const CTimedEvent& events);
    void End() { m_active = false; }
    bool IsActive() const { return m_active; }

    CStep Advance(double runSeconds);
    // Run time of the next pulse, event or end; infinity when nothing is due.
    double NextDue() const;

    static int32_t Hundredths(double seconds);

private:
    double PulseTime(uint64_t k) const { return static_cast<double>(k) / m_rate; }
    double EndTime() const;

    double m_rate;
    double m_length;
    bool m_active = false;
    uint64_t m_pulses = 0;
    std::vector<CTimedEventData> m_events;
    size_t m_nextEvent = 0;
};
