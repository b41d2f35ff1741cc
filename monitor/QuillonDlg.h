#pragma once
// The Monitor's main window: title bar, toolbar, live pulse plot, current-data
// bar and status lines. It has no timers: everything it shows follows the two
// notifications of the instrument link's status poller, which arrive here as
// queued events on the user-interface thread.

#include "DataRecorder.h"
#include "MonitorPanels.h"
#include "PageEx.h"
#include "PulseData.h"
#include "PulseSequence.h"

#include <QEvent>
#include <atomic>
#include <memory>

class CPlotDlg;
class QLabel;

// The main window's event types keep the values of the system's window messages.
enum MonitorEvent : int {
    kStatusUpdateEvent = 1131,
    kPulseDataEvent = 1133,
};

class CQuillonDlg : public CPageEx {
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
    void OnRecordStart();
    void OnRecordStop();
    void ResetToReady();
    void OnButtonClicked(unsigned id) override;

    // What the status lines and fields show (tests read them).
    QString StatusLine(int controlId) const;
    bool IsStatusLineVisible(int controlId) const;
    CPlotDlg* Plot() const { return m_pPlot; }
    CDialogCurrentData* CurrentData() const { return m_pCurrentData; }
    CTarvolinMonitorAboutDialog* About() const { return m_pAbout; }
    const CPulseData& LivePulse() const { return m_livePulse; }
    // The pulse indexes taken in: repeats refused, restarts, indexes skipped.
    const CPulseSequence& PulseSequence() const { return m_pulseSequence; }
    bool IsRecording() const { return m_recorder.IsRecording(); }
    CDataRecorder& Recorder() { return m_recorder; }

protected:
    void customEvent(QEvent* event) override;
    void OnSizeChanged() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Layout();
    void ShowCentred(QWidget* dialog);
    void ToggleMaximised();
    void PrintPlot();
    void SetStatus(int controlId, const QString& text);
    void ShowRunState();
    void StopRecording(const char* runLogEntry);

    CTitleBarDlg* m_pTitleBar = nullptr;
    CToolbarButtonDialog* m_pToolbar = nullptr;
    CPlotDlg* m_pPlot = nullptr;
    CDialogCurrentData* m_pCurrentData = nullptr;
    QWidget* m_pStatusForm = nullptr;
    CTarvolinMonitorAboutDialog* m_pAbout = nullptr;

    CPulseData m_livePulse;
    CPulseSequence m_pulseSequence;
    bool m_bInitialised = false;
    bool m_bLastRunState = false;
    bool m_bMaximised = false;
    bool m_bManualRecording = false;
    int m_nLastAutoRecordTime = 0;
    double m_dFrequency[3] = {0, 0, 0};
    QString m_strViewState;
    CDataRecorder m_recorder;
    std::string m_strDataSettingsPath;
    // One event of each kind waits at most: the handlers read the latest
    // state anyway, so a busy window never builds up a queue.
    std::shared_ptr<std::atomic<bool>> m_pStatusPending;
    std::shared_ptr<std::atomic<bool>> m_pPulsePending;
};
