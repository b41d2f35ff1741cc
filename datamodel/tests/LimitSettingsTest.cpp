// The limit lines' file "GeneralSettings.cfg" of an instrument: its bytes,
// its defaults and what a damaged file does; and the percent placement of
// the lines.

#include "LimitSettings.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

namespace {

using Bytes = std::vector<uint8_t>;

// The file for 6.5, 12.25, 2 and 4 ms, spelled out by hand.
const Bytes kFile = {
    0x01, 0x00, 0x00, 0x00,                         // leading value 1
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1a, 0x40, // 6.5
    0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x28, 0x40, // 12.25
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, // 2.0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x40, // 4.0
};

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

Bytes WithDouble(Bytes bytes, size_t offset, double value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
    return bytes;
}

} // namespace

TEST(LimitSettingsTest, DefaultsAreSixTwelveTwoFour)
{
    const CLimitSettings limits;
    EXPECT_EQ(limits.GetPosition(0), 6.0);
    EXPECT_EQ(limits.GetPosition(1), 12.0);
    EXPECT_EQ(limits.GetPosition(2), 2.0);
    EXPECT_EQ(limits.GetPosition(3), 4.0);
    EXPECT_EQ(limits.GetPosition(4), 0.0);
    EXPECT_EQ(limits.GetPosition(-1), 0.0);
}

TEST(LimitSettingsTest, WritesTheArchiveBytes)
{
    CLimitSettings limits;
    limits.SetPosition(0, 6.5);
    limits.SetPosition(1, 12.25);
    EXPECT_EQ(limits.ToBytes(), kFile);
}

TEST(LimitSettingsTest, SavedFileLoadsBackIntoAFolderThatDidNotExist)
{
    TempDir dir;
    const std::string path = dir.File("Config/GeneralSettings.cfg");
    CLimitSettings limits;
    limits.SetPosition(0, 6.5);
    limits.SetPosition(1, 12.25);
    std::string msg;
    ASSERT_EQ(limits.SaveToFile(path, msg), 1) << msg;
    EXPECT_EQ(ReadFile(path), kFile);

    CLimitSettings loaded;
    ASSERT_EQ(loaded.LoadFromFile(path, msg), 1) << msg;
    EXPECT_EQ(loaded.GetPositions(), limits.GetPositions());
}

TEST(LimitSettingsTest, TheLeadingValueIsNotChecked)
{
    Bytes bytes = kFile;
    bytes[0] = 7;
    CLimitSettings limits;
    std::string msg;
    EXPECT_EQ(limits.FromBytes(bytes, msg), 1);
    EXPECT_EQ(limits.GetPosition(1), 12.25);
}

struct DamagedCase {
    const char* name;
    Bytes bytes;
    bool present;
};

class LimitSettingsDamaged : public testing::TestWithParam<DamagedCase> {};

TEST_P(LimitSettingsDamaged, ChangesNothing)
{
    TempDir dir;
    const std::string path = dir.File("GeneralSettings.cfg");
    if (GetParam().present)
        WriteFile(path, GetParam().bytes);

    CLimitSettings defaults;
    std::string msg;
    EXPECT_EQ(defaults.LoadFromFile(path, msg), 0);
    EXPECT_FALSE(msg.empty());
    EXPECT_EQ(defaults.GetPositions(), CLimitSettings::kDefaults);

    CLimitSettings moved;
    moved.SetPosition(2, 9.0);
    EXPECT_EQ(moved.LoadFromFile(path, msg), 0);
    EXPECT_EQ(moved.GetPosition(2), 9.0);
}

Bytes Extended(Bytes bytes)
{
    bytes.push_back(0);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, LimitSettingsDamaged,
    testing::Values(
        DamagedCase{"NoFile", {}, false}, DamagedCase{"EmptyFile", {}, true},
        DamagedCase{"OnlyTheLeadingValue", Bytes(kFile.begin(), kFile.begin() + 4), true},
        DamagedCase{"OneByteShort", Bytes(kFile.begin(), kFile.end() - 1), true},
        DamagedCase{"OneByteTooMany", Extended(kFile), true},
        DamagedCase{"PositionNotANumber",
                    WithDouble(kFile, 12, std::numeric_limits<double>::quiet_NaN()), true},
        DamagedCase{"InfinitePosition",
                    WithDouble(kFile, 28, std::numeric_limits<double>::infinity()), true}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.name); });

TEST(LimitSettingsTest, SaveFailsWithAReason)
{
    TempDir dir;
    const std::string blocker = dir.File("not-a-folder");
    WriteFile(blocker, {'x'});
    std::string msg;
    EXPECT_EQ(CLimitSettings().SaveToFile(blocker + "/GeneralSettings.cfg", msg), 0);
    EXPECT_FALSE(msg.empty());
}

struct PercentCase {
    double position, xMin, span, percent;
};

class LimitPercent : public testing::TestWithParam<PercentCase> {};

TEST_P(LimitPercent, IsCountedFromTheVisibleMinimum)
{
    const PercentCase& c = GetParam();
    EXPECT_DOUBLE_EQ(CLimitSettings::ToPercent(c.position, c.xMin, c.span), c.percent);
    EXPECT_DOUBLE_EQ(CLimitSettings::FromPercent(c.percent, c.xMin, c.span), c.position);
}

INSTANTIATE_TEST_SUITE_P(Views, LimitPercent,
                         testing::Values(PercentCase{6.0, 0.0, 25.0, 24.0},   // from zero
                                         PercentCase{6.0, 2.0, 10.0, 40.0},   // a zoomed minimum
                                         PercentCase{2.0, 4.0, 8.0, -25.0},   // left of the view
                                         PercentCase{12.0, 0.0, 10.0, 120.0}, // right of the view
                                         PercentCase{6.0, 0.0, 10000000.0,
                                                     0.00006})); // wide default

TEST(LimitSettingsTest, NoSpanHasNoPercentScale)
{
    EXPECT_EQ(CLimitSettings::ToPercent(6.0, 2.0, 0.0), 0.0);
    EXPECT_EQ(CLimitSettings::FromPercent(50.0, 2.0, 0.0), 2.0);
    EXPECT_EQ(CLimitSettings::ToPercent(6.0, 2.0, -5.0), 0.0);
}

TEST(LimitSettingsTest, ShownOnlyInsideTheVisibleRange)
{
    EXPECT_TRUE(CLimitSettings::IsInRange(6.0, 5.0, 13.0));
    EXPECT_TRUE(CLimitSettings::IsInRange(5.0, 5.0, 13.0));
    EXPECT_TRUE(CLimitSettings::IsInRange(13.0, 5.0, 13.0));
    EXPECT_FALSE(CLimitSettings::IsInRange(4.999, 5.0, 13.0));
    EXPECT_FALSE(CLimitSettings::IsInRange(13.001, 5.0, 13.0));
}
