#include "DVViewScan.h"

#include "DVDoc.h"
#include "MarkerScroll.h"
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
