// The compact configuration record and its gate-mode, channel and event records.

#include "BaseConfigDataIo.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

CBaseConfigDataIo Populated(short gate_modes, int events)
{
    CBaseConfigDataIo config;
    config.SetNumGateModes(gate_modes);
    config.SetPmtVoltage(-700);
    config.SetIgnitorCurrent(2.125f);
    config.SetTriggerLevel(300);
    config.SetRange(0x7FFF);
    config.SetH2Flow(30.5f);
    config.SetAir1Flow(0.1f);
    config.SetAir2Flow(-1.0f);
    config.SetAuxFlow(1e-30f);
    config.SetH2CoefficientA(1.0f);
    config.SetH2CoefficientD(4.0f);
    config.SetAir1CoefficientB(5.0f);
    config.SetAir2CoefficientC(6.0f);
    config.SetAuxCoefficientD(7.0f);
    config.GetChannelData(0).SetZeroValue(-12);
    config.GetChannelData(1).SetGateIndex(3);
    config.GetChannelData(1).SetReserved2(-1);
    for (int i = 0; i < CBaseConfigDataIo::kMaxGateModes; ++i) {
        CFileGateModeData& mode = config.GetGateModeData(i);
        mode.SetTypeNumber(static_cast<short>(i + 1));
        mode.SetMode(static_cast<short>(20 + i));
        mode.SetStartA(0.5f * i);
        mode.SetOperator(static_cast<short>(i % 4));
        mode.SetAlpha(0.3f);
        mode.SetStopB(9.75f);
        mode.SetSquareRoot(static_cast<unsigned char>(i % 2));
    }
    for (int e = 0; e < events; ++e)
        config.AddEvent(new CBaseEventData(1.5f * e, static_cast<short>(e), 2, -0.25f));
    return config;
}

std::vector<uint8_t> Image(const CBaseConfigDataIo& config)
{
    std::vector<uint8_t> bytes;
    config.Append(bytes);
    return bytes;
}

class CompactRecordTest : public ::testing::Test {
protected:
    CTempDir dir;
    std::string path = dir.File("config.cfg");
    std::string message;
};

struct SizeCase {
    short gate_modes;
    int events;
    size_t size;
};

class CompactRecordSize : public CompactRecordTest,
                          public ::testing::WithParamInterface<SizeCase> {};

TEST_P(CompactRecordSize, HasTheDocumentedSizeAndReadsBack)
{
    CBaseConfigDataIo written = Populated(GetParam().gate_modes, GetParam().events);
    ASSERT_EQ(written.SaveConfig(path, message), 1);
    EXPECT_EQ(ReadBytes(path).size(), GetParam().size);
    EXPECT_EQ(written.GetRecordSize(), GetParam().size);

    CBaseConfigDataIo read;
    ASSERT_EQ(read.ReadConfig(path, message), 1) << message;
    // Modes past N are not stored, so compare only those that are.
    for (int i = GetParam().gate_modes; i < CBaseConfigDataIo::kMaxGateModes; ++i)
        read.GetGateModeData(i) = written.GetGateModeData(i);
    EXPECT_TRUE(read == written);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CompactRecordSize,
                         ::testing::Values(SizeCase{0, 0, 124}, SizeCase{5, 2, 287},
                                           SizeCase{1, 0, 151}, SizeCase{3, 4, 261}),
                         [](const auto& info) {
                             return "Modes" + std::to_string(info.param.gate_modes) + "Events" +
                                    std::to_string(info.param.events);
                         });

TEST_F(CompactRecordTest, ImageHasTheDocumentedLayout)
{
    const std::vector<uint8_t> bytes = Image(Populated(1, 1));
    ASSERT_EQ(bytes.size(), 124u + 27 + 14);
    EXPECT_EQ(le::GetI32(&bytes[0]), 30721);
    EXPECT_EQ(le::GetI16(&bytes[4]), 1);
    EXPECT_EQ(le::GetI16(&bytes[6]), -700);
    EXPECT_EQ(le::GetF32(&bytes[8]), 2.125f);
    EXPECT_EQ(le::GetI16(&bytes[14]), 0x7FFF);
    EXPECT_EQ(le::GetF32(&bytes[20]), 0.1f);    // Air 1 flow
    EXPECT_EQ(le::GetF32(&bytes[44]), 4.0f);    // H2 coefficient D
    EXPECT_EQ(le::GetF32(&bytes[92]), 7.0f);    // Aux coefficient D
    EXPECT_EQ(le::GetI32(&bytes[96]), 1);       // M
    EXPECT_EQ(le::GetI16(&bytes[100]), -12);    // channel 1 zero value
    EXPECT_EQ(le::GetI16(&bytes[118]), 3);      // channel 2 gate index
    EXPECT_EQ(le::GetI16(&bytes[124]), 1);      // gate mode 0 type number
    EXPECT_EQ(le::GetI16(&bytes[126]), 20);     // gate mode 0 mode
    EXPECT_EQ(le::GetF32(&bytes[146]), 9.75f);  // gate mode 0 stop B
    EXPECT_EQ(bytes[150], 0);                   // gate mode 0 square root
    EXPECT_EQ(le::GetF32(&bytes[159]), -0.25f); // event value
}

TEST_F(CompactRecordTest, NumberOfGateModesBeyondFiveIsWrittenAsFive)
{
    CBaseConfigDataIo config = Populated(7, 0);
    const std::vector<uint8_t> bytes = Image(config);
    EXPECT_EQ(bytes.size(), 124u + 5 * 27);
    EXPECT_EQ(le::GetI16(&bytes[4]), 5);
    CBaseConfigDataIo read;
    EXPECT_EQ(read.Parse(bytes, message), 1);
}

TEST_F(CompactRecordTest, ReadingReplacesAllEventsAndKeepsUnstoredModes)
{
    for (int stored : {2, 0}) {
        ASSERT_EQ(Populated(1, stored).SaveConfig(path, message), 1);
        CBaseConfigDataIo config;
        for (int e = 0; e < 3; ++e)
            config.AddEvent(std::make_unique<CBaseEventData>(99.0f, 7, 7, 7.0f));
        config.GetGateModeData(4).SetTypeNumber(42);
        ASSERT_EQ(config.ReadConfig(path, message), 1);
        ASSERT_EQ(config.GetEventCount(), stored);
        for (int e = 0; e < stored; ++e)
            EXPECT_EQ(config.GetEvent(e)->GetEventTime(), 1.5f * e);
        EXPECT_EQ(config.GetGateModeData(4).GetTypeNumber(), 42);
    }
}

// The compact data file carries the record after its own header and the
// pulses after it: a read must end exactly at the record's last byte.
TEST_F(CompactRecordTest, RecordInsideALargerFile)
{
    const CBaseConfigDataIo written = Populated(2, 2);
    OFileIO file;
    ASSERT_TRUE(file.Open(path, IO_WRITE));
    const uint8_t header[16] = {};
    ASSERT_EQ(file.Write(header, sizeof header), 1);
    CBaseConfigDataIo copy = written;
    ASSERT_EQ(copy.Io(file, message), 1);
    const uint8_t pulses[600] = {};
    ASSERT_EQ(file.Write(pulses, sizeof pulses), 1);
    file.Close();

    ASSERT_TRUE(file.Open(path, IO_READ));
    ASSERT_EQ(file.Fseek(16, SEEK_SET), 0);
    CBaseConfigDataIo read;
    ASSERT_EQ(read.Io(file, message), 1) << message;
    EXPECT_EQ(file.Ftell(), static_cast<int64_t>(16 + written.GetRecordSize()));
    EXPECT_EQ(read.GetEventCount(), 2);
}

struct InvalidCase {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
};

class InvalidCompactRecord : public CompactRecordTest,
                             public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidCompactRecord, IsRejectedAndChangesNothing)
{
    std::vector<uint8_t> bytes = Image(Populated(2, 2)); // 206 bytes
    GetParam().damage(bytes);
    WriteBytes(path, bytes);

    CBaseConfigDataIo config = Populated(5, 3);
    config.SetPmtVoltage(1);
    config.GetRunLog().push_back("started");
    const CBaseConfigDataIo before = config;

    EXPECT_EQ(config.ReadConfig(path, message), 0);
    EXPECT_EQ(message, "Invalid Configuration File Format!");
    EXPECT_TRUE(config == before);

    std::string from_memory;
    EXPECT_EQ(config.Parse(bytes, from_memory), 0);
    EXPECT_EQ(from_memory, "Invalid Configuration File Format!");
    EXPECT_TRUE(config == before);
}

void SetN(std::vector<uint8_t>& b, int16_t n)
{
    le::Put16(&b[4], static_cast<uint16_t>(n));
}
void SetM(std::vector<uint8_t>& b, int32_t m)
{
    le::Put32(&b[96], static_cast<uint32_t>(m));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InvalidCompactRecord,
    ::testing::Values(InvalidCase{"WrongTag", [](auto& b) { b[0] = 0x02; }},
                      InvalidCase{"SixGateModes", [](auto& b) { SetN(b, 6); }},
                      InvalidCase{"NegativeGateModes", [](auto& b) { SetN(b, -1); }},
                      InvalidCase{"NegativeEventCount", [](auto& b) { SetM(b, -1); }},
                      InvalidCase{"HugeEventCount", [](auto& b) { SetM(b, 0x7FFFFFFF); }},
                      InvalidCase{"OneEventTooMany", [](auto& b) { SetM(b, 3); }},
                      InvalidCase{"TagOnly", [](auto& b) { b.resize(4); }},
                      InvalidCase{"CutInsideFixedPart", [](auto& b) { b.resize(100); }},
                      InvalidCase{"CutInsideGateModes", [](auto& b) { b.resize(150); }},
                      InvalidCase{"LastByteMissing", [](auto& b) { b.pop_back(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CompactRecordAccess, BadIndexesAndNullEventsAreHarmless)
{
    CBaseConfigDataIo config;
    config.GetGateModeData(4).SetTypeNumber(4);
    EXPECT_EQ(&config.GetGateModeData(-1), &config.GetGateModeData(0));
    EXPECT_EQ(config.GetGateModeData(9).GetTypeNumber(), 4);
    config.AddEvent(static_cast<CBaseEventData*>(nullptr));
    config.AddEvent(std::unique_ptr<CBaseEventData>());
    EXPECT_EQ(config.GetEventCount(), 0);
    EXPECT_EQ(config.GetEvent(0), nullptr);
    EXPECT_EQ(config.GetRunLogPtr(), &config.GetRunLog());
}

TEST(GateModeRecord, CopyCarriesZeroLevelButNotSpare)
{
    CBaseGateModeData source;
    source.SetAlpha(0.5f);
    source.SetZeroLevel(2.5f);
    source.SetSpare(7);

    CBaseGateModeData target;
    target.SetSpare(3);
    target = source;
    EXPECT_EQ(target.GetAlpha(), 0.5f);
    EXPECT_EQ(target.GetZeroLevel(), 2.5f);
    EXPECT_EQ(target.GetSpare(), 3);

    CBaseGateModeData copied(source);
    EXPECT_EQ(copied.GetZeroLevel(), 2.5f);
    EXPECT_EQ(copied.GetSpare(), 0);

    const CFileGateModeData file_record(source);
    EXPECT_EQ(file_record.GetZeroLevel(), 2.5f);
    EXPECT_TRUE(file_record == source);
}

struct FieldCase {
    const char* name;
    std::function<void(CBaseGateModeData&)> change;
    bool still_equal;
};

class GateModeEquality : public ::testing::TestWithParam<FieldCase> {};

TEST_P(GateModeEquality, ComparesStoredFieldsOnly)
{
    CBaseGateModeData a;
    CBaseGateModeData b;
    GetParam().change(b);
    EXPECT_EQ(a == b, GetParam().still_equal);
    EXPECT_EQ(a.IsEqual(b), GetParam().still_equal);
    EXPECT_EQ(a.IsEqual(&b), GetParam().still_equal);
    EXPECT_FALSE(a.IsEqual(nullptr));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, GateModeEquality,
    ::testing::Values(FieldCase{"ZeroLevel", [](auto& m) { m.SetZeroLevel(1.0f); }, true},
                      FieldCase{"Spare", [](auto& m) { m.SetSpare(1); }, true},
                      FieldCase{"TypeNumber", [](auto& m) { m.SetTypeNumber(1); }, false},
                      FieldCase{"Mode", [](auto& m) { m.SetMode(1); }, false},
                      FieldCase{"StartA", [](auto& m) { m.SetStartA(1.0f); }, false},
                      FieldCase{"StopA", [](auto& m) { m.SetStopA(1.0f); }, false},
                      FieldCase{"Operator", [](auto& m) { m.SetOperator(1); }, false},
                      FieldCase{"Alpha", [](auto& m) { m.SetAlpha(1.0f); }, false},
                      FieldCase{"StartB", [](auto& m) { m.SetStartB(1.0f); }, false},
                      FieldCase{"StopB", [](auto& m) { m.SetStopB(1.0f); }, false},
                      FieldCase{"SquareRoot", [](auto& m) { m.SetSquareRoot(1); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
