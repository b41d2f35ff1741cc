#include "RequestLog.h"

#include <cerrno>
#include <cstring>

int CRequestLog::Open(const std::string& path, std::string& error)
{
    Close();
    if (path.empty())
        return 1;
    m_file = std::fopen(path.c_str(), "a");
    if (!m_file) {
        error = "cannot open the request log " + path + ": " + std::strerror(errno);
        return 0;
    }
    return 1;
}

void CRequestLog::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

std::string CRequestLog::Hex(const CByteArray& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * bytes.size());
    for (uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

void CRequestLog::Request(double seconds, uint8_t command, const CByteArray& payload)
{
    if (!m_file)
        return;
    const std::string hex = payload.empty() ? "-" : Hex(payload);
    std::fprintf(m_file, "%.6f 0x%02x %zu %s\n", seconds, command, payload.size(), hex.c_str());
    std::fflush(m_file);
}

void CRequestLog::Discarded(double seconds, const CByteArray& bytes, const std::string& reason)
{
    if (!m_file)
        return;
    std::fprintf(m_file, "%.6f discarded %zu %s (%s)\n", seconds, bytes.size(), Hex(bytes).c_str(),
                 reason.c_str());
    std::fflush(m_file);
}
