#include "PulseHistory.h"

#include <algorithm>
#include <cstdio>

CPulseHistory::CPulseHistory(size_t capacity) : m_nCapacity(std::max<size_t>(capacity, 1))
{
    // Slots are filled on demand; at 250 samples a full ring is about half a megabyte.
    m_ring.reserve(m_nCapacity);
}

bool CPulseHistory::IsRepeat(const CPulseData& pulse) const
{
    return m_nCount > 0 && GetBack(0)->GetPulseIndex() == pulse.GetPulseIndex();
}

int CPulseHistory::Add(const CPulseData& pulse)
{
    if (IsRepeat(pulse))
        return 0;
    const bool hadNone = m_nCount == 0;
    const size_t slot = static_cast<size_t>(m_nAdded % m_nCapacity);
    if (slot < m_ring.size())
        m_ring[slot].CopyFrom(pulse); // reuses the slot's sample buffer
    else
        m_ring.push_back(pulse);
    ++m_nAdded;
    m_nCount = std::min(m_nCount + 1, m_nCapacity);

    if (m_bFrozen && (hadNone || m_nViewed < OldestSerial())) {
        m_nViewed = OldestSerial();
        m_nFrozenNewest = std::max(m_nFrozenNewest, m_nViewed);
        if (hadNone)
            m_nFrozenCount = 1;
        return 1;
    }
    return 0;
}

void CPulseHistory::Clear()
{
    m_ring.clear();
    m_nCount = 0;
    m_nAdded = 0;
    m_nViewed = 0;
    m_nFrozenNewest = 0;
    m_nFrozenCount = 0;
}

const CPulseData& CPulseHistory::BySerial(uint64_t serial) const
{
    return m_ring[static_cast<size_t>(serial % m_nCapacity)];
}

const CPulseData* CPulseHistory::GetBack(size_t n) const
{
    return n < m_nCount ? &BySerial(m_nAdded - 1 - n) : nullptr;
}

void CPulseHistory::Freeze()
{
    m_bFrozen = true;
    m_nViewed = m_nAdded > 0 ? m_nAdded - 1 : 0;
    m_nFrozenNewest = m_nViewed;
    m_nFrozenCount = m_nCount;
}

int CPulseHistory::StepBack()
{
    if (!m_bFrozen || m_nCount == 0 || m_nViewed <= OldestSerial())
        return 0;
    --m_nViewed;
    return 1;
}

int CPulseHistory::StepForward()
{
    if (!m_bFrozen || m_nCount == 0 || m_nViewed >= m_nFrozenNewest)
        return 0;
    ++m_nViewed;
    return 1;
}

size_t CPulseHistory::GetStepsBack() const
{
    return m_bFrozen && m_nCount > 0 ? static_cast<size_t>(m_nFrozenNewest - m_nViewed) : 0;
}

const CPulseData* CPulseHistory::GetViewed() const
{
    return m_bFrozen && m_nCount > 0 ? &BySerial(m_nViewed) : nullptr;
}

std::string PausedStatusText(const CPulseHistory& history)
{
    if (!history.IsFrozen())
        return {};
    const CPulseData* viewed = history.GetViewed();
    if (!viewed)
        return "Paused";
    char text[96];
    std::snprintf(text, sizeof text, "Paused: pulse %ld (%zu of %zu back)", viewed->GetPulseIndex(),
                  history.GetStepsBack(), history.GetFrozenCount());
    return text;
}
