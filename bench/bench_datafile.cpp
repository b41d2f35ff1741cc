// The data file against the disk, both sides measured in the same run:
//
//  RecordingThroughput  pulses per second appended by the crash-safe writer
//                       (one write per pulse, a flush and count update every
//                       second, a final flush), against a plain sequential
//                       write of the same bytes ending with one flush:
//                       recording_vs_plain   the plain write also hands the
//                                            system one pulse per write, so
//                                            the ratio is what the encoding
//                                            and the checkpoints cost;
//                       recording_vs_blocks  the plain write uses 64 KiB
//                                            blocks: what one write per pulse
//                                            costs on top (the price of losing
//                                            nothing when the program dies).
//  ReadingThroughput    pulses per second delivered by the reader (header,
//                       record walk, every pulse decoded) against a plain
//                       sequential read of the same file in 1 MiB blocks:
//                       /0 from the disk (before each read, ours and the
//                       plain one alike, the file is flushed and its cached
//                       pages dropped: opening a recording), /1 from the
//                       page cache (the file read in just before each read:
//                       memory-bound, the hardest case for the decoder).
// Scratch files go to a folder of their own that is removed at the end.
#include "DataFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDistinct = 1000;
constexpr int kPulses = 600000; // about 630 MB: the writer runs for some seconds

// The scratch folder of this run: on the disk a recording would use, not in
// memory ($TARVOLIN_BENCH_DIR, else /var/tmp, else the temporary folder), and
// removed with everything in it when the run ends.
class CScratchFolder {
public:
    CScratchFolder()
    {
        std::filesystem::path base = "/var/tmp";
        if (const char* chosen = std::getenv("TARVOLIN_BENCH_DIR"); chosen && *chosen)
            base = chosen;
        else if (!std::filesystem::is_directory(base))
            base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "tarvolin-bench-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data()))
            m_path = made;
    }
    ~CScratchFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Set by main for the benchmarks' lifetime; nothing reads it after main returns.
const CScratchFolder* g_scratch = nullptr;

std::string Folder()
{
    return g_scratch->Path();
}

CPulseData Pulse(int index)
{
    CPulseData p;
    p.SetPulseIndex(index);
    p.SetPulseTime(index * 14);
    for (int i = 0; i < 250; ++i)
        p.AddData((index * 7 + i * 13) & 0xFFFFF);
    return p;
}

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Processor time of this thread, the system's work for it included.
double ThreadSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Writes the header and then kPulses records cycling through records.
double PlainWrite(const std::string& path, const std::vector<uint8_t>& header,
                  const std::vector<uint8_t>& records, size_t recordSize, size_t block)
{
    const auto start = Clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = ::write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size());
    const size_t perBlock = std::max<size_t>(1, block / recordSize);
    for (int written = 0; ok && written < kPulses;) {
        const size_t first = static_cast<size_t>(written % kDistinct);
        const size_t n = std::min({perBlock, static_cast<size_t>(kDistinct) - first,
                                   static_cast<size_t>(kPulses - written)});
        ok = ::write(fd, records.data() + first * recordSize, n * recordSize) ==
             static_cast<ssize_t>(n * recordSize);
        written += static_cast<int>(n);
    }
    ::fdatasync(fd);
    ::close(fd);
    return Seconds(start);
}

void BM_RecordingThroughput(benchmark::State& state)
{
    CDataFileHeader header;
    std::vector<uint8_t> headerBytes;
    header.Append(headerBytes);
    headerBytes.resize(headerBytes.size() + 4);
    std::vector<CPulseData> pulses;
    std::vector<uint8_t> records;
    for (int i = 0; i < kDistinct; ++i) {
        pulses.push_back(Pulse(i));
        pulses.back().AppendRecord(records);
    }
    const size_t recordSize = records.size() / kDistinct;
    const std::string path = Folder() + "/recording.KLYN";
    const std::string plainPath = Folder() + "/plain.bin";
    for (auto _ : state) {
        const double perPulse = PlainWrite(plainPath, headerBytes, records, recordSize, recordSize);
        std::filesystem::remove(plainPath);
        const double blocks = PlainWrite(plainPath, headerBytes, records, recordSize, 65536);
        std::filesystem::remove(plainPath);
        const auto start = Clock::now();
        CDataFileWriter writer;
        std::string message;
        writer.Create(path, header, message);
        for (int i = 0; i < kPulses; ++i)
            writer.Append(pulses[static_cast<size_t>(i % kDistinct)], message);
        const int64_t checkpoints = writer.GetCheckpoints();
        writer.Close(message);
        const double recording = Seconds(start);
        std::filesystem::remove(path);
        state.counters["pulses_per_s"] = kPulses / recording;
        state.counters["plain_pulses_per_s"] = kPulses / perPulse;
        state.counters["recording_vs_plain"] = perPulse / recording;
        state.counters["recording_vs_blocks"] = blocks / recording;
        state.counters["checkpoints"] = static_cast<double>(checkpoints);
    }
}
BENCHMARK(BM_RecordingThroughput)->Iterations(3)->UseRealTime()->Unit(benchmark::kSecond);

void BM_ReadingThroughput(benchmark::State& state)
{
    const std::string path = Folder() + "/reading.KLYN";
    {
        CDataFileHeader header;
        CDataFileWriter writer;
        std::string message;
        writer.Create(path, header, message);
        for (int i = 0; i < kPulses / 4; ++i)
            writer.Append(Pulse(i % kDistinct), message);
        writer.Close(message);
    }
    const bool cold = state.range(0) == 0;
    // Both reads start from the same cache state: the file's pages flushed and
    // dropped ("from disk"), or all of them read in just before ("from the
    // page cache").
    std::vector<uint8_t> block(1 << 20);
    const auto prepare = [&] {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (cold) {
            ::fdatasync(fd);
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        } else {
            while (::read(fd, block.data(), block.size()) > 0) {
            }
        }
        ::close(fd);
    };
    // From the disk the wait for the device counts, so the clock on the wall
    // measures; from the page cache the work is all processor time, which
    // other programs on the machine do not inflate as they do the wall clock.
    state.SetLabel(cold ? "from disk" : "from page cache (processor time)");
    const auto now = [cold] {
        return cold ? std::chrono::duration<double>(Clock::now().time_since_epoch()).count()
                    : ThreadSeconds();
    };
    // Totals over all iterations: one slow read on a shared machine moves
    // the ratio less than it would move the figures of a single iteration.
    double plainTotal = 0, readingTotal = 0;
    int64_t pulses = 0;
    for (auto _ : state) {
        prepare();
        double start = now();
        const int fd = ::open(path.c_str(), O_RDONLY);
        size_t total = 0;
        for (ssize_t r; (r = ::read(fd, block.data(), block.size())) > 0;)
            total += static_cast<size_t>(r);
        ::close(fd);
        benchmark::DoNotOptimize(total);
        const double plain = now() - start;

        prepare();
        start = now();
        CDataFileHeader header;
        CSalvageReport report;
        std::string message;
        long sum = 0;
        CDataFileReader::Read(
            path, header,
            [&](const CPulseData& p) {
                sum += p.GetData(0);
                return true;
            },
            report, message);
        benchmark::DoNotOptimize(sum);
        readingTotal += now() - start;
        plainTotal += plain;
        pulses += report.foundCount;
    }
    state.counters["pulses_per_s"] = static_cast<double>(pulses) / readingTotal;
    state.counters["plain_pulses_per_s"] = static_cast<double>(pulses) / plainTotal;
    state.counters["reading_vs_plain"] = plainTotal / readingTotal;
}
BENCHMARK(BM_ReadingThroughput)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const CScratchFolder scratch;
    if (scratch.Path().empty()) {
        std::fprintf(stderr, "bench_datafile: cannot create a scratch folder\n");
        return 1;
    }
    g_scratch = &scratch;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_scratch = nullptr;
    return 0;
}
