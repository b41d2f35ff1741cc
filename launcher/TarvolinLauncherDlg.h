#pragma once
// The Launcher's main window (template 102): the title bar across the top,
// the list's commands (Add, Modify, Delete) along the left edge, the manual
// and the Analyzer along the right edge, and the instrument connections as
// large icons between them. A double click (or Enter) on an instrument
// starts its Monitor.
//
// The list is read again after every command, and whenever the list file
// changes on disk (another Launcher, or `tarvolin instruments` in a script).

#include "InstrumentConnections.h"
#include "PageEx.h"
#include "ProgramStarter.h"

#include <QTimer>

class CConnectionsListCtrl;
class CTarvolinLauncherLeftButtonBar;
class CTarvolinLauncherRightButtonBar;
class CTarvolinLauncherTitleBar;
class QFileSystemWatcher;
class QSizeGrip;

class CTarvolinLauncherDlg : public CPageEx {
    Q_OBJECT

public:
    CTarvolinLauncherDlg(CInstrumentConnections& connections, CProgramStarter starter,
                         QWidget* parent = nullptr);

    // Builds the children and fills the list; a damaged list is reported
    // with the offer to repair it.
    void Initialize();

    // The bars' buttons.
    void OnButtonClicked(unsigned id) override;

    // The commands.
    void OnAddConnection();
    void OnModifyConnection();
    void OnDeleteConnection();
    void OnOpenManual();
    void OnStartAnalyzer();
    // Starts the Monitor of the named instrument. 1 when started.
    int OnStartMonitor(const QString& name);

    // Reads the list file and shows it. 1 when it could be read; 0 with the
    // reason in why (when given).
    int FillList(std::string* why = nullptr);

    CConnectionsListCtrl* GetList() const { return m_pList; }
    CTarvolinLauncherTitleBar* GetTitleBar() const { return m_pTitleBar; }
    CTarvolinLauncherRightButtonBar* GetCommandBar() const { return m_pCommandBar; }
    CTarvolinLauncherLeftButtonBar* GetProgramBar() const { return m_pProgramBar; }

protected:
    void OnSizeChanged() override;

private:
    void ShowContextMenu(const QPoint& position);
    void WatchListFile();

    CInstrumentConnections& m_connections;
    CProgramStarter m_starter;
    CTarvolinLauncherTitleBar* m_pTitleBar = nullptr;
    CTarvolinLauncherRightButtonBar* m_pCommandBar = nullptr;
    CTarvolinLauncherLeftButtonBar* m_pProgramBar = nullptr;
    CConnectionsListCtrl* m_pList = nullptr;
    QSizeGrip* m_pSizeGrip = nullptr;
    QFileSystemWatcher* m_pWatcher = nullptr;
    QTimer m_refill;
    bool m_bInitialized = false;
};
