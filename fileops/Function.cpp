#include "Function.h"

#include <algorithm>

OFunction::OFunction(OFloatArray* x, OFloatArray* y)
{
    if (x && y) {
        m_bOwns = 1;
        SetValues(x, y);
    }
}

void OFunction::SetValues(OFloatArray* x, OFloatArray* y)
{
    if (!x || !y)
        x = y = nullptr;
    if (m_bOwns) {
        // Arrays kept across the call (even swapped) must not be freed, and
        // one array used for both axes is owned once.
        std::unique_ptr<OFloatArray> old_x = std::move(m_ownedX);
        std::unique_ptr<OFloatArray> old_y = std::move(m_ownedY);
        if (old_x.get() == x || old_x.get() == y)
            (void)old_x.release();
        if (old_y.get() == x || old_y.get() == y)
            (void)old_y.release();
        m_ownedX.reset(x);
        m_ownedY.reset(y != x ? y : nullptr);
    }
    m_pX = x;
    m_pY = y;
}

int OFunction::GetSampleCount() const
{
    if (!m_pX || !m_pY)
        return 0;
    return std::max(0, std::min(m_pX->GetSize(), m_pY->GetSize()));
}

OFunctionPoint OFunction::EvaluateAt(float x) const
{
    OFunctionPoint point;
    const int n = GetSampleCount();
    if (n <= 0)
        return point;

    int i = 0;
    while (i < n && m_pX->GetAt(i) < x)
        ++i;
    if (i == n)
        return point;

    const int left = i == 0 ? 0 : i - 1;
    const int right = i == 0 ? std::min(1, n - 1) : i;
    const float x_left = m_pX->GetAt(left);
    const float y_left = m_pY->GetAt(left);
    const float dx = m_pX->GetAt(right) - x_left;
    float y = y_left;
    if (dx != 0.0f) {
        const float t = (x - x_left) / dx;
        y = y_left + t * (m_pY->GetAt(right) - y_left);
    }
    point.SetPoint(x, y);
    point.SetIndex(left, right);
    return point;
}

float OFunction::Integrate(float a, float b) const
{
    if (b < a)
        return -Integrate(b, a);
    if (GetSampleCount() <= 0)
        return 0.0f;

    const OFunctionPoint pa = EvaluateAt(a);
    const OFunctionPoint pb = EvaluateAt(b);
    if (pa.GetRightIndex() == -1 || pb.GetLeftIndex() == -1)
        return 0.0f;
    // Both ends inside one interval: no sample lies between them.
    if (pb.GetLeftIndex() < pa.GetRightIndex())
        return TrapezoidalRule(pa, pb);

    const OFunctionPoint first = GetPoint(pa.GetRightIndex());
    const OFunctionPoint last = GetPoint(pb.GetLeftIndex());
    return TrapezoidalRule(pa, first) +
           CompositeSimpsonsRule(pa.GetRightIndex(), pb.GetLeftIndex()) + TrapezoidalRule(last, pb);
}

OFunctionPoint OFunction::GetPoint(int i) const
{
    OFunctionPoint point;
    const int n = GetSampleCount();
    if (i < 0 || i >= n)
        return point;
    point.SetPoint(m_pX->GetAt(i), m_pY->GetAt(i));
    point.SetIndex(i - 1, i + 1 < n ? i + 1 : -1);
    return point;
}

float OFunction::TrapezoidalRule(const OFunctionPoint& p, const OFunctionPoint& q)
{
    return (q.GetXValue() - p.GetXValue()) * 0.5f * (q.GetyValue() + p.GetyValue());
}

float OFunction::CompositeSimpsonsRule(int first, int last) const
{
    if (first < 0 || last >= GetSampleCount() || last <= first)
        return 0.0f;

    const int intervals = last - first;
    const int simpson_intervals = intervals - intervals % 2;
    const float tail = intervals % 2 ? TrapezoidalRule(GetPoint(last - 1), GetPoint(last)) : 0.0f;
    if (simpson_intervals == 0)
        return tail;

    const int end = first + simpson_intervals;
    const float h = m_pX->GetAt(first + 1) - m_pX->GetAt(first);
    float odd_sum = 0.0f;
    float even_sum = 0.0f;
    for (int k = 1; k < simpson_intervals; ++k)
        (k % 2 ? odd_sum : even_sum) += m_pY->GetAt(first + k);
    const float simpson =
        h * (m_pY->GetAt(first) + m_pY->GetAt(end) + 4.0f * odd_sum + 2.0f * even_sum) / 3.0f;
    return simpson + tail;
}
