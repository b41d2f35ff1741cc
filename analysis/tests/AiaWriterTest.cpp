// AIA files as readers see them: written, then read back with netCDF-C and
// checked by ncdump.

#include "AiaWriter.h"
#include "AiaExportModel.h"
#include "DVDocData.h"
#include "NcFile.h"
#include "Recordings.h"
#include "TestFiles.h"

#include <netcdf.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

OAiaValues Values(const std::string& path, int count, float interval, float delay,
                  const std::string& unit = "sec")
{
    OAiaValues v;
    v.path = path;
    v.datasetOrigin = "Lab 3";
    v.datasetOwner = "QA";
    v.datasetTimeStamp = 1700000000;
    v.injectionTimeStamp = 1699990000;
    v.experimentTitle = "Calibration";
    v.operatorName = "J. Doe";
    v.gcMethodName = "GC-METHOD";
    v.acquisitionMethod = "ACQ-7";
    v.comments = "first run";
    v.sampleId = "B-12";
    v.sampleName = "Standard";
    v.injectionVolume = "   1.500";
    v.amount = "   0.250";
    v.detectorMode = "S";
    v.gateParameters = "<1.0,2.0><-><0.5><3.0,4.0><sqrt OFF>";
    v.detectorMethod = "/data/run001.KLYN";
    v.maximumValue = 4000.0f;
    v.minimumValue = 12.0f;
    v.units = "uV";
    v.rawDataFileName = "run001";
    v.retentionUnit = unit;
    v.samplingInterval = interval;
    v.delayTime = delay;
    for (int i = 0; i < count; ++i)
        v.values.push_back(static_cast<float>(i % 97) * 0.5f);
    v.count = count;
    return v;
}

TEST(AiaWriter, WritesAClassicFileEveryReaderFindsItsWayIn)
{
    CTempDir dir;
    const std::string path = dir.File("run.cdf");
    OAiaValues values = Values(path, 6001, 0.1f, 12.0f);
    values.values.resize(6100, -1.0f); // more was produced than is handed on
    OAiaWriter writer;
    std::string message;
    ASSERT_EQ(writer.Write(values, message), 1) << message;

    NcFile file(path);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.Format(), NC_FORMAT_CLASSIC);
    const std::pair<const char*, std::string> texts[] = {
        {"dataset_completeness", "C1"},
        {"aia_template_revision", "1.0"},
        {"netcdf_revision", OAiaWriter::NetcdfRevision()},
        {"languages", "English"},
        {"administrative_comments", "first run"},
        {"dataset_origin", "Lab 3"},
        {"dataset_owner", "QA"},
        {"dataset_date_time_stamp", OAiaWriter::TimeStamp(1700000000)},
        {"injection_date_time_stamp", OAiaWriter::TimeStamp(1699990000)},
        {"experiment_title", "Calibration"},
        {"operator_name", "J. Doe"},
        {"separation_experiment_type", "gas chromatography"},
        {"company_method_name", "GC-METHOD"},
        {"pre_experiment_program_name", "ACQ-7"},
        {"source_file_reference", "/data/run001.KLYN"},
        {"sample_id", "B-12"},
        {"sample_name", "Standard"},
        {"sample_type", "unknown"},
        {"detection_method_table_name", "S"},
        {"detector_method_comments", "<1.0,2.0><-><0.5><3.0,4.0><sqrt OFF>"},
        {"detector_name", "Corvanth KLYN"},
        {"detector_unit", "uV"},
        {"raw_data_table_name", "run001"},
        {"retention_unit", "seconds"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(file.Text(name), text) << name;
    EXPECT_NE(OAiaWriter::NetcdfRevision(), "");
    EXPECT_EQ(file.FloatAttribute("sample_injection_volume"), 1.5f);
    EXPECT_EQ(file.FloatAttribute("sample_amount"), 0.25f);

    // One fixed dimension: no unlimited (peak) dimension of length 0.
    EXPECT_EQ(file.Dimensions(), 1);
    EXPECT_EQ(file.Unlimited(), -1);
    EXPECT_EQ(file.DimensionLength("point_number"), 6001u);
    EXPECT_EQ(file.Text("uniform_sampling_flag", file.Var("ordinate_values")), "Y");
    const std::vector<float> ordinates = file.Ordinates();
    ASSERT_EQ(ordinates.size(), 6001u);
    EXPECT_TRUE(std::equal(ordinates.begin(), ordinates.end(), values.values.begin()));
    EXPECT_EQ(file.Scalar("actual_sampling_interval"), 0.1f);
    EXPECT_EQ(file.Scalar("actual_delay_time"), 12.0f);
    EXPECT_EQ(file.Scalar("detector_maximum_value"), 4000.0f);
    EXPECT_EQ(file.Scalar("detector_minimum_value"), 12.0f);
    // The time of the last point: 12 + 6000 x 0.1.
    EXPECT_NEAR(file.Scalar("actual_run_time_length"), 612.0f, 1e-3);
}

struct AxisCase {
    int count;
    int rate;
    const char* unit;
    float delay;
};

class AiaTimeAxis : public ::testing::TestWithParam<AxisCase> {};

// Readers rebuild the axis from delay, interval and the end time: the first
// and last points land within half an interval of the grid, the end time
// never falls short of (points - 1) x interval, and an interval derived from
// it and truncated to whole milliseconds is the sampling interval.
TEST_P(AiaTimeAxis, RebuildsFromDelayIntervalAndEnd)
{
    const AxisCase& c = GetParam();
    CTempDir dir;
    const std::string path = dir.File("axis.cdf");
    const bool minutes = std::string(c.unit) == "min";
    OAiaValues values = Values(path, c.count, 1.0f / static_cast<float>(c.rate), c.delay, c.unit);
    OAiaWriter writer;
    std::string message;
    ASSERT_EQ(writer.Write(values, message), 1) << message;
    NcFile file(path);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.Text("retention_unit"), minutes ? "minutes" : "seconds");

    const float interval = file.Scalar("actual_sampling_interval");
    const float delay = file.Scalar("actual_delay_time");
    const float run = file.Scalar("actual_run_time_length");
    const double unit = minutes ? 60.0 : 1.0;
    const double step = 1.0 / c.rate; // seconds
    EXPECT_NEAR(interval * unit, step, 1e-7);
    const int steps = c.count - 1;
    EXPECT_GE(run - delay, static_cast<float>(steps) * interval);
    EXPECT_GE(static_cast<double>(run) - delay, steps * static_cast<double>(interval));
    const double first = delay * unit;
    const double last = run * unit;
    EXPECT_NEAR(first, c.delay * unit, step / 2);
    EXPECT_NEAR(last, c.delay * unit + steps * step, step / 2);
    if (!minutes && steps > 0) {
        const double derived = (static_cast<double>(run) - delay) / steps;
        EXPECT_EQ(static_cast<int>(derived * 1000.0), static_cast<int>(std::lround(step * 1000)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    AiaWriter, AiaTimeAxis,
    ::testing::Values(AxisCase{6001, 10, "sec", 12.0f}, AxisCase{180001, 50, "sec", 0.0f},
                      AxisCase{18001, 5, "sec", 3.17f}, AxisCase{72001, 20, "sec", 0.86f},
                      AxisCase{180001, 50, "sec", 123.45f}, AxisCase{7, 50, "sec", 0.02f},
                      AxisCase{6001, 10, "min", 0.2f}, AxisCase{180001, 50, "min", 1.5f},
                      AxisCase{1, 10, "sec", 5.0f}),
    [](const auto& info) {
        return "Case" + std::to_string(info.index) + "_" + std::to_string(info.param.count) +
               "Points" + std::to_string(info.param.rate) + "Hz" + info.param.unit;
    });

TEST(AiaWriter, RunTimeLengthCoversEveryStep)
{
    for (int rate : {5, 10, 20, 50})
        for (float delay : {0.0f, 0.07f, 12.0f, 59.99f, 123.45f})
            for (int points : {2, 3, 1000, 6001, 18001, 180001}) {
                const float interval = 1.0f / static_cast<float>(rate);
                const float run = OAiaWriter::RunTimeLength(delay, interval, 1.0 / rate, points);
                const int steps = points - 1;
                ASSERT_GE((run - delay) / static_cast<float>(steps), interval)
                    << rate << " " << delay << " " << points;
                ASSERT_GE((static_cast<double>(run) - delay) / steps, 1.0 / rate)
                    << rate << " " << delay << " " << points;
                ASSERT_NEAR(run, delay + steps / static_cast<double>(rate), 1e-3 + 1e-6 * run);
            }
}

// A recording whose clock could not be read: the attribute is left out
// rather than written with a wrong date.
TEST(AiaWriter, UnknownInjectionTimeIsLeftOut)
{
    CTempDir dir;
    const std::string path = dir.File("unknown.cdf");
    OAiaValues values = Values(path, 100, 0.1f, 0.0f);
    values.injectionTimeStamp.reset();
    OAiaWriter writer;
    std::string message;
    ASSERT_EQ(writer.Write(values, message), 1) << message;
    NcFile file(path);
    ASSERT_TRUE(file.Ok());
    EXPECT_FALSE(file.HasAttribute("injection_date_time_stamp"));
    EXPECT_TRUE(file.HasAttribute("dataset_date_time_stamp"));
}

TEST(AiaWriter, TimeStampsCarryTheirOffsetFromUtc)
{
    const std::string stamp = OAiaWriter::TimeStamp(1700000000);
    ASSERT_EQ(stamp.size(), 19u);
    EXPECT_TRUE(stamp[14] == '+' || stamp[14] == '-');
    std::tm local{};
    const std::time_t t = 1700000000;
    localtime_r(&t, &local);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y%m%d%H%M%S%z", &local);
    EXPECT_EQ(stamp, expected);
}

struct BadValuesCase {
    const char* name;
    int count;
    std::string unit;
    float interval;
    bool nan;
};

class AiaWriterRefusal : public ::testing::TestWithParam<BadValuesCase> {};

// Refused exports say why and leave an earlier file untouched.
TEST_P(AiaWriterRefusal, LeavesTheOldFileAlone)
{
    const BadValuesCase& c = GetParam();
    CTempDir dir;
    const std::string path = dir.File("keep.cdf");
    WriteBytes(path, {'o', 'l', 'd'});
    OAiaValues values = Values(path, 50, c.interval, 0.0f, c.unit);
    values.count = c.count;
    if (c.nan)
        values.values[7] = NAN;
    OAiaWriter writer;
    std::string message;
    EXPECT_EQ(writer.Write(values, message), 0);
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

INSTANTIATE_TEST_SUITE_P(AiaWriter, AiaWriterRefusal,
                         ::testing::Values(BadValuesCase{"CountPastTheBlock", 51, "sec", 0.1f,
                                                         false},
                                           BadValuesCase{"NoValues", 0, "sec", 0.1f, false},
                                           BadValuesCase{"NotANumber", 50, "sec", 0.1f, true},
                                           BadValuesCase{"BadUnit", 50, "hours", 0.1f, false},
                                           BadValuesCase{"NoInterval", 50, "sec", 0.0f, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AiaWriter, MissingFolderIsReported)
{
    OAiaWriter writer;
    std::string message;
    EXPECT_EQ(writer.Write(Values("/nonexistent-folder/x.cdf", 10, 0.1f, 0.0f), message), 0);
    EXPECT_NE(message.find("/nonexistent-folder"), std::string::npos);
}

TEST(AiaWriter, NcdumpAcceptsTheFile)
{
    CTempDir dir;
    const std::string path = dir.File("dump me.cdf");
    OAiaWriter writer;
    std::string message;
    ASSERT_EQ(writer.Write(Values(path, 500, 0.2f, 1.0f), message), 1) << message;
    const std::string out = dir.File("header.txt");
    const std::string command =
        std::string(TARVOLIN_NCDUMP) + " -h '" + path + "' > '" + out + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("point_number = 500 ;"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("float ordinate_values(point_number) ;"), std::string::npos);
    EXPECT_NE(text.str().find(":dataset_completeness = \"C1\" ;"), std::string::npos);
}

// Save As from the field model: the trace resampled at the chosen rate,
// the count handed on the count produced, the profile written back.
TEST(AiaExport, SaveAsWritesTheResampledTrace)
{
    CTempDir dir;
    OChromatogram c;
    for (int k = 0; k <= 300; ++k) {
        c.times.push_back(static_cast<float>((1200 + 20 * k) / 100.0)); // 12.0 .. 72.0 s
        for (auto& trace : c.traces)
            trace.push_back(static_cast<float>(k));
    }
    c.last = 300;
    OAiaExportModel::Inputs in;
    in.times = c.times;
    in.last = c.last;
    in.year = 2024;
    in.month = 1;
    in.day = 2;
    in.hour = 3;
    in.minute = 4;
    OAiaMapProfile profile;
    profile.Set("RetentionUnit", "1");
    OAiaExportModel model;
    std::string message;
    model.Init(in, profile, message);
    EXPECT_EQ(model.Fields().numberOfPoints, 601u);
    const std::string path = dir.File("out.cdf");
    ASSERT_EQ(model.Export(path, c, 2, &profile, message), 1) << message;
    EXPECT_EQ(profile.Get("FileDir"), dir.Path().string() + "/");
    EXPECT_EQ(profile.Get("RetentionUnit"), "1");

    NcFile file(path);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.DimensionLength("point_number"), 601u);
    EXPECT_EQ(file.Text("retention_unit"), "minutes");
    EXPECT_EQ(file.Scalar("actual_delay_time"), 0.2f);
    const std::vector<float> v = file.Ordinates();
    // The trace rises by 1 every 0.2 s: the grid (0.1 s) halves the steps.
    EXPECT_NEAR(v[0], 0.0f, 1e-4);
    EXPECT_NEAR(v[1], 0.5f, 1e-3);
    EXPECT_NEAR(v[600], 300.0f, 1e-3);
}

} // namespace

namespace {

// The command line's way: a document, a gate, a file.
TEST(AiaExport, FromAnOpenDocument)
{
    CTempDir dir;
    CDataFileHeader header = recordings::SimpleHeader();
    header.config.gates[0] = recordings::Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_MINUS, 0.5);
    std::vector<CPulseData> pulses;
    for (int k = 0; k < 50; ++k)
        pulses.push_back(recordings::Ramp(100 + k, 0.0, 0, 1200 + 20 * k, k + 1));
    const std::string data = dir.File("run.KLYN");
    recordings::Write(data, header, pulses);
    ODVDocData::Options options;
    options.cacheFolder = dir.File("cache");
    ODVDocData doc(options);
    std::string message;
    ASSERT_EQ(doc.Open(data, message), 1) << message;

    const OAiaExportModel::Inputs in = OAiaExportModel::InputsFrom(doc, 0);
    EXPECT_EQ(in.gateParameters, "<1.0,2.0><-><0.500><3.0,4.0><sqrt OFF>");
    EXPECT_EQ(in.detectorMode, "S");
    EXPECT_EQ(in.highestSample, 149u + 249u);
    OAiaMapProfile profile;
    OAiaExportModel model;
    model.Init(in, profile, message);
    EXPECT_EQ(model.Fields().injectionTimeStamp, "Mar 05, 2024 at 14:30");
    EXPECT_EQ(model.Fields().numberOfPoints, 99u); // 12.0 s to 21.8 s at 10 Hz
    const std::string out = dir.File("run.cdf");
    ASSERT_EQ(model.Export(out, doc.GetChromatogram(), 0, &profile, message), 1) << message;
    NcFile file(out);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(file.DimensionLength("point_number"), 99u);
    EXPECT_EQ(file.Text("source_file_reference"), data);
    EXPECT_EQ(file.Text("injection_date_time_stamp"),
              OAiaWriter::TimeStamp(*OAiaExportModel::RecordingStart(2024, 3, 5, 14, 30)));
    // Gate 0: mean of samples 10..20 less half of 30..40, b + 15 - (b + 35) / 2.
    const std::vector<float> v = file.Ordinates();
    EXPECT_NEAR(v.front(), 100.0f + 15.0f - 67.5f, 1e-3);
    EXPECT_NEAR(v.back(), 149.0f + 15.0f - 92.0f, 1e-3);
}

} // namespace
