#include "Archive.h"

#include "SettingsTestSupport.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Ascii(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// Wide string as the framework stores it, spelled out independently of the writer.
Bytes WideShort(const std::string& ascii)
{
    Bytes out{0xFF, 0xFE, 0xFF, static_cast<uint8_t>(ascii.size())};
    for (char c : ascii) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

TEST(ArchiveTest, ConnectionListHasTheFrameworkBytes)
{
    Bytes written;
    CArchiveWriter archive(written);
    archive.WriteCount(2);
    for (const char* name : {"GC1", "GC2"}) {
        ASSERT_EQ(archive.WriteObjectTag("CDeviceConnection", 1), 1);
        archive.WriteString(name[2] == '1' ? "1" : "2");
        archive.WriteString(name);
        archive.WriteString("");
    }

    const Bytes expected = Concat({{0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x11, 0x00},
                                   Ascii("CDeviceConnection"),
                                   WideShort("1"),
                                   WideShort("GC1"),
                                   WideShort(""),
                                   {0x01, 0x80},
                                   WideShort("2"),
                                   WideShort("GC2"),
                                   WideShort("")});
    EXPECT_EQ(written, expected);

    CArchiveReader reader(expected);
    uint32_t count = 0;
    ASSERT_EQ(reader.ReadCount(count, 2), 1);
    ASSERT_EQ(count, 2u);
    for (const char* name : {"GC1", "GC2"}) {
        std::string port, instrument, third;
        ASSERT_EQ(reader.ExpectObjectTag("CDeviceConnection", 1), 1) << reader.GetError();
        ASSERT_EQ(reader.ReadString(port) && reader.ReadString(instrument) &&
                      reader.ReadString(third),
                  1);
        EXPECT_EQ(instrument, name);
        EXPECT_EQ(third, "");
    }
    EXPECT_EQ(reader.ExpectEnd(), 1);
}

struct LengthCase {
    size_t length;
    Bytes header; // after the wide-string marker FF FE FF... i.e. the full prefix
};

class ArchiveStringLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ArchiveStringLengthTest, UsesTheShortestLengthFormAndReadsBack)
{
    const LengthCase& c = GetParam();
    const std::string text(c.length, 'q');
    Bytes written;
    CArchiveWriter(written).WriteString(text);

    ASSERT_EQ(written.size(), c.header.size() + 2 * c.length);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + c.header.size()), c.header);

    CArchiveReader reader(written);
    std::string read;
    ASSERT_EQ(reader.ReadString(read), 1) << reader.GetError();
    EXPECT_EQ(read, text);
    EXPECT_EQ(reader.ExpectEnd(), 1);
}

INSTANTIATE_TEST_SUITE_P(ArchiveStringLengths, ArchiveStringLengthTest,
                         ::testing::Values(LengthCase{0, {0xFF, 0xFE, 0xFF, 0x00}},
                                           LengthCase{254, {0xFF, 0xFE, 0xFF, 0xFE}},
                                           LengthCase{255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
                                           LengthCase{0xFFFD, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
                                           LengthCase{0xFFFE,
                                                      {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE,
                                                       0xFF, 0x00, 0x00}}),
                         [](const auto& info) {
                             return testsupport::CaseName("Length", static_cast<long long>(info.param.length));
                         });

struct EightBitCase {
    const char* name;
    Bytes bytes;
    std::string expected;
};

class ArchiveEightBitStringTest : public ::testing::TestWithParam<EightBitCase> {};

TEST_P(ArchiveEightBitStringTest, IsAcceptedOnReading)
{
    CArchiveReader reader(GetParam().bytes);
    std::string read;
    ASSERT_EQ(reader.ReadString(read), 1) << reader.GetError();
    EXPECT_EQ(read, GetParam().expected);
    EXPECT_EQ(reader.ExpectEnd(), 1);
}

Bytes EightBitLong(size_t length, Bytes prefix)
{
    Bytes out = std::move(prefix);
    out.insert(out.end(), length, 'z');
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    ArchiveEightBitForms, ArchiveEightBitStringTest,
    ::testing::Values(EightBitCase{"Ascii", {0x03, 'a', 'b', 'c'}, "abc"},
                      EightBitCase{"Empty", {0x00}, ""},
                      EightBitCase{"Latin1",
                                   {0x03, 'P', 0xE9, 'e'},
                                   "P\xC3\xA9"
                                   "e"},
                      EightBitCase{"ValidUtf8Kept", {0x02, 0xC3, 0xA9}, "\xC3\xA9"},
                      EightBitCase{"SixteenBitLength", EightBitLong(300, {0xFF, 0x2C, 0x01}),
                                   std::string(300, 'z')},
                      EightBitCase{
                          "ThirtyTwoBitLength",
                          EightBitLong(0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}),
                          std::string(0x10000, 'z')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArchiveTest, NonAsciiTextSurvivesAsUtf16WithSurrogatePairs)
{
    // German umlaut, micro sign, CJK and an emoji outside the basic plane.
    const std::string text = "S\xC3\xA4ule \xC2\xB5 \xE6\x97\xA5 \xF0\x9F\x98\x80";
    Bytes written;
    CArchiveWriter(written).WriteString(text);

    // 11 code points, the emoji as two units: 12 units in all.
    ASSERT_EQ(written[3], 12);
    const Bytes emoji(written.end() - 4, written.end());
    EXPECT_EQ(emoji, (Bytes{0x3D, 0xD8, 0x00, 0xDE}));

    CArchiveReader reader(written);
    std::string read;
    ASSERT_EQ(reader.ReadString(read), 1);
    EXPECT_EQ(read, text);
}

struct CodecCase {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

class ArchiveInvalidUtf8Test : public ::testing::TestWithParam<CodecCase> {};

TEST_P(ArchiveInvalidUtf8Test, BecomesReplacementCharacters)
{
    EXPECT_EQ(utf8::ToUtf16(GetParam().utf8), GetParam().utf16);
    EXPECT_FALSE(utf8::IsValid(GetParam().utf8));
}

INSTANTIATE_TEST_SUITE_P(
    ArchiveInvalidSequences, ArchiveInvalidUtf8Test,
    ::testing::Values(CodecCase{"Overlong",
                                "a\xC0\xAF"
                                "b",
                                u"a\uFFFD\uFFFDb"},
                      CodecCase{"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                      CodecCase{"TruncatedAtEnd", "x\xE2\x82", u"x\uFFFD"},
                      CodecCase{"TruncatedBeforeAscii",
                                "\xF0\x9F\x98"
                                "A",
                                u"\uFFFDA"},
                      CodecCase{"BeyondUnicode", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                      CodecCase{"LoneContinuation", "\x80", u"\uFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArchiveTest, UnpairedSurrogatesReadAsReplacementCharacters)
{
    EXPECT_EQ(utf8::FromUtf16(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(utf8::FromUtf16(std::u16string{u'x', 0xDC00}), "x\xEF\xBF\xBD");
    EXPECT_EQ(utf8::FromUtf16(std::u16string{0xDBFF}), "\xEF\xBF\xBD");

    const Bytes loneLow{0xFF, 0xFE, 0xFF, 0x01, 0x00, 0xDC};
    CArchiveReader reader(loneLow);
    std::string read;
    ASSERT_EQ(reader.ReadString(read), 1);
    EXPECT_EQ(read, "\xEF\xBF\xBD");
}

struct CountCase {
    uint32_t count;
    Bytes bytes;
};

class ArchiveCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(ArchiveCountTest, SwitchesToThirtyTwoBitsAtFFFF)
{
    Bytes written;
    CArchiveWriter(written).WriteCount(GetParam().count);
    EXPECT_EQ(written, GetParam().bytes);
    CArchiveReader reader(written);
    uint32_t count = 0;
    ASSERT_EQ(reader.ReadCount(count), 1);
    EXPECT_EQ(count, GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    ArchiveCounts, ArchiveCountTest,
    ::testing::Values(CountCase{0, {0x00, 0x00}}, CountCase{0xFFFE, {0xFE, 0xFF}},
                      CountCase{0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
                      CountCase{0x12345678, {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}}),
    [](const auto& info) { return testsupport::CaseName("Count", info.param.count); });

TEST(ArchiveTest, ClassIndexesBeyond7FFEUseTheBigTag)
{
    // Each new class takes two map indexes (class, object); class k sits at 1 + 2k,
    // so class 16383 is the first at index 0x7FFF.
    Bytes written;
    CArchiveWriter archive(written);
    for (int k = 0; k < 16384; ++k)
        ASSERT_EQ(archive.WriteObjectTag("C" + std::to_string(k), 1), 1);
    const size_t before = written.size();
    ASSERT_EQ(archive.WriteObjectTag("C16383", 1), 1);
    ASSERT_EQ(archive.WriteObjectTag("C0", 1), 1);
    EXPECT_EQ(Bytes(written.begin() + before, written.end()),
              (Bytes{0xFF, 0x7F, 0xFF, 0x7F, 0x00, 0x80, 0x01, 0x80}));

    CArchiveReader reader(written);
    std::string name;
    uint16_t schema = 0;
    for (int k = 0; k < 16384; ++k)
        ASSERT_EQ(reader.ReadObjectTag(&name, &schema), 1);
    ASSERT_EQ(reader.ReadObjectTag(&name, &schema), 1) << reader.GetError();
    EXPECT_EQ(name, "C16383");
    ASSERT_EQ(reader.ReadObjectTag(&name, &schema), 1);
    EXPECT_EQ(name, "C0");
    EXPECT_EQ(reader.ExpectEnd(), 1);
}

TEST(ArchiveTest, NullObjectIsReadOnlyWhereTheCallerAllowsIt)
{
    Bytes written;
    CArchiveWriter(written).WriteNullObject();
    ASSERT_EQ(written, (Bytes{0x00, 0x00}));

    CArchiveReader allowing(written);
    bool isNull = false;
    std::string name = "stale";
    EXPECT_EQ(allowing.ReadObjectTag(&name, nullptr, &isNull), 1);
    EXPECT_TRUE(isNull);
    EXPECT_EQ(name, "");

    CArchiveReader expecting(written);
    EXPECT_EQ(expecting.ReadObjectTag(&name, nullptr), 0);
    EXPECT_EQ(expecting.GetError(), "null object at offset 0 where an object was expected");
}

TEST(ArchiveTest, WriterRefusesClassNamesTheFormatCannotHold)
{
    Bytes written;
    CArchiveWriter archive(written);
    EXPECT_EQ(archive.WriteObjectTag("", 1), 0);
    EXPECT_EQ(archive.WriteObjectTag(std::string(64, 'C'), 1), 0);
    EXPECT_EQ(archive.WriteObjectTag("C\xC3\xA4", 1), 0);
    EXPECT_TRUE(written.empty());
    // A refused name must not use up a map index.
    ASSERT_EQ(archive.WriteObjectTag(std::string(63, 'C'), 2), 1);
    ASSERT_EQ(archive.WriteObjectTag(std::string(63, 'C'), 2), 1);
    EXPECT_EQ(Bytes(written.end() - 2, written.end()), (Bytes{0x01, 0x80}));
}

struct HostileCase {
    const char* name;
    Bytes bytes;
    std::string error;
};

class ArchiveHostileInputTest : public ::testing::TestWithParam<HostileCase> {};

// Reads the bytes the way a connection list would: a count, then tagged
// objects with three strings each.
int ReadLikeAConnectionList(CArchiveReader& reader)
{
    uint32_t count = 0;
    if (!reader.ReadCount(count, 2))
        return 0;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name, text;
        uint16_t schema = 0;
        if (!reader.ReadObjectTag(&name, &schema))
            return 0;
        for (int s = 0; s < 3; ++s)
            if (!reader.ReadString(text))
                return 0;
    }
    return reader.ExpectEnd();
}

TEST_P(ArchiveHostileInputTest, FailsWithAClearText)
{
    CArchiveReader reader(GetParam().bytes);
    EXPECT_EQ(ReadLikeAConnectionList(reader), 0);
    EXPECT_FALSE(reader.Ok());
    EXPECT_EQ(reader.GetError(), GetParam().error);
    // The first failure sticks.
    uint8_t byte = 0;
    EXPECT_EQ(reader.ReadUInt8(byte), 0);
    EXPECT_EQ(reader.GetError(), GetParam().error);
}

const Bytes kNewClass = Concat({{0xFF, 0xFF, 0x01, 0x00, 0x01, 0x00}, Ascii("C")});

INSTANTIATE_TEST_SUITE_P(
    ArchiveHostileInputs, ArchiveHostileInputTest,
    ::testing::Values(
        HostileCase{"Empty", {}, "count needs 2 bytes but only 0 are left at offset 0"},
        HostileCase{"CountBeyondData",
                    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x80},
                    "count 2147483647 at offset 0 needs at least 4294967294 bytes but only 2 "
                    "are left"},
        HostileCase{"TruncatedClassTag",
                    {0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00},
                    "class schema and name length needs 4 bytes but only 2 are left at offset 4"},
        HostileCase{"ClassNameTooLong",
                    {0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x40, 0x00},
                    "class name length 64 at offset 6 is over the 63 characters allowed"},
        HostileCase{"UnknownClassIndex",
                    {0x01, 0x00, 0x05, 0x80},
                    "class index 5 at offset 2 refers to no class read before"},
        HostileCase{"ClassIndexOfAnObject",
                    Concat({{0x02, 0x00}, kNewClass, Bytes(3, 0x00), {0x02, 0x80}}),
                    "class index 2 at offset 12 refers to no class read before"},
        HostileCase{"ObjectBackReference",
                    {0x01, 0x00, 0x02, 0x00},
                    "reference to earlier object 2 at offset 2 is not supported"},
        HostileCase{"BigObjectBackReference",
                    {0x01, 0x00, 0xFF, 0x7F, 0x09, 0x00, 0x01, 0x00},
                    "reference to earlier object 65545 at offset 2 is not supported"},
        HostileCase{"TruncatedBigTag",
                    {0x01, 0x00, 0xFF, 0x7F, 0x00},
                    "32-bit object tag needs 4 bytes but only 1 are left at offset 4"},
        HostileCase{
            "WideStringLongerThanData",
            Concat({{0x01, 0x00},
                    kNewClass,
                    {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00},
                    Bytes(12, 0x41)}),
            "wide string length 70000 (140000 bytes) exceeds the 12 bytes left at offset 19"},
        HostileCase{"EightBitSixtyFourBitLength",
                    Concat({{0x01, 0x00}, kNewClass, {0xFF, 0xFF, 0xFF}, Bytes(12, 0xFF)}),
                    "string length 18446744073709551615 exceeds the 0 bytes left at offset 24"},
        HostileCase{"OddWideString",
                    Concat({{0x01, 0x00}, kNewClass, {0xFF, 0xFE, 0xFF, 0x02, 0x41, 0x00, 0x42}}),
                    "wide string length 2 (4 bytes) exceeds the 3 bytes left at offset 13"},
        HostileCase{"TrailingBytes", Concat({{0x01, 0x00}, kNewClass, {0x00, 0x00, 0x00, 0xEE}}),
                    "1 unexpected bytes after the end of the data at offset 12"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArchiveTest, ExpectObjectTagNamesWhatItFound)
{
    Bytes written;
    CArchiveWriter(written).WriteObjectTag("CDeviceConnection", 2);
    CArchiveReader reader(written);
    EXPECT_EQ(reader.ExpectObjectTag("CDeviceConnection", 1), 0);
    EXPECT_EQ(reader.GetError(), "expected an object of class CDeviceConnection schema 1 at "
                                 "offset 0, found CDeviceConnection schema 2");
}

class ArchiveFileTest : public ::testing::Test {
protected:
    settings_test::CTempDir m_dir;
};

TEST_F(ArchiveFileTest, WriteReplacesTheFileAndLeavesNoTemporaryBehind)
{
    const std::string path = m_dir.File("GeneralSettings.cfg");
    std::string error;
    ASSERT_EQ(WriteFileBytes(path, Bytes{1, 2, 3}, error), 1) << error;
    ::chmod(path.c_str(), 0600);
    ASSERT_EQ(WriteFileBytes(path, Bytes{4, 5}, error), 1) << error;

    Bytes read;
    ASSERT_EQ(ReadFileBytes(path, read, error), 1) << error;
    EXPECT_EQ(read, (Bytes{4, 5}));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST_F(ArchiveFileTest, FailuresSayWhatWentWrong)
{
    std::string error;
    Bytes read{9};
    EXPECT_EQ(ReadFileBytes(m_dir.File("missing.cfg"), read, error), 0);
    EXPECT_EQ(error,
              "cannot open \"" + m_dir.File("missing.cfg") + "\": No such file or directory");
    EXPECT_EQ(read, Bytes{9});

    EXPECT_EQ(ReadFileBytes(m_dir.Path(), read, error), 0);
    EXPECT_EQ(error, "\"" + m_dir.Path().string() + "\" is a folder, not a file");

    ASSERT_EQ(WriteFileBytes(m_dir.File("big.cfg"), Bytes(11, 0), error), 1);
    EXPECT_EQ(ReadFileBytes(m_dir.File("big.cfg"), read, error, 10), 0);
    EXPECT_EQ(error, "\"" + m_dir.File("big.cfg") + "\" holds 11 bytes, more than the 10 allowed");

    EXPECT_EQ(WriteFileBytes(m_dir.File("no/such/folder.cfg"), Bytes{1}, error), 0);
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

} // namespace
