#include "QuillonSetEventDialog.h"

#include "ConfigFile.h"
#include "GateRules.h"
#include "TabStopDelegate.h"
#include "TimedEventRules.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <cmath>

namespace {

enum : int {
    kEventList = 1023,
    kTime = 1024,
    kCode = 1028,
    kChannel = 1027,
    kValueList = 1071,
    kValueEdit = 1072,
    kUnit = 1073,
    kNotApplicable = 1005,
    kAdd = 4,
    kChange = 5,
    kDelete = 6,
    kOk = 1,
};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QString Number(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace

CQuillonSetEventDialog::CQuillonSetEventDialog(CParameterBacking* backing,
                                               const CDialogOptions& options, QWidget* parent)
    : CParameterDialog(kTemplateId, backing, options, parent)
{
    if (auto* list = Control<QListWidget>(kEventList)) {
        list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        CTabStopDelegate::Install(list, {15, 37, 51});
        // Selection, not the current row: focus alone moves the current row.
        connect(list, &QListWidget::itemSelectionChanged, this, [this] {
            if (const CTimedEventData* event = m_edit.GetTimedEventDataAt(GetSelectedRow()))
                LoadEvent(*event);
        });
    }
    if (auto* code = Control<QComboBox>(kCode)) {
        for (const char* text : CTimedEventRules::kCodeTexts)
            code->addItem(QString::fromLatin1(text));
        code->setCurrentIndex(0);
        connect(code, &QComboBox::activated, this, &CQuillonSetEventDialog::OnCodeChanged);
    }
    if (auto* channel = Control<QComboBox>(kChannel)) {
        channel->addItem(QStringLiteral("1"));
        channel->addItem(QStringLiteral("2"));
        channel->setCurrentIndex(0);
    }
    if (auto* na = Control<QLineEdit>(kNotApplicable)) {
        na->setText(QStringLiteral("n/a"));
        na->setReadOnly(true);
    }
    if (auto* time = Control<QLineEdit>(kTime))
        time->setText(QStringLiteral("0"));
    OnClicked(kAdd, [this] { Add(); });
    OnClicked(kChange, [this] { Change(); });
    OnClicked(kDelete, [this] { Delete(); });
    OnClicked(kOk, [this] { Ok(); });
    ConfigureValueControls(1);
}

void CQuillonSetEventDialog::SetEvents(const CTimedEvent& events)
{
    m_applied = events;
    m_edit = events;
    FillEventList();
}

void CQuillonSetEventDialog::SetGateParameters(const CGateParameters& gates)
{
    m_gates = gates;
    if (m_nCode == EC_GATE_SELECTION)
        ConfigureValueControls(m_nCode);
    FillEventList();
}

void CQuillonSetEventDialog::UpdateControls()
{
    const CTimedEventRules::CControls controls = CTimedEventRules::ControlsFor(m_nCode, m_gates);
    if (auto* channel = Control<QComboBox>(kChannel))
        channel->setEnabled(controls.bChannelEnabled);
    if (auto* list = Control<QComboBox>(kValueList))
        list->setEnabled(controls.bValueListEnabled);
    if (auto* na = Control<QLineEdit>(kNotApplicable))
        na->setEnabled(false);
}

void CQuillonSetEventDialog::ConfigureValueControls(int code)
{
    m_nCode = code;
    const CTimedEventRules::CControls controls = CTimedEventRules::ControlsFor(code, m_gates);
    using VC = CTimedEventRules::ValueControl;
    if (auto* list = Control<QComboBox>(kValueList)) {
        const QSignalBlocker block(list);
        list->clear();
        for (const auto& [text, value] : controls.choices)
            list->addItem(Q(text), value);
        list->setCurrentIndex(list->count() > 0 ? 0 : -1);
        list->setVisible(controls.control == VC::List);
    }
    if (auto* edit = Control<QLineEdit>(kValueEdit))
        edit->setVisible(controls.control == VC::IgnitorEdit);
    if (auto* unit = Control<QLabel>(kUnit)) {
        unit->setText(Q(controls.unit));
        unit->setVisible(controls.control == VC::IgnitorEdit);
    }
    if (auto* na = Control<QLineEdit>(kNotApplicable))
        na->setVisible(controls.control == VC::NotApplicable);
    RefreshEnabling();
}

int CQuillonSetEventDialog::CurrentCode() const
{
    auto* code = Control<QComboBox>(kCode);
    return code && code->currentIndex() >= 0 ? code->currentIndex() + 1 : EC_INVALID;
}

void CQuillonSetEventDialog::OnCodeChanged(int position)
{
    ConfigureValueControls(position + 1);
}

void CQuillonSetEventDialog::LoadEvent(const CTimedEventData& event)
{
    if (auto* time = Control<QLineEdit>(kTime))
        time->setText(Number(event.GetEventTime()));
    const int code = event.GetEventCode();
    if (auto* combo = Control<QComboBox>(kCode))
        combo->setCurrentIndex(code >= 1 && code <= combo->count() ? code - 1 : -1);
    if (auto* channel = Control<QComboBox>(kChannel))
        channel->setCurrentIndex(CTimedEventRules::ChannelPosition(event.GetEventChannel()));
    ConfigureValueControls(code);
    if (auto* list = Control<QComboBox>(kValueList))
        list->setCurrentIndex(list->findData(event.GetEventValue()));
    if (auto* edit = Control<QLineEdit>(kValueEdit))
        edit->setText(code == EC_IGNITOR_CURRENT ? Number(event.GetEventValue()) : QString());
}

int CQuillonSetEventDialog::ReadFields(CTimedEventData& event, std::string& message) const
{
    const auto number = [](QLineEdit* edit, double& value) {
        bool ok = false;
        value = edit ? edit->text().trimmed().toDouble(&ok) : 0.0;
        return ok && std::isfinite(value);
    };
    double time = 0.0;
    if (!number(Control<QLineEdit>(kTime), time)) {
        message = "Please enter a number.";
        return 0;
    }
    const int code = CurrentCode();
    double value = 0.0;
    const CTimedEventRules::CControls controls = CTimedEventRules::ControlsFor(code, m_gates);
    switch (controls.control) {
    case CTimedEventRules::ValueControl::IgnitorEdit:
        if (!number(Control<QLineEdit>(kValueEdit), value)) {
            message = "Please enter a number.";
            return 0;
        }
        break;
    case CTimedEventRules::ValueControl::NotApplicable:
        value = 0.0;
        break;
    case CTimedEventRules::ValueControl::List: {
        auto* list = Control<QComboBox>(kValueList);
        value = list && list->currentIndex() >= 0 ? list->currentData().toDouble() : 0.0;
        break;
    }
    }
    auto* channel = Control<QComboBox>(kChannel);
    event.SetEventTime(time);
    event.SetEventCode(static_cast<EventCode>(code));
    event.SetEventChannel(
        CTimedEventRules::StoredChannel(code, channel ? channel->currentIndex() : 0));
    event.SetEventValue(value);
    return 1;
}

int CQuillonSetEventDialog::ReadAndCheck(CTimedEventData& event)
{
    std::string message;
    if (!ReadFields(event, message) ||
        !CTimedEventRules::CheckValue(event.GetEventCode(), event.GetEventValue(), message)) {
        ShowMessage(message, MessageIcon::Warning);
        return 0;
    }
    return 1;
}

void CQuillonSetEventDialog::Refresh()
{
    Request(BackingOperation::ReadGates, {}, [this](const CBackingResult& result) {
        if (result.nResult)
            SetGateParameters(result.records.gates);
    });
    ConfigureValueControls(CurrentCode() == EC_INVALID ? 1 : CurrentCode());
    Request(BackingOperation::ReadTimedEvents, {}, [this](const CBackingResult& result) {
        if (result.nResult) {
            SetShowingFallback(false);
            ClearNote();
            SetEvents(result.records.events);
            return;
        }
        const CConfigFile* fallback = Options().pFallback;
        if (!fallback) {
            SetNote(Q(FailureText(BackingOperation::ReadTimedEvents, result)), NoteKind::Failure);
            return;
        }
        // The dialog edits the file's program; the applied list stays what
        // the board last held, so recording follows the board, not the file.
        SetShowingFallback(true);
        m_gates = fallback->GetGateParameters();
        m_edit = fallback->GetTimedEvent();
        FillEventList();
        SetNote(FallbackNote(BackingOperation::ReadTimedEvents, result), NoteKind::Fallback);
    });
}

void CQuillonSetEventDialog::FillEventList()
{
    auto* list = Control<QListWidget>(kEventList);
    if (!list)
        return;
    const QSignalBlocker block(list);
    list->clear();
    if (CTimedEventRules::IsListed(m_edit))
        for (int i = 0; i < m_edit.GetCount(); ++i)
            list->addItem(Q(CTimedEventRules::RowText(m_edit[i], m_gates)));
    if (list->count() > 0) {
        const int code = m_edit[m_edit.GetCount() - 1].GetEventCode();
        if (auto* combo = Control<QComboBox>(kCode))
            combo->setCurrentIndex(code >= 1 && code <= combo->count() ? code - 1 : -1);
        ConfigureValueControls(code);
    }
}

void CQuillonSetEventDialog::Add()
{
    if (!CTimedEventRules::CanAdd(m_edit))
        return;
    CTimedEventData event;
    if (!ReadAndCheck(event))
        return;
    const int position = m_edit.AddTimedEvent(event);
    FillEventList();
    SelectRow(position);
}

void CQuillonSetEventDialog::Change()
{
    const int row = GetSelectedRow();
    if (row < 0) {
        ShowMessage("Please Select a row before Change.", MessageIcon::Information);
        return;
    }
    CTimedEventData event;
    if (!ReadAndCheck(event))
        return;
    const int position = m_edit.SetTimedEvent(row, event);
    FillEventList();
    SelectRow(position);
}

void CQuillonSetEventDialog::Delete()
{
    const int row = GetSelectedRow();
    if (row < 0) {
        ShowMessage("Please Select a row before delete.", MessageIcon::Information);
        return;
    }
    m_edit.RemoveTimedEvent(row);
    FillEventList();
    if (m_edit.GetCount() > 0 && CTimedEventRules::IsListed(m_edit))
        SelectRow(row > 0 ? row - 1 : 0);
}

void CQuillonSetEventDialog::Ok()
{
    std::string message;
    if (!CTimedEventRules::CheckRecordingRules(m_edit, message)) {
        ShowMessage(message, MessageIcon::Warning);
        return;
    }
    CBackingRecords records;
    records.events = m_edit;
    Request(BackingOperation::WriteTimedEvents, records,
            [this, records](const CBackingResult& result) {
                if (!result.nResult) {
                    std::string text = FailureText(BackingOperation::WriteTimedEvents, result);
                    if (Backing() && Backing()->IsInstrument())
                        text += "\nThe board's timed events may have been cleared.";
                    SetNote(Q(text), NoteKind::Failure);
                    ShowMessage(text);
                    return;
                }
                m_applied = records.events;
                SetShowingFallback(false);
                ClearNote();
                emit eventsSent();
                accept();
            });
}

QStringList CQuillonSetEventDialog::RowTexts() const
{
    QStringList rows;
    if (auto* list = Control<QListWidget>(kEventList))
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
    return rows;
}

int CQuillonSetEventDialog::GetSelectedRow() const
{
    auto* list = Control<QListWidget>(kEventList);
    return list && list->currentItem() && list->currentItem()->isSelected() ? list->currentRow()
                                                                            : -1;
}

void CQuillonSetEventDialog::SelectRow(int row)
{
    auto* list = Control<QListWidget>(kEventList);
    if (!list || row < 0 || row >= list->count())
        return;
    list->setCurrentRow(row);
    if (const CTimedEventData* event = m_edit.GetTimedEventDataAt(row))
        LoadEvent(*event);
}
