#include "Logs.h"

#include "FilePaths.h"
#include "FileUtil.h"
#include "LogRotation.h"
#include "QuillonIniConfig.h"

#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::string Timestamp(bool withMillis)
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    if (withMillis) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
            1000;
        std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(ms));
    }
    return text;
}

// Appends one line, whole: O_APPEND puts each write at the end, and one
// write per line keeps concurrent writers (threads or processes) from
// interleaving inside a line; a signal in between does not cut it short.
bool AppendLine(const CFileDescriptor& fd, const std::string& line)
{
    int error = 0;
    return CFileUtil::WriteAll(fd.Get(), line.data(), line.size(), error) == line.size();
}

CFileDescriptor OpenForAppend(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return CFileDescriptor(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
}

std::string ProgramName()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("Tarvolin") : exe.stem().string();
}

struct DebugLogState {
    std::mutex lock;
    std::string path;
    std::string openPath;
    CFileDescriptor fd;
    std::function<void(const std::string&)> sink;
};

DebugLogState& Debug()
{
    static DebugLogState state;
    return state;
}

// True when path no longer names the open file: another program rotated it.
bool MovedAway(const CFileDescriptor& fd, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    if (::fstat(fd.Get(), &open) != 0 || ::stat(path.c_str(), &named) != 0)
        return true;
    return open.st_ino != named.st_ino || open.st_dev != named.st_dev;
}

void Reopen(DebugLogState& s, const std::string& path)
{
    s.fd = OpenForAppend(path);
    s.openPath = path;
}

std::mutex g_runLogLock;
std::string g_runLogPath;

} // namespace

void CDebugLog::Add(const std::string& text)
{
    DebugLogState& s = Debug();
    std::lock_guard guard(s.lock);
    if (s.sink)
        s.sink(text);
    if (!CQuillonIniConfig::EnableDebugLog())
        return;
    const std::string path =
        s.path.empty() ? CFilePaths::GetLogPath() + "/TarvolinDebug.log" : s.path;
    if (!s.fd.IsOpen() || path != s.openPath || MovedAway(s.fd, path))
        Reopen(s, path);
    if (!s.fd.IsOpen())
        return;
    const long tid = static_cast<long>(::syscall(SYS_gettid));
    const std::string line = Timestamp(true) + " [" + std::to_string(tid) + "] " + text + "\n";
    struct stat st {};
    if (::fstat(s.fd.Get(), &st) == 0 &&
        CLogRotation::FromSettings().RotateIfFull(path, static_cast<uint64_t>(st.st_size),
                                                  line.size())) {
        Reopen(s, path);
        if (!s.fd.IsOpen())
            return;
    }
    AppendLine(s.fd, line);
}

void CDebugLog::SetFilePath(const std::string& path)
{
    std::lock_guard guard(Debug().lock);
    Debug().path = path;
}

std::string CDebugLog::GetFilePath()
{
    std::lock_guard guard(Debug().lock);
    return Debug().path.empty() ? CFilePaths::GetLogPath() + "/TarvolinDebug.log" : Debug().path;
}

void CDebugLog::SetSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard guard(Debug().lock);
    Debug().sink = std::move(sink);
}

void CRunLog::AddEntry(const std::string& text)
{
    std::lock_guard guard(g_runLogLock);
    const std::string path = g_runLogPath.empty()
                                 ? CFilePaths::GetLogPath() + "/" + ProgramName() + ".log"
                                 : g_runLogPath;
    // Opened per entry: clearing the run log truncates the file under us.
    const CFileDescriptor fd = OpenForAppend(path);
    if (fd.IsOpen())
        AppendLine(fd, Timestamp(false) + "  " + text + "\n");
}

std::string CRunLog::GetFilePath()
{
    std::lock_guard guard(g_runLogLock);
    return g_runLogPath.empty() ? CFilePaths::GetLogPath() + "/" + ProgramName() + ".log"
                                : g_runLogPath;
}

void CRunLog::SetFilePath(const std::string& path)
{
    std::lock_guard guard(g_runLogLock);
    g_runLogPath = path;
}
