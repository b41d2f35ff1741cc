// The compact data file: writer, reader, space limits, recordings started by
// hand, and the pulse reader.

#include "BaseDVPulseData.h"
#include "BaseKLYNData.h"
#include "FilePaths.h"
#include "KLYNGenUtil.h"
#include "MessageService.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <vector>

namespace {

constexpr size_t kPulse = CPulseDataBase::kRecordSize;

CBaseConfigDataIo Config(short gateModes)
{
    CBaseConfigDataIo config;
    config.SetNumGateModes(gateModes);
    config.SetPmtVoltage(650);
    config.SetIgnitorCurrent(2.5f);
    config.SetH2Flow(30.0f);
    config.SetAuxCoefficientD(-1.25f);
    config.GetChannelData(1).SetGateIndex(2);
    config.GetGateModeData(1).SetAlpha(0.75f);
    config.AddEvent(new CBaseEventData(12.5f, 3, 1, 4.0f));
    return config;
}

CPulseDataBase Pulse(uint32_t time, short sinceLast)
{
    CPulseDataBase pulse;
    pulse.SetTimeFromStart(time);
    pulse.SetTimeSinceLastPulse(sinceLast);
    for (int i = 0; i < CPulseDataBase::kNumberSamples; ++i)
        pulse.SetSample(i, static_cast<uint16_t>(time + 3 * i));
    return pulse;
}

struct PulseTimes {
    uint32_t time;
    short sinceLast;
};

class CompactDataFileTest : public ::testing::Test {
protected:
    // Header, config, the pulses and the footer, each step asserted.
    void Record(CBaseConfigDataIo config, const std::vector<PulseTimes>& pulses, int firstLine = 0)
    {
        CBaseKLYNData writer;
        ASSERT_EQ(writer.WriteHeader(config, firstLine, path, message, done), 1) << message;
        ASSERT_EQ(done, 1);
        for (const PulseTimes& p : pulses) {
            CPulseDataBase pulse = Pulse(p.time, p.sinceLast);
            ASSERT_EQ(writer.AppendPulse(pulse, message), 1) << message;
        }
        ASSERT_EQ(writer.WriteFooter(config, done, message), 1) << message;
        header = {writer.GetHour(), writer.GetMinute(), writer.GetYear(), writer.GetMonth(),
                  writer.GetDay()};
    }

    // Reads path, then every pulse through ToPulse; times from start in order.
    std::vector<uint32_t> ReadTimes(CBaseKLYNData& data)
    {
        CBaseConfigDataIo config;
        EXPECT_EQ(data.ReadHeader(config, path, message, done), 1) << message;
        CBaseDVPulseData pulse;
        EXPECT_EQ(pulse.SetFilePath(path), 1);
        pulse.SetHeaderOffset(static_cast<uint32_t>(data.GetFirstPulseOffset()));
        std::vector<uint32_t> times;
        int found = -1;
        for (int i = 0; i < data.GetPulseCount(); ++i) {
            EXPECT_EQ(pulse.ToPulse(i, data.GetPulseCount(), found, pulse, data), 1);
            times.push_back(pulse.GetTimeFromStart());
        }
        return times;
    }

    std::vector<std::string> Shown() const
    {
        std::vector<std::string> texts;
        for (const auto& m : messages.Messages())
            texts.push_back(m.text);
        return texts;
    }

    CMessageRecorder messages;
    CTempDir dir;
    std::string path = dir.File("run001.dat");
    std::string message;
    int done = -1;
    std::vector<short> header;
};

TEST_F(CompactDataFileTest, WriteThenReadRestoresEveryPart)
{
    CBaseConfigDataIo written = Config(2);
    const std::string longLine(100, 'x');
    written.GetRunLog() = {"before the run\n", "started\n", longLine + "\n"};
    Record(written, {{100, 10}, {200, 20}, {300, 30}}, 1);

    // The bytes: header, record, count, pulses, the run log from line 1 on.
    const std::vector<uint8_t> bytes = ReadBytes(path);
    const size_t config = written.GetRecordSize();
    ASSERT_EQ(bytes.size(), 16 + config + 4 + 3 * kPulse + 8 + 101);
    EXPECT_EQ(le::GetI32(&bytes[0]), 16897);
    EXPECT_EQ(le::GetI16(&bytes[6]), header[0]);
    EXPECT_EQ(le::GetI16(&bytes[14]), header[4]);
    EXPECT_EQ(le::GetI32(&bytes[16]), 30721);
    EXPECT_EQ(le::GetI32(&bytes[16 + config]), 3);
    EXPECT_EQ(le::Get32(&bytes[20 + config + kPulse]), 200u);
    EXPECT_EQ(le::GetI16(&bytes[20 + config + kPulse + 4]), 20);
    EXPECT_EQ(le::Get16(&bytes[20 + config + kPulse + 6 + 2 * 249]), 200 + 3 * 249);

    CBaseKLYNData data;
    CBaseConfigDataIo read;
    ASSERT_EQ(data.ReadHeader(read, path, message, done), 1) << message;
    EXPECT_EQ(done, 1);
    EXPECT_EQ(data.GetHeaderTag(), 16897);
    EXPECT_EQ((std::vector<short>{data.GetHour(), data.GetMinute(), data.GetYear(), data.GetMonth(),
                                  data.GetDay()}),
              header);
    EXPECT_EQ(data.GetPulseCount(), 3);
    EXPECT_EQ(data.GetCountPosition(), static_cast<int64_t>(16 + config));
    EXPECT_EQ(data.GetbUseDeltas(), 0);
    // Lines come back in pieces of at most 79 characters.
    EXPECT_EQ(read.GetRunLog(), (std::vector<std::string>{"started\n", std::string(79, 'x'),
                                                          std::string(21, 'x') + "\n"}));
    std::vector<uint8_t> writtenImage;
    std::vector<uint8_t> readImage;
    written.Append(writtenImage);
    read.Append(readImage);
    EXPECT_EQ(readImage, writtenImage);
    EXPECT_TRUE(Shown().empty());

    CBaseDVPulseData pulse;
    ASSERT_EQ(pulse.SetFilePath(path), 1);
    pulse.SetHeaderOffset(static_cast<uint32_t>(data.GetFirstPulseOffset()));
    for (int i = 2; i >= 0; --i) {
        int found = -1;
        ASSERT_EQ(pulse.ToPulse(i, 3, found, pulse, data), 1);
        EXPECT_EQ(found, i);
        EXPECT_EQ(pulse.GetTimeFromStart(), 100u * (i + 1));
        EXPECT_EQ(pulse.GetTimeSinceLastPulse(), 10 * (i + 1));
        EXPECT_EQ(pulse.GetDataValue(7), 100u * (i + 1) + 21);
        EXPECT_FLOAT_EQ(pulse.GetXValue(7), 0.7f);
        EXPECT_EQ(pulse.GetyValue(249), static_cast<float>(100 * (i + 1) + 3 * 249));
        EXPECT_EQ(pulse.GetCurrentSize(), kPulse);
    }
}

struct BadHeaderCase {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* message;
};

std::vector<uint8_t> Bytes(std::initializer_list<std::pair<size_t, int32_t>> words, size_t size)
{
    std::vector<uint8_t> bytes(size, 0x55);
    for (auto [at, value] : words)
        le::Put32(&bytes[at], static_cast<uint32_t>(value));
    return bytes;
}

class CompactDataFileHeader : public CompactDataFileTest,
                              public ::testing::WithParamInterface<BadHeaderCase> {};

TEST_P(CompactDataFileHeader, IsRefusedWithItsMessage)
{
    WriteBytes(path, GetParam().bytes);
    CBaseKLYNData data;
    CBaseConfigDataIo config = Config(2);
    EXPECT_EQ(data.ReadHeader(config, path, message, done), 0);
    EXPECT_EQ(message, GetParam().message);
    EXPECT_EQ(data.GetPulseCount(), 0);
    EXPECT_TRUE(Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Compact, CompactDataFileHeader,
    ::testing::Values(
        BadHeaderCase{"FirstVersion", Bytes({{10, 30721}}, 400), CBaseKLYNData::kOldVersion},
        BadHeaderCase{"ForeignFile", Bytes({{10, 30720}}, 400), CBaseKLYNData::kInvalidFormat},
        BadHeaderCase{"TooShortForTheTag", {0x01, 0x42}, CBaseKLYNData::kInvalidFormat},
        BadHeaderCase{"FirstVersionTagCutShort", Bytes({}, 12), CBaseKLYNData::kInvalidFormat},
        BadHeaderCase{"HeaderCutShort", Bytes({{0, 16897}}, 9), CBaseKLYNData::kInvalidFormat},
        BadHeaderCase{"NoConfigurationRecord", Bytes({{0, 16897}, {16, 30720}}, 400),
                      CBaseConfigDataIo::kInvalidFormat}),
    [](const auto& info) { return std::string(info.param.name); });

// Times from start that repeat at the start mean the run was started by hand:
// the times are rebuilt from the (signed) times since the last pulse.
struct TimeStampCase {
    const char* name;
    std::vector<PulseTimes> pulses;
    bool notice;
    std::vector<uint32_t> times;
};

class CompactDataFileTimes : public CompactDataFileTest,
                             public ::testing::WithParamInterface<TimeStampCase> {};

TEST_P(CompactDataFileTimes, AreRebuiltOnlyForManualStarts)
{
    // Behind a single pulse the run log's first bytes match its time.
    CBaseConfigDataIo config = Config(2);
    config.GetRunLog() = {"abcd\n"};
    Record(config, GetParam().pulses);
    CBaseKLYNData data;
    EXPECT_EQ(ReadTimes(data), GetParam().times);
    EXPECT_EQ(data.GetbUseDeltas(), GetParam().notice ? 1 : 0);
    const std::vector<std::string> expected =
        GetParam().notice ? std::vector<std::string>{CBaseKLYNData::kManualStart}
                          : std::vector<std::string>{};
    EXPECT_EQ(Shown(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Compact, CompactDataFileTimes,
    ::testing::Values(
        TimeStampCase{"ManualStart", {{0, 5}, {0, -3}, {0, 9}}, true, {5, 2, 11}},
        TimeStampCase{
            "ManualStartLaterTimesDiffer", {{40, 40}, {40, 7}, {90, 8}}, true, {40, 47, 55}},
        TimeStampCase{"RemoteStart", {{10, 10}, {20, 10}, {20, 0}}, false, {10, 20, 20}},
        TimeStampCase{"SinglePulse", {{0x64636261, 5}}, false, {0x64636261}}),
    [](const auto& info) { return std::string(info.param.name); });

struct SpaceCase {
    const char* name;
    float maxMegabytes;
    float minFreeMegabytes;
    const char* message; // nullptr: within the limits
};

class CompactDataFileSpace : public CompactDataFileTest,
                             public ::testing::WithParamInterface<SpaceCase> {};

TEST_P(CompactDataFileSpace, LimitsStopTheRecording)
{
    CBaseConfigDataIo config = Config(1);
    CBaseKLYNData writer;
    ASSERT_EQ(writer.WriteHeader(config, 0, path, message, done), 1);
    writer.SetSystemDataParam(GetParam().maxMegabytes, 0.0f, dir.Path(),
                              GetParam().minFreeMegabytes);

    CPulseDataBase pulse = Pulse(1, 1);
    const int appended = writer.AppendPulse(pulse, message);
    EXPECT_GT(writer.GetCurrentFileSize(), 0.0f);
    if (!GetParam().message) {
        EXPECT_EQ(appended, 1);
        EXPECT_EQ(writer.WriteFooter(config, done, message), 1);
        EXPECT_EQ(message, "");
        return;
    }
    EXPECT_EQ(appended, 0);
    EXPECT_EQ(message, GetParam().message);
    EXPECT_FALSE(writer.GetDataFile().IsOpen());
    EXPECT_EQ(writer.GetPulseCount(), 0);
}

constexpr float kPetabyte = 1e9f;

INSTANTIATE_TEST_SUITE_P(Compact, CompactDataFileSpace,
                         ::testing::Values(SpaceCase{"WithinLimits", 1000.0f, 0.0f, nullptr},
                                           SpaceCase{"NoSizeAllowed", 0.0f, 0.0f,
                                                     "Maximum Data File Size Exceeded!"},
                                           SpaceCase{"DiskTooFull", 1000.0f, kPetabyte,
                                                     "Minimum Disk Free Space Reached!"},
                                           SpaceCase{"BothFailFreeSpaceWins", 0.0f, kPetabyte,
                                                     "Minimum Disk Free Space Reached!"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CompactDataFileTest, HeaderMeetsTheLimitsOfAnEmptyFile)
{
    CBaseKLYNData writer;
    CBaseConfigDataIo config = Config(1);
    writer.SetSystemDataParam(0.0f, 0.0f, "", 0.0f);
    EXPECT_EQ(writer.WriteHeader(config, 0, path, message, done), 1);

    // A disk too full gets no header; the footer meets the same limit and
    // closes the empty file.
    writer.SetSystemDataParam(1000.0f, 0.0f, "", kPetabyte);
    EXPECT_EQ(writer.WriteHeader(config, 0, path, message, done), 0);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(message, "Minimum Disk Free Space Reached!");
    done = 0;
    message.clear();
    EXPECT_EQ(writer.WriteFooter(config, done, message), 0);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(message, "Minimum Disk Free Space Reached!");
    EXPECT_FALSE(writer.GetDataFile().IsOpen());
    EXPECT_TRUE(ReadBytes(path).empty());
}

TEST_F(CompactDataFileTest, WriteErrorsAreReportedAndNotCounted)
{
    if (!CKLYNGenUtil::CheckFileExist("/dev/full"))
        GTEST_SKIP() << "no /dev/full to fill";
    CBaseKLYNData writer;
    CBaseConfigDataIo config = Config(1);
    path = "/dev/full";
    ASSERT_EQ(writer.WriteHeader(config, 0, path, message, done), 1);
    // Buffered records reach the device a few kilobytes later.
    CPulseDataBase pulse = Pulse(1, 1);
    int appended = 0;
    while (appended < 64 && writer.AppendPulse(pulse, message) == 1)
        ++appended;
    EXPECT_LT(appended, 64);
    EXPECT_EQ(message, CBaseKLYNData::kWriteFailed);
    EXPECT_EQ(writer.GetPulseCount(), appended);
    message.clear();
    EXPECT_EQ(writer.WriteFooter(config, done, message), 0);
    EXPECT_EQ(message, CBaseKLYNData::kWriteFailed);
}

// The count is weighed against the bytes present: a count the file cannot
// hold is refused before anything is sized by it.
struct CountCase {
    const char* name;
    int32_t count;
    int records;
};

class CompactDataFileCount : public CompactDataFileTest,
                             public ::testing::WithParamInterface<CountCase> {};

TEST_P(CompactDataFileCount, BeyondTheFileIsCorrupt)
{
    // Equal first times would make room for a rebuilt time per counted pulse.
    Record(Config(2), {{0, 1}, {0, 1}, {0, 1}});
    std::vector<uint8_t> bytes = ReadBytes(path);
    const size_t countAt = 16 + Config(2).GetRecordSize();
    le::Put32(&bytes[countAt], static_cast<uint32_t>(GetParam().count));
    bytes.resize(countAt + 4 + kPulse * static_cast<size_t>(GetParam().records));
    WriteBytes(path, bytes);

    CBaseKLYNData data;
    CBaseConfigDataIo config;
    EXPECT_EQ(data.ReadHeader(config, path, message, done), 0);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Error: Quillon file is corrupt."});
    EXPECT_EQ(data.GetPulseCount(), 0);
    EXPECT_TRUE(data.GetRebuiltTimes().empty());
    EXPECT_FALSE(data.GetDataFile().IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Compact, CompactDataFileCount,
                         ::testing::Values(CountCase{"OneMoreThanPresent", 3, 2},
                                           CountCase{"Negative", -1, 3},
                                           CountCase{"MostNegative", INT_MIN, 3},
                                           CountCase{"Huge", INT_MAX, 3},
                                           CountCase{"HugeWithoutPulses", 0x40000000, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// None of these has a header to blame: no default configuration stands in.
TEST_F(CompactDataFileTest, AbsentFileAndZeroCountReadAsEmptyMissingCountIsCorrupt)
{
    CBaseKLYNData data;
    CBaseConfigDataIo config;
    EXPECT_EQ(data.ReadHeader(config, dir.File("absent.dat"), message, done), 0);
    EXPECT_EQ(done, 1);

    Record(Config(2), {});
    EXPECT_EQ(data.ReadHeader(config, path, message, done), 0);
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(Shown().empty());

    std::vector<uint8_t> bytes = ReadBytes(path);
    bytes.resize(bytes.size() - 2);
    WriteBytes(path, bytes);
    EXPECT_EQ(data.ReadHeader(config, path, message, done), 0);
    EXPECT_EQ(Shown(), std::vector<std::string>{CBaseKLYNData::kCorrupt});
}

// A file whose configuration holds no gate modes gets default.cfg instead.
TEST_F(CompactDataFileTest, NoGateModesLoadsTheDefaultConfiguration)
{
    Record(Config(0), {{1, 1}, {2, 1}});
    CBaseConfigDataIo defaults = Config(3);
    defaults.SetPmtVoltage(777);
    const std::string defaultPath = dir.File("default.cfg");
    ASSERT_EQ(defaults.SaveConfig(defaultPath, message), 1);

    CBaseKLYNData data;
    data.SetDefaultConfigPath(defaultPath);
    CBaseConfigDataIo config;
    EXPECT_EQ(data.ReadHeader(config, path, message, done), 1);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(config.GetNumGateModes(), 3);
    EXPECT_EQ(config.GetPmtVoltage(), 777);
    EXPECT_EQ(data.GetPulseCount(), 2);
    EXPECT_EQ(Shown(), std::vector<std::string>{"This file contains invalid header "
                                                "information.\nDefault.cfg will be loaded."});
}

TEST_F(CompactDataFileTest, NoGateModesWithoutDefaultConfigurationFails)
{
    Record(Config(0), {{1, 1}});
    for (const std::string& defaultPath : {dir.File("default.cfg"), std::string()}) {
        messages.Clear();
        CBaseKLYNData data;
        data.SetDefaultConfigPath(defaultPath);
        CBaseConfigDataIo config;
        EXPECT_EQ(data.ReadHeader(config, path, message, done), 0);
        EXPECT_EQ(done, 0);
        EXPECT_EQ(Shown(), (std::vector<std::string>{CBaseKLYNData::kInvalidHeader,
                                                     "Configuration file default.cfg not found."}));
    }
    EXPECT_EQ(CBaseKLYNData().GetDefaultConfigPath(), CFilePaths::GetAppPath() + "default.cfg");
}

// The pulse reader on records cut at every place that matters.
struct ReadCase {
    const char* name;
    size_t bytes; // of the record present
    DVCODE code;
    int completeSamples;
};

class CompactPulseRead : public CompactDataFileTest,
                         public ::testing::WithParamInterface<ReadCase> {};

TEST_P(CompactPulseRead, ReportsHowMuchOfTheRecordWasThere)
{
    std::vector<uint8_t> image;
    le::Writer w(image);
    Pulse(7, 3).Append(w);
    image.resize(GetParam().bytes);
    WriteBytes(path, image);

    CBaseDVPulseData pulse;
    ASSERT_EQ(pulse.SetFilePath(path), 1);
    pulse.GetPulseXArray()->Add(99.0f);
    EXPECT_EQ(pulse.Read(), GetParam().code);
    if (GetParam().code == DV_NO_PULSE) {
        EXPECT_EQ(pulse.GetPulseXArray()->GetSize(), 1);
        return;
    }
    EXPECT_EQ(pulse.GetTimeFromStart(), 7u);
    EXPECT_EQ(pulse.GetTimeSinceLastPulse(), 3);
    EXPECT_EQ(pulse.GetCurrentSize(), GetParam().bytes);
    ASSERT_EQ(pulse.GetPulseXArray()->GetSize(), 250);
    ASSERT_EQ(pulse.GetPulseYArray()->GetSize(), 250);
    EXPECT_FLOAT_EQ(pulse.GetXValue(249), 24.9f);
    for (int i = 0; i < 250; ++i) {
        const uint32_t expected = i < GetParam().completeSamples ? 7u + 3u * i : 0u;
        ASSERT_EQ(pulse.GetDataValue(i), expected) << i;
        ASSERT_EQ(pulse.GetyValue(i), static_cast<float>(expected)) << i;
    }
    EXPECT_EQ(pulse.Read(), DV_NO_PULSE);
}

INSTANTIATE_TEST_SUITE_P(Compact, CompactPulseRead,
                         ::testing::Values(ReadCase{"Whole", 506, DV_PULSE_READ, 250},
                                           ReadCase{"HalfASampleShort", 505, DV_SHORT_PULSE, 249},
                                           ReadCase{"SamplesCut", 107, DV_SHORT_PULSE, 50},
                                           ReadCase{"NoSamples", 6, DV_SHORT_PULSE, 0},
                                           ReadCase{"NoTimeSinceLast", 5, DV_NO_PULSE, 0},
                                           ReadCase{"NoTimeFromStart", 3, DV_NO_PULSE, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BoundsCase {
    const char* name;
    int index;
    int total;
    int result;
};

class CompactToPulse : public CompactDataFileTest,
                       public ::testing::WithParamInterface<BoundsCase> {};

TEST_P(CompactToPulse, ReadsOnlyRecordsThatExist)
{
    Record(Config(1), {{10, 1}, {20, 1}, {30, 1}});
    CBaseKLYNData data;
    CBaseConfigDataIo config;
    ASSERT_EQ(data.ReadHeader(config, path, message, done), 1);
    CBaseDVPulseData pulse;
    ASSERT_EQ(pulse.SetFilePath(path), 1);
    pulse.SetHeaderOffset(static_cast<uint32_t>(data.GetFirstPulseOffset()));
    pulse.SetTimeFromStart(12345);

    int found = -7;
    EXPECT_EQ(pulse.ToPulse(GetParam().index, GetParam().total, found, pulse, data),
              GetParam().result);
    EXPECT_EQ(found, GetParam().result ? GetParam().index : -7);
    EXPECT_EQ(pulse.GetTimeFromStart(), GetParam().result ? 10u * (GetParam().index + 1) : 12345u);
}

INSTANTIATE_TEST_SUITE_P(
    Compact, CompactToPulse,
    ::testing::Values(BoundsCase{"First", 0, 3, 1}, BoundsCase{"Last", 2, 3, 1},
                      BoundsCase{"IndexEqualsTotal", 3, 3, 0}, BoundsCase{"Negative", -1, 3, 0},
                      BoundsCase{"NoPulses", 0, 0, 0}, BoundsCase{"TotalBeyondTheFile", 3, 10, 0},
                      BoundsCase{"FarBeyondTheFile", INT_MAX - 1, INT_MAX, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
