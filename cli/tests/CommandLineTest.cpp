// The command line of `tarvolin`: strict numbers, messages that name what is
// wrong, the usage generated from the commands, and what `repair` and
// `inspect` say about files that are not recordings.
#include "BaseKLYNData.h"
#include "Commands.h"
#include "FileKind.h"
#include "LinkWatch.h"
#include "RecordSummary.h"
#include "SampleConfig.h"
#include "StatusCommand.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>

namespace {

using testsupport::CTempDir;

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

struct BadLine {
    const char* name;
    std::vector<std::string> args;
    std::string error;
};

class RefusedCommandLine : public testing::TestWithParam<BadLine> {};

// Each once meant something else, ran for ever or was undefined; now each is
// refused before anything runs, with the option named.
TEST_P(RefusedCommandLine, ExitsWithTwoAndNamesWhatIsWrong)
{
    Result r = RunCli(GetParam().args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(GetParam().error), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("usage: tarvolin " + GetParam().args[0]), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommandLine,
    testing::Values(
        BadLine{"SecondsNan",
                {"status", "--watch", "--seconds", "nan"},
                "--seconds: \"nan\" is not a number"},
        BadLine{
            "PortFraction", {"status", "--port", "1.5"}, "--port: \"1.5\" is not a whole number"},
        BadLine{"PortHex", {"status", "--port", "0x10"}, "--port: \"0x10\" is not a whole number"},
        BadLine{"CountExponent",
                {"status", "--count", "1e12"},
                "--count: \"1e12\" is not a whole number"},
        BadLine{
            "PortExponent", {"record", "--port", "1e10"}, "--port: \"1e10\" is not a whole number"},
        BadLine{"PortZero", {"record", "--port", "0"}, "--port: 0 is out of range (1 to 9999)"},
        BadLine{"OddBaud", {"record", "--baud", "57601"}, "--baud: 57601 is not one of 1200,"},
        BadLine{"PortMissing",
                {"status", "--port", "--seconds", "1"},
                "the port number is missing after --port"},
        BadLine{"MisspeltSwitch",
                {"repair", "x.KLYN", "--inplace"},
                "unknown option --inplace (did you mean --in-place?)"},
        BadLine{"PathPrefix",
                {"record", "--prefix", "../x"},
                "--prefix: the prefix must be a plain name"},
        BadLine{"NoFile", {"inspect"}, "the file to inspect is missing"},
        BadLine{"TwoFiles", {"inspect", "a", "b"}, "unexpected argument \"b\""}),
    [](const testing::TestParamInfo<BadLine>& info) { return std::string(info.param.name); });

TEST(CommandLine, UsageAndHelpComeFromTheCommandsThemselves)
{
    Result r = RunCli({});
    EXPECT_EQ(r.code, 2);
    for (const char* line :
         {"  tarvolin inspect FILE\n", "  tarvolin repair FILE [--in-place]\n",
          "  tarvolin record [--port N] [--baud B] [--seconds S] [--dir D] "
          "[--prefix P] [--progress] [--auto] [--runs K]\n",
          "  tarvolin status [--port N] [--baud B] [--watch] [--count P] [--seconds S]\n"})
        EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;

    r = RunCli({"record", "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(
        r.out.find(
            "--port N              the instrument's serial port, COM<N> (1 to 9999; default 1)"),
        std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("(default \"run\")"), std::string::npos) << r.out;
    EXPECT_EQ(RunCli({"help", "repair"}).code, 0);
}

TEST(CommandLine, StatusWordsPrintAsFourHexDigits)
{
    EXPECT_EQ(cli::CStatusCommand::StatusLine(0x0800),
              "0x0800 (status bits 0x08, error bits 0x00), GC Running");
    EXPECT_EQ(cli::CStatusCommand::StatusLine(0x0105),
              "0x0105 (status bits 0x01, error bits 0x05), GC Ready");
}

// ---------------------------------------------------------------------------

struct KindCase {
    const char* name;
    std::function<std::string(const CTempDir&)> make; // returns the path
    std::string said;
};

class RepairOfANonRecording : public testing::TestWithParam<KindCase> {};

TEST_P(RepairOfANonRecording, NamesWhatTheFileIsAndChangesNothing)
{
    CTempDir dir;
    const std::string path = GetParam().make(dir);
    struct stat before {};
    ::stat(path.c_str(), &before);
    for (std::vector<std::string> args : {std::vector<std::string>{"repair", path},
                                          std::vector<std::string>{"repair", path, "--in-place"}}) {
        Result r = RunCli(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find(GetParam().said), std::string::npos) << r.err;
    }
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(before.st_size, after.st_size);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RepairOfANonRecording,
    testing::Values(
        KindCase{"BoardSetUp",
                 [](const CTempDir& d) {
                     std::string e;
                     cli::WriteSampleConfig(d.File("Method.cnfg"), e);
                     return d.File("Method.cnfg");
                 },
                 "Method.cnfg is a board set-up file, not a recording"},
        KindCase{"CompactDataFile",
                 [](const CTempDir& d) {
                     const std::string p = d.File("old.KLYN");
                     std::filesystem::copy_file(
                         std::string(TARVOLIN_SOURCE_DIR) +
                             "/fuzz/seeds/fuzz_compactfile/manual-start-three-pulses.bin",
                         p);
                     return p;
                 },
                 "old.KLYN is a compact data file, not a recording"},
        KindCase{"Folder", [](const CTempDir& d) { return d.Path().string(); },
                 "is a folder, not a file"},
        KindCase{"Fifo",
                 [](const CTempDir& d) {
                     ::mkfifo(d.File("pipe").c_str(), 0600);
                     return d.File("pipe");
                 },
                 "is a FIFO (named pipe), not a file"},
        KindCase{"EndlessDevice", [](const CTempDir&) { return std::string("/dev/zero"); },
                 "\"/dev/zero\" is a device, not a file"},
        KindCase{"Text",
                 [](const CTempDir& d) {
                     testsupport::WriteText(d.File("notes.txt"), "BaudRate=9600\n");
                     return d.File("notes.txt");
                 },
                 "is a settings (INI) file, not a recording"}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST(Inspect, RefusesAFifoAtOnce)
{
    CTempDir dir;
    const std::string fifo = dir.File("pipe.KLYN");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Result r = RunCli({"inspect", fifo});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is a FIFO (named pipe), not a file"), std::string::npos) << r.err;
}

TEST(FileKind, RecognisesByContent)
{
    std::vector<uint8_t> config(404, 0);
    config[0] = 0x01;
    config[1] = 0x78;
    EXPECT_EQ(CFileKind::Recognise(config, config.size(), "x.bin"), FileKind::ConfigFile);
    std::vector<uint8_t> compact(124, 0);
    compact[0] = 0x01;
    compact[1] = 0x78;
    EXPECT_EQ(CFileKind::Recognise(compact, compact.size(), "x.cfg"),
              FileKind::CompactConfigRecord);
    std::vector<uint8_t> data(600, 0);
    data[0] = 0x01;
    data[1] = 0x42;
    EXPECT_EQ(CFileKind::Recognise(data, data.size(), "x.cnfg"), FileKind::DataFile);
    data[16] = 0x01;
    data[17] = 0x78;
    EXPECT_EQ(CFileKind::Recognise(data, data.size(), "x"), FileKind::CompactDataFile);
    const std::string text = "EnableDebugLog=1\n";
    EXPECT_EQ(CFileKind::Recognise({reinterpret_cast<const uint8_t*>(text.data()), text.size()},
                                   text.size(), "x"),
              FileKind::IniFile);
    EXPECT_EQ(CFileKind::Recognise({}, 0, "x"), FileKind::Empty);
}

// ---------------------------------------------------------------------------

struct WatchStep {
    LinkCondition link;
    bool announced, fetched;
    CLinkWatch::Change change;
};

struct WatchCase {
    const char* name;
    std::vector<WatchStep> steps;
    int64_t refused;
    const char* reason; // of the first loss
};

class LinkWatchTest : public testing::TestWithParam<WatchCase> {};

// Cycles 100 ms apart: kSilence is 15 of them.
TEST_P(LinkWatchTest, SaysWhenTheLinkIsLostAndBack)
{
    CLinkWatch watch;
    auto now = CLinkWatch::Clock::now();
    int step = 0;
    std::string reason;
    for (const WatchStep& s : GetParam().steps) {
        now += std::chrono::milliseconds(100);
        CLinkStatus link;
        link.SetCondition(s.link);
        const CLinkWatch::Change change = watch.Cycle(link, s.announced, s.fetched, now);
        EXPECT_EQ(change, s.change) << "step " << step;
        if (change == CLinkWatch::kLost && reason.empty())
            reason = watch.GetLostReason();
        ++step;
    }
    EXPECT_EQ(watch.GetRefused(), GetParam().refused);
    EXPECT_EQ(reason.substr(0, std::string(GetParam().reason).size()), GetParam().reason);
}

constexpr auto kNo = CLinkWatch::kNoChange;
constexpr auto kLost = CLinkWatch::kLost;
constexpr auto kBack = CLinkWatch::kBack;
constexpr auto kUp = LINK_CONNECTED;
constexpr auto kQuiet = LINK_NO_RESPONSE;

std::vector<WatchStep> Repeat(WatchStep step, int times)
{
    return std::vector<WatchStep>(static_cast<size_t>(times), step);
}

std::vector<WatchStep> Join(std::initializer_list<std::vector<WatchStep>> parts)
{
    std::vector<WatchStep> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Cycles, LinkWatchTest,
    testing::Values(
        WatchCase{"HealthyWithAndWithoutPulses",
                  {{kUp, true, true, kNo}, {kUp, false, false, kNo}, {kUp, true, true, kNo}},
                  0,
                  ""},
        WatchCase{"PortClosesAndReopens",
                  {{kUp, true, true, kNo},
                   {LINK_NOT_PRESENT, true, false, kLost},
                   {LINK_NOT_PRESENT, false, false, kNo},
                   {kQuiet, false, false, kNo},
                   {kUp, false, false, kBack}},
                  1,
                  "the port has closed"},
        WatchCase{"AnotherProgramTakesThePort",
                  {{LINK_BUSY, false, false, kLost}, {kUp, false, false, kBack}},
                  0,
                  "the port is used by another program"},
        WatchCase{"AShortSilenceIsNotALoss",
                  Join({Repeat({kQuiet, false, false, kNo}, 14), {{kUp, true, true, kNo}}}), 0, ""},
        WatchCase{"ABoardQuietOnAnOpenPortIsLostAndBack",
                  Join({Repeat({kQuiet, false, false, kNo}, 15),
                        {{kQuiet, false, false, kLost}},
                        Repeat({kQuiet, false, false, kNo}, 5),
                        {{kUp, true, true, kBack}}}),
                  0, "the board has not answered since "},
        WatchCase{"FourRefusalsAreNotALoss",
                  {{kUp, true, false, kNo},
                   {kUp, true, false, kNo},
                   {kUp, true, false, kNo},
                   {kUp, true, false, kNo},
                   {kUp, true, true, kNo}},
                  4,
                  ""},
        WatchCase{"FiveRefusalsInARowAre",
                  {{kUp, true, false, kNo},
                   {kUp, true, false, kNo},
                   {kUp, true, false, kNo},
                   {kUp, true, false, kNo},
                   {kUp, true, false, kLost},
                   {kUp, true, false, kNo},
                   {kUp, true, true, kBack}},
                  6,
                  "5 pulse requests in a row brought no valid reply"}),
    [](const testing::TestParamInfo<WatchCase>& info) { return std::string(info.param.name); });

TEST(RecordSummary, NamesEachReasonForMissingPulses)
{
    CRecordTally t;
    t.pulses = 50;
    t.firstIndex = 11;
    t.lastIndex = 80;
    t.firstTime = 100;
    t.lastTime = 950;
    t.skipped = 20;
    t.refused = 4;
    t.repeats = 3;
    t.restarts = 1;
    t.seconds = 10;
    t.baud = 57600;
    const std::string text = CRecordSummary::Lines(t);
    EXPECT_NE(text.find("Run time 1.00 s to 9.50 s; pulse index 11 to 80\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("20 pulses of the board were not fetched: 4 pulse replies were refused"),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find("16 came faster than the link fetches them (about 5.3 a second at 57600 baud)"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("started its pulse index again 1 time"), std::string::npos) << text;
    EXPECT_NE(text.find("3 pulses were fetched a second time and recorded once"),
              std::string::npos);

    CRecordTally refusedOnly = t;
    refusedOnly.skipped = 2;
    refusedOnly.refused = 2;
    const std::string only = CRecordSummary::Lines(refusedOnly);
    EXPECT_NE(only.find("2 pulse replies were refused"), std::string::npos) << only;
    EXPECT_EQ(only.find("faster than the link"), std::string::npos) << only;

    CRecordTally none;
    EXPECT_EQ(CRecordSummary::Lines(none), "");
    EXPECT_NE(CRecordSummary::NoPulsesReason(none).find("announced none"), std::string::npos);
    none.announced = 9;
    none.refused = 9;
    EXPECT_NE(CRecordSummary::NoPulsesReason(none).find("every pulse reply was refused"),
              std::string::npos);
}

} // namespace
