#include "QuillonRunLogDialog.h"

#include "Archive.h"
#include "FileDialogService.h"
#include "PrintDialogService.h"
#include "ResourceLibrary.h"
#include "RunLogPrinter.h"
#include "RunLogText.h"
#include "TabStopDelegate.h"

#include <QFontMetricsF>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

enum : int { kList = 1036, kClear = 1037, kSaveAs = 1041, kPrint = 1038, kOk = 1, kCancel = 2 };

// Logs grow for years; listing more than this is of no use to anyone reading them.
constexpr long kMaxListedBytes = 64L * 1024 * 1024;

std::string ReadLog(const std::string& path)
{
    // "a+" creates the file when there is none and reads from its start.
    std::FILE* file = std::fopen(path.c_str(), "a+");
    if (!file)
        return {};
    std::string text;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        if (size > kMaxListedBytes)
            std::fseek(file, size - kMaxListedBytes, SEEK_SET);
        else
            std::rewind(file);
    }
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

} // namespace

CQuillonRunLogDialog::CQuillonRunLogDialog(const CRunLogOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options)
{
    auto* layout = new QVBoxLayout(this);
    m_pForm = CResourceLibrary::LoadForm(kTemplateId, this);
    if (m_pForm) {
        layout->addWidget(m_pForm);
        setWindowTitle(m_pForm->windowTitle());
    }
    m_pList = CResourceLibrary::Control<QListWidget>(m_pForm, kList);
    const struct {
        int id;
        void (CQuillonRunLogDialog::*action)();
    } buttons[] = {{kClear, &CQuillonRunLogDialog::Clear},
                   {kSaveAs, &CQuillonRunLogDialog::SaveAs},
                   {kPrint, &CQuillonRunLogDialog::Print},
                   {kOk, &CQuillonRunLogDialog::Ok}};
    for (const auto& b : buttons)
        if (auto* button = CResourceLibrary::Control<QPushButton>(m_pForm, b.id))
            connect(button, &QPushButton::clicked, this, b.action);
    if (auto* cancel = CResourceLibrary::Control<QPushButton>(m_pForm, kCancel))
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int CQuillonRunLogDialog::ShowMessage(const std::string& text, MessageIcon icon)
{
    return CMessageService::Show(text, m_options.caption, icon);
}

void CQuillonRunLogDialog::Load()
{
    m_bCleared = false;
    if (!m_pList)
        return;
    m_pList->clear();
    const QFontMetricsF metrics(m_pList->font());
    const int average = CRunLogText::AverageCharWidth(metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/:-.,+")));
    QList<qreal> stops;
    for (int stop : CRunLogText::ListTabStops(average))
        stops << stop;
    auto* delegate = qobject_cast<CTabStopDelegate*>(m_pList->itemDelegate());
    if (!delegate) {
        delegate = new CTabStopDelegate(m_pList);
        m_pList->setItemDelegate(delegate);
    }
    delegate->SetTabStops(stops);
    for (const std::string& entry : CRunLogText::Entries(ReadLog(m_options.logPath)))
        m_pList->addItem(QString::fromStdString(entry));
}

QList<qreal> CQuillonRunLogDialog::GetTabStops() const
{
    auto* delegate = m_pList ? qobject_cast<CTabStopDelegate*>(m_pList->itemDelegate()) : nullptr;
    return delegate ? delegate->GetTabStops() : QList<qreal>();
}

QStringList CQuillonRunLogDialog::Lines() const
{
    QStringList lines;
    if (m_pList)
        for (int i = 0; i < m_pList->count(); ++i)
            lines << m_pList->item(i)->text();
    return lines;
}

void CQuillonRunLogDialog::Clear()
{
    if (m_options.variant == DialogVariant::Analyzer) {
        ShowMessage("Not implimented", MessageIcon::Information);
        return;
    }
    if (m_pList)
        m_pList->clear();
    m_bCleared = true;
}

void CQuillonRunLogDialog::Ok()
{
    std::error_code ec;
    if (m_bCleared && std::filesystem::exists(m_options.logPath, ec)) {
        std::filesystem::resize_file(m_options.logPath, 0, ec);
        if (ec) {
            ShowMessage("The run log \"" + m_options.logPath +
                        "\" could not be cleared: " + ec.message());
            return;
        }
    }
    m_bCleared = false;
    accept();
}

void CQuillonRunLogDialog::SaveAs()
{
    CFileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Save As";
    request.defaultExtension = "txt";
    request.filter =
        m_options.variant == DialogVariant::Analyzer ? kAnalyzerFilter : kMonitorFilter;
    request.flags = OFN_READONLY_HIDDEN | OFN_PROMPT_OVERWRITE;
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return;
    std::string text;
    for (const QString& line : Lines())
        text += line.toStdString() + "\n";
    std::string error;
    if (!WriteFileBytes(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                        error))
        ShowMessage("The run log could not be saved as \"" + path + "\": " + error);
}

void CQuillonRunLogDialog::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromLatin1(CRunLogText::kDocumentName));
    if (!CPrintDialogService::Ask(printer, 1, 999, this))
        return;
    const int lastPage = printer.printRange() == QPrinter::PageRange ? printer.toPage() : 0;
    if (CRunLogPrinter::Print(printer, Lines(), CRunLogPrinter::Today(), lastPage) == 0)
        ShowMessage("The run log could not be printed: the printer could not be started.");
}
