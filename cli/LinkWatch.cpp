#include "LinkWatch.h"

CLinkWatch::Change CLinkWatch::Cycle(bool portOpen, bool announced, bool fetched,
                                     Clock::time_point now)
{
    const bool refused = announced && !fetched;
    if (announced)
        ++m_nAnnounced;
    if (refused)
        ++m_nRefused;
    m_nInARow = refused ? m_nInARow + 1 : 0;

    if (!m_bLost) {
        if (!portOpen)
            m_strReason = "the port has closed";
        else if (m_nInARow >= kRefusalsInARow)
            m_strReason =
                std::to_string(m_nInARow) + " pulse requests in a row brought no valid reply";
        else
            return kNoChange;
        m_bLost = true;
        ++m_nLosses;
        m_lostAt = now;
        return kLost;
    }
    if (portOpen && !refused) {
        m_bLost = false;
        m_backAt = now;
        return kBack;
    }
    return kNoChange;
}

double CLinkWatch::GetOutageSeconds(Clock::time_point now) const
{
    const Clock::time_point end = m_bLost ? now : m_backAt;
    return std::chrono::duration<double>(end - m_lostAt).count();
}
