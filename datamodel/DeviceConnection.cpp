#include "DeviceConnection.h"

#include <cctype>
#include <climits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// ASCII letters only: names are compared the way the Launcher's lists do,
// and non-ASCII letters stay as typed.
char Fold(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string CDeviceConnection::Trim(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

int CDeviceConnection::GetPortNumber() const
{
    size_t i = 0;
    while (i < m_strPort.size() && IsBlank(m_strPort[i]))
        ++i;
    long long value = 0;
    bool any = false;
    for (; i < m_strPort.size() && std::isdigit(static_cast<unsigned char>(m_strPort[i])); ++i) {
        value = value * 10 + (m_strPort[i] - '0');
        if (value > INT_MAX)
            return 0;
        any = true;
    }
    return any ? static_cast<int>(value) : 0;
}

std::string CDeviceConnection::GetTrimmedName() const
{
    return Trim(m_strName);
}

bool CDeviceConnection::IsNamed(const std::string& name) const
{
    const std::string mine = GetTrimmedName();
    const std::string other = Trim(name);
    if (mine.size() != other.size())
        return false;
    for (size_t i = 0; i < mine.size(); ++i)
        if (Fold(mine[i]) != Fold(other[i]))
            return false;
    return true;
}

void CDeviceConnection::Serialize(CArchiveWriter& archive) const
{
    archive.WriteString(m_strPort);
    archive.WriteString(m_strName);
    archive.WriteString(m_strThird);
}

int CDeviceConnection::Serialize(CArchiveReader& archive)
{
    std::string port, name, third;
    archive.ReadString(port);
    archive.ReadString(name);
    archive.ReadString(third);
    if (!archive.Ok())
        return 0;
    m_strPort = std::move(port);
    m_strName = std::move(name);
    m_strThird = std::move(third);
    return 1;
}
