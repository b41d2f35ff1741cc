#pragma once
// ODVDoc: one open recording in the Analyzer. It wraps the data side
// (ODVDocData: the recording, its working configuration, the chromatogram)
// and does what needs a user: it shows the open sequence's messages, asks
// for configuration files, keeps the parameter dialogs' backing in step with
// the document's records and recalculates after an edit, and tells its views
// when the current pulse or the chromatogram changed.
//
// Failures are shown in message boxes with the exclamation icon and the
// texts the operator knows ("Problem reading document."); the technical
// reason goes to the status line (GetLastError) and the run log.

#include "DVDocData.h"
#include "DocumentBacking.h"
#include "DocPeaks.h"

#include <QObject>
#include <QString>

class ODVDoc : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Tarvolin Analyzer";
    static constexpr const char* kCfgFilter =
        "Tarvolin Analyzer (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||";
    static constexpr const char* kSaveCfgFilter =
        "Tarvolin Monitor (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||";

    // progress shows every calculation of this document (may be null).
    ODVDoc(const ODVDocData::Options& options, IProgress* progress, QObject* parent = nullptr);
    ~ODVDoc() override;

    // The open sequence: 1, or 0 after its message was shown.
    int OnOpenDocument(const QString& path);
    // Closes the recording and deletes its intermediate file.
    void OnCloseDocument();
    bool IsOpen() const { return m_data.IsOpen(); }

    // The current pulse; each returns 1 and tells the views, or 0 and nothing changes.
    int GoToPulse(int index);
    int NextPulse();
    int PreviousPulse();
    bool HasNextPulse() const { return m_data.HasNextPulse(); }
    bool HasPreviousPulse() const { return m_data.HasPreviousPulse(); }

    // Calculation and load again; a failure shows its message.
    int Recalculate();
    // The edits of the parameter dialogs (also reached through the backing).
    int ApplyGates(const CGateParameters& gates);
    int ApplyBoardAndChannels(const CBoardParameters& board, const CChannelParameters& channels);
    void ApplyTimedEvents(const CTimedEvent& events);

    // The File menu's configuration commands, with their file dialogs.
    int SaveCfgFile();
    int OpenCfgFile();

    const ODVDocData& Data() const { return m_data; }
    QString GetPathName() const { return QString::fromStdString(m_data.GetPathName()); }
    QString GetTitle() const { return QString::fromStdString(m_data.GetFileName()); }
    // The status-bar notes of the recording (salvage, rebuilt time axis), one per line.
    QString GetNotes() const;
    QString GetLastError() const { return m_strLastError; }
    // What the parameter dialogs edit.
    CDocumentBacking* Backing() const { return m_pBacking; }
    // The peak lists of the document's traces and its peak parameters.
    ODocPeaks* Peaks() const { return m_pPeaks; }

signals:
    // The current pulse is another one.
    void pulseChanged();
    // The chromatogram, the working configuration or the gate descriptors changed.
    void chromatogramChanged();
    // Something went wrong; text says why (for the status line).
    void failed(const QString& text);
    // The recording was closed: whoever shows its data lets go of it.
    void closed();

private:
    void OnRecordsChanged(BackingOperation operation);
    // Shows message (exclamation icon) and keeps the technical reason.
    void Fail(const std::string& message);
    void SyncBacking();
    // After a recalculation: 1, or 0 after its message was shown.
    int Finish(int ok, const std::string& message, const std::string& what);

    ODVDocData m_data;
    IProgress* m_pProgress;
    CDocumentBacking* m_pBacking;
    ODocPeaks* m_pPeaks;
    QString m_strLastError;
    bool m_bApplying = false;
};
