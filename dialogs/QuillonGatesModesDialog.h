#pragma once
// The gate dialog (form 157 "Gate Parameters"): the five gates as a list,
// the fields of the selected gate, Change to store the fields into it and OK
// to send all five. The Analyzer's copy adds an "Export AIA..." button.
//
//   1085 gate list      1029 mode        1032 / 1025 window A start / stop
//   1030 operator       1031 alpha       1026 / 1027 window B start / stop
//   1028 square root    1033 formula     1087 Change   1 OK   2 Cancel
//   1088 Export AIA... (Analyzer only)

#include "GateParameters.h"
#include "ParameterDialog.h"

#include <QStringList>

#include <string>
#include <vector>

class CQuillonGatesModesDialog : public CParameterDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 157;

    CQuillonGatesModesDialog(CParameterBacking* backing, const CDialogOptions& options,
                             QWidget* parent = nullptr);

    // The working copy: the gates as last read, applied or changed.
    const CGateParameters& GetGateParameters() const { return m_gates; }
    void SetGateParameters(const CGateParameters& gates);

    // What showing the dialog does: refill the mode and operator lists and
    // read the gates (the fallback's when they cannot be read).
    void Refresh();
    // The buttons.
    void Change();
    void Ok();

    QStringList RowTexts() const;
    int GetSelectedRow() const;
    // The gate of the selected row, -1 when no row is selected.
    int GetSelectedGate() const;

    // What "Export AIA..." takes from the dialog: the selected gate and the
    // texts its controls show (mode, windows, operator, alpha, square root).
    struct CExportTexts {
        int gate = -1;
        std::string mode, startA, stopA, op, alpha, startB, stopB;
        bool squareRoot = false;
    };
    CExportTexts GetExportTexts() const;
    void SelectRow(int row);
    QString GetFormulaText() const;

signals:
    // OK sent the gates.
    void gatesSent();
    void exportAiaRequested();

protected:
    void UpdateControls() override;

private:
    void FillLists();
    void FillGateList();
    void ShowGate(int gate);
    void UpdateFormula();

    CGateParameters m_gates;
    std::vector<int> m_listedGates; // gate index of each row
    bool m_bFirstFill = true;
};
