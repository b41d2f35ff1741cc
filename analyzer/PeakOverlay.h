#pragma once
// OPeakOverlay: the peaks on a chromatogram view. For every shown trace each
// peak gets its retention time as a label above its apex, its baseline as a
// line from its start to its end, and a perpendicular from the baseline up
// to the trace where it touches a neighbour; the picked peak is drawn bold
// over a shaded span. A click on a peak picks it (the table selects its row).
//
// In manual integration mode a left drag draws a baseline: a new peak over
// it, or with Ctrl the peaks under it replaced by one. A right click on a
// peak offers "Split Peak Here" and "Delete Peak"; the Delete key deletes
// the picked peak. A refusal is reported through refused().
//
// The items are made again only when the peaks, the pick, the shown traces
// or the document's chromatogram change; zooming and scrolling move them
// with the axes at no cost.

#include <QObject>
#include <QPointer>
#include <QString>

#include "iPlotXControl.h"

class ODVDoc;
class OPlot;
class QAction;

class OPeakOverlay : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kSplitPeak = "Split Peak Here";
    static constexpr const char* kDeletePeak = "Delete Peak";

    // plot shows doc's chromatogram, trace t in slot t.
    OPeakOverlay(OPlot* plot, ODVDoc* doc);

    // Everything drawn again from the document's lists.
    void Redraw();

    // The peak at (x, y) - of the shown traces whose peak spans x, the one
    // whose apex lies nearest in y - becomes the picked one; none there
    // clears the pick. 1 when a peak was picked.
    int PickAt(double x, double y);

    void SetManualIntegration(bool bOn);
    bool IsManualIntegration() const;
    // The hand operations on the current trace; each 1, or 0 after refused().
    int DrawBaseline(double x1, double y1, double x2, double y2, bool bReplace);
    int SplitAt(double x);
    int DeleteAt(double x);
    int DeleteSelected();

    // The texts drawn (retention times), for the tests and the screenshot's check.
    QStringList Labels() const;
    // The chart's band that shades the picked peak.
    int GetHighlightBand() const { return m_nHighlight; }

signals:
    // A hand operation was refused; text says why (for the status bar).
    void refused(const QString& text);

private:
    void OnClick(int button, int shift, double x, double y);
    void ShowContextMenu(double x);
    int Refuse(const std::string& message);
    int CurrentTrace() const;
    bool IsShown(int trace) const;

    OPlot* m_pPlot;
    QPointer<ODVDoc> m_pDoc;
    int m_nHighlight = -1; // band index
    bool m_bManual = false;
    CiPlotXControl::MouseMode m_ePreviousMode = CiPlotXControl::MouseMode::ZoomBox;
    QAction* m_pDelete = nullptr;
};
