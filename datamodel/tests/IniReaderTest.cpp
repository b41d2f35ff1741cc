#include "GenIniFileReader.h"
#include "MessageService.h"
#include "QuillonIniConfig.h"

#include "SettingsTestSupport.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using settings_test::CScopedProgramKind;
using settings_test::CTempDir;
using settings_test::WriteBinary;

// Every test starts and ends with the settings as they are before any file.
class IniConfigTest : public ::testing::Test {
protected:
    void SetUp() override { CQuillonIniConfig::Reset(); }
    void TearDown() override { CQuillonIniConfig::Reset(); }

    int Load(const std::string& text)
    {
        const std::string path = m_dir.File("TarvolinMonitorIniSettings.ini");
        WriteBinary(path, text);
        return CQuillonIniConfig::Initialize(path);
    }

    CTempDir m_dir;
    CMessageRecorder m_messages;
};

struct BaudRateCase {
    const char* name;
    std::string text;
    int baudRate;
};

class IniBaudRateTest : public IniConfigTest, public ::testing::WithParamInterface<BaudRateCase> {};

TEST_P(IniBaudRateTest, ReadsTheBaudRateLine)
{
    ASSERT_EQ(Load(GetParam().text), 0);
    EXPECT_EQ(CQuillonIniConfig::BaudRate(), GetParam().baudRate);
    EXPECT_EQ(m_messages.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    IniLines, IniBaudRateTest,
    ::testing::Values(
        BaudRateCase{"LowerCaseKeyInASection", "[Serial]\nComPort=3\n[Link]\nbaudrate = 9600\n",
                     9600},
        BaudRateCase{"CommentAfterTheValue", "BaudRate = 9600 // the slow line\n", 9600},
        BaudRateCase{"CommentedOutLine", "//BaudRate = 9600\n", 57600},
        BaudRateCase{"IndentedCommentIsNoKey", "   // BaudRate = 9600\n", 57600},
        BaudRateCase{"NothingAfterEquals", "BaudRate =   \n", 57600},
        BaudRateCase{"EmptyFirstDuplicateMeansMissing", "BaudRate=\nBaudRate=9600\n", 57600},
        BaudRateCase{"FirstDuplicateWins", "BaudRate=9600\nBAUDRATE=19200\n", 9600},
        BaudRateCase{"LeadingDigitsOnly", "BaudRate = 19200 baud\n", 19200},
        BaudRateCase{"NoDigitsReadsAsZero", "BaudRate = fast\n", 0},
        BaudRateCase{"CrLfBlankLinesAndTabs", "\r\n\r\n\tBaudRate\t=\t38400  \r\n", 38400},
        BaudRateCase{"LastLineWithoutLineEnd", "EnablePulseLog=1\nBaudRate=4800", 4800},
        BaudRateCase{"LineWithoutEqualsSkipped", "BaudRate 9600\nBaudRate=2400\n", 2400},
        BaudRateCase{"SecondEqualsBelongsToValue", "BaudRate = 1200=3\n", 1200}),
    [](const auto& info) { return std::string(info.param.name); });

struct SwitchCase {
    const char* name;
    std::string text;
    int zoomKey;
    bool online;
};

class IniSwitchTest : public IniConfigTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(IniSwitchTest, OnlyListedValuesCount)
{
    ASSERT_EQ(Load(GetParam().text), 0);
    EXPECT_EQ(CQuillonIniConfig::ZoomOutShortCutKeyValue(), GetParam().zoomKey);
    EXPECT_EQ(CQuillonIniConfig::IsOnline(), GetParam().online);
}

INSTANTIATE_TEST_SUITE_P(
    IniSwitches, IniSwitchTest,
    ::testing::Values(
        SwitchCase{"KeyOneOnline", "ZoomOutShortCutKey=1\nIsOnline=1\n", 1, true},
        SwitchCase{"KeyTwo", "ZoomOutShortCutKey=2\nIsOnline=0\n", 2, false},
        SwitchCase{"KeyThreeBecomesFour", "ZoomOutShortCutKey=3\nIsOnline=2\n", 4, false},
        SwitchCase{"KeyZeroBecomesFour", "ZoomOutShortCutKey=0\nIsOnline=-1\n", 4, false},
        SwitchCase{"Missing", "Other=1\n", 4, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniConfigTest, EmptyFileGivesTheMissingValues)
{
    ASSERT_EQ(Load(""), 0);
    EXPECT_TRUE(CQuillonIniConfig::EnableDebugLog());
    EXPECT_EQ(CQuillonIniConfig::BaudRate(), 57600);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMaxY(), 10000000);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMinY(), 0);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMaxX(), 10000000);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMinX(), 0);
    EXPECT_EQ(CQuillonIniConfig::EnablePulseLog(), 0);
    EXPECT_EQ(CQuillonIniConfig::ZoomOutShortCutKeyValue(), 4);
    EXPECT_FALSE(CQuillonIniConfig::IsOnline());
    EXPECT_EQ(CQuillonIniConfig::FrequencyCorrectionfactor(), 0.0f);
}

TEST_F(IniConfigTest, FullFileSetsEverythingButTheComPort)
{
    CQuillonIniConfig::ComPort(3);
    CQuillonIniConfig::SetInstrumentID("GC1");
    ASSERT_EQ(Load("EnableDebugLog=0\nComPort=7\nBaudRate=115200\nPulseGraphMaxY=5000\n"
                   "PulseGraphMinY=-50\nPulseGraphMaxX=250\nPulseGraphMinX=10\nEnablePulseLog=1\n"
                   "ZoomOutShortCutKey=2\nIsOnline=1\nFrequencyCorrectionfactor=1.25e-1\n"),
              0);
    EXPECT_FALSE(CQuillonIniConfig::EnableDebugLog());
    EXPECT_EQ(CQuillonIniConfig::ComPort(), 3);
    EXPECT_EQ(CQuillonIniConfig::GetInstrumentID(), "GC1");
    EXPECT_EQ(CQuillonIniConfig::BaudRate(), 115200);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMaxY(), 5000);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMinY(), -50);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMaxX(), 250);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMinX(), 10);
    EXPECT_EQ(CQuillonIniConfig::EnablePulseLog(), 1);
    EXPECT_EQ(CQuillonIniConfig::ZoomOutShortCutKeyValue(), 2);
    EXPECT_TRUE(CQuillonIniConfig::IsOnline());
    EXPECT_FLOAT_EQ(CQuillonIniConfig::FrequencyCorrectionfactor(), 0.125f);
}

TEST_F(IniConfigTest, MissingFileLeavesEverySettingAlone)
{
    ASSERT_EQ(Load("BaudRate=9600\n"), 0);
    const std::string missing = m_dir.File("absent.ini");
    EXPECT_EQ(CQuillonIniConfig::Initialize(missing), -1);
    EXPECT_EQ(CQuillonIniConfig::BaudRate(), 9600);
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMaxY(), 10000000);
    EXPECT_EQ(CQuillonIniConfig::GetFilePath(), missing);
    EXPECT_EQ(m_messages.Count(), 0u);

    CQuillonIniConfig::Reset();
    EXPECT_EQ(CQuillonIniConfig::Initialize(m_dir.Path()), -1); // a folder is no file
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMaxY(), 1000000);
    EXPECT_TRUE(CQuillonIniConfig::IsOnline());
    EXPECT_EQ(CQuillonIniConfig::EnablePulseLog(), 1);
}

TEST_F(IniConfigTest, AnalyzerReadsOnlyTheDebugLogSwitch)
{
    CScopedProgramKind analyzer(ProgramKind::Analyzer);
    CQuillonIniConfig::Reset();
    EXPECT_EQ(CQuillonIniConfig::GetFilePath(), "TarvolinAnalyzerIniSettings.ini");

    ASSERT_EQ(Load("EnableDebugLog=0\nBaudRate=9600\nIsOnline=0\n"), 0);
    EXPECT_FALSE(CQuillonIniConfig::EnableDebugLog());
    EXPECT_EQ(CQuillonIniConfig::BaudRate(), 57600);
    EXPECT_TRUE(CQuillonIniConfig::IsOnline());

    ASSERT_EQ(Load("BaudRate=9600\n"), 0);
    EXPECT_TRUE(CQuillonIniConfig::EnableDebugLog());
    EXPECT_EQ(CQuillonIniConfig::PulseGraphMaxY(), 1000000);
}

struct MaskCase {
    const char* name;
    std::string text;
    uint16_t mask;
};

class IniBitMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(IniBitMaskTest, LastCharacterIsBitZero)
{
    EXPECT_EQ(CQuillonIniConfig::GetBitMaskValue(GetParam().text), GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(
    IniBitMasks, IniBitMaskTest,
    ::testing::Values(MaskCase{"OneZeroOne", "101", 5},
                      MaskCase{"EighteenZerosThenOne", std::string(18, '0') + "1", 1},
                      MaskCase{"SeventeenthFromTheEndIgnored", "1" + std::string(16, '0'), 0},
                      MaskCase{"SixteenOnes", std::string(16, '1'), 0xFFFF},
                      MaskCase{"OtherCharactersClear", "1x2 1", 0x11},
                      MaskCase{"NonAsciiIsOneCharacter", "1\xC3\xA9", 2}, MaskCase{"Empty", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The line reader on its own, through a private reader.
class IniLineReaderTest : public ::testing::Test {
protected:
    CGenIniFileReader m_reader;
    CMessageRecorder m_messages;
};

TEST_F(IniLineReaderTest, OverlongLineWarnsOnceAndIsReadAsTwoLines)
{
    // 3000 characters: the first 2047 form one line, the rest the next.
    const std::string first = "First=" + std::string(2047 - 6, 'a');
    const std::string second = "Second=" + std::string(3000 - 2047 - 7, 'b');
    ASSERT_EQ(m_reader.LoadFromText(first + second + "\nAfter=1\n"), 0);

    const auto messages = m_messages.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "m_pBuffer overflow in line 1 (line length over 2048 chars)");
    EXPECT_EQ(messages[0].caption, "Warning !");
    EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(messages[0].buttons, MessageButtons::Ok);

    const auto nodes = m_reader.GetNodes();
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0].GetValue(), std::string(2041, 'a'));
    EXPECT_EQ(nodes[1].GetKey(), "Second");
    EXPECT_EQ(nodes[1].GetValue().size(), 946u);
    EXPECT_EQ(nodes[2].GetKey(), "After");
}

struct LineCountCase {
    const char* name;
    std::string before; // lines ahead of an over-long line
    unsigned line;      // the line number the warning names
};

class IniLineCounterTest : public IniLineReaderTest,
                           public ::testing::WithParamInterface<LineCountCase> {};

TEST_P(IniLineCounterTest, WarningNamesThePhysicalLine)
{
    ASSERT_EQ(m_reader.LoadFromText(GetParam().before + std::string(2100, 'x') + "\n"), 0);
    ASSERT_EQ(m_messages.Count(), 1u);
    EXPECT_EQ(m_messages.Messages()[0].text, "m_pBuffer overflow in line " +
                                                 std::to_string(GetParam().line) +
                                                 " (line length over 2048 chars)");
    EXPECT_EQ(m_reader.GetLineCounter(), 0u);
}

// Two lines of 1024 and 1018 bytes put the CR of "ab=cd\r\n" at the last byte
// of the first block and its LF at the first byte of the second.
const std::string kCrLfAcrossBlocks =
    "k1=" + std::string(1020, 'a') + "\n" + "k2=" + std::string(1014, 'b') + "\n" + "ab=cd\r\n";

INSTANTIATE_TEST_SUITE_P(IniLineCounts, IniLineCounterTest,
                         ::testing::Values(LineCountCase{"LineFeeds", "a=1\n\n", 3},
                                           LineCountCase{"CrLf", "a=1\r\n\r\n", 3},
                                           LineCountCase{"CarriageReturns", "a=1\r\r", 3},
                                           LineCountCase{"CrLfAcrossBlocks", kCrLfAcrossBlocks, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniLineReaderTest, LineSplitByTheBlockBoundaryStaysWhole)
{
    ASSERT_EQ(m_reader.LoadFromText(kCrLfAcrossBlocks + "Last=z"), 0);
    std::string value;
    EXPECT_EQ(m_reader.GetValue("AB", value), CGenIniFileReader::VALUE_FOUND);
    EXPECT_EQ(value, "cd");
    EXPECT_EQ(m_reader.GetValue("last", value), CGenIniFileReader::VALUE_FOUND);
    EXPECT_EQ(value, "z");
    EXPECT_EQ(m_reader.GetValue("Missing", value), CGenIniFileReader::KEY_NOT_FOUND);
    EXPECT_EQ(value, "z");
}

TEST_F(IniLineReaderTest, Latin1LinesBecomeUtf8)
{
    ASSERT_EQ(m_reader.LoadFromText("Name = Kr\xE4mer\n"), 0);
    std::string value;
    ASSERT_EQ(m_reader.GetValue("name", value), CGenIniFileReader::VALUE_FOUND);
    EXPECT_EQ(value, "Kr\xC3\xA4mer");
}

TEST_F(IniLineReaderTest, FailedLoadKeepsTheListAndSaysWhy)
{
    ASSERT_EQ(m_reader.LoadFromText("Kept=1\n"), 0);
    EXPECT_EQ(m_reader.Load("/nonexistent/Tarvolin.ini"), -1);
    EXPECT_EQ(m_reader.GetMessage(),
              "cannot open \"/nonexistent/Tarvolin.ini\": No such file or directory");
    std::string value;
    EXPECT_EQ(m_reader.GetValue("Kept", value), CGenIniFileReader::VALUE_FOUND);
}

struct NumberCase {
    std::string text;
    int integer;
    double real;
};

class IniNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(IniNumberTest, ConvertsLikeTheRuntime)
{
    EXPECT_EQ(CGenIniFileReader::ToInt(GetParam().text), GetParam().integer);
    EXPECT_DOUBLE_EQ(CGenIniFileReader::ToDouble(GetParam().text), GetParam().real);
}

INSTANTIATE_TEST_SUITE_P(IniNumbers, IniNumberTest,
                         ::testing::Values(NumberCase{"  42", 42, 42.0},
                                           NumberCase{"-7.5x", -7, -7.5},
                                           NumberCase{"+3e2", 3, 300.0}, NumberCase{"abc", 0, 0.0},
                                           NumberCase{"99999999999", INT_MAX, 99999999999.0},
                                           NumberCase{"-99999999999", INT_MIN, -99999999999.0}),
                         [](const auto& info) { return testsupport::CaseName("Text", info.param.text); });

} // namespace
