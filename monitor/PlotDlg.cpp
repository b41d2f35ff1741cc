#include "PlotDlg.h"

#include "FilePaths.h"
#include "Logs.h"
#include "PulseData.h"
#include "QuillonIniConfig.h"
#include "iPlotXControl.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace {

constexpr int kMaxSamples = 250;
// The baseline ticks are 0.175 ms long at the first drawing; with the wide
// default ranges of a missing INI key that would be far below one pixel.
constexpr double kMinMarkerPixels = 6.0;

// Colours that operators with any common colour-vision deficiency tell
// apart (vermillion, blue, bluish green), and line styles that tell the
// traces apart without colour at all: live solid, reference 1 dashed,
// reference 2 dotted. The frequency fields use the same colours.
const QColor kTraceColors[CPlotDlg::kTraceCount] = {QColor(213, 94, 0), QColor(0, 114, 178),
                                                    QColor(0, 158, 115)};
const Qt::PenStyle kTraceStyles[CPlotDlg::kTraceCount] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine};
const QColor* const kBaselineColors = kTraceColors;
const QColor kTriggerColor(204, 121, 167);
const QColor kOuterLimitColor(230, 159, 0);  // limits 1 and 2
const QColor kInnerLimitColor(86, 180, 233); // limits 3 and 4

} // namespace

CPlotDlg::CPlotDlg(QWidget* parent) : QWidget(parent)
{
    m_pChart = new CiPlotXControl(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pChart);
    // Keys typed on the chart reach the plot's handler.
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_pChart);

    m_pPausedBadge = new QLabel(QStringLiteral("PAUSED"), this);
    m_pPausedBadge->setObjectName(QStringLiteral("pausedBadge"));
    m_pPausedBadge->setAlignment(Qt::AlignCenter);
    m_pPausedBadge->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background: rgba(200, 40, 0, 215); border-radius: 4px;"
        " font-weight: bold; font-size: 15px; padding: 3px 14px; letter-spacing: 2px; }"));
    m_pPausedBadge->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pPausedBadge->setToolTip(QStringLiteral("Space resumes the live pulse"));
    m_pPausedBadge->hide();

    m_pFollowButton = new QToolButton(this);
    m_pFollowButton->setObjectName(QStringLiteral("followButton"));
    m_pFollowButton->setText(QStringLiteral("Follow"));
    m_pFollowButton->setCheckable(true);
    m_pFollowButton->setFocusPolicy(Qt::NoFocus);
    m_pFollowButton->setToolTip(
        QStringLiteral("Follow: fit the view to every pulse until you zoom"));
    connect(m_pFollowButton, &QToolButton::toggled, this, &CPlotDlg::SetFollow);

    m_x.reserve(kMaxSamples);
    for (std::vector<double>& samples : m_samples)
        samples.reserve(kMaxSamples);

    m_pChart->SetXAxisTitle(QStringLiteral("Time (msec)"));
    m_pChart->SetYAxisTitle(QStringLiteral("Counts"));
    m_iniRanges = {
        double(CQuillonIniConfig::PulseGraphMinX()), double(CQuillonIniConfig::PulseGraphMaxX()),
        double(CQuillonIniConfig::PulseGraphMinY()), double(CQuillonIniConfig::PulseGraphMaxY())};
    ApplyRanges(m_iniRanges);

    for (int n = 0; n < kTraceCount; ++n) {
        const int channel = m_pChart->AddChannel(kTraceColors[n]);
        m_pChart->SetChannelStyle(channel, kTraceStyles[n]);
    }

    m_strLimitSettingsPath =
        QString::fromStdString(CFilePaths::GetConfigPath() + "/GeneralSettings.cfg");
    SetLimitSettingsPath(m_strLimitSettingsPath);
    for (int n = 0; n < CLimitSettings::kLimitCount; ++n) {
        const int limit = m_pChart->AddLimit(0.0, n < 2 ? kOuterLimitColor : kInnerLimitColor);
        m_pChart->SetLimitLabel(limit, QStringLiteral("L%1").arg(n + 1));
    }
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
    connect(m_pChart, &CiPlotXControl::viewAboutToChange, this, &CPlotDlg::OnViewAboutToChange);
    connect(m_pChart, &CiPlotXControl::viewChangedByUser, this, &CPlotDlg::OnViewChangedByUser);
    m_pChart->SetNavigation(true);
    m_pChart->setToolTip(GetGestureText());
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
        // The first pulse is fitted, and with Follow every one.
        if ((m_bFollow || !m_bFirstPulseFitted) && pulse.GetDataCount() > 0 &&
            m_zoomHistory.IsEmpty()) {
            m_bFirstPulseFitted = true;
            m_bRefitPending = true;
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

void CPlotDlg::SetFollow(bool bFollow)
{
    if (bFollow == m_bFollow)
        return;
    m_bFollow = bFollow;
    {
        const QSignalBlocker block(m_pFollowButton);
        m_pFollowButton->setChecked(bFollow);
    }
    if (bFollow)
        ZoomToFit();
    emit followChanged(bFollow);
}

void CPlotDlg::OnViewAboutToChange()
{
    // A pan or a wheel zoom: zoom out comes back to the view before it.
    m_zoomHistory.Push(m_pChart->GetRanges());
    SetFollow(false);
}

void CPlotDlg::OnViewChangedByUser()
{
    if (!m_bLimitsMoving)
        PlaceLimits();
}

QString CPlotDlg::GetGestureText() const
{
    static const char* const kButtons[] = {"", "left", "right", "", "middle"};
    const char* zoomOut = m_nZoomOutKey >= 1 && m_nZoomOutKey <= 4 && *kButtons[m_nZoomOutKey]
                              ? kButtons[m_nZoomOutKey]
                              : "middle";
    return QStringLiteral("Left drag: zoom box\n"
                          "Wheel: zoom about the cursor\n"
                          "Right drag or Shift + left drag: pan\n"
                          "%1 click: zoom out\n"
                          "Left click: base point of the readout (Esc clears it)\n"
                          "Drag a limit line to move it\n"
                          "%2: this plot's menu\n"
                          "Keys: Space pause, Left/Right step, F fit")
        .arg(QString::fromLatin1(zoomOut).replace(0, 1, QChar(zoomOut[0]).toUpper()),
             m_nZoomOutKey == 2 ? QStringLiteral("Shift + right click")
                                : QStringLiteral("Right click"));
}

QMenu* CPlotDlg::CreateContextMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    QAction* pause =
        menu->addAction(QStringLiteral("Pause"), this, [this] { SetPaused(!m_bPaused); });
    pause->setCheckable(true);
    pause->setChecked(m_bPaused);
    pause->setShortcut(QKeySequence(Qt::Key_Space));
    QAction* back = menu->addAction(QStringLiteral("Step Back"), this, [this] { StepBack(); });
    back->setShortcut(QKeySequence(Qt::Key_Left));
    QAction* forward =
        menu->addAction(QStringLiteral("Step Forward"), this, [this] { StepForward(); });
    forward->setShortcut(QKeySequence(Qt::Key_Right));
    forward->setEnabled(m_bPaused);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Zoom Out"), this, &CPlotDlg::ZoomOut);
    QAction* fit = menu->addAction(QStringLiteral("Zoom to Fit"), this, &CPlotDlg::ZoomToFit);
    fit->setShortcut(QKeySequence(Qt::Key_F));
    QAction* follow =
        menu->addAction(QStringLiteral("Follow"), this, [this](bool on) { SetFollow(on); });
    follow->setCheckable(true);
    follow->setChecked(m_bFollow);
    QAction* clear =
        menu->addAction(QStringLiteral("Clear Base Point"), this, &CPlotDlg::ClearBasePoint);
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    if (!m_extraActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_extraActions);
    }
    return menu;
}

void CPlotDlg::ShowContextMenu(const QPoint& globalPos)
{
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void CPlotDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // A right click opens the menu on its release (a right drag pans); the
    // menu key opens it here.
    if (event->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return;
    }
    ShowContextMenu(mapToGlobal(QPoint(width() / 2, height() / 2)));
    event->accept();
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
    SetFollow(false);
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
    const bool menuClick = nButton == 2 && (m_nZoomOutKey != 2 || (nShift & 1));
    if (menuClick) {
        ShowContextMenu(m_pChart->mapToGlobal(QPoint(static_cast<int>(m_pChart->XToPixel(dX)),
                                                     static_cast<int>(m_pChart->YToPixel(dY)))));
        return;
    }
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
    m_pPausedBadge->setVisible(bPaused);
    if (bPaused)
        PlaceBadges();
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

bool CPlotDlg::IsPausedBadgeShown() const
{
    return !m_pPausedBadge->isHidden();
}

const CPulseData* CPlotDlg::GetViewedPulse() const
{
    return m_bPaused ? m_history.GetViewed() : nullptr;
}

void CPlotDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceBadges();
}

void CPlotDlg::PlaceBadges()
{
    // Top centre, clear of the readout in the top-right corner.
    m_pPausedBadge->adjustSize();
    m_pPausedBadge->move((width() - m_pPausedBadge->width()) / 2, 8);
    m_pPausedBadge->raise();
    // Bottom right, beside the x axis's title.
    m_pFollowButton->adjustSize();
    m_pFollowButton->move(width() - m_pFollowButton->width() - 6,
                          height() - m_pFollowButton->height() - 4);
    m_pFollowButton->raise();
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
