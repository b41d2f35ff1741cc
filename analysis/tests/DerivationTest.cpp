// The working configuration and the gate descriptors derived from a
// recording's (or a configuration file's) records.

#include "CfgData.h"
#include "DVChannels.h"
#include "Recordings.h"

#include <gtest/gtest.h>

namespace {

using recordings::Gate;

TEST(WorkingConfiguration, StartsAsTheAnalyzerBuildsIt)
{
    const OCfgData cfg;
    EXPECT_EQ(cfg.GetNumGateModes(), 0);
    EXPECT_EQ(cfg.GetPmtVoltage(), 0);
    EXPECT_EQ(cfg.GetTriggerLevel(), 1);
    EXPECT_EQ(cfg.GetRange(), 1);
    EXPECT_EQ(cfg.GetIgnitorCurrent(), 0.0f);
    EXPECT_EQ(cfg.GetGateModeData(0).GetTypeNumber(), 1);
    EXPECT_EQ(cfg.GetGateModeData(1).GetTypeNumber(), 1);
    EXPECT_EQ(cfg.GetGateModeData(2).GetTypeNumber(), 0);
    EXPECT_EQ(cfg.GetGateModeData(2).GetStopA(), 0.1f);
}

struct OperatorCase {
    unsigned short gateOperator;
    short code; // after a previous code of 2
};

class OperatorMapping : public ::testing::TestWithParam<OperatorCase> {};

TEST_P(OperatorMapping, GivesTheCompactCode)
{
    CGateParameters gates;
    gates[0] = Gate(GM_S, 1, 2, 3, 4, GO_MULTIPLY, 0);
    OCfgData cfg;
    cfg.Derive(gates, {}, {}, {});
    ASSERT_EQ(cfg.GetGateModeData(0).GetOperator(), 2);
    gates[0].SetOperator(GetParam().gateOperator);
    cfg.Derive(gates, {}, {}, {});
    EXPECT_EQ(cfg.GetGateModeData(0).GetOperator(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Derivation, OperatorMapping,
                         ::testing::Values(OperatorCase{GO_PLUS, 1}, OperatorCase{GO_MINUS, 0},
                                           OperatorCase{GO_MULTIPLY, 2}, OperatorCase{GO_DIVIDE, 3},
                                           // " " and unknown operators keep the previous code.
                                           OperatorCase{GO_NONE, 2}, OperatorCase{17, 2}),
                         [](const auto& info) {
                             return "Operator" + std::to_string(info.param.gateOperator);
                         });

TEST(WorkingConfiguration, TakesGatesChannelsBoardAndEvents)
{
    CGateParameters gates;
    gates[0] = Gate(GM_P, 1.25, 2.5, 3.0, 4.75, GO_DIVIDE, 0.3, true);
    gates[1] = Gate(GM_P, 5, 6, 7, 8, GO_PLUS, 2);
    // Unused gates of distinct unknown modes: a later gate of the same mode
    // would be numbered ("-2") and so count as set.
    for (int g = 2; g < 5; ++g)
        gates[g].SetType(static_cast<unsigned short>(30 + g));
    gates.Sort();
    CChannelParameters channels;
    channels[1].SetChannelZero(123);
    channels[1].SetInterpolation(1);
    channels[1].SetGateIndex(4);
    channels[1].SetScalarChannel(10);
    CBoardParameters board;
    board.SetpmtVolts(650);
    board.SetIgnitor(1500);
    board.SetTriggerLevel(300);
    board.SetAdcTriggerLevel(2048);
    CTimedEvent events;
    CTimedEventData event;
    event.SetEventTime(1.5);
    event.SetEventCode(EC_RECORD);
    event.SetEventValue(1.0);
    events.AddTimedEvent(event);

    OCfgData cfg;
    cfg.Derive(gates, channels, board, events);
    cfg.Derive(gates, channels, board, events); // events replace, never pile up

    EXPECT_EQ(cfg.GetNumGateModes(), 2);
    const CFileGateModeData& mode = cfg.GetGateModeData(0);
    EXPECT_EQ(mode.GetMode(), GM_P);
    EXPECT_EQ(mode.GetStartA(), 1.25f);
    EXPECT_EQ(mode.GetStopA(), 2.5f);
    EXPECT_EQ(mode.GetStartB(), 3.0f);
    EXPECT_EQ(mode.GetStopB(), 4.75f);
    EXPECT_EQ(mode.GetAlpha(), 0.3f);
    EXPECT_EQ(mode.GetSquareRoot(), 1);
    EXPECT_EQ(mode.GetOperator(), 3);
    EXPECT_EQ(cfg.GetGateModeData(1).GetTypeNumber(), 2);
    EXPECT_EQ(cfg.GetChannelData(1).GetZeroValue(), 123);
    EXPECT_EQ(cfg.GetChannelData(1).GetInterpolation(), 1);
    EXPECT_EQ(cfg.GetChannelData(1).GetGateIndex(), 4);
    EXPECT_EQ(cfg.GetChannelData(1).GetScalarChannel(), 10);
    EXPECT_EQ(cfg.GetPmtVoltage(), 650);
    EXPECT_EQ(cfg.GetIgnitorCurrent(), 1.5f);
    EXPECT_EQ(cfg.GetTriggerLevel(), 300);
    EXPECT_EQ(cfg.GetRange(), 2048);
    ASSERT_EQ(cfg.GetEventCount(), 1);
    EXPECT_EQ(cfg.GetEvent(0)->GetEventCode(), EC_RECORD);
}

// Only the number of set gates counts: with gate 0 empty and gate 1 set, one
// mode is derived - from gate 0 - and mode 1 keeps what it held.
TEST(WorkingConfiguration, EmptyFirstGateDerivesOneModeFromGateZero)
{
    CGateParameters gates;
    for (int g = 0; g < 5; ++g)
        gates[g].SetType(23);
    gates[1] = Gate(GM_N, 1, 2, 3, 4, GO_PLUS, 0.5);
    OCfgData cfg;
    const CFileGateModeData before = cfg.GetGateModeData(1);
    cfg.Derive(gates, {}, {}, {});
    EXPECT_EQ(cfg.GetNumGateModes(), 1);
    EXPECT_EQ(cfg.GetGateModeData(0).GetMode(), 23);
    EXPECT_TRUE(cfg.GetGateModeData(1).IsEqual(before));
    EXPECT_EQ(cfg.GetGateModeData(1).GetTypeNumber(), 1);

    ODVChannels descriptors;
    descriptors.Rebuild(cfg);
    EXPECT_EQ(descriptors[0].name, "Mode ***");
    EXPECT_EQ(descriptors[1].name, "");
}

TEST(GateDescriptors, NameModesAndMeasureWindows)
{
    CGateParameters gates;
    gates[0] = Gate(GM_S, 1.0, 2.5, 3.0, 3.5, GO_MINUS, 0);
    gates[1] = Gate(GM_S, 4, 5, 6, 8, GO_MINUS, 0);
    gates[2] = Gate(GM_UD, 0, 1, 0, 1, GO_MINUS, 0);
    gates[3].SetType(40);
    gates[4].SetType(41);
    gates.Sort();
    OCfgData cfg;
    cfg.Derive(gates, {}, {}, {});
    ODVChannels descriptors;
    descriptors.Rebuild(cfg);
    EXPECT_EQ(descriptors[0].name, "Mode S");
    EXPECT_EQ(descriptors[1].name, "Mode S-2");
    EXPECT_EQ(descriptors[2].name, "Mode UD");
    EXPECT_EQ(descriptors[3].name, "");
    EXPECT_EQ(descriptors[0].startA, 1.0f);
    EXPECT_EQ(descriptors[0].widthA, 1.5f);
    EXPECT_EQ(descriptors[0].startB, 3.0f);
    EXPECT_EQ(descriptors[0].widthB, 0.5f);
    // Unused descriptors keep their numbers.
    EXPECT_EQ(descriptors[4].widthA, 0.1f);
}

TEST(GateDescriptors, ModeLabels)
{
    EXPECT_EQ(ODVChannels::ModeLabel(GM_Cu, 0), "Cu");
    EXPECT_EQ(ODVChannels::ModeLabel(GM_Cu, 1), "Cu");
    EXPECT_EQ(ODVChannels::ModeLabel(GM_Cu, 3), "Cu-3");
    EXPECT_EQ(ODVChannels::ModeLabel(23, 0), "***");
    EXPECT_EQ(ODVChannels::ModeLabel(-1, 0), "***");
}

} // namespace
