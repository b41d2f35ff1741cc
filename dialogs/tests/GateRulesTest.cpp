// The gate dialog's rules: list rows with their odd widths, the formula
// label, field numbers and the windows Change accepts.

#include "GateRules.h"

#include <gtest/gtest.h>

namespace {

CGateParameter Gate(unsigned short type, unsigned short typeNum, double startA, double stopA,
                    unsigned short op, double alpha, double startB, double stopB,
                    unsigned short sqrt)
{
    CGateParameter g;
    g.SetType(type);
    g.SetTypeNum(typeNum);
    g.SetStartA(startA);
    g.SetStopA(stopA);
    g.SetOperator(op);
    g.SetAlpha(alpha);
    g.SetStartB(startB);
    g.SetStopB(stopB);
    g.SetSqroot(sqrt);
    return g;
}

struct RowCase {
    const char* name;
    CGateParameter gate;
    const char* row;
};

class GateRow : public testing::TestWithParam<RowCase> {};

TEST_P(GateRow, HasTheListFormat)
{
    EXPECT_EQ(CGateRules::RowText(GetParam().gate), GetParam().row);
}

// "%4s\t%6.1f\t%6.1f\t%3s\t%4.3f\t%4.1f\t%2.1f\t%s", worked out by hand.
INSTANTIATE_TEST_SUITE_P(
    Gates, GateRow,
    testing::Values(
        RowCase{"Default", CGateParameter(), "   S\t   0.0\t   0.0\t   \t0.000\t 0.0\t0.0\tOFF"},
        RowCase{"Typical", Gate(1, 0, 1.5, 3.7, 2, 0.5, 4, 6, 0),
                "   P\t   1.5\t   3.7\t  -\t0.500\t 4.0\t6.0\tOFF"},
        RowCase{"NumberedModeFillsTheWidth", Gate(0, 2, 0, 24.9, 4, 12.5, 12.3, 24.9, 7),
                " S-2\t   0.0\t  24.9\t  /\t12.500\t12.3\t24.9\tON"},
        RowCase{"TwoLetterMode", Gate(22, 0, 10, 20, 1, 1.25, 0.5, 1.5, 1),
                "  UD\t  10.0\t  20.0\t  +\t1.250\t 0.5\t1.5\tON"},
        RowCase{"WideNumbersOverflowTheirFields", Gate(4, 3, 123456.75, -1, 3, -2.5, 100, 1000, 0),
                "As-3\t123456.8\t  -1.0\t  *\t-2.500\t100.0\t1000.0\tOFF"}),
    [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

TEST(GateRulesTest, AGateWithoutModeTextIsNotListedAndRowsNameTheirGates)
{
    CGateParameters gates;
    gates[1].SetType(23); // no text for this mode
    gates[3].SetType(40);
    EXPECT_EQ(CGateRules::ListedGates(gates), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(CGateRules::ListedGates(CGateParameters()).size(), 5u);
}

struct FormulaCase {
    const char* op;
    const char* alpha;
    const char* label;
};

class FormulaLabel : public testing::TestWithParam<FormulaCase> {};

TEST_P(FormulaLabel, ShowsOperatorAndAtMostTwelveCharactersOfAlpha)
{
    EXPECT_EQ(CGateRules::FormulaLabel(GetParam().op, GetParam().alpha), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(Labels, FormulaLabel,
                         testing::Values(FormulaCase{"-", "0.000", "A - 0.000B"},
                                         FormulaCase{" ", "1.5", "A   1.5B"},
                                         FormulaCase{"*", "1234567890123456", "A * 123456789012B"},
                                         FormulaCase{"/", "", "A / B"}));

struct NumberCase {
    const char* text;
    double value;
};

class FieldNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(FieldNumber, IsTheDecimalNumberTheTextStartsWith)
{
    EXPECT_DOUBLE_EQ(CGateRules::ParseNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, FieldNumber,
                         testing::Values(NumberCase{"2.5", 2.5}, NumberCase{"  3", 3},
                                         NumberCase{"-0.5", -0.5}, NumberCase{"+1.5", 1.5},
                                         NumberCase{"2.5ms", 2.5}, NumberCase{"1e1", 10},
                                         NumberCase{"abc", 0}, NumberCase{"", 0},
                                         NumberCase{"inf", 0}, NumberCase{"nan", 0},
                                         NumberCase{".5", 0.5}));

struct WindowCase {
    const char* name;
    double startA, stopA, startB, stopB;
    const char* window; // nullptr: accepted
};

class GateWindows : public testing::TestWithParam<WindowCase> {};

TEST_P(GateWindows, MustLieInsideThePulse)
{
    const WindowCase& c = GetParam();
    std::string message;
    const int ok = CGateRules::CheckWindows(c.startA, c.stopA, c.startB, c.stopB, message);
    if (!c.window) {
        EXPECT_EQ(ok, 1) << message;
        return;
    }
    EXPECT_EQ(ok, 0);
    EXPECT_NE(message.find(std::string("Window ") + c.window), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Windows, GateWindows,
                         testing::Values(WindowCase{"WholePulse", 0, 24.9, 0, 24.9, nullptr},
                                         WindowCase{"EmptyWindows", 0, 0, 0, 0, nullptr},
                                         WindowCase{"StopEqualsStart", 5, 5, 7, 7, nullptr},
                                         WindowCase{"StartABelowZero", -0.1, 2, 3, 4, "A"},
                                         WindowCase{"StopAPastThePulse", 1, 25, 3, 4, "A"},
                                         WindowCase{"StopABeforeStart", 6, 4, 0, 1, "A"},
                                         WindowCase{"StartBPastThePulse", 1, 2, 24.95, 24.95, "B"},
                                         WindowCase{"StopBBeforeStart", 1, 2, 9, 8.9, "B"},
                                         WindowCase{"StopBBelowZero", 1, 2, 0, -3, "B"}),
                         [](const testing::TestParamInfo<WindowCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
