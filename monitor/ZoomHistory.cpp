#include "ZoomHistory.h"

#include <algorithm>
#include <cmath>
#include <utility>

int CZoomHistory::Push(const CAxisRanges& ranges)
{
    if (m_nTop + 1 >= kCapacity)
        return 0;
    m_entries[static_cast<size_t>(++m_nTop)] = ranges;
    return 1;
}

int CZoomHistory::Pop(CAxisRanges& ranges)
{
    if (IsEmpty())
        return 0;
    ranges = m_entries[static_cast<size_t>(m_nTop--)];
    return 1;
}

int CZoomHistory::PopForZoomOut(CAxisRanges& target)
{
    return Pop(target) && !IsEmpty() ? 1 : 0;
}

namespace {

void Order(double& low, double& high)
{
    if (low > high)
        std::swap(low, high);
}

} // namespace

int ClampZoomBox(CAxisRanges& box, const CAxisRanges& limits)
{
    CAxisRanges bounds = limits;
    Order(bounds.dXMin, bounds.dXMax);
    Order(bounds.dYMin, bounds.dYMax);
    Order(box.dXMin, box.dXMax);
    Order(box.dYMin, box.dYMax);

    box.dXMin = std::max(box.dXMin, bounds.dXMin);
    box.dXMax = std::min(box.dXMax, bounds.dXMax);
    box.dYMin = std::max(box.dYMin, bounds.dYMin);
    box.dYMax = std::min(box.dYMax, bounds.dYMax);

    // Written so that a NaN corner refuses the box as well.
    const bool wideEnough = box.dXMax - box.dXMin >= 1.0 && box.dYMax - box.dYMin >= 1.0;
    return wideEnough ? 1 : 0;
}

CAxisRanges ApplicableRanges(const CAxisRanges& ranges)
{
    const auto span = [](double low, double high) {
        const double whole = std::trunc(high - low);
        return whole >= 1.0 ? whole : 1.0;
    };
    CAxisRanges out = ranges;
    out.dXMax = ranges.dXMin + span(ranges.dXMin, ranges.dXMax);
    out.dYMax = ranges.dYMin + span(ranges.dYMin, ranges.dYMax);
    return out;
}

CAxisRanges RefitRanges(const CAxisRanges& fitted)
{
    CAxisRanges out = fitted;
    out.dXMax = std::ceil(fitted.dXMax);
    return out;
}
