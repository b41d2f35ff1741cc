#pragma once
// ODocPeaks: the peak lists of one Analyzer document and the document's peak
// parameters, with a signal for every change so that the peak table and the
// chromatogram view follow at once. A trace's list is found the first time
// somebody asks for it (GetPeaks) and found again by the data side after
// every recalculation and every change of the parameters; hand edits
// (OManualIntegration) replace it until then.
//
// It also keeps the one peak the user picked - in the table or in the view -
// so that both show the same one (selectionChanged).

#include "ManualIntegration.h"
#include "Peak.h"
#include "PeakParameters.h"

#include <QObject>

#include <string>
#include <vector>

class ODVDocData;

class ODocPeaks : public QObject {
    Q_OBJECT
public:
    // data outlives this object (the document owns both).
    explicit ODocPeaks(ODVDocData& data, QObject* parent = nullptr);

    // The traces a list can be asked for: the gate modes in use.
    int GetTraceCount() const;
    // The list of trace in time order, found now when it was never asked for;
    // empty for a trace that does not exist or a closed document.
    const std::vector<OPeak>& GetPeaks(int trace);
    // Whether trace's list exists already (asking for it costs nothing then).
    bool HasPeaks(int trace) const;

    const OPeakParameters& GetParameters() const;
    // New parameters: every list is found again at once. 1, or 0 with message
    // and nothing changed when a value is out of range.
    int SetParameters(const OPeakParameters& parameters, std::string& message);

    // The hand operations of OManualIntegration on trace's list. 1, or 0 with
    // the refusal's message and the list unchanged.
    int AddPeak(int trace, OManualIntegration::Point a, OManualIntegration::Point b, bool replace,
                std::string& message);
    int SplitPeak(int trace, double time, std::string& message);
    int DeletePeak(int trace, int index, std::string& message);
    // The index of trace's peak whose bounds hold time; -1 when none does.
    int PeakAt(int trace, double time);

    // The trace the hand operations act on: the one the table shows, or the
    // trace of the peak picked last.
    void SetCurrentTrace(int trace) { m_nCurrentTrace = trace; }
    int GetCurrentTrace() const { return m_nCurrentTrace; }

    // The picked peak; -1 for none.
    void Select(int trace, int index);
    int GetSelectedTrace() const { return m_nSelectedTrace; }
    int GetSelectedIndex() const { return m_nSelectedIndex; }

    // The chromatogram was calculated again: the data side found the lists
    // again, so every trace that had one changed.
    void OnChromatogramChanged();

signals:
    void peaksChanged(int trace);
    void selectionChanged(int trace, int index);

private:
    // Stores a changed list and tells everybody. 1, or 0 with message.
    int Commit(int trace, std::vector<OPeak> peaks, std::string& message);
    bool ValidTrace(int trace) const;

    ODVDocData& m_data;
    int m_nCurrentTrace = 0;
    int m_nSelectedTrace = -1;
    int m_nSelectedIndex = -1;
};
