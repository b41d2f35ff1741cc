// Every byte layout of the file library against an image worked out by hand
// from its layout table: each field gets a value of its own, written below as
// the bytes the table puts at its offset (IEEE 754 words spelled in hex), so
// a pair of fields swapped in writer and reader alike changes the image and
// fails, where a round trip through our own writer and reader would pass.

#include "BaseConfigDataIo.h"
#include "BaseDVFileINT.h"
#include "ConfigFile.h"
#include "DataFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

// Places value at offset, least significant byte first, size bytes wide.
void Put(Bytes& image, size_t offset, uint64_t value, size_t size)
{
    ASSERT_LE(offset + size, image.size());
    for (size_t i = 0; i < size; ++i)
        image[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// ---------------------------------------------------------------------------
// The ".cnfg" file with one event: tag, gate set, board, channels, count, event.

constexpr size_t kConfigFileSize = 404 + 32;

// Gate i: type 0x10+i, type number 0x20+i, start A 1+i, start B 0.5+i,
// stop A 10+i, stop B 20+i, operator 0x30+i, alpha 0.25(i+1), square root 0x40+i.
constexpr uint64_t kStartA[5] = {0x3FF0000000000000, 0x4000000000000000, 0x4008000000000000,
                                 0x4010000000000000, 0x4014000000000000};
constexpr uint64_t kStartB[5] = {0x3FE0000000000000, 0x3FF8000000000000, 0x4004000000000000,
                                 0x400C000000000000, 0x4012000000000000};
constexpr uint64_t kStopA[5] = {0x4024000000000000, 0x4026000000000000, 0x4028000000000000,
                                0x402A000000000000, 0x402C000000000000};
constexpr uint64_t kStopB[5] = {0x4034000000000000, 0x4035000000000000, 0x4036000000000000,
                                0x4037000000000000, 0x4038000000000000};
constexpr uint64_t kAlpha[5] = {0x3FD0000000000000, 0x3FE0000000000000, 0x3FE8000000000000,
                                0x3FF0000000000000, 0x3FF4000000000000};

// The block sequence as it stands after a 4-byte tag (.cnfg) or the 24-byte
// prefix (data file); at is where the gate set block starts.
void PutBlocks(Bytes& image, size_t at)
{
    for (size_t i = 0; i < 5; ++i) {
        const size_t gate = at + 8 + 64 * i;
        Put(image, gate + 4, 0x10 + i, 2);
        Put(image, gate + 6, 0x20 + i, 2);
        Put(image, gate + 8, kStartA[i], 8);
        Put(image, gate + 16, kStartB[i], 8);
        Put(image, gate + 24, kStopA[i], 8);
        Put(image, gate + 32, kStopB[i], 8);
        Put(image, gate + 40, 0x30 + i, 2);
        Put(image, gate + 48, kAlpha[i], 8);
        Put(image, gate + 56, 0x40 + i, 4);
    }
    const size_t board = at + 328;
    Put(image, board + 4, 0x0A0B, 2);      // ignitor
    Put(image, board + 6, 0x0C0D, 2);      // PMT volts
    Put(image, board + 8, 0x0E0F, 2);      // trigger level
    Put(image, board + 12, 0x11223344, 4); // ADC trigger level
    for (size_t c = 0; c < 2; ++c) {
        const size_t channel = at + 344 + 4 + 24 * c;
        const uint64_t base = c == 0 ? 0x50 : 0x60;
        Put(image, channel + 4, base + 1, 4);  // gate index
        Put(image, channel + 8, base + 2, 4);  // interpolation
        Put(image, channel + 12, base + 3, 4); // zero channel
        Put(image, channel + 16, base + 4, 4); // scalar channel
        // Channel zero, -2 on channel 1.
        Put(image, channel + 20, c == 0 ? 0xFFFFFFFE : base + 5, 4);
    }
    Put(image, at + 396, 1, 4); // event count
    const size_t event = at + 400;
    Put(image, event + 8, 0x401E000000000000, 8);  // time 7.5
    Put(image, event + 16, EC_AUTOZERO, 4);        // code
    Put(image, event + 20, 2, 1);                  // channel
    Put(image, event + 24, 0xBFC0000000000000, 8); // value -0.125
}

Bytes ConfigFileImage()
{
    Bytes image(kConfigFileSize, 0);
    Put(image, 0, 30721, 4);
    PutBlocks(image, 4);
    return image;
}

CConfigBlockSet BlockRecords()
{
    CConfigBlockSet set;
    for (int i = 0; i < 5; ++i) {
        CGateParameter& gate = set.gates[i];
        gate.SetType(static_cast<unsigned short>(0x10 + i));
        gate.SetTypeNum(static_cast<unsigned short>(0x20 + i));
        gate.SetStartA(1.0 + i);
        gate.SetStartB(0.5 + i);
        gate.SetStopA(10.0 + i);
        gate.SetStopB(20.0 + i);
        gate.SetOperator(static_cast<unsigned short>(0x30 + i));
        gate.SetAlpha(0.25 * (i + 1));
        gate.SetSqrootStored(static_cast<uint32_t>(0x40 + i));
    }
    set.board.SetIgnitor(0x0A0B);
    set.board.SetpmtVolts(0x0C0D);
    set.board.SetTriggerLevel(0x0E0F);
    set.board.SetAdcTriggerLevel(0x11223344);
    for (int c = 0; c < 2; ++c) {
        const int base = c == 0 ? 0x50 : 0x60;
        set.channels[c].SetGateIndex(base + 1);
        set.channels[c].SetInterpolation(base + 2);
        set.channels[c].SetZeroChannel(base + 3);
        set.channels[c].SetScalarChannel(base + 4);
        set.channels[c].SetChannelZero(c == 0 ? -2 : base + 5);
    }
    CTimedEventData event;
    event.SetEventTime(7.5);
    event.SetEventCode(EC_AUTOZERO);
    event.SetEventChannel(2);
    event.SetEventValue(-0.125);
    set.events.AddTimedEvent(event);
    return set;
}

TEST(ByteLayout, ConfigurationFileAndItsBlocks)
{
    const CConfigBlockSet records = BlockRecords();
    CConfigFile config;
    config.SetGateParameters(records.gates);
    config.SetBoardParameters(records.board);
    config.SetChannelParameters(records.channels);
    config.SetTimedEvent(records.events);
    Bytes written;
    config.AppendImage(written);
    EXPECT_EQ(written, ConfigFileImage());

    // Read from the hand image, slots and padding filled with junk, which
    // a reader ignores.
    Bytes image = ConfigFileImage();
    for (size_t slot : {4u, 8u, 12u, 332u, 342u, 348u, 352u, 376u, 404u, 408u, 425u})
        image[slot] = 0xEE;
    CConfigFile read;
    std::string message;
    ASSERT_EQ(read.Parse(image, message), 1) << message;
    EXPECT_TRUE(read.GetGateParameters() == records.gates);
    EXPECT_TRUE(read.GetBoardParameters() == records.board);
    EXPECT_TRUE(read.GetChannelParameters() == records.channels);
    EXPECT_TRUE(read.GetTimedEvent() == records.events);
    EXPECT_EQ(read.GetGateParameters()[3].GetSqrootStored(), 0x43u);
    EXPECT_EQ(read.GetChannelParameters()[0].GetChannelZero(), -2);
}

// ---------------------------------------------------------------------------
// The compact configuration record: two gate modes, one event.

Bytes CompactRecordImage()
{
    Bytes image(124 + 2 * 27 + 14, 0);
    Put(image, 0, 30721, 4);
    Put(image, 4, 2, 2);          // gate modes
    Put(image, 6, 0x0123, 2);     // PMT voltage
    Put(image, 8, 0x3FC00000, 4); // ignitor current 1.5
    Put(image, 12, 0x0234, 2);    // trigger level
    Put(image, 14, 0x0345, 2);    // range
    // Flows 2, 3, 4, 5; coefficients H2 6..9, Air 1 10..13, Air 2 14..17, Aux 18..21.
    const uint32_t floats[20] = {0x40000000, 0x40400000, 0x40800000, 0x40A00000, 0x40C00000,
                                 0x40E00000, 0x41000000, 0x41100000, 0x41200000, 0x41300000,
                                 0x41400000, 0x41500000, 0x41600000, 0x41700000, 0x41800000,
                                 0x41880000, 0x41900000, 0x41980000, 0x41A00000, 0x41A80000};
    for (size_t i = 0; i < 20; ++i)
        Put(image, 16 + 4 * i, floats[i], 4);
    Put(image, 96, 1, 4); // events
    for (size_t i = 0; i < 6; ++i) {
        Put(image, 100 + 2 * i, 0x0701 + i, 2); // channel 1: zero value .. reserved 2
        Put(image, 112 + 2 * i, 0x0801 + i, 2); // channel 2
    }
    struct Mode {
        uint64_t typeNumber, mode, startA, stopA, op, alpha, startB, stopB, root;
    };
    const Mode modes[2] = {
        {0x0901, 0x0902, 0x3F000000, 0x3F400000, 0x0903, 0x3E800000, 0x3FA00000, 0x3FE00000, 1},
        {0x0A01, 0x0A02, 0x40100000, 0x40300000, 0x0A03, 0x40500000, 0x40700000, 0x40880000, 0}};
    for (size_t m = 0; m < 2; ++m) {
        const size_t at = 124 + 27 * m;
        Put(image, at + 0, modes[m].typeNumber, 2);
        Put(image, at + 2, modes[m].mode, 2);
        Put(image, at + 4, modes[m].startA, 4);
        Put(image, at + 8, modes[m].stopA, 4);
        Put(image, at + 12, modes[m].op, 2);
        Put(image, at + 14, modes[m].alpha, 4);
        Put(image, at + 18, modes[m].startB, 4);
        Put(image, at + 22, modes[m].stopB, 4);
        Put(image, at + 26, modes[m].root, 1);
    }
    Put(image, 178, 0x41B00000, 4); // event time 22
    Put(image, 182, 0x0B01, 2);     // code
    Put(image, 184, 0x0B02, 2);     // channel
    Put(image, 186, 0x41B80000, 4); // value 23
    Put(image, 190, 0x0B03, 2);     // reserved
    return image;
}

void FillCompactRecord(CBaseConfigDataIo& c)
{
    c.SetNumGateModes(2);
    c.SetPmtVoltage(0x0123);
    c.SetIgnitorCurrent(1.5f);
    c.SetTriggerLevel(0x0234);
    c.SetRange(0x0345);
    c.SetH2Flow(2);
    c.SetAir1Flow(3);
    c.SetAir2Flow(4);
    c.SetAuxFlow(5);
    c.SetH2CoefficientA(6);
    c.SetH2CoefficientB(7);
    c.SetH2CoefficientC(8);
    c.SetH2CoefficientD(9);
    c.SetAir1CoefficientA(10);
    c.SetAir1CoefficientB(11);
    c.SetAir1CoefficientC(12);
    c.SetAir1CoefficientD(13);
    c.SetAir2CoefficientA(14);
    c.SetAir2CoefficientB(15);
    c.SetAir2CoefficientC(16);
    c.SetAir2CoefficientD(17);
    c.SetAuxCoefficientA(18);
    c.SetAuxCoefficientB(19);
    c.SetAuxCoefficientC(20);
    c.SetAuxCoefficientD(21);
    for (int ch = 0; ch < 2; ++ch) {
        const short base = ch == 0 ? 0x0700 : 0x0800;
        CBaseChannelData& channel = c.GetChannelData(ch);
        channel.SetZeroValue(static_cast<short>(base + 1));
        channel.SetInterpolation(static_cast<short>(base + 2));
        channel.SetScalarChannel(static_cast<short>(base + 3));
        channel.SetGateIndex(static_cast<short>(base + 4));
        channel.SetReserved1(static_cast<short>(base + 5));
        channel.SetReserved2(static_cast<short>(base + 6));
    }
    const float f[2][6] = {{0.5f, 0.75f, 0.25f, 1.25f, 1.75f, 1},
                           {2.25f, 2.75f, 3.25f, 3.75f, 4.25f, 0}};
    for (int m = 0; m < 2; ++m) {
        CFileGateModeData& mode = c.GetGateModeData(m);
        const short base = m == 0 ? 0x0900 : 0x0A00;
        mode.SetTypeNumber(static_cast<short>(base + 1));
        mode.SetMode(static_cast<short>(base + 2));
        mode.SetStartA(f[m][0]);
        mode.SetStopA(f[m][1]);
        mode.SetOperator(static_cast<short>(base + 3));
        mode.SetAlpha(f[m][2]);
        mode.SetStartB(f[m][3]);
        mode.SetStopB(f[m][4]);
        mode.SetSquareRoot(static_cast<unsigned char>(f[m][5]));
    }
    auto event = std::make_unique<CBaseEventData>(22.0f, 0x0B01, 0x0B02, 23.0f);
    event->SetReserved(0x0B03);
    c.AddEvent(std::move(event));
}

TEST(ByteLayout, CompactConfigurationRecordWithGateModeAndEventRecords)
{
    CBaseConfigDataIo written;
    FillCompactRecord(written);
    Bytes image;
    written.Append(image);
    EXPECT_EQ(image, CompactRecordImage());

    CBaseConfigDataIo read;
    std::string message;
    ASSERT_EQ(read.Parse(CompactRecordImage(), message), 1) << message;
    Bytes again;
    read.Append(again);
    EXPECT_EQ(again, CompactRecordImage());
    EXPECT_EQ(read.GetH2CoefficientB(), 7.0f);
    EXPECT_EQ(read.GetAir2CoefficientC(), 16.0f);
    EXPECT_EQ(read.GetChannelData(1).GetScalarChannel(), 0x0803);
    EXPECT_EQ(read.GetGateModeData(1).GetStartB(), 3.75f);
    EXPECT_EQ(read.GetGateModeData(0).GetSquareRoot(), 1);
    ASSERT_EQ(read.GetEventCount(), 1);
    EXPECT_EQ(read.GetEvent(0)->GetEventChannel(), 0x0B02);
    EXPECT_EQ(read.GetEvent(0)->GetReserved(), 0x0B03);
}

// ---------------------------------------------------------------------------
// The data file: prefix, blocks, count, two pulse records of two samples.

Bytes DataFileImage()
{
    const size_t countAt = 24 + 400 + 32;
    Bytes image(countAt + 4 + 2 * 56, 0);
    Put(image, 0, 16897, 4);
    Put(image, 4, 13, 4);    // hour
    Put(image, 8, 47, 4);    // minute
    Put(image, 12, 2031, 4); // year
    Put(image, 16, 11, 4);   // month
    Put(image, 20, 29, 4);   // day
    PutBlocks(image, 24);
    Put(image, countAt, 2, 4);
    for (size_t p = 0; p < 2; ++p) {
        const size_t at = countAt + 4 + 56 * p;
        Put(image, at + 0, 0x11 + p, 4);            // reserved 1
        Put(image, at + 4, 0x22 + p, 4);            // reserved 2
        Put(image, at + 8, 0x01020304 + p, 4);      // pulse index
        Put(image, at + 12, 0x0A0B0C0D + p, 4);     // pulse time
        Put(image, at + 16, 0x31 + p, 4);           // ch1 offset
        Put(image, at + 20, 0x41 + p, 4);           // ch2 offset
        Put(image, at + 24, 0x3FD8000000000000, 8); // T-delay 0.375
        Put(image, at + 32, 0x51 + p, 4);           // dark current
        Put(image, at + 36, 2, 4);                  // N
        Put(image, at + 40, 0xFFFFFFFD, 4);         // sample -3
        Put(image, at + 44, 0x00012345 + p, 4);     // sample
        Put(image, at + 48, 0x401B000000000000, 8); // frequency 6.75
    }
    return image;
}

CPulseData ImagePulse(int p)
{
    CPulseData pulse;
    pulse.SetReserved1(0x11 + p);
    pulse.SetReserved2(0x22 + p);
    pulse.SetPulseIndex(0x01020304 + p);
    pulse.SetPulseTime(0x0A0B0C0D + p);
    pulse.SetCh1Offset(static_cast<unsigned>(0x31 + p));
    pulse.SetCh2Offset(static_cast<unsigned>(0x41 + p));
    pulse.SetTDelay(0.375);
    pulse.SetDarkCurrent(static_cast<unsigned>(0x51 + p));
    pulse.AddData(-3);
    pulse.AddData(0x00012345 + p);
    pulse.SetFrequencyPulse(6.75);
    return pulse;
}

TEST(ByteLayout, DataFileHeaderAndPulseRecords)
{
    CTempDir dir;
    CDataFileHeader header;
    header.hour = 13;
    header.minute = 47;
    header.year = 2031;
    header.month = 11;
    header.day = 29;
    header.config = BlockRecords();
    const std::string path = dir.File("run001.KLYN");
    CDataFileWriter writer;
    std::string message;
    ASSERT_EQ(writer.Create(path, header, message), 1) << message;
    for (int p = 0; p < 2; ++p)
        ASSERT_EQ(writer.Append(ImagePulse(p), message), 1) << message;
    ASSERT_EQ(writer.Close(message), 1) << message;
    EXPECT_EQ(ReadBytes(path), DataFileImage());

    const std::string hand = dir.File("hand.KLYN");
    WriteBytes(hand, DataFileImage());
    CDataFileHeader read;
    std::vector<CPulseData> pulses;
    CSalvageReport report;
    ASSERT_EQ(CDataFileReader::ReadAll(hand, read, pulses, report, message), 1) << message;
    EXPECT_TRUE(report.Clean()) << report.Text();
    EXPECT_EQ(read.hour, 13);
    EXPECT_EQ(read.minute, 47);
    EXPECT_EQ(read.year, 2031);
    EXPECT_EQ(read.month, 11);
    EXPECT_EQ(read.day, 29);
    EXPECT_TRUE(read.config == BlockRecords());
    ASSERT_EQ(pulses.size(), 2u);
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(pulses[static_cast<size_t>(p)], ImagePulse(p)) << p;
        EXPECT_EQ(pulses[static_cast<size_t>(p)].GetReserved2(), 0x22 + p);
    }
}

// ---------------------------------------------------------------------------
// The intermediate file: one record and the tail.

TEST(ByteLayout, IntermediateFileRecordAndTail)
{
    Bytes image(24 + 4, 0);
    Put(image, 0, 0xFFFFFFFE, 4); // time -2
    const uint32_t values[5] = {0x3FC00000, 0x40200000, 0x40600000, 0x40900000, 0x40B00000};
    for (size_t i = 0; i < 5; ++i)
        Put(image, 4 + 4 * i, values[i], 4); // 1.5, 2.5, 3.5, 4.5, 5.5
    Put(image, 24, 0x0102, 2);               // lowest sample
    Put(image, 26, 0xF0E0, 2);               // highest sample

    CTempDir dir;
    const std::string data = dir.File("run001.KLYN");
    CBaseDVFileINT file;
    ASSERT_EQ(file.Open(data), 1);
    ASSERT_EQ(file.WritePulse(-2, {1.5f, 2.5f, 3.5f, 4.5f, 5.5f}), 1);
    ASSERT_EQ(file.WriteTail(0x0102, 0xF0E0), 1);
    EXPECT_EQ(ReadBytes(CBaseDVFileINT::GetIntermediatePath(data)), image);

    WriteBytes(CBaseDVFileINT::GetIntermediatePath(data), image);
    ASSERT_EQ(file.MoveToPulse(0), 1);
    int32_t time = 0;
    std::array<float, 5> read{};
    ASSERT_EQ(file.ReadPulse(time, read), 1);
    EXPECT_EQ(time, -2);
    EXPECT_EQ(read, (std::array<float, 5>{1.5f, 2.5f, 3.5f, 4.5f, 5.5f}));
    uint16_t lowest = 0, highest = 0;
    ASSERT_EQ(file.ReadTail(lowest, highest), 1);
    EXPECT_EQ(lowest, 0x0102);
    EXPECT_EQ(highest, 0xF0E0);
}

} // namespace
