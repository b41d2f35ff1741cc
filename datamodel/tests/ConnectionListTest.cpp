// The workstation's instrument list "GeneralSettings.cfg": its bytes worked
// out by hand, the forms of strings and counts it may hold, damaged files,
// and the Launcher's edits through the handler.

#include "GeneralPCSettingsHandler.h"

#include "TempDir.h"

#include <gtest/gtest.h>

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
