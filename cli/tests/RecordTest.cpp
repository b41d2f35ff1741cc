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
#include <fstream>
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
