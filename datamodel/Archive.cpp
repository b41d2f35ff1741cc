#include "Archive.h"

#include "ByteOrder.h"
#include "FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr uint16_t kNullTag = 0x0000;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000u;
constexpr uint32_t kMaxMapIndex = 0x7FFFFFFFu;
// The framework loads class names into a 64-character buffer with its terminator.
constexpr size_t kMaxClassName = 63;
constexpr char16_t kReplacement = 0xFFFD;

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (n > 0) {
        text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(n));
    }
    va_end(again);
    return text;
}

std::string ErrnoText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

// Decodes one code point at text[i] and moves i past it. An invalid sequence
// yields nothing and moves i past its longest valid-looking start (at least one
// byte), so each damaged sequence becomes exactly one replacement character.
bool DecodeUtf8(std::string_view text, size_t& i, char32_t& codePoint)
{
    const auto lead = static_cast<uint8_t>(text[i++]);
    if (lead < 0x80) {
        codePoint = lead;
        return true;
    }
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // beyond U+10FFFF
    } else {
        return false;
    }
    char32_t value = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if (i >= text.size())
            return false;
        const auto next = static_cast<uint8_t>(text[i]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return false;
        value = (value << 6) | (next & 0x3F);
        ++i;
    }
    codePoint = value;
    return true;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsPrintableAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

} // namespace

namespace utf8 {

std::u16string ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        if (!DecodeUtf8(text, i, cp)) {
            out += kReplacement;
        } else if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 | (cp >> 10));
            out += static_cast<char16_t>(0xDC00 | (cp & 0x3FF));
        }
    }
    return out;
}

std::string FromUtf16(std::u16string_view units)
{
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

bool IsValid(std::string_view text)
{
    size_t i = 0;
    char32_t cp = 0;
    while (i < text.size())
        if (!DecodeUtf8(text, i, cp))
            return false;
    return true;
}

std::string From8Bit(std::string_view bytes)
{
    if (IsValid(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes)
        AppendUtf8(out, static_cast<uint8_t>(c));
    return out;
}

} // namespace utf8

// ---------------------------------------------------------------------------

CArchiveWriter::CArchiveWriter(std::vector<uint8_t>& out) : m_out(out)
{
}

void CArchiveWriter::WriteUInt8(uint8_t value)
{
    le::Writer(m_out).U8(value);
}
void CArchiveWriter::WriteUInt16(uint16_t value)
{
    le::Writer(m_out).U16(value);
}
void CArchiveWriter::WriteUInt32(uint32_t value)
{
    le::Writer(m_out).U32(value);
}
void CArchiveWriter::WriteInt32(int32_t value)
{
    le::Writer(m_out).I32(value);
}
void CArchiveWriter::WriteFloat(float value)
{
    le::Writer(m_out).F32(value);
}
void CArchiveWriter::WriteDouble(double value)
{
    le::Writer(m_out).F64(value);
}

void CArchiveWriter::WriteCount(uint32_t count)
{
    if (count < 0xFFFF) {
        WriteUInt16(static_cast<uint16_t>(count));
    } else {
        WriteUInt16(0xFFFF);
        WriteUInt32(count);
    }
}

void CArchiveWriter::WriteLength(uint64_t length)
{
    if (length < 0xFF) {
        WriteUInt8(static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteUInt8(0xFF);
        WriteUInt16(static_cast<uint16_t>(length));
    } else if (length < 0xFFFFFFFFu) {
        WriteUInt8(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(static_cast<uint32_t>(length));
    } else {
        WriteUInt8(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(0xFFFFFFFFu);
        WriteUInt32(static_cast<uint32_t>(length));
        WriteUInt32(static_cast<uint32_t>(length >> 32));
    }
}

void CArchiveWriter::WriteString(const std::string& utf8Text)
{
    const std::u16string units = utf8::ToUtf16(utf8Text);
    WriteUInt8(0xFF);
    WriteUInt16(0xFFFE);
    WriteLength(units.size());
    le::Writer out(m_out);
    for (char16_t unit : units)
        out.U16(unit);
}

int CArchiveWriter::WriteObjectTag(const std::string& className, uint16_t schema)
{
    auto known = m_classIndex.find(className);
    if (known == m_classIndex.end()) {
        if (className.empty() || className.size() > kMaxClassName || !IsPrintableAscii(className) ||
            m_nMapCount >= kMaxMapIndex)
            return 0;
        WriteUInt16(kNewClassTag);
        WriteUInt16(schema);
        WriteUInt16(static_cast<uint16_t>(className.size()));
        le::Writer(m_out).Bytes(className.data(), className.size());
        m_classIndex.emplace(className, m_nMapCount++);
    } else {
        if (m_nMapCount > kMaxMapIndex)
            return 0;
        const uint32_t index = known->second;
        if (index < kBigObjectTag) {
            WriteUInt16(static_cast<uint16_t>(kClassTag | index));
        } else {
            WriteUInt16(kBigObjectTag);
            WriteUInt32(kBigClassTag | index);
        }
    }
    ++m_nMapCount; // the object itself
    return 1;
}

void CArchiveWriter::WriteNullObject()
{
    WriteUInt16(kNullTag);
}

// ---------------------------------------------------------------------------

CArchiveReader::CArchiveReader(std::span<const uint8_t> data) : m_data(data)
{
}

int CArchiveReader::Fail(const std::string& text)
{
    if (!m_bFailed) {
        m_bFailed = true;
        m_strError = text;
    }
    return 0;
}

const uint8_t* CArchiveReader::Take(size_t n, const char* what)
{
    if (m_bFailed)
        return nullptr;
    if (n > GetRemaining()) {
        Fail(Format("%s needs %zu bytes but only %zu are left at offset %zu", what, n,
                    GetRemaining(), m_nPos));
        return nullptr;
    }
    const uint8_t* p = m_data.data() + m_nPos;
    m_nPos += n;
    return p;
}

int CArchiveReader::ReadUInt8(uint8_t& value)
{
    const uint8_t* p = Take(1, "uint8");
    return p ? (value = *p, 1) : 0;
}

int CArchiveReader::ReadUInt16(uint16_t& value)
{
    const uint8_t* p = Take(2, "uint16");
    return p ? (value = le::Get16(p), 1) : 0;
}

int CArchiveReader::ReadUInt32(uint32_t& value)
{
    const uint8_t* p = Take(4, "uint32");
    return p ? (value = le::Get32(p), 1) : 0;
}

int CArchiveReader::ReadInt32(int32_t& value)
{
    const uint8_t* p = Take(4, "int32");
    return p ? (value = le::GetI32(p), 1) : 0;
}

int CArchiveReader::ReadFloat(float& value)
{
    const uint8_t* p = Take(4, "float");
    return p ? (value = le::GetF32(p), 1) : 0;
}

int CArchiveReader::ReadDouble(double& value)
{
    const uint8_t* p = Take(8, "double");
    return p ? (value = le::GetF64(p), 1) : 0;
}

int CArchiveReader::ReadCount(uint32_t& count, size_t minBytesPerItem)
{
    const size_t at = m_nPos;
    const uint8_t* p = Take(2, "count");
    if (!p)
        return 0;
    uint32_t value = le::Get16(p);
    if (value == 0xFFFF) {
        p = Take(4, "32-bit count");
        if (!p)
            return 0;
        value = le::Get32(p);
    }
    if (minBytesPerItem > 0 && value > GetRemaining() / minBytesPerItem)
        return Fail(Format("count %u at offset %zu needs at least %zu bytes but only %zu are left",
                           value, at, static_cast<size_t>(value) * minBytesPerItem,
                           GetRemaining()));
    count = value;
    return 1;
}

// Mirrors the framework: a wide-string marker may only follow the first 0xFF,
// and after it the length starts over.
int CArchiveReader::ReadLength(uint64_t& length, bool& wide)
{
    wide = false;
    const uint8_t* p = Take(1, "string length");
    if (!p)
        return 0;
    if (*p < 0xFF) {
        length = *p;
        return 1;
    }
    if (!(p = Take(2, "string length")))
        return 0;
    uint16_t word = le::Get16(p);
    if (word == 0xFFFE) {
        wide = true;
        if (!(p = Take(1, "string length")))
            return 0;
        if (*p < 0xFF) {
            length = *p;
            return 1;
        }
        if (!(p = Take(2, "string length")))
            return 0;
        word = le::Get16(p);
    }
    if (word < 0xFFFF) {
        length = word;
        return 1;
    }
    if (!(p = Take(4, "string length")))
        return 0;
    const uint32_t dword = le::Get32(p);
    if (dword < 0xFFFFFFFFu) {
        length = dword;
        return 1;
    }
    if (!(p = Take(8, "string length")))
        return 0;
    length = le::Get64(p);
    return 1;
}

int CArchiveReader::ReadString(std::string& utf8Text)
{
    uint64_t length = 0;
    bool wide = false;
    if (!ReadLength(length, wide))
        return 0;
    const size_t unit = wide ? 2 : 1;
    if (length > GetRemaining() / unit) {
        const auto n = static_cast<unsigned long long>(length);
        if (wide && n <= ULLONG_MAX / 2)
            return Fail(Format("wide string length %llu (%llu bytes) exceeds the %zu bytes left at "
                               "offset %zu",
                               n, n * 2, GetRemaining(), m_nPos));
        return Fail(Format("%sstring length %llu exceeds the %zu bytes left at offset %zu",
                           wide ? "wide " : "", n, GetRemaining(), m_nPos));
    }
    const size_t count = static_cast<size_t>(length);
    const uint8_t* p = Take(count * unit, "string");
    if (!p)
        return 0;
    if (wide) {
        std::u16string units(count, u'\0');
        for (size_t i = 0; i < count; ++i)
            units[i] = le::Get16(p + 2 * i);
        utf8Text = utf8::FromUtf16(units);
    } else {
        utf8Text = utf8::From8Bit(std::string_view(reinterpret_cast<const char*>(p), count));
    }
    return 1;
}

int CArchiveReader::NextMapIndex(uint32_t& index)
{
    if (m_nMapCount > kMaxMapIndex)
        return Fail(Format("too many objects in the archive at offset %zu", m_nPos));
    index = m_nMapCount++;
    return 1;
}

int CArchiveReader::ReadNewClass(std::string* className, uint16_t* schema)
{
    const uint8_t* p = Take(4, "class schema and name length");
    if (!p)
        return 0;
    const uint16_t classSchema = le::Get16(p);
    const uint16_t nameLength = le::Get16(p + 2);
    if (nameLength > kMaxClassName)
        return Fail(Format("class name length %u at offset %zu is over the %zu characters allowed",
                           nameLength, m_nPos - 2, kMaxClassName));
    if (!(p = Take(nameLength, "class name")))
        return 0;
    std::string name =
        utf8::From8Bit(std::string_view(reinterpret_cast<const char*>(p), nameLength));
    uint32_t index = 0;
    if (!NextMapIndex(index))
        return 0;
    m_classes.push_back({index, name, classSchema});
    *className = std::move(name);
    *schema = classSchema;
    return 1;
}

int CArchiveReader::ReadClassReference(uint32_t index, size_t at, std::string* className,
                                       uint16_t* schema)
{
    auto found = std::lower_bound(m_classes.begin(), m_classes.end(), index,
                                  [](const ClassEntry& e, uint32_t i) { return e.index < i; });
    if (found == m_classes.end() || found->index != index)
        return Fail(
            Format("class index %u at offset %zu refers to no class read before", index, at));
    *className = found->name;
    *schema = found->schema;
    return 1;
}

int CArchiveReader::ReadObjectTag(std::string* className, uint16_t* schema, bool* isNull)
{
    std::string nameStore;
    uint16_t schemaStore = 0;
    className = className ? className : &nameStore;
    schema = schema ? schema : &schemaStore;

    const size_t at = m_nPos;
    const uint8_t* p = Take(2, "object tag");
    if (!p)
        return 0;
    const uint16_t tag = le::Get16(p);
    uint32_t fullTag = (static_cast<uint32_t>(tag & kClassTag) << 16) | (tag & 0x7FFFu);
    if (tag == kBigObjectTag) {
        if (!(p = Take(4, "32-bit object tag")))
            return 0;
        fullTag = le::Get32(p);
    }

    if (tag != kNewClassTag && !(fullTag & kBigClassTag)) {
        if (fullTag == kNullTag && isNull) {
            *isNull = true;
            className->clear();
            *schema = 0;
            return 1;
        }
        if (fullTag == kNullTag)
            return Fail(Format("null object at offset %zu where an object was expected", at));
        return Fail(
            Format("reference to earlier object %u at offset %zu is not supported", fullTag, at));
    }

    int ok = tag == kNewClassTag
                 ? ReadNewClass(className, schema)
                 : ReadClassReference(fullTag & ~kBigClassTag, at, className, schema);
    uint32_t objectIndex = 0;
    if (!ok || !NextMapIndex(objectIndex))
        return 0;
    if (isNull)
        *isNull = false;
    return 1;
}

int CArchiveReader::ExpectObjectTag(const std::string& className, uint16_t schema)
{
    const size_t at = m_nPos;
    std::string name;
    uint16_t foundSchema = 0;
    if (!ReadObjectTag(&name, &foundSchema))
        return 0;
    if (name != className || foundSchema != schema)
        return Fail(Format("expected an object of class %s schema %u at offset %zu, found %s "
                           "schema %u",
                           className.c_str(), schema, at, name.c_str(), foundSchema));
    return 1;
}

int CArchiveReader::ExpectEnd()
{
    if (m_bFailed)
        return 0;
    if (GetRemaining() != 0)
        return Fail(Format("%zu unexpected bytes after the end of the data at offset %zu",
                           GetRemaining(), m_nPos));
    return 1;
}

// ---------------------------------------------------------------------------

int ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                  size_t maxBytes)
{
    CFileDescriptor fd = CFileUtil::OpenForReading(path, error);
    if (!fd.IsOpen())
        return 0;
    struct stat st {};
    ::fstat(fd.Get(), &st);
    if (static_cast<uint64_t>(st.st_size) > maxBytes) {
        error = Format("\"%s\" holds %lld bytes, more than the %zu allowed", path.c_str(),
                       static_cast<long long>(st.st_size), maxBytes);
        return 0;
    }
    // The size is only a hint: the file may change while we read it, so read
    // to the end but never past the limit.
    std::vector<uint8_t> data;
    data.reserve(static_cast<size_t>(st.st_size));
    uint8_t block[8192];
    for (;;) {
        ssize_t n = ::read(fd.Get(), block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = Format("cannot read \"%s\": %s", path.c_str(), ErrnoText(errno).c_str());
            return 0;
        }
        if (n == 0)
            break;
        if (data.size() + static_cast<size_t>(n) > maxBytes) {
            error = Format("\"%s\" holds more than the %zu bytes allowed", path.c_str(), maxBytes);
            return 0;
        }
        data.insert(data.end(), block, block + n);
    }
    bytes = std::move(data);
    return 1;
}

int WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string& error)
{
    return CFileUtil::WriteFileDurably(path, bytes, error);
}
