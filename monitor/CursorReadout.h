#pragma once
// The cursor readout of the live plot: the time and counts under the mouse
// and, once the operator has clicked a base point, the difference to it.
//
//   "t = 12.35 ms, counts = 1234"
//   "t = 12.35 ms, counts = 1234; Δt = +2.10 ms, Δcounts = -56"
//
// Times have two decimals (samples are 0.1 ms apart, so the second decimal is
// already finer than the data); counts are whole numbers like the samples.

#include <string>

class CCursorReadout {
public:
    void SetBasePoint(double dTime, double dCounts);
    void ClearBasePoint() { m_bHasBase = false; }
    bool HasBasePoint() const { return m_bHasBase; }
    double GetBaseTime() const { return m_dBaseTime; }
    double GetBaseCounts() const { return m_dBaseCounts; }

    // The readout for the mouse at (dTime, dCounts).
    std::string Text(double dTime, double dCounts) const;

private:
    bool m_bHasBase = false;
    double m_dBaseTime = 0.0;
    double m_dBaseCounts = 0.0;
};
