// The data file: exact layout, reading back, salvage of recordings that did
// not finish, checkpoints and a disk that fills up.
#include "DataFile.h"
#include "TestFiles.h"

#include "ByteOrder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/resource.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

CTimedEventData Event(double time, EventCode code, double value)
{
    CTimedEventData e;
    e.SetEventTime(time);
    e.SetEventCode(code);
    e.SetEventValue(value);
    e.SetEventChannel(1);
    return e;
}

CDataFileHeader SampleHeader(int events)
{
    CDataFileHeader header;
    header.hour = 14;
    header.minute = 5;
    header.year = 2026;
    header.month = 12;
    header.day = 7;
    header.config.gates[0].SetType(GM_P);
    header.config.gates[0].SetStartA(0.1);
    header.config.gates[4].SetAlpha(1e-300);
    header.config.board.SetIgnitor(2500);
    header.config.channels[1].SetChannelZero(-7);
    for (int i = 0; i < events; ++i)
        header.config.events.AddTimedEvent(Event(3.0 - i, EC_RECORD, i % 2));
    return header;
}

CPulseData Pulse(int index, int samples = 250)
{
    CPulseData p;
    p.SetPulseIndex(index);
    p.SetPulseTime(index * 14);
    p.SetCh1Offset(100 + static_cast<unsigned>(index));
    p.SetTDelay(0.25 * index);
    p.SetDarkCurrent(900);
    p.SetFrequencyPulse(7.0);
    for (int i = 0; i < samples; ++i)
        p.AddData(index * 1000 + i);
    return p;
}

struct FileResult {
    int ok = 0;
    CDataFileHeader header;
    std::vector<CPulseData> pulses;
    CSalvageReport report;
    std::string message;
};

FileResult ReadBack(const std::string& path)
{
    FileResult r;
    r.ok = CDataFileReader::ReadAll(path, r.header, r.pulses, r.report, r.message);
    return r;
}

void WritePulses(const std::string& path, const CDataFileHeader& header, int count)
{
    CDataFileWriter writer;
    std::string message;
    ASSERT_EQ(writer.Create(path, header, message), 1) << message;
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(writer.Append(Pulse(i + 1), message), 1) << message;
    ASSERT_EQ(writer.Close(message), 1) << message;
}

TEST(DataFileLayout, MatchesAFileBuiltByHandAndReadsEventsInTimeOrder)
{
    // Built field by field: two events stored latest first, one pulse of two samples.
    std::vector<uint8_t> bytes;
    le::Writer w(bytes);
    for (int32_t v : {16897, 9, 30, 2026, 1, 31})
        w.I32(v);
    w.Zeros(8);
    for (int g = 0; g < 5; ++g) {
        w.Zeros(4);
        w.U16(g == 2 ? GM_S : 0);
        w.U16(0);
        w.F64(g == 2 ? 1.5 : 0.0);
        w.Zeros(24);
        w.U16(0);
        w.Zeros(6);
        w.F64(0.0);
        w.U32(0);
        w.Zeros(4);
    }
    w.Zeros(4);
    w.U16(1200);
    w.U16(600);
    w.U16(30);
    w.Zeros(2);
    w.U32(5);
    w.Zeros(52);
    w.I32(2);
    for (double t : {9.0, 2.0}) {
        w.Zeros(8);
        w.F64(t);
        w.I32(EC_RECORD);
        w.U8(0);
        w.Zeros(3);
        w.F64(t > 5 ? 0.0 : 1.0);
    }
    ASSERT_EQ(bytes.size(), 424u + 64u);
    w.I32(1);
    for (int32_t v : {0, 0, 77, 1234, 5, 6})
        w.I32(v);
    w.F64(0.5);
    w.U32(40);
    w.I32(2);
    w.I32(-3);
    w.I32(1 << 20);
    w.F64(7.25);

    CTempDir dir;
    const std::string path = dir.File("hand.KLYN");
    WriteBytes(path, bytes);
    FileResult r = ReadBack(path);
    ASSERT_EQ(r.ok, 1) << r.message;
    EXPECT_TRUE(r.report.Clean());
    EXPECT_EQ(r.header.hour, 9);
    EXPECT_EQ(r.header.day, 31);
    EXPECT_EQ(r.header.config.gates[2].GetStartA(), 1.5);
    EXPECT_EQ(r.header.config.board.GetPmtVolts(), 600);
    EXPECT_EQ(r.header.config.board.GetAdcTriggerLevel(), 5u);
    ASSERT_EQ(r.header.config.events.GetCount(), 2);
    EXPECT_EQ(r.header.config.events[0].GetEventTime(), 2.0);
    EXPECT_EQ(r.header.config.events[1].GetEventTime(), 9.0);
    ASSERT_EQ(r.pulses.size(), 1u);
    EXPECT_EQ(r.pulses[0].GetPulseIndex(), 77);
    EXPECT_EQ(r.pulses[0].Samples(), (std::vector<int32_t>{-3, 1 << 20}));
    EXPECT_EQ(r.pulses[0].GetFrequencyPulse(), 7.25);

    // Writing the same records gives the same bytes, events now in time order.
    CDataFileHeader header = r.header;
    const std::string again = dir.File("again.KLYN");
    CDataFileWriter writer;
    std::string message;
    ASSERT_EQ(writer.Create(again, header, message), 1);
    ASSERT_EQ(writer.Append(r.pulses[0], message), 1);
    ASSERT_EQ(writer.Close(message), 1);
    std::vector<uint8_t> sorted = bytes;
    std::copy(bytes.begin() + 456, bytes.begin() + 488, sorted.begin() + 424);
    std::copy(bytes.begin() + 424, bytes.begin() + 456, sorted.begin() + 456);
    EXPECT_EQ(ReadBytes(again), sorted);
}

TEST(DataFileLayout, AFinishedRecordingWithoutPulsesIs524BytesAndReadsAsEmpty)
{
    CTempDir dir;
    const std::string path = dir.File("empty.KLYN");
    WritePulses(path, SampleHeader(3), 0);
    EXPECT_EQ(ReadBytes(path).size(), 524u);
    FileResult r = ReadBack(path);
    EXPECT_EQ(r.ok, 0);
    EXPECT_NE(r.message.find("holds no pulses"), std::string::npos) << r.message;
    EXPECT_EQ(r.header.config.events.GetCount(), 3);
}

TEST(DataFileLayout, EveryFieldReadsBackAsWritten)
{
    CTempDir dir;
    const std::string path = dir.File("run001.KLYN");
    const CDataFileHeader header = SampleHeader(4);
    WritePulses(path, header, 5);
    FileResult r = ReadBack(path);
    ASSERT_EQ(r.ok, 1) << r.message;
    EXPECT_TRUE(r.report.Clean()) << r.report.Text();
    EXPECT_EQ(r.report.storedCount, 5);
    EXPECT_EQ(r.header.year, 2026);
    EXPECT_EQ(r.header.minute, 5);
    EXPECT_TRUE(r.header.config == header.config);
    ASSERT_EQ(r.pulses.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(r.pulses[static_cast<size_t>(i)], Pulse(i + 1)) << i;
    EXPECT_EQ(ReadBytes(path).size(), header.CountPosition() + 4 + 5 * 1048);
}

class SalvageTest : public testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("crash.KLYN");
        WritePulses(path, SampleHeader(1), 4);
        bytes = ReadBytes(path);
        countAt = SampleHeader(1).CountPosition();
    }
    void SetCount(int32_t count) { le::Put32(&bytes[countAt], static_cast<uint32_t>(count)); }

    CTempDir dir;
    std::string path;
    std::vector<uint8_t> bytes;
    size_t countAt = 0;
};

TEST_F(SalvageTest, ACountThatLagsBehindTheRecordsIsRecoveredAndATornRecordDropped)
{
    for (int32_t stored : {0, 2, -5}) {
        SetCount(stored);
        std::vector<uint8_t> torn = bytes;
        torn.insert(torn.end(), bytes.end() - 1048, bytes.end() - 300); // a record cut short
        WriteBytes(path, torn);
        FileResult r = ReadBack(path);
        ASSERT_EQ(r.ok, 1) << r.message;
        EXPECT_EQ(r.pulses.size(), 4u) << stored;
        EXPECT_EQ(r.report.storedCount, stored);
        EXPECT_TRUE(r.report.CountWasLow());
        EXPECT_EQ(r.report.tornBytes, 748);
        EXPECT_NE(r.report.Text().find("4 were recovered"), std::string::npos) << r.report.Text();
    }
}

TEST_F(SalvageTest, ACountBeyondTheFileIsCutToWhatIsThere)
{
    for (int32_t stored : {5, 0x7FFFFFFF}) {
        SetCount(stored);
        WriteBytes(path, bytes);
        FileResult r = ReadBack(path);
        ASSERT_EQ(r.ok, 1);
        EXPECT_EQ(r.pulses.size(), 4u);
        EXPECT_TRUE(r.report.CountWasHigh());
        EXPECT_NE(r.report.Text().find("only the first 4 could be read"), std::string::npos)
            << r.report.Text();
    }
}

TEST_F(SalvageTest, AnImplausibleSampleCountEndsTheWalk)
{
    // The third record's sample count is damaged: the two before it survive.
    const size_t third = countAt + 4 + 2 * 1048;
    for (int32_t samples : {-1, 0x7FFFFFFF, 70000, 249}) {
        std::vector<uint8_t> damaged = bytes;
        le::Put32(&damaged[third + 36], static_cast<uint32_t>(samples));
        WriteBytes(path, damaged);
        FileResult r = ReadBack(path);
        ASSERT_EQ(r.ok, 1);
        EXPECT_EQ(r.pulses.size(), 2u) << samples;
        EXPECT_EQ(r.report.tornBytes, 2 * 1048);
        EXPECT_EQ(r.report.leftOutFrom, static_cast<int64_t>(third));
        EXPECT_NE(r.report.stopReason.find("record 3 gives " + std::to_string(samples) + " samples"),
                  std::string::npos)
            << r.report.stopReason;
    }
}

// What a crash or a damaged disk may leave after the last record: salvage
// must never turn it into pulses, whatever the count says.
struct TailCase {
    const char* name;
    int32_t stored;
    std::function<void(std::vector<uint8_t>&)> damage;
    size_t pulses;
    const char* reason; // part of the stop reason; empty: none
};

class SalvageTail : public SalvageTest, public testing::WithParamInterface<TailCase> {};

TEST_P(SalvageTail, NeverInventsPulses)
{
    SetCount(GetParam().stored);
    GetParam().damage(bytes);
    WriteBytes(path, bytes);
    FileResult r = ReadBack(path);
    ASSERT_EQ(r.ok, 1) << r.message;
    EXPECT_EQ(r.pulses.size(), GetParam().pulses);
    for (size_t i = 1; i < r.pulses.size(); ++i)
        EXPECT_NE(r.pulses[i].GetPulseIndex(), r.pulses[i - 1].GetPulseIndex());
    EXPECT_NE(r.report.stopReason.find(GetParam().reason), std::string::npos) << r.report.stopReason;
    EXPECT_EQ(r.report.leftOutFrom + r.report.tornBytes, static_cast<int64_t>(bytes.size()));
}

std::vector<uint8_t> Garbage(size_t size)
{
    std::vector<uint8_t> junk(size);
    uint32_t x = 12345;
    for (uint8_t& b : junk) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return junk;
}

INSTANTIATE_TEST_SUITE_P(
    Tails, SalvageTail,
    testing::Values(
        TailCase{"ZeroFilledTailAfterACrash", 0,
                 [](auto& b) { b.resize(b.size() + 1048 * 50, 0); }, 4, "record 5 is all zeros"},
        TailCase{"ZeroFilledTailAfterAFinishedRecording", 4,
                 [](auto& b) { b.resize(b.size() + 100, 0); }, 4, ""},
        TailCase{"GarbageTail", 0,
                 [](auto& b) {
                     const auto junk = Garbage(200000);
                     b.insert(b.end(), junk.begin(), junk.end());
                 },
                 4, "record 5 gives"},
        TailCase{"IndexGoesBackPastTheCount", 2,
                 [](auto& b) {
                     // The fourth record repeats the second's index.
                     le::Put32(&b[b.size() - 1048 + 8], 2);
                 },
                 3, "record 4 gives pulse index 2, which does not follow 3"},
        TailCase{"IndexRepeatedPastTheCount", 3,
                 [](auto& b) { le::Put32(&b[b.size() - 1048 + 8], 3); }, 3, "does not follow 3"},
        TailCase{"RestartInsideTheCountIsKept", 4,
                 [](auto& b) {
                     // A board that started its index again: counted, so believed.
                     le::Put32(&b[b.size() - 2 * 1048 + 8], 1);
                     le::Put32(&b[b.size() - 1048 + 8], 2);
                 },
                 4, ""}),
    [](const testing::TestParamInfo<TailCase>& info) { return std::string(info.param.name); });

TEST_F(SalvageTest, RepairWritesTheCountIntoACopyOrInPlace)
{
    SetCount(0);
    WriteBytes(path, bytes);
    const std::string copy = dir.File("crash-repaired.KLYN");
    CSalvageReport report;
    std::string message;
    ASSERT_EQ(CDataFileReader::Repair(path, copy, report, message), 1) << message;
    EXPECT_EQ(le::GetI32(&ReadBytes(path)[countAt]), 0) << "the original is left alone";
    EXPECT_TRUE(ReadBack(copy).report.Clean());
    ASSERT_EQ(CDataFileReader::Repair(path, "", report, message), 1) << message;
    EXPECT_TRUE(ReadBack(path).report.Clean());
    EXPECT_EQ(report.originalKeptAs, "") << "a count that goes up needs no copy";
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));

    WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100));
    EXPECT_EQ(CDataFileReader::Repair(path, "", report, message), 0);
    EXPECT_NE(message.find("damaged"), std::string::npos) << message;
}

TEST_F(SalvageTest, ALowerCountKeepsTheOriginalBesideTheFile)
{
    // A damaged sample count in the third of four counted records.
    SetCount(4);
    le::Put32(&bytes[countAt + 4 + 2 * 1048 + 36], 9);
    WriteBytes(path, bytes);
    CSalvageReport report;
    std::string message;
    ASSERT_EQ(CDataFileReader::Repair(path, "", report, message), 1) << message;
    EXPECT_EQ(report.originalKeptAs, path + ".bak");
    EXPECT_EQ(ReadBytes(path + ".bak"), bytes) << "the original, every intact record with it";
    EXPECT_EQ(le::GetI32(&ReadBytes(path)[countAt]), 2);

    // Again: nothing left to mend, nothing written.
    ASSERT_EQ(CDataFileReader::Repair(path, "", report, message), 1) << message;
    EXPECT_EQ(report.originalKeptAs, "");

    // A kept original is never overwritten.
    WriteBytes(path, bytes);
    EXPECT_EQ(CDataFileReader::Repair(path, "", report, message), 0);
    EXPECT_NE(message.find("exists already"), std::string::npos) << message;
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(SalvageTest, AHugeFileOfZerosHoldsNoPulseAndIsNotRepaired)
{
    // 200 MB with nothing written after the header, as a preallocated file
    // that lost its data leaves it: sparse, so the test costs no disk space.
    std::vector<uint8_t> header(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(countAt + 4));
    le::Put32(&header[countAt], 0);
    WriteBytes(path, header);
    std::filesystem::resize_file(path, 200u << 20);
    CSalvageReport report;
    std::string message;
    EXPECT_EQ(CDataFileReader::Repair(path, "", report, message), 0);
    EXPECT_NE(message.find("holds no pulses (record 1 is all zeros"), std::string::npos) << message;
    EXPECT_EQ(report.foundCount, 0);
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
}

TEST_F(SalvageTest, WhatIsNotAFileIsRefusedBeforeItIsRead)
{
    const std::string fifo = dir.File("pipe.KLYN");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& p : {fifo, std::string("/dev/zero"), dir.Path().string()}) {
        FileResult r = ReadBack(p);
        EXPECT_EQ(r.ok, 0);
        EXPECT_NE(r.message.find("not a file"), std::string::npos) << r.message;
        CSalvageReport report;
        std::string message;
        EXPECT_EQ(CDataFileReader::Repair(p, "", report, message), 0);
        EXPECT_NE(message.find("not a file"), std::string::npos) << message;
    }
}

TEST(DataFileWriter, TheCountOnDiskFollowsTheCheckpointsAndNeverRunsAhead)
{
    CTempDir dir;
    const std::string path = dir.File("live.KLYN");
    const CDataFileHeader header = SampleHeader(0);
    CDataFileWriter writer;
    writer.SetCheckpointInterval(20ms);
    std::string message;
    ASSERT_EQ(writer.Create(path, header, message), 1);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(writer.Append(Pulse(i), message), 1);
    const int64_t before = writer.GetCheckpoints();
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (writer.GetCheckpoints() < before + 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_GE(writer.GetCheckpoints(), before + 2);
    // While still open, the file reads with the count of the last checkpoint.
    std::vector<uint8_t> live = ReadBytes(path);
    EXPECT_EQ(le::GetI32(&live[header.CountPosition()]), 10);
    FileResult r = ReadBack(path);
    EXPECT_TRUE(r.report.Clean());
    ASSERT_EQ(writer.Close(message), 1);
    EXPECT_EQ(writer.Append(Pulse(1), message), 0);
}

TEST(DataFileWriter, AFullDiskStopsTheRecordingCleanly)
{
    CTempDir dir;
    const std::string path = dir.File("full.KLYN");
    const CDataFileHeader header = SampleHeader(2);
    // A file size limit stands in for a full disk: writes past it fail.
    const size_t limit = header.CountPosition() + 4 + 3 * 1048 + 500;
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    CDataFileWriter writer;
    std::string message;
    int appended = 0;
    int result = writer.Create(path, header, message);
    while (result && appended < 100)
        if ((result = writer.Append(Pulse(appended + 1), message)))
            ++appended;
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(appended, 3);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_NE(message.find("Recording stopped"), std::string::npos) << message;
    EXPECT_NE(message.find("keeps the 3 pulses"), std::string::npos) << message;
    FileResult r = ReadBack(path);
    ASSERT_EQ(r.ok, 1) << r.message;
    EXPECT_TRUE(r.report.Clean()) << "count written, no torn record: " << r.report.Text();
    EXPECT_EQ(r.pulses.size(), 3u);
}

TEST(DataFileReader, DamagedAndForeignFilesFailWithAReason)
{
    CTempDir dir;
    const std::string path = dir.File("bad.KLYN");
    std::string message;
    FileResult r = ReadBack(dir.File("missing.KLYN"));
    EXPECT_EQ(r.ok, 0);
    EXPECT_NE(r.message.find("cannot open"), std::string::npos);

    WriteBytes(path, std::vector<uint8_t>(10, 0));
    r = ReadBack(path);
    EXPECT_EQ(r.ok, 0);
    EXPECT_NE(r.message.find("too short"), std::string::npos) << r.message;

    std::vector<uint8_t> bytes;
    SampleHeader(0).Append(bytes);
    le::Put32(&bytes[420], 0x40000000); // a billion events announced
    WriteBytes(path, bytes);
    r = ReadBack(path);
    EXPECT_EQ(r.ok, 0);
    EXPECT_NE(r.message.find("damaged"), std::string::npos) << r.message;

    bytes.clear();
    SampleHeader(0).Append(bytes);
    WriteBytes(path, bytes); // no pulse count at all
    r = ReadBack(path);
    EXPECT_EQ(r.ok, 0);
    EXPECT_NE(r.message.find("pulse count"), std::string::npos) << r.message;
}

} // namespace
