#pragma once
// The GUI framework's object archive format, byte for byte. Every small ".cfg"
// settings file of the programs (the connection list, the limit file, the
// data settings) is such an archive, and files written by earlier
// installations must keep loading, so the layout below is fixed.
//
// All items are little-endian:
//
//   item            bytes
//   uint8           1
//   uint16          2
//   int32 / uint32  4
//   float / double  4 / 8, IEEE 754
//   count           uint16; when the count is 0xFFFF or more: 0xFFFF, then uint32
//   string, wide    0xFF, uint16 0xFFFE, length, then `length` UTF-16LE code units
//   string, 8-bit   length, then `length` bytes (read only; never written)
//   length          uint8 when < 255; else 0xFF, uint16 when < 0xFFFE;
//                   else 0xFF, uint16 0xFFFF, uint32 (0xFFFFFFFF: then uint64)
//   object tag      0x0000                      null object
//                   0xFFFF, uint16 schema, uint16 name length, ASCII name
//                                               first object of a class
//                   0x8000 | i                  object of the class at map index i
//                   0x7FFF, uint32 0x80000000 | i   the same when i >= 0x7FFF
//                   anything else               back-reference to an earlier object
//
// Classes and objects share one map of indexes starting at 1: a class seen for
// the first time takes the next index and every object then takes the one after.
// Two objects of one class are therefore tagged 0xFFFF... and then 0x8001.
//
// Strings are UTF-8 in memory. Invalid UTF-8 or unpaired UTF-16 surrogates
// become U+FFFD rather than failing, because a path with one damaged character
// is still more useful to the operator than none.

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace utf8 {

// UTF-8 to UTF-16 code units; each invalid sequence becomes one U+FFFD.
std::u16string ToUtf16(std::string_view text);
// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
std::string FromUtf16(std::u16string_view units);
bool IsValid(std::string_view text);
// Text of unknown 8-bit encoding: kept when it is valid UTF-8, else read as Latin-1.
std::string From8Bit(std::string_view bytes);

} // namespace utf8

class CArchiveWriter {
public:
    // Appends to out; out must outlive the writer.
    explicit CArchiveWriter(std::vector<uint8_t>& out);

    void WriteUInt8(uint8_t value);
    void WriteUInt16(uint16_t value);
    void WriteUInt32(uint32_t value);
    void WriteInt32(int32_t value);
    void WriteFloat(float value);
    void WriteDouble(double value);
    void WriteCount(uint32_t count);
    // Always the wide form, as the Monitor's files have it.
    void WriteString(const std::string& utf8Text);

    // Tag for a new object of className: the full class tag the first time,
    // a class reference afterwards. Returns 0 (writing nothing) when the name
    // is empty, longer than 63 characters or not printable ASCII, or when the
    // map is full.
    int WriteObjectTag(const std::string& className, uint16_t schema);
    void WriteNullObject();

private:
    void WriteLength(uint64_t length);

    std::vector<uint8_t>& m_out;
    std::map<std::string, uint32_t> m_classIndex;
    uint32_t m_nMapCount = 1;
};

class CArchiveReader {
public:
    // Reads from data, which must outlive the reader (a vector converts).
    explicit CArchiveReader(std::span<const uint8_t> data);

    // Every read returns 1 and fills its argument, or 0 when the bytes are not
    // there or make no sense; the first failure is kept in GetError() and every
    // later read fails too, so a record reader may check once at its end.
    int ReadUInt8(uint8_t& value);
    int ReadUInt16(uint16_t& value);
    int ReadUInt32(uint32_t& value);
    int ReadInt32(int32_t& value);
    int ReadFloat(float& value);
    int ReadDouble(double& value);
    // With minBytesPerItem > 0 a count whose items could not fit in the bytes
    // left fails here, before the caller reserves anything for it.
    int ReadCount(uint32_t& count, size_t minBytesPerItem = 0);
    // Accepts the wide and the 8-bit form.
    int ReadString(std::string& utf8Text);

    // Reads an object tag and yields its class. A null tag succeeds with
    // *isNull = true when isNull is given, else it fails. Back-references to
    // earlier objects are not supported by any of our files and fail.
    int ReadObjectTag(std::string* className, uint16_t* schema, bool* isNull = nullptr);
    // An object tag of exactly this class and schema (as the framework insists on loading).
    int ExpectObjectTag(const std::string& className, uint16_t schema);
    // Fails when bytes are left over: a record that does not fill its file is damaged.
    int ExpectEnd();
    // Lets a record reader fail with its own reason (a value out of range); returns 0.
    int Fail(const std::string& text);

    bool Ok() const { return !m_bFailed; }
    const std::string& GetError() const { return m_strError; }
    size_t GetPosition() const { return m_nPos; }
    size_t GetRemaining() const { return m_data.size() - m_nPos; }

private:
    // Pointer to the next n bytes (and moves past them), or nullptr after
    // recording why `what` could not be read.
    const uint8_t* Take(size_t n, const char* what);
    int ReadLength(uint64_t& length, bool& wide);
    int ReadClassReference(uint32_t index, size_t at, std::string* className, uint16_t* schema);
    int ReadNewClass(std::string* className, uint16_t* schema);
    int NextMapIndex(uint32_t& index);

    struct ClassEntry {
        uint32_t index;
        std::string name;
        uint16_t schema;
    };

    std::span<const uint8_t> m_data;
    size_t m_nPos = 0;
    bool m_bFailed = false;
    std::string m_strError;
    // Only classes are kept (in index order); objects just use up indexes, so
    // a hostile run of object tags costs no memory.
    std::vector<ClassEntry> m_classes;
    uint32_t m_nMapCount = 1;
};

// Settings files are small; anything larger is not one of ours.
inline constexpr size_t kMaxSettingsFileBytes = 16u * 1024u * 1024u;

// Reads the whole regular file at path. Returns 1, or 0 with a reason in error
// when it cannot be read or holds more than maxBytes.
int ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error,
                  size_t maxBytes = kMaxSettingsFileBytes);
// Replaces the file at path with bytes through a temporary file in the same
// folder that is flushed to disk and renamed over it, so that a crash leaves
// either the old or the new file, never half of one. Returns 1, or 0 with a reason.
int WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes, std::string& error);
