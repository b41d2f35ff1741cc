// The workstation's instrument list "GeneralSettings.cfg": its bytes worked
// out by hand, the forms of strings and counts it may hold, damaged files,
// and the Launcher's edits through the handler.

#include "GeneralPCSettingsHandler.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sys/stat.h>

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, const Bytes& part)
{
    out.insert(out.end(), part.begin(), part.end());
}

Bytes Ascii(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

Bytes Wide(const std::string& ascii)
{
    Bytes out{0xFF, 0xFE, 0xFF, static_cast<uint8_t>(ascii.size())};
    for (char c : ascii) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

Bytes Narrow(const std::string& text)
{
    Bytes out{static_cast<uint8_t>(text.size())};
    Append(out, Ascii(text));
    return out;
}

const Bytes kClassTag = [] {
    Bytes tag{0xFF, 0xFF, 0x01, 0x00, 0x11, 0x00};
    Append(tag, Ascii("CDeviceConnection"));
    return tag;
}();
const Bytes kClassReference{0x01, 0x80};

Bytes TwoInstruments()
{
    Bytes bytes{0x02, 0x00};
    Append(bytes, kClassTag);
    for (const Bytes& s : {Wide("3"), Wide("GC Lab 1"), Wide("")})
        Append(bytes, s);
    Append(bytes, kClassReference);
    for (const Bytes& s : {Wide("8"), Wide("Line B"), Wide("")})
        Append(bytes, s);
    return bytes;
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(ConnectionListTest, WritesTheFrameworkBytes)
{
    CGeneralPCSettings list;
    list.Add({"3", "GC Lab 1"});
    list.Add({"8", "Line B"});
    EXPECT_EQ(list.ToBytes(), TwoInstruments());
}

TEST(ConnectionListTest, ReadsWideAndEightBitStrings)
{
    Bytes bytes{0x02, 0x00};
    Append(bytes, kClassTag);
    for (const Bytes& s : {Narrow("3"), Narrow("GC Lab 1"), Narrow("")})
        Append(bytes, s);
    Append(bytes, kClassReference);
    // A name in the old 8-bit code page: "Gerät" with 0xE4.
    Bytes name{0x05, 'G', 'e', 'r', 0xE4, 't'};
    for (const Bytes& s : {Wide("8"), name, Narrow("")})
        Append(bytes, s);

    CGeneralPCSettings list;
    std::string msg;
    ASSERT_EQ(list.FromBytes(bytes, msg), 1) << msg;
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0), CDeviceConnection("3", "GC Lab 1"));
    EXPECT_EQ(list.GetAt(1).GetName(), "Ger\xC3\xA4t");
    EXPECT_EQ(list.GetAt(1).GetPortNumber(), 8);
}

TEST(ConnectionListTest, ALongNameUsesTheSixteenBitLength)
{
    const std::string name(300, 'x');
    CGeneralPCSettings list;
    list.Add({"1", name});
    Bytes expected{0x01, 0x00};
    Append(expected, kClassTag);
    Append(expected, Wide("1"));
    Append(expected, {0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}); // 300 units
    for (char c : name)
        Append(expected, {static_cast<uint8_t>(c), 0});
    Append(expected, Wide(""));
    EXPECT_EQ(list.ToBytes(), expected);
}

TEST(ConnectionListTest, SixtyFiveThousandFiveHundredThirtyFiveEntriesTakeTheLongCount)
{
    constexpr uint32_t kCount = 65535;
    Bytes expected{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
    CGeneralPCSettings list;
    for (uint32_t i = 0; i < kCount; ++i) {
        list.Add({"1", "A"});
        Append(expected, i == 0 ? kClassTag : kClassReference);
        Append(expected, Wide("1"));
        Append(expected, Wide("A"));
        Append(expected, Wide(""));
    }
    const Bytes written = list.ToBytes();
    ASSERT_EQ(written, expected);

    CGeneralPCSettings read;
    std::string msg;
    ASSERT_EQ(read.FromBytes(written, msg), 1) << msg;
    EXPECT_EQ(read.GetCount(), static_cast<int>(kCount));
}

TEST(ConnectionListTest, AnEmptyListIsTwoZeroBytes)
{
    EXPECT_EQ(CGeneralPCSettings().ToBytes(), (Bytes{0x00, 0x00}));
    EXPECT_TRUE(CGeneralPCSettings::LooksLike(Bytes{0x00, 0x00}));
    EXPECT_TRUE(CGeneralPCSettings::LooksLike(TwoInstruments()));
    EXPECT_FALSE(CGeneralPCSettings::LooksLike(Bytes{0x01, 0x00, 0x00, 0x00}));
}

struct DamagedList {
    const char* name;
    Bytes bytes;
};

class ConnectionListDamaged : public testing::TestWithParam<DamagedList> {};

TEST_P(ConnectionListDamaged, FailsAndKeepsTheList)
{
    CGeneralPCSettings list;
    list.Add({"1", "Kept"});
    std::string msg;
    EXPECT_EQ(list.FromBytes(GetParam().bytes, msg), 0);
    EXPECT_FALSE(msg.empty());
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0).GetName(), "Kept");
}

Bytes Cut(Bytes bytes, size_t drop)
{
    bytes.resize(bytes.size() - drop);
    return bytes;
}

Bytes WithTrailingByte()
{
    Bytes bytes = TwoInstruments();
    bytes.push_back(0);
    return bytes;
}

Bytes OfAnotherClass()
{
    Bytes bytes{0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00};
    Append(bytes, Ascii("CDataSettings"));
    for (const Bytes& s : {Wide("1"), Wide("A"), Wide("")})
        Append(bytes, s);
    return bytes;
}

Bytes CountBeyondTheFile()
{
    Bytes bytes = TwoInstruments();
    bytes[0] = 0xFE;
    bytes[1] = 0xFF;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConnectionListDamaged,
    testing::Values(DamagedList{"Empty", {}}, DamagedList{"HalfACount", {0x02}},
                    DamagedList{"CutInTheLastString", Cut(TwoInstruments(), 1)},
                    DamagedList{"TrailingByte", WithTrailingByte()},
                    DamagedList{"AnotherClass", OfAnotherClass()},
                    DamagedList{"CountBeyondTheFile", CountBeyondTheFile()},
                    DamagedList{"ReferenceBeforeAnyClass",
                                {0x01, 0x00, 0x01, 0x80, 0x00, 0x00, 0x00}}),
    [](const testing::TestParamInfo<DamagedList>& info) { return std::string(info.param.name); });

TEST(ConnectionListTest, NamesAreComparedTrimmedAndWithoutCase)
{
    const CDeviceConnection connection("5", "  GC Lab 1 ");
    EXPECT_TRUE(connection.IsNamed("gc lab 1"));
    EXPECT_TRUE(connection.IsNamed("GC LAB 1  "));
    EXPECT_FALSE(connection.IsNamed("GC Lab 2"));
    EXPECT_EQ(connection.GetTrimmedName(), "GC Lab 1");
    EXPECT_EQ(CDeviceConnection("12", "x").GetPortNumber(), 12);
    EXPECT_EQ(CDeviceConnection(" 7a", "x").GetPortNumber(), 7);
    EXPECT_EQ(CDeviceConnection("COM3", "x").GetPortNumber(), 0);
    EXPECT_EQ(CDeviceConnection("99999999999", "x").GetPortNumber(), 0);
}

class ConnectionListFile : public testing::Test {
protected:
    TempDir m_dir;
    std::string m_path = m_dir.File("GeneralSettings.cfg");
    CGeneralPCSettingsHandler m_handler{m_path};
};

TEST_F(ConnectionListFile, AMissingFileIsNotFoundAndAddFails)
{
    CGeneralPCSettings list;
    std::string msg;
    EXPECT_EQ(m_handler.Read(list, msg), 0);
    EXPECT_NE(msg.find("not found"), std::string::npos) << msg;
    EXPECT_EQ(m_handler.Add({"1", "GC1"}, msg), 0);
    EXPECT_FALSE(std::ifstream(m_path).good());
}

TEST_F(ConnectionListFile, AddModifyAndDeleteEditTheFile)
{
    WriteFile(m_path, TwoInstruments());
    std::string msg;
    ASSERT_EQ(m_handler.Add({"2", "gc lab 1"}, msg), 1) << msg;
    ASSERT_EQ(m_handler.Modify("LINE B", {"4", "Line B"}, msg), 1) << msg;

    CDeviceConnection found;
    ASSERT_EQ(m_handler.Find(" line b", found, msg), 1) << msg;
    EXPECT_EQ(found.GetPort(), "4");
    EXPECT_EQ(m_handler.Modify("Nowhere", {"1", "Nowhere"}, msg), 0);

    // Deleting a name removes it in every spelling.
    ASSERT_EQ(m_handler.Delete("GC LAB 1", msg), 1) << msg;
    CGeneralPCSettings list;
    ASSERT_EQ(m_handler.Read(list, msg), 1) << msg;
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0), CDeviceConnection("4", "Line B"));

    ASSERT_EQ(m_handler.Delete("Line B", msg), 1) << msg;
    EXPECT_EQ(ReadFile(m_path), (Bytes{0x00, 0x00}));
}

TEST_F(ConnectionListFile, ADamagedFileIsNeitherReadNorOverwritten)
{
    const Bytes damaged = Cut(TwoInstruments(), 3);
    WriteFile(m_path, damaged);
    std::string msg;
    EXPECT_EQ(m_handler.Add({"1", "GC1"}, msg), 0);
    EXPECT_FALSE(msg.empty());
    EXPECT_EQ(ReadFile(m_path), damaged);
}

TEST_F(ConnectionListFile, AFileThatCannotBeOpenedIsAnEmptyList)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens every file";
    WriteFile(m_path, TwoInstruments());
    ::chmod(m_path.c_str(), 0);
    CGeneralPCSettings list;
    list.Add({"1", "Stale"});
    std::string msg;
    EXPECT_EQ(m_handler.Read(list, msg), 1) << msg;
    EXPECT_EQ(list.GetCount(), 0);
}

// ---------------------------------------------------------------------------
// Lists written by CGeneralPCSettings read back by a decoder written from the
// file's table alone (it shares nothing with the archive classes): counts of
// 0, one, many and 65535 and more, string lengths on both sides of each
// length form, and 8-bit strings as older files hold them.

namespace {

struct DecodedList {
    std::vector<std::array<std::u16string, 3>> entries;
    bool ok = false;
    std::string error;
};

class CTableDecoder {
public:
    explicit CTableDecoder(const Bytes& bytes) : m_bytes(bytes) {}

    DecodedList Decode()
    {
        DecodedList out;
        uint32_t count = U16();
        if (count == 0xFFFF)
            count = U32();
        for (uint32_t i = 0; i < count && m_error.empty(); ++i) {
            if (i == 0) {
                Expect(U16() == 0xFFFF, "class tag");
                Expect(U16() == 1, "schema");
                Expect(U16() == 17, "class name length");
                std::string name;
                for (int c = 0; c < 17; ++c)
                    name += static_cast<char>(U8());
                Expect(name == "CDeviceConnection", "class name");
            } else {
                Expect(U16() == 0x8001, "class reference");
            }
            std::array<std::u16string, 3> entry;
            for (std::u16string& s : entry)
                s = String();
            out.entries.push_back(std::move(entry));
        }
        Expect(m_pos == m_bytes.size(), "end of file");
        out.ok = m_error.empty();
        out.error = m_error;
        return out;
    }

private:
    uint8_t U8()
    {
        if (m_pos >= m_bytes.size()) {
            Expect(false, "a byte past the end");
            return 0;
        }
        return m_bytes[m_pos++];
    }
    uint16_t U16()
    {
        const uint16_t lo = U8();
        return static_cast<uint16_t>(lo | (U8() << 8));
    }
    uint32_t U32()
    {
        const uint32_t lo = U16();
        return lo | (static_cast<uint32_t>(U16()) << 16);
    }
    // Length: one byte below 255; else 0xFF and a 16-bit length below
    // 0xFFFE; else 0xFF, 0xFFFF and a 32-bit length.
    uint32_t Length(uint8_t first)
    {
        if (first < 0xFF)
            return first;
        const uint16_t word = U16();
        return word < 0xFFFF ? word : U32();
    }
    std::u16string String()
    {
        const uint8_t first = U8();
        bool wide = false;
        uint32_t length = 0;
        if (first == 0xFF) {
            const uint16_t word = U16();
            if (word == 0xFFFE) {
                wide = true;
                length = Length(U8());
            } else {
                length = word < 0xFFFF ? word : U32();
            }
        } else {
            length = first;
        }
        std::u16string text;
        for (uint32_t i = 0; i < length && m_error.empty(); ++i)
            text += wide ? static_cast<char16_t>(U16()) : static_cast<char16_t>(U8());
        return text;
    }
    void Expect(bool holds, const char* what)
    {
        if (!holds && m_error.empty())
            m_error = std::string(what) + " at byte " + std::to_string(m_pos);
    }

    const Bytes& m_bytes;
    size_t m_pos = 0;
    std::string m_error;
};

std::u16string Units(size_t count, char16_t unit)
{
    return std::u16string(count, unit);
}

std::string Utf8Of(size_t count, char c)
{
    return std::string(count, c);
}

} // namespace

TEST(ConnectionListDecoded, NoOneAndManyConnections)
{
    const struct {
        const char* what;
        std::vector<CDeviceConnection> list;
        std::vector<std::array<std::u16string, 3>> expected;
    } cases[] = {
        {"none", {}, {}},
        {"one", {{"3", "GC Lab 1"}}, {{u"3", u"GC Lab 1", u""}}},
        {"several, non-ASCII and a kept third string",
         {{"1", "A"}, {"8", "Gerät Süd"}, {"4", "x", "kept"}, {"2", "€ 𝄞"}},
         {{u"1", u"A", u""},
          {u"8", u"Ger\u00e4t S\u00fcd", u""},
          {u"4", u"x", u"kept"},
          {u"2", u"\u20ac \U0001D11E", u""}}},
    };
    for (const auto& c : cases) {
        CGeneralPCSettings list;
        for (const CDeviceConnection& connection : c.list)
            list.Add(connection);
        const Bytes bytes = list.ToBytes();
        const DecodedList decoded = CTableDecoder(bytes).Decode();
        ASSERT_TRUE(decoded.ok) << c.what << ": " << decoded.error;
        EXPECT_EQ(decoded.entries, c.expected) << c.what;
    }
}

TEST(ConnectionListDecoded, StringLengthsOnBothSidesOfEachForm)
{
    // 254: one byte; 255 and 0xFFFD: 0xFF and 16 bits; 0xFFFE on: 0xFF, 0xFFFF and 32 bits.
    for (size_t length : {0u, 1u, 254u, 255u, 256u, 0xFFFDu, 0xFFFEu, 0xFFFFu, 70000u}) {
        CGeneralPCSettings list;
        list.Add({"1", Utf8Of(length, 'n'), Utf8Of(length / 2, 't')});
        const Bytes bytes = list.ToBytes();
        const DecodedList decoded = CTableDecoder(bytes).Decode();
        ASSERT_TRUE(decoded.ok) << length << ": " << decoded.error;
        ASSERT_EQ(decoded.entries.size(), 1u);
        EXPECT_EQ(decoded.entries[0][1], Units(length, u'n')) << length;
        EXPECT_EQ(decoded.entries[0][2], Units(length / 2, u't')) << length;

        CGeneralPCSettings read;
        std::string msg;
        ASSERT_EQ(read.FromBytes(bytes, msg), 1) << length << ": " << msg;
        EXPECT_EQ(read, list) << length;
    }
}

TEST(ConnectionListDecoded, CountsOfSixtyFiveThousandFiveHundredThirtyFiveAndMore)
{
    for (uint32_t count : {65534u, 65535u, 70000u}) {
        CGeneralPCSettings list;
        for (uint32_t i = 0; i < count; ++i)
            list.Add({std::to_string(i % 8 + 1), "GC" + std::to_string(i)});
        const Bytes bytes = list.ToBytes();
        EXPECT_EQ(bytes[0] == 0xFF && bytes[1] == 0xFF, count >= 65535) << count;
        const DecodedList decoded = CTableDecoder(bytes).Decode();
        ASSERT_TRUE(decoded.ok) << count << ": " << decoded.error;
        ASSERT_EQ(decoded.entries.size(), count);
        const std::string last = "GC" + std::to_string(count - 1);
        EXPECT_EQ(decoded.entries.back()[1], std::u16string(last.begin(), last.end()));
    }
}

TEST(ConnectionListDecoded, EightBitStringsOfEveryLengthFormAreRead)
{
    // Strings without the wide marker, as older files were written, 300 and
    // 70000 characters long (16- and 32-bit lengths).
    Bytes bytes{0x03, 0x00};
    Append(bytes, kClassTag);
    const auto narrow = [](size_t length, char c) {
        Bytes out;
        if (length < 0xFF) {
            out.push_back(static_cast<uint8_t>(length));
        } else if (length < 0xFFFE) {
            out = {0xFF, static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)};
        } else {
            out = {0xFF, 0xFF, 0xFF};
            for (int shift : {0, 8, 16, 24})
                out.push_back(static_cast<uint8_t>(length >> shift));
        }
        out.insert(out.end(), length, static_cast<uint8_t>(c));
        return out;
    };
    for (const Bytes& s : {narrow(1, '2'), narrow(300, 'a'), narrow(0, ' ')})
        Append(bytes, s);
    Append(bytes, kClassReference);
    for (const Bytes& s : {narrow(1, '5'), narrow(70000, 'b'), narrow(0, ' ')})
        Append(bytes, s);
    Append(bytes, kClassReference);
    // One name in the old 8-bit code page: 0xB5 is "µ".
    for (const Bytes& s : {narrow(1, '7'), Bytes{0x02, 0xB5, 'g'}, narrow(0, ' ')})
        Append(bytes, s);

    CGeneralPCSettings list;
    std::string msg;
    ASSERT_EQ(list.FromBytes(bytes, msg), 1) << msg;
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetAt(0), CDeviceConnection("2", Utf8Of(300, 'a')));
    EXPECT_EQ(list.GetAt(1), CDeviceConnection("5", Utf8Of(70000, 'b')));
    EXPECT_EQ(list.GetAt(2), CDeviceConnection("7", "\xC2\xB5g"));
}

TEST(ConnectionListDecoded, SalvageKeepsTheConnectionsBeforeTheDamage)
{
    const Bytes whole = TwoInstruments();
    const struct {
        const char* what;
        Bytes bytes;
        int kept;
    } cases[] = {{"whole", whole, 2},
                 {"last string cut", Cut(whole, 1), 1},
                 {"second tag wrong",
                  [&] {
                      Bytes b = whole;
                      // Count 2, class tag 23, the first entry's strings 6 + 20 + 4:
                      // the reference 0x8001 starts at byte 55.
                      b[55] = 0x05;
                      return b;
                  }(),
                  1},
                 {"count only", {0x02, 0x00}, 0},
                 {"nothing", {}, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CGeneralPCSettings::Salvage(c.bytes).GetCount(), c.kept) << c.what;
    EXPECT_EQ(CGeneralPCSettings::Salvage(Cut(whole, 1)).GetAt(0),
              CDeviceConnection("3", "GC Lab 1"));
}
