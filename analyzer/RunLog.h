#pragma once
// The Analyzer's run log: one dated line per thing done to a recording -
// opened (with its pulses and any salvage), gates or channels changed,
// configuration files saved or opened, closed. The Log dialog lists it, so a
// chemist can see afterwards what was analysed with which set-up. The file
// is "<Analyzer log folder>/tarvolin-analyzer.log"; a line that cannot be
// written is lost without a message (the analysis goes on).

#include <string>

class ORunLog {
public:
    static constexpr const char* kFileName = "tarvolin-analyzer.log";

    // CFilePaths::GetLogPath() + "/" + kFileName, unless SetFilePath chose another.
    static std::string GetFilePath();
    static void SetFilePath(const std::string& path);
    // Appends "YYYY-MM-DD HH:MM:SS  text" in one write.
    static void AddEntry(const std::string& text);
};
