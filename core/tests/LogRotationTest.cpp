// The debug log and the pulse log stay below the size limit of the INI file.
#include "LogRotation.h"
#include "BoardSimulator.h"
#include "FilePaths.h"
#include "Hardware.h"
#include "Logs.h"
#include "SimulatedBoard.h"
#include "QuillonIniConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

TEST(LogRotation, NumbersGoBeforeTheExtension)
{
    EXPECT_EQ(CLogRotation::NumberedPath("/a/b/TarvolinDebug.log", 2), "/a/b/TarvolinDebug.2.log");
    EXPECT_EQ(CLogRotation::NumberedPath("/a/PulseSignals.csv", 1), "/a/PulseSignals.1.csv");
    EXPECT_EQ(CLogRotation::NumberedPath("/a/plain", 3), "/a/plain.3");
}

TEST(LogRotation, ShiftsTheFilesUpAndDropsTheOldest)
{
    testsupport::CTempDir dir;
    const std::string log = dir.File("X.log");
    WriteText(log, "live");
    WriteText(dir.File("X.1.log"), "older");
    WriteText(dir.File("X.2.log"), "oldest");
    const CLogRotation rotation(100, 3);
    EXPECT_FALSE(rotation.RotateIfFull(log, 0, 1000)) << "an empty file takes its first line";
    EXPECT_FALSE(rotation.RotateIfFull(log, 60, 40)) << "exactly at the limit is still below it";
    EXPECT_TRUE(rotation.RotateIfFull(log, 60, 41));
    EXPECT_FALSE(fs::exists(log));
    EXPECT_EQ(ReadAll(dir.File("X.1.log")), "live");
    EXPECT_EQ(ReadAll(dir.File("X.2.log")), "older");
    EXPECT_FALSE(fs::exists(dir.File("X.3.log")));

    WriteText(log, "only");
    CLogRotation(100, 1).Rotate(log);
    EXPECT_FALSE(fs::exists(log)) << "one file: it starts anew";
    EXPECT_EQ(ReadAll(dir.File("X.1.log")), "live");
}

struct LimitCase {
    std::string name;
    std::string ini; // empty: no INI file at all
    int sizeKB;
    int files;
};

void PrintTo(const LimitCase& c, std::ostream* out)
{
    *out << c.name;
}

class LogLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(LogLimits, ComeFromTheIniFileWithinTheirRange)
{
    testsupport::CTempDir dir;
    CQuillonIniConfig::Reset();
    if (!GetParam().ini.empty() || GetParam().name == "EmptyFile") {
        WriteText(dir.File("settings.ini"), GetParam().ini);
        ASSERT_EQ(CQuillonIniConfig::Initialize(dir.File("settings.ini")), 0);
    }
    EXPECT_EQ(CQuillonIniConfig::LogFileMaxSizeKB(), GetParam().sizeKB);
    EXPECT_EQ(CQuillonIniConfig::LogFileCount(), GetParam().files);
    EXPECT_EQ(CLogRotation::FromSettings().GetMaxBytes(),
              static_cast<uint64_t>(GetParam().sizeKB) * 1024);
    CQuillonIniConfig::Reset();
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LogLimits,
    testing::Values(LimitCase{"NoFile", "", 4096, 4}, LimitCase{"EmptyFile", "", 4096, 4},
                    LimitCase{"Given", "LogFileMaxSizeKB=2048\nlogfilecount=6\n", 2048, 6},
                    LimitCase{"TooSmall", "LogFileMaxSizeKB=1\nLogFileCount=0\n", 16, 1},
                    LimitCase{"TooLarge", "LogFileMaxSizeKB=99999999\nLogFileCount=100\n", 1048576,
                              20}));

class RotatingLogs : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("TARVOLIN_COMMON_DATA", m_dir.File("common").c_str(), 1);
        CFilePaths::SetInstrumentId("GC1");
        CQuillonIniConfig::Reset();
        WriteText(m_dir.File("settings.ini"),
                  "LogFileMaxSizeKB=16\nLogFileCount=3\nEnablePulseLog=1\n");
        ASSERT_EQ(CQuillonIniConfig::Initialize(m_dir.File("settings.ini")), 0);
    }
    void TearDown() override
    {
        CDebugLog::SetFilePath("");
        CQuillonIniConfig::Reset();
        CFilePaths::SetInstrumentId("");
        ::unsetenv("TARVOLIN_COMMON_DATA");
    }
    testsupport::CTempDir m_dir;
};

TEST_F(RotatingLogs, TheDebugLogKeepsItsFilesBelowTheLimit)
{
    const std::string log = m_dir.File("TarvolinDebug.log");
    CDebugLog::SetFilePath(log);
    const std::string text(100, 'x');
    for (int i = 0; i < 1000; ++i)
        CDebugLog::Add(text + " " + std::to_string(i));
    for (const std::string& file :
         {log, m_dir.File("TarvolinDebug.1.log"), m_dir.File("TarvolinDebug.2.log")}) {
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_LE(fs::file_size(file), 16u * 1024) << file;
        if (file != log) {
            EXPECT_GT(fs::file_size(file), 15u * 1024) << file << " was filled nearly to the limit";
        }
    }
    EXPECT_FALSE(fs::exists(m_dir.File("TarvolinDebug.3.log")));
    EXPECT_NE(ReadAll(log).find(text + " 999\n"), std::string::npos)
        << "the newest line is in the live file";

    // Another program rotated the file: this one follows to the new file.
    fs::rename(log, m_dir.File("elsewhere.log"));
    CDebugLog::Add("after the move");
    EXPECT_NE(ReadAll(log).find("after the move"), std::string::npos);
}

TEST_F(RotatingLogs, ThePulseLogKeepsItsFilesBelowTheLimit)
{
    testsupport::CPortsFolder ports;
    CSimOptions options;
    options.baud = 0;
    options.portsDir = ports.Dir();
    options.port = 1;
    CBoardSimulator sim(options);
    std::string error;
    ASSERT_EQ(sim.Start(error), 1) << error;
    struct Hardware : CHardware {
        using CHardware::SetReceiveTimeout;
    } hardware;
    ASSERT_EQ(hardware.Open(1, 57600, 8, 0, 0), 1);
    hardware.SetReceiveTimeout(CHardware::kNormalTimeoutMs);
    CPulseData pulse;
    for (int i = 0; i < 40; ++i) // about 1.3 KB each
        ASSERT_EQ(hardware.GetPulseData(pulse), 1) << i;
    const std::string log = CFilePaths::GetLogPath() + "/PulseSignals.csv";
    ASSERT_TRUE(fs::exists(CLogRotation::NumberedPath(log, 1)));
    EXPECT_LE(fs::file_size(log), 16u * 1024);
    EXPECT_LE(fs::file_size(CLogRotation::NumberedPath(log, 1)), 16u * 1024);
    // Every file starts with an entry's first line.
    std::ifstream live(log);
    std::string first;
    std::getline(live, first);
    EXPECT_EQ(first, "0, 0, 250");
}

} // namespace
