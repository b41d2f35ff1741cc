// `tarvolin batch` on two workers against one recording at a time:
//
//  Batch  N copies of a one-hour recording (25 000 pulses, a few peaks)
//         through the batch engine (peak table, AIA file and, in a build
//         with the report's pages, the PDF report of each) on 2 workers,
//         against the same engine on one of them times N. batch_vs_serial is
//         the wall-time ratio (target below 0.6; 0.5 is two cores fully
//         used). N is 20, a day's runs, unless TARVOLIN_BENCH_BATCH_N says
//         otherwise. The machine's other load moves both sides alike.
#include "BatchRun.h"
#include "DataFile.h"
#ifdef TARVOLIN_REPORT_PDF
#include "ReportPdf.h"
#endif

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kPulses = 25000; // one hour at about 7 pulses per second

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void Cleanup();

const std::string& Folder()
{
    static const std::string* folder = [] {
        std::string pattern = (fs::current_path() / "bench-batch-XXXXXX").string();
        auto* made = new std::string(mkdtemp(pattern.data()));
        std::atexit(Cleanup);
        return made;
    }();
    return *folder;
}

void Cleanup()
{
    std::error_code ignored;
    fs::remove_all(Folder(), ignored);
}

int Count()
{
    const char* text = std::getenv("TARVOLIN_BENCH_BATCH_N");
    const int n = text ? std::atoi(text) : 20;
    return n >= 1 && n <= 100 ? n : 20;
}

// A one-hour run with three peaks on gate 1, and its copies run01 ... runNN.
std::vector<std::string> Recordings(int n)
{
    const std::string first = Folder() + "/in/run01.KLYN";
    fs::create_directories(Folder() + "/in");
    CDataFileHeader header;
    header.StampNow();
    for (int g = 0; g < 5; ++g)
        header.config.gates[g].SetType(static_cast<unsigned short>(40 + g)); // no mode
    CGateParameter& gate = header.config.gates[0];
    gate.SetType(GM_S);
    gate.SetStartA(1.0);
    gate.SetStopA(2.0);
    gate.SetStartB(3.0);
    gate.SetStopB(4.0);
    gate.SetOperator(GO_MINUS);
    gate.SetAlpha(0.5);
    CDataFileWriter writer;
    std::string message;
    writer.Create(first, header, message);
    for (int k = 0; k < kPulses; ++k) {
        CPulseData p;
        p.SetPulseIndex(k + 1);
        p.SetPulseTime(static_cast<long>(std::lround(k * 14.4)));
        p.SetTDelay(0.25);
        p.SetDarkCurrent(40);
        p.SetFrequencyPulse(6.94);
        const double t = k * 0.144;
        double height = 1000.0;
        for (double peak : {300.0, 1200.0, 2500.0})
            height += 50000.0 * std::exp(-(t - peak) * (t - peak) / 50.0);
        for (int i = 0; i < 250; ++i)
            p.AddData(static_cast<int>(height * std::exp(-i / 40.0)) + (k * 7 + i) % 13);
        writer.Append(p, message);
    }
    writer.Close(message);
    std::vector<std::string> paths = {first};
    for (int k = 2; k <= n; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "/in/run%02d.KLYN", k);
        fs::copy_file(first, Folder() + name, fs::copy_options::overwrite_existing);
        paths.push_back(Folder() + name);
    }
    return paths;
}

cli::CBatchRun::Settings Settings(std::vector<std::string> recordings, int workers)
{
    cli::CBatchRun::Settings settings;
    settings.recordings = std::move(recordings);
    settings.outFolder = Folder() + "/out";
    settings.workers = workers;
#ifdef TARVOLIN_REPORT_PDF
    if (!std::getenv("TARVOLIN_BENCH_BATCH_NO_PDF")) {
        settings.pdf = &OReportPdf::WriteDocument;
        settings.pdfScope = &OReportPdf::ApplicationScope;
    }
#endif
    return settings;
}

// Wall seconds of one run of the batch; 0 with the error set on state.
double Time(const cli::CBatchRun::Settings& settings, benchmark::State& state)
{
    cli::CBatchRun batch;
    std::ostringstream progress;
    std::string error;
    const auto start = Clock::now();
    if (!batch.Run(settings, progress, error) || batch.GetFailedCount() != 0) {
        state.SkipWithError((error + progress.str()).c_str());
        return 0.0;
    }
    return Seconds(start);
}

void BM_Batch(benchmark::State& state)
{
    const int n = Count();
    const std::vector<std::string> recordings = Recordings(n);
#ifdef TARVOLIN_REPORT_PDF
    // One graphical application for every run, made outside the measures.
    const std::shared_ptr<void> application = OReportPdf::ApplicationScope();
#endif
    Time(Settings({recordings[0]}, 1), state); // page cache warm, application made
    double serial = 0.0, batch = 0.0;
    for (auto _ : state) {
        serial += Time(Settings({recordings[0]}, 1), state) * n;
        batch += Time(Settings(recordings, 2), state);
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["recordings"] = n;
    state.counters["one_s"] = serial / iterations / n;
    state.counters["batch_s"] = batch / iterations;
    state.counters["batch_vs_serial"] = batch / serial;
}
BENCHMARK(BM_Batch)->Iterations(2)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
