#pragma once
// The two logs of the instrument link and the Monitor.
//
// The debug log is the service engineer's window into a field problem: every
// packet sent and received, every failed exchange. One call is one line,
// written whole even when the poller and the user-interface thread log at the
// same moment. It honours the "EnableDebugLog" setting and lives in the log
// folder as "TarvolinDebug.log", rotated to TarvolinDebug.1.log ... when it
// reaches the size limit of the INI settings (CLogRotation).
//
// The run log lists what the operator did and what the timed events did
// (recording started and stopped); the run-log dialog shows it. It is the
// file <log folder>/<program name>.log, one dated line per entry.

#include <functional>
#include <string>

class CDebugLog {
public:
    static void Add(const std::string& text);

    // Where lines go; empty = <log folder>/TarvolinDebug.log (the default).
    static void SetFilePath(const std::string& path);
    static std::string GetFilePath();
    // Also hands every line (undecorated) to sink; tests and the command-line
    // tool use it. nullptr removes it.
    static void SetSink(std::function<void(const std::string&)> sink);
};

class CRunLog {
public:
    static void AddEntry(const std::string& text);

    // <log folder>/<program name>.log, or the path set here.
    static std::string GetFilePath();
    static void SetFilePath(const std::string& path);
};
