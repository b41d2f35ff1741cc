#include "Chromatogram.h"

OChromatogramBounds OChromatogram::ComputeBounds(const std::vector<float>& times, int first,
                                                 int last, float maximum)
{
    OChromatogramBounds b;
    const auto at = [&](int i) {
        return i >= 0 && static_cast<size_t>(i) < times.size() ? times[static_cast<size_t>(i)]
                                                               : 0.0f;
    };
    const float x0 = at(first);
    const float x1 = at(last);
    b.xMin = x0;
    b.xMax = x1 + (x1 - x0) * 0.05f;
    b.yMin = 0.0f;
    b.yMax = maximum + maximum * 0.05f;
    return b;
}
