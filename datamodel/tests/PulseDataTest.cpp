// Pulse records in memory and on disk, and the binary file wrapper.
#include "PulseData.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

CPulseData SamplePulse(int samples)
{
    CPulseData pulse;
    pulse.SetReserved1(7);
    pulse.SetReserved2(9);
    pulse.SetPulseIndex(123456);
    pulse.SetPulseTime(-5);
    pulse.SetCh1Offset(0xFFFFFFF0u);
    pulse.SetCh2Offset(17);
    pulse.SetTDelay(0.123456789012345);
    pulse.SetDarkCurrent(4000000000u);
    pulse.SetFrequencyPulse(6.9999);
    for (int i = 0; i < samples; ++i)
        pulse.AddData(i * 1000 - 70000);
    return pulse;
}

std::vector<uint8_t> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(PulseBuffer, SamplesAreBoundsCheckedAndResizable)
{
    CPulseData pulse = SamplePulse(10);
    EXPECT_EQ(pulse.GetData(10), 0);
    EXPECT_EQ(pulse.GetData(-1), 0);
    pulse.SetData(10, 5);
    pulse.SetData(-1, 5);
    EXPECT_EQ(pulse.GetDataCount(), 10);
    pulse.SetBufferSize(0);
    EXPECT_EQ(pulse.GetDataCount(), 10);
    pulse.SetBufferSize(12);
    EXPECT_EQ(pulse.GetDataCount(), 12);
    EXPECT_EQ(pulse.GetData(9), 9000 - 70000);
    EXPECT_EQ(pulse.GetData(11), 0);
    pulse.CleanupBuffer();
    EXPECT_EQ(pulse.GetDataCount(), 0);
    EXPECT_EQ(pulse.GetCurrentSize(), 48u);
}

TEST(PulseBuffer, CopyLeavesTheReservedFieldsOfTheDestination)
{
    CPulseData source = SamplePulse(3);
    CPulseData dest;
    dest.SetReserved1(1);
    dest.SetReserved2(2);
    dest.AddData(99);
    dest.AddData(98);
    dest.AddData(97);
    dest.AddData(96);
    dest.CopyFrom(source);
    EXPECT_EQ(dest.GetReserved1(), 1);
    EXPECT_EQ(dest.GetReserved2(), 2);
    EXPECT_EQ(dest.Samples(), source.Samples());
    EXPECT_EQ(dest.GetFrequencyPulse(), source.GetFrequencyPulse());
    CPulseData copied(source);
    EXPECT_EQ(copied.GetReserved1(), 0);
}

TEST(PulseRecord, HasTheDocumentedSizeAndLayout)
{
    EXPECT_EQ(SamplePulse(250).GetCurrentSize(), 1048u);
    std::vector<uint8_t> bytes;
    SamplePulse(2).AppendRecord(bytes);
    ASSERT_EQ(bytes.size(), 56u);
    EXPECT_EQ(bytes[0], 7);                       // reserved 1
    EXPECT_EQ(bytes[4], 9);                       // reserved 2
    EXPECT_EQ(bytes[8], 0x40);                    // 123456 = 0x0001E240
    EXPECT_EQ(bytes[9], 0xE2);
    EXPECT_EQ(bytes[12], 0xFB);                   // -5
    EXPECT_EQ(bytes[15], 0xFF);
    EXPECT_EQ(bytes[36], 2);                      // N
    EXPECT_EQ(bytes[40], 0x90);                   // -70000 = 0xFFFEEE90
    EXPECT_EQ(bytes[43], 0xFF);
}

// The record of a two-sample pulse, byte by byte from the layout table: a
// pair of fields swapped in writer and reader alike would change it.
TEST(PulseRecord, MatchesTheLayoutTableByteForByte)
{
    const std::vector<uint8_t> image = {
        0x01, 0x00, 0x00, 0x00,                         //  0 reserved 1 = 1
        0x02, 0x00, 0x00, 0x00,                         //  4 reserved 2 = 2
        0x40, 0xE2, 0x01, 0x00,                         //  8 pulse index = 123456
        0xFB, 0xFF, 0xFF, 0xFF,                         // 12 pulse time = -5
        0x03, 0x00, 0x00, 0x00,                         // 16 ch1 offset = 3
        0x04, 0x00, 0x00, 0x00,                         // 20 ch2 offset = 4
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F, // 24 T-delay = 1.5
        0x05, 0x00, 0x00, 0x00,                         // 32 dark current = 5
        0x02, 0x00, 0x00, 0x00,                         // 36 N = 2
        0x90, 0xEE, 0xFE, 0xFF,                         // 40 sample = -70000
        0x06, 0x00, 0x00, 0x00,                         // 44 sample = 6
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x40, // 48 frequency = 2.5
    };
    CPulseData pulse;
    pulse.SetReserved1(1);
    pulse.SetReserved2(2);
    pulse.SetPulseIndex(123456);
    pulse.SetPulseTime(-5);
    pulse.SetCh1Offset(3);
    pulse.SetCh2Offset(4);
    pulse.SetTDelay(1.5);
    pulse.SetDarkCurrent(5);
    pulse.AddData(-70000);
    pulse.AddData(6);
    pulse.SetFrequencyPulse(2.5);
    std::vector<uint8_t> written;
    pulse.AppendRecord(written);
    EXPECT_EQ(written, image);

    CPulseData read;
    size_t used = 0;
    ASSERT_EQ(read.ParseRecord(image, used), 1);
    EXPECT_EQ(used, image.size());
    EXPECT_EQ(read, pulse);
}

TEST(PulseRecord, WriteThenReadReturnsEveryField)
{
    TempDir dir;
    const std::string path = dir.File("pulses.bin");
    OFileIO out;
    ASSERT_NE(out.Open(path, IO_WRITE), nullptr);
    CPulseData empty;
    empty.SetPulseIndex(1);
    ASSERT_EQ(SamplePulse(250).Io(out), 1);
    ASSERT_EQ(empty.Io(out), 1);
    out.Close();
    EXPECT_EQ(FileBytes(path).size(), 1048u + 48u);

    OFileIO in;
    ASSERT_NE(in.Open(path, IO_READ), nullptr);
    CPulseData first;
    CPulseData second = SamplePulse(4);
    ASSERT_EQ(first.Io(in), 1);
    ASSERT_EQ(second.Io(in), 1);
    EXPECT_EQ(first, SamplePulse(250));
    EXPECT_EQ(second.GetDataCount(), 0);
    EXPECT_EQ(second.GetPulseIndex(), 1);
    EXPECT_EQ(second.GetReserved1(), 0);
    CPulseData after;
    EXPECT_EQ(after.Io(in), 0);
}

TEST(PulseRecord, AHostileSampleCountFailsAndLeavesThePulseUntouched)
{
    TempDir dir;
    const std::string path = dir.File("bad.bin");
    const std::vector<int32_t> counts = {-1, 3, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)};
    for (int32_t count : counts) {
        std::vector<uint8_t> bytes;
        SamplePulse(2).AppendRecord(bytes);
        const auto n = static_cast<uint32_t>(count);
        for (int i = 0; i < 4; ++i)
            bytes[36 + i] = static_cast<uint8_t>(n >> (8 * i));
        WriteBytes(path, bytes);

        OFileIO in;
        ASSERT_NE(in.Open(path, IO_READ), nullptr);
        CPulseData pulse = SamplePulse(5);
        EXPECT_EQ(pulse.Io(in), 0) << "count " << count;
        EXPECT_EQ(pulse, SamplePulse(5)) << "count " << count;
        EXPECT_EQ(in.Ftell(), 0) << "the file goes back to the record's start";
        in.Close();
    }
}

TEST(PulseRecord, ATornRecordFailsCleanly)
{
    TempDir dir;
    const std::string path = dir.File("torn.bin");
    std::vector<uint8_t> bytes;
    SamplePulse(10).AppendRecord(bytes);
    for (size_t keep : {size_t{1}, size_t{39}, size_t{40}, bytes.size() - 1}) {
        WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(keep)));
        OFileIO in;
        ASSERT_NE(in.Open(path, IO_READ), nullptr);
        CPulseData pulse;
        EXPECT_EQ(pulse.Io(in), 0) << keep << " bytes";
        EXPECT_EQ(pulse, CPulseData());
        in.Close();
    }
}

TEST(FileIO, EmptyFilesOpenForWritingButNotForReading)
{
    TempDir dir;
    const std::string path = dir.File("empty.bin");
    WriteBytes(path, {});
    OFileIO file;
    EXPECT_EQ(file.Open(path, IO_READ), nullptr);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetDir(), IO_READ);

    WriteBytes(path, {1, 2, 3});
    ASSERT_NE(file.Open(path, IO_WRITE), nullptr);
    EXPECT_EQ(file.Size(), 0) << "opening for writing truncates";
    EXPECT_EQ(file.Write("ab", 2), 1);
    file.Close();
    EXPECT_EQ(file.Write("ab", 2), 0);
    EXPECT_EQ(FileBytes(path).size(), 2u);
    EXPECT_EQ(file.Open(dir.File("missing/x.bin"), IO_READ), nullptr);
}

TEST(FileIO, BytesInMemoryReadAsAFileOfThatContent)
{
    std::vector<uint8_t> image;
    SamplePulse(3).AppendRecord(image);
    image.push_back(0xAB); // the start of another record
    OFileIO file;
    ASSERT_NE(file.OpenMemory(image.data(), image.size()), nullptr);
    EXPECT_EQ(file.GetDir(), IO_READ);
    EXPECT_EQ(file.Size(), static_cast<int64_t>(image.size()));
    CPulseData pulse;
    ASSERT_EQ(pulse.Io(file), 1);
    EXPECT_EQ(pulse, SamplePulse(3));
    EXPECT_EQ(file.Remaining(), 1);
    EXPECT_EQ(pulse.Io(file), 0) << "a torn record fails";
    EXPECT_EQ(file.Remaining(), 1) << "and the position stays";
    EXPECT_EQ(file.OpenMemory(image.data(), 0), nullptr);
    EXPECT_FALSE(file.IsOpen());
}

TEST(FileIO, CopiesShareTheStreamAndAreSafeAfterClose)
{
    TempDir dir;
    const std::string path = dir.File("shared.bin");
    OFileIO original;
    ASSERT_NE(original.Open(path, IO_WRITE), nullptr);
    OFileIO copy = original;
    EXPECT_EQ(copy.GetFp(), original.GetFp());
    EXPECT_EQ(copy.Write("xyz", 3), 1);
    original.Close();
    EXPECT_FALSE(copy.IsOpen());
    EXPECT_EQ(copy.Write("q", 1), 0);
    copy.Close();
    EXPECT_EQ(FileBytes(path).size(), 3u);

    ASSERT_NE(original.Open(path, IO_READ), nullptr);
    EXPECT_EQ(original.Remaining(), 3);
    EXPECT_EQ(original.Skip(2), 0);
    EXPECT_EQ(original.Remaining(), 1);
    char c = 0;
    EXPECT_EQ(original.Read(&c, 1), 1);
    EXPECT_EQ(c, 'z');
    EXPECT_EQ(original.Read(&c, 1), 0);
}

} // namespace
