#include "MonitorText.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

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

std::string LinkText(const CLinkStatus& link)
{
    const std::string port = "COM" + std::to_string(link.GetPortNumber());
    switch (link.GetCondition()) {
    case LINK_CONNECTED:
        return "Connected on " + port;
    case LINK_NO_RESPONSE: {
        const std::time_t since = CLinkStatus::WallClock::to_time_t(link.GetNoResponseSince());
        std::tm local{};
        localtime_r(&since, &local);
        char clock[16];
        std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
        return std::string("No response since ") + clock;
    }
    case LINK_BUSY:
        return "Port " + port + " is used by another program";
    case LINK_NOT_PRESENT:
        break;
    }
    return "Port " + port + " not present";
}

std::string LinkToolTip(const CLinkStatus& link)
{
    const std::string port = "COM" + std::to_string(link.GetPortNumber());
    const std::string& device = link.GetDevicePath();
    std::string text = device.empty() ? port + " names no device" : port + " is " + device;
    // A link (an installer's, a udev rule's, the simulator's) is named with the device it points
    // to.
    std::error_code error;
    if (!device.empty() && std::filesystem::is_symlink(device, error)) {
        const std::filesystem::path target = std::filesystem::canonical(device, error);
        if (!error)
            text = port + " is " + target.string() + " (through " + device + ")";
    }
    if (!link.GetDetail().empty())
        text += "\n" + link.GetDetail();
    return text;
}

std::string DurationText(int64_t seconds)
{
    seconds = std::max<int64_t>(seconds, 0);
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string StatusWordText(unsigned word)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", word & 0xFFFFu);
    return text;
}

} // namespace monitor
