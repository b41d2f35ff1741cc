#pragma once
// OCalculationLog: the optional log of every computed gate value, switched on
// by the Analyzer's EnableDebugLog setting. One file for the whole run of the
// program ("TarvolinAnalyzerCalculationLog.log" in the Analyzer's log folder):
// the first line of a run replaces an older log, later lines are appended.
//
// Each line is "%02d:%02d:%02d:%03d - Thread Id:%08d - " (UTC hour, minute,
// second and millisecond, the calling thread) followed by the text. A log that
// cannot be written loses its lines and reports nothing.
//
// The original opened the file for every line; a calculation keeps it open
// between Begin and End instead (the same lines, at a fraction of the cost).
// Documents may share one log from several threads.

#include <cstdio>
#include <mutex>
#include <string>

class OCalculationLog {
public:
    static constexpr const char* kFileName = "TarvolinAnalyzerCalculationLog.log";

    explicit OCalculationLog(std::string path);
    ~OCalculationLog();
    OCalculationLog(const OCalculationLog&) = delete;
    OCalculationLog& operator=(const OCalculationLog&) = delete;

    // The log folder of the settings (CFilePaths::GetLogPath) + the file name.
    static std::string DefaultPath();

    // Lines between Begin and End go out through one open file.
    void Begin();
    void Line(const std::string& text);
    void End();

    const std::string& GetPath() const { return m_strPath; }

    // The prefix for a moment and a thread, for the tests.
    static std::string Prefix(int hour, int minute, int second, int millisecond, long threadId);

private:
    std::FILE* OpenLocked();

    std::mutex m_lock;
    std::string m_strPath;
    std::FILE* m_pFile = nullptr;
    bool m_bStarted = false; // the first line of the run has been written
    int m_nDepth = 0;
};
