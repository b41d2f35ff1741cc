#include "PulseGates.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

std::optional<OGateSpan> OPulseGates::Span(const OGateDescriptor& d, double triggerMs)
{
    if (triggerMs < 0.0)
        return std::nullopt;
    double from = d.startA;
    double to = static_cast<double>(d.startA) + d.widthA;
    if (d.bWindow > FLT_EPSILON) {
        from = std::min<double>(from, d.startB);
        to = std::max<double>(to, static_cast<double>(d.startB) + d.widthB);
    }
    from += triggerMs;
    to += triggerMs;
    if (from > kPulseEndMs)
        return std::nullopt;
    return OGateSpan{from, std::min(to, kPulseEndMs)};
}

void OPulseGates::Cut(const OPulseShape& pulse, const OGateSpan& span, std::vector<double>& x,
                      std::vector<double>& y)
{
    x.clear();
    y.clear();
    // Sample times are tenths of a millisecond: a span end on a sample takes it.
    constexpr double kSlack = 1e-9;
    for (size_t i = 0; i < pulse.x.size() && i < pulse.y.size(); ++i) {
        if (pulse.x[i] >= span.from - kSlack && pulse.x[i] <= span.to + kSlack) {
            x.push_back(pulse.x[i]);
            y.push_back(pulse.y[i]);
        }
    }
}

std::string OPulseGates::TimeText(double seconds)
{
    if (!(seconds >= 0.0))
        return {};
    // Rounded to hundredths first, so 59.999 s reads 01:00.00 and never 00:60.00.
    const long long hundredths = std::llround(seconds * 100.0);
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%05.2f", hundredths / 6000,
                  static_cast<double>(hundredths % 6000) / 100.0);
    return text;
}

std::string OPulseGates::StartTimeText(double seconds)
{
    const std::string time = TimeText(seconds);
    return time.empty() ? time : "Pulse Start Time = " + time;
}
