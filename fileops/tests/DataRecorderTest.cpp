// The recorder: file names, the settings file and one recording's life.
#include "DataRecorder.h"
#include "MessageService.h"
#include "TestFiles.h"

#include "ByteOrder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class RecorderTest : public testing::Test {
protected:
    void Touch(const std::string& name) { WriteBytes(dir.File(name), {1}); }
    std::string Settings() const { return dir.File("Config/TarvolinMonitorDataSettings.cfg"); }

    CTempDir dir;
    CDataRecorder recorder;
    CMessageRecorder messages;
};

TEST_F(RecorderTest, TheFirstStartEverNamesTheFileAfterTheDefaults)
{
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const bool may = recorder.PrepareRecording(Settings());
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(may);
    EXPECT_EQ(recorder.GetFileName(), "file001.KLYN");
    EXPECT_EQ(recorder.GetFolder(), dir.Path().string() + "/");
    EXPECT_EQ(recorder.GetFullPath(), dir.File("file001.KLYN"));
    EXPECT_EQ(messages.Count(), 0u);

    CDataRecorder reloaded;
    ASSERT_EQ(reloaded.LoadSettings(Settings()), 1);
    EXPECT_EQ(reloaded.GetFolder(), dir.Path().string() + "/");
    EXPECT_EQ(reloaded.GetPrefix(), "file");
    EXPECT_EQ(reloaded.GetIndex(), 1);
    EXPECT_EQ(reloaded.GetFileName(), "file001.KLYN");
}

TEST_F(RecorderTest, IndexSearchesSkipNamesInUse)
{
    recorder.SetFolder(dir.Path());
    recorder.SetPrefix("run");
    for (const char* name : {"run001.KLYN", "run007.KLYN", "run008.KLYN", "run010.KLYN"})
        Touch(name);

    recorder.SetIndex(7); // the last file of an earlier program run
    recorder.StepIndexOncePerRun();
    EXPECT_EQ(recorder.GetFileName(), "run009.KLYN");
    recorder.StepIndexOncePerRun();
    EXPECT_EQ(recorder.GetIndex(), 9) << "only once per program run";

    recorder.NextFreeIndexUp();
    EXPECT_EQ(recorder.GetFileName(), "run011.KLYN");
    recorder.NextFreeIndexDown();
    EXPECT_EQ(recorder.GetFileName(), "run009.KLYN") << "010 is taken";
    recorder.SetIndex(2);
    recorder.NextFreeIndexDown();
    EXPECT_EQ(recorder.GetIndex(), 1) << "the search stops at 1 even when 001 exists";
    EXPECT_EQ(recorder.GetFileName(), "run001.KLYN");

    recorder.SetIndex(999);
    recorder.NextFreeIndexUp();
    EXPECT_EQ(recorder.GetFileName(), "run1000.KLYN");

    recorder.SetIndexText("042");
    EXPECT_EQ(recorder.GetIndex(), 42);
    recorder.SetIndexText("4x");
    recorder.ComposeFileName();
    EXPECT_EQ(recorder.GetFileName(), "run4x.KLYN") << "the typed text is used as it stands";
    EXPECT_EQ(recorder.GetIndex(), 42);
}

TEST_F(RecorderTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysYes)
{
    recorder.SetFolder(dir.Path());
    recorder.SetPrefix("run");
    recorder.SetIndex(1);
    Touch("run001.KLYN");
    messages.QueueAnswer(IDNO);
    EXPECT_FALSE(recorder.PrepareRecording(Settings()));
    ASSERT_EQ(messages.Count(), 1u);
    const auto m = messages.Messages()[0];
    EXPECT_EQ(m.caption, "Tarvolin Monitor  Warning");
    EXPECT_EQ(m.text, "The file " + dir.Path().string() + "/run001.KLYN already exists.\n\nDo you want to replace it?");
    EXPECT_EQ(m.buttons, MessageButtons::YesNo);
    EXPECT_EQ(recorder.GetFileName(), "run002.KLYN");

    recorder.SetIndex(1);
    messages.QueueAnswer(IDYES);
    EXPECT_TRUE(recorder.PrepareRecording(Settings()));
    EXPECT_EQ(recorder.GetFileName(), "run001.KLYN");
}

TEST_F(RecorderTest, ARecordingWritesItsHeaderPulsesAndCountAndMovesTheIndexOn)
{
    recorder.SetFolder(dir.Path());
    recorder.SetPrefix("gc");
    recorder.SetIndex(3);
    CGateParameters gates;
    gates[1].SetType(GM_N);
    CBoardParameters board;
    board.SetpmtVolts(650);
    CChannelParameters channels;
    CTimedEvent events;
    CTimedEventData e;
    e.SetEventTime(2.5);
    e.SetEventCode(EC_RECORD);
    events.AddTimedEvent(e);
    recorder.SetHeaderRecords(gates, board, channels, events);
    ASSERT_TRUE(recorder.PrepareRecording(""));
    std::string message;
    ASSERT_EQ(recorder.Start(message), 1) << message;
    EXPECT_TRUE(recorder.IsRecording());
    EXPECT_EQ(recorder.Start(message), 0) << "one recording at a time";
    CPulseData pulse;
    pulse.AddData(5);
    for (int i = 0; i < 3; ++i) {
        pulse.SetPulseIndex(i);
        ASSERT_EQ(recorder.Append(pulse, message), 1);
    }
    EXPECT_EQ(recorder.GetPulseCount(), 3);
    EXPECT_EQ(recorder.GetLastPulse().GetPulseIndex(), 2);
    ASSERT_EQ(recorder.Stop(message), 1) << message;
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(recorder.GetFileName(), "gc004.KLYN");
    EXPECT_EQ(recorder.Append(pulse, message), 0) << "nothing is written after a stop";

    CDataFileHeader header;
    std::vector<CPulseData> pulses;
    CSalvageReport report;
    ASSERT_EQ(CDataFileReader::ReadAll(dir.File("gc003.KLYN"), header, pulses, report, message), 1);
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(pulses.size(), 3u);
    EXPECT_EQ(header.config.gates[1].GetType(), GM_N);
    EXPECT_EQ(header.config.board.GetPmtVolts(), 650);
    EXPECT_EQ(header.config.events.GetCount(), 1);
    EXPECT_GE(header.year, 2024);

    // A stop after no pulses leaves the header and a count of 0.
    ASSERT_EQ(recorder.Start(message), 1);
    ASSERT_EQ(recorder.Stop(message), 1);
    const auto bytes = ReadBytes(dir.File("gc004.KLYN"));
    EXPECT_EQ(bytes.size(), 428u + 32u);
    EXPECT_EQ(le::GetI32(&bytes[456]), 0);
}

TEST_F(RecorderTest, APulseWithTheLastOnesIndexIsNotWrittenTwice)
{
    recorder.SetFolder(dir.Path());
    recorder.SetPrefix("dup");
    std::string message;
    ASSERT_EQ(recorder.Start(message), 1) << message;
    CPulseData pulse;
    pulse.AddData(5);
    // The board answers the pulse command with its latest pulse, new or not.
    const std::vector<long> offered = {4, 4, 5, 5, 5, 7, 1, 1};
    const std::vector<bool> expected = {true, false, true, false, false, true, true, false};
    for (size_t i = 0; i < offered.size(); ++i) {
        pulse.SetPulseIndex(offered[i]);
        bool written = !expected[i];
        ASSERT_EQ(recorder.Append(pulse, message, &written), 1);
        EXPECT_EQ(written, expected[i]) << "pulse " << i;
    }
    EXPECT_EQ(recorder.GetPulseCount(), 4);
    EXPECT_EQ(recorder.GetSequence().GetRepeats(), 4);
    EXPECT_EQ(recorder.GetSequence().GetSkipped(), 1);
    EXPECT_EQ(recorder.GetSequence().GetRestarts(), 1);
    ASSERT_EQ(recorder.Stop(message), 1) << message;

    CDataFileHeader header;
    std::vector<CPulseData> pulses;
    CSalvageReport report;
    ASSERT_EQ(CDataFileReader::ReadAll(dir.File("dup001.KLYN"), header, pulses, report, message), 1);
    std::vector<long> indexes;
    for (const CPulseData& p : pulses)
        indexes.push_back(p.GetPulseIndex());
    EXPECT_EQ(indexes, (std::vector<long>{4, 5, 7, 1}));

    // A new recording starts a new sequence: its first pulse is taken.
    ASSERT_EQ(recorder.Start(message), 1) << message;
    bool written = false;
    ASSERT_EQ(recorder.Append(pulse, message, &written), 1);
    EXPECT_TRUE(written);
    ASSERT_EQ(recorder.Stop(message), 1) << message;
}

TEST_F(RecorderTest, AFolderThatCannotBeWrittenRefusesTheStartWithAReason)
{
    recorder.SetFolder(dir.File("no/such/folder"));
    recorder.SetPrefix("x");
    recorder.ComposeFileName();
    std::string message;
    EXPECT_EQ(recorder.Start(message), 0);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_NE(message.find("cannot create"), std::string::npos) << message;
}

} // namespace
