#include "DVDoc.h"

#include "FileDialogService.h"
#include "MessageService.h"
#include "RunLog.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

// The wait cursor for as long as one operation runs.
class CWaitCursor {
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// "hide read-only, file must exist", as the configuration dialogs always had.
constexpr unsigned kCfgDialogFlags = OFN_READONLY_HIDDEN | OFN_FILE_MUST_EXIST;

} // namespace

ODVDoc::ODVDoc(const ODVDocData::Options& options, IProgress* progress, QObject* parent)
    : QObject(parent), m_data(options), m_pProgress(progress),
      m_pBacking(new CDocumentBacking(this)), m_pPeaks(new ODocPeaks(m_data, this))
{
    connect(this, &ODVDoc::chromatogramChanged, m_pPeaks, &ODocPeaks::OnChromatogramChanged);
    connect(m_pBacking, &CDocumentBacking::recordsChanged, this, &ODVDoc::OnRecordsChanged);
}

ODVDoc::~ODVDoc()
{
    OnCloseDocument();
}

void ODVDoc::Fail(const std::string& message)
{
    m_strLastError = QString::fromStdString(m_data.GetLastError());
    if (!m_data.GetLastError().empty())
        emit failed(m_strLastError);
    CMessageService::Show(message, kCaption, MessageIcon::Warning);
}

void ODVDoc::SyncBacking()
{
    const CConfigBlockSet& records = m_data.GetRecords();
    CBackingRecords backing;
    backing.gates = records.gates;
    backing.board = records.board;
    backing.channels = records.channels;
    backing.events = records.events;
    m_pBacking->SetRecords(backing);
}

int ODVDoc::OnOpenDocument(const QString& path)
{
    std::string message;
    int ok = 0;
    {
        CWaitCursor wait;
        ok = m_data.Open(path.toStdString(), message, m_pProgress);
    }
    if (!ok) {
        ORunLog::AddEntry("Could not open " + path.toStdString() + ": " +
                          (m_data.GetLastError().empty() ? message : m_data.GetLastError()));
        Fail(message);
        return 0;
    }
    SyncBacking();
    std::string entry = "Opened " + m_data.GetPathName() + " (" +
                        std::to_string(m_data.GetPulseCount()) + " pulses)";
    if (!m_data.GetSalvageNote().empty())
        entry += ": " + m_data.GetSalvageNote();
    ORunLog::AddEntry(entry);
    return 1;
}

void ODVDoc::OnCloseDocument()
{
    if (!m_data.IsOpen())
        return;
    const std::string path = m_data.GetPathName();
    m_pBacking->CancelAll();
    m_data.Close();
    ORunLog::AddEntry("Closed " + path);
    emit closed();
}

int ODVDoc::GoToPulse(int index)
{
    if (!m_data.GoToPulse(index)) {
        m_strLastError = QString::fromStdString(m_data.GetLastError());
        if (!m_strLastError.isEmpty())
            emit failed(m_strLastError);
        return 0;
    }
    emit pulseChanged();
    return 1;
}

int ODVDoc::NextPulse()
{
    return m_data.HasNextPulse() ? GoToPulse(m_data.GetCurrentIndex() + 1) : 0;
}

int ODVDoc::PreviousPulse()
{
    return m_data.HasPreviousPulse() ? GoToPulse(m_data.GetCurrentIndex() - 1) : 0;
}

int ODVDoc::Finish(int ok, const std::string& message, const std::string& what)
{
    SyncBacking();
    if (!ok) {
        ORunLog::AddEntry(what + " of " + m_data.GetPathName() + " failed: " +
                          (m_data.GetLastError().empty() ? message : m_data.GetLastError()));
        Fail(message);
        return 0;
    }
    ORunLog::AddEntry(what + " of " + m_data.GetPathName());
    emit chromatogramChanged();
    emit pulseChanged();
    return 1;
}

int ODVDoc::Recalculate()
{
    if (!m_data.IsOpen())
        return 0;
    std::string message;
    int ok = 0;
    {
        CWaitCursor wait;
        ok = m_data.Recalculate(message, m_pProgress);
    }
    return Finish(ok, message, "Recalculation");
}

int ODVDoc::ApplyGates(const CGateParameters& gates)
{
    if (!m_data.IsOpen())
        return 0;
    std::string message;
    int ok = 0;
    {
        CWaitCursor wait;
        ok = m_data.SetGateParameters(gates, message, m_pProgress);
    }
    return Finish(ok, message, "Gate edit");
}

int ODVDoc::ApplyBoardAndChannels(const CBoardParameters& board, const CChannelParameters& channels)
{
    if (!m_data.IsOpen())
        return 0;
    std::string message;
    int ok = 0;
    {
        CWaitCursor wait;
        ok = m_data.SetBoardAndChannelParameters(board, channels, message, m_pProgress);
    }
    return Finish(ok, message, "Board/channel edit");
}

void ODVDoc::ApplyTimedEvents(const CTimedEvent& events)
{
    if (!m_data.IsOpen())
        return;
    m_data.SetTimedEvents(events);
    SyncBacking();
    ORunLog::AddEntry("Timed events edited in " + m_data.GetPathName());
    emit chromatogramChanged();
}

void ODVDoc::OnRecordsChanged(BackingOperation operation)
{
    // The backing holds the dialog's records now; the document takes them.
    if (m_bApplying)
        return;
    m_bApplying = true;
    const CBackingRecords& records = m_pBacking->GetRecords();
    switch (operation) {
    case BackingOperation::WriteGates:
        ApplyGates(records.gates);
        break;
    case BackingOperation::WriteBoardAndChannels:
    case BackingOperation::WriteChannelZero:
        ApplyBoardAndChannels(records.board, records.channels);
        break;
    case BackingOperation::WriteTimedEvents:
        ApplyTimedEvents(records.events);
        break;
    case BackingOperation::ApplySetUp: {
        // Each step re-reads the document's records into the backing.
        const CBackingRecords copy = records;
        m_data.SetTimedEvents(copy.events);
        if (ApplyBoardAndChannels(copy.board, copy.channels))
            ApplyGates(copy.gates);
        break;
    }
    default:
        break;
    }
    m_bApplying = false;
}

int ODVDoc::SaveCfgFile()
{
    CFileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.title = "Save cfg File";
    request.filter = kSaveCfgFilter;
    request.defaultExtension = "cnfg";
    request.initialName = "*.cnfg";
    request.flags = kCfgDialogFlags;
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return 0;
    std::string message;
    if (!m_data.SaveCfgFile(path, message)) {
        Fail(message);
        return 0;
    }
    ORunLog::AddEntry("Configuration of " + m_data.GetPathName() + " saved as " + path);
    return 1;
}

int ODVDoc::OpenCfgFile()
{
    CFileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = "Open cfg File";
    request.filter = kCfgFilter;
    request.defaultExtension = ".cnfg";
    request.initialName = "*.cnfg";
    request.flags = kCfgDialogFlags;
    std::string path;
    if (!CFileDialogService::Ask(request, path))
        return 0;
    std::string message;
    int ok = 0;
    {
        CWaitCursor wait;
        ok = m_data.OpenCfgFile(path, message, m_pProgress);
    }
    return Finish(ok, message, "Configuration " + path + " applied to the analysis");
}

QString ODVDoc::GetNotes() const
{
    QStringList notes;
    if (!m_data.GetSalvageNote().empty())
        notes << QString::fromStdString(m_data.GetSalvageNote());
    if (!m_data.GetTimeAxisNote().empty())
        notes << QString::fromStdString(m_data.GetTimeAxisNote());
    if (m_data.IsIntermediateInCache())
        notes << QStringLiteral("The recording's folder cannot be written; its intermediate file "
                                "is kept in %1.")
                     .arg(QString::fromStdString(m_data.GetIntermediatePath()));
    return notes.join(QLatin1Char('\n'));
}
