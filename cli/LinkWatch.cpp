#include "LinkWatch.h"

#include <ctime>

std::string CLinkWatch::SilenceText(const CLinkStatus& link)
{
    const std::time_t since = CLinkStatus::WallClock::to_time_t(link.GetNoResponseSince());
    std::tm local{};
    localtime_r(&since, &local);
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    return std::string("the board has not answered since ") + clock;
}

std::string CLinkWatch::LostReason(const CLinkStatus& link, Clock::time_point now) const
{
    switch (link.GetCondition()) {
    case LINK_NOT_PRESENT:
        return "the port has closed";
    case LINK_BUSY:
        return "the port is used by another program";
    case LINK_NO_RESPONSE:
        if (m_bSilent && now - m_silentSince >= kSilence)
            return SilenceText(link);
        break;
    case LINK_CONNECTED:
        break;
    }
    if (m_nInARow >= kRefusalsInARow)
        return std::to_string(m_nInARow) + " pulse requests in a row brought no valid reply";
    return {};
}

CLinkWatch::Change CLinkWatch::Cycle(const CLinkStatus& link, bool announced, bool fetched,
                                     Clock::time_point now)
{
    const bool refused = announced && !fetched;
    if (announced)
        ++m_nAnnounced;
    if (refused)
        ++m_nRefused;
    m_nInARow = refused ? m_nInARow + 1 : 0;
    // The link's own "since" is wall-clock time for display; the watch
    // measures the silence on the steady clock.
    const bool silent = link.GetCondition() == LINK_NO_RESPONSE;
    if (silent && !m_bSilent)
        m_silentSince = now;
    m_bSilent = silent;

    if (!m_bLost) {
        m_strReason = LostReason(link, now);
        if (m_strReason.empty())
            return kNoChange;
        m_bLost = true;
        ++m_nLosses;
        m_lostAt = now;
        return kLost;
    }
    if (link.GetCondition() == LINK_CONNECTED && !refused) {
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
