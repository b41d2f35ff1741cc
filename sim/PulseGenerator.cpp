#include "PulseGenerator.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double kDarkLevel = 2000.0;
constexpr double kReadNoise = 25.0;
constexpr double kFlicker = 0.02;
constexpr double kMaxSample = 16777215.0; // 24-bit converter

// Height of the difference of exponentials at its maximum, so that Shape() peaks at 1.
double PeakOf(double rise, double decay)
{
    const double at = std::log(decay / rise) * rise * decay / (decay - rise);
    return std::exp(-at / decay) - std::exp(-at / rise);
}

} // namespace

CPulseGenerator::CPulseGenerator(std::vector<CSimCompound> program, uint32_t seed)
    : m_program(std::move(program)), m_seed(seed)
{
}

double CPulseGenerator::Shape(int channel, double ms)
{
    if (channel < 0 || channel >= kChannels)
        return 0.0;
    const CEmission& e = kEmission[channel];
    ms -= e.delayMs;
    if (ms <= 0.0)
        return 0.0;
    return (std::exp(-ms / e.decayMs) - std::exp(-ms / e.riseMs)) / PeakOf(e.riseMs, e.decayMs);
}

std::array<double, CPulseGenerator::kChannels> CPulseGenerator::Intensity(double runSeconds) const
{
    std::array<double, kChannels> level{};
    for (int c = 0; c < kChannels; ++c)
        level[static_cast<size_t>(c)] = kEmission[c].baseline;
    for (const CSimCompound& compound : m_program) {
        if (!(compound.widthSeconds > 0.0))
            continue;
        const double z = (runSeconds - compound.retentionSeconds) / compound.widthSeconds;
        if (std::fabs(z) > 10.0)
            continue;
        const double peak = std::exp(-0.5 * z * z);
        for (size_t c = 0; c < level.size(); ++c)
            level[c] += std::max(0.0, compound.response[c]) * peak;
    }
    return level;
}

CSimPulse CPulseGenerator::Generate(uint32_t index, int32_t timeHundredths, double runSeconds) const
{
    std::seed_seq seq{m_seed, index, 0x5eedu};
    std::mt19937 random(seq);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);

    CSimPulse pulse;
    pulse.index = index;
    pulse.time = timeHundredths;
    const double tDelay = uniform(random);
    pulse.tDelay = static_cast<float>(tDelay);
    // The dark current wanders slowly over the run and a little from pulse to pulse.
    const double dark = kDarkLevel + 40.0 * std::sin(runSeconds / 45.0) + 4.0 * gauss(random);
    pulse.darkCurrent = static_cast<uint32_t>(std::lround(std::max(0.0, dark)));
    pulse.ch1Offset = static_cast<uint32_t>(std::lround(1000.0 + 3.0 * gauss(random)));
    pulse.ch2Offset = static_cast<uint32_t>(std::lround(1100.0 + 3.0 * gauss(random)));

    const auto level = Intensity(runSeconds);
    const double flicker = 1.0 + kFlicker * gauss(random);
    const double onset = kOnsetMs + tDelay * kSampleMs;
    for (int i = 0; i < CSimPulse::kSamples; ++i) {
        const double ms = i * kSampleMs - onset;
        double light = 0.0;
        for (int c = 0; c < kChannels; ++c)
            light += level[static_cast<size_t>(c)] * Shape(c, ms);
        light *= flicker;
        const double sigma = std::sqrt(kReadNoise * kReadNoise + light);
        const double value = pulse.darkCurrent + light + sigma * gauss(random);
        pulse.samples[static_cast<size_t>(i)] =
            static_cast<uint32_t>(std::lround(std::clamp(value, 0.0, kMaxSample)));
    }
    return pulse;
}
