// Gates: option texts, type numbering and the five-gate set.
#include "GateParameters.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CGateParameters GatesOfModes(const std::vector<GateMode>& modes)
{
    CGateParameters gates;
    for (size_t i = 0; i < modes.size(); ++i)
        gates[static_cast<int>(i)].SetType(static_cast<unsigned short>(modes[i]));
    gates.Sort();
    return gates;
}

std::vector<int> TypeNumbers(const CGateParameters& gates)
{
    std::vector<int> numbers;
    for (int i = 0; i < CGateParameters::kGates; ++i)
        numbers.push_back(gates[i].GetTypeNum());
    return numbers;
}

TEST(GateNumbering, FiveGatesOfOneModeAreNumberedFromTwo)
{
    auto gates = GatesOfModes({GM_S, GM_S, GM_S, GM_S, GM_S});
    EXPECT_EQ(TypeNumbers(gates), (std::vector<int>{0, 2, 3, 4, 5}));
    std::vector<std::string> texts;
    for (int i = 0; i < 5; ++i)
        texts.push_back(gates[i].GetModeText());
    EXPECT_EQ(texts, (std::vector<std::string>{"S", "S-2", "S-3", "S-4", "S-5"}));
}

TEST(GateNumbering, InterleavedModesAreNumberedPerMode)
{
    EXPECT_EQ(TypeNumbers(GatesOfModes({GM_P, GM_S, GM_P, GM_S, GM_P})),
              (std::vector<int>{0, 0, 2, 2, 3}));
    EXPECT_EQ(TypeNumbers(GatesOfModes({GM_P, GM_S, GM_N, GM_C, GM_UD})),
              (std::vector<int>{0, 0, 0, 0, 0}));
    // Stale numbers are recomputed from scratch.
    CGateParameters gates = GatesOfModes({GM_P, GM_P, GM_P, GM_P, GM_P});
    gates.SetType(2, GM_S);
    EXPECT_EQ(TypeNumbers(gates), (std::vector<int>{0, 2, 0, 3, 4}));
    EXPECT_EQ(gates[3].GetModeText(), "P-3");
}

TEST(GateNumbering, MaxTypeNumLooksAtTheOtherGatesOnly)
{
    auto gates = GatesOfModes({GM_P, GM_S, GM_P, GM_N, GM_P});
    EXPECT_EQ(gates.GetMaxTypeNum(GM_S, 1), -1);
    EXPECT_EQ(gates.GetMaxTypeNum(GM_P, 0), 3);
    EXPECT_EQ(gates.GetMaxTypeNum(GM_P, 4), 2);
    EXPECT_EQ(gates.GetMaxTypeNum(GM_N, 0), 0);
    EXPECT_EQ(gates.GetMaxTypeNum(GM_UD, 0), -1);
}

TEST(GateOptions, TextsAndLookupsFollowTheTables)
{
    EXPECT_EQ(CGateParameter::modeOptions.size(), 23u);
    for (size_t i = 0; i < CGateParameter::modeOptions.size(); ++i)
        EXPECT_EQ(static_cast<size_t>(CGateParameter::modeOptions[i].value), i);
    EXPECT_EQ(CGateParameter::ModeOptionText(GM_As), "As");
    EXPECT_EQ(CGateParameter::ModeOptionText(GM_UD), "UD");
    EXPECT_EQ(CGateParameter::ModeOptionText(static_cast<GateMode>(23)), "");
    EXPECT_EQ(CGateParameter::ModeOptionText(static_cast<GateMode>(-1)), "");
    EXPECT_EQ(CGateParameter::ModeOption("Te"), GM_Te);
    EXPECT_EQ(CGateParameter::ModeOption("s"), GM_S);
    EXPECT_EQ(CGateParameter::ModeOption("ud"), GM_S);

    EXPECT_EQ(CGateParameter::OperatorText(GO_NONE), " ");
    EXPECT_EQ(CGateParameter::OperatorText(GO_DIVIDE), "/");
    EXPECT_EQ(CGateParameter::OperatorText(static_cast<GateOperator>(5)), "");
    EXPECT_EQ(CGateParameter::GetOperator("*"), GO_MULTIPLY);
    EXPECT_EQ(CGateParameter::GetOperator(" "), GO_NONE);
    EXPECT_EQ(CGateParameter::GetOperator("x"), GO_MINUS);

    CGateParameter gate;
    EXPECT_EQ(gate.GetSQRTText(), "OFF");
    gate.SetSqroot(7);
    EXPECT_EQ(gate.GetSQRTText(), "ON");
    gate.SetOperator(GO_PLUS);
    EXPECT_EQ(gate.GetOperatorText(), "+");
    gate.SetType(99);
    EXPECT_EQ(gate.GetModeText(), "");
}

TEST(GateSet, SetRejectsBadIndexesAndCopiesAreDeep)
{
    CGateParameters gates;
    CGateParameter gate;
    gate.SetType(GM_Fe);
    gate.SetStartA(1.25);
    gate.SetStopA(2.5);
    gate.SetStartB(3.0);
    gate.SetStopB(4.0);
    gate.SetAlpha(0.3);
    EXPECT_EQ(gates.SetGateChannelParameters(5, gate), 0);
    EXPECT_EQ(gates.SetGateChannelParameters(-1, gate), 0);
    EXPECT_EQ(gates, CGateParameters());
    EXPECT_EQ(gates.SetGateChannelParameters(4, gate), 1);
    EXPECT_EQ(gates.GetGateParameterAt(4), gate);

    CGateParameter out;
    EXPECT_EQ(gates.GetGateChannelParameters(7, out), 0);
    EXPECT_EQ(out, CGateParameter());
    EXPECT_EQ(gates.GetGateChannelParameters(4, out), 1);
    EXPECT_EQ(out.GetAlpha(), 0.3);

    CGateParameters copy(gates);
    copy[4].SetAlpha(9.0);
    EXPECT_EQ(gates[4].GetAlpha(), 0.3);
    out.Initialize();
    EXPECT_EQ(out, CGateParameter());
}

} // namespace
