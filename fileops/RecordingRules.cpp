#include "RecordingRules.h"

#include <cmath>

namespace {

using Kind = CRecordingAction::Kind;

CRecordingAction Action(Kind kind, RecordingCause cause = RecordingCause::Manual,
                        std::string text = {})
{
    return {kind, cause, std::move(text)};
}

// A run-log entry is one line, whatever a reason brings along.
CRecordingAction Entry(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return Action(Kind::RunLog, RecordingCause::Manual, std::move(text));
}

// Ten years of run time: beyond it an event time is garbage, not a plan.
constexpr double kLongestRun = 10.0 * 365 * 24 * 3600 * 100;

} // namespace

int64_t CRecordingRules::EventHundredths(double minutes)
{
    const double hundredths = minutes * 60.0 * 100.0;
    if (!std::isfinite(hundredths) || hundredths < 0.0 || hundredths > kLongestRun)
        return -1;
    return static_cast<int64_t>(hundredths); // truncated toward zero
}

void CRecordingRules::Rearm()
{
    m_nLastAutoRecordTime = -1;
    m_bResetActed = false;
    ++m_nRun;
}

void CRecordingRules::FollowRunState(bool running, CRecordingActions& actions)
{
    if (running == m_bLastRunState)
        return;
    m_bLastRunState = running;
    m_bHasPulseTime = false;
    Rearm();
    // The run this recording belongs to is over: the next run gets its own file.
    if (!running && IsRecording() && m_eCause == RecordingCause::Timed)
        StopRecording(actions, kAutoStop, nullptr);
}

void CRecordingRules::StopRecording(CRecordingActions& actions, const char* entryBefore,
                                    const char* entryAfter)
{
    if (entryBefore)
        actions.push_back(Entry(entryBefore));
    actions.push_back(Action(Kind::Stop, m_eCause));
    if (entryAfter)
        actions.push_back(Entry(entryAfter));
    m_eState = State::Idle;
}

CRecordingActions CRecordingRules::OnRunState(bool running)
{
    CRecordingActions actions;
    FollowRunState(running, actions);
    return actions;
}

CRecordingActions CRecordingRules::OnPulse(int64_t time, bool running, const CTimedEvent& events)
{
    CRecordingActions actions;
    FollowRunState(running, actions);
    if (running && m_bHasPulseTime && time < m_nLastPulseTime)
        Rearm(); // a new run began between two status polls
    m_bHasPulseTime = true;
    m_nLastPulseTime = time;

    if (IsRecording())
        actions.push_back(Action(Kind::Append, m_eCause));
    // While a start waits for its answer (a question open, say) the events
    // stay due: they are looked at again with the next pulse.
    if (!running || m_eState == State::Starting)
        return actions;
    m_events = events;
    m_nNextEvent = 0;
    m_nPulseTime = time;
    Evaluate(actions);
    return actions;
}

void CRecordingRules::Evaluate(CRecordingActions& actions)
{
    m_bEvaluating = true;
    while (m_nNextEvent < m_events.GetCount()) {
        const CTimedEventData& event = m_events[m_nNextEvent++];
        const int64_t e = EventHundredths(event.GetEventTime());
        if (e < 0 || m_nPulseTime < e || e <= m_nLastAutoRecordTime)
            continue;
        const double value = event.GetEventValue();
        switch (event.GetEventCode()) {
        case EC_RECORD:
            if (value == 1.0) {
                if (IsManualRecording())
                    StopRecording(actions, nullptr, kManualStop);
                if (!IsRecording()) {
                    m_eState = State::Starting;
                    m_eCause = RecordingCause::Timed;
                    m_nPendingEventTime = e;
                    m_nPendingRun = m_nRun;
                    actions.push_back(Action(Kind::Start, RecordingCause::Timed));
                    return; // the rest waits for OnStartDone
                }
            } else if (value == 0.0 && IsRecording() && !IsManualRecording()) {
                StopRecording(actions, kAutoStop, nullptr);
            }
            break;
        case EC_RESET_TO_READY:
            if (m_bResetActed)
                break;
            m_bResetActed = true;
            if (IsRecording())
                StopRecording(actions, m_eCause == RecordingCause::Manual ? nullptr : kAutoStop,
                              m_eCause == RecordingCause::Manual ? kManualStop : nullptr);
            actions.push_back(Action(Kind::ResetToReady, RecordingCause::Timed));
            break;
        default:
            break;
        }
    }
    m_bEvaluating = false;
}

CRecordingActions CRecordingRules::OnManualStart()
{
    CRecordingActions actions;
    if (m_eState != State::Idle)
        return actions;
    m_eState = State::Starting;
    m_eCause = RecordingCause::Manual;
    actions.push_back(Action(Kind::Start, RecordingCause::Manual));
    return actions;
}

CRecordingActions CRecordingRules::OnManualStop()
{
    CRecordingActions actions;
    if (IsRecording())
        StopRecording(actions, nullptr, kManualStop);
    return actions;
}

CRecordingActions CRecordingRules::OnResetToReady()
{
    CRecordingActions actions;
    if (IsRecording())
        StopRecording(actions, m_eCause == RecordingCause::Manual ? nullptr : kAutoStop,
                      m_eCause == RecordingCause::Manual ? kManualStop : nullptr);
    actions.push_back(Action(Kind::ResetToReady, RecordingCause::Manual));
    return actions;
}

CRecordingActions CRecordingRules::OnStartDone(const CStartResult& result)
{
    CRecordingActions actions;
    if (m_eState != State::Starting)
        return actions;
    using Outcome = CStartResult::Outcome;
    const bool started = result.outcome == Outcome::Started;
    m_eState = started ? State::Recording : State::Idle;

    if (m_eCause == RecordingCause::Manual) {
        if (started) {
            actions.push_back(Entry(kManualStart));
            actions.push_back(Action(Kind::Note));
        } else if (result.outcome == Outcome::Failed) {
            actions.push_back(Action(Kind::Message, RecordingCause::Manual,
                                     "The recording could not be started: " + result.reason));
        }
        return actions;
    }

    switch (result.outcome) {
    case Outcome::Started:
        actions.push_back(Entry(kAutoStart));
        actions.push_back(Action(Kind::Note));
        break;
    case Outcome::Failed:
        actions.push_back(Entry(std::string(kAutoStart) + " failed: " + result.reason));
        actions.push_back(
            Action(Kind::Note, RecordingCause::Timed, "The timed start failed: " + result.reason));
        break;
    case Outcome::Refused:
    case Outcome::Cancelled:
        actions.push_back(Entry(std::string(kAutoStart) + " not made: " +
                                (result.reason.empty() ? "the start was refused" : result.reason)));
        break;
    }
    // A start that waited across a change of run belongs to a run that is
    // over: it neither sets this run's last start nor runs the old events.
    if (!m_bEvaluating || m_nPendingRun != m_nRun) {
        m_bEvaluating = false;
        return actions;
    }
    m_nLastAutoRecordTime = m_nPendingEventTime;
    Evaluate(actions);
    return actions;
}

CRecordingActions CRecordingRules::OnRecordingFailed(const std::string& reason)
{
    CRecordingActions actions;
    if (!IsRecording())
        return actions;
    m_eState = State::Idle;
    actions.push_back(Entry(reason));
    actions.push_back(Action(Kind::Message, m_eCause, reason));
    actions.push_back(Action(Kind::Note, m_eCause, reason));
    return actions;
}
