#pragma once
// ODVViewScan: the lower pane - the chromatogram of each gate mode in use
// (named after its gate, "Mode S") with a marker at the current pulse. When
// the current pulse's time is out of sight the view moves to it first. A
// double click on the chromatogram makes the pulse there the current one.
// Other runs can be laid beneath the view's own traces (Overlays()): each in
// its own colour, named in the legend after its file.

#include "DVPlot.h"

class OOverlaySet;
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

    // The runs laid over this view's traces, drawn in the slots after the gates'.
    static constexpr int kOverlaySlots = kSlots - kTraces;
    OOverlaySet* Overlays() const { return m_pOverlays; }
    // The overlaid runs again (the set or this document changed).
    void ShowOverlays();
    // The document's peaks drawn over the traces, and the hand integration.
    OPeakOverlay* Peaks() const { return m_pPeaks; }

protected:
    void OnDoubleClick(double x, double y) override;
    QString ReadoutName(int slot) const override;

private:
    void ShowFullExtent();
    QString GateName(int gate) const;

    OOverlaySet* m_pOverlays = nullptr;
    // What the overlaid runs cover, so that the full extent shows them too.
    bool m_bOverlayExtent = false;
    CAxisRanges m_overlayExtent;

    int m_nMarker = -1;
    int m_nMarked = -1;
    OPeakOverlay* m_pPeaks = nullptr;
};
