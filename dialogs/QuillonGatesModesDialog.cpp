#include "QuillonGatesModesDialog.h"

#include "ConfigFile.h"
#include "GateRules.h"
#include "TabStopDelegate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

enum : int {
    kGateList = 1085,
    kMode = 1029,
    kStartA = 1032,
    kStopA = 1025,
    kOperator = 1030,
    kAlpha = 1031,
    kStartB = 1026,
    kStopB = 1027,
    kSqrt = 1028,
    kFormula = 1033,
    kChange = 1087,
    kOk = 1,
    kExportAia = 1088,
};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

CQuillonGatesModesDialog::CQuillonGatesModesDialog(CParameterBacking* backing,
                                                   const CDialogOptions& options, QWidget* parent)
    : CParameterDialog(kTemplateId, backing, options, parent)
{
    if (auto* list = Control<QListWidget>(kGateList)) {
        list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        CTabStopDelegate::Install(list, {6, 14, 22, 27, 35, 42, 48});
        // Selection, not the current row: focus alone moves the current row.
        connect(list, &QListWidget::itemSelectionChanged, this, [this] {
            const int row = GetSelectedRow();
            if (row >= 0 && row < static_cast<int>(m_listedGates.size()))
                ShowGate(m_listedGates[static_cast<size_t>(row)]);
        });
    }
    if (auto* label = Control<QLabel>(kFormula))
        label->setText(QStringLiteral("A - 0.000B"));
    if (auto* alpha = Control<QLineEdit>(kAlpha))
        connect(alpha, &QLineEdit::textChanged, this, &CQuillonGatesModesDialog::UpdateFormula);
    if (auto* op = Control<QComboBox>(kOperator))
        connect(op, &QComboBox::currentIndexChanged, this,
                &CQuillonGatesModesDialog::UpdateFormula);
    if (auto* exportAia = Control<QPushButton>(kExportAia)) {
        exportAia->setVisible(options.variant == DialogVariant::Analyzer);
        connect(exportAia, &QPushButton::clicked, this,
                &CQuillonGatesModesDialog::exportAiaRequested);
    }
    OnClicked(kChange, [this] { Change(); });
    OnClicked(kOk, [this] { Ok(); });
    FillLists();
    RefreshEnabling();
}

void CQuillonGatesModesDialog::UpdateControls()
{
    // The export reads what the dialog shows, whatever row is selected; with
    // none it says so.
    if (auto* exportAia = Control<QPushButton>(kExportAia))
        exportAia->setEnabled(Options().variant == DialogVariant::Analyzer);
}

void CQuillonGatesModesDialog::FillLists()
{
    if (auto* mode = Control<QComboBox>(kMode)) {
        const QSignalBlocker block(mode);
        mode->clear();
        for (const auto& option : CGateParameter::modeOptions)
            mode->addItem(Q(option.text), static_cast<int>(option.value));
    }
    if (auto* op = Control<QComboBox>(kOperator)) {
        const QSignalBlocker block(op);
        op->clear();
        for (const auto& option : CGateParameter::gateOperatorOptions)
            op->addItem(Q(option.text), static_cast<int>(option.value));
    }
}

void CQuillonGatesModesDialog::SetGateParameters(const CGateParameters& gates)
{
    m_gates = gates;
    FillGateList();
}

void CQuillonGatesModesDialog::Refresh()
{
    FillLists();
    Request(BackingOperation::ReadGates, {}, [this](const CBackingResult& result) {
        if (result.nResult) {
            SetShowingFallback(false);
            ClearNote();
            SetGateParameters(result.records.gates);
        } else if (Options().pFallback) {
            SetShowingFallback(true);
            SetGateParameters(Options().pFallback->GetGateParameters());
            SetNote(FallbackNote(BackingOperation::ReadGates, result), NoteKind::Fallback);
        } else {
            SetNote(Q(FailureText(BackingOperation::ReadGates, result)), NoteKind::Failure);
            FillGateList();
        }
    });
}

void CQuillonGatesModesDialog::FillGateList()
{
    auto* list = Control<QListWidget>(kGateList);
    if (!list)
        return;
    const QSignalBlocker block(list);
    list->clear();
    m_listedGates = CGateRules::ListedGates(m_gates);
    for (int gate : m_listedGates)
        list->addItem(Q(CGateRules::RowText(m_gates[gate])));
    if (m_listedGates.empty())
        return;
    const int row = m_bFirstFill ? 0 : list->count() - 1;
    // The first fill the operator sees; fills while hidden do not count.
    if (isVisible())
        m_bFirstFill = false;
    list->setCurrentRow(row);
    ShowGate(m_listedGates[static_cast<size_t>(row)]);
}

void CQuillonGatesModesDialog::ShowGate(int gate)
{
    const CGateParameter& g = m_gates[gate];
    if (auto* mode = Control<QComboBox>(kMode))
        mode->setCurrentIndex(g.GetType() < mode->count() ? g.GetType() : -1);
    const struct {
        int id;
        double value;
    } times[] = {{kStartA, g.GetStartA()},
                 {kStopA, g.GetStopA()},
                 {kStartB, g.GetStartB()},
                 {kStopB, g.GetStopB()}};
    for (const auto& t : times)
        if (auto* edit = Control<QLineEdit>(t.id))
            edit->setText(Q(CGateRules::TimeText(t.value)));
    if (auto* op = Control<QComboBox>(kOperator))
        op->setCurrentIndex(g.GetOperator() < op->count() ? g.GetOperator() : -1);
    if (auto* alpha = Control<QLineEdit>(kAlpha))
        alpha->setText(Q(CGateRules::AlphaText(g.GetAlpha())));
    if (auto* sqrt = Control<QCheckBox>(kSqrt))
        sqrt->setChecked(g.GetSqroot() != 0);
    UpdateFormula();
}

void CQuillonGatesModesDialog::UpdateFormula()
{
    auto* op = Control<QComboBox>(kOperator);
    auto* alpha = Control<QLineEdit>(kAlpha);
    auto* label = Control<QLabel>(kFormula);
    if (!op || !alpha || !label || op->currentIndex() < 0)
        return;
    label->setText(
        Q(CGateRules::FormulaLabel(op->currentText().toStdString(), alpha->text().toStdString())));
}

void CQuillonGatesModesDialog::Change()
{
    const int row = GetSelectedRow();
    if (row < 0 || row >= static_cast<int>(m_listedGates.size())) {
        ShowMessage("Please Select any row before Change.", MessageIcon::Information);
        return;
    }
    const int gate = m_listedGates[static_cast<size_t>(row)];
    const auto number = [this](int id) {
        auto* edit = Control<QLineEdit>(id);
        return edit ? CGateRules::ParseNumber(edit->text().toStdString()) : 0.0;
    };
    const double startA = number(kStartA), stopA = number(kStopA);
    const double startB = number(kStartB), stopB = number(kStopB);
    std::string message;
    if (!CGateRules::CheckWindows(startA, stopA, startB, stopB, message)) {
        ShowMessage(message, MessageIcon::Warning);
        return;
    }
    auto* mode = Control<QComboBox>(kMode);
    if (mode && mode->currentIndex() >= 0)
        m_gates.SetType(gate, static_cast<unsigned short>(mode->currentIndex()));
    CGateParameter& g = m_gates[gate];
    g.SetStartA(startA);
    g.SetStartB(startB);
    g.SetStopA(stopA);
    g.SetStopB(stopB);
    g.SetAlpha(number(kAlpha));
    if (auto* op = Control<QComboBox>(kOperator); op && op->currentIndex() >= 0)
        g.SetOperator(static_cast<unsigned short>(op->currentIndex()));
    if (auto* sqrt = Control<QCheckBox>(kSqrt))
        g.SetSqroot(sqrt->isChecked() ? 1 : 0);
    FillGateList();
    // The changed gate keeps its row: every gate with a mode of the list is listed.
    for (size_t r = 0; r < m_listedGates.size(); ++r)
        if (m_listedGates[r] == gate)
            SelectRow(static_cast<int>(r));
    ShowGate(gate);
}

void CQuillonGatesModesDialog::Ok()
{
    CBackingRecords records;
    records.gates = m_gates;
    Request(BackingOperation::WriteGates, records, [this](const CBackingResult& result) {
        if (!result.nResult) {
            const std::string text = FailureText(BackingOperation::WriteGates, result);
            SetNote(Q(text), NoteKind::Failure);
            ShowMessage(text);
            return;
        }
        SetShowingFallback(false);
        ClearNote();
        emit gatesSent();
        accept();
    });
}

QStringList CQuillonGatesModesDialog::RowTexts() const
{
    QStringList rows;
    if (auto* list = Control<QListWidget>(kGateList))
        for (int i = 0; i < list->count(); ++i)
            rows << list->item(i)->text();
    return rows;
}

int CQuillonGatesModesDialog::GetSelectedRow() const
{
    auto* list = Control<QListWidget>(kGateList);
    return list && list->currentItem() && list->currentItem()->isSelected() ? list->currentRow()
                                                                            : -1;
}

void CQuillonGatesModesDialog::SelectRow(int row)
{
    if (auto* list = Control<QListWidget>(kGateList)) {
        list->setCurrentRow(row);
        if (row >= 0 && row < static_cast<int>(m_listedGates.size()))
            ShowGate(m_listedGates[static_cast<size_t>(row)]);
    }
}

QString CQuillonGatesModesDialog::GetFormulaText() const
{
    auto* label = Control<QLabel>(kFormula);
    return label ? label->text() : QString();
}

int CQuillonGatesModesDialog::GetSelectedGate() const
{
    const int row = GetSelectedRow();
    return row >= 0 && row < static_cast<int>(m_listedGates.size())
               ? m_listedGates[static_cast<size_t>(row)]
               : -1;
}

CQuillonGatesModesDialog::CExportTexts CQuillonGatesModesDialog::GetExportTexts() const
{
    CExportTexts texts;
    texts.gate = GetSelectedGate();
    const auto edit = [this](int id) {
        auto* control = Control<QLineEdit>(id);
        return control ? control->text().toStdString() : std::string();
    };
    const auto combo = [this](int id) {
        auto* control = Control<QComboBox>(id);
        return control ? control->currentText().toStdString() : std::string();
    };
    texts.mode = combo(kMode);
    texts.startA = edit(kStartA);
    texts.stopA = edit(kStopA);
    texts.op = combo(kOperator);
    texts.alpha = edit(kAlpha);
    texts.startB = edit(kStartB);
    texts.stopB = edit(kStopB);
    auto* sqrt = Control<QCheckBox>(kSqrt);
    texts.squareRoot = sqrt && sqrt->isChecked();
    return texts;
}
