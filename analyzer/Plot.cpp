#include "Plot.h"

#include "CursorText.h"
#include "TraceSnap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>

namespace {

bool ValidSlot(int slot)
{
    return slot >= 0 && slot < OPlot::kSlots;
}

} // namespace

OPlot::OPlot(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pChart = new CiPlotXControl(this);
    m_pLegend = new OLegend(this);
    m_pLegend->setMinimumWidth(150);
    layout->addWidget(m_pChart, 1);
    layout->addWidget(m_pLegend, 0);
    for (int slot = 0; slot < kSlots; ++slot) {
        m_colors[static_cast<size_t>(slot)] = Qt::black;
        m_pChart->AddChannel(Qt::black);
    }
    m_pChart->SetYAxisTitle(QStringLiteral("Counts"));
    m_pChart->SetGridVisible(true);

    connect(m_pLegend, &OLegend::toggled, this, [this](int slot, bool checked) {
        m_pChart->SetChannelVisible(slot, checked && HasTrace(slot));
        OnTraceToggled(slot, checked);
        m_pChart->Replot();
    });
    connect(m_pChart, &CiPlotXControl::cursorMoved, this, &OPlot::MoveCursor);
    connect(m_pChart, &CiPlotXControl::cursorLeft, this, &OPlot::LeaveCursor);
    connect(m_pChart, &CiPlotXControl::chartMouseEvent, this,
            [this](int button, int shift, double x, double y) {
                if (button == 1 && shift == 0)
                    SetBaseAt(x, y);
                else if (button == 2)
                    ClearBasePoint();
            });
    connect(m_pChart, &CiPlotXControl::chartDoubleClicked, this, [this](double x, double y) {
        // The first click of the pair set a base point; the pair means something else.
        m_bHasBase = m_bHadBase;
        m_dBaseX = m_dPrevBaseX;
        m_dBaseY = m_dPrevBaseY;
        m_pChart->SetBasePointMark(m_bHasBase, m_dBaseX, m_dBaseY);
        OnDoubleClick(x, y);
    });
    connect(m_pChart, &CiPlotXControl::zoomBoxAboutToApply, this,
            [this](CAxisRanges&, bool&) { PushView(); });
    connect(m_pChart, &CiPlotXControl::viewAboutToChange, this, &OPlot::PushView);
}

void OPlot::SetAxisTitles(const QString& unit)
{
    m_pChart->SetXAxisTitle(QStringLiteral("Time (%1)").arg(unit));
    m_pChart->SetYAxisTitle(QStringLiteral("Counts"));
}

void OPlot::SetSlotColor(int slot, const QColor& color)
{
    if (!ValidSlot(slot))
        return;
    m_colors[static_cast<size_t>(slot)] = color;
    m_pChart->SetChannelColor(slot, color);
}

void OPlot::SetTrace(int slot, const QString& name, const std::vector<double>& x,
                     const std::vector<double>& y)
{
    if (!ValidSlot(slot))
        return;
    const int count = static_cast<int>(std::min(x.size(), y.size()));
    m_pChart->SetChannelData(slot, x.data(), y.data(), count);
    m_pChart->SetChannelName(slot, name);
    m_hasTrace[static_cast<size_t>(slot)] = true;
    m_pLegend->SetEntry(slot, name, m_colors[static_cast<size_t>(slot)]);
    m_pChart->SetChannelVisible(slot, m_pLegend->IsChecked(slot));
}

void OPlot::ClearTrace(int slot)
{
    if (!ValidSlot(slot))
        return;
    m_pChart->SetChannelData(slot, nullptr, nullptr, 0);
    m_pChart->SetChannelName(slot, QString());
    m_pChart->SetChannelVisible(slot, false);
    m_hasTrace[static_cast<size_t>(slot)] = false;
    m_pLegend->SetEntry(slot, QString(), m_colors[static_cast<size_t>(slot)]);
}

bool OPlot::HasTrace(int slot) const
{
    return ValidSlot(slot) && m_hasTrace[static_cast<size_t>(slot)];
}

bool OPlot::IsTraceShown(int slot) const
{
    return HasTrace(slot) && m_pLegend->IsChecked(slot);
}

void OPlot::SetTraceNamesInReadout(bool bNames)
{
    m_bNames = bNames;
}

QString OPlot::ReadoutName(int slot) const
{
    return m_pChart->GetChannelName(slot);
}

void OPlot::SetSnapToTrace(bool bSnap)
{
    m_bSnap = bSnap;
}

void OPlot::SetGrid(bool bGrid)
{
    m_pChart->SetGridVisible(bGrid);
    m_pChart->Replot();
}

bool OPlot::IsGrid() const
{
    return m_pChart->IsGridVisible();
}

void OPlot::OnViewChanging()
{
}

void OPlot::PushView()
{
    OnViewChanging();
    const bool wasEmpty = m_history.IsEmpty();
    m_history.Push(m_pChart->GetRanges());
    if (wasEmpty)
        emit historyChanged();
}

void OPlot::SetView(const CAxisRanges& ranges)
{
    m_pChart->SetRanges(ranges);
    m_pChart->Replot();
}

void OPlot::ZoomIn()
{
    PushView();
    const CAxisRanges r = m_pChart->GetRanges();
    const double cx = (r.dXMin + r.dXMax) / 2.0;
    const double cy = (r.dYMin + r.dYMax) / 2.0;
    const double hx = (r.dXMax - r.dXMin) / (2.0 * kZoomFactor);
    const double hy = (r.dYMax - r.dYMin) / (2.0 * kZoomFactor);
    SetView({cx - hx, cx + hx, cy - hy, cy + hy});
}

void OPlot::ZoomOut()
{
    PushView();
    const CAxisRanges r = m_pChart->GetRanges();
    const double cx = (r.dXMin + r.dXMax) / 2.0;
    const double cy = (r.dYMin + r.dYMax) / 2.0;
    const double hx = (r.dXMax - r.dXMin) * kZoomFactor / 2.0;
    const double hy = (r.dYMax - r.dYMin) * kZoomFactor / 2.0;
    SetView({cx - hx, cx + hx, cy - hy, cy + hy});
}

void OPlot::ZoomToFit()
{
    PushView();
    m_pChart->FitToData();
    m_pChart->Replot();
}

int OPlot::PreviousView()
{
    CAxisRanges ranges;
    if (!m_history.Pop(ranges))
        return 0;
    OnViewChanging();
    SetView(ranges);
    if (m_history.IsEmpty())
        emit historyChanged();
    return 1;
}

void OPlot::OnTraceToggled(int, bool)
{
}

void OPlot::OnDoubleClick(double, double)
{
}

bool OPlot::ReadoutPoint(double x, double y, double& px, double& py) const
{
    if (!m_bSnap) {
        // The cursor's own position, while there is a trace to read it against.
        for (int slot = 0; slot < kSlots; ++slot) {
            if (IsTraceShown(slot)) {
                px = x;
                py = y;
                return true;
            }
        }
        return false;
    }
    OSnapCandidate nearest;
    if (!NearestTracePoint(x, y, nearest))
        return false;
    px = nearest.x;
    py = nearest.y;
    return true;
}

bool OPlot::NearestTracePoint(double x, double y, OSnapCandidate& nearest) const
{
    std::vector<OSnapCandidate> candidates;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!IsTraceShown(slot))
            continue;
        // A trace that does not reach the cursor (a gate's part of the
        // pulse) has no point under it to read.
        const int count = m_pChart->GetChannelPointCount(slot);
        double firstX = 0.0;
        double lastX = 0.0;
        double ignored = 0.0;
        if (count == 0 || !m_pChart->GetChannelPoint(slot, 0, firstX, ignored) ||
            !m_pChart->GetChannelPoint(slot, count - 1, lastX, ignored))
            continue;
        const double slack = count > 1 ? (lastX - firstX) / (count - 1) / 2.0 : 0.0;
        if (x < firstX - slack || x > lastX + slack)
            continue;
        OSnapCandidate c;
        c.slot = slot;
        const int index = m_pChart->GetNearestPoint(slot, x);
        if (index >= 0 && m_pChart->GetChannelPoint(slot, index, c.x, c.y))
            candidates.push_back(c);
    }
    const int chosen = OTraceSnap::Choose(candidates, y);
    if (chosen < 0)
        return false;
    nearest = candidates[static_cast<size_t>(chosen)];
    return true;
}

void OPlot::ShowCursorText(const QString& text)
{
    if (text == m_strCursorText)
        return;
    m_strCursorText = text;
    emit cursorText(text);
}

void OPlot::MoveCursor(double x, double y, bool bInside)
{
    double px = 0.0;
    double py = 0.0;
    if (!bInside || !ReadoutPoint(x, y, px, py)) {
        m_pChart->SetCrosshair(bInside, x, y);
        m_pChart->SetPointMark(false);
        m_pChart->RefreshOverlay();
        ShowCursorText(QString());
        return;
    }
    m_pChart->SetCrosshair(true, px, py);
    m_pChart->SetPointMark(m_bSnap, px, py);
    m_pChart->RefreshOverlay();
    const int xd = m_pChart->GetXAxisDecimals();
    const int yd = m_pChart->GetYAxisDecimals();
    std::string text = m_bHasBase ? OCursorText::FromBase(m_dBaseX, m_dBaseY, px, py, xd, yd)
                                  : OCursorText::Position(px, py, xd, yd);
    OSnapCandidate nearest;
    if (m_bNames && NearestTracePoint(x, y, nearest))
        text += OCursorText::Trace(ReadoutName(nearest.slot).toStdString(), nearest.y, yd);
    ShowCursorText(QString::fromStdString(text));
}

void OPlot::LeaveCursor()
{
    m_pChart->SetCrosshair(false);
    m_pChart->SetPointMark(false);
    m_pChart->RefreshOverlay();
    ShowCursorText(QString());
}

void OPlot::SetBaseAt(double x, double y)
{
    m_bHadBase = m_bHasBase;
    m_dPrevBaseX = m_dBaseX;
    m_dPrevBaseY = m_dBaseY;
    double px = 0.0;
    double py = 0.0;
    if (!ReadoutPoint(x, y, px, py))
        return;
    m_bHasBase = true;
    m_dBaseX = px;
    m_dBaseY = py;
    m_pChart->SetBasePointMark(true, px, py);
    MoveCursor(x, y, true);
}

void OPlot::ClearBasePoint()
{
    m_bHasBase = false;
    m_pChart->SetBasePointMark(false);
    m_pChart->RefreshOverlay();
}

QImage OPlot::Picture()
{
    // What goes into a report is the traces and their names, not the cursor
    // (the next mouse move brings it back).
    m_pChart->SetCrosshair(false);
    m_pChart->SetPointMark(false);
    m_pChart->SetLegendVisible(true);
    m_pChart->Replot(true);
    const QImage image = m_pChart->ToImage();
    m_pChart->SetLegendVisible(false);
    m_pChart->Replot();
    return image;
}

void OPlot::CopyToClipboard()
{
    QGuiApplication::clipboard()->setImage(Picture());
}
