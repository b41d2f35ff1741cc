#include "StatusPollar.h"

#include "Hardware.h"

CZelThreadBase::~CZelThreadBase()
{
    Stop();
}

void CZelThreadBase::Start()
{
    int expected = kNotStarted;
    if (m_nState.compare_exchange_strong(expected, kRunning)) {
        OnStarting();
        m_thread = std::thread([this] { Run(); });
        return;
    }
    expected = kIdle;
    m_nState.compare_exchange_strong(expected, kRunning);
}

void CZelThreadBase::Restart()
{
    if (m_nState.load() != kEnded)
        return Start();
    if (m_thread.joinable())
        m_thread.join();
    m_nState.store(kRunning);
    OnStarting();
    m_thread = std::thread([this] { Run(); });
}

void CZelThreadBase::Stop()
{
    {
        std::lock_guard guard(m_waitLock);
        m_nState.store(kEnded);
    }
    m_wake.notify_all();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void CZelThreadBase::Wake()
{
    {
        std::lock_guard guard(m_waitLock);
        m_bWakeUp = true;
    }
    m_wake.notify_all();
}

void CZelThreadBase::WaitFor(std::chrono::steady_clock::duration duration)
{
    std::unique_lock guard(m_waitLock);
    m_wake.wait_for(guard, duration, [this] { return !ShouldRun() || m_bWakeUp; });
    m_bWakeUp = false;
}

CStatusPollar::CStatusPollar(CHardware& hardware) : m_hardware(hardware)
{
    m_queue.SetWake([this] { Wake(); });
}

void CStatusPollar::OnStarting()
{
    // Open before the thread runs: a request submitted right after Start
    // waits for it instead of failing.
    m_queue.Open();
}

int CStatusPollar::Submit(const CLinkRequest& request, CLinkQueue::Completion done)
{
    return m_queue.Submit(request, std::move(done));
}

void CStatusPollar::Cancel(int id)
{
    m_queue.Cancel(id);
}

CStatusPollar::~CStatusPollar()
{
    // The thread uses this object's members: end it before they go.
    Stop();
}

void CStatusPollar::GetPulseData(CPulseData& pulse)
{
    std::lock_guard guard(m_lock);
    pulse.CopyFrom(m_latestPulse);
}

void CStatusPollar::SetNotifier(Notifier notifier)
{
    std::lock_guard guard(m_notifierLock);
    m_notifier = std::move(notifier);
}

void CStatusPollar::Notify(unsigned message)
{
    std::lock_guard guard(m_notifierLock);
    if (m_notifier)
        m_notifier(message);
}

bool CStatusPollar::ReadRevisions()
{
    std::string firmware, board;
    const bool gotFirmware = m_hardware.GetFirmwareRevision(firmware) != 0;
    if (gotFirmware)
        m_status.SetFirmwareRevision(firmware);
    const bool gotBoard = m_hardware.GetBoardRevision(board) != 0;
    if (gotBoard)
        m_status.SetBoardRevision(board);
    return gotFirmware && gotBoard;
}

void CStatusPollar::PollCycle()
{
    // A failed exchange keeps the last word known for display, but only a
    // word that came in this cycle may announce a pulse.
    const bool answered = m_hardware.GetStatusError(m_nStatus) != 0;
    m_status.SetStatus(m_nStatus);
    if (answered && !m_bRevisionsRead && !m_bRevisionsRetried) {
        // A board that did not answer at the start gets one more try once it does.
        m_bRevisionsRetried = true;
        m_bRevisionsRead = ReadRevisions();
    }
    if (answered && (m_nStatus & CHardwareStatus::kNewPulse) && m_hardware.GetPulseData(m_pulse)) {
        if (m_bPosted && m_pulse.GetPulseIndex() == m_nLastIndex) {
            ++m_nRepeatedPulses;
        } else {
            {
                std::lock_guard guard(m_lock);
                m_latestPulse.CopyFrom(m_pulse);
            }
            m_bPosted = true;
            m_nLastIndex = m_pulse.GetPulseIndex();
            Notify(UM_PULSE_DATA);
        }
    }
    Notify(UM_STATUS_UPDATE);
}

void CStatusPollar::Run()
{
    using Clock = std::chrono::steady_clock;
    m_pulse = CPulseData();
    m_nStatus = 0;
    m_bPosted = false;
    m_nLastIndex = 0;
    m_bRevisionsRetried = false;
    m_bRevisionsRead = ShouldRun() && ReadRevisions();

    // A status cycle every kCycle; one that overran is followed at once by
    // the next. Queued requests run in between, and when both wait they take
    // turns: one request step, then the status cycle.
    auto nextCycle = Clock::now();
    bool stepSinceCycle = false;
    while (ShouldRun()) {
        const auto now = Clock::now();
        const bool cycleDue = now >= nextCycle;
        const bool work = m_queue.HasWork();
        if (cycleDue && (!work || stepSinceCycle)) {
            nextCycle = now + kCycle;
            PollCycle();
            stepSinceCycle = false;
        } else if (work) {
            m_queue.RunStep(m_hardware);
            stepSinceCycle = true;
        } else {
            WaitFor(nextCycle - now);
        }
    }
    // Whatever still waits completes as stopped; a program that stops the
    // link while a dialog waits hears of it.
    m_queue.Close();
}
