// Decoding cost of the record formats against a plain copy of the same bytes.
// The ratio (decode time / copy time) is what to watch: it says how much the
// bounds checks and field-by-field decoding cost over moving the bytes at all.
#include "ConfigFile.h"
#include "PulseData.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

namespace {

std::vector<uint8_t> PulseImage()
{
    CPulseData pulse;
    for (int i = 0; i < 250; ++i)
        pulse.AddData(i * 37);
    std::vector<uint8_t> bytes;
    pulse.AppendRecord(bytes);
    return bytes;
}

std::vector<uint8_t> ConfigImage()
{
    CConfigFile config;
    for (int i = 0; i < 20; ++i) {
        CTimedEventData e;
        e.SetEventTime(i * 1.5);
        e.SetEventCode(EC_RECORD);
        config.GetTimedEvent().AddTimedEvent(e);
    }
    std::vector<uint8_t> bytes;
    config.AppendImage(bytes);
    return bytes;
}

template <class F> double SecondsPerCall(F&& f, int calls)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / calls;
}

double CopySeconds(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> dest(bytes.size());
    return SecondsPerCall(
        [&] {
            std::memcpy(dest.data(), bytes.data(), bytes.size());
            benchmark::DoNotOptimize(dest.data());
            benchmark::ClobberMemory();
        },
        200000);
}

void BM_PulseRecordParse(benchmark::State& state)
{
    const auto bytes = PulseImage();
    CPulseData pulse;
    size_t used = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pulse.ParseRecord(bytes, used));
    }
    const double copy = CopySeconds(bytes);
    const double parse = SecondsPerCall([&] { benchmark::DoNotOptimize(pulse.ParseRecord(bytes, used)); }, 200000);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.counters["decode_vs_copy"] = parse / copy;
}
BENCHMARK(BM_PulseRecordParse);

void BM_ConfigFileParse(benchmark::State& state)
{
    const auto bytes = ConfigImage();
    CConfigFile config;
    std::string message;
    for (auto _ : state) {
        benchmark::DoNotOptimize(config.Parse(bytes, message));
    }
    const double copy = CopySeconds(bytes);
    const double parse = SecondsPerCall([&] { benchmark::DoNotOptimize(config.Parse(bytes, message)); }, 20000);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.counters["decode_vs_copy"] = parse / copy;
}
BENCHMARK(BM_ConfigFileParse);

} // namespace
