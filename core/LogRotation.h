#pragma once
// Keeps a log file below a size limit: when the next write would take it
// past the limit, X.log becomes X.1.log, X.1.log becomes X.2.log and so on,
// the oldest is deleted, and writing goes on in a fresh X.log. A log then
// never takes more than files x limit on the disk that also holds the
// recordings.
//
// The limit and the number of files come from the INI settings
// "LogFileMaxSizeKB" and "LogFileCount" (CQuillonIniConfig).

#include <cstdint>
#include <string>

class CLogRotation {
public:
    // files counts the live file too (at least 1).
    CLogRotation(uint64_t maxBytes, int files);
    static CLogRotation FromSettings();

    uint64_t GetMaxBytes() const { return m_nMaxBytes; }
    int GetFiles() const { return m_nFiles; }

    // Rotates path when a file of currentSize bytes cannot take adding more
    // without passing the limit (an empty file always takes its first line).
    // True when it rotated.
    bool RotateIfFull(const std::string& path, uint64_t currentSize, uint64_t adding) const;
    // Renames the numbered files up by one and path to number 1.
    void Rotate(const std::string& path) const;
    // dir/X.log with n 2 gives dir/X.2.log; a name without extension gets .2.
    static std::string NumberedPath(const std::string& path, int n);

private:
    uint64_t m_nMaxBytes;
    int m_nFiles;
};
