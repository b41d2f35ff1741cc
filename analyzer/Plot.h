#pragma once
// OPlot: one pane's chart with its legend and the measurement cursor.
//
// The chart has 12 trace slots; a slot takes a trace with a name, and the
// legend's box of the slot shows and hides it. Moving the mouse over the
// chart moves a crosshair and puts the readout into the status bar
// (cursorText): the cursor's position, or with snap to trace on the point of
// the shown trace nearest to it - of each shown trace that spans the
// cursor's x, its point nearest in x; of those, the one nearest in y. A click sets the base point
// the readout then measures from; a right click removes it.
//
// The plot keeps the views it went through, so Previous View goes back one
// zoom, scroll, fit or restore at a time.

#include "Legend.h"
#include "TraceSnap.h"
#include "ViewHistory.h"
#include "iPlotXControl.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <vector>

class OPlot : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSlots = OLegend::kSlots;
    // Zoom in and out change each axis' span by this factor about its centre.
    static constexpr double kZoomFactor = 2.0;

    explicit OPlot(QWidget* parent = nullptr);

    CiPlotXControl* Chart() const { return m_pChart; }
    OLegend* Legend() const { return m_pLegend; }

    // "Time (<unit>)" and "Counts".
    void SetAxisTitles(const QString& unit);

    // Slot colours are fixed by the view that owns the plot.
    void SetSlotColor(int slot, const QColor& color);
    // Slot takes a trace; an empty name leaves its legend box hidden.
    void SetTrace(int slot, const QString& name, const std::vector<double>& x,
                  const std::vector<double>& y);
    void ClearTrace(int slot);
    bool HasTrace(int slot) const;
    // Holds a trace whose legend box is checked.
    bool IsTraceShown(int slot) const;

    // With more than one run on the plot, the readout also names the trace
    // nearest the cursor and gives its value there.
    void SetTraceNamesInReadout(bool bNames);
    bool IsTraceNamesInReadout() const { return m_bNames; }

    void SetSnapToTrace(bool bSnap);
    bool IsSnapToTrace() const { return m_bSnap; }
    void SetGrid(bool bGrid);
    bool IsGrid() const;

    // Views. Each change first keeps the view it leaves.
    void ZoomIn();
    void ZoomOut();
    void ZoomToFit();
    // 1 when an earlier view came back.
    int PreviousView();
    bool HasPreviousView() const { return !m_history.IsEmpty(); }
    // Back to the pane's full extent.
    virtual void Restore() = 0;

    // The measurement cursor at (x, y) in axis units, as a mouse move there
    // does; inside is false when the mouse is off the axes.
    void MoveCursor(double x, double y, bool bInside);
    void LeaveCursor();
    // A click at (x, y): the readout's point there becomes the base point.
    void SetBaseAt(double x, double y);
    void ClearBasePoint();
    bool HasBasePoint() const { return m_bHasBase; }
    // The readout the status bar shows now ("" when none).
    const QString& GetCursorText() const { return m_strCursorText; }

    // The chart as a picture with a legend of the shown traces (the clipboard's).
    QImage Picture();
    void CopyToClipboard();

signals:
    // The readout for the status bar; empty when the cursor shows nothing.
    void cursorText(const QString& text);
    // Previous View became possible or impossible.
    void historyChanged();

protected:
    void PushView();
    void SetView(const CAxisRanges& ranges);
    // A legend box changed; derived plots redraw what follows it.
    virtual void OnTraceToggled(int slot, bool bChecked);
    // A double click on the chart.
    virtual void OnDoubleClick(double x, double y);
    // The operator is about to change the view (zoom, scroll, fit, restore,
    // previous view).
    virtual void OnViewChanging();
    // What the readout calls the trace of slot (its legend name unless a
    // view knows better).
    virtual QString ReadoutName(int slot) const;

private:
    // The point the readout shows for the cursor at (x, y); false when no
    // trace is shown.
    bool ReadoutPoint(double x, double y, double& px, double& py) const;
    // Of the shown traces that reach x, the point nearest (x, y) as snap to
    // trace finds it; false when none reaches x.
    bool NearestTracePoint(double x, double y, OSnapCandidate& nearest) const;
    void ShowCursorText(const QString& text);

    CiPlotXControl* m_pChart;
    OLegend* m_pLegend;
    std::array<QColor, kSlots> m_colors{};
    std::array<bool, kSlots> m_hasTrace{};
    OViewHistory m_history;
    bool m_bSnap = false;
    bool m_bNames = false;
    bool m_bHasBase = false;
    double m_dBaseX = 0.0;
    double m_dBaseY = 0.0;
    // The base before the last click: a double click does not move it.
    bool m_bHadBase = false;
    double m_dPrevBaseX = 0.0;
    double m_dPrevBaseY = 0.0;
    QString m_strCursorText;
};
