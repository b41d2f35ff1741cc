// `tarvolin peaks` and `tarvolin batch` as a user runs them: the peaks of a
// simulated run land on its compounds; a batch over a folder with a damaged
// recording among good ones processes every good one, names the damaged one
// and says so in its status; usage errors are refused with status 2.
#include "BatchRun.h"
#include "BoardSimulator.h"
#include "ChildProcess.h"
#include "Commands.h"
#include "NcFile.h"
#include "Recordings.h"
#include "SimulatedBoard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::vector<std::string> kNoDisplay = {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ','))
        fields.push_back(field);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// 600 pulses 0.14 s apart from 10 s on; every sample of a pulse at time t is
// 100 + 1000 exp(-(t - apex)^2 / 8): gate 1 (samples 10..20 less the dark
// current 10) sees one peak of 1000 at apex, of area 1000 x 2 sqrt(2 pi).
void WritePeakRecording(const std::string& path, double apex)
{
    std::vector<CPulseData> pulses;
    for (int k = 0; k < 600; ++k) {
        const int time = 1000 + 14 * k;
        const double t = time / 100.0;
        const int level = static_cast<int>(
            std::lround(100.0 + 1000.0 * std::exp(-(t - apex) * (t - apex) / 8.0)));
        CPulseData p;
        p.SetPulseIndex(k + 1);
        p.SetPulseTime(time);
        p.SetTDelay(0.0);
        p.SetDarkCurrent(10);
        p.SetFrequencyPulse(7.0);
        for (int i = 0; i < 250; ++i)
            p.AddData(level);
        pulses.push_back(p);
    }
    recordings::Write(path, recordings::SimpleHeader(), pulses);
}

const double kArea = 1000.0 * 2.0 * std::sqrt(2.0 * M_PI);

TEST(PeaksCommand, EachCompoundOfASimulatedRunGivesOnePeakAtItsRetentionTime)
{
    testsupport::CPortsFolder ports;
    testsupport::CTempDir data;
    CSimOptions options = testsupport::FastBoardOptions(ports.Dir(), 13);
    options.pulseRate = 2.5;
    options.clockSpeed = 3.0;
    options.runLengthSeconds = 30.0;
    // One compound for each of the board's default gates: gate 1 sees fast
    // light, gate 2 medium light, gate 3 slow light.
    options.program = {
        {"fast emitter", 6.0, 1.2, {120000.0, 1500.0, 400.0}},
        {"medium emitter", 14.0, 1.2, {1000.0, 90000.0, 1200.0}},
        {"slow emitter", 22.0, 1.2, {500.0, 1000.0, 150000.0}},
    };
    std::string error;
    std::unique_ptr<CBoardSimulator> sim = testsupport::StartBoard(options, error);
    ASSERT_TRUE(sim) << error;
    testsupport::CChildProcess recorder;
    ASSERT_TRUE(recorder.Start({TARVOLIN_CLI_PATH, "record", "--port", "13", "--dir",
                                data.Path().string(), "--prefix", "Run"},
                               {"TARVOLIN_PORTS_DIR=" + ports.Dir()}));
    ASSERT_TRUE(sim->WaitForRequests(3, 60s, 0x01)) << recorder.Out() << recorder.Err();
    sim->StartRun();
    ASSERT_TRUE(sim->WaitFor([](const CSimCounters& c) { return c.runsEnded >= 1; }, 120s));
    ASSERT_TRUE(recorder.Signal(SIGINT));
    ASSERT_EQ(recorder.Wait(), 0) << recorder.Out() << recorder.Err();
    const std::string path = data.File("Run001.KLYN");
    ASSERT_TRUE(fs::exists(path)) << recorder.Out();

    // On each compound's own gate its peak is the largest, at its retention
    // time; whatever else a gate sees is another compound, at its time.
    const double period = 1.0 / options.pulseRate;
    for (size_t g = 0; g < options.program.size(); ++g) {
        SCOPED_TRACE(options.program[g].name);
        const std::string gate = std::to_string(g + 1);
        const std::string csv = data.File("gate" + gate + ".csv");
        const testsupport::CProgramResult r = testsupport::RunProgram(
            {TARVOLIN_CLI_PATH, "peaks", path, "--gate", gate, "--smoothing", "5", "--csv", csv});
        ASSERT_EQ(r.code, 0) << r.err;
        const std::vector<std::string> out = Lines(r.out);
        const std::vector<std::string> rows = Lines(ReadText(csv));
        ASSERT_GE(rows.size(), 2u) << r.out;
        ASSERT_EQ(out.size(), rows.size() + 3) << r.out;
        EXPECT_EQ(out[0], "Recording: " + path);
        EXPECT_EQ(out[1].rfind("Gate " + gate + " (", 0), 0u) << out[1];
        EXPECT_NE(out[1].find("): " + std::to_string(rows.size() - 1) +
                              (rows.size() == 2 ? " peak" : " peaks") +
                              ", threshold 5, min-width 0.5 s, smoothing 5 points"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(out[2].rfind("Peak  ", 0), 0u) << out[2];
        EXPECT_NE(out[2].find("  RT (s)  Start (s)  End (s)"), std::string::npos) << out[2];
        double largest = 0.0, at = 0.0;
        for (size_t k = 1; k < rows.size(); ++k) {
            const std::vector<std::string> row = Fields(rows[k]);
            ASSERT_GE(row.size(), 6u);
            const double time = std::stod(row[1]);
            if (std::stod(row[5]) > largest) {
                largest = std::stod(row[5]);
                at = time;
            }
            EXPECT_TRUE(std::any_of(
                options.program.begin(), options.program.end(),
                [&](const auto& c) { return std::fabs(c.retentionSeconds - time) <= period; }))
                << rows[k];
            // The printed row says what the CSV's does.
            EXPECT_EQ(out[2 + k].find(row[0] + "  " + row[1] + "  "), 3u) << out[2 + k];
            EXPECT_NE(out[2 + k].find(" " + row[2] + "  "), std::string::npos) << out[2 + k];
        }
        EXPECT_NEAR(at, options.program[g].retentionSeconds, period);
    }
}

class BatchCommand : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(dir.File("runs"));
        WritePeakRecording(dir.File("runs/a.KLYN"), 30.0);
        // Not a recording at all: its header is noise.
        testsupport::WriteText(dir.File("runs/b.KLYN"), std::string(3000, '\x5a'));
        WritePeakRecording(dir.File("runs/c.KLYN"), 52.0);
        WritePeakRecording(dir.File("runs/d.klyn"), 70.0);
        testsupport::WriteText(dir.File("runs/notes.txt"), "not a recording\n");
    }
    testsupport::CTempDir dir;
};

TEST_F(BatchCommand, EveryGoodRecordingIsProcessedAndTheDamagedOneNamed)
{
    const std::string out = dir.File("out/today");
    const testsupport::CProgramResult r = testsupport::RunProgram(
        {TARVOLIN_CLI_PATH, "batch", dir.File("runs"), "--out", out, "--gate", "1"}, kNoDisplay);
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, "3 of 4 recordings analysed; 1 failed. Summary: " + out + "/summary.csv\n");

    // One progress line per recording, in whatever order they finished.
    const std::vector<std::string> err = Lines(r.err);
    int progress = 0;
    for (const char* name : {"a.KLYN", "c.KLYN", "d.klyn"}) {
        EXPECT_EQ(std::count_if(err.begin(), err.end(),
                                [&](const std::string& line) {
                                    return line.find("/4 " + std::string(name) + ": ok") !=
                                           std::string::npos;
                                }),
                  1)
            << name << "\n"
            << r.err;
    }
    for (const std::string& line : err)
        if (line.find("/4 ") == 1)
            ++progress;
    EXPECT_EQ(progress, 4) << r.err;
    EXPECT_NE(r.err.find("/4 b.KLYN: "), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("/4 b.KLYN: ok"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("tarvolin: 1 of 4 recordings could not be analysed"), std::string::npos)
        << r.err;

    const struct {
        const char* name;
        double apex;
    } good[] = {{"a", 30.0}, {"c", 52.0}, {"d", 70.0}};
    for (const auto& g : good) {
        SCOPED_TRACE(g.name);
        const std::vector<std::string> table = Lines(ReadText(out + "/" + g.name + "-peaks.csv"));
        ASSERT_EQ(table.size(), 2u);
        EXPECT_NEAR(std::stod(Fields(table[1])[1]), g.apex, 0.014);
        NcFile aia(out + "/" + g.name + ".cdf");
        ASSERT_TRUE(aia.Ok());
        ASSERT_EQ(aia.DimensionLength("peak_number"), 1u);
        float retention = 0.0f, area = 0.0f;
        nc_get_var_float(aia.Id(), aia.Var("peak_retention_time"), &retention);
        nc_get_var_float(aia.Id(), aia.Var("peak_area"), &area);
        EXPECT_NEAR(retention, g.apex, 0.014);
        EXPECT_NEAR(area, kArea, 0.01 * kArea);
        const std::string pdf = ReadText(out + "/" + g.name + ".pdf");
        EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
        const std::regex page("/Type\\s*/Page[^s]");
        EXPECT_EQ(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), {}), 2)
            << "the report's page and the pictures'";
    }
    EXPECT_FALSE(fs::exists(out + "/b-peaks.csv"));
    EXPECT_FALSE(fs::exists(out + "/b.cdf"));
    EXPECT_FALSE(fs::exists(out + "/b.pdf"));
    EXPECT_FALSE(fs::exists(out + "/notes-peaks.csv"));

    const std::vector<std::string> summary = Lines(ReadText(out + "/summary.csv"));
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_EQ(summary[0], "File,Gate,Peaks,Largest peak retention time (s),"
                          "Largest peak area (counts*s),Result");
    const char* files[] = {"a.KLYN", "b.KLYN", "c.KLYN", "d.klyn"};
    for (size_t i = 0; i < 4; ++i) {
        const std::vector<std::string> row = Fields(summary[i + 1]);
        ASSERT_EQ(row.size(), 6u) << summary[i + 1];
        EXPECT_EQ(row[0], dir.File(std::string("runs/") + files[i]));
        EXPECT_EQ(row[1], "1");
        if (i == 1) {
            EXPECT_EQ(row[2], "");
            EXPECT_NE(row[5], "ok");
            EXPECT_NE(r.err.find(row[5]), std::string::npos) << "the reason is the one shown";
            continue;
        }
        const double apex = good[i == 0 ? 0 : i - 1].apex;
        EXPECT_EQ(row[2], "1");
        EXPECT_NEAR(std::stod(row[3]), apex, 0.014);
        EXPECT_NEAR(std::stod(row[4]), kArea, 0.01 * kArea);
        EXPECT_EQ(row[5], "ok");
    }
}

// The engine itself, as the benchmark calls it: one worker or three, reports
// drawn by the workers or by the calling thread, give the same summary;
// recordings of the same name keep apart; an output that would replace a
// recording given fails that recording and leaves it as it was; a report that
// cannot be written fails its recording.
TEST_F(BatchCommand, TheEngineKeepsNamesApartAndNeverReplacesARecording)
{
    fs::create_directory(dir.File("other"));
    WritePeakRecording(dir.File("other/a.KLYN"), 40.0);
    const std::string out = dir.File("out");
    fs::create_directory(out);
    // A recording given whose name is that of a's peak table.
    fs::copy_file(dir.File("runs/c.KLYN"), out + "/a-peaks.csv");
    const std::string before = ReadText(out + "/a-peaks.csv");

    std::vector<std::string> summaries;
    for (const auto& [workers, onWorkers] :
         std::vector<std::pair<int, bool>>{{1, true}, {3, true}, {3, false}}) {
        SCOPED_TRACE(std::to_string(workers) + (onWorkers ? " workers drawing" : " workers"));
        std::mutex lock;
        std::vector<std::string> drawn;
        int offThread = 0;
        const std::thread::id caller = std::this_thread::get_id();
        cli::CBatchRun::Settings settings;
        settings.reportsOnWorkers = onWorkers;
        settings.pdf = [&](const ODVDocData& document, const std::string& path, std::string& why) {
            const std::lock_guard guard(lock);
            offThread += std::this_thread::get_id() != caller;
            drawn.push_back(fs::path(path).filename().string());
            if (document.GetFileName() == "c.KLYN") {
                why = "the disk is full";
                return 0;
            }
            testsupport::WriteText(path, "report");
            return 1;
        };
        settings.recordings = {dir.File("runs/a.KLYN"), dir.File("other/a.KLYN"),
                               dir.File("runs/c.KLYN"), out + "/a-peaks.csv"};
        settings.outFolder = out;
        settings.workers = workers;
        cli::CBatchRun batch;
        std::ostringstream progress;
        std::string error;
        ASSERT_EQ(batch.Run(settings, progress, error), 1) << error;
        EXPECT_EQ(batch.GetFailedCount(), 2) << progress.str();
        const auto& o = batch.Outcomes();
        ASSERT_EQ(o.size(), 4u);
        EXPECT_EQ(o[0].ok, 0);
        EXPECT_NE(o[0].reason.find("would replace a recording"), std::string::npos) << o[0].reason;
        EXPECT_EQ(o[1].ok, 1) << o[1].reason;
        EXPECT_EQ(o[1].csv, out + "/a-2-peaks.csv");
        EXPECT_NEAR(o[1].retentionTime, 40.0, 0.014);
        EXPECT_EQ(o[2].csv, out + "/c-peaks.csv");
        EXPECT_EQ(o[2].ok, 0);
        EXPECT_EQ(o[2].reason, "the report could not be written: the disk is full");
        EXPECT_NE(progress.str().find("c.KLYN: the report could not be written: the disk is full"),
                  std::string::npos)
            << progress.str();
        EXPECT_EQ(o[3].ok, 1) << o[3].reason << " (a recording by any name)";
        EXPECT_EQ(o[3].csv, out + "/a-peaks-peaks.csv");
        EXPECT_EQ(o[1].pdf, out + "/a-2.pdf");
        EXPECT_EQ(ReadText(o[1].pdf), "report");
        std::sort(drawn.begin(), drawn.end());
        EXPECT_EQ(drawn, (std::vector<std::string>{"a-2.pdf", "a-peaks.pdf", "c.pdf"}));
        if (!onWorkers) {
            EXPECT_EQ(offThread, 0);
        }
        EXPECT_EQ(ReadText(out + "/a-peaks.csv"), before);
        summaries.push_back(ReadText(batch.GetSummaryPath()));
    }
    EXPECT_EQ(summaries[0], summaries[1]);
    EXPECT_EQ(summaries[0], summaries[2]);
}

struct Refusal {
    const char* name;
    std::vector<std::string> args; // after "batch"; "@" is the test's folder
    int code;
    std::string error;
};

class BatchRefusal : public BatchCommand, public testing::WithParamInterface<Refusal> {};

TEST_P(BatchRefusal, IsRefusedWithTheReason)
{
    testsupport::WriteText(dir.File("file"), "x");
    fs::create_directory(dir.File("empty"));
    std::vector<std::string> args = {"batch"};
    for (const std::string& arg : GetParam().args)
        args.push_back(arg[0] == '@' ? dir.File(arg.substr(1)) : arg);
    std::ostringstream out, err;
    EXPECT_EQ(cli::Run(args, out, err), GetParam().code) << err.str();
    std::string expected = GetParam().error;
    const size_t at = expected.find('@');
    if (at != std::string::npos)
        expected.replace(at, 1, dir.Path().string() + "/");
    EXPECT_NE(err.str().find(expected), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(fs::exists(dir.File("out")));
}

INSTANTIATE_TEST_SUITE_P(
    Batch, BatchRefusal,
    testing::Values(
        Refusal{"NoOut", {"@runs"}, 2, "the output folder is missing: give --out DIR"},
        Refusal{"OutIsAFile", {"@runs", "--out", "@file"}, 2, "--out: @file is not a folder"},
        Refusal{"NoRecordings", {"--out", "@out"}, 2, "a recording or a folder of them is missing"},
        Refusal{"EvenSmoothing", {"@runs", "--out", "@out", "--smoothing", "8"}, 1, "smoothing"},
        Refusal{"GateOutOfRange", {"@runs", "--out", "@out", "--gate", "6"}, 2, "out of range"},
        Refusal{"FolderWithoutRecordings",
                {"@empty", "--out", "@out"},
                1,
                "the folder @empty holds no recordings (.KLYN)"}),
    [](const testing::TestParamInfo<Refusal>& info) { return info.param.name; });

} // namespace
