#include "LiveChromatogram.h"

#include <algorithm>

OLiveChromatogram::OLiveChromatogram() = default;

bool OLiveChromatogram::SetSetUp(const CConfigBlockSet& records)
{
    const bool same = m_pCalculator && records.gates == m_setUp.gates &&
                      records.board == m_setUp.board && records.channels == m_setUp.channels;
    m_setUp = records;
    if (same)
        return false;
    // A fresh configuration, as an Analyzer document opening the recording
    // derives it: nothing of an earlier set-up may leak into the values.
    m_cfg = OCfgData();
    m_cfg.Derive(records.gates, records.channels, records.board, records.events);
    m_descriptors.Rebuild(m_cfg);
    m_nGates = std::clamp<int>(m_cfg.GetNumGateModes(), 0, kGates);
    m_pCalculator = std::make_unique<OGateCalculator>(records.gates, records.channels, m_cfg);
    return true;
}

const OLiveChromatogram::Trace& OLiveChromatogram::GetTrace(int m) const
{
    return m_traces[static_cast<size_t>(std::clamp(m, 0, kGates - 1))];
}

float OLiveChromatogram::Seconds(long pulseTime)
{
    return static_cast<float>(static_cast<int32_t>(pulseTime) / 100.0);
}

OLiveChromatogram::Step OLiveChromatogram::Restart()
{
    for (Trace& trace : m_traces) {
        trace.times.clear();
        trace.values.clear();
    }
    m_last = {};
    m_fLastTime = 0.0f;
    m_nLastPulseTime = 0;
    m_fMaximum = 0.0f;
    m_nPulses = 0;
    Step step;
    step.restarted = true;
    return step;
}

OLiveChromatogram::Step OLiveChromatogram::OnRunState(bool running)
{
    Step step;
    if (running && !m_bRunning)
        step = Restart();
    m_bRunning = running;
    return step;
}

OLiveChromatogram::Step OLiveChromatogram::OnPulse(const CPulseData& pulse, bool running)
{
    Step step = OnRunState(running);
    if (!running || !m_pCalculator)
        return step;
    // Time going back within a run: the board began another run between two polls.
    if (m_nPulses > 0 && pulse.GetPulseTime() < m_nLastPulseTime)
        step = Restart();

    m_last = m_pCalculator->Compute(pulse);
    m_nLastPulseTime = pulse.GetPulseTime();
    m_fLastTime = Seconds(pulse.GetPulseTime());
    for (int m = 0; m < m_nGates; ++m) {
        Trace& trace = m_traces[static_cast<size_t>(m)];
        const float value = m_last[static_cast<size_t>(m)];
        trace.times.push_back(m_fLastTime);
        trace.values.push_back(value);
        m_fMaximum = std::max(m_fMaximum, value);
    }
    ++m_nPulses;
    step.appended = true;
    return step;
}
