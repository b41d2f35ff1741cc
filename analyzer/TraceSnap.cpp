#include "TraceSnap.h"

#include <cmath>

int OTraceSnap::Choose(const std::vector<OSnapCandidate>& candidates, double y)
{
    int best = -1;
    double bestDistance = 0.0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const double distance = std::abs(candidates[i].y - y);
        if (std::isnan(distance))
            continue;
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}
