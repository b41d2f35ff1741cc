#pragma once
// Reader for the programs' INI files: flat "key = value" lines.
//
// Lines are read as 8-bit text in blocks of 2048 bytes. A carriage return or
// line feed ends a line; empty lines give nothing. A line that reaches 2047
// characters is cut there with a warning and its rest is read as the next
// line. Anything from "//" on is a comment; lines without "=" (section
// headers among them) are skipped, so all keys share one name space. Key and
// value are trimmed; duplicates are kept and the first one wins on lookup;
// keys compare without regard to case.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class CNodeElement {
public:
    CNodeElement() = default;
    CNodeElement(std::string key, std::string value);
    virtual ~CNodeElement() = default;
    CNodeElement(const CNodeElement&) = default;
    CNodeElement& operator=(const CNodeElement&) = default;

    const std::string& GetKey() const { return m_strKey; }
    const std::string& GetValue() const { return m_strValue; }
    void SetKey(const std::string& key) { m_strKey = key; }
    void SetValue(const std::string& value) { m_strValue = value; }

private:
    std::string m_strKey;
    std::string m_strValue;
};

class CGenIniFileReader {
public:
    enum LookupResult { KEY_NOT_FOUND = 0, VALUE_FOUND = 1, VALUE_EMPTY = 2 };

    static constexpr size_t LINE_CAPACITY = 2048;
    static constexpr size_t BLOCK_SIZE = 2048;
    // Settings files are a few kilobytes; a larger one is refused rather than
    // turned into millions of nodes.
    static constexpr size_t MAX_TEXT_BYTES = 1024 * 1024;

    CGenIniFileReader();
    virtual ~CGenIniFileReader();
    CGenIniFileReader(const CGenIniFileReader&) = delete;
    CGenIniFileReader& operator=(const CGenIniFileReader&) = delete;

    // The settings loader's reader. Other INI files get a reader of their own,
    // so that two loads never interleave on one list.
    static CGenIniFileReader& Instance();

    // 0 when the file was read; -1 when it cannot be opened (the list keeps
    // what it had and GetMessage() says why). Over-long lines are reported
    // through the message service once the file has been read.
    int Load(const std::string& path);
    // The same rules on text already in memory; -1 only when it is too large.
    int LoadFromText(std::string_view text);

    // The first node whose key matches: VALUE_FOUND fills value, VALUE_EMPTY
    // clears it, KEY_NOT_FOUND leaves it alone.
    int GetValue(const std::string& key, std::string& value) const;
    // Lookup and conversion in one; value is set only for VALUE_FOUND.
    int GetIntValue(const std::string& key, int& value) const;
    int GetDoubleValue(const std::string& key, double& value) const;

    std::vector<CNodeElement> GetNodes() const;
    // Line number reached by the line reader; back at 0 once a file is done.
    unsigned GetLineCounter() const;
    bool IsOpen() const;
    int64_t GetFileSize() const;
    std::string GetMessage() const;

    // Leading white space, an optional sign, then the digits that follow;
    // 0 without digits, clamped to the int range.
    static int ToInt(std::string_view text);
    // The longest leading part that reads as a number ("C" locale); 0.0 without one.
    static double ToDouble(const std::string& text);

    // Where the line reader takes its blocks from; defined with the reader.
    class Source;

private:
    int Parse(Source& source, std::vector<std::string>& warnings);
    bool ReadLine(Source& source, std::string& line, std::vector<std::string>& warnings);
    void ParseLine(const std::string& raw);
    void ResetLineReader();

    mutable std::mutex m_lock;
    std::vector<uint8_t> m_buffer;
    size_t m_nValidBytes = 0;
    size_t m_nReadPos = 0;
    bool m_bEndOfFile = false;
    bool m_bLastWasCR = false;
    unsigned m_nLineCounter = 0;
    bool m_bOpen = false;
    int64_t m_nFileSize = 0;
    std::vector<CNodeElement> m_nodes;
    std::string m_strMessage;
};
