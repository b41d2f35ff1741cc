// The peak table in AIA files, read back with netCDF-C and checked by ncdump.

#include "AiaExportModel.h"
#include "AiaPeakSection.h"
#include "NcFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Ten minutes of a rising trace, 12.0 to 612.0 s.
OChromatogram TenMinutes()
{
    OChromatogram c;
    for (int k = 0; k <= 3000; ++k) {
        c.times.push_back(static_cast<float>((1200 + 20 * k) / 100.0));
        for (auto& trace : c.traces)
            trace.push_back(static_cast<float>(k % 50));
    }
    c.last = 3000;
    return c;
}

std::vector<OPeak> Peaks()
{
    OPeak a;
    a.retentionTime = 120.0;
    a.startTime = 114.0;
    a.endTime = 127.5;
    a.width = 3.0;
    a.area = 5000.25;
    a.areaPercent = 80.0;
    a.height = 1000.5;
    a.baselineStartTime = 114.0;
    a.baselineStartValue = 10.0;
    a.baselineEndTime = 127.5;
    a.baselineEndValue = 12.5;
    OPeak b = a;
    b.retentionTime = 300.0;
    b.startTime = 297.0;
    b.endTime = 306.0;
    b.width = 1.5;
    b.area = 1250.0625;
    b.areaPercent = 20.0;
    b.height = 400.0;
    b.baselineStartTime = 290.0;
    b.baselineEndTime = 306.0;
    b.manual = true;
    return {a, b};
}

class AiaPeakTest : public ::testing::Test {
protected:
    int Export(const std::string& path, int unit, std::vector<OPeak> peaks,
               const std::string& comments = "")
    {
        const OChromatogram c = TenMinutes();
        OAiaExportModel::Inputs in;
        in.times = c.times;
        in.last = c.last;
        OAiaMapProfile profile;
        profile.Set("RetentionUnit", std::to_string(unit));
        model.Init(in, profile, message);
        model.SetPeaks(std::move(peaks), comments);
        return model.Export(path, c, 0, nullptr, message);
    }

    std::vector<float> Floats(const NcFile& file, const char* name) const
    {
        const int var = file.Var(name);
        nc_type type = 0;
        int dims = 0;
        int dim = -1;
        nc_inq_vartype(file.Id(), var, &type);
        nc_inq_varndims(file.Id(), var, &dims);
        nc_inq_vardimid(file.Id(), var, &dim);
        int peakDim = -2;
        nc_inq_dimid(file.Id(), "peak_number", &peakDim);
        if (type != NC_FLOAT || dims != 1 || dim != peakDim)
            return {};
        std::vector<float> values(file.DimensionLength("peak_number"));
        nc_get_var_float(file.Id(), var, values.data());
        return values;
    }

    std::string Dump(const std::string& path, const char* options) const
    {
        const std::string out = dir.File("dump.txt");
        const std::string command =
            std::string(TARVOLIN_NCDUMP) + " " + options + " '" + path + "' > '" + out + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream in(out);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    CTempDir dir;
    OAiaExportModel model;
    std::string message;
};

TEST_F(AiaPeakTest, PeakTableGoesWithTheRawData)
{
    const std::string path = dir.File("peaks.cdf");
    ASSERT_EQ(Export(path, 0, Peaks(), "threshold 5, min-width 0.5 s, smoothing 11 points"), 1)
        << message;
    NcFile file(path);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.Format(), NC_FORMAT_CLASSIC);
    EXPECT_EQ(file.Text("dataset_completeness"), "C1+C2");
    EXPECT_EQ(file.Text("peak_processing_results_comments"),
              "threshold 5, min-width 0.5 s, smoothing 11 points");
    EXPECT_EQ(file.Dimensions(), 3);
    EXPECT_EQ(file.Unlimited(), -1);
    EXPECT_EQ(file.DimensionLength("point_number"), 6001u);
    EXPECT_EQ(file.DimensionLength("peak_number"), 2u);
    EXPECT_EQ(file.DimensionLength("_32_byte_string"), 32u);

    const std::pair<const char*, std::vector<float>> columns[] = {
        {"peak_retention_time", {120.0f, 300.0f}}, {"peak_start_time", {114.0f, 297.0f}},
        {"peak_end_time", {127.5f, 306.0f}},       {"peak_width", {3.0f, 1.5f}},
        {"peak_area", {5000.25f, 1250.0625f}},     {"peak_area_percent", {80.0f, 20.0f}},
        {"peak_height", {1000.5f, 400.0f}},        {"baseline_start_time", {114.0f, 290.0f}},
        {"baseline_start_value", {10.0f, 10.0f}},  {"baseline_stop_time", {127.5f, 306.0f}},
        {"baseline_stop_value", {12.5f, 12.5f}},
    };
    for (const auto& [name, expected] : columns)
        EXPECT_EQ(Floats(file, name), expected) << name;

    // Names: two empty 32-character strings; the manual flag as a short.
    const int names = file.Var("peak_name");
    nc_type type = 0;
    int dims[2] = {-1, -1};
    nc_inq_vartype(file.Id(), names, &type);
    nc_inq_vardimid(file.Id(), names, dims);
    EXPECT_EQ(type, NC_CHAR);
    std::vector<char> text(64, 'x');
    ASSERT_EQ(nc_get_var_text(file.Id(), names, text.data()), NC_NOERR);
    EXPECT_EQ(text, std::vector<char>(64, '\0'));
    const int manual = file.Var("manually_reintegrated_peaks");
    nc_inq_vartype(file.Id(), manual, &type);
    EXPECT_EQ(type, NC_SHORT);
    short flags[2] = {-1, -1};
    ASSERT_EQ(nc_get_var_short(file.Id(), manual, flags), NC_NOERR);
    EXPECT_EQ(flags[0], 0);
    EXPECT_EQ(flags[1], 1);

    const std::string dump = Dump(path, "");
    EXPECT_NE(dump.find("peak_number = 2 ;"), std::string::npos) << dump;
    EXPECT_NE(dump.find("float peak_retention_time(peak_number) ;"), std::string::npos);
    EXPECT_NE(dump.find("char peak_name(peak_number, _32_byte_string) ;"), std::string::npos);
    EXPECT_NE(dump.find("short manually_reintegrated_peaks(peak_number) ;"), std::string::npos);
    EXPECT_NE(dump.find("peak_retention_time = 120, 300 ;"), std::string::npos) << dump;
    EXPECT_NE(dump.find(":dataset_completeness = \"C1+C2\" ;"), std::string::npos);
}

// Times follow the retention unit; areas, heights and values do not.
TEST_F(AiaPeakTest, TimesAreInTheRetentionUnit)
{
    const std::string path = dir.File("minutes.cdf");
    ASSERT_EQ(Export(path, 1, Peaks()), 1) << message;
    NcFile file(path);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.Text("retention_unit"), "minutes");
    EXPECT_EQ(Floats(file, "peak_retention_time"), (std::vector<float>{2.0f, 5.0f}));
    EXPECT_EQ(Floats(file, "peak_start_time"), (std::vector<float>{1.9f, 4.95f}));
    EXPECT_EQ(Floats(file, "peak_width"), (std::vector<float>{0.05f, 0.025f}));
    EXPECT_EQ(Floats(file, "baseline_stop_time"), (std::vector<float>{2.125f, 5.1f}));
    EXPECT_EQ(Floats(file, "peak_area"), (std::vector<float>{5000.25f, 1250.0625f}));
    EXPECT_EQ(Floats(file, "baseline_start_value"), (std::vector<float>{10.0f, 10.0f}));
    EXPECT_FALSE(file.HasAttribute("peak_processing_results_comments"));
}

// No peaks: the file stays "C1", with no peak dimension of length 0.
TEST_F(AiaPeakTest, EmptyTableWritesRawDataAlone)
{
    const std::string path = dir.File("raw.cdf");
    ASSERT_EQ(Export(path, 0, {}, "ignored"), 1) << message;
    NcFile file(path);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.Text("dataset_completeness"), "C1");
    EXPECT_EQ(file.Dimensions(), 1);
    EXPECT_EQ(file.Var("peak_retention_time"), -1);
    EXPECT_FALSE(file.HasAttribute("peak_processing_results_comments"));
    EXPECT_EQ(Dump(path, "-h").find("peak"), std::string::npos);
}

// One model exports as often as it is asked, each file whole.
TEST_F(AiaPeakTest, ExportsAgainWithTheSameModel)
{
    ASSERT_EQ(Export(dir.File("a.cdf"), 0, Peaks()), 1) << message;
    ASSERT_EQ(model.Export(dir.File("b.cdf"), TenMinutes(), 0, nullptr, message), 1) << message;
    NcFile file(dir.File("b.cdf"));
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.DimensionLength("peak_number"), 2u);
    EXPECT_EQ(file.Text("dataset_completeness"), "C1+C2");
}

// A peak without a number is refused before anything is written.
TEST_F(AiaPeakTest, PeakWithoutANumberIsRefused)
{
    const std::string path = dir.File("bad.cdf");
    std::vector<OPeak> peaks = Peaks();
    peaks[1].height = NAN;
    EXPECT_EQ(Export(path, 0, peaks), 0);
    EXPECT_NE(message.find("peak_height"), std::string::npos) << message;
    EXPECT_NE(message.find("peak 2"), std::string::npos) << message;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              0);
}

} // namespace
