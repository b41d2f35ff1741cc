#pragma once
// The most recent live pulses, so that the operator can pause the live plot
// and step back through them while acquisition goes on.
//
// Pulses are numbered by arrival (a serial that only grows); the ring keeps
// the newest `capacity` of them. While the view is frozen it stays on one
// serial, so new pulses do not move what the operator is looking at; only when
// that pulse drops out of the ring does the view move to the oldest one kept.
// The frozen view spans the pulses kept when it froze: stepping forward ends
// at the newest of them, and "k back" counts from it, so neither moves while
// pulses keep arriving.

#include "PulseData.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CPulseHistory {
public:
    static constexpr size_t kDefaultCapacity = 500;

    explicit CPulseHistory(size_t capacity = kDefaultCapacity);

    // Keeps a copy. Returns 1 when a frozen view changed: its pulse was
    // dropped, or it had nothing to show until now; else 0. A pulse with the
    // newest one's index is the same pulse fetched again: it is not kept.
    int Add(const CPulseData& pulse);
    // True when pulse has the index of the newest pulse kept.
    bool IsRepeat(const CPulseData& pulse) const;
    void Clear();

    size_t GetCount() const { return m_nCount; }
    size_t GetCapacity() const { return m_nCapacity; }
    // n = 0 is the newest pulse; nullptr when fewer than n + 1 are kept.
    const CPulseData* GetBack(size_t n) const;

    // Frozen view. Freeze starts on the newest pulse; Thaw ends the view.
    void Freeze();
    void Thaw() { m_bFrozen = false; }
    bool IsFrozen() const { return m_bFrozen; }
    // 1 when the view moved, 0 at the oldest (newest) pulse kept or when not frozen.
    int StepBack();
    int StepForward();
    // How many steps the viewed pulse lies behind the newest one of the frozen view.
    size_t GetStepsBack() const;
    // How many pulses were kept when the view froze.
    size_t GetFrozenCount() const { return m_nFrozenCount; }
    // The viewed pulse; nullptr when not frozen or when nothing is kept.
    const CPulseData* GetViewed() const;

private:
    const CPulseData& BySerial(uint64_t serial) const;
    uint64_t OldestSerial() const { return m_nAdded - m_nCount; }

    size_t m_nCapacity;
    std::vector<CPulseData> m_ring;
    size_t m_nCount = 0;
    uint64_t m_nAdded = 0;
    uint64_t m_nViewed = 0;
    uint64_t m_nFrozenNewest = 0;
    size_t m_nFrozenCount = 0;
    bool m_bFrozen = false;
};

// The status line of the plot: empty when live, else which pulse is shown,
// e.g. "Paused: pulse 1234 (12 of 500 back)".
std::string PausedStatusText(const CPulseHistory& history);
