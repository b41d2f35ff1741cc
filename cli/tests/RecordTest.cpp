// `tarvolin record` against the board simulator: the file it writes, how it
// starts through a fault, refuses repeated pulses, says why pulses are missing
// or none was recorded, reports a lost link, and finishes its file when it is
// stopped by Ctrl+C or loses nothing when it is killed.
#include "BoardSimulator.h"
#include "ChildProcess.h"
#include "Commands.h"
#include "DataFile.h"
#include "SimulatedBoard.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result RunCli(std::vector<std::string> args)
{
    std::ostringstream out, err;
    int code = cli::Run(args, out, err);
    return {code, out.str(), err.str()};
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

struct FileResult {
    int ok = 0;
    std::vector<CPulseData> pulses;
    CSalvageReport report;
    std::string message;
};

FileResult ReadRecording(const std::string& path)
{
    FileResult r;
    CDataFileHeader header;
    r.ok = CDataFileReader::ReadAll(path, header, r.pulses, r.report, r.message);
    return r;
}

class RecordTest : public testing::Test {
protected:
    void StartBoard(int port, double speed = 10.0, double rate = 7.0)
    {
        CSimOptions options = testsupport::FastBoardOptions(ports.Dir(), port);
        options.clockSpeed = speed;
        options.pulseRate = rate;
        options.runAtStart = true;
        std::string error;
        sim = testsupport::StartBoard(options, error);
        ASSERT_TRUE(sim) << error;
    }
    std::vector<std::string> Record(int port, const std::string& seconds, const std::string& prefix)
    {
        return {"record", "--port", std::to_string(port), "--seconds",
                seconds,  "--dir",  data.Path().string(), "--prefix",
                prefix};
    }
    // The recorder as a program of its own, printing a line per pulse.
    bool StartRecorder(testsupport::CChildProcess& child, int port, const std::string& prefix)
    {
        std::vector<std::string> argv = Record(port, "120", prefix);
        argv.insert(argv.begin(), TARVOLIN_CLI_PATH);
        argv.push_back("--progress");
        return child.Start(argv, {"TARVOLIN_PORTS_DIR=" + ports.Dir()});
    }
    // Every pulse line follows the line that names the file.
    static bool HasPulses(const std::string& out, size_t n) { return Count(out, "\npulse ") >= n; }

    testsupport::CPortsFolder ports;
    testsupport::CTempDir data;
    std::unique_ptr<CBoardSimulator> sim;
};

TEST_F(RecordTest, RecordsIntoTheNextFreeFileAndSaysWhatItWrote)
{
    StartBoard(2);
    std::ofstream(data.File("Run001.KLYN")) << "taken";
    Result r = RunCli(Record(2, "1", "Run"));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("into " + data.File("Run002.KLYN")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Wrote " + data.File("Run002.KLYN")), std::string::npos) << r.out;

    FileResult f = ReadRecording(data.File("Run002.KLYN"));
    ASSERT_EQ(f.ok, 1) << f.message;
    EXPECT_TRUE(f.report.Clean()) << f.report.Text();
    EXPECT_GE(f.pulses.size(), 3u);
    EXPECT_NE(r.out.find(std::to_string(f.pulses.size()) + " pulses"), std::string::npos) << r.out;
    for (size_t i = 1; i < f.pulses.size(); ++i)
        EXPECT_GT(f.pulses[i].GetPulseIndex(), f.pulses[i - 1].GetPulseIndex());

    Result inspect = RunCli({"inspect", data.File("Run002.KLYN")});
    ASSERT_EQ(inspect.code, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("Pulses: " + std::to_string(f.pulses.size())), std::string::npos)
        << inspect.out;
    EXPECT_EQ(inspect.out.find("Salvage"), std::string::npos);
}

TEST_F(RecordTest, StartsThroughFaultsOnTheFirstReplies)
{
    StartBoard(5);
    // The first two replies are damaged: the opening exchanges are tried again.
    CSimFaultRule rule;
    rule.kind = SimFault::BadCrc;
    rule.count = 2;
    sim->AddFault(rule);
    Result r = RunCli(Record(5, "1", "Faulty"));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(sim->GetCounters().Fault(SimFault::BadCrc), 2u);
    EXPECT_GE(sim->GetRequestCount(0x11), 3u) << "the gates were asked for three times";
    EXPECT_EQ(ReadRecording(data.File("Faulty001.KLYN")).ok, 1);

    // A board that never answers ends the start with the reason.
    sim->ClearFaults();
    rule.count = 0; // every reply
    rule.kind = SimFault::Silence;
    sim->AddFault(rule);
    r = RunCli(Record(5, "1", "Silent"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(
        r.err.find("no answer from the instrument on COM5 (the gates were asked for 3 times)"),
        std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(data.File("Silent001.KLYN")));
}

TEST_F(RecordTest, ARecordingWhoseEveryPulseWasRefusedFailsAndSaysWhy)
{
    StartBoard(6);
    CSimFaultRule rule;
    rule.kind = SimFault::BadCrc;
    rule.command = 0x40; // every pulse reply
    sim->AddFault(rule);
    Result r = RunCli(Record(6, "1.5", "Refused"));
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find(": 0 pulses"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("no pulse was recorded: the instrument announced"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("but every pulse reply was refused"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Link to COM6 lost: 5 pulse requests in a row brought no valid reply"),
              std::string::npos)
        << r.out;
}

TEST_F(RecordTest, APulseOfferedAgainIsRecordedOnceAndCounted)
{
    // A board that keeps its "new pulse" bit set offers its latest pulse on
    // every status request; pulses come slower than the poll.
    StartBoard(7, 1.0, 3.0);
    sim->SetStickyStatusBits(0x0100);
    Result r = RunCli(Record(7, "2", "Sticky"));
    ASSERT_EQ(r.code, 0) << r.err;
    FileResult f = ReadRecording(data.File("Sticky001.KLYN"));
    ASSERT_EQ(f.ok, 1) << f.message;
    EXPECT_TRUE(f.report.Clean()) << f.report.Text();
    std::set<long> indexes;
    for (const CPulseData& p : f.pulses)
        EXPECT_TRUE(indexes.insert(p.GetPulseIndex()).second)
            << "pulse " << p.GetPulseIndex() << " twice";
    EXPECT_GT(sim->GetCounters().pulsesFetched, f.pulses.size());
    EXPECT_NE(r.out.find("fetched a second time and recorded once"), std::string::npos) << r.out;
}

TEST_F(RecordTest, SaysWhyPulsesAreMissing)
{
    // Seventy pulses a second: far more than the link fetches.
    StartBoard(8, 10.0, 7.0);
    Result r = RunCli(Record(8, "1", "Fast"));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("came faster than the link fetches them"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("refused"), std::string::npos) << r.out;
}

TEST_F(RecordTest, APrefixMustKeepTheFilesInTheirFolder)
{
    for (const char* prefix : {"../x", "..", ".", "a/b", ""}) {
        Result r = RunCli(Record(9, "1", prefix));
        EXPECT_EQ(r.code, 2) << prefix;
        EXPECT_NE(r.err.find("--prefix: the prefix must be a plain name"), std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(data.Path()));
}

TEST_F(RecordTest, CtrlCFinishesTheFileWithItsCount)
{
    StartBoard(10);
    testsupport::CChildProcess child;
    ASSERT_TRUE(StartRecorder(child, 10, "Stopped"));
    ASSERT_TRUE(child.ReadUntil([](const std::string& out) { return HasPulses(out, 10); }))
        << child.Out() << child.Err();
    ASSERT_TRUE(child.Signal(SIGINT));
    EXPECT_EQ(child.Wait(), 0) << child.Err();
    FileResult f = ReadRecording(data.File("Stopped001.KLYN"));
    ASSERT_EQ(f.ok, 1) << f.message;
    EXPECT_TRUE(f.report.Clean()) << "complete, with its count: " << f.report.Text();
    EXPECT_GE(f.pulses.size(), 10u);
    EXPECT_EQ(Count(child.Out(), "\npulse "), f.pulses.size())
        << "every pulse reported is in the file";
    EXPECT_NE(child.Out().find("Wrote " + data.File("Stopped001.KLYN") + ": " +
                               std::to_string(f.pulses.size()) + " pulses"),
              std::string::npos)
        << child.Out();
}

TEST_F(RecordTest, SaysWhenTheLinkIsLostAndWhenItReturns)
{
    StartBoard(11);
    testsupport::CChildProcess child;
    ASSERT_TRUE(StartRecorder(child, 11, "Unplugged"));
    ASSERT_TRUE(child.ReadUntil([](const std::string& out) { return HasPulses(out, 5); }))
        << child.Out() << child.Err();
    ASSERT_EQ(sim->DropLink(300), 1);
    ASSERT_TRUE(child.ReadUntil([](const std::string& out) {
        return out.find("Link to COM11 back after") != std::string::npos;
    })) << child.Out();
    EXPECT_NE(child.Out().find("Link to COM11 lost: the port has closed"), std::string::npos)
        << child.Out();
    // Pulses are recorded again after it returned.
    const size_t before = Count(child.Out(), "\npulse ");
    ASSERT_TRUE(child.ReadUntil([before](const std::string& out) {
        return Count(out, "\npulse ") >= before + 3;
    })) << child.Out();
    ASSERT_TRUE(child.Signal(SIGINT));
    EXPECT_EQ(child.Wait(), 0) << child.Err();
    EXPECT_NE(child.Out().find("The link was lost 1 time\n"), std::string::npos) << child.Out();
    EXPECT_TRUE(ReadRecording(data.File("Unplugged001.KLYN")).report.Clean());
}

TEST_F(RecordTest, ABoardGoneQuietOnAnOpenPortIsLostAndBack)
{
    StartBoard(12);
    testsupport::CChildProcess child;
    ASSERT_TRUE(StartRecorder(child, 12, "Quiet"));
    ASSERT_TRUE(child.ReadUntil([](const std::string& out) { return HasPulses(out, 5); }))
        << child.Out() << child.Err();
    // The port stays open; the board answers nothing at all.
    CSimFaultRule silence;
    silence.kind = SimFault::Silence;
    const int fault = sim->AddFault(silence);
    ASSERT_TRUE(child.ReadUntil([](const std::string& out) {
        return out.find("Link to COM12 lost: the board has not answered since ") !=
               std::string::npos;
    })) << child.Out();
    sim->RemoveFault(fault);
    ASSERT_TRUE(child.ReadUntil([](const std::string& out) {
        return out.find("Link to COM12 back after") != std::string::npos;
    })) << child.Out();
    ASSERT_TRUE(child.Signal(SIGINT));
    EXPECT_EQ(child.Wait(), 0) << child.Err();
    EXPECT_NE(child.Out().find("The link was lost 1 time\n"), std::string::npos) << child.Out();
}

// The pulses a run's file must hold, from the board's log of pulses sent:
// those after the pulse that made the start due (time >= on), up to and
// including the one that made the stop due (time >= off).
std::vector<CSimSentPulse> Window(const std::vector<CSimSentPulse>& run, int32_t on, int32_t off)
{
    std::vector<CSimSentPulse> window;
    bool started = false;
    for (const CSimSentPulse& p : run) {
        if (started) {
            window.push_back(p);
            if (p.time >= off)
                break;
        } else if (p.time >= on) {
            started = true;
        }
    }
    return window;
}

TEST_F(RecordTest, AutoRecordsEachRunBetweenItsRecordEventsIntoAFileOfItsOwn)
{
    // One pulse a run-clock second, six a real second: the link fetches each.
    CSimOptions options = testsupport::FastBoardOptions(ports.Dir(), 13);
    options.clockSpeed = 6.0;
    options.pulseRate = 1.0;
    options.runLengthSeconds = 24.0;
    std::string error;
    sim = testsupport::StartBoard(options, error);
    ASSERT_TRUE(sim) << error;
    CTimedEvent program;
    for (const auto& [minutes, value] : {std::pair{0.1, 1.0}, std::pair{0.3, 0.0}}) {
        CTimedEventData event;
        event.SetEventTime(minutes);
        event.SetEventCode(EC_RECORD);
        event.SetEventValue(value);
        program.AddTimedEvent(event);
    }
    sim->SetTimedEvents(program);
    // A file of an earlier day is never replaced.
    std::ofstream(data.File("Auto001.KLYN")) << "kept";

    testsupport::CChildProcess child;
    ASSERT_TRUE(child.Start({TARVOLIN_CLI_PATH, "record", "--port", "13", "--auto", "--runs", "3",
                             "--dir", data.Path().string(), "--prefix", "Auto"},
                            {"TARVOLIN_PORTS_DIR=" + ports.Dir()}));
    ASSERT_TRUE(child.ReadUntil([](const std::string& out) {
        return out.find("Following the timed events of COM13") != std::string::npos;
    })) << child.Out()
        << child.Err();
    for (int run = 1; run <= 3; ++run) {
        sim->StartRun();
        ASSERT_TRUE(child.ReadUntil([run](const std::string& out) {
            return Count(out, "\nWrote ") >= static_cast<size_t>(run);
        })) << child.Out()
            << child.Err();
        if (run == 3)
            break; // the third file ends the command
        ASSERT_TRUE(
            sim->WaitFor([run](const CSimCounters& c) { return c.runsEnded >= uint64_t(run); },
                         testsupport::kDeadline));
        // The recorder has asked for the status since: it knows the run is over.
        const uint64_t polls = sim->GetRequestCount(0x01);
        ASSERT_TRUE(sim->WaitForRequests(polls + 3, testsupport::kDeadline, 0x01));
    }
    EXPECT_EQ(child.Wait(), 0) << child.Out() << child.Err();

    std::vector<std::vector<CSimSentPulse>> runs;
    int32_t last = -1;
    for (const CSimSentPulse& p : sim->GetSentPulses()) {
        if (runs.empty() || p.time < last)
            runs.emplace_back();
        runs.back().push_back(p);
        last = p.time;
    }
    ASSERT_EQ(runs.size(), 3u);
    for (int run = 0; run < 3; ++run) {
        const std::string path = data.File("Auto00" + std::to_string(run + 2) + ".KLYN");
        FileResult f = ReadRecording(path);
        ASSERT_EQ(f.ok, 1) << f.message;
        EXPECT_TRUE(f.report.Clean()) << f.report.Text();
        const std::vector<CSimSentPulse> expected = Window(runs[run], 600, 1800);
        ASSERT_GE(expected.size(), 6u);
        std::vector<CSimSentPulse> recorded;
        for (const CPulseData& p : f.pulses)
            recorded.push_back(
                {static_cast<uint32_t>(p.GetPulseIndex()), static_cast<int32_t>(p.GetPulseTime())});
        EXPECT_EQ(recorded, expected) << "run " << run + 1;
        char line[160];
        std::snprintf(line, sizeof line, "Wrote %s: %zu pulses, run time %.2f s to %.2f s\n",
                      path.c_str(), expected.size(), expected.front().time / 100.0,
                      expected.back().time / 100.0);
        EXPECT_NE(child.Out().find(line), std::string::npos) << line << child.Out();
    }
    EXPECT_FALSE(std::filesystem::exists(data.File("Auto005.KLYN")));
    std::ifstream kept(data.File("Auto001.KLYN"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");
    EXPECT_EQ(Count(child.Out(), "  Auto Recording Event Start\n"), 3u) << child.Out();
    EXPECT_EQ(Count(child.Out(), "  Auto Recording Event Stop\n"), 3u) << child.Out();
    EXPECT_NE(child.Out().find("Recorded 3 files\n"), std::string::npos) << child.Out();
}

TEST_F(RecordTest, RunsAreCountedOnlyWhenFollowingTheTimedEvents)
{
    Result r = RunCli({"record", "--port", "14", "--runs", "2"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("--runs counts the runs that --auto records"), std::string::npos) << r.err;
}

TEST_F(RecordTest, AKilledRecorderLosesNoPulseItHadWritten)
{
    StartBoard(3);
    testsupport::CChildProcess child;
    ASSERT_TRUE(StartRecorder(child, 3, "Crash"));
    ASSERT_TRUE(child.ReadUntil([](const std::string& out) { return HasPulses(out, 30); }))
        << child.Out() << child.Err();
    ASSERT_TRUE(child.Signal(SIGKILL));
    EXPECT_EQ(child.Wait(), 128 + SIGKILL);
    std::set<long> reported;
    std::istringstream lines(child.Out());
    for (std::string line; std::getline(lines, line);) {
        long index = 0, time = 0;
        if (std::sscanf(line.c_str(), "pulse %ld time %ld", &index, &time) == 2)
            reported.insert(index);
    }
    ASSERT_GE(reported.size(), 30u);

    CDataFileHeader header;
    std::set<long> inFile;
    CSalvageReport report;
    std::string message;
    ASSERT_EQ(CDataFileReader::Read(
                  data.File("Crash001.KLYN"), header,
                  [&](const CPulseData& p) {
                      inFile.insert(p.GetPulseIndex());
                      return true;
                  },
                  report, message),
              1)
        << message;
    for (long index : reported)
        EXPECT_TRUE(inFile.count(index)) << "pulse " << index << " was written before the kill";
    EXPECT_LE(report.storedCount, report.foundCount)
        << "the count never claims more than the file holds";
    EXPECT_EQ(report.tornBytes, 0);

    // The repaired copy reads clean.
    Result repair = RunCli({"repair", data.File("Crash001.KLYN")});
    ASSERT_EQ(repair.code, 0) << repair.err;
    EXPECT_TRUE(std::filesystem::exists(data.File("Crash001-repaired.KLYN")));
    ASSERT_EQ(CDataFileReader::Read(data.File("Crash001-repaired.KLYN"), header, nullptr, report,
                                    message),
              1);
    EXPECT_TRUE(report.Clean());
}

} // namespace
