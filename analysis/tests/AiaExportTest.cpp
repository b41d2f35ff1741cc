// The export dialog's field model: where each field comes from, the unit and
// rate recomputations, the profile section and Save As.

#include "AiaExportModel.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

OAiaExportModel::Inputs RunInputs(float from, float to)
{
    OAiaExportModel::Inputs in;
    in.documentPath = "/data/run001.KLYN";
    in.year = 2024;
    in.month = 3;
    in.day = 5;
    in.hour = 14;
    in.minute = 30;
    in.highestSample = 4000;
    in.lowestSample = 12;
    in.times = {from, (from + to) / 2.0f, to};
    in.first = 0;
    in.last = 2;
    in.detectorMode = "S";
    in.gateParameters = "<1.0,2.0><-><0.5><3.0,4.0><sqrt OFF>";
    in.now = 1700000000;
    return in;
}

TEST(AiaExportFields, RunTimeAndPointsFromTheChromatogram)
{
    OAiaExportModel model;
    OAiaMapProfile profile;
    std::string message;
    model.Init(RunInputs(12.0f, 612.0f), profile, message);
    EXPECT_EQ(message, "");
    const OAiaExportFields& f = model.Fields();
    EXPECT_EQ(f.delayTime, 12.0f);
    EXPECT_EQ(f.actualRunTime, 600.0f);
    EXPECT_EQ(f.numberOfPoints, 6001u);
    EXPECT_EQ(model.GetSamplingRateHz(), 10);

    model.SetRetentionUnit(1);
    EXPECT_EQ(f.delayTime, 0.2f);
    EXPECT_EQ(f.actualRunTime, 10.0f);
    EXPECT_EQ(f.numberOfPoints, 6001u);
    model.SetRetentionUnit(0);
    EXPECT_EQ(f.delayTime, 12.0f);
    EXPECT_EQ(f.actualRunTime, 600.0f);
    // Choosing the unit already shown changes nothing.
    model.SetRetentionUnit(0);
    EXPECT_EQ(f.actualRunTime, 600.0f);

    EXPECT_EQ(model.SetSamplingRate(3, message), 1);
    EXPECT_EQ(f.numberOfPoints, 30001u);
    EXPECT_EQ(model.SetSamplingRate(0, message), 1);
    EXPECT_EQ(f.numberOfPoints, 3001u);
    EXPECT_EQ(model.SetSamplingRate(4, message), 0);
    EXPECT_EQ(message, "Wrong Actual sample interval.");
    EXPECT_EQ(f.numberOfPoints, 1u);
}

TEST(AiaExportFields, ComeFromTheDocumentAndTheProfile)
{
    OAiaMapProfile profile;
    profile.Set("ExpTitle", "Calibration");
    profile.Set("Operator", "J. Doe");
    profile.Set("InjectionVolume", "   1.500");
    profile.Set("ActualSplInterval", "2");
    profile.Set("RetentionUnit", "1");
    profile.Set("Units", "1");
    OAiaExportModel model;
    std::string message;
    model.Init(RunInputs(12.0f, 612.0f), profile, message);
    const OAiaExportFields& f = model.Fields();
    EXPECT_EQ(f.experimentTitle, "Calibration");
    EXPECT_EQ(f.operatorName, "J. Doe");
    EXPECT_EQ(f.datasetOrigin, ""); // missing keys read as empty
    EXPECT_EQ(f.injectionVolume, 1.5f);
    EXPECT_EQ(model.GetSamplingRateHz(), 20);
    EXPECT_EQ(f.numberOfPoints, 12001u);
    EXPECT_EQ(f.delayTime, 0.2f);
    EXPECT_EQ(model.GetField("Units"), "uV");
    EXPECT_EQ(model.GetField("SampleType"), "unknown");
    EXPECT_EQ(f.detectorMethod, "/data/run001.KLYN");
    EXPECT_EQ(f.detectorMode, "S");
    EXPECT_EQ(f.maximumValue, 4000u);
    EXPECT_EQ(f.minimumValue, 12u);
    EXPECT_EQ(f.injectionTimeStamp, "Mar 05, 2024 at 14:30");
    EXPECT_EQ(model.GetInjectionNote(), "");

    profile.Set("ActualSplInterval", "7");
    model.Init(RunInputs(12.0f, 612.0f), profile, message);
    EXPECT_EQ(message, "Wrong actual sample interval.");
    EXPECT_EQ(model.GetSamplingRateHz(), 0);
}

TEST(AiaExportFields, ProfileIsWrittenBackInItsOrder)
{
    OAiaMapProfile stored;
    OAiaExportModel model;
    std::string message;
    model.Init(RunInputs(0.0f, 60.0f), stored, message);
    ASSERT_EQ(model.SetField("injectionvolume", "2.25", message), 1);
    ASSERT_EQ(model.SetField("ExpTitle", "Run 7", message), 1);
    ASSERT_EQ(model.SetField("Units", "uV", message), 1);
    OAiaMapProfile profile;
    model.SaveToProfile(profile);
    EXPECT_EQ(profile.Order(),
              (std::vector<std::string>{
                  "ExpTitle", "DatasetOrigin", "DatasetOwner", "Operator", "CompMethodName",
                  "CompMethodID", "ActualSplInterval", "RetentionUnit", "SampleID", "SampleName",
                  "InjectionVolume", "RawDataTableName", "SampleComment", "Units"}));
    EXPECT_EQ(profile.Get("InjectionVolume"), "   2.250");
    EXPECT_EQ(profile.Get("ExpTitle"), "Run 7");
    EXPECT_EQ(profile.Get("ActualSplInterval"), "1");
    EXPECT_EQ(profile.Get("Units"), "1");
}

TEST(AiaExportFields, FieldsByNameRefuseWhatTheyCannotTake)
{
    OAiaExportModel model;
    OAiaMapProfile profile;
    std::string message;
    model.Init(RunInputs(0.0f, 60.0f), profile, message);
    EXPECT_EQ(model.SetField("Amount", "three", message), 0);
    EXPECT_NE(message.find("Amount"), std::string::npos);
    EXPECT_EQ(model.SetField("Units", "mV", message), 0);
    EXPECT_NE(message.find("nA, uV"), std::string::npos);
    EXPECT_EQ(model.SetField("Colour", "red", message), 0);
    ASSERT_EQ(model.SetField("ActualSplInterval", "50", message), 1);
    EXPECT_EQ(model.Fields().numberOfPoints, 3001u);
    ASSERT_EQ(model.SetField("RetentionUnit", "min", message), 1);
    EXPECT_EQ(model.Fields().actualRunTime, 1.0f);
    ASSERT_EQ(model.SetField("SampleType", "blank", message), 1);
    EXPECT_EQ(model.GetField("sampletype"), "blank");
}

TEST(AiaExportFields, GateParametersText)
{
    EXPECT_EQ(OAiaExportModel::GateParametersText("1.0", "2.0", "-", "0.5", "3.0", "4.0", false),
              "<1.0,2.0><-><0.5><3.0,4.0><sqrt OFF>");
    EXPECT_EQ(OAiaExportModel::GateParametersText("0", "1", "/", "2", "5", "6", true),
              "<0,1></><2><5,6><sqrt ON>");
}

struct StartCase {
    int year, month, day, hour, minute;
    bool known;
};

class RecordingStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(RecordingStart, IsKnownOnlyWithEveryFieldInRange)
{
    const StartCase& c = GetParam();
    EXPECT_EQ(OAiaExportModel::RecordingStart(c.year, c.month, c.day, c.hour, c.minute).has_value(),
              c.known);
}

INSTANTIATE_TEST_SUITE_P(
    AiaExportFields, RecordingStart,
    ::testing::Values(StartCase{2024, 3, 5, 14, 30, true}, StartCase{1900, 1, 1, 0, 0, true},
                      // The clock could not be read.
                      StartCase{0, 0, 0, -1, -1, false}, StartCase{1899, 12, 31, 23, 59, false},
                      StartCase{2024, 13, 5, 14, 30, false}, StartCase{2024, 3, 32, 14, 30, false},
                      StartCase{2024, 3, 5, 24, 30, false}, StartCase{2024, 3, 5, 14, 60, false}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// A recording whose clock could not be read still opens the dialog, with an
// empty injection time stamp and a note saying why.
TEST(AiaExportFields, UnknownRecordingStartOpensWithANote)
{
    OAiaExportModel::Inputs in = RunInputs(0.0f, 60.0f);
    in.year = 0;
    in.month = 0;
    in.day = 0;
    in.hour = -1;
    in.minute = -1;
    OAiaExportModel model;
    OAiaMapProfile profile;
    std::string message;
    model.Init(in, profile, message);
    EXPECT_EQ(message, "");
    EXPECT_EQ(model.Fields().injectionTimeStamp, "");
    EXPECT_EQ(model.GetInjectionNote(), OAiaExportModel::kUnknownStartNote);
    EXPECT_FALSE(model.GetInjectionTime().has_value());
    EXPECT_FALSE(model.BuildValues("x.cdf", {}).injectionTimeStamp.has_value());
}

TEST(AiaExportFields, ThirtyValuesFromTheFields)
{
    OAiaExportModel model;
    OAiaMapProfile profile;
    profile.Set("RetentionUnit", "1");
    std::string message;
    model.Init(RunInputs(12.0f, 612.0f), profile, message);
    model.SetField("Amount", "3", message);
    const OAiaValues v = model.BuildValues("/tmp/x.cdf", {1.0f, 2.0f, 3.0f});
    EXPECT_EQ(v.path, "/tmp/x.cdf");
    EXPECT_EQ(v.separationExperimentType, "gas chromatography");
    EXPECT_EQ(v.sourceModule, "gatemode.cpp");
    EXPECT_EQ(v.detectorName, "Corvanth KLYN");
    EXPECT_EQ(v.sampleType, "unknown");
    EXPECT_EQ(v.amount, "   3.000");
    EXPECT_EQ(v.injectionVolume, "   0.000");
    EXPECT_EQ(v.retentionUnit, "min");
    EXPECT_EQ(v.units, "nA");
    EXPECT_EQ(v.samplingInterval, 0.1f);
    EXPECT_EQ(v.delayTime, 0.2f);
    EXPECT_EQ(v.maximumValue, 4000.0f);
    EXPECT_EQ(v.datasetTimeStamp, std::optional<int64_t>(1700000000));
    EXPECT_EQ(v.count, 3);
    EXPECT_EQ(v.gateParameters, "<1.0,2.0><-><0.5><3.0,4.0><sqrt OFF>");
}

TEST(AiaExportFields, DialogStampsAreEnglishWhateverTheLocale)
{
    const auto start = OAiaExportModel::RecordingStart(2023, 11, 7, 9, 5);
    ASSERT_TRUE(start);
    EXPECT_EQ(OAiaExportModel::DialogStamp(start), "Nov 07, 2023 at 09:05");
    EXPECT_EQ(OAiaExportModel::DialogStamp(std::nullopt), "");
}

TEST(AiaExport, RefusesWhatCannotBeExported)
{
    OAiaExportModel model;
    OAiaMapProfile profile;
    std::string message;
    model.Init(RunInputs(0.0f, 60.0f), profile, message);
    OChromatogram c;
    c.times = {0.0f, 1.0f, 2.0f};
    for (auto& trace : c.traces)
        trace = {1.0f, 2.0f, 3.0f};
    c.last = 2;
    EXPECT_EQ(model.Export("/nonexistent/x.cdf", c, 0, &profile, message), 0);
    EXPECT_EQ(message, "The chromatogram has fewer than four points and cannot be exported.");
    EXPECT_EQ(model.Export("/nonexistent/x.cdf", c, -1, &profile, message), 0);
    EXPECT_EQ(message, OAiaExportModel::kNoGate);
    EXPECT_EQ(model.Export("/nonexistent/x.cdf", c, 5, &profile, message), 0);
    EXPECT_EQ(message, OAiaExportModel::kNoGate);
    // The folder chosen is remembered even so; nothing else was written back.
    EXPECT_EQ(profile.Get("FileDir"), "/nonexistent/");
    EXPECT_FALSE(profile.Get("ExpTitle").has_value());
}

} // namespace
