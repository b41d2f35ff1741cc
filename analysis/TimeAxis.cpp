#include "TimeAxis.h"

#include <cmath>
#include <limits>

namespace {

bool Believable(double frequency)
{
    return std::isfinite(frequency) && frequency > 0.0 && frequency <= OTimeAxis::kMaxFrequency;
}

} // namespace

bool OTimeAxis::Rises(std::span<const int32_t> times)
{
    for (size_t k = 1; k < times.size(); ++k)
        if (times[k] <= times[k - 1])
            return false;
    return true;
}

void OTimeAxis::Settle(std::vector<int32_t>& times, std::span<const int32_t> indexes,
                       std::span<const double> frequencies, std::string& note)
{
    note.clear();
    if (Rises(times))
        return;

    const size_t n = times.size();
    // The believable frequency in effect at each pulse: the last one seen,
    // or before the first, the first one.
    double current = 0.0;
    for (size_t k = 0; k < n && k < frequencies.size(); ++k)
        if (Believable(frequencies[k])) {
            current = frequencies[k];
            break;
        }
    note = current > 0.0 ? kRebuiltNote : kAssumedNote;
    if (current <= 0.0)
        current = 1.0;

    double seconds = 0.0;
    int64_t previous = -1;
    for (size_t k = 0; k < n; ++k) {
        if (k > 0) {
            if (k < frequencies.size() && Believable(frequencies[k]))
                current = frequencies[k];
            int64_t step = 1;
            if (k < indexes.size() && k - 1 < indexes.size()) {
                const int64_t d = static_cast<int64_t>(indexes[k]) - indexes[k - 1];
                if (d > 1 && d <= 1000)
                    step = d;
            }
            seconds += static_cast<double>(step) / current;
        }
        int64_t hundredths = std::llround(seconds * 100.0);
        if (hundredths <= previous)
            hundredths = previous + 1;
        if (hundredths > std::numeric_limits<int32_t>::max())
            hundredths = std::numeric_limits<int32_t>::max();
        times[k] = static_cast<int32_t>(hundredths);
        previous = hundredths;
    }
}
