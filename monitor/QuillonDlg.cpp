#include "QuillonDlg.h"

#include "Archive.h"
#include "CoreInterface.h"
#include "DialogRecordSettings.h"
#include "FileDialogService.h"
#include "FilePaths.h"
#include "InstrumentBacking.h"
#include "LinkRequester.h"
#include "Logs.h"
#include "MessageService.h"
#include "MonitorText.h"
#include "PlotDlg.h"
#include "PrintDialogService.h"
#include "QuillonBoardChanDialog.h"
#include "QuillonGatesModesDialog.h"
#include "QuillonIniConfig.h"
#include "QuillonRunLogDialog.h"
#include "QuillonSetEventDialog.h"
#include "ResourceLibrary.h"
#include "iPlotXControl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>

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
};

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
    });

    SetStatus(kRecordingValue, Text(monitor::RecordingText(false)));
    for (int id : {kRecordFileLabel, kRecordFileValue, kWrittenLabel, kWrittenValue})
        if (auto* line = CResourceLibrary::Control<QWidget>(m_pStatusForm, id))
            line->hide();

    m_pPlot->SetLimitSettingsPath(
        QString::fromStdString(CFilePaths::GetConfigPath() + "/GeneralSettings.cfg"));
    resize(1100, 720);
    Layout();
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
    if (auto* label = CResourceLibrary::Control<QLabel>(m_pStatusForm, controlId))
        label->setText(text);
}

QString CQuillonDlg::StatusLine(int controlId) const
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
    const CHardwareStatus* status = CCoreInterface::GetSystemStatus();
    const bool running = status->IsGCRunning();
    if (running != m_bLastRunState) {
        m_bLastRunState = running;
        // A run begins with a set-up the window never got: try again now.
        if (running && !m_bSetUpKnown)
            ReadSetUpInBackground();
    }
    // A change of run state re-arms the timed events for the next run.
    m_pSession->OnRunState(running);
    ShowRunState();
    ShowRecording();
    if (m_pAbout->isVisible()) {
        m_pAbout->SetField(1032, Text(status->GetStatusText()));
        m_pAbout->SetField(1040, Text(status->GetErrorText()));
        m_pAbout->SetField(1030, Text(status->GetFirmwareRevision()));
        m_pAbout->SetField(1029, Text(status->GetBoardRevision()));
    }
}

void CQuillonDlg::ShowRecording()
{
    SetStatus(kRecordingValue, Text(monitor::RecordingText(m_pSession->IsRecording())));
    const std::string& file = m_pSession->GetFileName();
    const std::string& note = m_pSession->GetNote();
    // Absent until the first recording starts, then kept with the last file.
    if (!file.empty()) {
        CResourceLibrary::Control<QWidget>(m_pStatusForm, kRecordFileLabel)->show();
        auto* value = CResourceLibrary::Control<QLabel>(m_pStatusForm, kRecordFileValue);
        value->show();
        value->setText(Text(file));
    }
    if (!file.empty() || !note.empty()) {
        CResourceLibrary::Control<QWidget>(m_pStatusForm, kWrittenLabel)->show();
        auto* value = CResourceLibrary::Control<QLabel>(m_pStatusForm, kWrittenValue);
        value->show();
        std::string text;
        if (!file.empty())
            text =
                monitor::WrittenText(m_pSession->GetBytesWritten(), m_pSession->GetPulsesWritten());
        if (!note.empty())
            text += (text.empty() ? "" : "\n") + note;
        value->setText(Text(text));
    }
}

void CQuillonDlg::ShowRunState()
{
    const QString state = Text(CCoreInterface::GetSystemStatus()->GetGCStatus());
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
    m_pPlot->DrawPulse(m_livePulse, 0);
    m_dFrequency[0] = monitor::CorrectedFrequency(CQuillonIniConfig::FrequencyCorrectionfactor(),
                                                  m_livePulse.GetFrequencyPulse());
    m_pCurrentData->SetFrequency(0, Text(monitor::FrequencyText(m_dFrequency[0])));
    SetStatus(kElapsedValue, Text(monitor::ElapsedTimeText(m_livePulse.GetPulseTime())));
    m_pAbout->SetField(1005, QString::number(m_livePulse.GetCh1Offset()));
    m_pAbout->SetField(1035, QString::number(m_livePulse.GetCh2Offset()));
    m_pAbout->SetField(1036, QString::asprintf("%0.2lf", m_livePulse.GetTDelay()));
    m_pAbout->SetField(1037, QString::number(m_livePulse.GetDarkCurrent()));
    // Written while recording, then the timed events of the run looked at:
    // a message shown meanwhile lets the next pulse in, so this one is a copy.
    const bool running = CCoreInterface::GetSystemStatus()->IsGCRunning();
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
}

void CQuillonDlg::OnRecordStop()
{
    // Stop pressed while the record button still waits for the board: no start.
    m_pBacking->Cancel(m_nRecordRead);
    m_nRecordRead = 0;
    m_pSession->ManualStop();
    ShowRecording();
}

void CQuillonDlg::ResetToReady()
{
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
    return CMessageService::Show(question.text, question.caption, MessageIcon::Warning,
                                 MessageButtons::YesNo) == IDYES
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
        if (result.nResult)
            CMessageService::Show("Reset to Ready command sent successfully", kCaption,
                                  MessageIcon::Information);
        else
            CMessageService::Show("Failed to send command Reset to Ready\n" +
                                      result.fault.GetSentence(),
                                  kCaption, MessageIcon::Error);
    });
}

void CQuillonDlg::OnRecordingStarted(const std::string&, RecordingCause)
{
    // The start may have taken the next free name.
    if (m_pDataSettings && !m_pDataSettings->isVisible())
        m_pDataSettings->UpdateFields();
}

void CQuillonDlg::OnRecordingFinished(const CRecordingSummary&)
{
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
    if (m_bMaximised)
        showNormal();
    else
        showMaximized();
    m_bMaximised = !m_bMaximised;
}

void CQuillonDlg::PrintPlot()
{
    // The print button prints what the operator sees: the live plot.
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!CPrintDialogService::Ask(printer, 1, 1, this))
        return;
    QPainter painter(&printer);
    m_pPlot->PlotControl()->Render(
        painter,
        printer.pageLayout()
            .paintRectPixels(printer.resolution())
            .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft()));
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
    const int toolbarHeight = m_pToolbar->sizeHint().height();
    m_pToolbar->setGeometry(0, titleHeight, width, toolbarHeight);
    const QSize barSize = m_pCurrentData->sizeHint();
    const int barTop = height() - barSize.height();
    m_pCurrentData->setGeometry(width - barSize.width(), barTop, barSize.width(), barSize.height());
    if (m_pStatusForm)
        m_pStatusForm->setGeometry(8, barTop, std::max(0, width - barSize.width() - 16),
                                   barSize.height());
    const int plotTop = titleHeight + toolbarHeight;
    m_pPlot->setGeometry(0, plotTop, width, std::max(0, barTop - plotTop));
}

void CQuillonDlg::closeEvent(QCloseEvent* event)
{
    // A recording still running when the window closes is finished properly:
    // its count written and the file closed.
    m_pSession->Finish();
    event->accept();
}
