// The Analyzer's scratch file of gate values: its path rule and its records.

#include "BaseDVFileINT.h"
#include "ByteOrder.h"
#include "KLYNGenUtil.h"

#include "TestFiles.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

struct PathCase {
    const char* data;
    const char* intermediate;
};

class IntermediatePath : public ::testing::TestWithParam<PathCase> {};

TEST_P(IntermediatePath, FollowsTheRuleAndNeverNamesTheDataFile)
{
    const std::string derived = CBaseDVFileINT::GetIntermediatePath(GetParam().data);
    EXPECT_EQ(derived, GetParam().intermediate);
    if (!derived.empty()) {
        EXPECT_NE(derived, GetParam().data);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Intermediate, IntermediatePath,
    ::testing::Values(PathCase{"run001.KLYN", "run001.INTN"},
                      PathCase{"/data/run001.KLYN", "/data/run001.INTN"},
                      PathCase{"run.abc", "run.INT"}, PathCase{"a.b.KLYN", "a.b.INTN"},
                      // No extension, or one too short to carry "INT".
                      PathCase{"run001", "run001.INT"}, PathCase{"a.b", "a.b.INT"},
                      PathCase{"a.bc", "a.bc.INT"}, PathCase{"run.", "run..INT"},
                      // Dots in folder names do not count.
                      PathCase{"/data/v1.5/run", "/data/v1.5/run.INT"},
                      PathCase{"/data.old/a.b", "/data.old/a.b.INT"},
                      PathCase{"/data.old/run.KLYN", "/data.old/run.INTN"},
                      // The rule would give back the data file itself.
                      PathCase{"run.INTN", "run.INTN.INT"}, PathCase{"run.int", "run.int.INT"},
                      // No file name at all.
                      PathCase{"", ""}, PathCase{"/data/", ""}),
    [](const auto& info) { return testsupport::CaseName("Path", info.param.data); });

class IntermediateFileTest : public ::testing::Test {
protected:
    using Values = std::array<float, CBaseDVFileINT::kGateResults>;

    static Values ValuesOf(int pulse)
    {
        Values values{};
        for (int g = 0; g < CBaseDVFileINT::kGateResults; ++g)
            values[static_cast<size_t>(g)] = pulse * 10.0f + g + 0.5f;
        return values;
    }

    // Three records and the tail, as the Analyzer writes them.
    void WriteAll(CBaseDVFileINT& file)
    {
        ASSERT_EQ(file.Open(data), 1);
        for (int p = 0; p < 3; ++p)
            ASSERT_EQ(file.WritePulse(100 * p - 1, ValuesOf(p)), 1);
        ASSERT_EQ(file.WriteTail(12, 4095), 1);
    }

    CTempDir dir;
    std::string data = dir.File("run001.KLYN");
    std::string scratch = dir.File("run001.INTN");
};

TEST_F(IntermediateFileTest, RecordsAndTailReadBack)
{
    CBaseDVFileINT file;
    WriteAll(file);
    ASSERT_EQ(file.MoveToPulse(0), 1);
    for (int p = 0; p < 3; ++p) {
        int32_t time = 0;
        Values values{};
        ASSERT_EQ(file.ReadPulse(time, values), 1);
        EXPECT_EQ(time, 100 * p - 1);
        EXPECT_EQ(values, ValuesOf(p));
    }
    uint16_t lowest = 0;
    uint16_t highest = 0;
    ASSERT_EQ(file.ReadTail(lowest, highest), 1);
    EXPECT_EQ(lowest, 12);
    EXPECT_EQ(highest, 4095);

    const std::vector<uint8_t> bytes = ReadBytes(scratch);
    ASSERT_EQ(bytes.size(), 3u * 24 + 4);
    EXPECT_EQ(le::GetI32(&bytes[0]), -1);
    EXPECT_EQ(le::GetF32(&bytes[24 + 4 + 4 * 4]), 14.5f);
    EXPECT_EQ(le::Get16(&bytes[72]), 12);
    EXPECT_EQ(le::Get16(&bytes[74]), 4095);
}

TEST_F(IntermediateFileTest, MoveToPulseGoesToThatRecord)
{
    CBaseDVFileINT file;
    WriteAll(file);
    int32_t time = 0;
    Values values{};
    ASSERT_EQ(file.MoveToPulse(2), 1);
    ASSERT_EQ(file.ReadPulse(time, values), 1);
    EXPECT_EQ(time, 199);
    EXPECT_EQ(values, ValuesOf(2));

    EXPECT_EQ(file.MoveToPulse(-1), 0);
    // Past the last record a read delivers nothing and says so.
    ASSERT_EQ(file.MoveToPulse(5), 1);
    EXPECT_EQ(file.ReadPulse(time, values), 0);
    EXPECT_EQ(time, 0);
    EXPECT_EQ(values, Values{});
}

TEST_F(IntermediateFileTest, CloseWithoutPathKeepsEverything)
{
    CBaseDVFileINT file;
    WriteAll(file);
    EXPECT_EQ(file.Close(""), 0);
    EXPECT_EQ(file.IsOpen(), 1);
    EXPECT_EQ(file.MoveToPulse(1), 1);
    EXPECT_EQ(CKLYNGenUtil::GetFileSize(scratch), 76);
}

TEST_F(IntermediateFileTest, CloseWithPathDeletesTheFile)
{
    CBaseDVFileINT file;
    WriteAll(file);
    EXPECT_EQ(file.Close(data), 1);
    EXPECT_EQ(file.IsOpen(), 0);
    EXPECT_EQ(CKLYNGenUtil::CheckFileExist(scratch), 0);
    EXPECT_EQ(CKLYNGenUtil::CheckFileExist(data), 0);

    // Closed: nothing reaches the disk.
    int32_t time = 0;
    Values values{};
    EXPECT_EQ(file.WritePulse(1, ValuesOf(1)) + file.WriteTail(1, 2) +
                  file.ReadPulse(time, values) + file.MoveToPulse(0),
              0);
    EXPECT_EQ(CKLYNGenUtil::CheckFileExist(scratch), 0);
}

// The scratch file outlives its object (Close(path) deletes it) and is
// emptied when the next document opens it.
TEST_F(IntermediateFileTest, DestructionKeepsTheFileAndOpenEmptiesIt)
{
    {
        CBaseDVFileINT file;
        WriteAll(file);
    }
    EXPECT_EQ(CKLYNGenUtil::GetFileSize(scratch), 76);
    CBaseDVFileINT file;
    ASSERT_EQ(file.Open(data), 1);
    EXPECT_EQ(CKLYNGenUtil::GetFileSize(scratch), 0);
}

// Batches of records land exactly where single records would, across the
// transfer blocks, and a batch read that runs out says so and leaves zeros.
TEST_F(IntermediateFileTest, BatchesMatchSingleRecords)
{
    std::vector<CBaseDVFileINT::Record> records(2500);
    for (size_t i = 0; i < records.size(); ++i)
        records[i] = {static_cast<int32_t>(7 * i) - 3, ValuesOf(static_cast<int>(i))};
    CBaseDVFileINT file;
    ASSERT_EQ(file.Open(data), 1);
    ASSERT_EQ(file.WritePulses(records), 1);
    ASSERT_EQ(file.WriteTail(1, 2), 1);

    const std::vector<uint8_t> bytes = ReadBytes(scratch);
    ASSERT_EQ(bytes.size(), 2500u * 24 + 4);
    for (size_t i : {size_t{0}, size_t{1023}, size_t{1024}, size_t{2499}}) {
        const uint8_t* p = &bytes[24 * i];
        EXPECT_EQ(le::GetI32(p), static_cast<int32_t>(7 * i) - 3) << i;
        for (int g = 0; g < 5; ++g)
            EXPECT_EQ(le::GetF32(p + 4 + 4 * g), i * 10.0f + g + 0.5f) << i;
    }

    ASSERT_EQ(file.MoveToPulse(1), 1);
    std::vector<CBaseDVFileINT::Record> back(2499);
    ASSERT_EQ(file.ReadPulses(back), 1);
    EXPECT_TRUE(std::equal(back.begin(), back.end(), records.begin() + 1));

    // Two records and the tail are left: the third comes back empty.
    ASSERT_EQ(file.MoveToPulse(2498), 1);
    std::vector<CBaseDVFileINT::Record> tail(3, records[5]);
    EXPECT_EQ(file.ReadPulses(tail), 0);
    EXPECT_EQ(tail[0], records[2498]);
    EXPECT_EQ(tail[1], records[2499]);
    EXPECT_EQ(tail[2], CBaseDVFileINT::Record{});
}

TEST_F(IntermediateFileTest, OpenAtAndCloseAtUseTheGivenPath)
{
    const std::string elsewhere = dir.File("cache-run001.INTN");
    CBaseDVFileINT file;
    ASSERT_EQ(file.OpenAt(elsewhere), 1);
    ASSERT_EQ(file.WritePulse(5, ValuesOf(0)), 1);
    EXPECT_EQ(CKLYNGenUtil::GetFileSize(elsewhere), 24);
    EXPECT_EQ(CKLYNGenUtil::CheckFileExist(scratch), 0);
    EXPECT_EQ(file.CloseAt(""), 0);
    EXPECT_EQ(file.IsOpen(), 1);
    EXPECT_EQ(file.CloseAt(elsewhere), 1);
    EXPECT_EQ(file.IsOpen(), 0);
    EXPECT_EQ(CKLYNGenUtil::CheckFileExist(elsewhere), 0);
    EXPECT_EQ(file.OpenAt(dir.File("no-such-folder/x.INTN")), 0);
}

} // namespace
