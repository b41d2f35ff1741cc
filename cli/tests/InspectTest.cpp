// The command-line tool: every kind of file it knows, and the ones it refuses.
#include "Archive.h"
#include "Commands.h"
#include "DataFile.h"
#include "SampleConfig.h"
#include "TempFolder.h"

using TempDir = testsupport::CTempDir;

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

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

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::string error;
    ReadFileBytes(path, bytes, error);
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(InspectConfiguration, PrintsEveryRecordOfAFileTheLibraryWrote)
{
    TempDir dir;
    const std::string path = dir.File("Method.cnfg");
    ASSERT_EQ(RunCli({"sample-config", path}).code, 0);
    Result r = RunCli({"inspect", path});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // 404 bytes of blocks and five events of 32 bytes.
    EXPECT_NE(r.out.find("Configuration file (.cnfg), 564 bytes"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Mode:        S-2 (type 0, type number 2)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Window A:    6 to 24"), std::string::npos);
    EXPECT_NE(r.out.find("Operator:    \"/\""), std::string::npos);
    EXPECT_NE(r.out.find("Alpha:       0.85"), std::string::npos);
    EXPECT_NE(r.out.find("Ignitor current:   2.5 (2500 thousandths)"), std::string::npos);
    EXPECT_NE(r.out.find("Interpolation:  spline"), std::string::npos);
    EXPECT_NE(r.out.find("Timed events: 5"), std::string::npos);
    // Stored in time order whatever order they were added in.
    EXPECT_NE(r.out.find("Event 1: time 0.1, Record, channel 0, value 1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Event 5: time 30.5, Reset to Ready"), std::string::npos);
}

TEST(InspectConfiguration, RefusesDamagedFilesWithOneLine)
{
    TempDir dir;
    const std::string path = dir.File("Method.cnfg");
    ASSERT_EQ(RunCli({"sample-config", path}).code, 0);
    const std::vector<uint8_t> good = ReadAll(path);

    std::vector<uint8_t> truncated(good.begin(), good.end() - 10);
    WriteBytes(path, truncated);
    Result r = RunCli({"inspect", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Lines(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("damaged configuration file"), std::string::npos) << r.err;

    std::vector<uint8_t> hostile = good;
    hostile[400] = 0xFF; // event count 0x??FF... far beyond the file
    hostile[403] = 0x7F;
    WriteBytes(path, hostile);
    r = RunCli({"inspect", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Lines(r.err), 1u) << r.err;

    WriteBytes(path, {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0xFE, 0xFD});
    r = RunCli({"inspect", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Lines(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("not a Tarvolin file"), std::string::npos) << r.err;

    r = RunCli({"inspect", dir.File("missing.cnfg")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Lines(r.err), 1u) << r.err;

    WriteBytes(path, {});
    r = RunCli({"inspect", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("empty"), std::string::npos) << r.err;
}

TEST(InspectSettings, PrintsAnIniFileAndTheValuesTheMonitorTakesFromIt)
{
    TempDir dir;
    const std::string path = dir.File("TarvolinMonitorIniSettings.ini");
    WriteText(path, "[Port]\r\nbaudrate = 9600 // slow line\r\n// IsOnline=1\r\nZoomOutShortCutKey=2\r\n"
                    "PulseGraphMaxY=5000");
    Result r = RunCli({"inspect", path});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Entries: 3"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  baudrate = 9600\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("BaudRate:                  9600"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("IsOnline:                  0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("PulseGraphMaxX:            10000000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ZoomOutShortCutKey:        2"), std::string::npos) << r.out;
}

TEST(InspectSettings, ReportsAnOverLongLineOnStandardError)
{
    TempDir dir;
    const std::string path = dir.File("TarvolinAnalyzerIniSettings.ini");
    WriteText(path, std::string(3000, 'x') + "\nEnableDebugLog=0\n");
    Result r = RunCli({"inspect", path});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Lines(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find("m_pBuffer overflow in line 1 (line length over 2048 chars)"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("Settings as the Analyzer reads them\n  EnableDebugLog:            0"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("BaudRate"), std::string::npos);
}

TEST(InspectSettings, PrintsTheArchiveSettingsFiles)
{
    TempDir dir;
    std::vector<uint8_t> bytes;
    {
        CArchiveWriter ar(bytes);
        ar.WriteCount(2);
        for (const char* name : {"GC1", "Bench Ä"}) {
            ar.WriteObjectTag("CDeviceConnection", 1);
            ar.WriteString(name[0] == 'G' ? "3" : "7");
            ar.WriteString(name);
            ar.WriteString("");
        }
    }
    const std::string list = dir.File("GeneralSettings.cfg");
    WriteBytes(list, bytes);
    Result r = RunCli({"inspect", list});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Instruments: 2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Name: Bench Ä\n    Port: COM7"), std::string::npos) << r.out;

    bytes.clear();
    {
        CArchiveWriter ar(bytes);
        ar.WriteInt32(1);
        for (double limit : {1.5, 5.0, 10.25, 22.0})
            ar.WriteDouble(limit);
    }
    WriteBytes(list, bytes);
    r = RunCli({"inspect", list});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Limit 3: 10.25 ms"), std::string::npos) << r.out;

    bytes.clear();
    {
        CArchiveWriter ar(bytes);
        ar.WriteString("/data/runs");
        ar.WriteString("Run");
        ar.WriteInt32(12);
    }
    const std::string settings = dir.File("TarvolinMonitorDataSettings.cfg");
    WriteBytes(settings, bytes);
    r = RunCli({"inspect", settings});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Folder:     /data/runs"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("File index: 12"), std::string::npos) << r.out;

    bytes.pop_back(); // a torn index
    WriteBytes(settings, bytes);
    r = RunCli({"inspect", settings});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Lines(r.err), 1u) << r.err;
}

TEST(CommandLine, UsageErrorsExitWithTwoAndTheProgramReportsFailureInItsStatus)
{
    EXPECT_EQ(RunCli({}).code, 2);
    EXPECT_EQ(RunCli({"inspect"}).code, 2);
    EXPECT_EQ(RunCli({"frobnicate", "x"}).code, 2);
    EXPECT_EQ(RunCli({"--help"}).code, 0);

    TempDir dir;
    const std::string command =
        std::string(TARVOLIN_CLI_PATH) + " inspect '" + dir.File("none.cnfg") + "' 2>/dev/null";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

} // namespace

namespace {

TEST(InspectRecordings, PrintsACompactDataFile)
{
    const std::string seed = std::string(TARVOLIN_SOURCE_DIR) + "/fuzz/seeds/fuzz_compactfile/manual-start-three-pulses.bin";
    Result r = RunCli({"inspect", seed});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Compact data file"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Pulses: 3 (started by hand"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("window A 0 to 0.1,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  Run started\n  Event Record"), std::string::npos) << r.out;
}

TEST(InspectRecordings, ReportsWhatItSalvagedFromARecordingThatDidNotFinish)
{
    TempDir dir;
    const std::string path = dir.File("crash.KLYN");
    CDataFileHeader header;
    header.config.events.AddTimedEvent(CTimedEventData());
    CDataFileWriter writer;
    std::string message;
    ASSERT_EQ(writer.Create(path, header, message), 1);
    CPulseData pulse;
    pulse.AddData(3);
    for (int i = 0; i < 4; ++i) {
        pulse.SetPulseIndex(i + 10);
        pulse.SetPulseTime(100 * i);
        ASSERT_EQ(writer.Append(pulse, message), 1);
    }
    ASSERT_EQ(writer.Close(message), 1);
    std::vector<uint8_t> bytes = ReadAll(path);
    bytes[header.CountPosition()] = 0; // as a crash before the first checkpoint leaves it
    bytes.push_back(1);
    WriteBytes(path, bytes);

    Result r = RunCli({"inspect", path});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Pulses: 4 (the header says 0)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("First pulse: index 10, time 0.00 s, 1 samples"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Last pulse:  index 13, time 3.00 s"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Salvage: The header counted 0 pulses but the file holds 4"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("The last 1 bytes"), std::string::npos) << r.out;

    WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 30));
    r = RunCli({"inspect", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("damaged data file"), std::string::npos) << r.err;
}

} // namespace
