// The peak parameters' one table and what is derived from it.

#include "PeakParameters.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(PeakParameters, DefaultsComeFromTheTable)
{
    const OPeakParameters p;
    EXPECT_EQ(p.threshold, 5.0);
    EXPECT_EQ(p.minimumWidth, 0.5);
    EXPECT_EQ(p.smoothing, 11);
    std::set<std::string> names;
    for (const OPeakParameters::Entry& e : OPeakParameters::Table()) {
        EXPECT_TRUE(names.insert(e.name).second) << e.name;
        EXPECT_LE(e.minimum, e.defaultValue) << e.name;
        EXPECT_GE(e.maximum, e.defaultValue) << e.name;
        EXPECT_EQ(e.kind == OPeakParameters::Kind::Real, e.real != nullptr) << e.name;
        EXPECT_EQ(e.kind == OPeakParameters::Kind::Whole, e.whole != nullptr) << e.name;
        EXPECT_NE(std::string(e.help), "");
        EXPECT_NE(std::string(e.label), "");
    }
    std::string message;
    EXPECT_EQ(p.Check(message), 1) << message;
    EXPECT_EQ(p.Summary(), "threshold 5, min-width 0.5 s, smoothing 11 points");
}

struct SetCase {
    const char* name;
    const char* text;
    const char* message; // "" when accepted
    const char* value;   // as Get gives it afterwards
};

class PeakParameterText : public ::testing::TestWithParam<SetCase> {};

TEST_P(PeakParameterText, IsTakenOnlyWhenItFits)
{
    const SetCase& c = GetParam();
    OPeakParameters p;
    const OPeakParameters before = p;
    std::string message;
    const int ok = p.Set(c.name, c.text, message);
    EXPECT_EQ(ok, *c.message == '\0' ? 1 : 0);
    EXPECT_EQ(message, c.message);
    if (!ok) {
        EXPECT_EQ(p, before);
    }
    if (OPeakParameters::Find(c.name)) {
        EXPECT_EQ(p.Get(c.name), c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    PeakParameters, PeakParameterText,
    ::testing::Values(
        SetCase{"threshold", "4.5", "", "4.5"}, SetCase{"THRESHOLD", " 7 ", "", "7"},
        SetCase{"threshold", "+1e3", "", "1000"},
        SetCase{"threshold", "0.5", "threshold takes a number from 1 to 1000, not \"0.5\".", "5"},
        SetCase{"threshold", "5x", "threshold takes a number from 1 to 1000, not \"5x\".", "5"},
        SetCase{"threshold", "", "threshold takes a number from 1 to 1000, not \"\".", "5"},
        SetCase{"threshold", "nan", "threshold takes a number from 1 to 1000, not \"nan\".", "5"},
        SetCase{"threshold", "5,5", "threshold takes a number from 1 to 1000, not \"5,5\".", "5"},
        SetCase{"min-width", "0", "", "0"}, SetCase{"min-width", "2.25", "", "2.25"},
        SetCase{"min-width", "-1", "min-width takes a number from 0 s to 600 s, not \"-1\".",
                "0.5"},
        SetCase{"smoothing", "15", "", "15"}, SetCase{"smoothing", "3", "", "3"},
        SetCase{"smoothing", "8",
                "smoothing takes an odd whole number from 3 points to 201 points, not \"8\".",
                "11"},
        SetCase{"smoothing", "9.5",
                "smoothing takes an odd whole number from 3 points to 201 points, not \"9.5\".",
                "11"},
        SetCase{"smoothing", "203",
                "smoothing takes an odd whole number from 3 points to 201 points, not \"203\".",
                "11"},
        SetCase{"width", "3", "There is no peak parameter \"width\".", ""}));

TEST(PeakParameters, ValuesSetDirectlyAreCheckedBeforeUse)
{
    OPeakParameters p;
    std::string message;
    p.smoothing = 10;
    EXPECT_EQ(p.Check(message), 0);
    EXPECT_EQ(message,
              "smoothing takes an odd whole number from 3 points to 201 points, not \"10\".");
    p = OPeakParameters();
    p.threshold = -2.0;
    EXPECT_EQ(p.Check(message), 0);
    EXPECT_EQ(message, "threshold takes a number from 1 to 1000, not \"-2\".");
}

// The command line's help lists every entry with its range and default.
TEST(PeakParameters, HelpNamesEveryOption)
{
    const std::string help = OPeakParameters::HelpText();
    for (const OPeakParameters::Entry& e : OPeakParameters::Table())
        EXPECT_NE(help.find(std::string("  --") + e.name + "="), std::string::npos) << e.name;
    EXPECT_NE(help.find("(1 to 1000, default 5)"), std::string::npos) << help;
    EXPECT_NE(help.find("(3 points to 201 points, default 11 points)"), std::string::npos) << help;
    EXPECT_NE(help.find("(0 s to 600 s, default 0.5 s)"), std::string::npos) << help;
}

} // namespace
