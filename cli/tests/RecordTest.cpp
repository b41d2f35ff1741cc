// `tarvolin record` and `tarvolin repair` against the board simulator,
// including a recorder killed in the middle of a run.
#include "BoardSimulator.h"
#include "Commands.h"
#include "DataFile.h"
#include "../../core/tests/PortFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <set>
#include <sstream>
#include <fstream>
#include <sys/wait.h>

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

class RecordTest : public testing::Test {
protected:
    void StartBoard(int port)
    {
        CSimOptions options;
        options.portsDir = ports.Dir();
        options.port = port;
        options.baud = 0;
        options.clockSpeed = 10.0;
        options.runAtStart = true;
        sim = std::make_unique<CBoardSimulator>(options);
        std::string error;
        ASSERT_EQ(sim->Start(error), 1) << error;
    }

    PortsFolder ports;
    TempDir data;
    std::unique_ptr<CBoardSimulator> sim;
};

TEST_F(RecordTest, RecordsIntoTheNextFreeFileAndSaysWhatItWrote)
{
    StartBoard(2);
    std::ofstream(data.File("Run001.KLYN")) << "taken";
    Result r = RunCli({"record", "--port", "2", "--seconds", "1", "--dir", data.Path().string(), "--prefix", "Run"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("into " + data.File("Run002.KLYN")), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Wrote " + data.File("Run002.KLYN")), std::string::npos) << r.out;

    CDataFileHeader header;
    std::vector<CPulseData> pulses;
    CSalvageReport report;
    std::string message;
    ASSERT_EQ(CDataFileReader::ReadAll(data.File("Run002.KLYN"), header, pulses, report, message), 1) << message;
    EXPECT_TRUE(report.Clean()) << report.Text();
    EXPECT_GE(pulses.size(), 3u);
    EXPECT_NE(r.out.find(std::to_string(pulses.size()) + " pulses"), std::string::npos) << r.out;
    for (size_t i = 1; i < pulses.size(); ++i)
        EXPECT_GT(pulses[i].GetPulseIndex(), pulses[i - 1].GetPulseIndex());

    Result inspect = RunCli({"inspect", data.File("Run002.KLYN")});
    ASSERT_EQ(inspect.code, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("Pulses: " + std::to_string(pulses.size())), std::string::npos) << inspect.out;
    EXPECT_NE(inspect.out.find("First pulse: index"), std::string::npos);
    EXPECT_EQ(inspect.out.find("Salvage"), std::string::npos);
}

TEST_F(RecordTest, AKilledRecorderLosesNoPulseItHadWritten)
{
    StartBoard(3);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        execl(TARVOLIN_CLI_PATH, TARVOLIN_CLI_PATH, "record", "--port", "3", "--seconds", "120",
              "--dir", data.Path().c_str(), "--prefix", "Crash", "--progress", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    FILE* lines = fdopen(pipeFds[0], "r");
    std::vector<std::pair<long, Clock::time_point>> reported;
    char line[256];
    const auto deadline = Clock::now() + 60s;
    while (reported.size() < 30 && Clock::now() < deadline && std::fgets(line, sizeof line, lines)) {
        long index = 0, time = 0;
        if (std::sscanf(line, "pulse %ld time %ld", &index, &time) == 2)
            reported.emplace_back(index, Clock::now());
    }
    kill(child, SIGKILL);
    const auto killedAt = Clock::now();
    int status = 0;
    waitpid(child, &status, 0);
    fclose(lines);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(reported.size(), 30u) << "the recorder did not get going";

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
    size_t older = 0;
    for (const auto& [index, when] : reported) {
        EXPECT_TRUE(inFile.count(index)) << "pulse " << index << " was written before the kill";
        older += killedAt - when > 1s;
    }
    EXPECT_LE(report.storedCount, report.foundCount) << "the count never claims more than the file holds";
    EXPECT_EQ(report.tornBytes, 0);
    RecordProperty("pulses_older_than_1s", static_cast<int>(older));

    // The repaired copy reads clean.
    Result repair = RunCli({"repair", data.File("Crash001.KLYN")});
    ASSERT_EQ(repair.code, 0) << repair.err;
    EXPECT_TRUE(std::filesystem::exists(data.File("Crash001-repaired.KLYN")));
    ASSERT_EQ(CDataFileReader::Read(data.File("Crash001-repaired.KLYN"), header, nullptr, report, message), 1);
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(RunCli({"repair", data.File("none.KLYN")}).code, 1);
}

} // namespace
