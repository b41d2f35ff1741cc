#include "TarvolinLauncherDlg.h"

#include "AddDeviceDlg.h"
#include "ConnectionsListCtrl.h"
#include "FilePaths.h"
#include "LauncherMessages.h"
#include "LauncherResources.h"
#include "ModifyDialog.h"
#include "TarvolinLauncherLeftButtonBar.h"
#include "TarvolinLauncherRightButtonBar.h"
#include "TarvolinLauncherTitleBar.h"
#include "UsersManual.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QMenu>
#include <QShortcut>
#include <QSizeGrip>
#include <QVBoxLayout>

namespace {

constexpr const char* kEmptyListText = "No instruments yet.\nClick Add to connect one.";
constexpr const char* kUnreadableListText = "The instrument list cannot be shown.";

} // namespace

CTarvolinLauncherDlg::CTarvolinLauncherDlg(CInstrumentConnections& connections,
                                           CProgramStarter starter, QWidget* parent)
    : CPageEx(102, parent), m_connections(connections), m_starter(std::move(starter))
{
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowTitle(CLauncherResources::String(128));
    setWindowIcon(CLauncherResources::AppIcon());
    setMinimumSize(560, 420);
    resize(860, 600);
    // Several list changes in a row (a script adding ten instruments) give one refill.
    m_refill.setSingleShot(true);
    m_refill.setInterval(200);
    connect(&m_refill, &QTimer::timeout, this, [this] {
        FillList();
        WatchListFile();
    });
}

void CTarvolinLauncherDlg::Initialize()
{
    if (m_bInitialized)
        return;
    m_bInitialized = true;

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_pTitleBar = new CTarvolinLauncherTitleBar(this);
    outer->addWidget(m_pTitleBar);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_pCommandBar = new CTarvolinLauncherRightButtonBar(this);
    row->addWidget(m_pCommandBar);
    QWidget* middle = CLauncherResources::LoadForm(102, this);
    if (middle) {
        row->addWidget(middle, 1);
        m_pList = middle->findChild<CConnectionsListCtrl*>(QStringLiteral("ctl1006"));
    }
    if (!m_pList) {
        // Without its form the window still works.
        m_pList = new CConnectionsListCtrl(this);
        row->addWidget(m_pList, 1);
    }
    m_pProgramBar = new CTarvolinLauncherLeftButtonBar(this);
    row->addWidget(m_pProgramBar);
    outer->addLayout(row, 1);

    SetButtonPannel(m_pTitleBar, PANNEL_LOCATION_TOP);
    SetButtonPannel(m_pCommandBar, PANNEL_LOCATION_LEFT);
    SetButtonPannel(m_pProgramBar, PANNEL_LOCATION_RIGHT);
    for (CButtonPannel* panel :
         {static_cast<CButtonPannel*>(m_pTitleBar), static_cast<CButtonPannel*>(m_pCommandBar),
          static_cast<CButtonPannel*>(m_pProgramBar)})
        panel->Initialize();

    m_pSizeGrip = new QSizeGrip(this);
    m_pSizeGrip->resize(m_pSizeGrip->sizeHint());

    connect(m_pList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { OnStartMonitor(item->text()); });
    connect(m_pList, &QWidget::customContextMenuRequested, this,
            &CTarvolinLauncherDlg::ShowContextMenu);
    const struct {
        QKeySequence key;
        void (CTarvolinLauncherDlg::*command)();
    } shortcuts[] = {{QKeySequence(Qt::Key_Insert), &CTarvolinLauncherDlg::OnAddConnection},
                     {QKeySequence(Qt::Key_F2), &CTarvolinLauncherDlg::OnModifyConnection},
                     {QKeySequence::Delete, &CTarvolinLauncherDlg::OnDeleteConnection},
                     {QKeySequence::HelpContents, &CTarvolinLauncherDlg::OnOpenManual}};
    for (const auto& s : shortcuts)
        connect(new QShortcut(s.key, this), &QShortcut::activated, this, s.command);

    m_pWatcher = new QFileSystemWatcher(this);
    connect(m_pWatcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_refill.start(); });
    connect(m_pWatcher, &QFileSystemWatcher::fileChanged, this, [this] { m_refill.start(); });

    std::string msg;
    if (!FillList(&msg)) {
        if (m_connections.GetLastProblem() != ConnectionProblem::Damaged)
            CLauncherMessages::Show(msg, MessageIcon::Warning);
        else if (CLauncherMessages::OfferRepair(m_connections, msg))
            FillList();
    }
    WatchListFile();
    m_pList->setFocus();
    OnSizeChanged();
}

void CTarvolinLauncherDlg::WatchListFile()
{
    if (!m_pWatcher)
        return;
    const QString path = QString::fromStdString(m_connections.GetListPath());
    const QString folder = QFileInfo(path).absolutePath();
    // A file replaced by rename is a new file: watch it again each time.
    if (!m_pWatcher->files().isEmpty())
        m_pWatcher->removePaths(m_pWatcher->files());
    if (QFileInfo::exists(path))
        m_pWatcher->addPath(path);
    if (!m_pWatcher->directories().contains(folder) && QFileInfo(folder).isDir())
        m_pWatcher->addPath(folder);
}

int CTarvolinLauncherDlg::FillList(std::string* why)
{
    CGeneralPCSettings list;
    std::string msg;
    const int read = m_connections.List(list, msg);
    if (why)
        *why = msg;
    m_pList->Fill(read ? list : CGeneralPCSettings());
    m_pList->SetEmptyText(read ? QString::fromLatin1(kEmptyListText)
                               : QString::fromLatin1(kUnreadableListText) + "\n\n" +
                                     QString::fromStdString(msg));
    return read;
}

void CTarvolinLauncherDlg::OnButtonClicked(unsigned id)
{
    switch (id) {
    case CTarvolinLauncherTitleBar::kCloseButton:
        close();
        break;
    case CTarvolinLauncherRightButtonBar::kAddButton:
        OnAddConnection();
        break;
    case CTarvolinLauncherRightButtonBar::kModifyButton:
        OnModifyConnection();
        break;
    case CTarvolinLauncherRightButtonBar::kDeleteButton:
        OnDeleteConnection();
        break;
    case CTarvolinLauncherLeftButtonBar::kManualButton:
        OnOpenManual();
        break;
    case CTarvolinLauncherLeftButtonBar::kAnalyzerButton:
        OnStartAnalyzer();
        break;
    default:
        break;
    }
}

void CTarvolinLauncherDlg::OnAddConnection()
{
    CAddDeviceDlg dialog(m_connections, this);
    dialog.exec();
    FillList();
}

void CTarvolinLauncherDlg::OnModifyConnection()
{
    const QString name = m_pList->GetSelectedName();
    if (name.isEmpty()) {
        CLauncherMessages::Show(CLauncherMessages::kNoSelection, MessageIcon::Information);
        return;
    }
    CModifyDialog dialog(m_connections, name, this);
    if (dialog.IsFound())
        dialog.exec();
    FillList();
}

void CTarvolinLauncherDlg::OnDeleteConnection()
{
    const QString name = m_pList->GetSelectedName();
    if (name.isEmpty()) {
        CLauncherMessages::Show(CLauncherMessages::kNoSelection, MessageIcon::Information);
        return;
    }
    if (CLauncherMessages::Show(CLauncherMessages::kDeleteQuestion, MessageIcon::Error,
                                MessageButtons::YesNoDefaultNo) != IDYES)
        return;
    // An instrument already gone (deleted from elsewhere) needs no message.
    const auto remove = [this, &name](std::string& msg) {
        return m_connections.Delete(name.toStdString(), msg) ||
               m_connections.GetLastProblem() == ConnectionProblem::NotFound;
    };
    std::string msg;
    bool deleted = remove(msg);
    // A damaged list the operator let us repair: the same deletion once more.
    if (!deleted &&
        CLauncherMessages::ShowFailure(m_connections, msg, CLauncherMessages::kCannotDelete,
                                       MessageIcon::Warning)) {
        deleted = remove(msg);
        if (!deleted)
            CLauncherMessages::ShowFailure(m_connections, msg, CLauncherMessages::kCannotDelete,
                                           MessageIcon::Warning);
    }
    FillList();
}

void CTarvolinLauncherDlg::OnOpenManual()
{
    CUsersManual::Open();
}

void CTarvolinLauncherDlg::OnStartAnalyzer()
{
    QString why;
    if (!m_starter.StartAnalyzer(why))
        CLauncherMessages::Show(why.toStdString(), MessageIcon::Warning);
}

int CTarvolinLauncherDlg::OnStartMonitor(const QString& name)
{
    QString why;
    CDeviceConnection connection;
    std::string msg;
    if (!m_connections.Find(name.toStdString(), connection, msg)) {
        CLauncherMessages::Show(msg, MessageIcon::Warning);
        FillList();
        return 0;
    }
    // A name from an older list that cannot name a folder would start a
    // Monitor that refuses it at once.
    std::string reason;
    const std::string trimmed = connection.GetTrimmedName();
    if (!CFilePaths::IsSinglePathComponent(trimmed, reason)) {
        CLauncherMessages::Show("The instrument \"" + trimmed +
                                    "\" cannot be opened: its name cannot name its settings "
                                    "folder (" +
                                    reason + "). Delete it and add it again under another name.",
                                MessageIcon::Warning);
        return 0;
    }
    if (!m_starter.StartMonitor(QString::fromStdString(trimmed), connection.GetPortNumber(), why)) {
        CLauncherMessages::Show(why.toStdString(), MessageIcon::Error);
        return 0;
    }
    return 1;
}

void CTarvolinLauncherDlg::OnSizeChanged()
{
    if (m_pSizeGrip)
        m_pSizeGrip->move(width() - m_pSizeGrip->width(), height() - m_pSizeGrip->height());
    if (m_pSizeGrip)
        m_pSizeGrip->raise();
}

void CTarvolinLauncherDlg::ShowContextMenu(const QPoint& position)
{
    QMenu menu(this);
    QListWidgetItem* item = m_pList->itemAt(position);
    if (item) {
        m_pList->setCurrentItem(item);
        item->setSelected(true);
        const QString name = item->text();
        menu.addAction(QStringLiteral("Open Monitor"), this,
                       [this, name] { OnStartMonitor(name); });
        menu.addAction(QStringLiteral("Modify..."), this,
                       &CTarvolinLauncherDlg::OnModifyConnection);
        menu.addAction(QStringLiteral("Delete"), this, &CTarvolinLauncherDlg::OnDeleteConnection);
    } else {
        menu.addAction(QStringLiteral("Add..."), this, &CTarvolinLauncherDlg::OnAddConnection);
    }
    menu.exec(m_pList->viewport()->mapToGlobal(position));
}
