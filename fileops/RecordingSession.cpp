#include "RecordingSession.h"

#include <deque>

int64_t CRecordingSession::GetBytesWritten() const
{
    return m_rules.IsRecording() ? m_recorder.GetBytesWritten() : m_summary.bytes;
}

void CRecordingSession::OnRunState(bool running)
{
    Carry(m_rules.OnRunState(running));
}

void CRecordingSession::OnPulse(const CPulseData& pulse, bool running, const CTimedEvent& events)
{
    // A question or message shown meanwhile may bring the next pulse in
    // before this one is done with.
    const CPulseData* outer = m_pPulse;
    m_pPulse = &pulse;
    Carry(m_rules.OnPulse(pulse.GetPulseTime(), running, events));
    m_pPulse = outer;
}

void CRecordingSession::ManualStart()
{
    Carry(m_rules.OnManualStart());
}

void CRecordingSession::ManualStop()
{
    Carry(m_rules.OnManualStop());
}

void CRecordingSession::ResetToReady()
{
    Carry(m_rules.OnResetToReady());
}

void CRecordingSession::Finish()
{
    Carry(m_rules.OnManualStop());
}

void CRecordingSession::SetNote(const std::string& note)
{
    if (note == m_strNote)
        return;
    m_strNote = note;
    m_host.OnNote(m_strNote);
}

void CRecordingSession::Carry(CRecordingActions first)
{
    // Actions in the order the rules gave them; a start's outcome brings the
    // actions that waited for it, which come next.
    std::deque<CRecordingAction> queue(first.begin(), first.end());
    while (!queue.empty()) {
        const CRecordingAction action = std::move(queue.front());
        queue.pop_front();
        CRecordingActions more;
        using Kind = CRecordingAction::Kind;
        switch (action.kind) {
        case Kind::Append:
            Append();
            if (!m_recorder.IsRecording() && m_rules.IsRecording())
                more = m_rules.OnRecordingFailed(m_summary.failure);
            break;
        case Kind::Start:
            more = m_rules.OnStartDone(Start(action.cause));
            break;
        case Kind::Stop:
            Stop();
            break;
        case Kind::ResetToReady:
            m_host.ResetToReady(action.cause);
            break;
        case Kind::RunLog:
            m_host.AddRunLogEntry(action.text);
            break;
        case Kind::Message:
            m_host.ShowMessage(action.text, MessageIcon::Error);
            break;
        case Kind::Note:
            if (action.text.empty() && !m_strPendingNote.empty()) {
                // A start that went on with a header not read from the board.
                m_host.AddRunLogEntry(m_strPendingNote);
                SetNote(m_strPendingNote);
                m_strPendingNote.clear();
            } else {
                SetNote(action.text);
            }
            break;
        }
        queue.insert(queue.begin(), more.begin(), more.end());
    }
}

CStartResult CRecordingSession::Start(RecordingCause cause)
{
    using Outcome = CStartResult::Outcome;
    m_strPendingNote.clear();
    CConfigBlockSet records;
    std::string headerNote;
    const IRecordingHost::HeaderSource source = m_host.GetHeaderRecords(cause, records, headerNote);
    if (source == IRecordingHost::HeaderSource::Unavailable)
        return {Outcome::Cancelled, headerNote};
    m_recorder.SetHeaderRecords(records.gates, records.board, records.channels, records.events);

    m_recorder.StepIndexOncePerRun();
    std::string asked;
    const bool mayStart = m_recorder.PrepareRecording(
        m_strSettingsPath, [this, &asked](const CRecordingQuestion& question) {
            asked = m_recorder.GetFullPath();
            return m_host.AskOverwrite(question);
        });
    if (!mayStart)
        return {Outcome::Refused, "the operator chose not to replace " + asked};
    std::string message;
    if (!m_recorder.Start(message))
        return {Outcome::Failed, message};

    m_strFileName = m_recorder.GetFileName();
    m_strFilePath = m_recorder.GetFullPath();
    m_summary = CRecordingSummary();
    m_summary.path = m_strFilePath;
    m_summary.fileName = m_strFileName;
    m_summary.cause = cause;
    m_host.OnRecordingStarted(m_strFilePath, cause);
    if (source == IRecordingHost::HeaderSource::NotRead) {
        // Recorded all the same: the run matters more than its header, but
        // the header must not pass for the board's. Said without a box, so
        // that an unattended start never waits on one.
        m_strPendingNote = headerNote;
    }
    return {Outcome::Started, {}};
}

void CRecordingSession::Append()
{
    if (!m_pPulse || !m_recorder.IsRecording())
        return;
    std::string message;
    bool written = false;
    if (!m_recorder.Append(*m_pPulse, message, &written)) {
        // The recorder has finished the file with every pulse before this one.
        m_summary.failure = message;
        m_summary.bytes = m_recorder.GetBytesWritten();
        m_summary.repeats = m_recorder.GetSequence().GetRepeats();
        m_summary.skipped = m_recorder.GetSequence().GetSkipped();
        m_summary.restarts = m_recorder.GetSequence().GetRestarts();
        ++m_nFinished;
        m_host.OnRecordingFinished(m_summary);
        return;
    }
    if (!written)
        return;
    ++m_nTotalWritten;
    if (m_summary.pulses++ == 0) {
        m_summary.firstIndex = m_pPulse->GetPulseIndex();
        m_summary.firstTime = m_pPulse->GetPulseTime();
    }
    m_summary.lastIndex = m_pPulse->GetPulseIndex();
    m_summary.lastTime = m_pPulse->GetPulseTime();
}

void CRecordingSession::Stop()
{
    if (!m_recorder.IsRecording())
        return;
    std::string message;
    m_summary.bytes = m_recorder.GetBytesWritten();
    m_summary.repeats = m_recorder.GetSequence().GetRepeats();
    m_summary.skipped = m_recorder.GetSequence().GetSkipped();
    m_summary.restarts = m_recorder.GetSequence().GetRestarts();
    if (!m_recorder.Stop(message)) {
        m_summary.failure = message;
        m_host.ShowMessage("The recording into " + m_summary.path +
                               " could not be finished: " + message,
                           MessageIcon::Error);
    }
    ++m_nFinished;
    m_host.OnRecordingFinished(m_summary);
}
