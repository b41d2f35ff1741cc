// The recording session: the rules carried out on real files, with a host
// that records what the program would have shown, logged and asked.
#include "RecordingSession.h"
#include "ByteOrder.h"
#include "DataSettings.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class FakeHost : public IRecordingHost {
public:
    HeaderSource source = HeaderSource::Board;
    std::string headerNote;
    CConfigBlockSet records;
    OverwriteAnswer answer = OverwriteAnswer::NextFreeName;

    std::vector<std::string> log;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> notes;
    int resets = 0;
    std::vector<CRecordingSummary> finished;

    HeaderSource GetHeaderRecords(RecordingCause, CConfigBlockSet& out, std::string& note) override
    {
        out = records;
        note = headerNote;
        return source;
    }
    OverwriteAnswer AskOverwrite(const CRecordingQuestion& question) override
    {
        questions.push_back(question.text);
        return answer;
    }
    void AddRunLogEntry(const std::string& text) override { log.push_back(text); }
    void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
    void ResetToReady(RecordingCause) override { ++resets; }
    void OnNote(const std::string& note) override { notes.push_back(note); }
    void OnRecordingFinished(const CRecordingSummary& summary) override
    {
        finished.push_back(summary);
    }
};

CPulseData Pulse(long index, long time)
{
    CPulseData pulse;
    pulse.SetPulseIndex(index);
    pulse.SetPulseTime(time);
    for (int i = 0; i < 250; ++i)
        pulse.AddData(static_cast<unsigned>(i));
    return pulse;
}

CTimedEvent Program(std::initializer_list<std::pair<double, double>> records)
{
    CTimedEvent events;
    for (const auto& [minutes, value] : records) {
        CTimedEventData event;
        event.SetEventTime(minutes);
        event.SetEventCode(EC_RECORD);
        event.SetEventValue(value);
        events.AddTimedEvent(event);
    }
    return events;
}

struct Recording {
    int ok = 0;
    CDataFileHeader header;
    std::vector<CPulseData> pulses;
    CSalvageReport report;
    std::string message;
};

Recording Read(const std::string& path)
{
    Recording r;
    r.ok = CDataFileReader::ReadAll(path, r.header, r.pulses, r.report, r.message);
    return r;
}

class RecordingSessionTest : public testing::Test {
protected:
    std::string Settings() const { return dir.File("Config/TarvolinMonitorDataSettings.cfg"); }
    std::string Data() const { return dir.File("Data"); }

    CTempDir dir;
    FakeHost host;
    CRecordingSession session{host};
};

TEST_F(RecordingSessionTest, TheFirstStartEverGoesToTheInstrumentsDataFolder)
{
    session.SetSettingsPath(Settings());
    session.Recorder().SetDefaultFolder(Data());
    ASSERT_FALSE(std::filesystem::exists(Data()));
    session.ManualStart();
    ASSERT_TRUE(session.IsRecording()) << (host.messages.empty() ? "" : host.messages[0]);
    EXPECT_EQ(session.GetFilePath(), Data() + "/file001.KLYN");
    EXPECT_EQ(session.GetFileName(), "file001.KLYN");
    EXPECT_TRUE(host.questions.empty());

    CDataSettings kept;
    std::string message;
    ASSERT_EQ(kept.LoadFromFile(Settings(), message), 1) << message;
    EXPECT_EQ(kept.GetFilePathe(), Data() + "/");
    EXPECT_EQ(kept.GetLeftFilePathe(), "file");
    EXPECT_EQ(kept.GetPosition(), 1);

    // A stop after no pulse leaves the header and a count of 0.
    session.ManualStop();
    EXPECT_FALSE(session.IsRecording());
    const auto bytes = ReadBytes(Data() + "/file001.KLYN");
    ASSERT_EQ(bytes.size(), 428u);
    EXPECT_EQ(le::GetI32(&bytes[424]), 0);
    EXPECT_EQ(host.log,
              (std::vector<std::string>{"Manual Recording Start", "Manual Recording Stop"}));
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_EQ(host.finished[0].pulses, 0);
    EXPECT_TRUE(host.finished[0].failure.empty());
    EXPECT_EQ(session.Recorder().GetFileName(), "file002.KLYN") << "the next start gets a new name";
}

TEST_F(RecordingSessionTest, AProgramRunStartsPastTheLastFileOfTheRunBefore)
{
    std::filesystem::create_directories(Data());
    for (const char* name : {"gc006.KLYN", "gc007.KLYN"})
        WriteBytes(Data() + "/" + name, {1});
    CDataSettings earlier;
    earlier.SetFilePath(Data() + "/");
    earlier.SetLeftFilePath("gc");
    earlier.SetPosition(7);
    std::string message;
    std::filesystem::create_directories(dir.File("Config"));
    ASSERT_EQ(earlier.SaveToFile(Settings(), message), 1) << message;

    session.SetSettingsPath(Settings());
    ASSERT_EQ(session.Recorder().LoadSettings(Settings()), 1);
    session.ManualStart();
    EXPECT_EQ(session.GetFileName(), "gc008.KLYN");
    session.ManualStop();
    session.ManualStart();
    EXPECT_EQ(session.GetFileName(), "gc009.KLYN") << "stepped once per program run, then by stops";
    session.ManualStop();
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(ReadBytes(Data() + "/gc007.KLYN"), std::vector<uint8_t>{1});
}

TEST_F(RecordingSessionTest, AnExistingFileIsReplacedOnlyOnTheOperatorsYes)
{
    const struct {
        OverwriteAnswer answer;
        bool recording;
        const char* file;      // recorded into
        const char* indexNext; // the index text afterwards
        bool keptOld;
    } rows[] = {
        {OverwriteAnswer::NextFreeName, true, "x002.KLYN", "002", true},
        {OverwriteAnswer::Refuse, false, "", "002", true},
        {OverwriteAnswer::Replace, true, "x001.KLYN", "001", false},
    };
    for (const auto& row : rows) {
        CTempDir folder;
        FakeHost asked;
        asked.answer = row.answer;
        CRecordingSession s(asked);
        s.Recorder().SetFolder(folder.Path().string());
        s.Recorder().SetPrefix("x");
        WriteBytes(folder.File("x001.KLYN"), {7, 7, 7});
        s.ManualStart();
        EXPECT_EQ(s.IsRecording(), row.recording) << row.file;
        EXPECT_EQ(s.GetFileName(), row.file);
        ASSERT_EQ(asked.questions.size(), 1u);
        EXPECT_EQ(asked.questions[0], "The file " + folder.File("x001.KLYN") +
                                          " already exists.\n\nDo you want to replace it?");
        EXPECT_EQ(s.Recorder().GetIndexText(), row.indexNext);
        EXPECT_EQ(ReadBytes(folder.File("x001.KLYN")) == std::vector<uint8_t>({7, 7, 7}),
                  row.keptOld);
        EXPECT_TRUE(asked.messages.empty());
        s.ManualStop();
    }
}

TEST_F(RecordingSessionTest, ANameHeldByAFifoOrAFolderIsPassedOverWithoutAQuestion)
{
    ASSERT_EQ(::mkfifo(dir.File("p001.KLYN").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.File("p002.KLYN"));
    session.Recorder().SetFolder(dir.Path().string());
    session.Recorder().SetPrefix("p");
    host.answer = OverwriteAnswer::Replace; // would replace a file: never asked here
    session.ManualStart();
    EXPECT_TRUE(session.IsRecording());
    EXPECT_EQ(session.GetFileName(), "p003.KLYN");
    EXPECT_TRUE(host.questions.empty());
    session.ManualStop();

    // Typed by hand onto the FIFO's name: refused with a reason, never opened.
    session.Recorder().SetIndexText("001");
    session.Recorder().ComposeFileName();
    std::string message;
    EXPECT_EQ(session.Recorder().Start(message), 0);
    EXPECT_NE(message.find("is not a data file"), std::string::npos) << message;
}

TEST_F(RecordingSessionTest, AStartThatCannotCreateItsFileSaysWhyAndClaimsNothing)
{
    const std::string missing = dir.File("no/such/folder");
    for (bool timed : {false, true}) {
        FakeHost h;
        CRecordingSession s(h);
        s.Recorder().SetFolder(missing);
        s.Recorder().SetPrefix("gc");
        if (timed)
            s.OnPulse(Pulse(1, 600), true, Program({{0.1, 1}}));
        else
            s.ManualStart();
        EXPECT_FALSE(s.IsRecording());
        EXPECT_TRUE(h.finished.empty());
        if (timed) {
            // No box for an unattended start: the run log and the status line.
            EXPECT_TRUE(h.messages.empty());
            ASSERT_EQ(h.log.size(), 1u);
            EXPECT_EQ(
                h.log[0].rfind("Auto Recording Event Start failed: cannot create " + missing, 0),
                0u)
                << h.log[0];
            ASSERT_FALSE(h.notes.empty());
            EXPECT_EQ(s.GetNote().rfind("The timed start failed: cannot create", 0), 0u)
                << s.GetNote();
        } else {
            EXPECT_TRUE(h.log.empty()) << "no Manual Recording Start for a file never opened";
            ASSERT_EQ(h.messages.size(), 1u);
            EXPECT_EQ(h.messages[0].rfind("The recording could not be started: cannot create", 0),
                      0u)
                << h.messages[0];
        }
    }
}

TEST_F(RecordingSessionTest, ATimedRecordingHoldsThePulsesFromAfterTheDueOneToTheStopOne)
{
    session.Recorder().SetFolder(dir.Path().string());
    session.Recorder().SetPrefix("run");
    host.records.board.SetpmtVolts(640);
    const CTimedEvent program = Program({{0.1, 1}, {0.3, 0}});
    host.records.events = program;
    session.OnRunState(true);
    for (long k = 1; k <= 30; ++k)
        session.OnPulse(Pulse(k, k * 100), true, program);
    EXPECT_EQ(host.log, (std::vector<std::string>{"Auto Recording Event Start",
                                                  "Auto Recording Event Stop"}));
    ASSERT_EQ(host.finished.size(), 1u);
    const CRecordingSummary& summary = host.finished[0];
    EXPECT_EQ(summary.cause, RecordingCause::Timed);
    EXPECT_EQ(summary.pulses, 12);
    EXPECT_EQ(summary.firstTime, 700);
    EXPECT_EQ(summary.lastTime, 1800);

    const Recording r = Read(dir.File("run001.KLYN"));
    ASSERT_EQ(r.ok, 1) << r.message;
    EXPECT_TRUE(r.report.Clean()) << r.report.Text();
    ASSERT_EQ(r.pulses.size(), 12u);
    EXPECT_EQ(r.pulses.front().GetPulseTime(), 700);
    EXPECT_EQ(r.pulses.back().GetPulseTime(), 1800);
    EXPECT_EQ(r.header.config.board.GetPmtVolts(), 640);
    EXPECT_EQ(r.header.config.events.GetCount(), 2);
    EXPECT_EQ(session.GetTotalPulsesWritten(), 12);
}

TEST_F(RecordingSessionTest, AHeaderNotReadFromTheBoardIsSaidAndOneThatCannotBeGivenCancels)
{
    session.Recorder().SetFolder(dir.Path().string());
    session.Recorder().SetPrefix("h");
    host.source = IRecordingHost::HeaderSource::NotRead;
    host.headerNote = "The data file's header holds the parameter dialogs' values";
    const CTimedEvent program = Program({{0.1, 1}});
    session.OnPulse(Pulse(1, 600), true, program);
    EXPECT_TRUE(session.IsRecording());
    EXPECT_EQ(host.log, (std::vector<std::string>{"Auto Recording Event Start", host.headerNote}));
    EXPECT_EQ(session.GetNote(), host.headerNote);
    EXPECT_TRUE(host.messages.empty()) << "said without a box";
    session.ManualStop();

    FakeHost none;
    none.source = IRecordingHost::HeaderSource::Unavailable;
    none.headerNote = "the set-up could not be read";
    CRecordingSession cancelled(none);
    cancelled.Recorder().SetFolder(dir.Path().string());
    cancelled.OnPulse(Pulse(1, 600), true, program);
    EXPECT_FALSE(cancelled.IsRecording());
    EXPECT_EQ(none.log, (std::vector<std::string>{
                            "Auto Recording Event Start not made: the set-up could not be read"}));
}

TEST_F(RecordingSessionTest, AWriteErrorStopsTheRecordingAndSaysSo)
{
    session.Recorder().SetFolder(dir.Path().string());
    session.Recorder().SetPrefix("full");
    session.ManualStart();
    ASSERT_TRUE(session.IsRecording());
    // A file size limit stands in for a full disk: writes past it fail.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 428 + 3 * 1048 + 500;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    long k = 0;
    while (session.IsRecording() && k < 50) {
        ++k;
        session.OnPulse(Pulse(k, k * 10), false, CTimedEvent());
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(session.IsRecording()) << "no longer claims to record";
    EXPECT_EQ(k, 4);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("Recording stopped: ", 0), 0u) << host.messages[0];
    EXPECT_NE(host.messages[0].find("keeps the 3 pulses"), std::string::npos) << host.messages[0];
    ASSERT_EQ(host.log.size(), 2u);
    EXPECT_EQ(host.log[1], host.messages[0]);
    EXPECT_EQ(session.GetNote(), host.messages[0]);
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_FALSE(host.finished[0].failure.empty());
    EXPECT_EQ(host.finished[0].pulses, 3);
    const Recording r = Read(dir.File("full001.KLYN"));
    ASSERT_EQ(r.ok, 1) << r.message;
    EXPECT_TRUE(r.report.Clean()) << r.report.Text();
    EXPECT_EQ(r.pulses.size(), 3u);

    // The next start clears the note.
    session.ManualStart();
    EXPECT_TRUE(session.IsRecording());
    EXPECT_EQ(session.GetNote(), "");
    session.ManualStop();
}

TEST_F(RecordingSessionTest, AResetToReadyStopsAndSendsOncePerRun)
{
    session.Recorder().SetFolder(dir.Path().string());
    CTimedEvent program = Program({{0.1, 1}});
    CTimedEventData reset;
    reset.SetEventTime(0.5);
    reset.SetEventCode(EC_RESET_TO_READY);
    program.AddTimedEvent(reset);
    for (long t = 0; t <= 5000; t += 100)
        session.OnPulse(Pulse(t / 100 + 1, t), true, program);
    EXPECT_EQ(host.resets, 1);
    EXPECT_FALSE(session.IsRecording());
    EXPECT_EQ(host.log, (std::vector<std::string>{"Auto Recording Event Start",
                                                  "Auto Recording Event Stop"}));
}

} // namespace
