#include "LiveRun.h"

#include "LiveChromatogramStrip.h"
#include "PulseData.h"

CLiveRun::CLiveRun(CLiveChromatogramStrip* strip, SetUpSource source)
    : m_pStrip(strip), m_source(std::move(source))
{
}

void CLiveRun::TakeSetUp(const CConfigBlockSet& records)
{
    if (m_chromatogram.SetSetUp(records) && m_pStrip)
        m_pStrip->Rebuild(m_chromatogram);
}

void CLiveRun::Show(const OLiveChromatogram::Step& step)
{
    if (!m_pStrip)
        return;
    if (step.restarted)
        m_pStrip->Rebuild(m_chromatogram);
    else if (step.appended)
        m_pStrip->AppendLast(m_chromatogram);
}

void CLiveRun::OnRunState(bool running)
{
    // A run begins with the set-up the board holds, unless a recording
    // (started before the run, by hand) already decided it.
    if (running && !m_chromatogram.IsRunning() && !m_bRecording && m_source)
        TakeSetUp(m_source());
    Show(m_chromatogram.OnRunState(running));
}

void CLiveRun::OnPulse(const CPulseData& pulse, bool running)
{
    if (running && !m_chromatogram.IsRunning() && !m_bRecording && m_source)
        TakeSetUp(m_source());
    const OLiveChromatogram::Step step = m_chromatogram.OnPulse(pulse, running);
    // A restart and the new run's first point: the rebuild draws both.
    Show(step);
}

void CLiveRun::OnRecordingStarted(const CConfigBlockSet& header)
{
    m_bRecording = true;
    TakeSetUp(header);
}

void CLiveRun::OnRecordingFinished()
{
    // The run goes on with the set-up it has: the board still holds it.
    m_bRecording = false;
}

void CLiveRun::OnBoardSetUpChanged()
{
    if (!m_bRecording && m_source)
        TakeSetUp(m_source());
}
