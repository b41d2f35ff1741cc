#pragma once
// CMainFrame: the Analyzer's main window - its own title bar, the menu, the
// toolbar, the documents' child windows in an MDI area, and the status bar
// whose first pane shows the progress texts and the measurement readout,
// with a note pane (what was salvaged, a rebuilt time axis) and a progress
// bar beside it.
//
// At most four documents are open at once. Every way of opening a file -
// the Open command, the recent-file list, dropping files on the window, file
// names on the command line - goes through OpenDocumentFile, which refuses a
// fifth with "A Maximum of 4 Documents May Be Open At Once". Opening a file
// that is open already brings its window to the front.
//
// The commands keep the identifiers of the system's menus (Command); menu
// commands act on the active child window.

#include "DVDocData.h"
#include "RecentFileList.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <map>
#include <memory>

class CAnalyzerTitleBar;
class CQuillonRunLogDialog;
class ODVFrame;
class OOverlayMenu;
class OPeakTableDock;
class OStatusProgress;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMimeData;
class QPrinter;
class QProgressBar;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kMaxDocuments = 4;
    static constexpr const char* kCaption = "Tarvolin Analyzer";
    static constexpr const char* kTooManyDocuments = "A Maximum of 4 Documents May Be Open At Once";
    static constexpr const char* kOpenFilter = "DV Files (*.KLYN)|*.KLYN|All Files (*.*)|*.*||";

    // The menu commands, by the identifiers of the system's menus.
    enum Command : int {
        kFileOpen = 57601,
        kFileClose = 57602,
        kSaveCfgFile = 57603,
        kOpenCfgFile = 32749,
        kPrintSetup = 57606,
        kPrint = 57607,
        kPrintPreview = 57609,
        kAppExit = 57665,
        kAppAbout = 57664,
        kOperatorsManual = 57670,
        kGateMode = 32711,
        kLog = 32746,
        kTimedEvents = 32747,
        kBoardChannel = 32748,
        kCopyPulse = 32727,
        kCopyChromatogram = 32728,
        kCopyBoth = 32729,
        kRestorePulse = 32763,
        kRestoreChromatogram = 32764,
        kSnapPulse = 32767,
        kSnapChromatogram = 32768,
        kGridPulse = 32718,
        kGridChromatogram = 32721,
        kNextPulse = 32734,
        kPreviousPulse = 32735,
        kPreviousView = 32714,
        kRecalculate = 32738,
        // Beyond the system's menus: the report and the pictures as a PDF file.
        kExportPdf = 32801,
        // The peaks: the table's dock, the parameters, hand integration.
        kPeakTable = 32802,
        kPeakParameters = 32803,
        kManualIntegration = 32804,
    };
    static constexpr const char* kPdfFilter = "PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*||";

    struct Options {
        ODVDocData::Options document; // what each document is opened with
        QString profilePath;          // the Analyzer's profile (recent files)
    };

    explicit CMainFrame(const Options& options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Opening. Each returns the document's window, or null when nothing was
    // opened (its message has been shown).
    ODVFrame* OpenDocumentFile(const QString& path);
    // The Open command: the limit first, then the file dialog.
    ODVFrame* OnFileOpen();
    // Entry n (0-based) of the recent-file list; an entry that cannot be
    // opened any more leaves the list.
    ODVFrame* OpenRecentFile(int n);
    // Several files (the command line, a drop): opened in order until the
    // limit refuses one. The number opened.
    int OpenFiles(const QStringList& paths);

    // Puts path at the top of the recent-file list (and into the profile).
    void AddToRecentFileList(const QString& path);

    int GetOpenDocumentCount() const;
    ODVFrame* ActiveFrame() const;
    QList<ODVFrame*> Frames() const;
    QMdiArea* MdiArea() const { return m_pMdiArea; }
    const ORecentFileList& RecentFiles() const { return m_recent; }
    CAnalyzerTitleBar* TitleBar() const { return m_pTitleBar; }
    // The Overlay menu (other runs laid over the active chromatogram).
    OOverlayMenu* OverlayMenu() const { return m_pOverlayMenu; }
    OPeakTableDock* PeakTable() const { return m_pPeakDock; }

    QAction* Action(Command id) const;
    // Runs a command as its menu item would (nothing when it is disabled).
    void Execute(Command id);

    // The status bar.
    QString GetStatusText() const;
    QString GetNoteText() const;
    QProgressBar* ProgressBar() const { return m_pProgressBar; }

    CQuillonRunLogDialog* RunLogDialog();

    // The configuration report of a document (the active one when null):
    // printed through the print dialog, shown in the print preview, or
    // written with the pictures of its panes as a PDF file (1 when written).
    void Print(ODVFrame* frame = nullptr);
    void PrintPreview(ODVFrame* frame = nullptr);
    int ExportPdf(ODVFrame* frame = nullptr);
    // The printer the print commands share (Print Setup sets it up).
    QPrinter& Printer();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildPeakCommands(QMenu* view, QMenu* chromatogram, QMenu* parameters);
    void ShowPeakParameters();
    QAction* AddCommand(QMenu* menu, Command id, const QString& text,
                        const QKeySequence& shortcut = {});
    void UpdateCommands();
    void UpdateRecentMenu();
    void UpdateWindowMenu();
    void OnActiveFrameChanged();
    void ShowCursorText(const QString& text);
    void RefuseFifth();
    void SaveRecentFiles();
    void ShowAbout();
    void OpenManual();
    void ToggleMaximised();
    ODVFrame* FindOpen(const QString& path) const;
    static QStringList LocalFiles(const QMimeData* mime);

    Options m_options;
    CAnalyzerTitleBar* m_pTitleBar = nullptr;
    QMdiArea* m_pMdiArea = nullptr;
    QToolBar* m_pToolBar = nullptr;
    OPeakTableDock* m_pPeakDock = nullptr;
    QLabel* m_pStatusText = nullptr;
    QLabel* m_pNote = nullptr;
    QProgressBar* m_pProgressBar = nullptr;
    std::unique_ptr<OStatusProgress> m_pProgress;
    std::map<int, QAction*> m_commands;
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pWindowMenu = nullptr;
    QList<QAction*> m_recentActions;
    QAction* m_pRecentSeparator = nullptr;
    ORecentFileList m_recent;
    QList<QPointer<ODVFrame>> m_frames;
    QPointer<ODVFrame> m_pActive;
    CQuillonRunLogDialog* m_pRunLog = nullptr;
    OOverlayMenu* m_pOverlayMenu = nullptr;
    std::unique_ptr<QPrinter> m_pPrinter;
};
