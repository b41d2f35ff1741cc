#include "HardwareStatus.h"

#include <cstdio>

namespace {
std::string ByteText(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%2x", value & 0xFFu);
    return text;
}
} // namespace

CHardwareStatus::CHardwareStatus(const CHardwareStatus& other) : m_nStatus(other.GetStatus())
{
    std::lock_guard guard(other.m_textLock);
    m_strHardError = other.m_strHardError;
    m_strFirmwareRevision = other.m_strFirmwareRevision;
    m_strBoardRevision = other.m_strBoardRevision;
}

CHardwareStatus& CHardwareStatus::operator=(const CHardwareStatus& other)
{
    if (this != &other) {
        SetStatus(other.GetStatus());
        std::scoped_lock guard(m_textLock, other.m_textLock);
        m_strHardError = other.m_strHardError;
        m_strFirmwareRevision = other.m_strFirmwareRevision;
        m_strBoardRevision = other.m_strBoardRevision;
    }
    return *this;
}

void CHardwareStatus::SetHardError(const std::string& text)
{
    std::lock_guard guard(m_textLock);
    m_strHardError = text;
}

std::string CHardwareStatus::GetHardError() const
{
    std::lock_guard guard(m_textLock);
    return m_strHardError;
}

std::string CHardwareStatus::GetFirmwareRevision() const
{
    std::lock_guard guard(m_textLock);
    return m_strFirmwareRevision;
}

void CHardwareStatus::SetFirmwareRevision(const std::string& text)
{
    std::lock_guard guard(m_textLock);
    m_strFirmwareRevision = text;
}

std::string CHardwareStatus::GetBoardRevision() const
{
    std::lock_guard guard(m_textLock);
    return m_strBoardRevision;
}

void CHardwareStatus::SetBoardRevision(const std::string& text)
{
    std::lock_guard guard(m_textLock);
    m_strBoardRevision = text;
}

std::string CHardwareStatus::GetErrorText() const
{
    return ByteText(GetStatus());
}

std::string CHardwareStatus::GetStatusText() const
{
    return ByteText(GetStatus() >> 8u);
}
