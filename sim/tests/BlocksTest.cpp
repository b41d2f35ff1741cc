// The board's block encodings: the examples the host side relies on, and round trips.
#include "BoardBlocks.h"
#include "BoardState.h"

#include <gtest/gtest.h>

namespace {

TEST(BoardBlocks, GateTimesAreTenthsTruncatedAndWrapAtSixteenBits)
{
    CGateParameters gates;
    gates[0].SetStartA(1.25);
    gates[0].SetStartB(6553.6); // x10 = 65536: only the low 16 bits travel
    gates[4].SetStopB(24.9);
    gates[2].SetAlpha(0.5);
    gates[3].SetOperator(GO_DIVIDE);
    gates[1].SetSqroot(SQRT_ON);
    const CByteArray block = CBoardBlocks::EncodeGates(gates);
    ASSERT_EQ(block.size(), CBoardBlocks::kGateBlockSize);
    EXPECT_EQ(CBoardBlocks::Field(block, 20, 2), 12u);
    EXPECT_EQ(CBoardBlocks::Field(block, 22, 2), 0u);
    EXPECT_EQ(CBoardBlocks::Field(block, 40 + 16 + 2, 2), 249u);
    EXPECT_EQ(CBoardBlocks::Field(block, 70 + 8, 4), 0x3F000000u); // 0.5 as a board float word
    EXPECT_EQ(CBoardBlocks::Field(block, 60 + 6, 2), static_cast<uint32_t>(GO_DIVIDE));
    EXPECT_EQ(CBoardBlocks::Field(block, 90 + 2, 2), 1u);

    const CGateParameters back = CBoardBlocks::DecodeGates(block);
    EXPECT_DOUBLE_EQ(back[0].GetStartA(), 1.2);
    EXPECT_DOUBLE_EQ(back[2].GetAlpha(), 0.5);
    EXPECT_EQ(CBoardBlocks::EncodeGates(back), block);
}

TEST(BoardBlocks, BoardAndChannelBlockFollowsTheOffsetTable)
{
    CBoardParameters board;
    board.SetIgnitor(0x0102);
    board.SetpmtVolts(0x0304);
    board.SetTriggerLevel(0x0506);
    board.SetAdcTriggerLevel(0x0708090A);
    CChannelParameters channels;
    channels[0].SetGateIndex(1);
    channels[1].SetGateIndex(2);
    channels[0].SetInterpolation(0);
    channels[1].SetInterpolation(1);
    channels[0].SetChannelZero(-5);
    channels[1].SetChannelZero(0x11223344);
    channels[0].SetScalarChannel(7);
    channels[1].SetScalarChannel(8);
    const CByteArray block = CBoardBlocks::EncodeBoardChannel(board, channels);
    EXPECT_EQ(block, (CByteArray{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A,
                                 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF,
                                 0xFF, 0xFB, 0x11, 0x22, 0x33, 0x44, 0x00, 0x07, 0x00, 0x08}));
    CBoardParameters board2;
    CChannelParameters channels2;
    CBoardBlocks::DecodeBoardChannel(block, board2, channels2);
    EXPECT_EQ(board2, board);
    EXPECT_EQ(channels2, channels);
}

TEST(BoardBlocks, EventBlockMatchesTheOneEventExampleAndScalesByCode)
{
    CTimedEvent events;
    CTimedEventData ignitor;
    ignitor.SetEventTime(1.5);
    ignitor.SetEventCode(EC_IGNITOR_CURRENT);
    ignitor.SetEventChannel(1);
    ignitor.SetEventValue(0.25);
    events.AddTimedEvent(ignitor);
    EXPECT_EQ(CBoardBlocks::EncodeEvents(events),
              (CByteArray{0x00, 0x01, 0x00, 0x00, 0x00, 0x96, 0x03, 0x01, 0x00, 0x00, 0x00, 0xFA}));

    CTimedEventData record;
    record.SetEventTime(2.0);
    record.SetEventCode(EC_RECORD);
    record.SetEventValue(1.5);
    CTimedEventData scalar;
    scalar.SetEventTime(3.0);
    scalar.SetEventCode(EC_SCALAR);
    scalar.SetEventValue(-2);
    events.AddTimedEvent(record);
    events.AddTimedEvent(scalar);
    const CByteArray block = CBoardBlocks::EncodeEvents(events);
    ASSERT_TRUE(CBoardBlocks::IsWholeEventBlock(block));
    EXPECT_EQ(CBoardBlocks::Field(block, 2 + 10 + 6, 4), 150u);        // record x 100
    EXPECT_EQ(CBoardBlocks::Field(block, 2 + 20 + 6, 4), 0xFFFFFFFEu); // -2 unscaled
    EXPECT_EQ(CBoardBlocks::DecodeEvents(block), events);

    CByteArray announcesThree = block;
    announcesThree[1] = 3;
    announcesThree.resize(2 + 20);
    EXPECT_FALSE(CBoardBlocks::IsWholeEventBlock(announcesThree));
    EXPECT_EQ(CBoardBlocks::DecodeEvents(announcesThree).GetCount(), 2);
}

TEST(BoardBlocks, PulseBlockIs771BytesWithTheTrailerAt758)
{
    CSimPulse pulse;
    pulse.index = 0x01020304;
    pulse.time = 12345;
    for (int i = 0; i < CSimPulse::kSamples; ++i)
        pulse.samples[static_cast<size_t>(i)] = 0xABCD00u + static_cast<uint32_t>(i);
    pulse.ch1Offset = 0x111111;
    pulse.ch2Offset = 0x222222;
    pulse.tDelay = 0.25f;
    pulse.darkCurrent = 0x333333;
    const CByteArray block = CBoardBlocks::EncodePulse(pulse);
    ASSERT_EQ(block.size(), 771u);
    EXPECT_EQ(CBoardBlocks::Field(block, 0, 4), 0x01020304u);
    EXPECT_EQ(CBoardBlocks::Field(block, 4, 4), 12345u);
    EXPECT_EQ(CBoardBlocks::Field(block, 8 + 3 * 249, 3), 0xABCD00u + 249);
    EXPECT_EQ(CBoardBlocks::Field(block, 758, 3), 0x111111u);
    EXPECT_EQ(CBoardBlocks::Field(block, 761, 3), 0x222222u);
    EXPECT_EQ(CBoardBlocks::Field(block, 764, 4), 0x3E800000u);
    EXPECT_EQ(CBoardBlocks::Field(block, 768, 3), 0x333333u);

    CSimPulse back;
    ASSERT_EQ(CBoardBlocks::DecodePulse(block, back), 1);
    EXPECT_EQ(back.samples, pulse.samples);
    EXPECT_EQ(back.tDelay, 0.25f);
    EXPECT_EQ(CBoardBlocks::DecodePulse(CByteArray(770), back), 0);
}

TEST(BoardBlocks, DefaultSetHasWholeBlocksAndWindowsInsideThePulse)
{
    const CSimParameterSet set = CSimParameterSet::Defaults();
    ASSERT_EQ(set.gates.size(), CBoardBlocks::kGateBlockSize);
    ASSERT_EQ(set.boardChannel.size(), CBoardBlocks::kBoardChannelBlockSize);
    EXPECT_EQ(set.events, (CByteArray{0, 0}));
    const CGateParameters gates = set.Gates();
    for (int g = 0; g < CGateParameters::kGates; ++g) {
        EXPECT_LE(gates[g].GetStartA(), gates[g].GetStopA()) << g;
        EXPECT_LE(gates[g].GetStopA(), 24.9) << g;
        EXPECT_LE(gates[g].GetStopB(), 24.9) << g;
    }
}

} // namespace
