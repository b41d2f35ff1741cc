#include "DVViewScan.h"

#include "DVDoc.h"
#include "MarkerScroll.h"
#include "OverlaySet.h"
#include "PeakOverlay.h"

#include <algorithm>
#include <cmath>

namespace {

const QColor kMarkerColor(200, 0, 0);

} // namespace

ODVViewScan::ODVViewScan(ODVDoc* doc, QWidget* parent)
    : ODVPlot(doc, QStringLiteral("Chromatogram"), QStringLiteral("Seconds"), parent)
{
    setObjectName(QStringLiteral("ODVViewScan"));
    for (int m = 0; m < kTraces; ++m)
        SetSlotColor(m, GateColor(m));
    m_nMarker = Chart()->AddXMarker(kMarkerColor);
    Chart()->SetXMarkerVisible(m_nMarker, false);

    static_assert(kOverlaySlots == OOverlaySet::kMaxRuns);
    m_pOverlays = new OOverlaySet(this);
    for (int i = 0; i < kOverlaySlots; ++i)
        Chart()->SetChannelBeneath(kTraces + i, true);
    connect(m_pOverlays, &OOverlaySet::changed, this, &ODVViewScan::ShowOverlays);
    m_pPeaks = new OPeakOverlay(this, doc);
}

void ODVViewScan::OnUpdate()
{
    const ODVDocData& data = m_pDoc->Data();
    const OChromatogram& c = data.GetChromatogram();
    const int n = std::clamp<int>(data.GetWorkingConfiguration().GetNumGateModes(), 0, kTraces);
    const std::vector<double> x(c.times.begin(), c.times.end());
    for (int m = 0; m < kTraces; ++m) {
        if (m >= n) {
            ClearTrace(m);
            Legend()->SetClamped(m, false);
            continue;
        }
        const std::vector<float>& values = c.traces[static_cast<size_t>(m)];
        const std::vector<double> y(values.begin(), values.end());
        SetTrace(m, QString::fromStdString(data.GetGateDescriptors()[m].name), x, y);
        Legend()->SetClamped(m, c.clamped[static_cast<size_t>(m)]);
    }
    ShowOverlays();
    ShowFullExtent();
    ShowMarker();
    m_pPeaks->Redraw();
}

void ODVViewScan::Restore()
{
    PushView();
    ShowFullExtent();
}

void ODVViewScan::ShowFullExtent()
{
    const OChromatogramBounds& b = m_pDoc->Data().GetChromatogram().bounds;
    double xMin = b.xMin;
    double xMax = b.xMax;
    double yMax = b.yMax;
    // A run whose pulses share one time, or whose values are all 0, still gets an axis.
    if (!(xMax > xMin))
        xMax = xMin + 1.0;
    if (!(yMax > b.yMin))
        yMax = b.yMin + 1.0;
    if (m_bOverlayExtent) {
        xMin = std::min(xMin, m_overlayExtent.dXMin);
        xMax = std::max(xMax, m_overlayExtent.dXMax);
        yMax = std::max(yMax, m_overlayExtent.dYMax);
    }
    SetView({xMin, xMax, b.yMin, yMax});
}

void ODVViewScan::ShowMarker()
{
    const ODVDocData& data = m_pDoc->Data();
    const double t = data.GetCurrentPulseTime();
    if (t < 0.0) {
        m_nMarked = -1;
        Chart()->SetXMarkerVisible(m_nMarker, false);
        Chart()->RefreshOverlay();
        return;
    }
    m_nMarked = data.GetCurrentIndex();
    Chart()->SetXMarker(m_nMarker, t);
    Chart()->SetXMarkerVisible(m_nMarker, true);
    double min = Chart()->GetXAxisMin();
    double max = Chart()->GetXAxisMax();
    if (OMarkerScroll::Follow(t, min, max)) {
        Chart()->SetXAxisMinSpan(min, max - min);
        Chart()->Replot();
    } else {
        Chart()->RefreshOverlay();
    }
}

bool ODVViewScan::IsMarkerShown() const
{
    return Chart()->IsXMarkerVisible(m_nMarker);
}

double ODVViewScan::GetMarkerTime() const
{
    return Chart()->GetXMarker(m_nMarker);
}

void ODVViewScan::Recalculate()
{
    m_pDoc->Recalculate();
}

void ODVViewScan::OnDoubleClick(double x, double)
{
    const std::vector<float>& times = m_pDoc->Data().GetChromatogram().times;
    if (times.empty())
        return;
    const auto after = std::lower_bound(times.begin(), times.end(), static_cast<float>(x));
    auto best = after == times.end() ? after - 1 : after;
    if (after != times.begin() && after != times.end() &&
        std::abs(*(after - 1) - x) <= std::abs(*after - x))
        best = after - 1;
    m_pDoc->GoToPulse(static_cast<int>(best - times.begin()));
}

QString ODVViewScan::GateName(int gate) const
{
    return QString::fromStdString(m_pDoc->Data().GetGateDescriptors()[gate].name);
}

void ODVViewScan::ShowOverlays()
{
    const OChromatogram& own = m_pDoc->Data().GetChromatogram();
    const int gate = m_pOverlays->GetGate();
    const double start = own.times.empty() ? std::nan("") : own.times.front();
    // The view's own highest value of the gate compared; the whole
    // chromatogram's when this run does not use that gate.
    const int ownGates = m_pDoc->Data().GetWorkingConfiguration().GetNumGateModes();
    double highest = own.maximum;
    if (gate < ownGates) {
        const std::vector<float>& values = own.traces[static_cast<size_t>(gate)];
        highest = OOverlaySet::Highest(std::vector<double>(values.begin(), values.end()));
    }
    m_bOverlayExtent = false;
    std::vector<double> x;
    std::vector<double> y;
    for (int i = 0; i < kOverlaySlots; ++i) {
        const int slot = kTraces + i;
        if (i >= m_pOverlays->GetCount()) {
            ClearTrace(slot);
            continue;
        }
        SetSlotColor(slot, m_pOverlays->GetColor(i));
        // A run without the gate keeps its legend entry, saying why nothing is drawn.
        QString name = m_pOverlays->GetLabel(i);
        if (!m_pOverlays->GetTrace(i, start, highest, x, y))
            name += QStringLiteral(" (no such gate)");
        // A run moving into a slot is shown, whatever the box said for the run before it.
        if (Legend()->GetText(slot) != name)
            Legend()->SetChecked(slot, true);
        SetTrace(slot, name, x, y);
        if (x.empty())
            continue;
        const double top = OOverlaySet::Highest(y);
        const CAxisRanges run{x.front(), x.back(), 0.0, top * 1.05};
        m_overlayExtent = m_bOverlayExtent
                              ? CAxisRanges{std::min(m_overlayExtent.dXMin, run.dXMin),
                                            std::max(m_overlayExtent.dXMax, run.dXMax), 0.0,
                                            std::max(m_overlayExtent.dYMax, run.dYMax)}
                              : run;
        m_bOverlayExtent = true;
    }
    SetTraceNamesInReadout(m_pOverlays->GetCount() > 0);
    Chart()->Replot();
}

QString ODVViewScan::ReadoutName(int slot) const
{
    const int gate = slot < kTraces ? slot : m_pOverlays->GetGate();
    const QString run = slot < kTraces ? m_pDoc->GetTitle() : m_pOverlays->GetLabel(slot - kTraces);
    // After a gate edit this run may no longer use the gate the overlay shows.
    const QString name = GateName(gate);
    return name.isEmpty() ? run : QStringLiteral("%1 (%2)").arg(run, name);
}
