#pragma once
// CLiveRun: the live chromatogram of the Monitor's window - the window hands
// it the poller's news (run state, each new pulse) and the recording's start
// and end; it keeps the chromatogram (OLiveChromatogram) and the strip that
// draws it (CLiveChromatogramStrip) in step.
//
// Which gate set-up the values are computed with:
//   - at the start of a run, the board's set-up as the window knows it
//     (the parameter dialogs' records, asked for through the set-up source);
//   - while a recording runs, the recording's header: the file's chromatogram
//     in the Analyzer then shows the same values as the strip. A recording
//     started during a run keeps the run so far;
//   - gates sent to the board while nothing is recorded.
// At the end of a run the trace stays shown until the next run begins.

#include "ConfigBlocks.h"
#include "LiveChromatogram.h"

#include <functional>

class CLiveChromatogramStrip;
class CPulseData;

class CLiveRun {
public:
    using SetUpSource = std::function<CConfigBlockSet()>;

    // strip may be null (no drawing); source gives the board's set-up as
    // the window knows it.
    CLiveRun(CLiveChromatogramStrip* strip, SetUpSource source);

    void OnRunState(bool running);
    void OnPulse(const CPulseData& pulse, bool running);
    // The recording's header records; they rule until the recording ends.
    void OnRecordingStarted(const CConfigBlockSet& header);
    void OnRecordingFinished();
    // The window learnt a new set-up of the board (read from it, or gates sent).
    void OnBoardSetUpChanged();

    const OLiveChromatogram& Chromatogram() const { return m_chromatogram; }
    bool IsFollowingRecording() const { return m_bRecording; }

private:
    void Show(const OLiveChromatogram::Step& step);
    void TakeSetUp(const CConfigBlockSet& records);

    CLiveChromatogramStrip* m_pStrip;
    SetUpSource m_source;
    OLiveChromatogram m_chromatogram;
    bool m_bRecording = false;
};
