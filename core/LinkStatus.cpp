#include "LinkStatus.h"

#include <ctime>

std::string CLinkStatus::GetText() const
{
    const std::string port = "COM" + std::to_string(m_nPort);
    const std::string device =
        m_strDevicePath.empty() ? std::string() : " (" + m_strDevicePath + ")";
    switch (m_eCondition) {
    case LINK_CONNECTED:
        return port + " connected" + device;
    case LINK_NO_RESPONSE: {
        const std::time_t since = WallClock::to_time_t(m_noResponseSince);
        std::tm local{};
        localtime_r(&since, &local);
        char clock[16];
        std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
        return port + ": no response since " + clock + device;
    }
    case LINK_BUSY:
        return port + " is used by another program" + device;
    case LINK_NOT_PRESENT:
        break;
    }
    return port + " not present" + device +
           (m_strDetail.empty() ? std::string() : ": " + m_strDetail);
}
