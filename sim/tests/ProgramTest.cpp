// The tarvolin-boardsim program: its command line, its first line, its exit on a signal.
#include "SimCommandLine.h"
#include "SimTestSupport.h"
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

namespace {

using namespace simtest;

TEST(SimCommandLine, StartsARunSoonUnlessToldToStayIdle)
{
    CSimCommandLine::CArgs args;
    std::string error;
    ASSERT_EQ(CSimCommandLine::Parse({}, args, error), 1) << error;
    EXPECT_DOUBLE_EQ(args.options.runAfterSeconds, 2.0);
    ASSERT_EQ(CSimCommandLine::Parse({"--idle"}, args, error), 1) << error;
    EXPECT_LT(args.options.runAfterSeconds, 0);
    EXPECT_FALSE(args.options.runAtStart);
    ASSERT_EQ(CSimCommandLine::Parse({"--run-after", "5"}, args, error), 1) << error;
    EXPECT_DOUBLE_EQ(args.options.runAfterSeconds, 5.0);
}

TEST(SimCommandLine, ParsesOptionsAndFaultSwitches)
{
    CSimCommandLine::CArgs args;
    std::string error;
    ASSERT_EQ(CSimCommandLine::Parse({"--port",      "3",
                                      "--ports-dir", "/x",
                                      "--baud",      "0",
                                      "--speed",     "5",
                                      "--rate",      "20",
                                      "--run",       "--run-length",
                                      "30",          "--seed",
                                      "9",           "--duration",
                                      "2.5",         "--split-every",
                                      "4",           "--split-pause",
                                      "120",         "--silent-every",
                                      "7",           "--drop-every",
                                      "50",          "--drop-ms",
                                      "300",         "--fault-command",
                                      "0x40"},
                                     args, error),
              1)
        << error;
    const CSimOptions& o = args.options;
    EXPECT_EQ(o.port, 3);
    EXPECT_EQ(o.portsDir, "/x");
    EXPECT_EQ(o.baud, 0);
    EXPECT_DOUBLE_EQ(o.clockSpeed, 5);
    EXPECT_DOUBLE_EQ(o.pulseRate, 20);
    EXPECT_TRUE(o.runAtStart);
    EXPECT_DOUBLE_EQ(o.runLengthSeconds, 30);
    EXPECT_EQ(o.seed, 9u);
    EXPECT_DOUBLE_EQ(args.durationSeconds, 2.5);
    ASSERT_EQ(o.faults.size(), 3u);
    EXPECT_EQ(o.faults[0].kind, SimFault::Split);
    EXPECT_EQ(o.faults[0].every, 4);
    EXPECT_EQ(o.faults[0].pauseMs, 120);
    EXPECT_EQ(o.faults[2].kind, SimFault::Drop);
    EXPECT_EQ(o.faults[2].pauseMs, 300);
    for (const auto& rule : o.faults)
        EXPECT_EQ(rule.command, 0x40);

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--port"},
                                               {"--speed", "0"},
                                               {"--rate", "x"},
                                               {"--bogus"},
                                               {"--split-every", "0"},
                                               {"--fault-command", "256"}}) {
        error.clear();
        EXPECT_EQ(CSimCommandLine::Parse(bad, args, error), 0) << bad[0];
        EXPECT_NE(error.find(bad[0]), std::string::npos) << error;
    }
}

TEST(SimCommandLine, NumbersAreStrictAndTheHelpComesFromTheSameTable)
{
    CSimCommandLine::CArgs args;
    std::string error;
    for (const auto& [bad, why] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--port", "1.5"}, "--port: \"1.5\" is not a whole number"},
             {{"--port", "0x10"}, "--port: \"0x10\" is not a whole number"},
             {{"--port", "0"}, "--port: 0 is out of range"},
             {{"--seed", "1e3"}, "--seed: \"1e3\" is not a whole number"},
             {{"--speed", "nan"}, "--speed: \"nan\" is not a number"},
             {{"--baud", "1000"}, "--baud: 1000 is not one of 0, 1200,"},
             {{"--port", "--run"}, "the port number is missing after --port"},
             {{"--drop-evry", "3"}, "unknown option --drop-evry (did you mean --drop-every?)"}}) {
        EXPECT_EQ(CSimCommandLine::Parse(bad, args, error), 0) << bad[0];
        EXPECT_NE(error.find(why), std::string::npos) << error;
    }
    ASSERT_EQ(CSimCommandLine::Parse({"--sticky-status", "0x0100", "--fault-command", "64"}, args, error), 1)
        << error;
    EXPECT_EQ(args.stickyStatus, 0x0100);
    ASSERT_EQ(CSimCommandLine::Parse({"--help"}, args, error), 1);
    EXPECT_TRUE(args.help);
    const std::string usage = CSimCommandLine::Usage();
    EXPECT_NE(usage.find("  --port N              port number n of COM<n> (1 to 9999; default 1)\n"),
              std::string::npos)
        << usage;
    EXPECT_NE(usage.find("\nFaults (K: every Kth reply"), std::string::npos) << usage;
    EXPECT_NE(usage.find("  --fault-command C     apply the fault switches to command C only"),
              std::string::npos)
        << usage;
}

TEST(BoardSimProgram, SaysWhereItListensAnswersAndExitsCleanlyOnSigterm)
{
    TempDir dir;
    const std::string ports = dir.File("Ports");
    testsupport::CChildProcess child;
    ASSERT_TRUE(child.Start({TARVOLIN_BOARDSIM_PATH, "--port", "31", "--ports-dir", ports, "--baud", "0"}));
    ASSERT_TRUE(child.ReadUntil([](const std::string& t) { return t.find('\n') != std::string::npos; }))
        << child.Err();
    const std::string link = ports + "/COM31";
    const std::regex first("tarvolin-boardsim: board on /dev/pts/[0-9]+, linked as " + link +
                           " \\(unpaced\\)\n");
    EXPECT_TRUE(std::regex_match(child.Out(), first)) << child.Out();
    {
        RawHost host(link);
        const auto reply = host.Exchange(0x01);
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->WellFormed());
    }

    ASSERT_TRUE(child.Signal(SIGTERM));
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_NE(child.Out().find("tarvolin-boardsim: 1 requests, 1 replies"), std::string::npos) << child.Out();
    EXPECT_NE(child.Out().find("requests by command: 0x01:1"), std::string::npos) << child.Out();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimCommandLine, TakesTheLatenciesAndTheMixedFaultsOfTheSimulator)
{
    CSimCommandLine::CArgs args;
    std::string error;
    ASSERT_EQ(CSimCommandLine::Parse({"--reply-latency", "2.5", "--set-latency", "400",
                                      "--mixed-every", "3", "--fault-command", "0x13"},
                                     args, error),
              1)
        << error;
    EXPECT_DOUBLE_EQ(args.options.replyLatencyMs, 2.5);
    EXPECT_DOUBLE_EQ(args.options.setReplyLatencyMs, 400.0);
    ASSERT_EQ(args.options.faults.size(), 1u);
    EXPECT_EQ(args.options.faults[0].kind, SimFault::Mixed);
    EXPECT_EQ(args.options.faults[0].every, 3);
    EXPECT_EQ(args.options.faults[0].command, 0x13);
    for (const auto& [bad, why] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--set-latency", "-1"}, "--set-latency: -1 is out of range"},
             {{"--reply-latency", "soon"}, "--reply-latency: \"soon\" is not a number"},
             {{"--mixed-every", "0"}, "--mixed-every: 0 is out of range"}}) {
        EXPECT_EQ(CSimCommandLine::Parse(bad, args, error), 0) << bad[0];
        EXPECT_NE(error.find(why), std::string::npos) << error;
    }
    const std::string usage = CSimCommandLine::Usage();
    for (const char* option : {"--set-latency MS", "--reply-latency MS", "--mixed-every K"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(BoardSimProgram, CountsTheMixedFaultsUnderTheirOwnNames)
{
    TempDir dir;
    const std::string ports = dir.File("Ports");
    testsupport::CChildProcess child;
    ASSERT_TRUE(child.Start({TARVOLIN_BOARDSIM_PATH, "--port", "32", "--ports-dir", ports, "--baud",
                             "0", "--split-pause", "10", "--mixed-every", "1"}));
    ASSERT_TRUE(child.ReadUntil([](const std::string& t) { return t.find('\n') != std::string::npos; }))
        << child.Err();
    {
        // Split, garbage, bad CRC, wrong code: each still brings a packet.
        RawHost host(ports + "/COM32");
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(host.Exchange(0x01)) << "exchange " << i;
    }
    ASSERT_TRUE(child.Signal(SIGTERM));
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_NE(child.Out().find("faults injected: split:1 garbage:1 bad CRC:1 wrong code:1\n"),
              std::string::npos)
        << child.Out();
}

TEST(BoardSimProgram, AskedForHelpPrintsTheOptionsAndABadLineTheReason)
{
    testsupport::CProgramResult help = testsupport::RunProgram({TARVOLIN_BOARDSIM_PATH, "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage: tarvolin-boardsim [options]"), std::string::npos) << help.out;
    testsupport::CProgramResult bad = testsupport::RunProgram({TARVOLIN_BOARDSIM_PATH, "--rate", "fast"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("tarvolin-boardsim: --rate: \"fast\" is not a number"), std::string::npos)
        << bad.err;
}

} // namespace
