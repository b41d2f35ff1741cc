#pragma once
// Captures debug-log lines for the life of a test.

#include "Logs.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

class LogCapture {
public:
    LogCapture()
    {
        CDebugLog::SetSink([this](const std::string& line) {
            std::lock_guard guard(m_lock);
            m_lines.push_back(line);
        });
    }
    ~LogCapture() { CDebugLog::SetSink(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> Lines() const
    {
        std::lock_guard guard(m_lock);
        return m_lines;
    }
    size_t Count(const std::string& line) const
    {
        std::lock_guard guard(m_lock);
        return static_cast<size_t>(std::count(m_lines.begin(), m_lines.end(), line));
    }
    size_t CountStartingWith(const std::string& prefix) const
    {
        std::lock_guard guard(m_lock);
        return static_cast<size_t>(std::count_if(m_lines.begin(), m_lines.end(), [&](const std::string& l) {
            return l.rfind(prefix, 0) == 0;
        }));
    }
    void Clear()
    {
        std::lock_guard guard(m_lock);
        m_lines.clear();
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_lines;
};
