#pragma once
// The Monitor's main window: title bar, toolbar, live pulse plot, current-data
// bar and status lines. It has no timers: everything it shows follows the two
// notifications of the instrument link's status poller, which arrive here as
// queued events on the user-interface thread.

#include "ConfigFile.h"
#include "LinkStatus.h"
#include "MonitorPanels.h"
#include "PageEx.h"
#include "PlotPage.h"
#include "PulseData.h"
#include "PulseSequence.h"
#include "RecordingSession.h"

#include <QElapsedTimer>
#include <QEvent>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

struct CBackingRecords;
class CDialogRecordSettings;
class CInstrumentBacking;
class CLiveChromatogramStrip;
class CLiveRun;
class CLinkRequester;
class CPlotDlg;
class CQuillonBoardChanDialog;
class CQuillonGatesModesDialog;
class CQuillonRunLogDialog;
class CQuillonSetEventDialog;
class CResizeGrip;
class QLabel;
class QScreen;
class QProgressDialog;

// The main window's event types keep the values of the system's window messages.
enum MonitorEvent : int {
    kStatusUpdateEvent = 1131,
    kPulseDataEvent = 1133,
    kGatesChangedEvent = 1137,
};

// The window is the recording's host: the recording session runs the rules
// and the recorder; the window gives it the header records (the dialogs'),
// asks its questions in message boxes, writes the run log and sends Reset
// to Ready.
class CQuillonDlg : public CPageEx, private IRecordingHost {
    Q_OBJECT
public:
    explicit CQuillonDlg(QWidget* parent = nullptr);
    ~CQuillonDlg() override;

    // Connects to the instrument link's notifications and reads the
    // instrument's parameters; the window then follows the poller.
    void Initialize();

    // The handlers of the poller's notifications and of the bar's buttons.
    void OnStatusUpdate();
    void OnPulseData();
    void OnHoldReference(int reference);
    void OnClearReference(int reference);
    // The record button: reads the board's set-up (without blocking the
    // window), then starts; a set-up that cannot be read is said, and the
    // operator decides whether to record with the dialogs' values.
    void OnRecordStart();
    void OnRecordStop();
    void ResetToReady();
    void OnButtonClicked(unsigned id) override;
    // UM_GATES_CHANGED: the gate dialog sent gates; the board/channel
    // dialog, when shown, renames its modes.
    void OnGatesChanged();
    // The toolbar's set-up commands.
    void SaveConfig();
    void OpenConfig();
    // The plot on paper (the print dialog) or into a PDF file (a save dialog).
    void PrintPlot();
    void PrintPlotToPdf();
    // The smallest size at which every label is readable.
    QSize GetReadableMinimumSize() const;
    // The start size: the preferred one where the screen has room, never
    // more than the screen's free area; centred on it.
    void FitToScreen(QScreen* screen);
    // What the printed page's header says now.
    CPlotPageHeader GetPrintHeader() const;

    // Where the window reads the link's state on every status update
    // (CCoreInterface::GetLinkStatus unless set; a test gives its own).
    void SetLinkStatusSource(std::function<CLinkStatus()> source);
    // True while the board answers: the values shown are the board's.
    bool IsLinkUp() const { return m_bLinkUp; }

    // What the status lines and fields show (tests read them). A line cut
    // short to fit shows its whole text in its tool tip.
    QString StatusLine(int controlId) const;
    QString StatusToolTip(int controlId) const;
    // The text as the line shows it now (cut to its width).
    QString ShownStatusLine(int controlId) const;
    bool IsStatusLineVisible(int controlId) const;
    CPlotDlg* Plot() const { return m_pPlot; }
    // The live chromatogram of the run, and the strip under the plot that draws it.
    CLiveChromatogramStrip* LiveStrip() const { return m_pLiveStrip; }
    const CLiveRun& LiveRun() const { return *m_pLiveRun; }
    CDialogCurrentData* CurrentData() const { return m_pCurrentData; }
    CTarvolinMonitorAboutDialog* About() const { return m_pAbout; }
    const CPulseData& LivePulse() const { return m_livePulse; }
    // The pulse indexes taken in: repeats refused, restarts, indexes skipped.
    const CPulseSequence& PulseSequence() const { return m_pulseSequence; }
    bool IsRecording() const { return m_pSession->IsRecording(); }
    // True while the record button waits for the board's set-up.
    bool IsStartingRecording() const { return m_nRecordRead != 0; }
    CRecordingSession& Recording() { return *m_pSession; }
    CDataRecorder& Recorder() { return m_pSession->Recorder(); }
    CDialogRecordSettings* DataSettingsDialog() const { return m_pDataSettings; }
    CQuillonGatesModesDialog* GateDialog() const { return m_pGateDialog; }
    CQuillonBoardChanDialog* BoardDialog() const { return m_pBoardDialog; }
    CQuillonSetEventDialog* EventDialog() const { return m_pEventDialog; }
    CQuillonRunLogDialog* RunLogDialog() const { return m_pRunLogDialog; }
    const CConfigFile& ConfigFile() const { return m_configFile; }
    // The note of a set-up file operation that waits for the board ("" when none does).
    QString GetBusyText() const;
    // As the busy note's Cancel button does.
    void CancelBusy();
    // True while the start-up read of the board's set-up is under way.
    bool IsReadingStartUpSetUp() const;

protected:
    void customEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void OnSizeChanged() override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Layout();
    int StatusHeight() const;
    // True when the status lines go above the current-data bar.
    bool IsStacked() const;
    void ShowCentred(QWidget* dialog);
    void ToggleMaximised();
    void SetStatus(int controlId, const QString& text);
    void ShowRunState();
    // Frequency and time of the live pulse, or of the viewed one while paused.
    void ShowPulseFields();
    void CreateShortcuts();
    // The "Instrument:" line; while the board does not answer, the values
    // that are no longer true are cleared.
    void ShowLink(const CLinkStatus& link);
    // The recording's status lines: "Recording:", "Record File:", "Written:".
    void ShowRecording();
    void ShowRecordButtons();
    // While recording: asks whether to go on with action, which ends the
    // recording (No is the default). True when not recording.
    bool AskToEndRecording(const std::string& action);
    void ElideStatus(QLabel* label);
    void ElideStatusLines();
    void CreateDialogs();
    // The dialogs take a set-up the board holds (those the operator has open keep theirs).
    void TakeSetUp(const CBackingRecords& records);
    void ReadSetUpInBackground();

    // IRecordingHost
    HeaderSource GetHeaderRecords(RecordingCause cause, CConfigBlockSet& records,
                                  std::string& note) override;
    OverwriteAnswer AskOverwrite(const CRecordingQuestion& question) override;
    void AddRunLogEntry(const std::string& text) override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    void ResetToReady(RecordingCause cause) override;
    void OnRecordingStarted(const std::string& path, RecordingCause cause) override;
    void OnRecordingFinished(const CRecordingSummary& summary) override;
    // Unless the dialog is visible already: runs refresh (what showing it
    // does, starting its reads) and shows it centred over the window.
    void ShowDialog(QWidget* dialog, const std::function<void()>& refresh);
    void SaveConfigAs();
    void ApplyConfig(const std::string& path);
    void ShowBusy(const QString& text, std::function<void()> onCancel);
    void HideBusy();
    CTitleBarDlg* m_pTitleBar = nullptr;
    CToolbarButtonDialog* m_pToolbar = nullptr;
    CPlotDlg* m_pPlot = nullptr;
    CLiveChromatogramStrip* m_pLiveStrip = nullptr;
    std::unique_ptr<CLiveRun> m_pLiveRun;
    CDialogCurrentData* m_pCurrentData = nullptr;
    QWidget* m_pStatusForm = nullptr;
    CTarvolinMonitorAboutDialog* m_pAbout = nullptr;
    // The parameter dialogs read and write the board through the backing;
    // the configuration file object is the image of the last file saved or
    // opened and their fallback when the board cannot be read.
    std::unique_ptr<CInstrumentBacking> m_pBacking;
    // The window's own requests to the link's thread (Reset to Ready).
    CLinkRequester* m_pLink = nullptr;
    int m_nResetRequest = 0;
    CConfigFile m_configFile;
    CQuillonGatesModesDialog* m_pGateDialog = nullptr;
    CQuillonBoardChanDialog* m_pBoardDialog = nullptr;
    CQuillonSetEventDialog* m_pEventDialog = nullptr;
    CQuillonRunLogDialog* m_pRunLogDialog = nullptr;
    CDialogRecordSettings* m_pDataSettings = nullptr;
    QProgressDialog* m_pBusy = nullptr;
    int m_nSetUpRequest = 0;
    int m_nStartUpRead = 0;

    CPulseData m_livePulse;
    CPulseSequence m_pulseSequence;
    bool m_bInitialised = false;
    std::function<CLinkStatus()> m_linkSource;
    bool m_bLinkUp = false;
    bool m_bLinkShown = false;
    bool m_bHaveLivePulse = false;
    bool m_bRecordingShown = false;
    std::vector<CResizeGrip*> m_grips;
    int m_nFullToolbarWidth = 0;
    int m_nCompactToolbarWidth = 0;
    int m_nCompactToolbarHeight = 0;
    QElapsedTimer m_recordingClock;
    bool m_bLastRunState = false;
    bool m_bMaximised = false;
    double m_dFrequency[3] = {0, 0, 0};
    QString m_strViewState;
    std::unique_ptr<CRecordingSession> m_pSession;
    std::string m_strDataSettingsPath;
    // The dialogs hold a set-up the board held (read from it, or sent to it):
    // until then a timed start's header says it holds the dialogs' values.
    bool m_bSetUpKnown = false;
    int m_nBackgroundRead = 0;
    // The record button's read of the set-up, and what it brought.
    int m_nRecordRead = 0;
    bool m_bHaveStartRecords = false;
    CConfigBlockSet m_startRecords;
    // One event of each kind waits at most: the handlers read the latest
    // state anyway, so a busy window never builds up a queue.
    std::shared_ptr<std::atomic<bool>> m_pStatusPending;
    std::shared_ptr<std::atomic<bool>> m_pPulsePending;
};
