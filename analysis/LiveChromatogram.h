#pragma once
// OLiveChromatogram: the chromatogram of the GC run in progress, grown one
// pulse at a time as the Monitor receives them.
//
// Each pulse gives one point per gate in use: x its run time (the pulse
// time, hundredths of a second, in seconds as a single-precision number),
// y its gate value from OGateCalculator with the working configuration
// derived (OCfgData::Derive) from the gate set-up - exactly what an
// Analyzer document computes for that pulse of a recording made with that
// set-up in its header.
//
// Run boundaries:
//   - a run begins when the run state turns on (status or pulse), or when a
//     pulse's time goes back while running (the board ended one run and
//     began the next between two polls): the points are emptied;
//   - when the run state turns off the points stay until the next run;
//   - pulses outside a run are not added (the board stamps no time there).
//
// Until a set-up is given no gate is in use and pulses add nothing.
// A change of the gate set-up keeps the points so far (they are what the
// gates showed then); later pulses use the new set-up. The gates in use
// (and their names) are those of the current set-up; a gate that was not
// in use before starts with the pulse after the change.

#include "CfgData.h"
#include "ConfigBlocks.h"
#include "DVChannels.h"
#include "GateCalculator.h"
#include "PulseData.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OLiveChromatogram {
public:
    static constexpr int kGates = OGateCalculator::kGates;

    // The points of one gate: times (s) and values, in arrival order.
    struct Trace {
        std::vector<float> times;
        std::vector<float> values;
    };

    // What one call changed, for a view that appends instead of redrawing.
    struct Step {
        bool restarted = false; // the points were emptied (a new run)
        bool appended = false;  // one point was added to each gate in use
    };

    OLiveChromatogram();

    // The records a recording's header holds (gates, board, channels; the
    // events play no part in the values). True when the set-up differs from
    // the one in use (the gates in use or their names may have changed).
    bool SetSetUp(const CConfigBlockSet& records);
    const CConfigBlockSet& GetSetUp() const { return m_setUp; }

    // The link's run state (status bit 0x0800).
    Step OnRunState(bool running);
    // A new pulse (one not seen before) with the run state read with it.
    Step OnPulse(const CPulseData& pulse, bool running);

    bool IsRunning() const { return m_bRunning; }
    // Gates in use by the current set-up, 0..5; trace m < GetGateCount().
    int GetGateCount() const { return m_nGates; }
    // "Mode S", "Mode P-2": the Analyzer's trace names.
    const std::string& GetGateName(int m) const { return m_descriptors[m].name; }
    const Trace& GetTrace(int m) const;
    // Pulses added in this run.
    int64_t GetPulseCount() const { return m_nPulses; }
    // The values of the last pulse added (valid when GetPulseCount() > 0).
    const OGateCalculator::Values& GetLastValues() const { return m_last; }
    float GetLastTime() const { return m_fLastTime; }
    // Largest value of any gate in use in this run (0 before any).
    float GetMaximum() const { return m_fMaximum; }

    // The run time of a pulse time (hundredths of a second), as the
    // Analyzer's chromatogram holds it.
    static float Seconds(long pulseTime);

private:
    Step Restart();

    CConfigBlockSet m_setUp;
    OCfgData m_cfg;
    ODVChannels m_descriptors;
    std::unique_ptr<OGateCalculator> m_pCalculator;
    int m_nGates = 0;
    std::array<Trace, kGates> m_traces;
    OGateCalculator::Values m_last{};
    float m_fLastTime = 0.0f;
    long m_nLastPulseTime = 0;
    float m_fMaximum = 0.0f;
    int64_t m_nPulses = 0;
    bool m_bRunning = false;
};
