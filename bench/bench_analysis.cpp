// The Analyzer's library against the disk, both sides measured in the same run:
//
//  CalculationAndLoad  every pulse of a one-hour recording (25 000 pulses)
//                      through the gate calculation into the intermediate
//                      file and back into the chromatogram, against a plain
//                      sequential read of the same file in 1 MiB blocks, page
//                      cache warm: calc_vs_read is the throughput ratio
//                      (target at least 0.5).
//  Export              the chromatogram of that hour resampled onto the AIA
//                      grid and written as a netCDF file, against the plain
//                      read of its data file: export_vs_read is the time
//                      ratio (target below 1); /10 and /50 are the sampling
//                      rates in Hz.
//  Peaks               peak detection and integration of the five traces of
//                      that hour against their calculation from the data
//                      file (page cache warm): peaks_vs_calc is the ratio of
//                      the thread's processor time spent on each (target
//                      below 0.1), which other programs on the machine do
//                      not move.
#include "AiaExportModel.h"
#include "DVDocData.h"
#include "PeakDetector.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPulses = 25000; // one hour at about 7 pulses per second

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void Cleanup();

// A scratch folder beside the build (on the disk a recording would use),
// removed when the program ends.
const std::string& Folder()
{
    // Never destroyed, so that the clean-up at exit can still read it.
    static const std::string* folder = [] {
        std::string pattern = (std::filesystem::current_path() / "bench-analysis-XXXXXX").string();
        auto* made = new std::string(mkdtemp(pattern.data()));
        std::atexit(Cleanup);
        return made;
    }();
    return *folder;
}

// A one-hour run with a few peaks: pulse k stamped 14.4 k hundredths after
// the start, its 250 samples a decaying flash whose height carries the peaks.
const std::string& Recording()
{
    static const std::string path = [] {
        const std::string file = Folder() + "/hour.KLYN";
        CDataFileHeader header;
        header.StampNow();
        const double starts[5][4] = {{1.0, 2.0, 3.0, 4.0},
                                     {0.5, 1.5, 10.0, 11.0},
                                     {2.0, 2.5, 20.0, 24.9},
                                     {5.0, 6.0, 0.0, 0.0},
                                     {12.0, 14.0, 15.0, 18.0}};
        for (int g = 0; g < 5; ++g) {
            CGateParameter& gate = header.config.gates[g];
            gate.SetType(static_cast<unsigned short>(g));
            gate.SetStartA(starts[g][0]);
            gate.SetStopA(starts[g][1]);
            gate.SetStartB(starts[g][2]);
            gate.SetStopB(starts[g][3]);
            gate.SetOperator(GO_MINUS);
            gate.SetAlpha(0.5);
        }
        CDataFileWriter writer;
        std::string message;
        writer.Create(file, header, message);
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
        return file;
    }();
    return path;
}

double PlainRead(const std::string& path)
{
    static std::vector<uint8_t> block(1 << 20);
    const auto start = Clock::now();
    const int fd = ::open(path.c_str(), O_RDONLY);
    size_t total = 0;
    for (ssize_t r; (r = ::read(fd, block.data(), block.size())) > 0;)
        total += static_cast<size_t>(r);
    ::close(fd);
    benchmark::DoNotOptimize(total);
    return Seconds(start);
}

void BM_CalculationAndLoad(benchmark::State& state)
{
    const std::string& path = Recording();
    ODVDocData doc;
    std::string message;
    if (!doc.Open(path, message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    PlainRead(path); // page cache warm
    double plain = 0.0;
    double calc = 0.0;
    for (auto _ : state) {
        plain += PlainRead(path);
        const auto start = Clock::now();
        doc.Recalculate(message);
        calc += Seconds(start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["pulses"] = doc.GetPulseCount();
    state.counters["calc_pulses_per_s"] = doc.GetPulseCount() * n / calc;
    state.counters["read_pulses_per_s"] = doc.GetPulseCount() * n / plain;
    state.counters["calc_vs_read"] = plain / calc;
}
BENCHMARK(BM_CalculationAndLoad)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Export(benchmark::State& state)
{
    const std::string& path = Recording();
    ODVDocData doc;
    std::string message;
    if (!doc.Open(path, message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    const OChromatogram& c = doc.GetChromatogram();
    OAiaExportModel::Inputs in;
    in.documentPath = path;
    in.times = c.times;
    in.first = c.first;
    in.last = c.last;
    OAiaMapProfile profile;
    OAiaExportModel model;
    model.Init(in, profile, message);
    const int index = state.range(0) == 50 ? 3 : 1;
    model.SetSamplingRate(index, message);
    const std::string out = Folder() + "/hour.cdf";
    PlainRead(path);
    double plain = 0.0;
    double exported = 0.0;
    for (auto _ : state) {
        plain += PlainRead(path);
        const auto start = Clock::now();
        if (!model.Export(out, c, 0, nullptr, message)) {
            state.SkipWithError(message.c_str());
            return;
        }
        exported += Seconds(start);
    }
    state.counters["points"] = model.Fields().numberOfPoints;
    state.counters["export_vs_read"] = exported / plain;
}
BENCHMARK(BM_Export)->Arg(10)->Arg(50)->Iterations(20)->UseRealTime()->Unit(
    benchmark::kMillisecond);

// Time this thread has spent running, in seconds: what either side costs,
// whatever else the machine runs meanwhile.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

void BM_Peaks(benchmark::State& state)
{
    const std::string& path = Recording();
    ODVDocData doc;
    std::string message;
    if (!doc.Open(path, message)) {
        state.SkipWithError(message.c_str());
        return;
    }
    const OPeakParameters parameters;
    double calc = 0.0;
    double peaks = 0.0;
    size_t found = 0;
    for (auto _ : state) {
        double start = ThreadSeconds();
        doc.Recalculate(message);
        calc += ThreadSeconds() - start;
        start = ThreadSeconds();
        found = 0;
        const OChromatogram& c = doc.GetChromatogram();
        for (const std::vector<float>& trace : c.traces) {
            const OPeakIntegrator integrator(c.times, trace, parameters.smoothing);
            const std::vector<OPeak> list = OPeakDetector::Detect(integrator, parameters);
            found += list.size();
            benchmark::DoNotOptimize(list.data());
        }
        peaks += ThreadSeconds() - start;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["points"] = doc.GetChromatogram().GetCount();
    state.counters["peaks_found"] = static_cast<double>(found);
    state.counters["peaks_ms"] = 1000.0 * peaks / n;
    state.counters["calc_ms"] = 1000.0 * calc / n;
    state.counters["peaks_vs_calc"] = peaks / calc;
}
BENCHMARK(BM_Peaks)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);

void Cleanup()
{
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
}

} // namespace
