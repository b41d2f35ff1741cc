#include "CursorText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string OCursorText::Number(double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 12);
    if (!std::isfinite(value))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.*lf", decimals, value);
    // "-0.00" would read as a distance below zero where there is none.
    std::string out = text;
    if (out[0] == '-' && out.find_first_not_of("-0.") == std::string::npos)
        out.erase(0, 1);
    return out;
}

std::string OCursorText::Position(double x, double y, int xAxisDecimals, int yAxisDecimals)
{
    return Number(x, xAxisDecimals + 1) + " , " + Number(y, yAxisDecimals + 1);
}

std::string OCursorText::FromBase(double baseX, double baseY, double x, double y, int xAxisDecimals,
                                  int yAxisDecimals)
{
    const int xd = xAxisDecimals + 1;
    const int yd = yAxisDecimals + 1;
    return "Base:" + Number(baseX, xd) + " , " + Number(baseY, yd) +
           ";   Offset:" + Number(x - baseX, xd) + " , " + Number(y - baseY, yd);
}

std::string OCursorText::Trace(const std::string& name, double value, int yAxisDecimals)
{
    return "   " + name + ": " + Number(value, yAxisDecimals + 1);
}
