#include "CursorReadout.h"

#include <cmath>
#include <cstdio>

namespace {

// Rounded to the shown precision first, so that a value a hair below zero
// reads "0.00" rather than "-0.00" and a difference of nothing has no sign.
double RoundTo(double value, double scale)
{
    const double rounded = std::round(value * scale) / scale;
    return rounded == 0.0 ? 0.0 : rounded;
}

std::string Fixed(double value, int decimals, bool withSign)
{
    char text[64];
    std::snprintf(text, sizeof text, withSign && value != 0.0 ? "%+.*f" : "%.*f", decimals, value);
    return text;
}

} // namespace

void CCursorReadout::SetBasePoint(double dTime, double dCounts)
{
    m_bHasBase = true;
    m_dBaseTime = dTime;
    m_dBaseCounts = dCounts;
}

std::string CCursorReadout::Text(double dTime, double dCounts) const
{
    const double time = RoundTo(dTime, 100.0);
    const double counts = RoundTo(dCounts, 1.0);
    std::string text = "t = " + Fixed(time, 2, false) + " ms, counts = " + Fixed(counts, 0, false);
    if (!m_bHasBase)
        return text;
    // The difference of the shown values, so that the numbers on screen add up.
    const double dt = RoundTo(time - RoundTo(m_dBaseTime, 100.0), 100.0);
    const double dc = RoundTo(counts - RoundTo(m_dBaseCounts, 1.0), 1.0);
    return text + "; \u0394t = " + Fixed(dt, 2, true) + " ms, \u0394counts = " + Fixed(dc, 0, true);
}
