#pragma once
// The timed-events dialog (form 160 "Timed Events"): the run's event program
// as a list, the fields of one event, Add, Change and Delete on the dialog's
// own copy, and OK to check the recording rules and send the program.
//
//   1023 event list   1024 start time (min)   1028 event code   1027 channel
//   1071 value list   1072 value field with its unit 1073   1005 "n/a"
//   4 Add   5 Change   6 Delete   1 OK   2 Cancel
//
// Two lists: the applied one (the program as last read from or sent to the
// board; the recorder follows it) and the edit one (what the dialog shows).

#include "GateParameters.h"
#include "ParameterDialog.h"
#include "TimedEvent.h"

#include <QStringList>

class CQuillonSetEventDialog : public CParameterDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 160;

    CQuillonSetEventDialog(CParameterBacking* backing, const CDialogOptions& options,
                           QWidget* parent = nullptr);

    const CTimedEvent& GetAppliedEvents() const { return m_applied; }
    const CTimedEvent& GetEditEvents() const { return m_edit; }
    // Both lists become events.
    void SetEvents(const CTimedEvent& events);
    // The gates only name the Gate Selection values.
    void SetGateParameters(const CGateParameters& gates);
    const CGateParameters& GetGateParameters() const { return m_gates; }

    // What showing the dialog does: read the gates and the program.
    void Refresh();
    void Add();
    void Change();
    void Delete();
    void Ok();

    QStringList RowTexts() const;
    int GetSelectedRow() const;
    void SelectRow(int row);

signals:
    // OK sent the program.
    void eventsSent();

protected:
    void UpdateControls() override;

private:
    void FillEventList();
    void ConfigureValueControls(int code);
    void LoadEvent(const CTimedEventData& event);
    void OnCodeChanged(int position);
    // The fields as an event: 1, or 0 with the message of a field that is not a number.
    int ReadFields(CTimedEventData& event, std::string& message) const;
    // Read and check before Add and Change; shows the message of a failure.
    int ReadAndCheck(CTimedEventData& event);
    int CurrentCode() const;

    CTimedEvent m_applied;
    CTimedEvent m_edit;
    CGateParameters m_gates;
    int m_nCode = 1; // the code the value controls are set up for
};
