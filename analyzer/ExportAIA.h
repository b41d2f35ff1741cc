#pragma once
// OExportAIA: the dialog "Export AIA Data" (the Analyzer's form 2000) on the
// fields of an OAiaExportModel. It opens from the gate dialog's
// "Export AIA..." with the gate of the selected row and that dialog's
// control texts, shows every field, recomputes the times and the number of
// points when the retention unit or the sampling rate changes, and on
// Save As... asks for the file (starting in the profile's "FileDir"),
// exports and writes the fields back to the profile. It closes with the
// Save As control's identifier as its result; a refusal is shown in a
// message box and the dialog stays open.
//
// A recording whose start could not be read opens all the same: the
// injection time stamp stays empty and the note under the form says so.
//
//   1101 number of points   1102 delay time       1103 actual run time
//   1104 dataset time stamp 1105 injection stamp  1106 KLYN mode
//   1107 KLYN method        1108 gate parameters  1121 / 1122 maximum / minimum
//   1112 dataset origin     1113 dataset owner    1114 experiment title
//   1116 operator name      1111 GC method name   1110 acquisition method
//   1120 sample name        1119 bar code         1124 type
//   1118 comments           1115 injection volume 1109 amount
//   1117 raw data filename  1123 units            1125 sampling rate
//   1126 retention unit     1130 Save As...       2 Cancel

#include "AiaExportModel.h"
#include "ParameterDialog.h"

class ODVDoc;

class OExportAIA : public CParameterDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 2000;
    static constexpr int kSaveAs = 1130;
    static constexpr const char* kFilter = "AIA Files (*.cdf)|*.cdf|All Files (*.*)|*.*||";

    // The controls by what they show.
    enum : int {
        kNumberOfPoints = 1101,
        kDelayTime = 1102,
        kActualRunTime = 1103,
        kDatasetTimeStamp = 1104,
        kInjectionTimeStamp = 1105,
        kDetectorMode = 1106,
        kDetectorMethod = 1107,
        kGateParameters = 1108,
        kAmount = 1109,
        kAcquisitionMethod = 1110,
        kGcMethodName = 1111,
        kDatasetOrigin = 1112,
        kDatasetOwner = 1113,
        kExperimentTitle = 1114,
        kInjectionVolume = 1115,
        kOperatorName = 1116,
        kRawDataFileName = 1117,
        kComments = 1118,
        kSampleId = 1119,
        kSampleName = 1120,
        kMaximumValue = 1121,
        kMinimumValue = 1122,
        kUnits = 1123,
        kSampleType = 1124,
        kSamplingRate = 1125,
        kRetentionUnit = 1126,
    };

    // gate: the trace to export (0..4). profile outlives the dialog.
    OExportAIA(ODVDoc* doc, const OAiaExportModel::Inputs& inputs, int gate, IAiaProfile& profile,
               QWidget* parent = nullptr);

    // Save As...: 1 when the file was written (and the dialog closed).
    int SaveAs();

    const OAiaExportModel& Model() const { return m_model; }
    // The text a control shows (a line's or a list's).
    QString GetText(int id) const;
    int GetGate() const { return m_nGate; }

private:
    void ShowFields();
    void ShowTimes();
    void ShowPoints();
    // The fields the user may edit, into the model. 1, or 0 after a message.
    int TakeFields();

    ODVDoc* m_pDoc;
    int m_nGate;
    IAiaProfile& m_profile;
    OAiaExportModel m_model;
};
