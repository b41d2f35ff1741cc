#include "ParameterDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kCancelId = 2;

QString NoteStyle(CParameterDialog::NoteKind kind)
{
    switch (kind) {
    case CParameterDialog::NoteKind::Busy:
        return QStringLiteral(
            "QLabel { color: rgb(0, 52, 110); font-style: italic; padding: 4px; }");
    case CParameterDialog::NoteKind::Fallback:
        return QStringLiteral(
            "QLabel { color: rgb(90, 60, 0); background: rgb(255, 236, 170); "
            "border: 1px solid rgb(200, 160, 40); border-radius: 3px; padding: 4px; }");
    case CParameterDialog::NoteKind::Failure:
        return QStringLiteral(
            "QLabel { color: rgb(140, 0, 0); background: rgb(255, 220, 220); "
            "border: 1px solid rgb(200, 80, 80); border-radius: 3px; padding: 4px; }");
    case CParameterDialog::NoteKind::None:
        break;
    }
    return {};
}

} // namespace

CParameterDialog::CParameterDialog(int templateId, CParameterBacking* backing,
                                   const CDialogOptions& options, QWidget* parent)
    : QDialog(parent), m_pBacking(backing), m_options(options)
{
    auto* layout = new QVBoxLayout(this);
    m_pForm = CResourceLibrary::LoadForm(templateId, this);
    if (m_pForm) {
        layout->addWidget(m_pForm);
        setWindowTitle(m_pForm->windowTitle());
    }
    m_pNote = new QLabel(this);
    m_pNote->setObjectName(QStringLiteral("dialogNote"));
    m_pNote->setWordWrap(true);
    m_pNote->hide();
    layout->addWidget(m_pNote);
    // Help has no function.
    if (auto* help = Control<QWidget>(9))
        help->hide();
    OnClicked(kCancelId, [this] { reject(); });
}

CParameterDialog::~CParameterDialog()
{
    CancelRequests();
}

QString CParameterDialog::GetNote() const
{
    return m_pNote->isHidden() ? QString() : m_pNote->text();
}

void CParameterDialog::OnClicked(int id, std::function<void()> action)
{
    if (auto* button = Control<QAbstractButton>(id))
        connect(button, &QAbstractButton::clicked, this,
                [action = std::move(action)] { action(); });
}

int CParameterDialog::Request(BackingOperation operation, const CBackingRecords& records,
                              std::function<void(const CBackingResult&)> done)
{
    if (!m_pBacking)
        return 0;
    if (m_requests.empty()) {
        m_strLastNote = m_eNoteKind == NoteKind::Busy ? QString() : GetNote();
        m_eLastNoteKind = m_eNoteKind == NoteKind::Busy ? NoteKind::None : m_eNoteKind;
    }
    // The completion never runs inside Start, so the id is known by then;
    // and the destructor cancels, so it never runs after the dialog is gone.
    auto startedId = std::make_shared<int>(0);
    const int id = m_pBacking->Start(
        CBackingRequest{operation, records},
        [this, startedId, done = std::move(done)](const CBackingResult& result) {
            std::erase_if(m_requests, [&](const auto& r) { return r.first == *startedId; });
            if (!m_requests.empty())
                SetNote(QString::fromStdString(m_pBacking->BusyText(m_requests.front().second)),
                        NoteKind::Busy);
            done(result);
            if (m_requests.empty()) {
                RefreshEnabling();
                emit idle();
            }
        });
    *startedId = id;
    m_requests.emplace_back(id, operation);
    SetNote(QString::fromStdString(m_pBacking->BusyText(m_requests.front().second)),
            NoteKind::Busy);
    RefreshEnabling();
    return id;
}

void CParameterDialog::CancelRequests()
{
    const bool wasBusy = !m_requests.empty();
    if (m_pBacking)
        for (const auto& request : m_requests)
            m_pBacking->Cancel(request.first);
    m_requests.clear();
    if (wasBusy) {
        RefreshEnabling();
        emit idle();
    }
}

void CParameterDialog::reject()
{
    CancelRequests();
    QDialog::reject();
}

void CParameterDialog::SetNote(const QString& text, NoteKind kind)
{
    m_eNoteKind = text.isEmpty() ? NoteKind::None : kind;
    m_pNote->setText(text);
    m_pNote->setStyleSheet(NoteStyle(m_eNoteKind));
    m_pNote->setVisible(!text.isEmpty());
}

int CParameterDialog::ShowMessage(const std::string& text, MessageIcon icon)
{
    return CMessageService::Show(text, m_options.caption, icon);
}

std::string CParameterDialog::FailureText(BackingOperation operation, const CBackingResult& result,
                                          int nChannel) const
{
    const bool board = m_pBacking && m_pBacking->IsInstrument();
    const std::string what = CParameterBacking::RecordsText(operation, nChannel);
    std::string text;
    if (CParameterBacking::IsWrite(operation))
        text =
            board ? "Could not send " + what + " to the board." : "Could not store " + what + ".";
    else
        text =
            board ? "Could not read " + what + " from the board." : "Could not read " + what + ".";
    if (!result.strMessage.empty())
        text += "\n" + result.strMessage;
    return text;
}

QString CParameterDialog::FallbackNote(BackingOperation operation,
                                       const CBackingResult& result) const
{
    std::string text =
        "Could not read " + CParameterBacking::RecordsText(operation) + " from the board";
    if (!result.strMessage.empty())
        text += " (" + result.strMessage + ")";
    text += ". Shown are the values of the configuration file, not the board's; "
            "they reach the board only when you apply them.";
    return QString::fromStdString(text);
}

void CParameterDialog::RefreshEnabling()
{
    if (!m_pForm)
        return;
    // Let the dialog set its own enabling first, then hold everything but
    // Cancel while a request runs.
    for (QWidget* widget : m_pForm->findChildren<QWidget*>()) {
        if (widget->property("heldWhileBusy").toBool()) {
            widget->setEnabled(widget->property("enabledWhenIdle").toBool());
            widget->setProperty("heldWhileBusy", false);
        }
    }
    UpdateControls();
    if (m_requests.empty()) {
        if (m_eNoteKind == NoteKind::Busy)
            SetNote(m_strLastNote, m_eLastNoteKind);
        return;
    }
    for (QWidget* widget : m_pForm->findChildren<QWidget*>()) {
        const bool input = qobject_cast<QAbstractButton*>(widget) ||
                           qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
                           qobject_cast<QListWidget*>(widget);
        if (!input || widget->objectName() == CResourceLibrary::ControlName(kCancelId))
            continue;
        widget->setProperty("enabledWhenIdle", widget->isEnabled());
        widget->setProperty("heldWhileBusy", true);
        widget->setEnabled(false);
    }
}
