#pragma once
// When a recording starts and stops: the operator's record and stop buttons,
// Reset to Ready, and the run's timed-event program ("Record" 1 and 0,
// "Reset to Ready"), evaluated against the time of every pulse while the
// board reports a run. A plain state machine: values in, actions out as
// values. It touches no file and no board; whoever drives it (the Monitor's
// window, `tarvolin record`) carries the actions out, in order, and hands
// back the result of every start it asked for.
//
// Inputs                                   Actions it may answer with
//   OnRunState(running)                      Stop (a timed recording ends with its run)
//   OnPulse(time, running, events)           Append, then Start / Stop / ResetToReady
//   OnManualStart() / OnManualStop()         Start / Stop, RunLog
//   OnResetToReady()  (the toolbar button)   Stop, ResetToReady
//   OnStartDone(result)                      RunLog, Message, Note, and the rest of the
//                                            pulse's events that waited for the start
//   OnRecordingFailed(reason)                RunLog, Message, Note
//
// The rules of a pulse (t = its time in hundredths of a second), while the
// board reports a run; events in list order, e = the event's time in minutes
// x 6000 truncated toward zero; an event is due when t >= e and e is later
// than the last timed start acted on in this run:
//   Record 1 (exactly)  a manual recording ends ("Manual Recording Stop");
//                       when nothing records, a new file starts ("Auto
//                       Recording Event Start" once it is open); either way
//                       the start's e becomes the last timed start.
//   Record 0 (exactly)  ends a recording that was not started by hand
//                       ("Auto Recording Event Stop"); a manual one goes on.
//   Reset to Ready      ends the recording and sends Reset to Ready, once a run.
//   anything else       ignored (a Record of 0.5 included).
// A change of the run state re-arms every event for the next run. A pulse
// appended while recording is appended before the rules of that pulse run,
// so the pulse that makes a start due is not in the new file: its first
// record is the next pulse.
//
// Beyond the instrument's own rules, for an unattended lab:
//   - an event at 0.00 min is due on the first pulse of the run (before, the
//     last timed start began at 0 and hid it);
//   - a due Reset to Ready acts once per run, not on every following pulse;
//   - a recording started by the program ends when its run ends, so the next
//     run gets a file of its own even when the program has no Record 0;
//   - a pulse time that goes back while the board keeps reporting a run is a
//     new run that began between two status polls: it re-arms the events;
//   - a start that failed is said (a message for a manual start; a run-log
//     entry and a status note for a timed one, which must not wait on a box)
//     and "Auto Recording Event Start" is logged only for a file opened;
//   - a recording stopped by a write error is said in a message, a run-log
//     entry and a note, and no longer counts as recording.

#include "TimedEvent.h"

#include <cstdint>
#include <string>
#include <vector>

enum class RecordingCause { Manual, Timed };

struct CRecordingAction {
    enum class Kind {
        Append,       // write the pulse just handed in to the open file
        Start,        // prepare a name and open a new data file; answer with OnStartDone
        Stop,         // finish the open data file (its count written, closed)
        ResetToReady, // send Reset to Ready to the board and say how that went
        RunLog,       // one run-log entry: text
        Message,      // tell the operator, who is expected to be there: text
        Note,         // the recording's status note, shown without a box: text ("" clears it)
    };

    Kind kind = Kind::Append;
    RecordingCause cause = RecordingCause::Manual; // Start, Stop, ResetToReady: whose
    std::string text;

    bool operator==(const CRecordingAction& other) const = default;
};

using CRecordingActions = std::vector<CRecordingAction>;

// How a Start came out.
struct CStartResult {
    enum class Outcome {
        Started,   // the file is open
        Refused,   // the operator would not replace an existing file
        Failed,    // the file could not be created: reason
        Cancelled, // the driver gave up before preparing (the set-up could not be read)
    };
    Outcome outcome = Outcome::Started;
    std::string reason;
};

class CRecordingRules {
public:
    enum class State { Idle, Starting, Recording };

    static constexpr const char* kManualStart = "Manual Recording Start";
    static constexpr const char* kManualStop = "Manual Recording Stop";
    static constexpr const char* kAutoStart = "Auto Recording Event Start";
    static constexpr const char* kAutoStop = "Auto Recording Event Stop";

    // An event's time in hundredths of a second: minutes x 60 x 100,
    // truncated toward zero; -1 for a time that is negative, not a number
    // or beyond any run (such an event is never due).
    static int64_t EventHundredths(double minutes);

    CRecordingActions OnRunState(bool running);
    CRecordingActions OnPulse(int64_t time, bool running, const CTimedEvent& events);
    CRecordingActions OnManualStart();
    CRecordingActions OnManualStop();
    CRecordingActions OnResetToReady();
    CRecordingActions OnStartDone(const CStartResult& result);
    // The file could not take a pulse: the recorder has already stopped it.
    // reason: the recorder's sentence ("Recording stopped: ... The file keeps
    // the 3 pulses recorded until then."), said as it stands.
    CRecordingActions OnRecordingFailed(const std::string& reason);

    State GetState() const { return m_eState; }
    bool IsRecording() const { return m_eState == State::Recording; }
    // The manual-recording flag: a recording runs that the operator started.
    bool IsManualRecording() const
    {
        return m_eState == State::Recording && m_eCause == RecordingCause::Manual;
    }
    // Whose recording runs, or whose start is under way.
    RecordingCause GetCause() const { return m_eCause; }
    // The time of the last timed start acted on in this run; -1 when none.
    int64_t GetLastAutoRecordTime() const { return m_nLastAutoRecordTime; }
    bool GetLastRunState() const { return m_bLastRunState; }

private:
    void Rearm();
    // The run state, from a status or a pulse: re-arms on a change.
    void FollowRunState(bool running, CRecordingActions& actions);
    void StopRecording(CRecordingActions& actions, const char* entryBefore, const char* entryAfter);
    // Runs the events from m_nNextEvent on against m_nPulseTime, until the
    // end or a start that has to wait for its result.
    void Evaluate(CRecordingActions& actions);

    State m_eState = State::Idle;
    RecordingCause m_eCause = RecordingCause::Manual;
    bool m_bLastRunState = false;
    bool m_bHasPulseTime = false;
    int64_t m_nLastPulseTime = 0;
    int64_t m_nLastAutoRecordTime = -1;
    bool m_bResetActed = false;
    // Re-arms so far; a start that waited across one belongs to a run that is over.
    uint64_t m_nRun = 0;

    // The pulse whose events are being evaluated (kept while a start waits).
    CTimedEvent m_events;
    int m_nNextEvent = 0;
    int64_t m_nPulseTime = 0;
    int64_t m_nPendingEventTime = 0;
    uint64_t m_nPendingRun = 0;
    bool m_bEvaluating = false;
};
