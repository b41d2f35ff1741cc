#include "PeakTableDock.h"

#include "DVDoc.h"
#include "FileDialogService.h"
#include "MessageService.h"
#include "PeakTableCsv.h"
#include "PeakTableModel.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

OPeakTableDock::OPeakTableDock(QWidget* parent)
    : QDockWidget(QString::fromLatin1(kTitle), parent)
{
    setObjectName(QStringLiteral("OPeakTableDock"));
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);

    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 2, 4, 4);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Trace:"), body));
    m_pTraces = new QComboBox(body);
    m_pTraces->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(m_pTraces);
    m_pCount = new QLabel(body);
    bar->addWidget(m_pCount);
    bar->addStretch(1);
    m_pExport = new QPushButton(QStringLiteral("Export CSV..."), body);
    bar->addWidget(m_pExport);
    layout->addLayout(bar);

    m_pModel = new OPeakTableModel(this);
    m_pProxy = new QSortFilterProxyModel(this);
    m_pProxy->setSourceModel(m_pModel);
    m_pProxy->setSortRole(OPeakTableModel::kSortRole);
    m_pTable = new QTableView(body);
    m_pTable->setModel(m_pProxy);
    m_pTable->setSortingEnabled(true);
    m_pTable->sortByColumn(OPeakTableModel::kNumber, Qt::AscendingOrder);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->verticalHeader()->setVisible(false);
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 4);
    m_pTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_pTable);
    setWidget(body);

    // The view copies only its current cell on Ctrl+C; the table copies whole rows.
    m_pTable->installEventFilter(this);

    connect(m_pTraces, qOverload<int>(&QComboBox::activated), this,
            [this](int item) {
                SetTrace(m_pTraces->itemData(item).toInt());
                // The picked peak belongs to the trace no longer shown.
                if (m_pDoc)
                    m_pDoc->Peaks()->Select(-1, -1);
            });
    connect(m_pExport, &QPushButton::clicked, this, &OPeakTableDock::ExportCsv);
    connect(m_pTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &OPeakTableDock::OnRowSelected);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &OPeakTableDock::UpdateCount);
    UpdateCount();
}

bool OPeakTableDock::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pTable && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        Copy();
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}

void OPeakTableDock::SetDocument(ODVDoc* doc)
{
    if (m_pDoc == doc)
        return;
    if (m_pDoc) {
        disconnect(m_pDoc, nullptr, this, nullptr);
        disconnect(m_pDoc->Peaks(), nullptr, this, nullptr);
    }
    m_pDoc = doc;
    m_pModel->SetPeaks(nullptr);
    if (m_pDoc) {
        // A gate edit may change the traces there are and their names.
        connect(m_pDoc, &ODVDoc::chromatogramChanged, this, &OPeakTableDock::FillTraces);
        connect(m_pDoc->Peaks(), &ODocPeaks::selectionChanged, this,
                &OPeakTableDock::OnDocumentSelection);
    }
    FillTraces();
    m_pModel->SetPeaks(m_pDoc ? m_pDoc->Peaks() : nullptr);
    m_pExport->setEnabled(m_pDoc != nullptr);
    if (m_pDoc)
        OnDocumentSelection(m_pDoc->Peaks()->GetSelectedTrace(),
                            m_pDoc->Peaks()->GetSelectedIndex());
}

void OPeakTableDock::FillTraces()
{
    const int shown = m_pDoc ? m_pDoc->Peaks()->GetCurrentTrace() : 0;
    m_pTraces->clear();
    const int count = m_pDoc ? m_pDoc->Peaks()->GetTraceCount() : 0;
    const ODVChannels* names = m_pDoc ? &m_pDoc->Data().GetGateDescriptors() : nullptr;
    for (int t = 0; t < count; ++t)
        m_pTraces->addItem(QStringLiteral("Gate %1: %2")
                               .arg(t + 1)
                               .arg(QString::fromStdString((*names)[t].name)),
                           t);
    m_pTraces->setEnabled(count > 0);
    const int trace = std::clamp(shown, 0, std::max(count - 1, 0));
    m_pTraces->setCurrentIndex(count > 0 ? trace : -1);
    m_pModel->SetTrace(trace);
    if (m_pDoc)
        m_pDoc->Peaks()->SetCurrentTrace(trace);
}

void OPeakTableDock::SetTrace(int trace)
{
    const int item = m_pTraces->findData(trace);
    if (item < 0)
        return;
    m_pTraces->setCurrentIndex(item);
    m_pModel->SetTrace(trace);
    if (m_pDoc)
        m_pDoc->Peaks()->SetCurrentTrace(trace);
}

int OPeakTableDock::GetTrace() const
{
    return m_pModel->GetTrace();
}

void OPeakTableDock::UpdateCount()
{
    const int n = m_pModel->rowCount();
    m_pCount->setText(m_pDoc ? QStringLiteral("%1 %2").arg(n).arg(n == 1 ? QStringLiteral("peak")
                                                                         : QStringLiteral("peaks"))
                             : QString());
}

QString OPeakTableDock::SelectedText() const
{
    QList<int> rows;
    // In the order the table shows them.
    QModelIndexList selected = m_pTable->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : selected)
        rows << m_pProxy->mapToSource(index).row();
    return rows.isEmpty() ? QString() : m_pModel->Text(rows);
}

void OPeakTableDock::Copy()
{
    const QString text = SelectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

int OPeakTableDock::ExportCsv()
{
    if (!m_pDoc || !m_pDoc->IsOpen())
        return 0;
    CFileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Export Peak Table";
    request.filter = kCsvFilter;
    request.defaultExtension = "csv";
    request.flags = OFN_PROMPT_OVERWRITE;
    const QFileInfo recording(m_pDoc->GetPathName());
    request.initialFolder = recording.absolutePath().toStdString();
    request.initialName =
        QStringLiteral("%1-gate%2-peaks.csv").arg(recording.completeBaseName()).arg(GetTrace() + 1)
            .toStdString();
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return 0;
    std::string message;
    if (!OPeakTableCsv::Write(path, m_pDoc->Peaks()->GetPeaks(GetTrace()), message)) {
        CMessageService::Show(message, ODVDoc::kCaption, MessageIcon::Warning);
        return 0;
    }
    return 1;
}

void OPeakTableDock::OnRowSelected()
{
    if (m_bFollowing || !m_pDoc)
        return;
    const QModelIndex current = m_pTable->selectionModel()->currentIndex();
    const QModelIndexList rows = m_pTable->selectionModel()->selectedRows();
    int index = -1;
    if (!rows.isEmpty()) {
        // The row the user last touched when it is among the selected, else the first.
        QModelIndex pick = rows.first();
        for (const QModelIndex& row : rows)
            if (row.row() == current.row())
                pick = row;
        index = m_pProxy->mapToSource(pick).row();
    }
    m_pDoc->Peaks()->Select(index < 0 ? -1 : GetTrace(), index);
}

void OPeakTableDock::OnDocumentSelection(int trace, int index)
{
    m_bFollowing = true;
    if (trace >= 0 && trace != GetTrace())
        SetTrace(trace);
    if (trace < 0 || index < 0) {
        m_pTable->clearSelection();
    } else {
        const QModelIndex row = m_pProxy->mapFromSource(m_pModel->index(index, 0));
        if (row.isValid()) {
            m_pTable->selectionModel()->select(
                row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            m_pTable->selectionModel()->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
            m_pTable->scrollTo(row);
        }
    }
    m_bFollowing = false;
}
