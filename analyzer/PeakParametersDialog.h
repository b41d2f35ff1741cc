#pragma once
// OPeakParametersDialog: "Peak Parameters" - one field per entry of
// OPeakParameters::Table(), labelled with its unit, its range and help as
// the field's tip. OK and Apply check every field against its range (the
// table's own message, the field keeps the focus) and give the document the
// new parameters, which finds every peak list again at once; "Defaults"
// fills in the table's defaults.

#include <QDialog>
#include <QPointer>

#include <map>
#include <string>

class ODocPeaks;
class QLineEdit;

class OPeakParametersDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Peak Parameters";

    explicit OPeakParametersDialog(ODocPeaks* peaks, QWidget* parent = nullptr);

    // The field of the entry called name; null when there is none.
    QLineEdit* Field(const std::string& name) const;
    // Every field into the document. 1, or 0 after the refusal's message.
    int Apply();
    void ShowDefaults();
    void accept() override;

private:
    void ShowValues();

    QPointer<ODocPeaks> m_pPeaks;
    std::map<std::string, QLineEdit*> m_fields;
};
