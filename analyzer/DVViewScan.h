#pragma once
// ODVViewScan: the lower pane - the chromatogram of each gate mode in use
// (named after its gate, "Mode S") with a marker at the current pulse. When
// the current pulse's time is out of sight the view moves to it first. A
// double click on the chromatogram makes the pulse there the current one.

#include "DVPlot.h"

class OPeakOverlay;

class ODVViewScan : public ODVPlot {
    Q_OBJECT
public:
    static constexpr int kTraces = 5;

    explicit ODVViewScan(ODVDoc* doc, QWidget* parent = nullptr);

    // The traces and the marker again, and the full extent.
    void OnUpdate() override;
    // Only the marker (the current pulse changed).
    void ShowMarker();
    // The full extent: the chromatogram's bounds.
    void Restore() override;
    // The document's calculation and load again, then every view.
    void Recalculate();

    // The index of the pulse the marker stands at (-1 when none).
    int GetMarkedIndex() const { return m_nMarked; }
    bool IsMarkerShown() const;
    double GetMarkerTime() const;

    // The document's peaks drawn over the traces, and the hand integration.
    OPeakOverlay* Peaks() const { return m_pPeaks; }

protected:
    void OnDoubleClick(double x, double y) override;

private:
    void ShowFullExtent();

    int m_nMarker = -1;
    int m_nMarked = -1;
    OPeakOverlay* m_pPeaks = nullptr;
};
