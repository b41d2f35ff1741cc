#include "PeakParametersDialog.h"

#include "DocPeaks.h"
#include "MessageService.h"
#include "PeakParameters.h"
#include "PeakTableCsv.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

std::string Range(const OPeakParameters::Entry& entry)
{
    const std::string unit = *entry.unit ? std::string(" ") + entry.unit : std::string();
    return OPeakTableCsv::Number(entry.minimum, -1) + " to " +
           OPeakTableCsv::Number(entry.maximum, -1) + unit + (entry.odd ? ", odd" : "") +
           ", default " + OPeakTableCsv::Number(entry.defaultValue, -1);
}

} // namespace

OPeakParametersDialog::OPeakParametersDialog(ODocPeaks* peaks, QWidget* parent)
    : QDialog(parent), m_pPeaks(peaks)
{
    setWindowTitle(QString::fromLatin1(kTitle));
    setObjectName(QStringLiteral("OPeakParametersDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (const OPeakParameters::Entry& entry : OPeakParameters::Table()) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(entry.name));
        field->setToolTip(QString::fromStdString(std::string(entry.help) + " (" + Range(entry) + ")"));
        const QString unit = *entry.unit ? QStringLiteral(" (%1)").arg(QString::fromLatin1(entry.unit))
                                         : QString();
        form->addRow(QString::fromLatin1(entry.label) + unit + QLatin1Char(':'), field);
        m_fields[entry.name] = field;
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                             QDialogButtonBox::Apply |
                                             QDialogButtonBox::RestoreDefaults,
                                         this);
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText(QStringLiteral("Defaults"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &OPeakParametersDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &OPeakParametersDialog::Apply);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &OPeakParametersDialog::ShowDefaults);
    ShowValues();
}

QLineEdit* OPeakParametersDialog::Field(const std::string& name) const
{
    const OPeakParameters::Entry* entry = OPeakParameters::Find(name);
    if (!entry)
        return nullptr;
    const auto it = m_fields.find(entry->name);
    return it == m_fields.end() ? nullptr : it->second;
}

void OPeakParametersDialog::ShowValues()
{
    const OPeakParameters parameters = m_pPeaks ? m_pPeaks->GetParameters() : OPeakParameters();
    for (const auto& [name, field] : m_fields)
        field->setText(QString::fromStdString(parameters.Get(name)));
}

void OPeakParametersDialog::ShowDefaults()
{
    const OPeakParameters defaults;
    for (const auto& [name, field] : m_fields)
        field->setText(QString::fromStdString(defaults.Get(name)));
}

int OPeakParametersDialog::Apply()
{
    if (!m_pPeaks)
        return 0;
    OPeakParameters parameters = m_pPeaks->GetParameters();
    std::string message;
    // In the table's order, so the first faulty field is the one shown.
    for (const OPeakParameters::Entry& entry : OPeakParameters::Table()) {
        QLineEdit* field = m_fields[entry.name];
        if (!parameters.Set(entry.name, field->text().trimmed().toStdString(), message)) {
            CMessageService::Show(message, kTitle, MessageIcon::Warning);
            field->setFocus();
            field->selectAll();
            return 0;
        }
    }
    if (!m_pPeaks->SetParameters(parameters, message)) {
        CMessageService::Show(message, kTitle, MessageIcon::Warning);
        return 0;
    }
    return 1;
}

void OPeakParametersDialog::accept()
{
    if (Apply())
        QDialog::accept();
}
