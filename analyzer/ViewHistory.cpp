#include "ViewHistory.h"

void OViewHistory::Push(const CAxisRanges& ranges)
{
    if (!m_views.empty() && m_views.back() == ranges)
        return;
    if (static_cast<int>(m_views.size()) == kCapacity)
        m_views.pop_front();
    m_views.push_back(ranges);
}

int OViewHistory::Pop(CAxisRanges& ranges)
{
    if (m_views.empty())
        return 0;
    ranges = m_views.back();
    m_views.pop_back();
    return 1;
}
