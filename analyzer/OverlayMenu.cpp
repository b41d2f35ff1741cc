#include "OverlayMenu.h"

#include "DVDoc.h"
#include "DVViewScan.h"
#include "FileDialogService.h"
#include "MessageService.h"
#include "OverlaySet.h"
#include "RunLog.h"

#include <QActionGroup>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>

#include <algorithm>

OOverlayMenu::OOverlayMenu(ViewSource activeView, DocumentSource documents,
                           const ODVDocData::Options& options, QWidget* parent)
    : QMenu(QString::fromLatin1(kTitle), parent), m_activeView(std::move(activeView)),
      m_documents(std::move(documents)), m_options(options)
{
    setObjectName(QStringLiteral("OverlayMenu"));
    m_pDocSeparator = addSeparator();
    m_pAddReference = addAction(QString::fromLatin1(kAddReference));
    connect(m_pAddReference, &QAction::triggered, this, [this] { AddReferenceFile(); });
    m_pGateMenu = addMenu(QString::fromLatin1(kGate));
    m_pGateGroup = new QActionGroup(this);
    m_pGateGroup->setExclusive(true);
    addSeparator();
    m_pAlign = addAction(QString::fromLatin1(kAlignStarts));
    m_pAlign->setCheckable(true);
    connect(m_pAlign, &QAction::triggered, this, [this](bool on) {
        if (ODVViewScan* view = m_activeView())
            view->Overlays()->SetAlignStarts(on);
    });
    m_pNormalise = addAction(QString::fromLatin1(kNormalise));
    m_pNormalise->setCheckable(true);
    connect(m_pNormalise, &QAction::triggered, this, [this](bool on) {
        if (ODVViewScan* view = m_activeView())
            view->Overlays()->SetNormalise(on);
    });
    addSeparator();
    m_pClear = addAction(QString::fromLatin1(kClear));
    connect(m_pClear, &QAction::triggered, this, [this] {
        if (ODVViewScan* view = m_activeView())
            view->Overlays()->Clear();
    });
    connect(this, &QMenu::aboutToShow, this, &OOverlayMenu::Rebuild);
    Rebuild();
}

void OOverlayMenu::Rebuild()
{
    ODVViewScan* view = m_activeView();
    const OOverlaySet* set = view ? view->Overlays() : nullptr;
    RebuildDocuments(view);
    RebuildGates(view);
    m_pAddReference->setEnabled(set && !set->IsFull());
    m_pAlign->setEnabled(set != nullptr);
    m_pAlign->setChecked(set && set->IsAlignStarts());
    m_pNormalise->setEnabled(set != nullptr);
    m_pNormalise->setChecked(set && set->IsNormalise());
    m_pClear->setEnabled(set && set->GetCount() > 0);
}

void OOverlayMenu::RebuildDocuments(ODVViewScan* view)
{
    qDeleteAll(m_docActions);
    m_docActions.clear();
    if (!view)
        return;
    OOverlaySet* set = view->Overlays();
    for (ODVDoc* doc : m_documents()) {
        if (!doc || doc == view->GetDocument() || !doc->IsOpen())
            continue;
        auto* action = new QAction(QString::fromLatin1(kEntryPrefix) + doc->GetTitle(), this);
        action->setCheckable(true);
        action->setChecked(set->HasDocument(doc));
        action->setEnabled(action->isChecked() || !set->IsFull());
        // The entry lives until the next rebuild; the document may close
        // before that, so it is reached only through a guarded pointer.
        connect(action, &QAction::triggered, this,
                [set = QPointer<OOverlaySet>(set), guarded = QPointer<ODVDoc>(doc)](bool on) {
            if (!set || !guarded)
                return;
            if (on)
                set->AddDocument(guarded);
            else
                set->RemoveDocument(guarded);
        });
        insertAction(m_pDocSeparator, action);
        m_docActions << action;
    }
    // The reference recordings are in the set only: unchecking one lets it go.
    for (int run = 0; run < set->GetCount(); ++run) {
        if (set->GetDocument(run))
            continue;
        auto* action = new QAction(QString::fromLatin1(kEntryPrefix) + set->GetLabel(run) +
                                       QString::fromLatin1(kReferenceMark),
                                   this);
        action->setCheckable(true);
        action->setChecked(true);
        connect(action, &QAction::triggered, this,
                [set = QPointer<OOverlaySet>(set), id = set->GetRunId(run)](bool on) {
                    if (set && !on)
                        set->RemoveRunById(id);
                });
        insertAction(m_pDocSeparator, action);
        m_docActions << action;
    }
}

void OOverlayMenu::RebuildGates(ODVViewScan* view)
{
    for (QAction* action : m_pGateMenu->actions()) {
        m_pGateGroup->removeAction(action);
        m_pGateMenu->removeAction(action);
        delete action;
    }
    const int gates = view ? std::clamp<int>(view->GetDocument()
                                                 ->Data()
                                                 .GetWorkingConfiguration()
                                                 .GetNumGateModes(),
                                             0, ODVViewScan::kTraces)
                           : 0;
    m_pGateMenu->setEnabled(gates > 0);
    for (int g = 0; g < gates; ++g) {
        const QString name =
            QString::fromStdString(view->GetDocument()->Data().GetGateDescriptors()[g].name);
        QAction* action = m_pGateMenu->addAction(name);
        action->setCheckable(true);
        action->setChecked(view->Overlays()->GetGate() == g);
        m_pGateGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, g] {
            if (ODVViewScan* active = m_activeView())
                active->Overlays()->SetGate(g);
        });
    }
}

int OOverlayMenu::AddReferenceFile()
{
    ODVViewScan* view = m_activeView();
    if (!view || view->Overlays()->IsFull())
        return 0;
    CFileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = "Add Reference File";
    request.filter = kFilter;
    request.flags = OFN_READONLY_HIDDEN | OFN_FILE_MUST_EXIST;
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return 0;

    OOverlaySet::OReference reference;
    std::string message;
    std::string reason;
    int ok = 0;
    {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        ok = OOverlaySet::LoadReference(path, m_options, reference, message, reason);
        QGuiApplication::restoreOverrideCursor();
    }
    const QString name = QFileInfo(QString::fromStdString(path)).fileName();
    if (!ok) {
        ORunLog::AddEntry("Could not overlay " + path + ": " + (reason.empty() ? message : reason));
        std::string text = name.toStdString() + " cannot be overlaid.\n" + message;
        if (!reason.empty())
            text += "\n(" + reason + ")";
        CMessageService::Show(text, kCaption, MessageIcon::Warning);
        return 0;
    }
    ORunLog::AddEntry("Overlaid " + path);
    return view->Overlays()->AddReference(name, std::move(reference));
}
