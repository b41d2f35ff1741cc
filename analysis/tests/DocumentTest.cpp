// A document's data side on real recordings: opening and its messages, the
// intermediate file, per-document configurations, pulses, configuration files.

#include "ConfigFile.h"
#include "DVDocData.h"
#include "Recordings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using recordings::Gate;

class DocumentTest : public ::testing::Test {
protected:
    std::string Record(const std::string& name, const std::vector<CPulseData>& pulses,
                       const CDataFileHeader& header = recordings::SimpleHeader())
    {
        const std::string path = dir.File(name);
        recordings::Write(path, header, pulses);
        return path;
    }

    ODVDocData::Options Options() const
    {
        ODVDocData::Options options;
        options.cacheFolder = dir.File("cache");
        return options;
    }

    CTempDir dir;
};

TEST_F(DocumentTest, TenPulsesOpenNineDoNot)
{
    for (int n : {0, 1, 9}) {
        const std::string path = Record("short.KLYN", recordings::Ramps(n));
        ODVDocData doc(Options());
        std::string message;
        EXPECT_EQ(doc.Open(path, message), 0) << n;
        EXPECT_EQ(message, "Problem reading document.") << n;
        EXPECT_FALSE(doc.IsOpen());
        // A failed open leaves no intermediate file behind.
        EXPECT_FALSE(std::filesystem::exists(dir.File("short.INTN"))) << n;
    }
    const std::string path = Record("ten.KLYN", recordings::Ramps(10));
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    EXPECT_EQ(doc.GetPulseCount(), 10);
    EXPECT_EQ(doc.GetChromatogram().GetCount(), 10);
    EXPECT_EQ(doc.GetFileName(), "ten.KLYN");
    EXPECT_EQ(doc.GetCurrentIndex(), 0);
    EXPECT_EQ(doc.GetCurrentPulse().GetPulseIndex(), 1);
    EXPECT_EQ(doc.GetSalvageNote(), "");
    EXPECT_EQ(doc.GetTimeAxisNote(), "");
}

TEST_F(DocumentTest, WhatIsNoRecordingCannotBeOpened)
{
    WriteBytes(dir.File("garbage.KLYN"), {1, 2, 3, 4, 5});
    WriteBytes(dir.File("empty.KLYN"), {});
    std::filesystem::create_directory(dir.File("folder.KLYN"));
    ASSERT_EQ(::mkfifo(dir.File("fifo.KLYN").c_str(), 0600), 0);
    for (const char* name :
         {"garbage.KLYN", "empty.KLYN", "folder.KLYN", "fifo.KLYN", "missing.KLYN"}) {
        ODVDocData doc(Options());
        std::string message;
        EXPECT_EQ(doc.Open(dir.File(name), message), 0) << name;
        EXPECT_EQ(message, "Could not open the document.") << name;
        EXPECT_FALSE(doc.GetLastError().empty()) << name;
    }
}

// Samples 100 (k + 1) + i, T = 0.5, dark 10: a window [s, e] of pulse k is
// worth b + (s + e + 1) / 2 - 10 with b = 100 (k + 1), exactly. The file is
// built from that rule here, not by running the calculation.
TEST_F(DocumentTest, IntermediateFileHoldsEveryRecordAndTheTail)
{
    CDataFileHeader header = recordings::SimpleHeader();
    header.config.gates[0] = Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_MINUS, 0.5);
    header.config.gates[1] = Gate(GM_P, 0.0, 0.9, 0.0, 0.0, GO_PLUS, 0.0);
    header.config.gates[2] = Gate(GM_C, 5.0, 5.0, 5.0, 5.0, GO_MULTIPLY, 1.0, true);
    header.config.gates[3] = Gate(GM_N, 10.0, 11.0, 20.0, 21.0, GO_DIVIDE, 0.25);
    header.config.gates[4].SetType(50); // not set: mode 4 keeps the start-up values
    header.config.channels[0].SetGateIndex(0);
    header.config.channels[0].SetChannelZero(20);
    header.config.channels[1].SetGateIndex(3);
    header.config.channels[1].SetChannelZero(1);
    const std::string path = Record("run.KLYN", recordings::Ramps(12), header);

    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    EXPECT_EQ(doc.GetIntermediatePath(), dir.File("run.INTN"));
    EXPECT_FALSE(doc.IsIntermediateInCache());

    std::vector<uint8_t> expected;
    le::Writer w(expected);
    for (int k = 0; k < 12; ++k) {
        const float b = 100.0f * static_cast<float>(k + 1);
        const auto window = [&](int s, int e) { return b + (s + e + 1) / 2.0f - 10.0f; };
        w.I32(1000 + 14 * k);
        w.F32(window(10, 20) - 0.5f * window(30, 40) - 20.0f);
        w.F32(window(0, 9));
        w.F32(window(50, 50));
        w.F32(window(100, 110) / (0.25f * window(200, 210)) - 1.0f);
        w.F32(window(0, 0));
    }
    w.U16(100);  // lowest sample: pulse 0, sample 0
    w.U16(1449); // highest: pulse 11, sample 249
    EXPECT_EQ(ReadBytes(dir.File("run.INTN")), expected);

    doc.Close();
    EXPECT_FALSE(std::filesystem::exists(dir.File("run.INTN")));
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(DocumentTest, ChromatogramTimesAndBounds)
{
    std::vector<CPulseData> pulses = recordings::Ramps(10);
    pulses[0].SetPulseTime(12345);
    for (int k = 1; k < 10; ++k)
        pulses[static_cast<size_t>(k)].SetPulseTime(12345 + 50 * k);
    const std::string path = Record("times.KLYN", pulses);
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    const OChromatogram& c = doc.GetChromatogram();
    EXPECT_EQ(c.times[0], 123.45f);
    EXPECT_EQ(c.times[9], 127.95f);
    EXPECT_EQ(c.first, 0);
    EXPECT_EQ(c.last, 9);
    // Gate 0 of the simple header: mean of samples 10..20 (T terms half a
    // sample each end) less dark: b + 5.5, b = 100 .. 1000.
    EXPECT_EQ(c.traces[0][0], 105.5f);
    EXPECT_EQ(c.traces[0][9], 1005.5f);
    EXPECT_EQ(c.maximum, 1005.5f);
    EXPECT_EQ(c.bounds.xMin, 123.45f);
    EXPECT_EQ(c.bounds.xMax, 127.95f + (127.95f - 123.45f) * 0.05f);
    EXPECT_EQ(c.bounds.yMax, 1005.5f + 1005.5f * 0.05f);
    EXPECT_EQ(doc.GetCurrentPulseTime(), static_cast<double>(123.45f));
}

// A board that stamps nothing outside a run: every time 0. The axis is rebuilt
// from the frequency field (5 pulses per second) and the note says so.
TEST_F(DocumentTest, TimesThatDoNotRiseAreRebuiltAndNoted)
{
    std::vector<CPulseData> pulses = recordings::Ramps(12);
    for (CPulseData& p : pulses) {
        p.SetPulseTime(0);
        p.SetFrequencyPulse(5.0);
    }
    const std::string path = Record("manual.KLYN", pulses);
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    EXPECT_FALSE(doc.GetTimeAxisNote().empty());
    const OChromatogram& c = doc.GetChromatogram();
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(c.times[static_cast<size_t>(k)], static_cast<float>(20 * k / 100.0)) << k;
    EXPECT_EQ(le::GetI32(&ReadBytes(doc.GetIntermediatePath())[24 * 11]), 220);
}

// Samples wider than 16 bits: the document keeps the true extremes (for the
// export's detector range); the intermediate file's 16-bit tail saturates.
TEST_F(DocumentTest, SampleExtremesKeepTheirFullWidth)
{
    std::vector<CPulseData> pulses = recordings::Ramps(10);
    pulses[4].SetData(100, 70000);
    pulses[6].SetData(7, 3);
    const std::string path = Record("wide.KLYN", pulses);
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    EXPECT_EQ(doc.GetHighestSample(), 70000u);
    EXPECT_EQ(doc.GetLowestSample(), 3u);
    const std::vector<uint8_t> bytes = ReadBytes(doc.GetIntermediatePath());
    ASSERT_EQ(bytes.size(), 10u * 24 + 4);
    EXPECT_EQ(le::Get16(&bytes[240]), 3);
    EXPECT_EQ(le::Get16(&bytes[242]), 65535);
}

// The count of a recording that never finished reads 0: every complete pulse
// is still there, and the note says what was salvaged.
TEST_F(DocumentTest, SalvagedRecordingOpensWithItsNote)
{
    const std::string path = Record("cut.KLYN", recordings::Ramps(15));
    std::vector<uint8_t> bytes = ReadBytes(path);
    CDataFileHeader header = recordings::SimpleHeader();
    le::Put32(&bytes[header.CountPosition()], 0);
    bytes.resize(bytes.size() - 100); // and the last record torn
    WriteBytes(path, bytes);

    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    EXPECT_EQ(doc.GetPulseCount(), 14);
    EXPECT_NE(doc.GetSalvageNote().find("14"), std::string::npos) << doc.GetSalvageNote();
    EXPECT_EQ(doc.GetSalvageReport().storedCount, 0);
}

// Two documents, the same pulses, different gate settings: each computes
// with its own configuration, however they are opened and recalculated.
TEST_F(DocumentTest, EachDocumentComputesWithItsOwnConfiguration)
{
    CDataFileHeader plain = recordings::SimpleHeader();
    CDataFileHeader other = plain;
    other.config.gates[0] = Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_PLUS, 1.0, true);
    other.config.channels[0].SetChannelZero(100);
    other.config.channels[1].SetGateIndex(1);
    const std::string first = Record("first.KLYN", recordings::Ramps(10), plain);
    const std::string second = Record("second.KLYN", recordings::Ramps(10), other);

    ODVDocData a(Options());
    ODVDocData b(Options());
    std::string message;
    ASSERT_EQ(a.Open(first, message), 1) << message;
    const std::vector<float> alone = a.GetChromatogram().traces[0];
    ASSERT_EQ(b.Open(second, message), 1) << message;
    ASSERT_EQ(a.Recalculate(message), 1) << message;
    EXPECT_EQ(a.GetChromatogram().traces[0], alone);
    EXPECT_EQ(alone[0], 105.5f);
    // sqrt((105.5 + 125.5) - 100)
    EXPECT_EQ(b.GetChromatogram().traces[0][0], std::sqrt(131.0f));
    EXPECT_EQ(a.GetWorkingConfiguration().GetGateModeData(0).GetOperator(), 0);
    EXPECT_EQ(b.GetWorkingConfiguration().GetGateModeData(0).GetOperator(), 1);
}

TEST_F(DocumentTest, GoToNextAndPreviousPulse)
{
    const std::string path = Record("steps.KLYN", recordings::Ramps(10));
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    EXPECT_FALSE(doc.HasPreviousPulse());
    EXPECT_EQ(doc.PreviousPulse(), 0);
    EXPECT_TRUE(doc.HasNextPulse());
    ASSERT_EQ(doc.NextPulse(), 1);
    EXPECT_EQ(doc.GetCurrentPulse().GetData(0), 200);
    ASSERT_EQ(doc.GoToPulse(9), 1);
    EXPECT_EQ(doc.GetCurrentPulse(), recordings::Ramps(10)[9]);
    EXPECT_FALSE(doc.HasNextPulse());
    EXPECT_EQ(doc.NextPulse(), 0);
    EXPECT_EQ(doc.GoToPulse(10), 0);
    EXPECT_EQ(doc.GoToPulse(-1), 0);
    EXPECT_EQ(doc.GetCurrentIndex(), 9);
    ASSERT_EQ(doc.PreviousPulse(), 1);
    EXPECT_EQ(doc.GetCurrentIndex(), 8);

    // A recalculation keeps the current pulse.
    ASSERT_EQ(doc.Recalculate(message), 1);
    EXPECT_EQ(doc.GetCurrentIndex(), 8);
    EXPECT_EQ(doc.GetCurrentPulse().GetData(0), 900);
    const OPulseShape shape = doc.GetCurrentPulseShape();
    ASSERT_EQ(shape.x.size(), 250u);
    EXPECT_EQ(shape.x[25], 2.5);
    EXPECT_EQ(shape.y[25], 925.0);
}

TEST_F(DocumentTest, GateEditRecalculatesAndRenames)
{
    const std::string path = Record("edit.KLYN", recordings::Ramps(10));
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    CGateParameters gates = doc.GetRecords().gates;
    gates[0] = Gate(GM_P, 2.0, 3.0, 0, 0, GO_MINUS, 0.0);
    gates[1] = Gate(GM_P, 30.0, 31.0, 0, 0, GO_MINUS, 0.0);
    gates.Sort();
    ASSERT_EQ(doc.SetGateParameters(gates, message), 1) << message;
    EXPECT_EQ(doc.GetGateDescriptors()[0].name, "Mode P");
    EXPECT_EQ(doc.GetGateDescriptors()[1].name, "Mode P-2");
    EXPECT_EQ(doc.GetChromatogram().traces[0][0], 100.0f + 25.5f - 10.0f);
    // Gate 1 reaches past the pulse: clamped to its last sample and flagged.
    EXPECT_TRUE(doc.GetChromatogram().clamped[1]);
    EXPECT_FALSE(doc.GetChromatogram().clamped[0]);
    EXPECT_EQ(doc.GetChromatogram().traces[1][0], 100.0f + 249.0f - 0.5f * 349.0f - 10.0f);
}

TEST_F(DocumentTest, BoardAndChannelEditRecalculatesWithItsZeroAndTimedEventsDoNot)
{
    const std::string path = Record("zero.KLYN", recordings::Ramps(10));
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    ASSERT_EQ(doc.GetChromatogram().traces[0][0], 105.5f);

    // Channel 1 now zeroes gate 0 by 5 counts; channel 2 looks after gate 3.
    CChannelParameters channels = doc.GetRecords().channels;
    channels[0].SetGateIndex(0);
    channels[0].SetChannelZero(5);
    channels[1].SetGateIndex(3);
    channels[1].SetChannelZero(7);
    CBoardParameters board = doc.GetRecords().board;
    board.SetTriggerLevel(40);
    ASSERT_EQ(doc.SetBoardAndChannelParameters(board, channels, message), 1) << message;
    EXPECT_EQ(doc.GetChromatogram().traces[0][0], 100.5f);
    EXPECT_TRUE(doc.GetRecords().channels == channels);
    EXPECT_EQ(doc.GetWorkingConfiguration().GetChannelData(1).GetZeroValue(), 7);
    EXPECT_EQ(doc.GetWorkingConfiguration().GetTriggerLevel(), 40);

    CTimedEvent events;
    CTimedEventData record;
    record.SetEventTime(1.5);
    record.SetEventCode(EC_RECORD);
    record.SetEventValue(1);
    events.AddTimedEvent(record);
    doc.SetTimedEvents(events);
    EXPECT_EQ(doc.GetRecords().events.GetCount(), 1);
    EXPECT_EQ(doc.GetWorkingConfiguration().GetEventCount(), 1);
    EXPECT_EQ(doc.GetChromatogram().traces[0][0], 100.5f);
}

TEST_F(DocumentTest, ConfigurationFilesSaveAndOpen)
{
    const std::string path = Record("cfg.KLYN", recordings::Ramps(10));
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    const std::string saved = dir.File("setup.cnfg");
    ASSERT_EQ(doc.SaveCfgFile(saved, message), 1) << message;
    CConfigFile image;
    ASSERT_EQ(image.Open(saved, message), 1);
    EXPECT_EQ(image.GetGateParameters(), doc.GetRecords().gates);

    CGateParameters gates = doc.GetRecords().gates;
    gates[0].SetAlpha(1.0);
    ASSERT_EQ(doc.SetGateParameters(gates, message), 1);
    ASSERT_NE(doc.GetChromatogram().traces[0][0], 105.5f);
    ASSERT_EQ(doc.OpenCfgFile(saved, message), 1) << message;
    EXPECT_EQ(doc.GetRecords().gates, image.GetGateParameters());
    EXPECT_EQ(doc.GetChromatogram().traces[0][0], 105.5f);

    // A file that is not a configuration file changes nothing.
    const std::string wrong = dir.File("notes.cnfg");
    WriteBytes(wrong, std::vector<uint8_t>(500, 7));
    EXPECT_EQ(doc.OpenCfgFile(wrong, message), 0);
    EXPECT_NE(message.find("not a configuration file"), std::string::npos);
    EXPECT_EQ(doc.GetRecords().gates, image.GetGateParameters());
    EXPECT_EQ(doc.OpenCfgFile(dir.File("missing.cnfg"), message), 0);
    EXPECT_EQ(doc.SaveCfgFile(dir.File("no/such/folder.cnfg"), message), 0);
    EXPECT_FALSE(message.empty());
}

// A folder that cannot take the intermediate file: it goes to the cache
// folder under a name of its own, and is removed on close all the same.
TEST_F(DocumentTest, IntermediateFileFallsBackToTheCache)
{
    const std::string path = Record("share.KLYN", recordings::Ramps(10));
    // A folder in the way of run.INTN stands for a folder that refuses new files.
    std::filesystem::create_directory(dir.File("share.INTN"));
    ODVDocData doc(Options());
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    EXPECT_TRUE(doc.IsIntermediateInCache());
    const std::string scratch = doc.GetIntermediatePath();
    EXPECT_EQ(std::filesystem::path(scratch).parent_path(), dir.File("cache"));
    EXPECT_EQ(std::filesystem::path(scratch).extension(), ".INTN");
    EXPECT_EQ(std::filesystem::file_size(scratch), 10u * 24 + 4);

    // A second document of the same recording gets a name of its own.
    ODVDocData second(Options());
    ASSERT_EQ(second.Open(path, message), 1) << message;
    EXPECT_NE(second.GetIntermediatePath(), scratch);
    doc.Close();
    EXPECT_FALSE(std::filesystem::exists(scratch));
    EXPECT_TRUE(std::filesystem::exists(second.GetIntermediatePath()));
}

// Two documents of one recording never compute through the same file: the
// second finds the first one's locked and goes to the cache.
TEST_F(DocumentTest, TwoDocumentsOfOneRecordingKeepTheirOwnFiles)
{
    const std::string path = Record("twice.KLYN", recordings::Ramps(10));
    ODVDocData first(Options());
    ODVDocData second(Options());
    std::string message;
    ASSERT_EQ(first.Open(path, message), 1) << message;
    EXPECT_EQ(first.GetIntermediatePath(), dir.File("twice.INTN"));
    ASSERT_EQ(second.Open(path, message), 1) << message;
    EXPECT_TRUE(second.IsIntermediateInCache());
    CGateParameters gates = second.GetRecords().gates;
    gates[0].SetAlpha(1.0);
    ASSERT_EQ(second.SetGateParameters(gates, message), 1) << message;
    ASSERT_EQ(first.Recalculate(message), 1) << message;
    EXPECT_EQ(first.GetChromatogram().traces[0][0], 105.5f);
    EXPECT_EQ(second.GetChromatogram().traces[0][0], 0.0f);
    // Once the first has closed, the place beside the recording is free again.
    first.Close();
    ODVDocData third(Options());
    ASSERT_EQ(third.Open(path, message), 1) << message;
    EXPECT_FALSE(third.IsIntermediateInCache());
}

TEST_F(DocumentTest, ReadOnlyFolderUsesTheCache)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    std::filesystem::create_directory(dir.File("ro"));
    const std::string path = dir.File("ro/run.KLYN");
    recordings::Write(path, recordings::SimpleHeader(), recordings::Ramps(10));
    ::chmod(dir.File("ro").c_str(), 0555);
    ODVDocData doc(Options());
    std::string message;
    const int opened = doc.Open(path, message);
    ::chmod(dir.File("ro").c_str(), 0755);
    ASSERT_EQ(opened, 1) << message;
    EXPECT_TRUE(doc.IsIntermediateInCache());
}

TEST_F(DocumentTest, NoPlaceForTheIntermediateFileIsAWriteProblem)
{
    const std::string path = Record("nowhere.KLYN", recordings::Ramps(10));
    std::filesystem::create_directory(dir.File("nowhere.INTN"));
    WriteBytes(dir.File("cache"), {1}); // the cache folder is a file
    ODVDocData doc(Options());
    std::string message;
    EXPECT_EQ(doc.Open(path, message), 0);
    EXPECT_EQ(message, "Problem writing to disk.");
}

class RecordingProgress : public IProgress {
public:
    void Start(const std::string& task) override { events.push_back("start " + task); }
    void Step(const std::string& text, double) override { events.push_back(text); }
    void End() override { events.push_back("end"); }
    std::vector<std::string> events;
};

TEST_F(DocumentTest, ProgressStepsEveryFifthPercentOnce)
{
    const std::string path = Record("progress.KLYN", recordings::Ramps(200));
    ODVDocData doc(Options());
    RecordingProgress progress;
    std::string message;
    ASSERT_EQ(doc.Open(path, message, &progress), 1) << message;
    const auto& e = progress.events;
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.front(), "start Calculating chromatogram: ");
    const auto load = std::find(e.begin(), e.end(), "start Loading chromatogram: ");
    ASSERT_NE(load, e.end());
    EXPECT_EQ(*(load - 2), "Calculating chromatogram:  100% done");
    EXPECT_EQ(*(load - 1), "end");
    EXPECT_EQ(*(load + 1), "Loading chromatogram:  0% done");
    EXPECT_EQ(e.back(), "end");
    EXPECT_EQ(std::count(load, e.end(), "Loading chromatogram:  50% done"), 1);
    EXPECT_EQ(e.end() - load, 1 + 21 + 1);
}

TEST_F(DocumentTest, CalculationLogHasAHeaderAndALinePerPulse)
{
    const std::string path = Record("logged.KLYN", recordings::Ramps(10));
    OCalculationLog log(dir.File("logs/calc.log"));
    ODVDocData::Options options = Options();
    options.log = &log;
    ODVDocData doc(options);
    std::string message;
    ASSERT_EQ(doc.Open(path, message), 1) << message;
    ASSERT_EQ(doc.Recalculate(message), 1);

    std::ifstream in(dir.File("logs/calc.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 22u); // appended by the second calculation
    const std::string prefix = "00:00:00:000 - Thread Id:00000000 - ";
    ASSERT_GT(lines[0].size(), prefix.size());
    EXPECT_EQ(lines[0].substr(2, 1), ":");
    EXPECT_EQ(lines[0].substr(12, 13), " - Thread Id:");
    EXPECT_EQ(lines[0].substr(prefix.size()), "Pulse,Time from start,operator,S,,,,");
    EXPECT_EQ(lines[1].substr(prefix.size()),
              "0,1000,0,105.500000,90.500000,90.500000,90.500000,90.500000");
    EXPECT_EQ(lines[10].substr(prefix.size(), 9), "9,1126,0,");
}

} // namespace
