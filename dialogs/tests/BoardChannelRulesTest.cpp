// The board/channel dialog's rules: field ranges and their messages, the
// ignitor current's conversion, the multiplier list and the interpolation.

#include "BoardChannelRules.h"

#include <gtest/gtest.h>

namespace {

struct IgnitorCase {
    double amps;
    unsigned short stored;
};

class IgnitorToRecord : public testing::TestWithParam<IgnitorCase> {};

TEST_P(IgnitorToRecord, IsThousandthsTruncated)
{
    EXPECT_EQ(CBoardChannelRules::IgnitorToRecord(GetParam().amps), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Amperes, IgnitorToRecord,
                         testing::Values(IgnitorCase{2.5, 2500}, IgnitorCase{0, 0},
                                         IgnitorCase{0.001, 1}, IgnitorCase{1.1, 1100},
                                         IgnitorCase{4.35, 4350}, IgnitorCase{2.5009, 2500},
                                         IgnitorCase{3.1, 3100}, IgnitorCase{65.535, 65535},
                                         IgnitorCase{-1, 0}));

TEST(BoardChannelRulesTest, IgnitorShownInAmperes)
{
    EXPECT_EQ(CBoardChannelRules::IgnitorText(2500), "2.5");
    EXPECT_EQ(CBoardChannelRules::IgnitorText(0), "0");
    EXPECT_EQ(CBoardChannelRules::IgnitorText(1), "0.001");
    EXPECT_EQ(CBoardChannelRules::IgnitorText(65535), "65.535");
}

struct FieldCase {
    const char* name;
    const char* text;
    unsigned max;
    bool ok;
    unsigned value;
    const char* message;
};

class UnsignedField : public testing::TestWithParam<FieldCase> {};

TEST_P(UnsignedField, IsCheckedWithTheFrameworksMessage)
{
    const FieldCase& c = GetParam();
    unsigned value = 12345;
    std::string message;
    EXPECT_EQ(CBoardChannelRules::ParseUnsigned(c.text, 0, c.max, value, message), c.ok ? 1 : 0);
    if (c.ok)
        EXPECT_EQ(value, c.value);
    else
        EXPECT_EQ(message, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, UnsignedField,
    testing::Values(
        FieldCase{"PmtTop", "1000", 1000, true, 1000, ""},
        FieldCase{"PmtZeroWithBlanks", " 0 ", 1000, true, 0, ""},
        FieldCase{"PmtOver", "1001", 1000, false, 0, "Please enter an integer between 0 and 1000."},
        FieldCase{"PmtNegative", "-1", 1000, false, 0, "Please enter a positive integer."},
        FieldCase{"PmtFraction", "12.5", 1000, false, 0, "Please enter a positive integer."},
        FieldCase{"PmtEmpty", "", 1000, false, 0, "Please enter a positive integer."},
        FieldCase{"TriggerTop", "8000000", 8000000, true, 8000000, ""},
        FieldCase{"TriggerOver", "8000001", 8000000, false, 0,
                  "Please enter an integer between 0 and 8000000."},
        FieldCase{"HugeNumber", "99999999999999999999", 8000000, false, 0,
                  "Please enter a positive integer."}),
    [](const testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

TEST(BoardChannelRulesTest, IgnitorFieldFitsTheSixteenBitRecord)
{
    double amps = -1;
    std::string message;
    EXPECT_EQ(CBoardChannelRules::ParseIgnitor("65.535", amps, message), 1);
    EXPECT_EQ(CBoardChannelRules::IgnitorToRecord(amps), 65535);
    EXPECT_EQ(CBoardChannelRules::ParseIgnitor("3.1", amps, message), 1);
    EXPECT_DOUBLE_EQ(amps, 3.1);
    for (const char* out : {"65.536", "3100", "-0.001"}) {
        EXPECT_EQ(CBoardChannelRules::ParseIgnitor(out, amps, message), 0) << out;
        EXPECT_EQ(message, "Please enter a number between 0 and 65.535.");
    }
    for (const char* bad : {"x", "", "nan", "inf", "2.5A"}) {
        EXPECT_EQ(CBoardChannelRules::ParseIgnitor(bad, amps, message), 0) << bad;
        EXPECT_EQ(message, "Please enter a number.");
    }
}

TEST(BoardChannelRulesTest, OutputZeroIsAnyThirtyTwoBitInteger)
{
    int value = 0;
    std::string message;
    EXPECT_EQ(CBoardChannelRules::ParseInteger("-5", value, message), 1);
    EXPECT_EQ(value, -5);
    EXPECT_EQ(CBoardChannelRules::ParseInteger("2147483647", value, message), 1);
    EXPECT_EQ(CBoardChannelRules::ParseInteger("2147483648", value, message), 0);
    EXPECT_EQ(message, "Please enter an integer.");
    EXPECT_EQ(CBoardChannelRules::ParseInteger("1.5", value, message), 0);
}

TEST(BoardChannelRulesTest, MultiplierListAndInterpolation)
{
    EXPECT_EQ(CBoardChannelRules::MultiplierIndex(1), 0);
    EXPECT_EQ(CBoardChannelRules::MultiplierIndex(64), 6);
    EXPECT_EQ(CBoardChannelRules::MultiplierIndex(4096), 12);
    EXPECT_EQ(CBoardChannelRules::MultiplierIndex(3), -1);
    EXPECT_EQ(CBoardChannelRules::MultiplierIndex(0), -1);
    EXPECT_EQ(CBoardChannelRules::InterpolationText(1), "Spline");
    EXPECT_EQ(CBoardChannelRules::InterpolationText(0), "Linear");
    EXPECT_EQ(CBoardChannelRules::InterpolationText(7), "Linear");
    EXPECT_EQ(CBoardChannelRules::InterpolationValue("Spline"), 1);
    EXPECT_EQ(CBoardChannelRules::InterpolationValue("Linear"), 0);
    EXPECT_EQ(CBoardChannelRules::InterpolationValue("spline"), 0);
}

TEST(BoardChannelRulesTest, ApplyKeepsTheTriggerLevel)
{
    CBoardParameters shown;
    shown.SetTriggerLevel(777);
    shown.SetIgnitor(1);
    const CBoardParameters sent = CBoardChannelRules::BoardFromFields(shown, 2.5, 850, 123456);
    EXPECT_EQ(sent.GetTriggerLevel(), 777);
    EXPECT_EQ(sent.GetIgnitor(), 2500);
    EXPECT_EQ(sent.GetPmtVolts(), 850);
    EXPECT_EQ(sent.GetAdcTriggerLevel(), 123456u);
}

} // namespace
