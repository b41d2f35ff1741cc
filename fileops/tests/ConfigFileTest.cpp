// The ".cnfg" configuration file and the block sequence data files share.

#include "ConfigFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

CTimedEventData Event(double time, EventCode code, unsigned char channel, double value)
{
    CTimedEventData event;
    event.SetEventTime(time);
    event.SetEventCode(code);
    event.SetEventChannel(channel);
    event.SetEventValue(value);
    return event;
}

// Every field distinct, doubles that a float cannot hold, every bit of the
// wide fields used.
CConfigFile Populated()
{
    CConfigFile config;
    CGateParameters gates;
    for (int i = 0; i < CGateParameters::kGates; ++i) {
        CGateParameter& gate = gates[i];
        gate.SetType(static_cast<unsigned short>(GM_UD - i));
        gate.SetTypeNum(static_cast<unsigned short>(i + 1));
        gate.SetStartA(0.1 * (i + 1));
        gate.SetStartB(1e-300 * (i + 1));
        gate.SetStopA(2.5e200 + i);
        gate.SetStopB(-7.3 - i);
        gate.SetOperator(static_cast<unsigned short>(i));
        gate.SetAlpha(1.0 / (3 + i));
        gate.SetSqrootStored(0x80000001u + static_cast<uint32_t>(i));
    }
    config.SetGateParameters(gates);

    CBoardParameters board;
    board.SetIgnitor(0xFFFE);
    board.SetpmtVolts(700);
    board.SetTriggerLevel(0x8001);
    board.SetAdcTriggerLevel(0xDEADBEEF);
    config.SetBoardParameters(board);

    CChannelParameters channels;
    for (int c = 0; c < 2; ++c) {
        channels[c].SetGateIndex(4 - c);
        channels[c].SetInterpolation(c);
        channels[c].SetZeroChannel(-100000 - c);
        channels[c].SetScalarChannel(0x7FFFFFFF - c);
        channels[c].SetChannelZero(-1 - c);
    }
    config.SetChannelParameters(channels);

    CTimedEvent events;
    events.AddTimedEvent(Event(0.1, EC_GATE_SELECTION, 1, 1e-300));
    events.AddTimedEvent(Event(12.75, EC_RECORD, 255, -0.3));
    events.AddTimedEvent(Event(600.0, EC_SCALAR, 2, 123456789.123456789));
    config.SetTimedEvent(events);
    return config;
}

std::vector<uint8_t> Image(const CConfigFile& config)
{
    std::vector<uint8_t> bytes;
    config.AppendImage(bytes);
    return bytes;
}

class ConfigFileTest : public ::testing::Test {
protected:
    CTempDir dir;
    std::string path = dir.File("setup.cnfg");
    std::string message;
};

TEST_F(ConfigFileTest, RoundTripReproducesEveryValue)
{
    CConfigFile written = Populated();
    ASSERT_EQ(written.Save(path, message), 1) << message;

    CConfigFile read;
    ASSERT_EQ(read.Open(path, message), 1) << message;
    EXPECT_EQ(read.GetTag(), CConfigFile::kTag);
    EXPECT_EQ(read.GetEventCount(), 3);
    EXPECT_TRUE(read.GetGateParameters() == written.GetGateParameters());
    EXPECT_TRUE(read.GetBoardParameters() == written.GetBoardParameters());
    EXPECT_TRUE(read.GetChannelParameters() == written.GetChannelParameters());
    EXPECT_TRUE(read.GetTimedEvent() == written.GetTimedEvent());
    EXPECT_EQ(read.GetGateParameters()[0].GetStartB(), 1e-300);
}

TEST_F(ConfigFileTest, ImageHasTheDocumentedLayout)
{
    CConfigFile config = Populated();
    ASSERT_EQ(config.Save(path, message), 1);
    const std::vector<uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 404u + 3 * 32);

    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4),
              (std::vector<uint8_t>{0x01, 0x78, 0x00, 0x00}));
    EXPECT_EQ(le::Get16(&bytes[16]), GM_UD);                     // gate 0 type
    EXPECT_EQ(le::GetF64(&bytes[20]), 0.1);                      // gate 0 start A
    EXPECT_EQ(le::Get32(&bytes[12 + 4 * 64 + 56]), 0x80000005u); // gate 4 square root
    EXPECT_EQ(le::Get16(&bytes[336]), 0xFFFE);                   // ignitor
    EXPECT_EQ(le::Get32(&bytes[344]), 0xDEADBEEFu);              // ADC trigger level
    EXPECT_EQ(le::GetI32(&bytes[356]), 4);                       // channel 1 gate index
    EXPECT_EQ(le::GetI32(&bytes[380]), 3);                       // channel 2 gate index
    EXPECT_EQ(le::GetI32(&bytes[400]), 3);                       // event count
    EXPECT_EQ(le::GetF64(&bytes[412]), 0.1);                     // first event time
    EXPECT_EQ(le::GetI32(&bytes[420]), EC_GATE_SELECTION);
    EXPECT_EQ(bytes[424], 1); // first event channel

    // Slots and padding, as [offset, size) runs.
    std::vector<std::pair<size_t, size_t>> zeros = {{4, 8}, {332, 4}, {342, 2}, {348, 4}};
    for (size_t g = 0; g < 5; ++g) {
        const size_t at = 12 + 64 * g;
        zeros.insert(zeros.end(), {{at, 4}, {at + 42, 6}, {at + 60, 4}});
    }
    for (size_t c = 0; c < 2; ++c)
        zeros.push_back({352 + 24 * c, 4});
    for (size_t e = 0; e < 3; ++e) {
        const size_t at = 404 + 32 * e;
        zeros.insert(zeros.end(), {{at, 8}, {at + 21, 3}});
    }
    for (auto [at, size] : zeros)
        for (size_t i = at; i < at + size; ++i)
            EXPECT_EQ(bytes[i], 0) << "byte " << i;
}

TEST_F(ConfigFileTest, EventsStoredOutOfOrderAreReadSortedAndSlotsIgnored)
{
    std::vector<uint8_t> bytes;
    le::Writer w(bytes);
    w.I32(CConfigFile::kTag);
    ConfigBlocks::AppendGateSet(w, CGateParameters());
    ConfigBlocks::AppendBoard(w, CBoardParameters());
    ConfigBlocks::AppendChannels(w, CChannelParameters());
    w.I32(3);
    for (double time : {30.0, 10.0, 20.0})
        ConfigBlocks::AppendEvent(w, Event(time, EC_AUTOZERO, 1, time));
    std::fill(bytes.begin() + 4, bytes.begin() + 12, 0xAA); // slot and padding of the gate set
    WriteBytes(path, bytes);

    CConfigFile config;
    ASSERT_EQ(config.Open(path, message), 1) << message;
    ASSERT_EQ(config.GetTimedEvent().GetCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(config.GetTimedEvent()[i].GetEventTime(), 10.0 * (i + 1));
}

TEST_F(ConfigFileTest, UnknownEventCodeSurvivesAReadAndAWrite)
{
    std::vector<uint8_t> bytes = Image(Populated());
    le::Put32(&bytes[404 + 16], 99);
    CConfigFile config;
    ASSERT_EQ(config.Parse(bytes, message), 1);
    EXPECT_EQ(static_cast<int>(config.GetTimedEvent()[0].GetEventCode()), 99);
    EXPECT_EQ(config.GetTimedEvent()[0].GetEventCodeString(), "");
    EXPECT_EQ(config.GetTimedEvent()[0].GetEventTime(), 0.1);
    EXPECT_EQ(Image(config), bytes);
}

TEST_F(ConfigFileTest, ForeignTagReadsNothingAndSucceeds)
{
    std::vector<uint8_t> bytes = Image(CConfigFile());
    le::Put32(bytes.data(), 16897);
    WriteBytes(path, bytes);

    CConfigFile config = Populated();
    const CConfigFile before = config;
    EXPECT_EQ(config.Open(path, message), 1);
    EXPECT_EQ(config.GetTag(), 16897);
    EXPECT_TRUE(config == before);
}

TEST_F(ConfigFileTest, EmptyFileCannotBeOpened)
{
    WriteBytes(path, {});
    CConfigFile config = Populated();
    EXPECT_EQ(config.Open(path, message), 0);
    EXPECT_TRUE(config == Populated());
    EXPECT_EQ(config.Open(dir.File("missing.cnfg"), message), 0);
}

struct DamagedCase {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    const char* says;
};

class DamagedConfigFile : public ConfigFileTest,
                          public ::testing::WithParamInterface<DamagedCase> {};

// The same damage must fail the same way from a file and from memory, and
// leave every record as it was.
TEST_P(DamagedConfigFile, FailsAndLeavesRecordsUnchanged)
{
    std::vector<uint8_t> bytes = Image(Populated());
    GetParam().damage(bytes);
    WriteBytes(path, bytes);

    CConfigFile config;
    config.GetBoardParameters().SetpmtVolts(42);
    config.GetTimedEvent().AddTimedEvent(Event(1.0, EC_RECORD, 0, 0.0));
    const CConfigFile before = config;

    std::string from_file;
    EXPECT_EQ(config.Open(path, from_file), 0);
    EXPECT_EQ(from_file, std::string("Configuration file is damaged: ") + GetParam().says);
    EXPECT_TRUE(config == before);

    std::string from_memory;
    EXPECT_EQ(config.Parse(bytes, from_memory), 0);
    EXPECT_EQ(from_memory, from_file);
    EXPECT_TRUE(config == before);
}

void Resize(std::vector<uint8_t>& bytes, size_t size)
{
    bytes.resize(size);
}
void SetCount(std::vector<uint8_t>& bytes, int32_t count)
{
    le::Put32(&bytes[400], static_cast<uint32_t>(count));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedConfigFile,
    ::testing::Values(DamagedCase{"TagCutShort", [](auto& b) { Resize(b, 3); },
                                  "the format tag needs 4 bytes but only 3 are present"},
                      DamagedCase{"CutInsideGateSet", [](auto& b) { Resize(b, 104); },
                                  "the parameter blocks need 400 bytes but only 100 are present"},
                      DamagedCase{"EventCountMissing", [](auto& b) { Resize(b, 400); },
                                  "the parameter blocks need 400 bytes but only 396 are present"},
                      DamagedCase{"NegativeEventCount", [](auto& b) { SetCount(b, -1); },
                                  "negative event count -1"},
                      DamagedCase{"MoreEventsThanBytes",
                                  [](auto& b) {
                                      SetCount(b, 3);
                                      Resize(b, 404 + 40);
                                  },
                                  "3 events announced but only 40 bytes follow"},
                      DamagedCase{"LastEventCutShort", [](auto& b) { Resize(b, b.size() - 1); },
                                  "3 events announced but only 95 bytes follow"},
                      DamagedCase{"HugeEventCount", [](auto& b) { SetCount(b, 0x7FFFFFFF); },
                                  "2147483647 events announced but only 96 bytes follow"}),
    [](const auto& info) { return std::string(info.param.name); });

// A data file carries the sequence after its own prefix and a pulse count
// after it: the reader must stop exactly at the end of the sequence, and put
// the file back when the sequence is damaged.
TEST_F(ConfigFileTest, BlockSequenceInsideALargerFile)
{
    const CConfigFile config = Populated();
    CConfigBlockSet set;
    set.gates = config.GetGateParameters();
    set.board = config.GetBoardParameters();
    set.channels = config.GetChannelParameters();
    set.events = config.GetTimedEvent();

    std::vector<uint8_t> bytes(24, 0x5A);
    ConfigBlocks::AppendSequence(bytes, set);
    ASSERT_EQ(bytes.size(), 24 + ConfigBlocks::SequenceSize(3));
    le::Writer(bytes).I32(0x11223344);
    WriteBytes(path, bytes);

    OFileIO file;
    ASSERT_TRUE(file.Open(path, IO_READ));
    ASSERT_EQ(file.Fseek(24, SEEK_SET), 0);
    CConfigBlockSet read;
    ASSERT_EQ(ConfigBlocks::ReadSequence(file, read, message), 1) << message;
    EXPECT_TRUE(read == set);
    uint8_t count[4];
    ASSERT_EQ(file.Read(count, 4), 1);
    EXPECT_EQ(le::GetI32(count), 0x11223344);

    size_t used = 0;
    ASSERT_EQ(ConfigBlocks::ParseSequence(std::span(bytes).subspan(24), read, used, message), 1);
    EXPECT_EQ(used, ConfigBlocks::SequenceSize(3));

    le::Put32(&bytes[24 + 396], 5); // one event more than the file holds
    WriteBytes(path, bytes);
    ASSERT_TRUE(file.Open(path, IO_READ));
    ASSERT_EQ(file.Fseek(24, SEEK_SET), 0);
    EXPECT_EQ(ConfigBlocks::ReadSequence(file, read, message), 0);
    EXPECT_EQ(file.Ftell(), 24);
    EXPECT_TRUE(read == set);
}

} // namespace
