#include "DataSettings.h"

#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

// "/d/r.K" and an empty left path, position 300, spelled out byte by byte.
const Bytes kRecord = {0xFF, 0xFE, 0xFF, 0x06, '/',  0,    'd',  0,    '/',  0,    'r',  0,
                       '.',  0,    'K',  0,    0xFF, 0xFE, 0xFF, 0x00, 0x2C, 0x01, 0x00, 0x00};
const Bytes kClassTag = {0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00, 'C', 'D', 'a', 't',
                         'a',  'S',  'e',  't',  't',  'i',  'n', 'g', 's'};

Bytes Concat(const Bytes& a, const Bytes& b)
{
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

TEST(DataSettingsTest, WritesTheTwoPathsAndThePosition)
{
    CDataSettings settings;
    settings.SetFilePath("/d/r.K");
    settings.SetPosition(300);
    Bytes written;
    CArchiveWriter archive(written);
    settings.Serialize(archive);
    EXPECT_EQ(written, kRecord);
}

TEST(DataSettingsTest, FileRoundTripKeepsNonAsciiPathsAndNegativePositions)
{
    settings_test::CTempDir dir;
    CDataSettings saved;
    saved.SetFilePath("/data/M\xC3\xBCller/run \xF0\x9F\x94\xA5.KLYN");
    saved.SetLeftFilePath("/data/left.KLYN");
    saved.SetPosition(-12);
    std::string msg;
    ASSERT_EQ(saved.SaveToFile(dir.File("DataSettings.cfg"), msg), 1) << msg;

    CDataSettings loaded;
    ASSERT_EQ(loaded.LoadFromFile(dir.File("DataSettings.cfg"), msg), 1) << msg;
    EXPECT_EQ(loaded.GetFilePathe(), saved.GetFilePathe());
    EXPECT_EQ(loaded.GetLeftFilePathe(), "/data/left.KLYN");
    EXPECT_EQ(loaded.GetPosition(), -12);
}

struct LoadCase {
    const char* name;
    Bytes bytes;
    std::string filePath; // empty: the load must fail
    std::string error;
};

class DataSettingsLoadTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(DataSettingsLoadTest, AcceptsBothFormsAndRefusesDamage)
{
    CDataSettings settings;
    settings.SetFilePath("before");
    std::string msg;
    const int ok = settings.LoadFromBytes(GetParam().bytes, msg);
    if (GetParam().filePath.empty()) {
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(msg, GetParam().error);
        EXPECT_EQ(settings.GetFilePathe(), "before");
    } else {
        ASSERT_EQ(ok, 1) << msg;
        EXPECT_EQ(settings.GetFilePathe(), GetParam().filePath);
        EXPECT_EQ(settings.GetPosition(), 300);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DataSettingsForms, DataSettingsLoadTest,
    ::testing::Values(
        LoadCase{"Plain", kRecord, "/d/r.K", ""},
        LoadCase{"BehindClassTag", Concat(kClassTag, kRecord), "/d/r.K", ""},
        LoadCase{"EightBitStrings", {0x03, 'a', '/', 'b', 0x00, 0x2C, 0x01, 0x00, 0x00}, "a/b", ""},
        LoadCase{"TrailingByte", Concat(kRecord, {0x00}), "",
                 "1 unexpected bytes after the end of the data at offset 24"},
        LoadCase{"PositionCut", Bytes(kRecord.begin(), kRecord.end() - 1), "",
                 "int32 needs 4 bytes but only 3 are left at offset 20"},
        LoadCase{"Empty", {}, "", "string length needs 1 bytes but only 0 are left at offset 0"},
        LoadCase{"OtherSchema",
                 Concat({0xFF, 0xFF, 0x02, 0x00, 0x0D, 0x00, 'C', 'D', 'a', 't', 'a', 'S', 'e', 't',
                         't', 'i', 'n', 'g', 's'},
                        kRecord),
                 "",
                 "expected an object of class CDataSettings schema 1 at offset 0, found "
                 "CDataSettings schema 2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataSettingsTest, MissingFileNamesThePath)
{
    CDataSettings settings;
    std::string msg;
    EXPECT_EQ(settings.LoadFromFile("/nonexistent/DataSettings.cfg", msg), 0);
    EXPECT_EQ(msg, "cannot load the data settings: cannot open \"/nonexistent/DataSettings.cfg\": "
                   "No such file or directory");
}

} // namespace
