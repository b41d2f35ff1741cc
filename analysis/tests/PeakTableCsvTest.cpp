// The peak table as CSV, against text written out by hand.

#include "PeakTableCsv.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::vector<OPeak> Table()
{
    OPeak a;
    a.retentionTime = 12.5;
    a.startTime = 10.0;
    a.endTime = 15.125;
    a.height = 1234.5678;
    a.area = 98765.4321;
    a.areaPercent = 200.0 / 3.0;
    a.width = 2.25;
    a.signalToNoise = 4321.987;
    a.baselineStartTime = 10.0;
    a.baselineStartValue = 100.25;
    a.baselineEndTime = 15.125;
    a.baselineEndValue = -3.5;
    OPeak b;
    b.retentionTime = 3600.00004;
    b.startTime = 3599.5;
    b.endTime = 3601.0;
    b.height = 0.001;
    b.area = -1e-8;
    b.areaPercent = -0.0;
    b.width = 0.5;
    b.signalToNoise = 2.0;
    b.baselineStartTime = 3590.0;
    b.baselineStartValue = 1e9;
    b.baselineEndTime = 3700.0;
    b.baselineEndValue = 0.0;
    b.manual = true;
    b.perpendicularStart = true;
    return {a, b};
}

const char* const kHeader =
    "Peak,Retention time (s),Start (s),End (s),Height (nA),Area (nA*s),Area (%),"
    "Width at half height (s),S/N,Baseline start (s),Baseline start value (nA),"
    "Baseline end (s),Baseline end value (nA),Manual,Perpendicular start,Perpendicular end\n";

TEST(PeakTableCsv, WritesTheHeaderAndOneRowPerPeak)
{
    const std::string expected =
        std::string(kHeader) +
        "1,12.5000,10.0000,15.1250,1234.5678,98765.432,66.6667,2.2500,4321.99,10.0000,100.25,"
        "15.1250,-3.5,no,no,no\n"
        "2,3600.0000,3599.5000,3601.0000,0.001,-1e-08,0,0.5000,2,3590.0000,1e+09,3700.0000,0,"
        "yes,yes,no\n";
    EXPECT_EQ(OPeakTableCsv::Text(Table(), "nA"), expected);
    EXPECT_EQ(OPeakTableCsv::Text({}, "nA"), kHeader);
}

TEST(PeakTableCsv, NumbersKeepTheirDigitsAndNoSign)
{
    EXPECT_EQ(OPeakTableCsv::Number(-0.0, 4), "0.0000");
    EXPECT_EQ(OPeakTableCsv::Number(-0.00001, 4), "0.0000");
    EXPECT_EQ(OPeakTableCsv::Number(-0.0, -1), "0");
    EXPECT_EQ(OPeakTableCsv::Number(123456789.0, -1), "1.2345679e+08");
    EXPECT_EQ(OPeakTableCsv::Number(0.1, -1), "0.1");
    EXPECT_EQ(OPeakTableCsv::Number(NAN, 4), "");
    EXPECT_EQ(OPeakTableCsv::Number(INFINITY, -1), "");
}

TEST(PeakTableCsv, WriteReplacesAFileOnlyWhenComplete)
{
    CTempDir dir;
    const std::string path = dir.File("peaks.csv");
    {
        std::ofstream old(path);
        old << "old";
    }
    std::string message;
    ASSERT_EQ(OPeakTableCsv::Write(path, Table(), message), 1) << message;
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), OPeakTableCsv::Text(Table()));
    // Nothing but the file itself is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);

    // A folder in the file's place stays; the reason is given.
    std::filesystem::create_directory(dir.File("taken.csv"));
    EXPECT_EQ(OPeakTableCsv::Write(dir.File("taken.csv"), Table(), message), 0);
    EXPECT_NE(message.find("taken.csv"), std::string::npos) << message;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.csv")));
    EXPECT_EQ(OPeakTableCsv::Write(dir.File("missing/peaks.csv"), Table(), message), 0);
    EXPECT_NE(message.find("missing"), std::string::npos) << message;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              2);
}

} // namespace
