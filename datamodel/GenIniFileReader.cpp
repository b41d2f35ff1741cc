#include "GenIniFileReader.h"

#include "Archive.h"
#include "FileUtil.h"
#include "MessageService.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

// Where the line reader gets its blocks from: a file or text in memory.
class CGenIniFileReader::Source {
public:
    virtual ~Source() = default;
    // Fills up to size bytes; fewer only at the end of the data.
    virtual size_t Read(uint8_t* out, size_t size) = 0;
};

namespace {

class CFileSource : public CGenIniFileReader::Source {
public:
    explicit CFileSource(int fd) : m_fd(fd) {}
    size_t Read(uint8_t* out, size_t size) override
    {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(m_fd, out + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            // A read error ends the file like its end would: what was read stays valid.
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        return done;
    }

private:
    int m_fd;
};

class CTextSource : public CGenIniFileReader::Source {
public:
    explicit CTextSource(std::string_view text) : m_text(text) {}
    size_t Read(uint8_t* out, size_t size) override
    {
        const size_t n = std::min(size, m_text.size() - m_pos);
        std::memcpy(out, m_text.data() + m_pos, n);
        m_pos += n;
        return n;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string Trim(std::string_view text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string OverflowWarning(unsigned line)
{
    char text[128];
    std::snprintf(text, sizeof text, "m_pBuffer overflow in line %u (line length over %d chars)",
                  line, static_cast<int>(CGenIniFileReader::LINE_CAPACITY));
    return text;
}

void ShowWarnings(const std::vector<std::string>& warnings)
{
    for (const std::string& text : warnings)
        CMessageService::Show(text, "Warning !", MessageIcon::Warning, MessageButtons::Ok);
}

} // namespace

CNodeElement::CNodeElement(std::string key, std::string value)
    : m_strKey(std::move(key)), m_strValue(std::move(value))
{
}

CGenIniFileReader::CGenIniFileReader() : m_buffer(BLOCK_SIZE)
{
}

CGenIniFileReader::~CGenIniFileReader() = default;

CGenIniFileReader& CGenIniFileReader::Instance()
{
    static CGenIniFileReader reader;
    return reader;
}

int CGenIniFileReader::Load(const std::string& path)
{
    std::vector<std::string> warnings;
    int result = 0;
    {
        std::lock_guard guard(m_lock);
        m_bOpen = false;
        // A FIFO or a device in the settings' place is refused, never waited on.
        CFileDescriptor fd = CFileUtil::OpenForReading(path, m_strMessage);
        if (!fd.IsOpen())
            return -1;
        struct stat st {};
        // Another writer holding an exclusive lock means the file is being replaced.
        if (::fstat(fd.Get(), &st) != 0 || ::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0) {
            m_strMessage = "cannot open \"" + path + "\": not a readable, unlocked file";
            return -1;
        }
        if (static_cast<uint64_t>(st.st_size) > MAX_TEXT_BYTES) {
            m_strMessage = "\"" + path + "\" is " + std::to_string(st.st_size) +
                           " bytes, too large for a settings file";
            return -1;
        }
        m_bOpen = true;
        m_nFileSize = st.st_size;
        CFileSource source(fd.Get());
        result = Parse(source, warnings);
        m_bOpen = false;
    }
    // Shown outside the lock: a message sink may well look at settings itself.
    ShowWarnings(warnings);
    return result;
}

int CGenIniFileReader::LoadFromText(std::string_view text)
{
    std::vector<std::string> warnings;
    {
        std::lock_guard guard(m_lock);
        if (text.size() > MAX_TEXT_BYTES) {
            m_strMessage = "text of " + std::to_string(text.size()) +
                           " bytes is too large for a settings file";
            return -1;
        }
        m_nFileSize = static_cast<int64_t>(text.size());
        CTextSource source(text);
        Parse(source, warnings);
    }
    ShowWarnings(warnings);
    return 0;
}

int CGenIniFileReader::Parse(Source& source, std::vector<std::string>& warnings)
{
    m_nodes.clear();
    m_strMessage.clear();
    ResetLineReader();
    std::string line;
    while (ReadLine(source, line, warnings))
        ParseLine(line);
    return 0;
}

void CGenIniFileReader::ResetLineReader()
{
    m_nValidBytes = 0;
    m_nReadPos = 0;
    m_bEndOfFile = false;
    m_bLastWasCR = false;
    m_nLineCounter = 0;
}

bool CGenIniFileReader::ReadLine(Source& source, std::string& line,
                                 std::vector<std::string>& warnings)
{
    line.clear();
    for (;;) {
        if (m_nReadPos >= m_nValidBytes) {
            if (m_bEndOfFile) {
                if (!line.empty()) {
                    ++m_nLineCounter;
                    return true;
                }
                m_nLineCounter = 0;
                return false;
            }
            m_nValidBytes = source.Read(m_buffer.data(), BLOCK_SIZE);
            m_nReadPos = 0;
            m_bEndOfFile = m_nValidBytes < BLOCK_SIZE;
            continue;
        }
        const char c = static_cast<char>(m_buffer[m_nReadPos++]);
        const bool afterCR = m_bLastWasCR;
        m_bLastWasCR = c == '\r';
        if (c == '\r' || c == '\n') {
            // CR LF is one line end; counting it twice would put the warning's
            // line number off in files written on the workstations.
            if (c == '\n' && afterCR)
                continue;
            ++m_nLineCounter;
            if (!line.empty())
                return true;
            continue;
        }
        line += c;
        if (line.size() >= LINE_CAPACITY - 1) {
            ++m_nLineCounter;
            warnings.push_back(OverflowWarning(m_nLineCounter));
            return true;
        }
    }
}

void CGenIniFileReader::ParseLine(const std::string& raw)
{
    std::string line = utf8::From8Bit(raw);
    const size_t comment = line.find("//");
    if (comment != std::string::npos) {
        line.resize(comment);
        if (line.empty())
            return;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return;
    m_nodes.emplace_back(Trim(std::string_view(line).substr(0, equals)),
                         Trim(std::string_view(line).substr(equals + 1)));
}

int CGenIniFileReader::GetValue(const std::string& key, std::string& value) const
{
    std::lock_guard guard(m_lock);
    for (const CNodeElement& node : m_nodes) {
        if (EqualsNoCase(node.GetKey(), key)) {
            value = node.GetValue();
            return value.empty() ? VALUE_EMPTY : VALUE_FOUND;
        }
    }
    return KEY_NOT_FOUND;
}

int CGenIniFileReader::GetIntValue(const std::string& key, int& value) const
{
    std::string text;
    const int result = GetValue(key, text);
    if (result == VALUE_FOUND)
        value = ToInt(text);
    return result;
}

int CGenIniFileReader::GetDoubleValue(const std::string& key, double& value) const
{
    std::string text;
    const int result = GetValue(key, text);
    if (result == VALUE_FOUND)
        value = ToDouble(text);
    return result;
}

std::vector<CNodeElement> CGenIniFileReader::GetNodes() const
{
    std::lock_guard guard(m_lock);
    return m_nodes;
}

unsigned CGenIniFileReader::GetLineCounter() const
{
    std::lock_guard guard(m_lock);
    return m_nLineCounter;
}

bool CGenIniFileReader::IsOpen() const
{
    std::lock_guard guard(m_lock);
    return m_bOpen;
}

int64_t CGenIniFileReader::GetFileSize() const
{
    std::lock_guard guard(m_lock);
    return m_nFileSize;
}

std::string CGenIniFileReader::GetMessage() const
{
    std::lock_guard guard(m_lock);
    return m_strMessage;
}

int CGenIniFileReader::ToInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\r' || text[i] == '\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1; // keeps clamping without overflow
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : -static_cast<int>(value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

double CGenIniFileReader::ToDouble(const std::string& text)
{
    // The GUI switches the process to the user's locale, which would make
    // "0.5" read as 0 where the decimal separator is a comma; settings files
    // always use a point.
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (cLocale == static_cast<locale_t>(0))
        return std::strtod(text.c_str(), nullptr);
    return ::strtod_l(text.c_str(), nullptr, cLocale);
}
