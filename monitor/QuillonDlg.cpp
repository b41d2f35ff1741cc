#include "QuillonDlg.h"

#include "Archive.h"
#include "CoreInterface.h"
#include "DialogRecordSettings.h"
#include "FileDialogService.h"
#include "FilePaths.h"
#include "InstrumentBacking.h"
#include "LinkRequester.h"
#include "LiveChromatogramStrip.h"
#include "LiveRun.h"
#include "Logs.h"
#include "MessageService.h"
#include "MonitorText.h"
#include "PlotDlg.h"
#include "PlotPage.h"
#include "PrintDialogService.h"
#include "QuillonBoardChanDialog.h"
#include "QuillonGatesModesDialog.h"
#include "QuillonIniConfig.h"
#include "QuillonRunLogDialog.h"
#include "QuillonSetEventDialog.h"
#include "ResizeGrip.h"
#include "ResourceLibrary.h"
#include "iPlotXControl.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>

namespace {

// Toolbar, title-bar and current-data control ids.
enum : unsigned {
    kOpenConfig = 1027,
    kSaveConfig = 1008,
    kPrint = 1010,
    kGateParams = 1013,
    kBoardParams = 1012,
    kTimedEvents = 1015,
    kDataSettings = 1029,
    kViewRunLog = 1025,
    kResetToReady = 1016,
    kZoomOut = 1042,
    kZoomToFit = 1043,
    kAbout = 1019,
    kClose = 1002,
    kMaximise = 1003,
    kMinimise = 1004,
};

// Status lines of the main window's form.
enum : int {
    kElapsedValue = 1041,
    kStatusValue = 1063,
    kRecordingValue = 1065,
    kRecordFileLabel = 1070,
    kRecordFileValue = 1069,
    kWrittenLabel = 1066,
    kWrittenValue = 1068,
    kLinkValue = 1091,
};

enum : unsigned { kRecordStartButton = 1058, kRecordStopButton = 1059 };

// The window's smallest readable layout: status values this wide, a plot this high.
constexpr int kStatusMinWidth = 330;
constexpr int kPlotMinHeight = 200;
// The live chromatogram's share of the plot area, and its bounds: lower
// than this it could not be read, and the pulse plot keeps the room.
constexpr double kStripShare = 0.3;
constexpr int kStripMinHeight = 100;
constexpr int kStripMaxHeight = 260;
constexpr int kGripPixels = 5;

const QColor kPanelColour(0, 76, 154);
const char kCaption[] = "Tarvolin Monitor";

// The configuration files' dialogs: "hide read-only, file must exist", the
// filter and the initial name the operator has always seen.
constexpr unsigned kConfigDialogFlags = 0x1004;
const char kConfigFilter[] = "Tarvolin Monitor (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||";
const char kSavedText[] = "Configuration file has been successfully Saved";
const char kAppliedText[] = "Configuration file has been successfully opened and applied";
const char kMixtureText[] = "The board may now hold a mixture of the old and the new set-up.";
// A configuration file is a few kilobytes; anything far larger is not one.
constexpr size_t kMaxConfigFileBytes = 1u << 20;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

class CNotifyEvent : public QEvent {
public:
    explicit CNotifyEvent(int type) : QEvent(static_cast<QEvent::Type>(type)) {}
};

} // namespace

CQuillonDlg::CQuillonDlg(QWidget* parent)
    : CPageEx(parent),
      m_pSession(std::make_unique<CRecordingSession>(static_cast<IRecordingHost&>(*this))),
      m_pStatusPending(std::make_shared<std::atomic<bool>>(false)),
      m_pPulsePending(std::make_shared<std::atomic<bool>>(false))
{
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowTitle(CResourceLibrary::String(105));
    setWindowIcon(CResourceLibrary::AppIcon());
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kPanelColour);
    setPalette(palette);

    m_pTitleBar = new CTitleBarDlg(this);
    m_pTitleBar->SetInstrumentText(
        Text(monitor::InstrumentText(CQuillonIniConfig::GetInstrumentID())));
    m_pToolbar = new CToolbarButtonDialog(this);
    m_pCurrentData = new CDialogCurrentData(this);
    m_pPlot = new CPlotDlg(this);
    m_pStatusForm = CResourceLibrary::LoadForm(102, this);
    m_pAbout = new CTarvolinMonitorAboutDialog(this);
    SetButtonPannel(m_pTitleBar, 0);
    SetButtonPannel(m_pToolbar, 1);
    SetButtonPannel(m_pCurrentData, 2);
    for (CButtonPannel* panel :
         {static_cast<CButtonPannel*>(m_pTitleBar), static_cast<CButtonPannel*>(m_pToolbar),
          static_cast<CButtonPannel*>(m_pCurrentData)})
        panel->Initialize();

    // Recordings go to the instrument's Data folder until one is chosen.
    m_strDataSettingsPath = CFilePaths::GetConfigPath() + "/" + CDataRecorder::kSettingsFileName;
    m_pSession->SetSettingsPath(m_strDataSettingsPath);
    m_pSession->Recorder().SetDefaultFolder(CFilePaths::GetDataPath());
    // Before the dialogs: a set-up they learn reaches the live chromatogram.
    m_pLiveStrip = new CLiveChromatogramStrip(this);
    m_pLiveRun = std::make_unique<CLiveRun>(m_pLiveStrip, [this] {
        // The board's set-up as the window knows it: what a recording's header would hold.
        CConfigBlockSet records;
        records.gates = m_pGateDialog->GetGateParameters();
        records.board = m_pBoardDialog->GetBoardParameters();
        records.channels = m_pBoardDialog->GetChannelParameters();
        records.events = m_pEventDialog->GetAppliedEvents();
        return records;
    });
    CreateDialogs();

    connect(m_pTitleBar, &CTitleBarDlg::maximiseRequested, this, &CQuillonDlg::ToggleMaximised);
    connect(m_pCurrentData, &CDialogCurrentData::holdReference, this,
            &CQuillonDlg::OnHoldReference);
    connect(m_pCurrentData, &CDialogCurrentData::clearReference, this,
            &CQuillonDlg::OnClearReference);
    connect(m_pCurrentData, &CDialogCurrentData::recordStart, this, &CQuillonDlg::OnRecordStart);
    connect(m_pCurrentData, &CDialogCurrentData::recordStop, this, &CQuillonDlg::OnRecordStop);
    connect(m_pPlot, &CPlotDlg::viewStateChanged, this, [this](const QString& text) {
        // The pause state shares the status line with the instrument's state.
        m_strViewState = text;
        ShowRunState();
        ShowPulseFields();
    });
    CreateShortcuts();

    SetStatus(kRecordingValue, Text(monitor::RecordingText(false)));
    for (int id : {kRecordFileLabel, kRecordFileValue, kWrittenLabel, kWrittenValue})
        if (auto* line = CResourceLibrary::Control<QWidget>(m_pStatusForm, id))
            line->hide();

    m_pPlot->SetLimitSettingsPath(
        QString::fromStdString(CFilePaths::GetConfigPath() + "/GeneralSettings.cfg"));

    // Frameless, so the edges resize through grips of the window's own.
    for (Qt::Edges edges :
         {Qt::Edges(Qt::LeftEdge), Qt::Edges(Qt::RightEdge), Qt::Edges(Qt::TopEdge),
          Qt::Edges(Qt::BottomEdge), Qt::TopEdge | Qt::LeftEdge, Qt::TopEdge | Qt::RightEdge,
          Qt::BottomEdge | Qt::LeftEdge, Qt::BottomEdge | Qt::RightEdge})
        m_grips.push_back(new CResizeGrip(edges, this));
    // The status lines stay together at the top of their area.
    if (m_pStatusForm && m_pStatusForm->layout())
        m_pStatusForm->layout()->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    // Sizes with the style sheets applied, as they will be shown.
    ensurePolished();
    m_pToolbar->SetCompact(false);
    m_nFullToolbarWidth = m_pToolbar->minimumSizeHint().width();
    m_pToolbar->SetCompact(true);
    m_nCompactToolbarWidth = m_pToolbar->minimumSizeHint().width();
    m_nCompactToolbarHeight = m_pToolbar->sizeHint().height();
    m_pToolbar->SetCompact(false);
    FitToScreen(screen());
    Layout();
}

QSize CQuillonDlg::GetReadableMinimumSize() const
{
    // Narrow, the toolbar drops its captions (the buttons keep their tool
    // tips) and the status lines go above the current-data bar instead of
    // beside it; high enough then for the plot, all status lines and the bar.
    const QSize bar = m_pCurrentData->sizeHint();
    const int width = std::max({m_nCompactToolbarWidth, bar.width(), kStatusMinWidth + 16});
    const int height = m_pTitleBar->sizeHint().height() + m_nCompactToolbarHeight + kPlotMinHeight +
                       StatusHeight() + bar.height();
    return {width, height};
}

int CQuillonDlg::StatusHeight() const
{
    // Every status line shown (the recording's appear later), and a second
    // line of a note: the area does not grow under the operator's eyes.
    if (auto* grid = m_pStatusForm ? m_pStatusForm->layout() : nullptr) {
        const QMargins margins = grid->contentsMargins();
        const int rows = static_cast<int>(m_pStatusForm->findChildren<QLabel*>().size()) / 2 + 1;
        const int line = QFontMetrics(m_pStatusForm->font()).height();
        return margins.top() + margins.bottom() + rows * line + (rows - 1) * 4;
    }
    return 0;
}

bool CQuillonDlg::IsStacked() const
{
    return width() < kStatusMinWidth + m_pCurrentData->sizeHint().width() + 16;
}

void CQuillonDlg::FitToScreen(QScreen* screen)
{
    // The preferred size where the screen has room for it; never larger than
    // the screen's free area, whatever its scale factor.
    const QSize minimum = GetReadableMinimumSize();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    setMinimumSize(minimum.boundedTo(available.size()));
    const QSize preferred(1100, 720);
    const QSize start = preferred.boundedTo(available.size() * 0.94).expandedTo(minimumSize());
    resize(start);
    move(available.left() + (available.width() - start.width()) / 2,
         available.top() + (available.height() - start.height()) / 2);
}

CQuillonDlg::~CQuillonDlg()
{
    CCoreInterface::SetNotifier(nullptr);
    HideBusy();
    // The dialogs cancel what they wait for; then the backing lets its
    // worker finish the exchange under way.
    delete m_pGateDialog;
    delete m_pBoardDialog;
    delete m_pEventDialog;
    m_pBacking.reset();
    // A window destroyed without being closed finishes its recording too.
    m_pSession->Finish();
}

void CQuillonDlg::Initialize()
{
    // The dialogs start with what the board holds; the trigger line with its level.
    m_nStartUpRead =
        m_pBacking->Start({BackingOperation::ReadSetUp, {}}, [this](const CBackingResult& result) {
            m_nStartUpRead = 0;
            if (!result.nResult)
                return;
            m_pGateDialog->SetGateParameters(result.records.gates);
            m_pBoardDialog->SetGateParameters(result.records.gates);
            m_pBoardDialog->SetRecords(result.records.board, result.records.channels);
            m_pEventDialog->SetGateParameters(result.records.gates);
            m_pEventDialog->SetEvents(result.records.events);
            m_pPlot->SetTriggerLevel(result.records.board.GetAdcTriggerLevel());
        });

    // The poller posts; the window handles its events on its own thread. The
    // destructor removes the notifier (which waits for a running call), so
    // the poller never posts to a window that is gone.
    auto statusPending = m_pStatusPending;
    auto pulsePending = m_pPulsePending;
    CCoreInterface::SetNotifier([this, statusPending, pulsePending](unsigned message) {
        auto& pending = message == UM_PULSE_DATA ? *pulsePending : *statusPending;
        if (pending.exchange(true))
            return;
        QCoreApplication::postEvent(
            this,
            new CNotifyEvent(message == UM_PULSE_DATA ? kPulseDataEvent : kStatusUpdateEvent));
    });
    m_bInitialised = true;
    OnStatusUpdate();
}

void CQuillonDlg::CreateShortcuts()
{
    // Keys of the whole window, whichever of its parts has the focus.
    const auto add = [this](const QKeySequence& key, auto action) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    add(QKeySequence(Qt::Key_Space), [this] { m_pPlot->SetPaused(!m_pPlot->IsPaused()); });
    add(QKeySequence(Qt::Key_Left), [this] { m_pPlot->StepBack(); });
    add(QKeySequence(Qt::Key_Right), [this] { m_pPlot->StepForward(); });
    add(QKeySequence(Qt::Key_Escape), [this] { m_pPlot->ClearBasePoint(); });
    add(QKeySequence(Qt::Key_F), [this] { m_pPlot->ZoomToFit(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_R), [this] { OnRecordStart(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_S), [this] { OnRecordStop(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_P), [this] { PrintPlot(); });
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), [this] { PrintPlotToPdf(); });

    // The plot's menu offers printing too.
    auto* print = new QAction(QStringLiteral("Print..."), this);
    print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(print, &QAction::triggered, this, &CQuillonDlg::PrintPlot);
    auto* pdf = new QAction(QStringLiteral("Print to PDF..."), this);
    pdf->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    connect(pdf, &QAction::triggered, this, &CQuillonDlg::PrintPlotToPdf);
    m_pPlot->AddMenuActions({print, pdf});
}

void CQuillonDlg::showEvent(QShowEvent* event)
{
    CPageEx::showEvent(event);
    // The plot takes the keys from the start, not the first button of the title bar.
    if (!event->spontaneous())
        m_pPlot->setFocus(Qt::OtherFocusReason);
}

void CQuillonDlg::ShowPulseFields()
{
    const CPulseData* viewed = m_pPlot->GetViewedPulse();
    if (m_pPlot->IsPaused()) {
        m_pCurrentData->SetLiveCaption(QStringLiteral("Viewed Pulse (paused)"));
        if (!viewed)
            return;
        const double frequency = monitor::CorrectedFrequency(
            CQuillonIniConfig::FrequencyCorrectionfactor(), viewed->GetFrequencyPulse());
        m_pCurrentData->SetFrequency(0, Text(monitor::FrequencyText(frequency)));
        SetStatus(kElapsedValue,
                  Text(monitor::ElapsedTimeText(viewed->GetPulseTime())) +
                      QStringLiteral("  (pulse %1, paused)").arg(viewed->GetPulseIndex()));
        return;
    }
    m_pCurrentData->SetLiveCaption(QStringLiteral("Current Data"));
    if (!m_bLinkUp || !m_bHaveLivePulse) {
        m_pCurrentData->SetFrequency(0, QString());
        SetStatus(kElapsedValue, QString());
        return;
    }
    m_pCurrentData->SetFrequency(0, Text(monitor::FrequencyText(m_dFrequency[0])));
    SetStatus(kElapsedValue, Text(monitor::ElapsedTimeText(m_livePulse.GetPulseTime())));
}

void CQuillonDlg::customEvent(QEvent* event)
{
    if (event->type() == static_cast<QEvent::Type>(kStatusUpdateEvent)) {
        m_pStatusPending->store(false);
        OnStatusUpdate();
    } else if (event->type() == static_cast<QEvent::Type>(kPulseDataEvent)) {
        m_pPulsePending->store(false);
        OnPulseData();
    } else if (event->type() == static_cast<QEvent::Type>(kGatesChangedEvent)) {
        OnGatesChanged();
    }
}

void CQuillonDlg::SetStatus(int controlId, const QString& text)
{
    auto* label = CResourceLibrary::Control<QLabel>(m_pStatusForm, controlId);
    if (!label)
        return;
    label->setProperty("fullText", text);
    ElideStatus(label);
}

void CQuillonDlg::ElideStatus(QLabel* label)
{
    // A value too long for its line is cut with an ellipsis (a path in the
    // middle, where its folders are) and shown whole in its tool tip.
    const QString text = label->property("fullText").toString();
    const QString base = label->property("baseToolTip").toString();
    if (label->wordWrap()) {
        label->setText(text);
        return;
    }
    const int width = label->contentsRect().width();
    const QFontMetrics metrics(label->font());
    const bool cut = width > 0 && metrics.horizontalAdvance(text) > width;
    const Qt::TextElideMode mode = text.startsWith('/') ? Qt::ElideMiddle : Qt::ElideRight;
    label->setText(cut ? metrics.elidedText(text, mode, width) : text);
    label->setToolTip(cut ? (base.isEmpty() ? text : text + "\n" + base) : base);
}

void CQuillonDlg::ElideStatusLines()
{
    if (!m_pStatusForm)
        return;
    if (QLayout* layout = m_pStatusForm->layout())
        layout->activate();
    for (QLabel* label : m_pStatusForm->findChildren<QLabel*>())
        if (label->property("fullText").isValid())
            ElideStatus(label);
}

QString CQuillonDlg::StatusToolTip(int controlId) const
{
    auto* label = CResourceLibrary::Control<QLabel>(m_pStatusForm, controlId);
    return label ? label->toolTip() : QString();
}

void CQuillonDlg::SetLinkStatusSource(std::function<CLinkStatus()> source)
{
    m_linkSource = std::move(source);
}

void CQuillonDlg::ShowLink(const CLinkStatus& link)
{
    const bool up = link.GetCondition() == LINK_CONNECTED;
    auto* label = CResourceLibrary::Control<QLabel>(m_pStatusForm, kLinkValue);
    if (label) {
        label->setProperty("baseToolTip", Text(monitor::LinkToolTip(link)));
        SetStatus(kLinkValue, Text(monitor::LinkText(link)));
        if (label->property("link").toString() != (up ? "up" : "down")) {
            label->setProperty("link", up ? "up" : "down");
            label->style()->unpolish(label);
            label->style()->polish(label);
        }
    }
    if (up == m_bLinkUp && m_bLinkShown)
        return;
    m_bLinkUp = up;
    m_bLinkShown = true;
    if (!up) {
        // A board that does not answer has no frequency, run state or time
        // to show; the next pulse and status word bring them back.
        m_bHaveLivePulse = false;
        m_dFrequency[0] = 0;
    }
    ShowPulseFields();
}

QString CQuillonDlg::StatusLine(int controlId) const
{
    auto* label = CResourceLibrary::Control<QLabel>(m_pStatusForm, controlId);
    if (!label)
        return QString();
    const QVariant full = label->property("fullText");
    return full.isValid() ? full.toString() : label->text();
}

QString CQuillonDlg::ShownStatusLine(int controlId) const
{
    auto* label = CResourceLibrary::Control<QLabel>(m_pStatusForm, controlId);
    return label ? label->text() : QString();
}

bool CQuillonDlg::IsStatusLineVisible(int controlId) const
{
    auto* widget = CResourceLibrary::Control<QWidget>(m_pStatusForm, controlId);
    return widget && !widget->isHidden();
}

void CQuillonDlg::OnStatusUpdate()
{
    if (!m_bInitialised)
        return;
    ShowLink(m_linkSource ? m_linkSource() : CCoreInterface::GetLinkStatus());
    const CHardwareStatus* status = CCoreInterface::GetSystemStatus();
    const bool running = status->IsGCRunning();
    if (running != m_bLastRunState) {
        m_bLastRunState = running;
        // A run begins with a set-up the window never got: try again now.
        if (running && !m_bSetUpKnown)
            ReadSetUpInBackground();
    }
    m_pLiveRun->OnRunState(running);
    // A change of run state re-arms the timed events for the next run.
    m_pSession->OnRunState(running);
    ShowRunState();
    ShowRecording();
    if (m_pAbout->isVisible()) {
        // The status and error bits, spelt as whole status words ("0x0800").
        const unsigned word = status->GetStatus();
        m_pAbout->SetField(1032, Text(monitor::StatusWordText(word & 0xFF00u)));
        m_pAbout->SetField(1040, Text(monitor::StatusWordText(word & 0x00FFu)));
        m_pAbout->SetField(1030, Text(status->GetFirmwareRevision()));
        m_pAbout->SetField(1029, Text(status->GetBoardRevision()));
    }
}

void CQuillonDlg::ShowRecording()
{
    const bool recording = m_pSession->IsRecording();
    if (recording && !m_bRecordingShown)
        m_recordingClock.start();
    m_bRecordingShown = recording;
    SetStatus(kRecordingValue, Text(monitor::RecordingText(recording)));
    ShowRecordButtons();
    const std::string& file = m_pSession->GetFileName();
    const std::string& note = m_pSession->GetNote();
    // Absent until the first recording starts, then kept with the last file.
    if (!file.empty()) {
        CResourceLibrary::Control<QWidget>(m_pStatusForm, kRecordFileLabel)->show();
        CResourceLibrary::Control<QLabel>(m_pStatusForm, kRecordFileValue)->show();
        const std::string& path = m_pSession->GetFilePath();
        SetStatus(kRecordFileValue, Text(path.empty() ? file : path));
    }
    if (!file.empty() || !note.empty()) {
        CResourceLibrary::Control<QWidget>(m_pStatusForm, kWrittenLabel)->show();
        auto* value = CResourceLibrary::Control<QLabel>(m_pStatusForm, kWrittenValue);
        value->show();
        std::string text;
        if (!file.empty())
            text =
                monitor::WrittenText(m_pSession->GetBytesWritten(), m_pSession->GetPulsesWritten());
        if (!file.empty() && recording)
            text += "; " + monitor::DurationText(m_recordingClock.elapsed() / 1000) + " so far";
        if (!note.empty())
            text += (text.empty() ? "" : "\n") + note;
        SetStatus(kWrittenValue, Text(text));
    }
}

void CQuillonDlg::ShowRecordButtons()
{
    // Record while idle, stop while recording (or while a start waits for the board).
    const bool busy = m_pSession->IsRecording() || m_nRecordRead != 0;
    m_pCurrentData->EnableControl(kRecordStartButton, busy ? 0 : 1);
    m_pCurrentData->EnableControl(kRecordStopButton, busy ? 1 : 0);
}

void CQuillonDlg::ShowRunState()
{
    // The last word of a board that stopped answering says nothing of now.
    const QString state =
        m_bLinkUp ? Text(CCoreInterface::GetSystemStatus()->GetGCStatus()) : QString();
    SetStatus(kStatusValue,
              m_strViewState.isEmpty() ? state : state + QStringLiteral("  |  ") + m_strViewState);
}

void CQuillonDlg::OnPulseData()
{
    if (!m_bInitialised)
        return;
    // The board answers the pulse command with its latest pulse, new or not:
    // a pulse seen already is not drawn, kept or recorded a second time.
    CPulseData pulse;
    CCoreInterface::GetPulseData(pulse);
    if (!m_pulseSequence.Accept(pulse.GetPulseIndex()))
        return;
    m_livePulse.CopyFrom(pulse);
    m_bHaveLivePulse = true;
    m_pPlot->DrawPulse(m_livePulse, 0);
    m_dFrequency[0] = monitor::CorrectedFrequency(CQuillonIniConfig::FrequencyCorrectionfactor(),
                                                  m_livePulse.GetFrequencyPulse());
    if (!m_pPlot->IsPaused()) {
        // While paused the fields stay on the viewed pulse.
        m_pCurrentData->SetFrequency(0, Text(monitor::FrequencyText(m_dFrequency[0])));
        SetStatus(kElapsedValue, Text(monitor::ElapsedTimeText(m_livePulse.GetPulseTime())));
    }
    m_pAbout->SetField(1005, QString::number(m_livePulse.GetCh1Offset()));
    m_pAbout->SetField(1035, QString::number(m_livePulse.GetCh2Offset()));
    m_pAbout->SetField(1036, QString::asprintf("%0.2lf", m_livePulse.GetTDelay()));
    m_pAbout->SetField(1037, QString::number(m_livePulse.GetDarkCurrent()));
    // Written while recording, then the timed events of the run looked at:
    // a message shown meanwhile lets the next pulse in, so this one is a copy.
    const bool running = CCoreInterface::GetSystemStatus()->IsGCRunning();
    // Before the session: a recording this pulse starts does not hold it,
    // and its set-up rules from the next pulse on.
    m_pLiveRun->OnPulse(pulse, running);
    m_pSession->OnPulse(pulse, running, m_pEventDialog->GetAppliedEvents());
    ShowRecording();
}

void CQuillonDlg::OnHoldReference(int reference)
{
    if (reference < 1 || reference > 2)
        return;
    m_dFrequency[reference] = monitor::CorrectedFrequency(
        CQuillonIniConfig::FrequencyCorrectionfactor(), m_livePulse.GetFrequencyPulse());
    m_pCurrentData->SetFrequency(reference, Text(monitor::FrequencyText(m_dFrequency[reference])));
    m_pPlot->DrawPulse(m_livePulse, reference);
}

void CQuillonDlg::OnClearReference(int reference)
{
    if (reference < 1 || reference > 2)
        return;
    m_dFrequency[reference] = 0;
    m_pCurrentData->SetFrequency(reference, QString());
    m_pPlot->ClearReference(reference);
}

void CQuillonDlg::OnRecordStart()
{
    if (m_pSession->Rules().GetState() != CRecordingRules::State::Idle || m_nRecordRead)
        return;
    // The header carries what the board holds now.
    m_nRecordRead =
        m_pBacking->Start({BackingOperation::ReadSetUp, {}}, [this](const CBackingResult& result) {
            m_nRecordRead = 0;
            ShowRecordButtons();
            if (result.nResult) {
                TakeSetUp(result.records);
                m_startRecords.gates = result.records.gates;
                m_startRecords.board = result.records.board;
                m_startRecords.channels = result.records.channels;
                m_startRecords.events = result.records.events;
                m_bHaveStartRecords = true;
            } else if (CMessageService::Show(
                           "The board's set-up could not be read, so the data file's header "
                           "cannot hold it.\n" +
                               result.strMessage +
                               "\n\nRecord with the values the parameter dialogs hold instead?",
                           kCaption, MessageIcon::Question, MessageButtons::YesNo) != IDYES) {
                return;
            }
            m_pSession->ManualStart();
            m_bHaveStartRecords = false;
            if (!m_pDataSettings->isVisible())
                m_pDataSettings->UpdateFields();
            ShowRecording();
        });
    ShowRecordButtons();
}

void CQuillonDlg::OnRecordStop()
{
    // Stop pressed while the record button still waits for the board: no start.
    m_pBacking->Cancel(m_nRecordRead);
    m_nRecordRead = 0;
    m_pSession->ManualStop();
    ShowRecording();
}

bool CQuillonDlg::AskToEndRecording(const std::string& action)
{
    if (!m_pSession->IsRecording())
        return true;
    const std::string& path = m_pSession->GetFilePath();
    return CMessageService::Show(
               "A recording is in progress:\n" + (path.empty() ? m_pSession->GetFileName() : path) +
                   "\n\n" + action,
               kCaption, MessageIcon::Question, MessageButtons::YesNoDefaultNo) == IDYES;
}

void CQuillonDlg::ResetToReady()
{
    if (!AskToEndRecording("Reset to Ready stops it; the file keeps what was recorded. "
                           "Send Reset to Ready?"))
        return;
    m_pBacking->Cancel(m_nRecordRead);
    m_nRecordRead = 0;
    m_pSession->ResetToReady();
    ShowRecording();
}

CQuillonDlg::HeaderSource CQuillonDlg::GetHeaderRecords(RecordingCause cause,
                                                        CConfigBlockSet& records, std::string& note)
{
    if (cause == RecordingCause::Manual && m_bHaveStartRecords) {
        records = m_startRecords;
        return HeaderSource::Board;
    }
    // The dialogs' records: what was last read from the board or sent to it.
    records.gates = m_pGateDialog->GetGateParameters();
    records.board = m_pBoardDialog->GetBoardParameters();
    records.channels = m_pBoardDialog->GetChannelParameters();
    records.events = m_pEventDialog->GetAppliedEvents();
    // A timed start cannot wait for the board; a manual one read it and failed.
    if (cause == RecordingCause::Timed && m_bSetUpKnown)
        return HeaderSource::Board;
    note = "The data file's header holds the parameter dialogs' values: the board's set-up could "
           "not be read";
    return HeaderSource::NotRead;
}

OverwriteAnswer CQuillonDlg::AskOverwrite(const CRecordingQuestion& question)
{
    // Replacing a recording cannot be undone: No is the default.
    return CMessageService::Show(question.text, question.caption, MessageIcon::Warning,
                                 MessageButtons::YesNoDefaultNo) == IDYES
               ? OverwriteAnswer::Replace
               : OverwriteAnswer::Refuse;
}

void CQuillonDlg::AddRunLogEntry(const std::string& text)
{
    CRunLog::AddEntry(text);
}

void CQuillonDlg::ShowMessage(const std::string& text, MessageIcon icon)
{
    ShowRecording(); // "Stopped" before the box, not after it
    CMessageService::Show(text, kCaption, icon);
}

void CQuillonDlg::ResetToReady(RecordingCause)
{
    ShowRecording();
    if (m_nResetRequest)
        return; // the one sent is still on its way
    CLinkRequest reset;
    reset.eOperation = LinkOperation::ResetToReady;
    m_nResetRequest = m_pLink->Submit(reset, [this](const CLinkResult& result) {
        m_nResetRequest = 0;
        if (result.nResult) {
            // The run is over: its frequency is no longer true.
            m_dFrequency[0] = 0;
            m_bHaveLivePulse = false;
            ShowPulseFields();
            CMessageService::Show("Reset to Ready command sent successfully", kCaption,
                                  MessageIcon::Information);
        } else {
            CMessageService::Show("Failed to send command Reset to Ready\n" +
                                      result.fault.GetSentence(),
                                  kCaption, MessageIcon::Error);
        }
    });
}

void CQuillonDlg::OnRecordingStarted(const std::string&, RecordingCause)
{
    m_pLiveRun->OnRecordingStarted(m_pSession->Recorder().GetHeader().config);
    // The start may have taken the next free name.
    if (m_pDataSettings && !m_pDataSettings->isVisible())
        m_pDataSettings->UpdateFields();
}

void CQuillonDlg::OnRecordingFinished(const CRecordingSummary&)
{
    m_pLiveRun->OnRecordingFinished();
    // The index has moved on to the next free name.
    if (m_pDataSettings && !m_pDataSettings->isVisible())
        m_pDataSettings->UpdateFields();
}

void CQuillonDlg::TakeSetUp(const CBackingRecords& records)
{
    m_bSetUpKnown = true;
    if (!m_pGateDialog->isVisible())
        m_pGateDialog->SetGateParameters(records.gates);
    if (!m_pBoardDialog->isVisible()) {
        m_pBoardDialog->SetGateParameters(records.gates);
        m_pBoardDialog->SetRecords(records.board, records.channels);
    }
    if (!m_pEventDialog->isVisible()) {
        m_pEventDialog->SetGateParameters(records.gates);
        m_pEventDialog->SetEvents(records.events);
    }
    m_pPlot->SetTriggerLevel(records.board.GetAdcTriggerLevel());
    m_pLiveRun->OnBoardSetUpChanged();
}

void CQuillonDlg::ReadSetUpInBackground()
{
    if (m_nBackgroundRead && m_pBacking->IsPending(m_nBackgroundRead))
        return;
    m_nBackgroundRead =
        m_pBacking->Start({BackingOperation::ReadSetUp, {}}, [this](const CBackingResult& result) {
            m_nBackgroundRead = 0;
            if (result.nResult)
                TakeSetUp(result.records);
        });
}

void CQuillonDlg::OnButtonClicked(unsigned id)
{
    switch (id) {
    case kResetToReady:
        ResetToReady();
        break;
    case kZoomOut:
        m_pPlot->ZoomOut();
        break;
    case kZoomToFit:
        m_pPlot->ZoomToFit();
        break;
    case kPrint:
        PrintPlot();
        break;
    case kGateParams:
        ShowDialog(m_pGateDialog, [this] { m_pGateDialog->Refresh(); });
        break;
    case kBoardParams:
        ShowDialog(m_pBoardDialog, [this] { m_pBoardDialog->Refresh(); });
        break;
    case kTimedEvents:
        ShowDialog(m_pEventDialog, [this] { m_pEventDialog->Refresh(); });
        break;
    case kViewRunLog:
        ShowDialog(m_pRunLogDialog, [this] { m_pRunLogDialog->Load(); });
        break;
    case kDataSettings:
        // Shown and centred again even when it is open already.
        m_pDataSettings->UpdateFields();
        ShowCentred(m_pDataSettings);
        break;
    case kSaveConfig:
        SaveConfig();
        break;
    case kOpenConfig:
        OpenConfig();
        break;
    case kAbout:
        if (!m_pAbout->isVisible()) {
            ShowCentred(m_pAbout);
            OnStatusUpdate();
        }
        break;
    case kClose:
        close();
        break;
    case kMinimise:
        showMinimized();
        break;
    case kMaximise:
        ToggleMaximised();
        break;
    default:
        break;
    }
}

void CQuillonDlg::CreateDialogs()
{
    m_pBacking = std::make_unique<CInstrumentBacking>();
    m_pLink = new CLinkRequester(this);
    CDialogOptions options;
    options.caption = kCaption;
    options.pFallback = &m_configFile;
    m_pGateDialog = new CQuillonGatesModesDialog(m_pBacking.get(), options, this);
    m_pBoardDialog = new CQuillonBoardChanDialog(m_pBacking.get(), options, this);
    m_pEventDialog = new CQuillonSetEventDialog(m_pBacking.get(), options, this);
    CRunLogOptions runLog;
    runLog.caption = kCaption;
    runLog.logPath = CRunLog::GetFilePath();
    m_pRunLogDialog = new CQuillonRunLogDialog(runLog, this);
    m_pRunLogDialog->Load();
    // Created hidden; it loads the data settings into the recorder.
    m_pDataSettings =
        new CDialogRecordSettings(m_pSession->Recorder(), m_strDataSettingsPath, kCaption, this);

    connect(m_pBoardDialog, &CQuillonBoardChanDialog::applied, this,
            [this](const CBoardParameters& board, const CChannelParameters&) {
                m_pPlot->SetTriggerLevel(board.GetAdcTriggerLevel());
            });
    // Posted, as the board/channel dialog may be the one reading just now.
    connect(m_pGateDialog, &CQuillonGatesModesDialog::gatesSent, this,
            [this] { QCoreApplication::postEvent(this, new CNotifyEvent(kGatesChangedEvent)); });
}

void CQuillonDlg::ShowDialog(QWidget* dialog, const std::function<void()>& refresh)
{
    if (dialog->isVisible())
        return;
    // The board's answer takes longest: ask first, then lay out and show
    // the dialog while the request is on the wire.
    refresh();
    ShowCentred(dialog);
}

void CQuillonDlg::OnGatesChanged()
{
    m_pBoardDialog->RefreshGates();
    m_pLiveRun->OnBoardSetUpChanged();
}

bool CQuillonDlg::IsReadingStartUpSetUp() const
{
    return m_nStartUpRead != 0 && m_pBacking->IsPending(m_nStartUpRead);
}

QString CQuillonDlg::GetBusyText() const
{
    return m_pBusy ? m_pBusy->labelText() : QString();
}

void CQuillonDlg::ShowBusy(const QString& text, std::function<void()> onCancel)
{
    HideBusy();
    m_pBusy = new QProgressDialog(text, QStringLiteral("Cancel"), 0, 0, this);
    m_pBusy->setWindowTitle(QString::fromLatin1(kCaption));
    m_pBusy->setWindowModality(Qt::WindowModal);
    m_pBusy->setMinimumDuration(0);
    m_pBusy->setAutoClose(false);
    m_pBusy->setAutoReset(false);
    connect(m_pBusy, &QProgressDialog::canceled, this, [this, onCancel = std::move(onCancel)] {
        HideBusy();
        onCancel();
    });
    m_pBusy->show();
}

void CQuillonDlg::HideBusy()
{
    if (!m_pBusy)
        return;
    QProgressDialog* busy = m_pBusy;
    m_pBusy = nullptr;
    busy->disconnect(this);
    busy->hide();
    busy->deleteLater();
}

void CQuillonDlg::CancelBusy()
{
    if (m_pBusy)
        emit m_pBusy->canceled();
}

void CQuillonDlg::SaveConfig()
{
    if (m_nSetUpRequest)
        return;
    if (!CQuillonIniConfig::IsOnline()) {
        SaveConfigAs();
        return;
    }
    // Online, the file is to hold what the board holds now.
    const auto cancel = [this] {
        m_pBacking->Cancel(m_nSetUpRequest);
        m_nSetUpRequest = 0;
    };
    ShowBusy(QString::fromStdString(m_pBacking->BusyText(BackingOperation::ReadSetUp)), cancel);
    m_nSetUpRequest =
        m_pBacking->Start({BackingOperation::ReadSetUp, {}}, [this](const CBackingResult& result) {
            m_nSetUpRequest = 0;
            HideBusy();
            if (result.nResult) {
                m_bSetUpKnown = true;
                m_pGateDialog->SetGateParameters(result.records.gates);
                m_pBoardDialog->SetRecords(result.records.board, result.records.channels);
                m_pEventDialog->SetEvents(result.records.events);
            } else if (CMessageService::Show(
                           "The set-up could not be read from the board.\n" + result.strMessage +
                               "\n\nSave the values the parameter dialogs hold instead?",
                           kCaption, MessageIcon::Question, MessageButtons::YesNo) != IDYES) {
                return;
            }
            SaveConfigAs();
        });
}

void CQuillonDlg::SaveConfigAs()
{
    CFileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Save Config";
    request.filter = kConfigFilter;
    request.defaultExtension = "cnfg";
    request.initialName = "*.cnfg";
    request.flags = kConfigDialogFlags;
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return;
    m_configFile.SetGateParameters(m_pGateDialog->GetGateParameters());
    m_configFile.SetBoardParameters(m_pBoardDialog->GetBoardParameters());
    m_configFile.SetChannelParameters(m_pBoardDialog->GetChannelParameters());
    m_configFile.SetTimedEvent(m_pEventDialog->GetAppliedEvents());
    std::vector<uint8_t> image;
    m_configFile.AppendImage(image);
    // Through a temporary file: a failed save leaves an earlier file whole.
    std::string error;
    if (!WriteFileBytes(path, image, error)) {
        CMessageService::Show("The configuration file \"" + path + "\" could not be saved:\n" +
                                  error,
                              kCaption, MessageIcon::Error);
        return;
    }
    CDebugLog::Add(kSavedText);
}

void CQuillonDlg::OpenConfig()
{
    if (m_nSetUpRequest)
        return;
    CFileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = "Open Config";
    request.filter = kConfigFilter;
    request.defaultExtension = ".cnfg";
    request.initialName = "*.cnfg";
    request.flags = kConfigDialogFlags;
    std::string path;
    if (CFileDialogService::Ask(request, path))
        ApplyConfig(path);
}

void CQuillonDlg::ApplyConfig(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::string error;
    CConfigFile file;
    if (!ReadFileBytes(path, bytes, error, kMaxConfigFileBytes) || !file.Parse(bytes, error)) {
        CMessageService::Show("The configuration file \"" + path + "\" could not be opened:\n" +
                                  error,
                              kCaption, MessageIcon::Error);
        return;
    }
    if (file.GetTag() != CConfigFile::kTag) {
        CMessageService::Show("\"" + path +
                                  "\" is not a configuration file: it does not start with the "
                                  "configuration tag. Nothing was sent to the board.",
                              kCaption, MessageIcon::Error);
        return;
    }
    // The file becomes the configuration object and the dialogs' records,
    // whatever the board makes of it; a start-up read still under way
    // would bring back what the board held before.
    m_pBacking->Cancel(m_nStartUpRead);
    m_nStartUpRead = 0;
    m_configFile = file;
    m_pGateDialog->SetGateParameters(file.GetGateParameters());
    m_pEventDialog->SetGateParameters(file.GetGateParameters());
    m_pEventDialog->SetEvents(file.GetTimedEvent());
    m_pBoardDialog->SetGateParameters(file.GetGateParameters());
    m_pBoardDialog->SetRecords(file.GetBoardParameters(), file.GetChannelParameters());

    CBackingRequest apply{BackingOperation::ApplySetUp, {}};
    apply.records.gates = file.GetGateParameters();
    apply.records.board = file.GetBoardParameters();
    apply.records.channels = file.GetChannelParameters();
    apply.records.events = file.GetTimedEvent();
    const auto cancel = [this, path] {
        m_pBacking->Cancel(m_nSetUpRequest);
        m_nSetUpRequest = 0;
        CMessageService::Show("Applying the configuration file \"" + path + "\" was cancelled.\n" +
                                  kMixtureText,
                              kCaption, MessageIcon::Warning);
    };
    ShowBusy(QStringLiteral("Applying the configuration file to the board..."), cancel);
    const unsigned adcTriggerLevel = file.GetBoardParameters().GetAdcTriggerLevel();
    m_nSetUpRequest = m_pBacking->Start(apply, [this, path,
                                                adcTriggerLevel](const CBackingResult& result) {
        m_nSetUpRequest = 0;
        HideBusy();
        if (!result.nResult) {
            CMessageService::Show("The configuration file \"" + path +
                                      "\" could not be applied.\n" + result.strMessage + "\n" +
                                      kMixtureText,
                                  kCaption, MessageIcon::Error);
            return;
        }
        m_pPlot->SetTriggerLevel(adcTriggerLevel);
        m_bSetUpKnown = true;
        CDebugLog::Add(kAppliedText);
        CMessageService::Show(kAppliedText, kCaption, MessageIcon::Information, MessageButtons::Ok);
    });
}

void CQuillonDlg::ShowCentred(QWidget* dialog)
{
    const QRect frame = geometry();
    dialog->adjustSize();
    dialog->move(frame.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
    dialog->show();
    dialog->raise();
}

void CQuillonDlg::ToggleMaximised()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void CQuillonDlg::changeEvent(QEvent* event)
{
    CPageEx::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        m_bMaximised = isMaximized();
        m_pTitleBar->ShowMaximised(m_bMaximised);
        for (CResizeGrip* grip : m_grips)
            grip->setVisible(!m_bMaximised && !isFullScreen());
    }
}

CPlotPageHeader CQuillonDlg::GetPrintHeader() const
{
    CPlotPageHeader header;
    header.instrument = Text(CQuillonIniConfig::GetInstrumentID());
    header.printedAt = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    header.runState =
        m_bLinkUp ? Text(CCoreInterface::GetSystemStatus()->GetGCStatus()) : StatusLine(kLinkValue);
    const CPulseData* viewed = m_pPlot->GetViewedPulse();
    const CPulseData* shown = viewed ? viewed : (m_bHaveLivePulse ? &m_livePulse : nullptr);
    header.pulse = shown ? QStringLiteral("Pulse %1 at %2%3")
                               .arg(shown->GetPulseIndex())
                               .arg(Text(monitor::ElapsedTimeText(shown->GetPulseTime())),
                                    viewed ? QStringLiteral(" (paused view)") : QString())
                         : QStringLiteral("No pulse yet");
    return header;
}

void CQuillonDlg::PrintPlot()
{
    // The print button prints what the operator sees: the live plot, with a header.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!CPrintDialogService::Ask(printer, 1, 1, this))
        return;
    if (!CPlotPage::Print(printer, GetPrintHeader(), *m_pPlot->PlotControl()))
        CMessageService::Show("The plot could not be printed: the printer could not be opened.",
                              kCaption, MessageIcon::Error);
}

void CQuillonDlg::PrintPlotToPdf()
{
    CFileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Print to PDF";
    request.filter = "PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*||";
    request.defaultExtension = "pdf";
    request.initialName = "pulse.pdf";
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!CPlotPage::Print(printer, GetPrintHeader(), *m_pPlot->PlotControl()))
        CMessageService::Show("The PDF file \"" + path + "\" could not be written.", kCaption,
                              MessageIcon::Error);
}

void CQuillonDlg::OnSizeChanged()
{
    Layout();
}

void CQuillonDlg::Layout()
{
    const int width = this->width();
    const int titleHeight = m_pTitleBar->sizeHint().height();
    m_pTitleBar->setGeometry(0, 0, width, titleHeight);
    m_pToolbar->SetCompact(width < m_nFullToolbarWidth);
    const int toolbarHeight = m_pToolbar->sizeHint().height();
    m_pToolbar->setGeometry(0, titleHeight, width, toolbarHeight);
    const QSize barSize = m_pCurrentData->sizeHint();
    const int barTop = height() - barSize.height();
    m_pCurrentData->setGeometry(std::max(0, width - barSize.width()), barTop,
                                std::min(width, barSize.width()), barSize.height());
    int bottomTop = 0;
    if (IsStacked()) {
        // Too narrow for both side by side: the status lines above the bar.
        const int statusHeight = StatusHeight();
        bottomTop = barTop - statusHeight;
        if (m_pStatusForm)
            m_pStatusForm->setGeometry(8, bottomTop, std::max(0, width - 16), statusHeight);
    } else {
        const int bottomHeight = std::max(barSize.height(), StatusHeight());
        bottomTop = height() - bottomHeight;
        m_pCurrentData->move(width - barSize.width(), bottomTop);
        if (m_pStatusForm)
            m_pStatusForm->setGeometry(8, bottomTop, std::max(0, width - barSize.width() - 16),
                                       bottomHeight);
    }
    const int plotTop = titleHeight + toolbarHeight;
    const int area = std::max(0, bottomTop - plotTop);
    const int strip = std::clamp(static_cast<int>(area * kStripShare), kStripMinHeight,
                                 kStripMaxHeight);
    // The pulse plot keeps its readable height; the strip gives way below it.
    int stripHeight = std::min(strip, area - kPlotMinHeight);
    if (stripHeight < kStripMinHeight)
        stripHeight = 0;
    m_pPlot->setGeometry(0, plotTop, width, area - stripHeight);
    m_pLiveStrip->setGeometry(0, plotTop + area - stripHeight, width, stripHeight);
    m_pLiveStrip->setVisible(stripHeight > 0);
    ElideStatusLines();

    const int edge = kGripPixels;
    const int corner = 3 * kGripPixels;
    for (CResizeGrip* grip : m_grips) {
        const Qt::Edges e = grip->GetEdges();
        const bool horizontal = e & (Qt::LeftEdge | Qt::RightEdge);
        const bool vertical = e & (Qt::TopEdge | Qt::BottomEdge);
        const int w = horizontal ? (vertical ? corner : edge) : width - 2 * corner;
        const int h = vertical ? (horizontal ? corner : edge) : height() - 2 * corner;
        const int x = (e & Qt::LeftEdge) ? 0 : (e & Qt::RightEdge) ? width - w : corner;
        const int y = (e & Qt::TopEdge) ? 0 : (e & Qt::BottomEdge) ? height() - h : corner;
        grip->setGeometry(x, y, w, h);
        grip->raise();
    }
}

void CQuillonDlg::closeEvent(QCloseEvent* event)
{
    if (!AskToEndRecording("Closing the Monitor stops it; the file keeps what was recorded. "
                           "Close the Monitor?")) {
        event->ignore();
        return;
    }
    // A recording still running when the window closes is finished properly:
    // its count written and the file closed.
    m_pSession->Finish();
    ShowRecording();
    event->accept();
}
