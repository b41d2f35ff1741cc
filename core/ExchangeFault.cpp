#include "ExchangeFault.h"

#include <cctype>
#include <cstdio>

std::string CExchangeFault::GetSentence() const
{
    std::string text = m_strText;
    if (text.empty())
        return text;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

std::string CExchangeFault::CommandText(int command)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(command) & 0xFFu);
    return text;
}

const char* CExchangeFault::KindName(LinkFailure kind)
{
    switch (kind) {
    case LinkFailure::None:
        return "none";
    case LinkFailure::Cancelled:
        return "cancelled";
    case LinkFailure::NotRunning:
        return "link not running";
    case LinkFailure::PortAbsent:
        return "port absent";
    case LinkFailure::WriteFailed:
        return "write failed";
    case LinkFailure::Timeout:
        return "timeout";
    case LinkFailure::BadCrc:
        return "bad CRC";
    case LinkFailure::WrongReply:
        return "wrong reply";
    case LinkFailure::Refused:
        return "refused";
    }
    return "unknown";
}
