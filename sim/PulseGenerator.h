#pragma once
// Shapes the 250 samples of one detector pulse (0.1 ms each) from the sample program.
//
// Light comes in three emission channels that differ in when they start and how fast they
// rise and decay inside the pulse: fast light is over within the first couple of
// milliseconds, medium light follows and lasts a few, slow light comes late and lasts most of
// the 25 ms. The strength of each channel follows the
// chromatographic peaks of the program over the run (plus a small baseline emission), so
// an early gate window traces the fast emitters and a late one the slow emitters.
//
// On top: the dark current (a level in every sample, reported in the trailer), Gaussian
// noise (read noise and shot noise), a few percent of pulse-to-pulse flicker, the two
// channel offsets (reported only) and the T-delay fraction: the part of a sample by which the
// pulse started late, which shifts the whole shape. Every random number comes from a
// generator seeded with the seed and the pulse index, so a pulse does not depend on which
// earlier pulses were generated.

#include "BoardBlocks.h"
#include "SimOptions.h"

#include <array>
#include <cstdint>
#include <vector>

class CPulseGenerator {
public:
    static constexpr int kChannels = 3;
    static constexpr double kSampleMs = 0.1;
    static constexpr double kOnsetMs = 0.5;

    struct CEmission {
        double delayMs; // after the pulse onset
        double riseMs;
        double decayMs;
        double baseline; // counts at the shape's peak without any compound
    };
    static constexpr CEmission kEmission[kChannels] = {
        {0.0, 0.05, 0.6, 400.0}, // fast
        {1.0, 0.5, 3.0, 250.0},  // medium
        {3.0, 2.0, 8.0, 150.0},  // slow
    };

    CPulseGenerator(std::vector<CSimCompound> program, uint32_t seed);

    // Strength of each emission channel at this run time, without noise or flicker.
    std::array<double, kChannels> Intensity(double runSeconds) const;
    // Shape of a channel (peak 1) at ms after the pulse onset; 0 before it.
    static double Shape(int channel, double ms);

    CSimPulse Generate(uint32_t index, int32_t timeHundredths, double runSeconds) const;

private:
    std::vector<CSimCompound> m_program;
    uint32_t m_seed;
};
