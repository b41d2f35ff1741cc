#include "PulseShape.h"

OPulseShape OPulseShape::FromPulse(const CPulseData& pulse)
{
    OPulseShape shape;
    const std::vector<int32_t>& samples = pulse.Samples();
    shape.x.reserve(samples.size());
    shape.y.reserve(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        shape.x.push_back(static_cast<double>(i) / 10.0);
        shape.y.push_back(static_cast<double>(static_cast<uint32_t>(samples[i])));
    }
    return shape;
}

double OPulseShape::TriggerTime(double level) const
{
    if (y.empty())
        return -1.0;
    if (y[0] > level)
        return x[0];
    for (size_t i = 0; i + 1 < y.size(); ++i) {
        if (y[i] < level && y[i + 1] >= level) {
            if (i == 0 || y[i] == y[i + 1])
                return x[i];
            return x[i] + ((level - y[i]) / (y[i + 1] - y[i])) / 10.0;
        }
    }
    return -1.0;
}
