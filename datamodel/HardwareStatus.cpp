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

CHardwareStatus::CHardwareStatus(const CHardwareStatus& other)
    : m_nStatus(other.GetStatus()), m_strHardError(other.m_strHardError),
      m_strFirmwareRevision(other.m_strFirmwareRevision),
      m_strBoardRevision(other.m_strBoardRevision)
{
}

CHardwareStatus& CHardwareStatus::operator=(const CHardwareStatus& other)
{
    if (this != &other) {
        SetStatus(other.GetStatus());
        m_strHardError = other.m_strHardError;
        m_strFirmwareRevision = other.m_strFirmwareRevision;
        m_strBoardRevision = other.m_strBoardRevision;
    }
    return *this;
}

std::string CHardwareStatus::GetErrorText() const { return ByteText(GetStatus()); }

std::string CHardwareStatus::GetStatusText() const { return ByteText(GetStatus() >> 8u); }
