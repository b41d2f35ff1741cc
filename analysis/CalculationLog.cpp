#include "CalculationLog.h"

#include "FilePaths.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <unistd.h>

OCalculationLog::OCalculationLog(std::string path) : m_strPath(std::move(path))
{
}

OCalculationLog::~OCalculationLog()
{
    if (m_pFile)
        std::fclose(m_pFile);
}

std::string OCalculationLog::DefaultPath()
{
    return CFilePaths::GetLogPath() + "/" + kFileName;
}

std::string OCalculationLog::Prefix(int hour, int minute, int second, int millisecond,
                                    long threadId)
{
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%02d:%02d:%02d:%03d - Thread Id:%08ld - ", hour, minute,
                  second, millisecond, threadId);
    return prefix;
}

std::FILE* OCalculationLog::OpenLocked()
{
    if (m_pFile)
        return m_pFile;
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(m_strPath).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ignored);
    std::FILE* file = std::fopen(m_strPath.c_str(), m_bStarted ? "a" : "w");
    if (file)
        m_bStarted = true;
    return file;
}

void OCalculationLog::Begin()
{
    std::lock_guard guard(m_lock);
    if (m_nDepth++ == 0 && !m_pFile)
        m_pFile = OpenLocked();
}

void OCalculationLog::End()
{
    std::lock_guard guard(m_lock);
    if (m_nDepth > 0 && --m_nDepth == 0 && m_pFile) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
    }
}

void OCalculationLog::Line(const std::string& text)
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    const std::string line = Prefix(utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis),
                                    static_cast<long>(::gettid())) +
                             text;

    std::lock_guard guard(m_lock);
    std::FILE* file = m_pFile ? m_pFile : OpenLocked();
    if (!file)
        return;
    std::fprintf(file, "%s\n", line.c_str());
    if (file != m_pFile)
        std::fclose(file);
}
