#pragma once
// One line per request the board received, for a service engineer reading what a host
// sent:
//
//   <seconds since start> 0x<command> <payload length> <payload hex or ->
//   <seconds since start> discarded <byte count> <bytes hex> (<reason>)
//
// Lines are written whole and flushed at once, so the log is complete after a crash.

#include "CommonUtils.h"

#include <chrono>
#include <cstdio>
#include <string>

class CRequestLog {
public:
    CRequestLog() = default;
    ~CRequestLog() { Close(); }
    CRequestLog(const CRequestLog&) = delete;
    CRequestLog& operator=(const CRequestLog&) = delete;

    // An empty path opens nothing and logs nothing (1). 0 with error when it cannot be opened.
    int Open(const std::string& path, std::string& error);
    void Close();

    void Request(double seconds, uint8_t command, const CByteArray& payload);
    void Discarded(double seconds, const CByteArray& bytes, const std::string& reason);

    static std::string Hex(const CByteArray& bytes);

private:
    std::FILE* m_file = nullptr;
};
