#include "RunLog.h"

#include "FilePaths.h"

#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex g_lock;
std::string g_path;

} // namespace

std::string ORunLog::GetFilePath()
{
    std::lock_guard guard(g_lock);
    return g_path.empty() ? CFilePaths::GetLogPath() + "/" + kFileName : g_path;
}

void ORunLog::SetFilePath(const std::string& path)
{
    std::lock_guard guard(g_lock);
    g_path = path;
}

void ORunLog::AddEntry(const std::string& text)
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    // One line, one write: the dialog and other programs never see half of it.
    std::string line = std::string(stamp) + "  " + text;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    line += '\n';

    const std::string path = GetFilePath();
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written <= 0)
            break;
        p += written;
        left -= static_cast<size_t>(written);
    }
    ::close(fd);
}
