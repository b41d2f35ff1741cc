#pragma once
// A run of the board simulator's model written as the recorder writes it,
// for the tools that take the documentation's pictures.
#include "DataFile.h"
#include "GcRun.h"
#include "PulseGenerator.h"
#include "SimOptions.h"

#include <string>
#include <vector>

namespace screenshot {

inline CGateParameter Gate(unsigned short mode, double startA, double stopA)
{
    CGateParameter gate;
    gate.SetType(mode);
    gate.SetStartA(startA);
    gate.SetStopA(stopA);
    gate.SetStartB(20.0);
    gate.SetStopB(24.0);
    gate.SetOperator(GO_MINUS);
    gate.SetAlpha(0.0);
    return gate;
}

// A run of the simulator's model written as the recorder writes it: 7
// pulses a second, each stamped with its run time.
inline bool Record(const std::string& path, const std::vector<CSimCompound>& program,
                   uint32_t seed, double seconds)
{
    CDataFileHeader header;
    header.StampNow();
    CGateParameters& gates = header.config.gates;
    gates[0] = Gate(GM_S, 0.1, 1.0);  // the fast light
    gates[1] = Gate(GM_P, 1.5, 4.0);  // the medium light
    gates[2] = Gate(GM_C, 6.0, 14.0); // the slow light
    for (int g = 3; g < 5; ++g)
        gates[g].SetType(static_cast<unsigned short>(40 + g)); // not in use
    // Above the dark level: the gates follow the pulse's rising edge.
    header.config.board.SetTriggerLevel(2300);
    header.config.board.SetAdcTriggerLevel(2300);
    CDataFileWriter writer;
    std::string message;
    if (!writer.Create(path, header, message))
        return false;
    const double rate = 7.0;
    const CPulseGenerator generator(program, seed);
    for (uint32_t k = 1; k <= static_cast<uint32_t>(seconds * rate); ++k) {
        const double t = k / rate;
        const CSimPulse sim = generator.Generate(k, CGcRun::Hundredths(t), t);
        CPulseData pulse;
        pulse.SetPulseIndex(static_cast<long>(sim.index));
        pulse.SetPulseTime(sim.time);
        pulse.SetCh1Offset(sim.ch1Offset);
        pulse.SetCh2Offset(sim.ch2Offset);
        pulse.SetTDelay(sim.tDelay);
        pulse.SetDarkCurrent(sim.darkCurrent);
        pulse.SetFrequencyPulse(rate);
        for (uint32_t sample : sim.samples)
            pulse.AddData(static_cast<int>(sample));
        if (!writer.Append(pulse, message))
            return false;
    }
    return writer.Close(message) == 1;
}

} // namespace screenshot
