#include "MainFrame.h"

#include "AnalyzerTitleBar.h"
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewPulse.h"
#include "DVViewScan.h"
#include "FileDialogService.h"
#include "MessageService.h"
#include "OverlayMenu.h"
#include "PeakOverlay.h"
#include "PeakParametersDialog.h"
#include "PeakTableDock.h"
#include "PrintDialogService.h"
#include "QuillonRunLogDialog.h"
#include "ReportPdf.h"
#include "RunLog.h"
#include "StatusProgress.h"
#include "ToolIcons.h"
#include "UsersManual.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace {

using K = OToolIcons::Kind;

// Whether the operator left the peak table shown, in the profile.
const QString kPeakTableVisibleKey = QStringLiteral("Peak Table/Visible");

QString CanonicalPath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

CMainFrame::CMainFrame(const Options& options, QWidget* parent)
    : QMainWindow(parent), m_options(options)
{
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowTitle(QString::fromLatin1(kCaption));
    setAcceptDrops(true);

    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setBackground(QColor(128, 128, 128));
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window)
            m_pActive = qobject_cast<ODVFrame*>(window->widget());
        OnActiveFrameChanged();
    });

    m_pPeakDock = new OPeakTableDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pPeakDock);
    m_pPeakDock->hide();

    BuildMenus();
    BuildToolBar();
    BuildStatusBar();

    if (!m_options.profilePath.isEmpty()) {
        QSettings profile(m_options.profilePath, QSettings::IniFormat);
        m_recent.Load(profile);
        m_pPeakDock->setVisible(profile.value(kPeakTableVisibleKey, false).toBool());
    }
    UpdateRecentMenu();
    OnActiveFrameChanged();

    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1280, 900);
    resize(std::min(1280, screen.width() * 9 / 10), std::min(900, screen.height() * 9 / 10));
}

CMainFrame::~CMainFrame()
{
    // The windows close their documents (and delete the intermediate files)
    // while the status bar they report to still exists; closed ones may
    // still wait for their deferred deletion.
    for (ODVFrame* frame : m_pMdiArea->findChildren<ODVFrame*>())
        disconnect(frame, nullptr, this, nullptr);
    for (QMdiSubWindow* window : m_pMdiArea->findChildren<QMdiSubWindow*>())
        delete window;
    delete m_pRunLog;
}

// ---- building ----

QAction* CMainFrame::AddCommand(QMenu* menu, Command id, const QString& text,
                                const QKeySequence& shortcut)
{
    auto* action = new QAction(text, this);
    action->setData(static_cast<int>(id));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // On the window itself, so the key works wherever the focus is inside it.
        addAction(action);
    }
    if (menu)
        menu->addAction(action);
    m_commands[id] = action;
    return action;
}

void CMainFrame::BuildMenus()
{
    auto* bar = new QMenuBar(this);
    m_pFileMenu = bar->addMenu(QStringLiteral("&File"));
    QMenu* file = m_pFileMenu;
    connect(AddCommand(file, kFileOpen, QStringLiteral("&Open..."), QKeySequence::Open),
            &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(AddCommand(file, kFileClose, QStringLiteral("&Close")), &QAction::triggered, this,
            [this] {
                if (QMdiSubWindow* window = m_pMdiArea->currentSubWindow())
                    window->close();
            });
    file->addSeparator();
    connect(AddCommand(file, kSaveCfgFile, QStringLiteral("&Save cfg File..."), QKeySequence::Save),
            &QAction::triggered, this, [this] {
                if (ODVFrame* frame = ActiveFrame())
                    frame->GetDocument()->SaveCfgFile();
            });
    connect(AddCommand(file, kOpenCfgFile, QStringLiteral("Open c&fg File...")),
            &QAction::triggered, this, [this] {
                if (ODVFrame* frame = ActiveFrame())
                    frame->GetDocument()->OpenCfgFile();
            });
    file->addSeparator();
    // The views print the configuration report.
    connect(AddCommand(file, kPrint, QStringLiteral("&Print..."), QKeySequence::Print),
            &QAction::triggered, this, [this] { Print(); });
    connect(AddCommand(file, kPrintPreview, QStringLiteral("Print Pre&view")), &QAction::triggered,
            this, [this] { PrintPreview(); });
    connect(AddCommand(file, kPrintSetup, QStringLiteral("P&rint Setup...")), &QAction::triggered,
            this, [this] {
                QPageSetupDialog dialog(&Printer(), this);
                dialog.exec();
            });
    connect(AddCommand(file, kExportPdf, QStringLiteral("&Export PDF...")), &QAction::triggered,
            this, [this] { ExportPdf(); });
    m_pRecentSeparator = file->addSeparator();
    for (int n = 0; n < ORecentFileList::kSize; ++n) {
        auto* action = new QAction(this);
        connect(action, &QAction::triggered, this, [this, n] { OpenRecentFile(n); });
        file->addAction(action);
        m_recentActions << action;
    }
    file->addSeparator();
    connect(AddCommand(file, kAppExit, QStringLiteral("E&xit")), &QAction::triggered, this,
            &QWidget::close);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    QMenu* clipboard = edit->addMenu(QStringLiteral("Send to &Clipboard"));
    const auto onFrame = [this](void (ODVFrame::*command)()) {
        return [this, command] {
            if (ODVFrame* frame = ActiveFrame())
                (frame->*command)();
        };
    };
    connect(AddCommand(clipboard, kCopyPulse, QStringLiteral("&Pulse")), &QAction::triggered, this,
            onFrame(&ODVFrame::CopyPulse));
    connect(AddCommand(clipboard, kCopyChromatogram, QStringLiteral("&Chromatogram")),
            &QAction::triggered, this, onFrame(&ODVFrame::CopyChromatogram));
    connect(AddCommand(clipboard, kCopyBoth, QStringLiteral("&Both")), &QAction::triggered, this,
            onFrame(&ODVFrame::CopyBoth));

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    QMenu* pulse = view->addMenu(QStringLiteral("View &Pulse"));
    connect(AddCommand(pulse, kNextPulse, QStringLiteral("&Next"), QKeySequence(Qt::Key_Right)),
            &QAction::triggered, this, onFrame(&ODVFrame::NextPulse));
    connect(
        AddCommand(pulse, kPreviousPulse, QStringLiteral("P&revious"), QKeySequence(Qt::Key_Left)),
        &QAction::triggered, this, onFrame(&ODVFrame::PreviousPulse));
    pulse->addSeparator();
    connect(AddCommand(pulse, kRestorePulse, QStringLiteral("R&estore")), &QAction::triggered, this,
            [this] {
                if (ODVFrame* frame = ActiveFrame())
                    frame->PulseView()->Restore();
            });
    QMenu* scan = view->addMenu(QStringLiteral("View &Chromatogram"));
    connect(AddCommand(scan, kPreviousView, QStringLiteral("&Previous View"),
                       QKeySequence(Qt::CTRL | Qt::Key_Z)),
            &QAction::triggered, this, [this] {
                if (ODVFrame* frame = ActiveFrame())
                    frame->ScanView()->PreviousView();
            });
    connect(AddCommand(scan, kRecalculate, QStringLiteral("Re&calculate Chromatogram")),
            &QAction::triggered, this, [this] {
                if (ODVFrame* frame = ActiveFrame())
                    frame->ScanView()->Recalculate();
            });
    scan->addSeparator();
    connect(AddCommand(scan, kRestoreChromatogram, QStringLiteral("R&estore")), &QAction::triggered,
            this, [this] {
                if (ODVFrame* frame = ActiveFrame())
                    frame->ScanView()->Restore();
            });
    const struct {
        QMenu* menu;
        Command snap;
        Command grid;
        int pane;
    } switches[] = {{pulse, kSnapPulse, kGridPulse, 0},
                    {scan, kSnapChromatogram, kGridChromatogram, 1}};
    for (const auto& s : switches) {
        QAction* snap = AddCommand(s.menu, s.snap, QStringLiteral("&Snap To Trace"));
        snap->setCheckable(true);
        connect(snap, &QAction::triggered, this, [this, pane = s.pane](bool on) {
            if (ODVFrame* frame = ActiveFrame())
                frame->SetSnapToTrace(pane, on);
        });
        QAction* grid = AddCommand(s.menu, s.grid, QStringLiteral("&Grid"));
        grid->setCheckable(true);
        connect(grid, &QAction::triggered, this, [this, pane = s.pane](bool on) {
            if (ODVFrame* frame = ActiveFrame())
                frame->SetGrid(pane, on);
        });
    }
    view->addSeparator();

    QMenu* parameters = bar->addMenu(QStringLiteral("&Parameters"));
    connect(AddCommand(parameters, kGateMode, QStringLiteral("&Gate Mode...")), &QAction::triggered,
            this, onFrame(&ODVFrame::ShowGateDialog));
    connect(AddCommand(parameters, kBoardChannel, QStringLiteral("&Board/Channel...")),
            &QAction::triggered, this, onFrame(&ODVFrame::ShowBoardDialog));
    connect(AddCommand(parameters, kTimedEvents, QStringLiteral("&Timed Events...")),
            &QAction::triggered, this, onFrame(&ODVFrame::ShowEventDialog));
    BuildPeakCommands(view, scan, parameters);
    parameters->addSeparator();
    connect(
        AddCommand(parameters, kLog, QStringLiteral("&Log...")), &QAction::triggered, this, [this] {
            CQuillonRunLogDialog* dialog = RunLogDialog();
            dialog->Load();
            dialog->adjustSize();
            dialog->move(geometry().center() - QPoint(dialog->width() / 2, dialog->height() / 2));
            dialog->show();
            dialog->raise();
        });

    m_pOverlayMenu = new OOverlayMenu(
        [this]() -> ODVViewScan* {
            ODVFrame* frame = ActiveFrame();
            return frame ? frame->ScanView() : nullptr;
        },
        [this] {
            QList<ODVDoc*> docs;
            for (ODVFrame* frame : Frames())
                docs << frame->GetDocument();
            return docs;
        },
        m_options.document, this);
    bar->addMenu(m_pOverlayMenu);

    m_pWindowMenu = bar->addMenu(QStringLiteral("&Window"));
    connect(m_pWindowMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowMenu);
    UpdateWindowMenu();

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    connect(AddCommand(help, kOperatorsManual, QStringLiteral("&Operator's Manual")),
            &QAction::triggered, this, &CMainFrame::OpenManual);
    connect(AddCommand(help, kAppAbout, QStringLiteral("&About Tarvolin Analyzer...")),
            &QAction::triggered, this, &CMainFrame::ShowAbout);

    // The title bar above the menu: the window has no frame of its own.
    auto* top = new QWidget(this);
    auto* layout = new QVBoxLayout(top);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pTitleBar = new CAnalyzerTitleBar(top);
    layout->addWidget(m_pTitleBar);
    layout->addWidget(bar);
    setMenuWidget(top);
    connect(m_pTitleBar, &CAnalyzerTitleBar::minimiseRequested, this, &QWidget::showMinimized);
    connect(m_pTitleBar, &CAnalyzerTitleBar::maximiseRequested, this, &CMainFrame::ToggleMaximised);
    connect(m_pTitleBar, &CAnalyzerTitleBar::closeRequested, this, &QWidget::close);
}

void CMainFrame::BuildToolBar()
{
    m_pToolBar = addToolBar(QStringLiteral("Toolbar"));
    m_pToolBar->setMovable(false);
    m_pToolBar->setIconSize(QSize(22, 22));
    const struct {
        Command id;
        K kind;
        const char* tip;
    } buttons[] = {
        {kFileOpen, K::Open, "Open"},
        {kSaveCfgFile, K::SaveCfg, "Save cfg File"},
        {kOpenCfgFile, K::OpenCfg, "Open cfg File"},
        {kGateMode, K::Gates, "Gate Mode"},
        {kBoardChannel, K::BoardChannel, "Board/Channel"},
        {kTimedEvents, K::TimedEvents, "Timed Events"},
        {kLog, K::RunLog, "Log"},
        {kPrint, K::Print, "Print"},
        {kAppAbout, K::About, "About"},
    };
    for (const auto& b : buttons) {
        QAction* action = Action(b.id);
        action->setIcon(OToolIcons::Icon(b.kind));
        action->setToolTip(QString::fromLatin1(b.tip));
        m_pToolBar->addAction(action);
        if (b.id == kOpenCfgFile || b.id == kLog || b.id == kPrint)
            m_pToolBar->addSeparator();
    }
    m_pToolBar->addAction(Action(kManualIntegration));
    QMenu* view = nullptr;
    for (QAction* menu : menuWidget()->findChild<QMenuBar*>()->actions())
        if (menu->menu() && menu->text() == QStringLiteral("&View"))
            view = menu->menu();
    if (view) {
        QAction* toggle = m_pToolBar->toggleViewAction();
        toggle->setText(QStringLiteral("&Toolbar"));
        view->addAction(toggle);
    }
}

void CMainFrame::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    m_pStatusText = new QLabel(QString::fromLatin1(OStatusProgress::kReady), bar);
    m_pStatusText->setMinimumWidth(320);
    bar->addWidget(m_pStatusText, 1);
    m_pNote = new QLabel(bar);
    m_pNote->setStyleSheet(QStringLiteral("color: rgb(150, 80, 0);"));
    m_pNote->hide();
    bar->addWidget(m_pNote, 2);
    m_pProgressBar = new QProgressBar(bar);
    m_pProgressBar->setFixedWidth(180);
    m_pProgressBar->setTextVisible(false);
    bar->addPermanentWidget(m_pProgressBar);
    m_pProgress = std::make_unique<OStatusProgress>(m_pStatusText, m_pProgressBar);
    for (QAction* menu : menuWidget()->findChild<QMenuBar*>()->actions())
        if (menu->menu() && menu->text() == QStringLiteral("&View")) {
            auto* toggle = new QAction(QStringLiteral("&Status Bar"), this);
            toggle->setCheckable(true);
            toggle->setChecked(true);
            connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
            menu->menu()->addAction(toggle);
        }
}

void CMainFrame::BuildPeakCommands(QMenu* view, QMenu* chromatogram, QMenu* parameters)
{
    QAction* table = m_pPeakDock->toggleViewAction();
    table->setText(QStringLiteral("Peak &Table"));
    table->setData(static_cast<int>(kPeakTable));
    m_commands[kPeakTable] = table;
    view->addAction(table);
    // The table comes back as the operator left it (closing the window
    // hides every dock, so only the operator's own toggles count).
    connect(table, &QAction::triggered, this, [this](bool shown) {
        if (m_options.profilePath.isEmpty())
            return;
        QSettings profile(m_options.profilePath, QSettings::IniFormat);
        profile.setValue(kPeakTableVisibleKey, shown);
    });

    chromatogram->addSeparator();
    QAction* manual = AddCommand(chromatogram, kManualIntegration,
                                 QStringLiteral("&Manual Integration"));
    manual->setCheckable(true);
    manual->setToolTip(QStringLiteral("Manual Integration: drag a baseline to add a peak (Ctrl: "
                                      "replace the peaks under it); right-click a peak to split "
                                      "or delete it"));
    connect(manual, &QAction::triggered, this, [this](bool on) {
        if (ODVFrame* frame = ActiveFrame())
            frame->ScanView()->Peaks()->SetManualIntegration(on);
        // The table shows what the hand edits change.
        if (on)
            m_pPeakDock->show();
        UpdateCommands();
    });

    connect(AddCommand(parameters, kPeakParameters, QStringLiteral("&Peak Parameters...")),
            &QAction::triggered, this, &CMainFrame::ShowPeakParameters);
}

void CMainFrame::ShowPeakParameters()
{
    ODVFrame* frame = ActiveFrame();
    if (!frame)
        return;
    OPeakParametersDialog dialog(frame->GetDocument()->Peaks(), this);
    dialog.exec();
}

// ---- opening ----

ODVFrame* CMainFrame::FindOpen(const QString& path) const
{
    const QString canonical = CanonicalPath(path);
    for (ODVFrame* frame : Frames())
        if (CanonicalPath(frame->GetDocument()->GetPathName()) == canonical)
            return frame;
    return nullptr;
}

void CMainFrame::RefuseFifth()
{
    CMessageService::Show(kTooManyDocuments, kCaption, MessageIcon::Warning);
}

ODVFrame* CMainFrame::OpenDocumentFile(const QString& path)
{
    if (ODVFrame* open = FindOpen(path)) {
        for (QMdiSubWindow* window : m_pMdiArea->subWindowList())
            if (window->widget() == open)
                m_pMdiArea->setActiveSubWindow(window);
        return open;
    }
    if (GetOpenDocumentCount() >= kMaxDocuments) {
        RefuseFifth();
        return nullptr;
    }
    auto* doc = new ODVDoc(m_options.document, m_pProgress.get(), this);
    connect(doc, &ODVDoc::failed, this,
            [this](const QString& text) { m_pStatusText->setText(text); });
    if (!doc->OnOpenDocument(path)) {
        delete doc;
        return nullptr;
    }

    auto* frame = new ODVFrame(doc);
    QMdiSubWindow* window = m_pMdiArea->addSubWindow(frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(windowIcon());
    // A new child fills the width of the area and nine tenths of its height.
    const QSize area = m_pMdiArea->viewport()->size();
    window->setGeometry(0, 0, std::max(area.width(), 480),
                        std::max(static_cast<int>(std::lround(area.height() * 0.9)), 360));
    m_frames << frame;
    connect(frame, &QObject::destroyed, this, [this] {
        m_frames.removeAll(nullptr);
        QMetaObject::invokeMethod(this, &CMainFrame::OnActiveFrameChanged, Qt::QueuedConnection);
    });
    connect(frame, &ODVFrame::documentClosed, this, &CMainFrame::OnActiveFrameChanged);
    connect(frame, &ODVFrame::cursorText, this, &CMainFrame::ShowCursorText);
    connect(frame, &ODVFrame::commandStateChanged, this, &CMainFrame::UpdateCommands);
    connect(frame, &ODVFrame::printRequested, this, [this, frame] { Print(frame); });
    connect(frame->ScanView()->Peaks(), &OPeakOverlay::refused, this,
            [this](const QString& text) { statusBar()->showMessage(text, 10000); });
    frame->SetProfilePath(m_options.profilePath);
    window->show();
    m_pMdiArea->setActiveSubWindow(window);
    m_pActive = frame;
    AddToRecentFileList(path);
    OnActiveFrameChanged();
    return frame;
}

void CMainFrame::AddToRecentFileList(const QString& path)
{
    m_recent.Add(path);
    SaveRecentFiles();
    UpdateRecentMenu();
}

ODVFrame* CMainFrame::OnFileOpen()
{
    // The limit is checked before the dialog: choosing a file that then
    // cannot be opened would only waste the operator's time.
    if (GetOpenDocumentCount() >= kMaxDocuments) {
        RefuseFifth();
        return nullptr;
    }
    CFileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = "Open";
    request.filter = kOpenFilter;
    request.defaultExtension = "KLYN";
    request.flags = OFN_READONLY_HIDDEN | OFN_FILE_MUST_EXIST;
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return nullptr;
    return OpenDocumentFile(QString::fromStdString(path));
}

ODVFrame* CMainFrame::OpenRecentFile(int n)
{
    if (n < 0 || n >= m_recent.Files().size())
        return nullptr;
    const QString path = m_recent.Files()[n];
    if (!FindOpen(path) && GetOpenDocumentCount() >= kMaxDocuments) {
        RefuseFifth();
        return nullptr;
    }
    ODVFrame* frame = OpenDocumentFile(path);
    if (!frame) {
        m_recent.Remove(path);
        SaveRecentFiles();
        UpdateRecentMenu();
    }
    return frame;
}

int CMainFrame::OpenFiles(const QStringList& paths)
{
    int opened = 0;
    for (const QString& path : paths) {
        if (!FindOpen(path) && GetOpenDocumentCount() >= kMaxDocuments) {
            RefuseFifth();
            break;
        }
        if (OpenDocumentFile(path))
            ++opened;
    }
    return opened;
}

int CMainFrame::GetOpenDocumentCount() const
{
    return static_cast<int>(Frames().size());
}

QList<ODVFrame*> CMainFrame::Frames() const
{
    QList<ODVFrame*> frames;
    for (const QPointer<ODVFrame>& frame : m_frames)
        if (frame && frame->GetDocument()->IsOpen())
            frames << frame.data();
    return frames;
}

ODVFrame* CMainFrame::ActiveFrame() const
{
    const QList<ODVFrame*> frames = Frames();
    if (QMdiSubWindow* window = m_pMdiArea->currentSubWindow())
        if (auto* frame = qobject_cast<ODVFrame*>(window->widget());
            frame && frames.contains(frame))
            return frame;
    return m_pActive && frames.contains(m_pActive.data()) ? m_pActive.data() : nullptr;
}

QStringList CMainFrame::LocalFiles(const QMimeData* mime)
{
    QStringList files;
    if (mime && mime->hasUrls())
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop's own event ends before the documents open (and their messages show).
    QMetaObject::invokeMethod(
        this, [this, files] { OpenFiles(files); }, Qt::QueuedConnection);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_pMdiArea->closeAllSubWindows();
    event->accept();
}

// ---- state ----

QAction* CMainFrame::Action(Command id) const
{
    const auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second;
}

void CMainFrame::Execute(Command id)
{
    QAction* action = Action(id);
    if (action && action->isEnabled())
        action->trigger();
}

void CMainFrame::UpdateCommands()
{
    ODVFrame* frame = ActiveFrame();
    const bool has = frame != nullptr;
    for (Command id : {kFileClose,
                       kSaveCfgFile,
                       kOpenCfgFile,
                       kCopyPulse,
                       kCopyChromatogram,
                       kCopyBoth,
                       kRestorePulse,
                       kRestoreChromatogram,
                       kSnapPulse,
                       kSnapChromatogram,
                       kGridPulse,
                       kGridChromatogram,
                       kRecalculate,
                       kGateMode,
                       kBoardChannel,
                       kTimedEvents,
                       kLog,
                       kPrint,
                       kPrintPreview,
                       kExportPdf,
                       kPeakParameters,
                       kManualIntegration})
        Action(id)->setEnabled(has);
    Action(kManualIntegration)->setChecked(has && frame->ScanView()->Peaks()->IsManualIntegration());
    Action(kNextPulse)->setEnabled(has && frame->GetDocument()->HasNextPulse());
    Action(kPreviousPulse)->setEnabled(has && frame->GetDocument()->HasPreviousPulse());
    Action(kPreviousView)->setEnabled(has && frame->ScanView()->HasPreviousView());
    Action(kSnapPulse)->setChecked(has && frame->IsSnapToTrace(0));
    Action(kSnapChromatogram)->setChecked(has && frame->IsSnapToTrace(1));
    Action(kGridPulse)->setChecked(has && frame->IsGrid(0));
    Action(kGridChromatogram)->setChecked(has && frame->IsGrid(1));
}

void CMainFrame::OnActiveFrameChanged()
{
    ODVFrame* frame = ActiveFrame();
    m_pTitleBar->SetDocumentTitle(frame ? frame->GetDocument()->GetTitle() : QString());
    const QString notes = frame ? frame->GetDocument()->GetNotes() : QString();
    m_pNote->setToolTip(notes);
    const QString first = notes.section(QLatin1Char('\n'), 0, 0);
    m_pNote->setText(m_pNote->fontMetrics().elidedText(first, Qt::ElideRight, 560));
    m_pNote->setVisible(!notes.isEmpty());
    m_pPeakDock->SetDocument(frame ? frame->GetDocument() : nullptr);
    UpdateCommands();
}

void CMainFrame::ShowCursorText(const QString& text)
{
    m_pStatusText->setText(text.isEmpty() ? QString::fromLatin1(OStatusProgress::kReady) : text);
    // The readout follows the mouse at once, not at the next idle moment.
    m_pStatusText->repaint();
}

QString CMainFrame::GetStatusText() const
{
    return m_pStatusText->text();
}

QString CMainFrame::GetNoteText() const
{
    return m_pNote->isHidden() ? QString() : m_pNote->toolTip();
}

void CMainFrame::SaveRecentFiles()
{
    if (m_options.profilePath.isEmpty())
        return;
    QSettings profile(m_options.profilePath, QSettings::IniFormat);
    m_recent.Save(profile);
}

void CMainFrame::UpdateRecentMenu()
{
    const QStringList& files = m_recent.Files();
    for (int n = 0; n < m_recentActions.size(); ++n) {
        QAction* action = m_recentActions[n];
        action->setVisible(n < files.size());
        if (n < files.size()) {
            action->setText(m_recent.MenuText(n));
            action->setToolTip(files[n]);
        }
    }
    m_pRecentSeparator->setVisible(!files.isEmpty());
}

void CMainFrame::UpdateWindowMenu()
{
    m_pWindowMenu->clear();
    m_pWindowMenu->addAction(QStringLiteral("&Cascade"), m_pMdiArea, &QMdiArea::cascadeSubWindows);
    m_pWindowMenu->addAction(QStringLiteral("&Tile"), m_pMdiArea, &QMdiArea::tileSubWindows);
    const QList<QMdiSubWindow*> windows = m_pMdiArea->subWindowList();
    if (!windows.isEmpty())
        m_pWindowMenu->addSeparator();
    int n = 1;
    for (QMdiSubWindow* window : windows) {
        QAction* action = m_pWindowMenu->addAction(
            QStringLiteral("&%1 %2").arg(n++).arg(window->windowTitle()), this,
            [this, window] { m_pMdiArea->setActiveSubWindow(window); });
        action->setCheckable(true);
        action->setChecked(window == m_pMdiArea->currentSubWindow());
    }
}

CQuillonRunLogDialog* CMainFrame::RunLogDialog()
{
    if (!m_pRunLog) {
        CRunLogOptions options;
        options.variant = DialogVariant::Analyzer;
        options.caption = kCaption;
        options.logPath = ORunLog::GetFilePath();
        m_pRunLog = new CQuillonRunLogDialog(options, this);
        m_pRunLog->setWindowModality(Qt::ApplicationModal);
    }
    return m_pRunLog;
}

void CMainFrame::ShowAbout()
{
    QMessageBox::about(this, QStringLiteral("About Tarvolin Analyzer"),
                       QStringLiteral("<b>Tarvolin Analyzer</b> %1<br><br>Chromatograms of "
                                      "recorded runs: pulses, gates and their traces.")
                           .arg(QCoreApplication::applicationVersion()));
}

void CMainFrame::OpenManual()
{
    CUsersManual::Open();
}

void CMainFrame::ToggleMaximised()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

// ---- the report ----

QPrinter& CMainFrame::Printer()
{
    if (!m_pPrinter)
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_pPrinter;
}

void CMainFrame::Print(ODVFrame* frame)
{
    if (!frame)
        frame = ActiveFrame();
    if (!frame || !frame->GetDocument()->IsOpen())
        return;
    QPrinter& printer = Printer();
    printer.setDocName(frame->GetDocument()->GetTitle());
    if (!CPrintDialogService::Ask(printer, 1, 1, this))
        return;
    if (frame->Report(false).Print(printer) == 0)
        CMessageService::Show("The report could not be printed: the printer could not be started.",
                              kCaption, MessageIcon::Error);
}

void CMainFrame::PrintPreview(ODVFrame* frame)
{
    if (!frame)
        frame = ActiveFrame();
    if (!frame || !frame->GetDocument()->IsOpen())
        return;
    QPrinter& printer = Printer();
    printer.setDocName(frame->GetDocument()->GetTitle());
    const OReportPrinter report = frame->Report(false);
    CPrintDialogService::Preview(
        printer, [&report](QPrinter& pages) { report.Print(pages); }, this);
}

int CMainFrame::ExportPdf(ODVFrame* frame)
{
    if (!frame)
        frame = ActiveFrame();
    if (!frame || !frame->GetDocument()->IsOpen())
        return 0;
    CFileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Export PDF";
    request.filter = kPdfFilter;
    request.defaultExtension = "pdf";
    const QFileInfo document(frame->GetDocument()->GetPathName());
    request.initialFolder = document.absolutePath().toStdString();
    request.initialName = document.completeBaseName().toStdString() + ".pdf";
    request.flags = OFN_READONLY_HIDDEN | OFN_PROMPT_OVERWRITE;
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return 0;
    std::string message;
    if (!OReportPdf::Write(path, frame->Report(true), message)) {
        CMessageService::Show(message, kCaption, MessageIcon::Error);
        return 0;
    }
    m_pStatusText->setText(
        QStringLiteral("Report written to %1").arg(QString::fromStdString(path)));
    return 1;
}
