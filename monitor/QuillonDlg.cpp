#include "QuillonDlg.h"

#include "CoreInterface.h"
#include "FilePaths.h"
#include "Logs.h"
#include "MessageService.h"
#include "MonitorText.h"
#include "PlotDlg.h"
#include "QuillonIniConfig.h"
#include "ResourceLibrary.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <qcustomplot.h>

namespace {

// Toolbar, title-bar and current-data control ids.
enum : unsigned {
    kOpenConfig = 1027, kSaveConfig = 1008, kPrint = 1010, kGateParams = 1013,
    kBoardParams = 1012, kTimedEvents = 1015, kDataSettings = 1029, kViewRunLog = 1025,
    kResetToReady = 1016, kZoomOut = 1042, kZoomToFit = 1043, kAbout = 1019,
    kClose = 1002, kMaximise = 1003, kMinimise = 1004,
};

// Status lines of the main window's form.
enum : int {
    kElapsedValue = 1041, kStatusValue = 1063, kRecordingValue = 1065,
    kRecordFileLabel = 1070, kRecordFileValue = 1069,
};

const QColor kPanelColour(0, 76, 154);

QString Text(const std::string& text) { return QString::fromStdString(text); }

class CNotifyEvent : public QEvent {
public:
    explicit CNotifyEvent(int type) : QEvent(static_cast<QEvent::Type>(type)) {}
};

} // namespace

CQuillonDlg::CQuillonDlg(QWidget* parent)
    : CPageEx(parent), m_pStatusPending(std::make_shared<std::atomic<bool>>(false)),
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
    m_pTitleBar->SetInstrumentText(Text(monitor::InstrumentText(CQuillonIniConfig::GetInstrumentID())));
    m_pToolbar = new CToolbarButtonDialog(this);
    m_pCurrentData = new CDialogCurrentData(this);
    m_pPlot = new CPlotDlg(this);
    m_pStatusForm = CResourceLibrary::LoadForm(102, this);
    m_pAbout = new CTarvolinMonitorAboutDialog(this);
    SetButtonPannel(m_pTitleBar, 0);
    SetButtonPannel(m_pToolbar, 1);
    SetButtonPannel(m_pCurrentData, 2);
    for (CButtonPannel* panel : {static_cast<CButtonPannel*>(m_pTitleBar), static_cast<CButtonPannel*>(m_pToolbar),
                                 static_cast<CButtonPannel*>(m_pCurrentData)})
        panel->Initialize();

    // The dialogs behind these buttons arrive with the parameter dialogs.
    for (unsigned id : {kOpenConfig, kSaveConfig, kGateParams, kBoardParams, kTimedEvents,
                        kDataSettings, kViewRunLog})
        m_pToolbar->EnableControl(id, 0);

    connect(m_pTitleBar, &CTitleBarDlg::maximiseRequested, this, &CQuillonDlg::ToggleMaximised);
    connect(m_pCurrentData, &CDialogCurrentData::holdReference, this, &CQuillonDlg::OnHoldReference);
    connect(m_pCurrentData, &CDialogCurrentData::clearReference, this, &CQuillonDlg::OnClearReference);
    connect(m_pCurrentData, &CDialogCurrentData::recordStart, this, &CQuillonDlg::OnRecordStart);
    connect(m_pCurrentData, &CDialogCurrentData::recordStop, this, &CQuillonDlg::OnRecordStop);
    connect(m_pPlot, &CPlotDlg::viewStateChanged, this, [this](const QString& text) {
        // The pause state shares the status line with the instrument's state.
        m_strViewState = text;
        ShowRunState();
    });

    SetStatus(kRecordingValue, Text(monitor::RecordingText(false)));
    if (auto* label = CResourceLibrary::Control<QWidget>(m_pStatusForm, kRecordFileLabel))
        label->hide();
    if (auto* value = CResourceLibrary::Control<QWidget>(m_pStatusForm, kRecordFileValue))
        value->hide();

    m_strDataSettingsPath = CFilePaths::GetConfigPath() + "/" + CDataRecorder::kSettingsFileName;
    m_recorder.LoadSettings(m_strDataSettingsPath);
    m_pPlot->SetLimitSettingsPath(QString::fromStdString(CFilePaths::GetConfigPath() + "/GeneralSettings.cfg"));
    resize(1100, 720);
    Layout();
}

CQuillonDlg::~CQuillonDlg()
{
    CCoreInterface::SetNotifier(nullptr);
    if (m_recorder.IsRecording()) {
        std::string ignored;
        m_recorder.Stop(ignored);
    }
}

void CQuillonDlg::Initialize()
{
    CBoardParameters board;
    CChannelParameters channels;
    if (CCoreInterface::GetBoardAndChannelParameters(board, channels))
        m_pPlot->SetTriggerLevel(board.GetAdcTriggerLevel());

    // The poller posts; the window handles its events on its own thread. The
    // destructor removes the notifier (which waits for a running call), so
    // the poller never posts to a window that is gone.
    auto statusPending = m_pStatusPending;
    auto pulsePending = m_pPulsePending;
    CCoreInterface::SetNotifier([this, statusPending, pulsePending](unsigned message) {
        auto& pending = message == UM_PULSE_DATA ? *pulsePending : *statusPending;
        if (pending.exchange(true))
            return;
        QCoreApplication::postEvent(this, new CNotifyEvent(message == UM_PULSE_DATA ? kPulseDataEvent
                                                                                   : kStatusUpdateEvent));
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
    if (status->IsGCRunning() != m_bLastRunState) {
        m_bLastRunState = status->IsGCRunning();
        m_nLastAutoRecordTime = 0;
    }
    ShowRunState();
    SetStatus(kRecordingValue, Text(monitor::RecordingText(m_recorder.IsRecording())));
    if (m_recorder.IsRecording()) {
        CResourceLibrary::Control<QWidget>(m_pStatusForm, kRecordFileLabel)->show();
        auto* file = CResourceLibrary::Control<QLabel>(m_pStatusForm, kRecordFileValue);
        file->show();
        file->setText(Text(m_recorder.GetFileName()));
    }
    if (m_pAbout->isVisible()) {
        m_pAbout->SetField(1032, Text(status->GetStatusText()));
        m_pAbout->SetField(1040, Text(status->GetErrorText()));
        m_pAbout->SetField(1030, Text(status->GetFirmwareRevision()));
        m_pAbout->SetField(1029, Text(status->GetBoardRevision()));
    }
}

void CQuillonDlg::ShowRunState()
{
    const QString state = Text(CCoreInterface::GetSystemStatus()->GetGCStatus());
    SetStatus(kStatusValue, m_strViewState.isEmpty() ? state : state + QStringLiteral("  |  ") + m_strViewState);
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
    if (m_recorder.IsRecording()) {
        std::string message;
        if (!m_recorder.Append(m_livePulse, message)) {
            SetStatus(kRecordingValue, Text(monitor::RecordingText(false)));
            CMessageService::Show(message, "Tarvolin Monitor", MessageIcon::Error);
        }
    }
    m_pAbout->SetField(1005, QString::number(m_livePulse.GetCh1Offset()));
    m_pAbout->SetField(1035, QString::number(m_livePulse.GetCh2Offset()));
    m_pAbout->SetField(1036, QString::asprintf("%0.2lf", m_livePulse.GetTDelay()));
    m_pAbout->SetField(1037, QString::number(m_livePulse.GetDarkCurrent()));
}

void CQuillonDlg::OnHoldReference(int reference)
{
    if (reference < 1 || reference > 2)
        return;
    m_dFrequency[reference] = monitor::CorrectedFrequency(CQuillonIniConfig::FrequencyCorrectionfactor(),
                                                          m_livePulse.GetFrequencyPulse());
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
    if (m_recorder.IsRecording())
        return;
    CGateParameters gates;
    CBoardParameters board;
    CChannelParameters channels;
    CTimedEvent events;
    CCoreInterface::GetAllGates(gates);
    CCoreInterface::GetBoardAndChannelParameters(board, channels);
    CCoreInterface::GetTimedEvent(events);
    m_recorder.SetHeaderRecords(gates, board, channels, events);
    m_recorder.StepIndexOncePerRun();
    if (!m_recorder.PrepareRecording(m_strDataSettingsPath))
        return;
    std::string message;
    if (!m_recorder.Start(message)) {
        CMessageService::Show(message, "Tarvolin Monitor", MessageIcon::Error);
        return;
    }
    CRunLog::AddEntry("Manual Recording Start");
    m_bManualRecording = true;
    OnStatusUpdate();
}

void CQuillonDlg::StopRecording(const char* runLogEntry)
{
    if (!m_recorder.IsRecording())
        return;
    std::string message;
    if (!m_recorder.Stop(message))
        CMessageService::Show(message, "Tarvolin Monitor", MessageIcon::Error);
    if (runLogEntry)
        CRunLog::AddEntry(runLogEntry);
    SetStatus(kRecordingValue, Text(monitor::RecordingText(false)));
}

void CQuillonDlg::OnRecordStop()
{
    if (!m_recorder.IsRecording())
        return;
    StopRecording("Manual Recording Stop");
    m_bManualRecording = false;
}

void CQuillonDlg::ResetToReady()
{
    StopRecording(nullptr);
    if (CCoreInterface::ResetToReady())
        CMessageService::Show("Reset to Ready command sent successfully", "Tarvolin Monitor",
                              MessageIcon::Information);
    else
        CMessageService::Show("Failed to send command Reset to Ready", "Tarvolin Monitor",
                              MessageIcon::Error);
}

void CQuillonDlg::OnButtonClicked(unsigned id)
{
    switch (id) {
    case kResetToReady: ResetToReady(); break;
    case kZoomOut: m_pPlot->ZoomOut(); break;
    case kZoomToFit: m_pPlot->ZoomToFit(); break;
    case kPrint: PrintPlot(); break;
    case kAbout:
        if (!m_pAbout->isVisible()) {
            ShowCentred(m_pAbout);
            OnStatusUpdate();
        }
        break;
    case kClose: close(); break;
    case kMinimise: showMinimized(); break;
    case kMaximise: ToggleMaximised(); break;
    default: break;
    }
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
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QCPPainter painter(&printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    QCustomPlot* chart = m_pPlot->Chart();
    const double scale = std::min(page.width() / double(chart->width()), page.height() / double(chart->height()));
    painter.scale(scale, scale);
    chart->toPainter(&painter, chart->width(), chart->height());
}

void CQuillonDlg::OnSizeChanged() { Layout(); }

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
        m_pStatusForm->setGeometry(8, barTop, std::max(0, width - barSize.width() - 16), barSize.height());
    const int plotTop = titleHeight + toolbarHeight;
    m_pPlot->setGeometry(0, plotTop, width, std::max(0, barTop - plotTop));
}

void CQuillonDlg::closeEvent(QCloseEvent* event)
{
    // A recording still running when the window closes is finished properly:
    // its count written and the file closed.
    StopRecording("Manual Recording Stop");
    event->accept();
}
