// Parameter records, byte-stream helpers and the hardware status word.
#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "CommonUtils.h"
#include "HardwareStatus.h"

#include "CaseName.h"

#include <gtest/gtest.h>

namespace {

struct GetIntCase {
    CByteArray bytes;
    int start;
    int count;
    int expected;
};

class GetIntTest : public testing::TestWithParam<GetIntCase> {};

TEST_P(GetIntTest, ReadsBigEndianFieldsInsideTheArrayOnly)
{
    const auto& c = GetParam();
    EXPECT_EQ(CCommonUtils::GetInt(c.bytes, c.start, c.count), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, GetIntTest,
    testing::Values(GetIntCase{{0, 0, 1, 2}, 0, 4, 258}, GetIntCase{{0, 0, 1, 2}, 2, 2, 258},
                    GetIntCase{{0, 0, 1, 2}, 3, 1, 2}, GetIntCase{{0, 0, 1, 2}, 3, 2, 0},
                    GetIntCase{{0, 0, 1, 2}, -1, 2, 0}, GetIntCase{{0, 0, 1, 2}, 0, 0, 0},
                    GetIntCase{{0, 0, 1, 2}, 0, -3, 0},
                    GetIntCase{{0xFF, 0xFF, 0xFF, 0xFF}, 0, 4, -1},
                    // Beyond four bytes only the last four count.
                    GetIntCase{{9, 0, 0, 1, 2}, 0, 5, 258},
                    GetIntCase{{}, 0, 1, 0}),
    [](const auto& info) {
        const GetIntCase& c = info.param;
        return testsupport::CaseName("Case" + std::to_string(info.index) + "_Bytes" +
                                         std::to_string(c.bytes.size()) + "From",
                                     std::to_string(c.start) + "Count" + std::to_string(c.count));
    });

TEST(CommonUtils, AddBytesToStreamAppendsTheLowBytesMostSignificantFirst)
{
    CByteArray bytes;
    CCommonUtils::AddBytesToStream(bytes, 0x1234, 2);
    EXPECT_EQ(bytes, (CByteArray{0x12, 0x34}));
    bytes.clear();
    CCommonUtils::AddBytesToStream(bytes, 0x1234, 4);
    EXPECT_EQ(bytes, (CByteArray{0x00, 0x00, 0x12, 0x34}));
    bytes.clear();
    CCommonUtils::AddBytesToStream(bytes, 0x1234, 1);
    EXPECT_EQ(bytes, (CByteArray{0x34}));
    CCommonUtils::AddBytesToStream(bytes, 0x1234, 0);
    CCommonUtils::AddBytesToStream(bytes, 0x1234, -2);
    EXPECT_EQ(bytes.size(), 1u);
    // What is written reads back.
    CByteArray round;
    CCommonUtils::AddBytesToStream(round, 0x89ABCDEF, 4);
    EXPECT_EQ(static_cast<uint32_t>(CCommonUtils::GetInt(round, 0, 4)), 0x89ABCDEFu);
}

TEST(CommonUtils, GetBYTECountsFromTheLeastSignificantByte)
{
    EXPECT_EQ(CCommonUtils::GetBYTE(0x1234, 0), 0x34);
    EXPECT_EQ(CCommonUtils::GetBYTE(0x1234, 1), 0x12);
    EXPECT_EQ(CCommonUtils::GetBYTE(0x1234, 3), 0);
    EXPECT_EQ(CCommonUtils::GetBYTE(0xAABBCCDD, 3), 0xAA);
    EXPECT_EQ(CCommonUtils::GetBYTE(0xAABBCCDD, 4), 0);
}

TEST(Records, BoardParametersStartAtZeroAndCopyEveryField)
{
    CBoardParameters board;
    EXPECT_EQ(board, CBoardParameters());
    board.SetIgnitor(1200);
    board.SetpmtVolts(650);
    board.SetTriggerLevel(30);
    board.SetAdcTriggerLevel(0xDEADBEEF);
    CBoardParameters copy;
    copy.CopyFrom(board);
    EXPECT_EQ(copy.GetAdcTriggerLevel(), 0xDEADBEEFu);
    EXPECT_EQ(copy, board);
    board.Initialize();
    EXPECT_EQ(board.GetIgnitor(), 0);
    EXPECT_EQ(board.GetPmtVolts(), 0);
    EXPECT_EQ(board.GetTriggerLevel(), 0);
    EXPECT_EQ(board.GetAdcTriggerLevel(), 0u);
}

TEST(Records, ChannelAccessRejectsIndexesOtherThanZeroAndOne)
{
    CChannelParameters channels;
    CGateChannelParameters in;
    in.SetGateIndex(3);
    in.SetInterpolation(1);
    in.SetZeroChannel(-4);
    in.SetScalarChannel(100);
    in.SetChannelZero(77);
    EXPECT_EQ(channels.SetGateChannelParameters(1, in), 1);
    EXPECT_EQ(channels[1], in);
    EXPECT_EQ(channels.SetGateChannelParameters(2, in), 0);
    EXPECT_EQ(channels.SetGateChannelParameters(-1, in), 0);
    EXPECT_EQ(channels[0], CGateChannelParameters());

    CGateChannelParameters out;
    out.SetChannelZero(5);
    const CGateChannelParameters before = out;
    EXPECT_EQ(channels.GetGateChannelParameters(2, out), 0);
    EXPECT_EQ(channels.GetGateChannelParameters(-1, out), 0);
    EXPECT_EQ(out, before);
    EXPECT_EQ(channels.GetGateChannelParameters(1, out), 1);
    EXPECT_EQ(out, in);

    CChannelParameters copy(channels);
    copy[1].SetChannelZero(1);
    EXPECT_EQ(channels[1].GetChannelZero(), 77);
}

TEST(HardwareStatus, DerivesRunStateAndSpacePaddedByteTexts)
{
    CHardwareStatus status;
    status.SetStatus(0x0905);
    EXPECT_TRUE(status.IsGCRunning());
    EXPECT_EQ(status.GetGCStatus(), "Running");
    EXPECT_EQ(status.GetStatusText(), "0x 9");
    EXPECT_EQ(status.GetErrorText(), "0x 5");

    status.SetStatus(0x0100);
    EXPECT_TRUE(status.IsPulseWaiting());
    EXPECT_FALSE(status.IsGCRunning());
    EXPECT_EQ(status.GetGCStatus(), "Ready");

    status.SetStatus(0xA4A4);
    EXPECT_EQ(status.GetStatusText(), "0xa4");
    EXPECT_EQ(status.GetErrorText(), "0xa4");

    status.SetFirmwareRevision("FW 2.1");
    CHardwareStatus copy(status);
    EXPECT_EQ(copy.GetStatus(), 0xA4A4);
    EXPECT_EQ(copy.GetFirmwareRevision(), "FW 2.1");
    EXPECT_EQ(copy.GetHardError(), "");
}

} // namespace
