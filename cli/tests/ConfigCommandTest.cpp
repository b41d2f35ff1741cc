// `tarvolin config save | apply | show` against the board simulator: save
// writes what the board holds byte for byte, apply clears the timed events
// first and sends every record with the right bytes, a board that stops
// answering half way gives the failed step, and files that are damaged or
// no set-up are refused before anything reaches the board.
#include "BoardSimulator.h"
#include "Commands.h"
#include "ConfigFile.h"
#include "Hardware.h"
#include "SimulatedBoard.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using testsupport::ReadBytes;
using testsupport::WriteBytes;

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

CTimedEventData Event(double minutes, int code, unsigned char channel, double value)
{
    CTimedEventData e;
    e.SetEventTime(minutes);
    e.SetEventCode(static_cast<EventCode>(code));
    e.SetEventChannel(channel);
    e.SetEventValue(value);
    return e;
}

// A set-up whose every value survives the board's encodings and whose bytes
// are worked out by hand below.
CConfigFile SetUp()
{
    CConfigFile file;
    CGateParameters gates;
    const unsigned short modes[] = {GM_S, GM_P, GM_C, GM_N, GM_Si};
    for (int i = 0; i < 5; ++i) {
        gates[i].SetType(modes[i]);
        gates[i].SetStartA(1.25 + i);
        gates[i].SetStopA(3.0 + i);
        gates[i].SetStartB(10.0);
        gates[i].SetStopB(12.5);
        gates[i].SetOperator(GO_MINUS);
        gates[i].SetAlpha(0.25);
        gates[i].SetSqroot(i % 2);
    }
    file.SetGateParameters(gates);
    CBoardParameters board;
    board.SetIgnitor(2501);
    board.SetpmtVolts(650);
    board.SetTriggerLevel(12);
    board.SetAdcTriggerLevel(150001);
    file.SetBoardParameters(board);
    CChannelParameters channels;
    channels[0].SetGateIndex(1);
    channels[0].SetInterpolation(1);
    channels[0].SetScalarChannel(64);
    channels[0].SetChannelZero(-20);
    channels[1].SetGateIndex(3);
    channels[1].SetScalarChannel(2);
    channels[1].SetChannelZero(450);
    file.SetChannelParameters(channels);
    CTimedEvent events;
    events.AddTimedEvent(Event(1.5, EC_IGNITOR_CURRENT, 1, 0.25));
    events.AddTimedEvent(Event(2.0, EC_RECORD, 0, 1));
    file.SetTimedEvent(events);
    return file;
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

struct Request {
    int command;
    std::string payload; // hex, "-" for none
};

// The set-up requests (0x10 to 0x22) of the simulator's request log, in order.
std::vector<Request> SetUpRequests(const std::string& logPath)
{
    std::vector<Request> requests;
    std::ifstream log(logPath);
    std::string seconds, command, length, payload;
    std::string line;
    while (std::getline(log, line)) {
        std::istringstream fields(line);
        if (!(fields >> seconds >> command >> length >> payload) || command.rfind("0x", 0) != 0)
            continue;
        const int code = std::stoi(command.substr(2), nullptr, 16);
        if (code >= 0x10 && code <= 0x22)
            requests.push_back({code, payload});
    }
    return requests;
}

std::vector<int> Commands(const std::vector<Request>& requests)
{
    std::vector<int> commands;
    for (const Request& r : requests)
        commands.push_back(r.command);
    return commands;
}

class ConfigCommand : public testing::Test {
protected:
    void SetUp() override
    {
        CSimOptions options = testsupport::FastBoardOptions(ports.Dir(), kPort);
        options.requestLogPath = log;
        std::string error;
        sim = testsupport::StartBoard(options, error);
        ASSERT_TRUE(sim) << error;
    }
    std::string WriteConfig(const std::string& name, const CConfigFile& file)
    {
        std::vector<uint8_t> image;
        file.AppendImage(image);
        WriteBytes(folder.File(name), image);
        return folder.File(name);
    }

    static constexpr int kPort = 3;
    testsupport::CPortsFolder ports;
    testsupport::CTempDir folder;
    const std::string log = folder.File("requests.log");
    std::unique_ptr<CBoardSimulator> sim;
};

TEST_F(ConfigCommand, SaveWritesWhatTheBoardHoldsByteForByte)
{
    const CConfigFile held = ::SetUp();
    sim->SetGates(held.GetGateParameters());
    sim->SetBoardAndChannel(held.GetBoardParameters(), held.GetChannelParameters());
    sim->SetTimedEvents(held.GetTimedEvent());
    const std::string path = folder.File("saved.cnfg");
    WriteBytes(path, {1, 2, 3}); // an older file is replaced whole

    Result r = RunCli({"config", "save", "--port", "3", path});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Saved the set-up of COM3 into " + path +
                         " (468 bytes): 5 gates, the board and channel parameters, 2 timed "
                         "events\n");

    // What the board holds, as it decodes its own blocks.
    const CSimParameterSet board = sim->GetState().current;
    CConfigFile expected;
    expected.SetGateParameters(board.Gates());
    expected.SetBoardParameters(board.Board());
    expected.SetChannelParameters(board.Channels());
    expected.SetTimedEvent(board.Events());
    std::vector<uint8_t> image;
    expected.AppendImage(image);
    const std::vector<uint8_t> saved = ReadBytes(path);
    EXPECT_EQ(saved, image);

    // Fields worked out by hand from the file's layout (little-endian).
    ASSERT_EQ(saved.size(), 404u + 2 * 32);
    const auto at = [&](size_t offset, size_t size) {
        return Hex(std::vector<uint8_t>(saved.begin() + offset, saved.begin() + offset + size));
    };
    EXPECT_EQ(at(0, 4), "01780000");           // tag 30721
    EXPECT_EQ(at(336, 2), "c509");             // ignitor 2501
    EXPECT_EQ(at(338, 2), "8a02");             // PMT 650 V
    EXPECT_EQ(at(340, 2), "0c00");             // trigger level 12
    EXPECT_EQ(at(344, 4), "f1490200");         // ADC trigger level 150001
    EXPECT_EQ(at(356, 4), "01000000");         // channel 1 gate index
    EXPECT_EQ(at(360, 4), "01000000");         // channel 1 interpolation
    EXPECT_EQ(at(368, 4), "40000000");         // channel 1 scalar channel 64
    EXPECT_EQ(at(372, 4), "ecffffff");         // channel 1 zero -20
    EXPECT_EQ(at(396, 4), "c2010000");         // channel 2 zero 450
    EXPECT_EQ(at(400, 4), "02000000");         // two events
    EXPECT_EQ(at(412, 8), "000000000000f83f"); // first event at 1.5 min
    EXPECT_EQ(at(420, 4), "03000000");         // ignitor current
    EXPECT_EQ(at(424, 1), "01");               // channel 1
    EXPECT_EQ(at(428, 8), "000000000000d03f"); // 0.25 A
    // Gate 1's start A: 1.25 ms went to the board as 12 tenths and comes back as 1.2.
    EXPECT_EQ(at(20, 8), "333333333333f33f");
    EXPECT_TRUE(expected.GetTimedEvent() == held.GetTimedEvent());
    EXPECT_TRUE(expected.GetBoardParameters() == held.GetBoardParameters());
}

TEST_F(ConfigCommand, ApplyClearsTheEventsFirstAndSendsEveryRecordWithItsBytes)
{
    const CConfigFile file = ::SetUp();
    const std::string path = WriteConfig("setup.cnfg", file);
    Result r = RunCli({"config", "apply", "--port", "3", path});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Applying " + path +
                         " to COM3\n"
                         "  Step 1 of 4: clearing the timed events\n"
                         "  Step 2 of 4: sending the board and channel parameters\n"
                         "  Step 3 of 4: sending the timed events\n"
                         "  Step 4 of 4: sending the gates\n"
                         "Configuration file has been successfully opened and applied\n");

    const std::vector<Request> sent = SetUpRequests(log);
    ASSERT_EQ(Commands(sent), (std::vector<int>{0x22, 0x12, 0x20, 0x10}));
    EXPECT_EQ(sent[0].payload, "-");
    // Board and channel block, big-endian: ignitor, PMT, trigger, ADC trigger;
    // gate indexes, interpolations, zeros and scalar channels of both channels.
    EXPECT_EQ(sent[1].payload, "09c5"
                               "028a"
                               "000c"
                               "000249f1"
                               "0001"
                               "0003"
                               "0001"
                               "0000"
                               "ffffffec"
                               "000001c2"
                               "0040"
                               "0002");
    // Event block: count, then time x 100, code, channel, value (x 1000 for
    // the ignitor current, x 100 for Record).
    EXPECT_EQ(sent[2].payload, "0002"
                               "00000096"
                               "03"
                               "01"
                               "000000fa"
                               "000000c8"
                               "02"
                               "00"
                               "00000064");
    ASSERT_EQ(sent[3].payload.size(), 200u);
    EXPECT_EQ(sent[3].payload.substr(0, 20), "00000001000200030012") << "modes S P C N Si";
    EXPECT_EQ(sent[3].payload.substr(40, 8), "000c0064") << "gate 1: start A 1.2x10, start B 100";
    EXPECT_EQ(sent[3].payload, Hex(CHardware::EncodeGates(file.GetGateParameters())));

    // The board holds the file's records now.
    const CSimParameterSet board = sim->GetState().current;
    EXPECT_TRUE(board.Board() == file.GetBoardParameters());
    EXPECT_TRUE(board.Events() == file.GetTimedEvent());
    EXPECT_EQ(board.ChannelZero(1), -20);
    EXPECT_EQ(board.ChannelZero(2), 450);
    EXPECT_EQ(board.Gates()[1].GetType(), GM_P);
}

TEST_F(ConfigCommand, AFileWithoutEventsStillClearsTheBoardsEvents)
{
    sim->SetTimedEvents(::SetUp().GetTimedEvent());
    CConfigFile file = ::SetUp();
    file.SetTimedEvent(CTimedEvent());
    Result r = RunCli({"config", "apply", "--port", "3", WriteConfig("none.cnfg", file)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("  Step 3 of 4: no timed events to send\n"), std::string::npos) << r.out;
    EXPECT_EQ(Commands(SetUpRequests(log)), (std::vector<int>{0x22, 0x12, 0x10}));
    EXPECT_EQ(sim->GetState().current.Events().GetCount(), 0);
}

TEST_F(ConfigCommand, ABoardThatStopsAnsweringHalfWayGivesTheFailedStep)
{
    CSimFaultRule silence;
    silence.kind = SimFault::Silence;
    silence.command = 0x20;
    sim->AddFault(silence);
    silence.command = 0x10;
    sim->AddFault(silence);
    Result r = RunCli({"config", "apply", "--port", "3", WriteConfig("half.cnfg", ::SetUp())});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "tarvolin: the configuration file \"" + folder.File("half.cnfg") +
                         "\" could not be applied to COM3. Step 3 of 4, sending the timed "
                         "events, failed: the board did not answer or refused it. The board may "
                         "now hold a mixture of the old and the new set-up.\n");
    EXPECT_EQ(r.out.find("successfully"), std::string::npos) << r.out;
    // Sent three times, as a user would try again; the gates never.
    EXPECT_EQ(Commands(SetUpRequests(log)), (std::vector<int>{0x22, 0x12, 0x20, 0x20, 0x20}));
}

struct Refusal {
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;
    std::string error;
};

class ConfigRefusal : public ConfigCommand, public testing::WithParamInterface<Refusal> {};

TEST_P(ConfigRefusal, NothingReachesTheBoard)
{
    const std::string path = folder.File("refused.cnfg");
    WriteBytes(path, GetParam().bytes());
    Result r = RunCli({"config", "apply", "--port", "3", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(GetParam().error), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Nothing was sent to the board."), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(SetUpRequests(log).empty());
}

std::vector<uint8_t> Image(const CConfigFile& file)
{
    std::vector<uint8_t> image;
    file.AppendImage(image);
    return image;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConfigRefusal,
    testing::Values(
        Refusal{"CutShort",
                [] {
                    auto image = Image(::SetUp());
                    image.resize(420);
                    return image;
                },
                "could not be opened: "},
        Refusal{"NotASetUp",
                [] {
                    auto image = Image(::SetUp());
                    image[0] = 0x02;
                    return image;
                },
                "is not a configuration file: it does not start with the configuration tag."},
        Refusal{"EmptyFile", [] { return std::vector<uint8_t>(); }, "could not be opened: "},
        Refusal{"MoreEventsThanOneBlockCarries",
                [] {
                    CConfigFile file = ::SetUp();
                    CTimedEvent events;
                    for (int i = 0; i < 102; ++i)
                        events.AddTimedEvent(Event(0.1 * i, EC_AUTOZERO, 0, 1));
                    file.SetTimedEvent(events);
                    return Image(file);
                },
                "the board takes at most 101"}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST_F(ConfigCommand, ShowPrintsASetUpFileAsInspectDoesAndRefusesOthers)
{
    const std::string path = WriteConfig("show.cnfg", ::SetUp());
    Result show = RunCli({"config", "show", path});
    ASSERT_EQ(show.code, 0) << show.err;
    EXPECT_EQ(show.out.rfind("Configuration file (.cnfg), 468 bytes\n", 0), 0u) << show.out;
    Result inspect = RunCli({"inspect", path});
    ASSERT_EQ(inspect.code, 0) << inspect.err;
    EXPECT_EQ(show.out, inspect.out);

    const std::string ini = folder.File("settings.ini");
    std::ofstream(ini) << "[Settings]\nEnableDebugLog=1\n";
    Result r = RunCli({"config", "show", ini});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(ini + " is not a set-up file (.cnfg): it is a settings (INI) file"),
              std::string::npos)
        << r.err;
    r = RunCli({"config", "show", folder.File("missing.cnfg")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("missing.cnfg"), std::string::npos) << r.err;
}

struct ConfigUsage {
    const char* name;
    std::vector<std::string> args;
    std::string error;
};

class ConfigCommandLine : public testing::TestWithParam<ConfigUsage> {};

TEST_P(ConfigCommandLine, IsRefusedWithTheUsage)
{
    Result r = RunCli(GetParam().args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(GetParam().error), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: tarvolin config"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigCommandLine,
    testing::Values(
        ConfigUsage{"NoAction", {"config"}, "tarvolin: config: the action is missing"},
        ConfigUsage{"UnknownAction", {"config", "load", "x.cnfg"}, "unknown action \"load\""},
        ConfigUsage{"NoFile", {"config", "save", "--port", "2"}, "the set-up file is missing"},
        ConfigUsage{
            "PortZero", {"config", "apply", "--port", "0", "x.cnfg"}, "--port: 0 is out of range"},
        ConfigUsage{"ShowTakesNoPort",
                    {"config", "show", "--port", "2", "x.cnfg"},
                    "unknown option --port"}),
    [](const testing::TestParamInfo<ConfigUsage>& info) { return std::string(info.param.name); });

} // namespace
