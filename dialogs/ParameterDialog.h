#pragma once
// What the parameter dialogs share: the form from the resource library, the
// backing they read and write through, and a note line under the form that
// says what the dialog is doing ("Reading the gates from the board..."),
// that the values shown are not the board's, or what went wrong.
//
// While a request runs the dialog stays responsive: its fields and buttons
// are disabled except Cancel, which stops waiting and hides the dialog.
// Failures are reported in a message box and the dialog stays open with the
// values the operator edited.

#include "ParameterBacking.h"

#include "MessageService.h"
#include "ResourceLibrary.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

class CConfigFile;
class QLabel;

// The Monitor's dialogs talk to the board; the Analyzer's copies of them
// edit an open data file and differ in a few buttons.
enum class DialogVariant { Monitor, Analyzer };

struct CDialogOptions {
    DialogVariant variant = DialogVariant::Monitor;
    // The caption of the dialog's message boxes.
    std::string caption = "Tarvolin Monitor";
    // Where the dialogs take their records from when the backing cannot be
    // read (the Monitor's configuration file object); may be null.
    const CConfigFile* pFallback = nullptr;
};

class CParameterDialog : public QDialog {
    Q_OBJECT
public:
    enum class NoteKind { None, Busy, Fallback, Failure };

    CParameterDialog(int templateId, CParameterBacking* backing, const CDialogOptions& options,
                     QWidget* parent);
    ~CParameterDialog() override;

    bool IsBusy() const { return !m_requests.empty(); }
    QString GetNote() const;
    NoteKind GetNoteKind() const { return m_eNoteKind; }
    // True while the fields show the fallback's values rather than the backing's.
    bool IsShowingFallback() const { return m_bShowingFallback; }
    const CDialogOptions& Options() const { return m_options; }
    CParameterBacking* Backing() const { return m_pBacking; }
    QWidget* Form() const { return m_pForm; }

    // Control `id` of the form ("ctl<id>"), null when absent or of another type.
    template <class T> T* Control(int id) const
    {
        return CResourceLibrary::Control<T>(m_pForm, id);
    }

    // Cancels whatever the dialog waits for and hides it.
    void reject() override;

signals:
    // The last of the dialog's requests has completed (or was cancelled).
    void idle();

protected:
    // Starts a request; done runs on completion unless the dialog cancels it.
    int Request(BackingOperation operation, const CBackingRecords& records,
                std::function<void(const CBackingResult&)> done);
    void CancelRequests();

    void SetNote(const QString& text, NoteKind kind);
    void ClearNote() { SetNote(QString(), NoteKind::None); }
    void SetShowingFallback(bool bFallback) { m_bShowingFallback = bFallback; }
    int ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::Error);
    // The message for a failed request: what could not be done, and why.
    std::string FailureText(BackingOperation operation, const CBackingResult& result,
                            int nChannel = 1) const;
    // A failed read with a fallback at hand: the note that the values shown are the fallback's.
    QString FallbackNote(BackingOperation operation, const CBackingResult& result) const;

    // Derived dialogs set their controls' enabling here; the base then
    // disables everything but Cancel while a request runs.
    virtual void UpdateControls() {}
    void RefreshEnabling();
    // Connects a push button of the form to a member.
    void OnClicked(int id, std::function<void()> action);

private:
    // A backing that goes first leaves the dialog with nothing to cancel.
    QPointer<CParameterBacking> m_pBacking;
    CDialogOptions m_options;
    QWidget* m_pForm = nullptr;
    QLabel* m_pNote = nullptr;
    NoteKind m_eNoteKind = NoteKind::None;
    QString m_strLastNote;
    NoteKind m_eLastNoteKind = NoteKind::None;
    bool m_bShowingFallback = false;
    std::vector<std::pair<int, BackingOperation>> m_requests;
};
