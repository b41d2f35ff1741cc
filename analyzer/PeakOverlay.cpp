#include "PeakOverlay.h"

#include "DVDoc.h"
#include "DVPlot.h"
#include "PeakTableCsv.h"
#include "Plot.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include <cmath>
#include <limits>

namespace {

const QColor kHighlight(230, 110, 0);

QColor Ink(int trace)
{
    return ODVPlot::GateColor(trace).darker(150);
}

} // namespace

OPeakOverlay::OPeakOverlay(OPlot* plot, ODVDoc* doc) : QObject(plot), m_pPlot(plot), m_pDoc(doc)
{
    CiPlotXControl* chart = m_pPlot->Chart();
    QColor band = kHighlight;
    band.setAlpha(45);
    m_nHighlight = chart->AddBand(band);
    connect(doc->Peaks(), &ODocPeaks::peaksChanged, this, &OPeakOverlay::Redraw);
    connect(doc->Peaks(), &ODocPeaks::selectionChanged, this, &OPeakOverlay::Redraw);
    connect(m_pPlot->Legend(), &OLegend::toggled, this, &OPeakOverlay::Redraw);
    connect(chart, &CiPlotXControl::chartMouseEvent, this, &OPeakOverlay::OnClick);
    connect(chart, &CiPlotXControl::lineDrawn, this,
            [this](double x1, double y1, double x2, double y2, int shift) {
                DrawBaseline(x1, y1, x2, y2, (shift & 2) != 0);
            });
    m_pDelete = new QAction(QString::fromLatin1(kDeletePeak), chart);
    m_pDelete->setShortcut(QKeySequence::Delete);
    m_pDelete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    chart->addAction(m_pDelete);
    connect(m_pDelete, &QAction::triggered, this, [this] {
        if (IsManualIntegration())
            DeleteSelected();
    });
}

bool OPeakOverlay::IsShown(int trace) const
{
    return m_pPlot->IsTraceShown(trace);
}

int OPeakOverlay::CurrentTrace() const
{
    return m_pDoc ? m_pDoc->Peaks()->GetCurrentTrace() : -1;
}

void OPeakOverlay::Redraw()
{
    CiPlotXControl* chart = m_pPlot->Chart();
    std::vector<CPlotSegment> segments;
    std::vector<CPlotLabel> labels;
    bool highlighted = false;
    ODocPeaks* peaks = m_pDoc ? m_pDoc->Peaks() : nullptr;
    const int traces = peaks ? peaks->GetTraceCount() : 0;
    for (int t = 0; t < traces; ++t) {
        if (!IsShown(t))
            continue;
        const std::vector<OPeak>& list = peaks->GetPeaks(t);
        const OPeakIntegrator trace = m_pDoc->Data().GetPeakIntegrator(t);
        for (size_t i = 0; i < list.size(); ++i) {
            const OPeak& p = list[i];
            const bool picked =
                t == peaks->GetSelectedTrace() && static_cast<int>(i) == peaks->GetSelectedIndex();
            const QColor ink = picked ? kHighlight : Ink(t);
            const double width = picked ? 2.5 : 1.0;
            segments.push_back({p.startTime, p.BaselineAt(p.startTime), p.endTime,
                                p.BaselineAt(p.endTime), ink, width, Qt::SolidLine});
            // A perpendicular where the peak touches its neighbour; drawn
            // once, at the start of the later one, unless only this one says so.
            if (p.perpendicularStart)
                segments.push_back({p.startTime, p.BaselineAt(p.startTime), p.startTime,
                                    trace.ValueAt(p.startTime), ink, width, Qt::SolidLine});
            if (p.perpendicularEnd && (picked || i + 1 == list.size() ||
                                       !list[i + 1].perpendicularStart))
                segments.push_back({p.endTime, p.BaselineAt(p.endTime), p.endTime,
                                    trace.ValueAt(p.endTime), ink, width, Qt::SolidLine});
            labels.push_back({p.retentionTime, p.BaselineAt(p.retentionTime) + p.height,
                              QString::fromStdString(OPeakTableCsv::Number(p.retentionTime, 2)),
                              ink, picked});
            if (picked) {
                chart->SetBand(m_nHighlight, p.startTime, p.endTime);
                highlighted = true;
            }
        }
    }
    chart->SetBandVisible(m_nHighlight, highlighted);
    chart->SetAnnotations(segments, labels);
    chart->Replot();
}

QStringList OPeakOverlay::Labels() const
{
    return m_pPlot->Chart()->GetAnnotationTexts();
}

int OPeakOverlay::PickAt(double x, double y)
{
    if (!m_pDoc)
        return 0;
    ODocPeaks* peaks = m_pDoc->Peaks();
    int bestTrace = -1;
    int bestIndex = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int t = 0; t < peaks->GetTraceCount(); ++t) {
        if (!IsShown(t))
            continue;
        const int index = peaks->PeakAt(t, x);
        if (index < 0)
            continue;
        const OPeak& p = peaks->GetPeaks(t)[static_cast<size_t>(index)];
        const double distance = std::abs(y - (p.BaselineAt(p.retentionTime) + p.height));
        // The current trace wins a tie (traces on top of each other).
        if (distance < bestDistance || (distance == bestDistance && t == CurrentTrace())) {
            bestDistance = distance;
            bestTrace = t;
            bestIndex = index;
        }
    }
    peaks->Select(bestTrace, bestIndex);
    return bestIndex >= 0 ? 1 : 0;
}

void OPeakOverlay::OnClick(int button, int shift, double x, double y)
{
    if (button == 1 && shift == 0)
        PickAt(x, y);
    else if (button == 2 && IsManualIntegration())
        ShowContextMenu(x);
}

void OPeakOverlay::ShowContextMenu(double x)
{
    if (!m_pDoc || m_pDoc->Peaks()->PeakAt(CurrentTrace(), x) < 0)
        return;
    QMenu menu(m_pPlot);
    QAction* split = menu.addAction(QString::fromLatin1(kSplitPeak));
    QAction* remove = menu.addAction(QString::fromLatin1(kDeletePeak));
    QAction* chosen = menu.exec(QCursor::pos());
    if (chosen == split)
        SplitAt(x);
    else if (chosen == remove)
        DeleteAt(x);
}

void OPeakOverlay::SetManualIntegration(bool bOn)
{
    CiPlotXControl* chart = m_pPlot->Chart();
    if (bOn == IsManualIntegration())
        return;
    if (bOn) {
        m_ePreviousMode = chart->GetMouseMode();
        chart->SetMouseMode(CiPlotXControl::MouseMode::DrawLine);
        chart->setCursor(Qt::CrossCursor);
    } else {
        chart->SetMouseMode(m_ePreviousMode);
        chart->unsetCursor();
    }
    m_bManual = bOn;
}

bool OPeakOverlay::IsManualIntegration() const
{
    // Another mouse mode chosen on the toolbar ends the mode too.
    return m_bManual && m_pPlot->Chart()->GetMouseMode() == CiPlotXControl::MouseMode::DrawLine;
}

int OPeakOverlay::Refuse(const std::string& message)
{
    emit refused(QString::fromStdString(message));
    return 0;
}

int OPeakOverlay::DrawBaseline(double x1, double y1, double x2, double y2, bool bReplace)
{
    if (!m_pDoc)
        return 0;
    std::string message;
    if (!m_pDoc->Peaks()->AddPeak(CurrentTrace(), {x1, y1}, {x2, y2}, bReplace, message))
        return Refuse(message);
    return 1;
}

int OPeakOverlay::SplitAt(double x)
{
    if (!m_pDoc)
        return 0;
    std::string message;
    if (!m_pDoc->Peaks()->SplitPeak(CurrentTrace(), x, message))
        return Refuse(message);
    return 1;
}

int OPeakOverlay::DeleteAt(double x)
{
    if (!m_pDoc)
        return 0;
    const int index = m_pDoc->Peaks()->PeakAt(CurrentTrace(), x);
    std::string message;
    if (!m_pDoc->Peaks()->DeletePeak(CurrentTrace(), index, message))
        return Refuse(message);
    return 1;
}

int OPeakOverlay::DeleteSelected()
{
    if (!m_pDoc)
        return 0;
    ODocPeaks* peaks = m_pDoc->Peaks();
    if (peaks->GetSelectedIndex() < 0)
        return Refuse("No peak is selected.");
    std::string message;
    if (!peaks->DeletePeak(peaks->GetSelectedTrace(), peaks->GetSelectedIndex(), message))
        return Refuse(message);
    return 1;
}
