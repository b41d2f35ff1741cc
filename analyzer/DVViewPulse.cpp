#include "DVViewPulse.h"

#include "DVDoc.h"
#include "PulseGates.h"

#include <QtGlobal>

#include <algorithm>
#include <cfloat>

namespace {

const QColor kPulseColor(40, 40, 40);

} // namespace

ODVViewPulse::ODVViewPulse(ODVDoc* doc, QWidget* parent)
    : ODVPlot(doc, QStringLiteral("Pulse"), QStringLiteral("msec"), parent)
{
    setObjectName(QStringLiteral("ODVViewPulse"));
    SetSlotColor(0, kPulseColor);
    for (int m = 0; m < kGates; ++m) {
        SetSlotColor(m + 1, GateColor(m));
        Chart()->SetChannelWidth(m + 1, 2.5);
        QColor band = GateColor(m);
        band.setAlpha(38);
        m_bandA[static_cast<size_t>(m)] = Chart()->AddBand(band);
        band.setAlpha(22);
        m_bandB[static_cast<size_t>(m)] = Chart()->AddBand(band);
    }
    m_triggerTimes.fill(-1.0);
}

void ODVViewPulse::OnUpdate()
{
    const ODVDocData& data = m_pDoc->Data();
    const OPulseShape shape = data.GetCurrentPulseShape();
    const double time = data.GetCurrentPulseTime();
    SetTrace(0, QString::fromStdString(OPulseGates::TimeText(time)), shape.x, shape.y);

    const OCfgData& cfg = data.GetWorkingConfiguration();
    const int n = std::clamp<int>(cfg.GetNumGateModes(), 0, kGates);
    // One trigger level for all gate modes, so one crossing.
    const double trigger = shape.TriggerTime(cfg.GetTriggerLevel());
    std::vector<double> x;
    std::vector<double> y;
    for (int m = 1; m <= kGates; ++m) {
        const size_t slot = static_cast<size_t>(m - 1);
        if (m > n) {
            m_triggerTimes[slot] = -1.0;
            ClearTrace(m);
            Legend()->SetClamped(m, false);
            continue;
        }
        m_triggerTimes[slot] = trigger;
        const OGateDescriptor& gate = data.GetGateDescriptors()[m - 1];
        x.clear();
        y.clear();
        if (const auto span = OPulseGates::Span(gate, trigger))
            OPulseGates::Cut(shape, *span, x, y);
        SetTrace(m, QString::fromStdString(gate.name) + QStringLiteral(" Gate"), x, y);
        Legend()->SetClamped(m, data.GetChromatogram().clamped[slot]);
    }
    Chart()->SetCornerText(QString::fromStdString(OPulseGates::StartTimeText(time)));
    UpdateBands();
    if (m_bFollow)
        ShowFullExtent();
    Chart()->Replot();
}

void ODVViewPulse::Restore()
{
    PushView();
    m_bFollow = true;
    ShowFullExtent();
}

void ODVViewPulse::OnViewChanging()
{
    m_bFollow = false;
}

void ODVViewPulse::ShowFullExtent()
{
    std::vector<double> x;
    std::vector<double> y;
    Chart()->GetChannelData(0, x, y);
    const double top = y.empty() ? 1.0 : *std::max_element(y.begin(), y.end());
    SetView({0.0, OPulseGates::kPulseEndMs, 0.0, top > 0.0 ? top * 1.05 : 1.0});
}

void ODVViewPulse::UpdateBands()
{
    const ODVDocData& data = m_pDoc->Data();
    const int n = data.GetWorkingConfiguration().GetNumGateModes();
    for (int m = 0; m < kGates; ++m) {
        const OGateDescriptor& gate = data.GetGateDescriptors()[m];
        const size_t slot = static_cast<size_t>(m);
        const bool shown = m < n && Legend()->IsChecked(m + 1);
        Chart()->SetBand(m_bandA[slot], gate.startA,
                         static_cast<double>(gate.startA) + gate.widthA);
        Chart()->SetBandVisible(m_bandA[slot], shown);
        Chart()->SetBand(m_bandB[slot], gate.startB,
                         static_cast<double>(gate.startB) + gate.widthB);
        Chart()->SetBandVisible(m_bandB[slot], shown && gate.bWindow > 0.0f);
    }
}

void ODVViewPulse::OnTraceToggled(int, bool)
{
    UpdateBands();
}

double ODVViewPulse::GetTriggerTime(int m) const
{
    return m >= 0 && m < kGates ? m_triggerTimes[static_cast<size_t>(m)] : -1.0;
}

bool ODVViewPulse::IsGateBandShown(int m) const
{
    return m >= 0 && m < kGates && Chart()->IsBandVisible(m_bandA[static_cast<size_t>(m)]);
}

void ODVViewPulse::GetGateBand(int m, double& from, double& to) const
{
    from = to = 0.0;
    if (m >= 0 && m < kGates)
        Chart()->GetBand(m_bandA[static_cast<size_t>(m)], from, to);
}
