#pragma once
// OOverlaySet: the runs one chromatogram view lays over its own trace so that
// a chemist can compare them - other open documents, followed for as long as
// they stay open, and reference recordings loaded for the overlay alone.
//
// Every run shows the same gate (the overlaid gate) and keeps the colour it
// was given for as long as it stays in the set: removing one run never
// repaints the others. The colours stay apart from each other and from the
// five gate colours, so an overlaid run is never mistaken for a gate.
//
// The transforms answer the two questions of a comparison:
//   align starts  each run is shifted in time so that its first point lies
//                 at the view's start time (runs started at different
//                 moments line up);
//   normalise     each run is scaled so that its highest value equals the
//                 view's own highest value (different amounts injected).
//
// A document leaves the set when it closes (its closed signal) or is
// destroyed; the set never reads a document that has gone.

#include "Chromatogram.h"
#include "DVDocData.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class ODVDoc;

class OOverlaySet : public QObject {
    Q_OBJECT
public:
    // As many runs as the plot has trace slots beside the five gates.
    static constexpr int kMaxRuns = 7;

    // A recording loaded for the overlay alone: its chromatogram and the
    // names of the gates it uses.
    struct OReference {
        OChromatogram chromatogram;
        QStringList gateNames;
    };

    explicit OOverlaySet(QObject* parent = nullptr);

    // 1 when added; 0 for null, a document already in the set, or a full set.
    int AddDocument(ODVDoc* doc);
    // 1 when doc was in the set.
    int RemoveDocument(const ODVDoc* doc);
    bool HasDocument(const ODVDoc* doc) const;
    // 1 when added, 0 when the set is full. label names the run (its file name).
    int AddReference(const QString& label, OReference reference);
    // Every run has an id of its own for as long as it is in the set (a menu
    // entry finds its run by it, whatever left the set meanwhile).
    int GetRunId(int run) const;
    // 1 when the run with that id was in the set.
    int RemoveRunById(int id);
    void Clear();

    int GetCount() const { return static_cast<int>(m_runs.size()); }
    bool IsFull() const { return GetCount() >= kMaxRuns; }
    QString GetLabel(int run) const;
    QColor GetColor(int run) const;
    // The run's document; null for a reference recording (or a bad index).
    ODVDoc* GetDocument(int run) const;

    // The gate every run shows (0..4).
    void SetGate(int gate);
    int GetGate() const { return m_nGate; }
    void SetAlignStarts(bool bAlign);
    bool IsAlignStarts() const { return m_bAlign; }
    void SetNormalise(bool bNormalise);
    bool IsNormalise() const { return m_bNormalise; }

    // The run's trace of the overlaid gate with the transforms that are on,
    // against the view's start time and highest value. false when the run
    // has no such gate or no points (x and y then empty).
    bool GetTrace(int run, double viewStart, double viewHighest, std::vector<double>& x,
                  std::vector<double>& y) const;

    // Shifts x so that its first point lies at start.
    static void AlignStart(std::vector<double>& x, double start);
    // Scales y so that its highest value equals highest. A run without a
    // value above zero, or a view without one, has nothing to be scaled to
    // and stays as it is.
    static void Normalise(std::vector<double>& y, double highest);
    // The highest finite value of y; 0 for none.
    static double Highest(const std::vector<double>& y);

    // Colour n of the overlay palette (n taken modulo kMaxRuns).
    static QColor Palette(int n);

    // Opens path with the same calculation a document gets and keeps its
    // chromatogram; the intermediate file goes again at once. 1, or 0 with
    // the message to show and the technical reason (may be empty).
    static int LoadReference(const std::string& path, const ODVDocData::Options& options,
                             OReference& reference, std::string& message, std::string& reason);

signals:
    // Runs came or went, a run's chromatogram changed, or a transform or the
    // gate changed: whatever is drawn must be drawn again.
    void changed();

private:
    struct ORun {
        QPointer<ODVDoc> doc; // null for a reference recording
        // Only compared, never followed: finds the entry of a document being destroyed.
        const ODVDoc* address = nullptr;
        OReference reference;
        QString label;
        int color = 0;
        int id = 0;
    };
    int FreeColor() const;
    bool ValidRun(int run) const { return run >= 0 && run < GetCount(); }

    std::vector<ORun> m_runs;
    int m_nGate = 0;
    int m_nNextId = 1;
    bool m_bAlign = false;
    bool m_bNormalise = false;
};
