#pragma once
// The views a plot went through, for Previous View (Ctrl+Z): the axes before
// each zoom, scroll, fit or restore. It keeps the most recent kCapacity
// views; a push onto a full history forgets the oldest, so the step back
// always leads to the view just left.

#include "AxisRanges.h"

#include <deque>

class OViewHistory {
public:
    static constexpr int kCapacity = 32;

    // A view equal to the newest one is not stored twice.
    void Push(const CAxisRanges& ranges);
    // 1 with the newest view removed into ranges, 0 when there is none.
    int Pop(CAxisRanges& ranges);
    void Clear() { m_views.clear(); }
    bool IsEmpty() const { return m_views.empty(); }
    int GetCount() const { return static_cast<int>(m_views.size()); }

private:
    std::deque<CAxisRanges> m_views;
};
