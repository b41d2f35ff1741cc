#include "ExportAIA.h"

#include "DVDoc.h"
#include "FileDialogService.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// A float as the dialog's edit controls have always shown one: six
// significant digits, no trailing zeros ("0.2", "600").
QString FloatText(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
    return QString::fromLatin1(text);
}

// The fields the user types, by control; the model's table names each one.
struct EditField {
    int id;
    const char* key;
    const char* label;
};

constexpr EditField kEditFields[] = {
    {OExportAIA::kExperimentTitle, "ExpTitle", "Experiment Title"},
    {OExportAIA::kDatasetOrigin, "DatasetOrigin", "Dataset Origin"},
    {OExportAIA::kDatasetOwner, "DatasetOwner", "Dataset Owner"},
    {OExportAIA::kOperatorName, "Operator", "Operator Name"},
    {OExportAIA::kGcMethodName, "CompMethodName", "GC Method Name"},
    {OExportAIA::kAcquisitionMethod, "CompMethodID", "Acquisition Method"},
    {OExportAIA::kSampleId, "SampleID", "Bar Code"},
    {OExportAIA::kSampleName, "SampleName", "Sample Name"},
    {OExportAIA::kInjectionVolume, "InjectionVolume", "Injection Volume"},
    {OExportAIA::kRawDataFileName, "RawDataTableName", "Raw Data Filename"},
    {OExportAIA::kComments, "SampleComment", "Comments"},
    {OExportAIA::kAmount, "Amount", "Amount"},
};

void Fill(QComboBox* combo, const std::vector<std::string>& choices)
{
    if (!combo)
        return;
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& choice : choices)
        combo->addItem(Q(choice));
}

} // namespace

OExportAIA::OExportAIA(ODVDoc* doc, const OAiaExportModel::Inputs& inputs, int gate,
                       IAiaProfile& profile, QWidget* parent)
    : CParameterDialog(kTemplateId, nullptr,
                       CDialogOptions{DialogVariant::Analyzer, ODVDoc::kCaption, nullptr}, parent),
      m_pDoc(doc), m_nGate(gate), m_profile(profile)
{
    Fill(Control<QComboBox>(kUnits), OAiaExportModel::UnitChoices());
    Fill(Control<QComboBox>(kSampleType), OAiaExportModel::SampleTypeChoices());
    Fill(Control<QComboBox>(kSamplingRate), OAiaExportModel::SamplingRateChoices());
    Fill(Control<QComboBox>(kRetentionUnit), OAiaExportModel::RetentionUnitChoices());

    std::string message;
    m_model.Init(inputs, profile, message);
    ShowFields();
    if (!m_model.GetInjectionNote().empty())
        SetNote(Q(m_model.GetInjectionNote()), NoteKind::Fallback);
    if (!message.empty())
        ShowMessage(message, MessageIcon::Error);

    if (auto* unit = Control<QComboBox>(kRetentionUnit))
        connect(unit, &QComboBox::currentIndexChanged, this, [this](int index) {
            m_model.SetRetentionUnit(index);
            ShowTimes();
        });
    if (auto* rate = Control<QComboBox>(kSamplingRate))
        connect(rate, &QComboBox::currentIndexChanged, this, [this](int index) {
            std::string why;
            if (!m_model.SetSamplingRate(index, why))
                ShowMessage(why, MessageIcon::Error);
            ShowPoints();
        });
    OnClicked(kSaveAs, [this] { SaveAs(); });
}

QString OExportAIA::GetText(int id) const
{
    if (auto* edit = Control<QLineEdit>(id))
        return edit->text();
    if (auto* combo = Control<QComboBox>(id))
        return combo->currentText();
    return QString();
}

void OExportAIA::ShowFields()
{
    const OAiaExportFields& f = m_model.Fields();
    const auto set = [this](int id, const QString& text) {
        if (auto* edit = Control<QLineEdit>(id)) {
            edit->setText(text);
            edit->setCursorPosition(0);
        }
    };
    set(kDatasetTimeStamp, Q(f.datasetTimeStamp));
    set(kInjectionTimeStamp, Q(f.injectionTimeStamp));
    set(kDetectorMode, Q(f.detectorMode));
    set(kDetectorMethod, Q(f.detectorMethod));
    set(kGateParameters, Q(f.gateParameters));
    set(kMaximumValue, QString::number(f.maximumValue));
    set(kMinimumValue, QString::number(f.minimumValue));
    for (const EditField& field : kEditFields)
        set(field.id, Q(m_model.GetField(field.key)));
    // Numbers as the user would type them, not in the profile's "%8.3f".
    set(kInjectionVolume, FloatText(f.injectionVolume));
    set(kAmount, FloatText(f.amount));

    const struct {
        int id;
        int index;
    } combos[] = {{kUnits, f.units},
                  {kSampleType, f.sampleType},
                  {kSamplingRate, f.samplingRate},
                  {kRetentionUnit, f.retentionUnit}};
    for (const auto& c : combos)
        if (auto* combo = Control<QComboBox>(c.id)) {
            const QSignalBlocker block(combo);
            combo->setCurrentIndex(c.index >= 0 && c.index < combo->count() ? c.index : -1);
        }
    ShowTimes();
    ShowPoints();
}

void OExportAIA::ShowTimes()
{
    const OAiaExportFields& f = m_model.Fields();
    if (auto* delay = Control<QLineEdit>(kDelayTime))
        delay->setText(FloatText(f.delayTime));
    if (auto* run = Control<QLineEdit>(kActualRunTime))
        run->setText(FloatText(f.actualRunTime));
}

void OExportAIA::ShowPoints()
{
    if (auto* points = Control<QLineEdit>(kNumberOfPoints))
        points->setText(QString::number(m_model.Fields().numberOfPoints));
}

int OExportAIA::TakeFields()
{
    for (const EditField& field : kEditFields) {
        auto* edit = Control<QLineEdit>(field.id);
        if (!edit)
            continue;
        std::string value = edit->text().trimmed().toStdString();
        const bool number = field.id == kInjectionVolume || field.id == kAmount;
        if (number && value.empty())
            value = "0";
        if (!number)
            value = edit->text().toStdString();
        std::string why;
        if (!m_model.SetField(field.key, value, why)) {
            ShowMessage(std::string(field.label) + ": \"" + value + "\" is not a number.",
                        MessageIcon::Warning);
            edit->setFocus();
            edit->selectAll();
            return 0;
        }
    }
    OAiaExportFields& f = m_model.Fields();
    if (auto* units = Control<QComboBox>(kUnits); units && units->currentIndex() >= 0)
        f.units = units->currentIndex();
    if (auto* type = Control<QComboBox>(kSampleType); type && type->currentIndex() >= 0)
        f.sampleType = type->currentIndex();
    return 1;
}

int OExportAIA::SaveAs()
{
    if (!TakeFields())
        return 0;
    CFileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Save As";
    request.filter = kFilter;
    request.defaultExtension = "cdf";
    // The name starts with the folder of the last export; the desktop dialog
    // is told the folder as well, as it only lists what a pattern names.
    const std::string folder = m_profile.Get(OAiaExportModel::kFileDirKey).value_or("");
    request.initialName = folder + "*.cdf";
    request.initialFolder = folder;
    request.flags = OFN_READONLY_HIDDEN | OFN_PROMPT_OVERWRITE;
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return 0;
    std::string message;
    // The peaks as the user sees them in the table, hand edits included.
    const ODVDocData& data = m_pDoc->Data();
    if (data.HasPeakList(m_nGate) && !data.GetPeaks(m_nGate).empty()) {
        const std::vector<OPeak>& peaks = data.GetPeaks(m_nGate);
        const bool edited =
            std::any_of(peaks.begin(), peaks.end(), [](const OPeak& p) { return p.manual; });
        m_model.SetPeaks(peaks, "Peaks found with " + data.GetPeakParameters().Summary() +
                                    (edited ? "; integrated in part by hand" : ""));
    } else {
        m_model.SetPeaks({});
    }
    if (!m_model.Export(path, data.GetChromatogram(), m_nGate, &m_profile, message)) {
        ShowMessage(message.empty() ? "The AIA file could not be written." : message,
                    MessageIcon::Error);
        return 0;
    }
    done(kSaveAs);
    return 1;
}
