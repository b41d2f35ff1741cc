#include "MonitorText.h"

#include <algorithm>
#include <cstdio>

namespace monitor {

std::string ElapsedTimeText(long hundredths)
{
    const long s = hundredths / 100;
    const long m = s / 60;
    const long h = m / 60;
    const float minutes = static_cast<float>(m % 60) + static_cast<float>(s - 60 * m) / 60.0f;
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d:%0.02f", static_cast<int>(h / 24),
                  static_cast<int>(h % 24), static_cast<double>(minutes));
    return text;
}

std::string FrequencyText(double frequency)
{
    char text[64];
    std::snprintf(text, sizeof text, "%0.2lf", frequency);
    return text;
}

double CorrectedFrequency(float correctionFactor, double pulseFrequency)
{
    // The factor is 0 when the settings do not give one; a frequency display
    // stuck at 0.00 would hide a working instrument, so 0 means "no correction".
    const double factor = correctionFactor == 0.0f ? 1.0 : static_cast<double>(correctionFactor);
    return factor * pulseFrequency;
}

std::string RecordingText(bool recording)
{
    return recording ? "In Progress" : "Stopped";
}

std::string WrittenText(int64_t bytes, int64_t pulses)
{
    char size[32];
    if (bytes < 1024 * 1024)
        std::snprintf(size, sizeof size, "%.1f KB",
                      static_cast<double>(std::max<int64_t>(bytes, 0)) / 1024.0);
    else
        std::snprintf(size, sizeof size, "%.2f MB", static_cast<double>(bytes) / 1048576.0);
    return std::to_string(pulses) + (pulses == 1 ? " pulse, " : " pulses, ") + size;
}

std::string InstrumentText(const std::string& instrument)
{
    return "(" + instrument + ")";
}

} // namespace monitor
