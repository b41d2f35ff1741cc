#pragma once
// Recordings for the analysis tests, written with the recorder's own writer.

#include "DataFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace recordings {

// Gate m of a set: windows A and B (ms), operator (GateOperator), alpha, square root.
inline CGateParameter Gate(unsigned short mode, double startA, double stopA, double startB,
                           double stopB, unsigned short op, double alpha, bool sqrt = false)
{
    CGateParameter g;
    g.SetType(mode);
    g.SetStartA(startA);
    g.SetStopA(stopA);
    g.SetStartB(startB);
    g.SetStopB(stopB);
    g.SetOperator(op);
    g.SetAlpha(alpha);
    g.SetSqroot(sqrt ? 1 : 0);
    return g;
}

// 250 samples base + i, T-delay, dark current, time (hundredths), index, frequency.
inline CPulseData Ramp(int base, double tDelay, unsigned dark, int time, int index = 0,
                       double frequency = 7.0)
{
    CPulseData p;
    p.SetPulseIndex(index);
    p.SetPulseTime(time);
    p.SetTDelay(tDelay);
    p.SetDarkCurrent(dark);
    p.SetFrequencyPulse(frequency);
    for (int i = 0; i < 250; ++i)
        p.AddData(base + i);
    return p;
}

// Writes a finished recording.
inline void Write(const std::string& path, const CDataFileHeader& header,
                  const std::vector<CPulseData>& pulses)
{
    CDataFileWriter writer;
    std::string message;
    ASSERT_EQ(writer.Create(path, header, message), 1) << message;
    for (const CPulseData& p : pulses)
        ASSERT_EQ(writer.Append(p, message), 1) << message;
    ASSERT_EQ(writer.Close(message), 1) << message;
}

// n pulses 0.14 s apart, pulse k a ramp from 100 (k + 1).
inline std::vector<CPulseData> Ramps(int n, int firstTime = 1000)
{
    std::vector<CPulseData> pulses;
    for (int k = 0; k < n; ++k)
        pulses.push_back(Ramp(100 * (k + 1), 0.5, 10, firstTime + 14 * k, k + 1));
    return pulses;
}

// A header with one S gate over samples 10..20 and nothing else set.
inline CDataFileHeader SimpleHeader()
{
    CDataFileHeader header;
    header.year = 2024;
    header.month = 3;
    header.day = 5;
    header.hour = 14;
    header.minute = 30;
    for (int g = 0; g < 5; ++g)
        header.config.gates[g].SetType(static_cast<unsigned short>(40 + g)); // no mode
    header.config.gates[0] = Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_MINUS, 0.0);
    return header;
}

} // namespace recordings
