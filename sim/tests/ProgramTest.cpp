// The tarvolin-boardsim program: its command line, its first line, its exit on a signal.
#include "SimCommandLine.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

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

// Reads lines from the child's stdout until pred accepts the text so far, EOF or the deadline.
bool ReadUntil(int fd, std::string& text, const std::function<bool(const std::string&)>& pred)
{
    const auto end = Clock::now() + kDeadline;
    while (!pred(text) && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n <= 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return pred(text);
}

TEST(BoardSimProgram, SaysWhereItListensAnswersAndExitsCleanlyOnSigterm)
{
    TempDir dir;
    const std::string ports = dir.File("Ports");
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {
        TARVOLIN_BOARDSIM_PATH, "--port", "31", "--ports-dir", ports, "--baud", "0"};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    std::string text;
    ASSERT_TRUE(ReadUntil(out[0], text,
                          [](const std::string& t) { return t.find('\n') != std::string::npos; }));
    const std::string link = ports + "/COM31";
    const std::regex first("tarvolin-boardsim: board on /dev/pts/[0-9]+, linked as " + link +
                           " \\(unpaced\\)\n");
    EXPECT_TRUE(std::regex_match(text, first)) << text;
    {
        RawHost host(link);
        const auto reply = host.Exchange(0x01);
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->WellFormed());
    }

    ::kill(pid, SIGTERM);
    ReadUntil(out[0], text, [](const std::string& t) {
        return t.find("requests by command") != std::string::npos;
    });
    ReadUntil(out[0], text,
              [](const std::string&) { return false; }); // to EOF: the program has ended
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(out[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(text.find("tarvolin-boardsim: 1 requests, 1 replies"), std::string::npos) << text;
    EXPECT_NE(text.find("requests by command: 0x01:1"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

} // namespace
