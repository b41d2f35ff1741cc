#pragma once
// One instrument's recording: the rules (CRecordingRules) and the recorder
// (CDataRecorder) joined, with the program around them behind a small host
// interface. The Monitor's window and `tarvolin record` each implement the
// host and hand the session their poller's news; the session runs the
// rules and carries out their actions in order: the recorder's work itself,
// the rest (run log, messages, questions, the board's Reset to Ready)
// through the host.
//
// A start, manual or timed: the host gives the header records; the index
// steps past an earlier program run's files (once per program run); the
// name is prepared (default folder, the overwrite question through the
// host); the file is opened; the rules hear how it came out.
//
// Not thread-safe: a program calls it from one thread at a time (the
// Monitor's GUI thread; the command line's poller thread under its lock).

#include "DataRecorder.h"
#include "MessageService.h"
#include "RecordingRules.h"

#include <string>

// What a finished recording holds, for the program to report.
struct CRecordingSummary {
    std::string path;
    std::string fileName;
    RecordingCause cause = RecordingCause::Manual;
    int32_t pulses = 0;
    long firstIndex = 0, lastIndex = 0;
    long firstTime = 0, lastTime = 0; // hundredths of a second
    int64_t bytes = 0;
    int64_t repeats = 0, skipped = 0, restarts = 0;
    // Empty when the file was finished cleanly; else why not.
    std::string failure;
};

class IRecordingHost {
public:
    enum class HeaderSource {
        Board,      // the board's set-up, as read for this start or kept from a read
        NotRead,    // the program's own copies: note says so (the start goes on)
        Unavailable // no header can be given: note says why (the start is cancelled)
    };

    virtual ~IRecordingHost() = default;
    // The records the new file's header is written from.
    virtual HeaderSource GetHeaderRecords(RecordingCause cause, CConfigBlockSet& records,
                                          std::string& note) = 0;
    virtual OverwriteAnswer AskOverwrite(const CRecordingQuestion& question) = 0;
    virtual void AddRunLogEntry(const std::string& text) = 0;
    // Tell the operator (a message box in the Monitor, a line headless).
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // Sends Reset to Ready to the board and says how it went.
    virtual void ResetToReady(RecordingCause cause) = 0;
    // The recording's note changed (shown in a status line; "" when none).
    virtual void OnNote(const std::string& /*note*/) {}
    virtual void OnRecordingStarted(const std::string& /*path*/, RecordingCause /*cause*/) {}
    virtual void OnRecordingFinished(const CRecordingSummary& /*summary*/) {}
};

class CRecordingSession {
public:
    explicit CRecordingSession(IRecordingHost& host) : m_host(host) {}
    CRecordingSession(const CRecordingSession&) = delete;
    CRecordingSession& operator=(const CRecordingSession&) = delete;

    // The naming: folder, prefix, index, settings file.
    CDataRecorder& Recorder() { return m_recorder; }
    const CDataRecorder& Recorder() const { return m_recorder; }
    const CRecordingRules& Rules() const { return m_rules; }
    // The settings file written before every start ("" for none).
    void SetSettingsPath(const std::string& path) { m_strSettingsPath = path; }
    const std::string& GetSettingsPath() const { return m_strSettingsPath; }

    // The poller's news.
    void OnRunState(bool running);
    void OnPulse(const CPulseData& pulse, bool running, const CTimedEvent& events);
    // The operator's commands.
    void ManualStart();
    void ManualStop();
    void ResetToReady();
    // The program ends: a recording still running is finished, as a manual stop.
    void Finish();

    bool IsRecording() const { return m_rules.IsRecording(); }
    // Why the last recording stopped or a start failed; empty when all went well.
    const std::string& GetNote() const { return m_strNote; }
    // The file being recorded, or the last one (empty before the first).
    const std::string& GetFileName() const { return m_strFileName; }
    const std::string& GetFilePath() const { return m_strFilePath; }
    // Pulses written into the current (or last) file, and into all files.
    int32_t GetPulsesWritten() const { return m_summary.pulses; }
    int64_t GetTotalPulsesWritten() const { return m_nTotalWritten; }
    int64_t GetBytesWritten() const;
    // Recordings finished in this session.
    int GetFinishedCount() const { return m_nFinished; }

private:
    void Carry(CRecordingActions actions);
    CStartResult Start(RecordingCause cause);
    void Append();
    void Stop();
    void SetNote(const std::string& note);

    IRecordingHost& m_host;
    CDataRecorder m_recorder;
    CRecordingRules m_rules;
    std::string m_strSettingsPath;
    std::string m_strNote;
    std::string m_strPendingNote; // said once the start it belongs to has succeeded
    std::string m_strFileName;
    std::string m_strFilePath;
    CRecordingSummary m_summary;
    const CPulseData* m_pPulse = nullptr; // the pulse OnPulse is handling
    int m_nFinished = 0;
    int64_t m_nTotalWritten = 0;
};
