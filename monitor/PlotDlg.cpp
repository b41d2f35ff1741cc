#include "PlotDlg.h"

#include "FilePaths.h"
#include "Logs.h"
#include "PulseData.h"
#include "QuillonIniConfig.h"
#include "iPlotXControl.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace {

constexpr int kMaxSamples = 250;
// The baseline ticks are 0.175 ms long at the first drawing; with the wide
// default ranges of a missing INI key that would be far below one pixel.
constexpr double kMinMarkerPixels = 6.0;

const QColor kTraceColors[CPlotDlg::kTraceCount] = {QColor(210, 0, 0), QColor(0, 0, 200),
                                                    QColor(0, 200, 0)};
const QColor kBaselineColors[CPlotDlg::kTraceCount] = {QColor(255, 0, 0), QColor(0, 0, 255),
                                                       QColor(0, 255, 0)};
const QColor kTriggerColor(255, 0, 255);
const QColor kOuterLimitColor(0, 128, 0); // limits 1 and 2
const QColor kInnerLimitColor(0, 0, 255); // limits 3 and 4

} // namespace

CPlotDlg::CPlotDlg(QWidget* parent) : QWidget(parent)
{
    m_pChart = new CiPlotXControl(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pChart);

    m_x.reserve(kMaxSamples);
    for (std::vector<double>& samples : m_samples)
        samples.reserve(kMaxSamples);

    m_pChart->SetXAxisTitle(QStringLiteral("Time (msec)"));
    m_pChart->SetYAxisTitle(QStringLiteral("Counts"));
    m_iniRanges = {
        double(CQuillonIniConfig::PulseGraphMinX()), double(CQuillonIniConfig::PulseGraphMaxX()),
        double(CQuillonIniConfig::PulseGraphMinY()), double(CQuillonIniConfig::PulseGraphMaxY())};
    ApplyRanges(m_iniRanges);

    for (const QColor& color : kTraceColors)
        m_pChart->AddChannel(color);

    m_strLimitSettingsPath =
        QString::fromStdString(CFilePaths::GetConfigPath() + "/GeneralSettings.cfg");
    SetLimitSettingsPath(m_strLimitSettingsPath);
    for (int n = 0; n < CLimitSettings::kLimitCount; ++n)
        m_pChart->AddLimit(0.0, n < 2 ? kOuterLimitColor : kInnerLimitColor);
    PlaceLimits();

    m_nZoomOutKey = CQuillonIniConfig::ZoomOutShortCutKeyValue();

    m_nTriggerMarker = m_pChart->AddMarker(kTriggerColor, kLiveTrace);
    for (int n = 0; n < kTraceCount; ++n) {
        m_nBaselineMarker[static_cast<size_t>(n)] = m_pChart->AddMarker(kBaselineColors[n], n);
        m_pChart->SetMarkerVisible(m_nBaselineMarker[static_cast<size_t>(n)], false);
    }
    SetTriggerLevel(0.0);

    connect(m_pChart, &CiPlotXControl::zoomBoxAboutToApply, this, &CPlotDlg::OnZoomBoxAboutToApply,
            Qt::DirectConnection);
    connect(m_pChart, &CiPlotXControl::zoomApplied, this, &CPlotDlg::OnZoomApplied);
    connect(m_pChart, &CiPlotXControl::chartMouseEvent, this, &CPlotDlg::OnChartMouseEvent);
    connect(m_pChart, &CiPlotXControl::limitDragStarted, this, &CPlotDlg::OnLimitDragStarted);
    connect(m_pChart, &CiPlotXControl::limitDragEnded, this, &CPlotDlg::OnLimitDragEnded);
    connect(m_pChart, &CiPlotXControl::cursorMoved, this, &CPlotDlg::OnCursorMoved);
    connect(m_pChart, &CiPlotXControl::cursorLeft, this, &CPlotDlg::OnCursorLeft);
    // The tick length needs the laid-out axis rect, which exists only after a replot.
    connect(m_pChart, &CiPlotXControl::replotted, this, &CPlotDlg::UpdateMarkerLength);
}

CPlotDlg::~CPlotDlg() = default;

// ---- pulses ----

void CPlotDlg::DrawPulse(const CPulseData& pulse, int nTrace)
{
    if (nTrace < kLiveTrace || nTrace >= kTraceCount)
        return;
    if (nTrace == kLiveTrace) {
        if (m_history.IsRepeat(pulse))
            return; // the same pulse fetched again: already drawn and kept
        const int viewChanged = m_history.Add(pulse);
        if (m_bPaused) {
            if (viewChanged)
                ShowViewedPulse();
            EmitViewState();
            return;
        }
    }
    DrawTrace(pulse, nTrace);
    Redraw();
}

void CPlotDlg::DrawPulseAndReplotNow(const CPulseData& pulse, int nTrace)
{
    DrawPulse(pulse, nTrace);
    m_pChart->Replot(true);
}

void CPlotDlg::DrawTrace(const CPulseData& pulse, int nTrace)
{
    const std::vector<int32_t>& source = pulse.Samples();
    const size_t count = source.size();
    for (size_t i = m_x.size(); i < count; ++i)
        m_x.push_back(static_cast<double>(i) * kSampleStepMs);
    std::vector<double>& samples = m_samples[static_cast<size_t>(nTrace)];
    samples.resize(count);
    std::copy(source.begin(), source.end(), samples.begin());
    m_nPointCount[static_cast<size_t>(nTrace)] = static_cast<int>(count);

    // An empty pulse still moves its marker, to what GetData(0) gives for it (0).
    const int marker = m_nBaselineMarker[static_cast<size_t>(nTrace)];
    m_pChart->SetMarkerY(marker, static_cast<float>(pulse.GetData(0)));
    m_pChart->SetMarkerVisible(marker, true);
}

void CPlotDlg::ClearReference(int n)
{
    if (n != kReference1 && n != kReference2)
        return;
    m_nPointCount[static_cast<size_t>(n)] = 0;
    Redraw();
    m_pChart->SetMarkerVisible(m_nBaselineMarker[static_cast<size_t>(n)], false);
}

void CPlotDlg::SetTriggerLevel(double dLevel)
{
    m_pChart->SetMarkerY(m_nTriggerMarker, dLevel);
    m_pChart->SetMarkerVisible(m_nTriggerMarker, true);
    m_pChart->Replot();
}

void CPlotDlg::Redraw()
{
    for (int n = 0; n < kTraceCount; ++n) {
        const int count = m_nPointCount[static_cast<size_t>(n)];
        if (count > 0)
            m_pChart->SetChannelData(n, m_x.data(), m_samples[static_cast<size_t>(n)].data(),
                                     count);
        m_pChart->SetChannelVisible(n, count > 0);
    }

    if (m_bRefitPending) {
        m_bRefitPending = false;
        if (m_zoomHistory.IsEmpty()) {
            m_pChart->FitToData();
            ApplyRanges(RefitRanges(m_pChart->GetRanges()));
        } else {
            // A saved view comes back exactly as it was; cutting its spans to
            // whole numbers would lose up to a millisecond of a zoomed view.
            m_pChart->SetRanges(m_targetRanges);
        }
    }

    if (!m_bLimitsMoving)
        PlaceLimits();
    m_pChart->Replot();
}

void CPlotDlg::ApplyRanges(const CAxisRanges& ranges)
{
    const CAxisRanges applied = ApplicableRanges(ranges);
    m_pChart->SetXAxisMinSpan(applied.dXMin, applied.dXMax - applied.dXMin);
    m_pChart->SetYAxisMinSpan(applied.dYMin, applied.dYMax - applied.dYMin);
}

void CPlotDlg::PlaceLimits()
{
    const double xMin = m_pChart->GetXAxisMin();
    const double xMax = m_pChart->GetXAxisMax();
    const double span = m_pChart->GetXAxisSpan();
    for (int n = 0; n < CLimitSettings::kLimitCount && n < m_pChart->GetLimitCount(); ++n) {
        const double position = m_limits.GetPosition(n);
        m_pChart->SetLimitPercent(n, CLimitSettings::ToPercent(position, xMin, span));
        m_pChart->SetLimitVisible(n, CLimitSettings::IsInRange(position, xMin, xMax));
    }
}

void CPlotDlg::UpdateMarkerLength()
{
    if (m_bMarkerLengthSet || m_pChart->GetPlotArea().width() <= 1)
        return;
    m_bMarkerLengthSet = true;
    const double xMin = m_pChart->GetXAxisMin();
    const double pixels = m_pChart->XToPixel(xMin + kMarkerLengthMs) - m_pChart->XToPixel(xMin);
    m_pChart->SetMarkerPixelLength(std::max(pixels, kMinMarkerPixels));
    m_pChart->Replot();
}

// ---- zoom ----

void CPlotDlg::ZoomOut()
{
    m_bRefitPending = true;
    CAxisRanges target;
    if (m_zoomHistory.PopForZoomOut(target))
        m_targetRanges = target;
    Redraw();
}

void CPlotDlg::ZoomToFit()
{
    m_bRefitPending = true;
    m_zoomHistory.Clear();
    Redraw();
}

void CPlotDlg::OnZoomBoxAboutToApply(CAxisRanges& box, bool& cancel)
{
    m_bLimitsNeedUpdate = true;
    if (!ClampZoomBox(box, m_iniRanges)) {
        cancel = true;
        return;
    }
    m_beforeZoom = m_pChart->GetRanges();
}

void CPlotDlg::OnZoomApplied()
{
    // Ignored when ten views are saved already; the zoom itself still happens.
    m_zoomHistory.Push(m_beforeZoom);
    if (m_bLimitsNeedUpdate) {
        m_bLimitsNeedUpdate = false;
        if (!m_bLimitsMoving)
            PlaceLimits();
    }
}

void CPlotDlg::OnChartMouseEvent(int nButton, int nShift, double dX, double dY)
{
    const bool leftIsZoomOut = m_nZoomOutKey == 1;
    const bool setsBasePoint = nButton == 1 && (!leftIsZoomOut || (nShift & 1));
    if (nButton == m_nZoomOutKey && !setsBasePoint) {
        ZoomOut();
        return;
    }
    const CAxisRanges view = m_pChart->GetRanges();
    const bool inside =
        dX >= view.dXMin && dX <= view.dXMax && dY >= view.dYMin && dY <= view.dYMax;
    if (setsBasePoint && inside) {
        m_readout.SetBasePoint(dX, dY);
        m_pChart->SetBasePointMark(true, dX, dY);
        OnCursorMoved(dX, dY, true);
    }
}

// ---- limits ----

void CPlotDlg::SetLimitSettingsPath(const QString& path)
{
    m_strLimitSettingsPath = path;
    m_limits.SetDefaults();
    const std::string file = path.toStdString();
    std::error_code ec;
    if (!file.empty() && std::filesystem::exists(file, ec)) {
        std::string msg;
        if (!m_limits.LoadFromFile(file, msg))
            CDebugLog::Add(msg + "; the limit lines are at their default positions");
    }
    if (m_pChart->GetLimitCount() > 0 && !m_bLimitsMoving) {
        PlaceLimits();
        m_pChart->Replot();
    }
}

bool CPlotDlg::IsLimitShown(int n) const
{
    return m_pChart->IsLimitVisible(n);
}

void CPlotDlg::OnLimitDragStarted(int /*nLimit*/)
{
    m_bLimitsMoving = true;
}

void CPlotDlg::OnLimitDragEnded(int /*nLimit*/, int nCode)
{
    m_bLimitsMoving = false;
    if (nCode != 1)
        return;
    const double xMin = m_pChart->GetXAxisMin();
    const double span = m_pChart->GetXAxisSpan();
    for (int n = 0; n < CLimitSettings::kLimitCount; ++n)
        m_limits.SetPosition(n,
                             CLimitSettings::FromPercent(m_pChart->GetLimitPercent(n), xMin, span));
    std::string msg;
    if (!m_limits.SaveToFile(m_strLimitSettingsPath.toStdString(), msg))
        CDebugLog::Add(msg);
    PlaceLimits();
    m_pChart->Replot();
}

// ---- pause and step ----

void CPlotDlg::SetPaused(bool bPaused)
{
    if (bPaused == m_bPaused)
        return;
    m_bPaused = bPaused;
    if (bPaused) {
        m_history.Freeze();
    } else {
        m_history.Thaw();
        if (const CPulseData* newest = m_history.GetBack(0)) {
            DrawTrace(*newest, kLiveTrace);
            Redraw();
        }
    }
    EmitViewState();
}

int CPlotDlg::StepBack()
{
    SetPaused(true);
    if (!m_history.StepBack())
        return 0;
    ShowViewedPulse();
    EmitViewState();
    return 1;
}

int CPlotDlg::StepForward()
{
    if (!m_bPaused || !m_history.StepForward())
        return 0;
    ShowViewedPulse();
    EmitViewState();
    return 1;
}

void CPlotDlg::ShowViewedPulse()
{
    if (const CPulseData* viewed = m_history.GetViewed()) {
        DrawTrace(*viewed, kLiveTrace);
        Redraw();
    }
}

QString CPlotDlg::GetViewStateText() const
{
    return m_strViewState;
}

void CPlotDlg::EmitViewState()
{
    const QString text = QString::fromStdString(PausedStatusText(m_history));
    if (text == m_strViewState)
        return;
    m_strViewState = text;
    emit viewStateChanged(text);
}

// ---- cursor readout ----

void CPlotDlg::OnCursorMoved(double dX, double dY, bool bInside)
{
    m_bCursorInside = bInside;
    m_dCursorX = dX;
    m_dCursorY = dY;
    m_pChart->SetCornerText(bInside ? QString::fromStdString(m_readout.Text(dX, dY)) : QString());
    m_pChart->RefreshOverlay();
}

void CPlotDlg::OnCursorLeft()
{
    OnCursorMoved(m_dCursorX, m_dCursorY, false);
}

QString CPlotDlg::GetReadoutText() const
{
    return m_pChart->GetCornerText();
}

void CPlotDlg::ClearBasePoint()
{
    m_readout.ClearBasePoint();
    m_pChart->SetBasePointMark(false);
    OnCursorMoved(m_dCursorX, m_dCursorY, m_bCursorInside);
}

void CPlotDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        ClearBasePoint();
        break;
    case Qt::Key_Space:
        SetPaused(!m_bPaused);
        break;
    case Qt::Key_Left:
        StepBack();
        break;
    case Qt::Key_Right:
        StepForward();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
