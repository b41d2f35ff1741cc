#include "MarkerScroll.h"

#include <cmath>

int OMarkerScroll::Follow(double t, double& min, double& max)
{
    if (!std::isfinite(t) || (t >= min && t <= max))
        return 0;
    const double span = max - min;
    if (!(span > 0.0))
        return 0;
    // Past the right edge the marker lands near the left one, and the other way round.
    min = t > max ? t - span * kMargin : t - span * (1.0 - kMargin);
    max = min + span;
    return 1;
}
