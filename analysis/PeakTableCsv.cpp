#include "PeakTableCsv.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

std::string OPeakTableCsv::Number(double value, int decimals, int digits)
{
    if (!std::isfinite(value))
        return std::string();
    if (value == 0.0)
        value = 0.0; // no "-0"
    char text[128];
    const auto result =
        decimals >= 0
            ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals)
            : std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    if (result.ec != std::errc())
        return std::string();
    std::string out(text, result.ptr);
    if (out.find_first_not_of("-0.") == std::string::npos && out[0] == '-')
        out.erase(0, 1); // a negative that rounds to zero
    return out;
}

std::string OPeakTableCsv::Text(const std::vector<OPeak>& peaks, const std::string& unit)
{
    const std::string u = unit.empty() ? "counts" : unit;
    std::string text = "Peak,Retention time (s),Start (s),End (s),Height (" + u + "),Area (" + u +
                       "*s),Area (%),Width at half height (s),S/N,Baseline start (s),"
                       "Baseline start value (" +
                       u + "),Baseline end (s),Baseline end value (" + u +
                       "),Manual,Perpendicular start,Perpendicular end\n";
    const auto flag = [](bool b) { return b ? "yes" : "no"; };
    int number = 0;
    for (const OPeak& p : peaks) {
        const std::string fields[] = {
            std::to_string(++number),
            Number(p.retentionTime, 4),
            Number(p.startTime, 4),
            Number(p.endTime, 4),
            Number(p.height, -1),
            Number(p.area, -1),
            Number(p.areaPercent, -1, 6),
            Number(p.width, 4),
            Number(p.signalToNoise, -1, 6),
            Number(p.baselineStartTime, 4),
            Number(p.baselineStartValue, -1),
            Number(p.baselineEndTime, 4),
            Number(p.baselineEndValue, -1),
            flag(p.manual),
            flag(p.perpendicularStart),
            flag(p.perpendicularEnd),
        };
        std::string line;
        for (const std::string& field : fields)
            line += (line.empty() ? "" : ",") + field;
        text += line + "\n";
    }
    return text;
}

int OPeakTableCsv::Write(const std::string& path, const std::vector<OPeak>& peaks,
                         std::string& message, const std::string& unit)
{
    const std::string text = Text(peaks, unit);
    const std::filesystem::path target(path);
    std::string folder = target.parent_path().string();
    if (folder.empty())
        folder = ".";
    // A new file of our own beside the target; the umask gives its mode.
    static std::atomic<unsigned> serial{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = folder + "/." + target.filename().string() + "." + std::to_string(::getpid()) +
                    "." + std::to_string(serial++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        message = "Cannot write in " + folder + ": " + std::strerror(errno);
        return 0;
    }
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            message = "Cannot write " + path + ": " + std::strerror(errno);
            ::close(fd);
            std::remove(temporary.c_str());
            return 0;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
        message = "Cannot write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return 0;
    }
    return 1;
}
