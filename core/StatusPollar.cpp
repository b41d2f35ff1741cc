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

void CZelThreadBase::WaitFor(std::chrono::steady_clock::duration duration)
{
    std::unique_lock guard(m_waitLock);
    m_wake.wait_for(guard, duration, [this] { return !ShouldRun(); });
}

CStatusPollar::CStatusPollar(CHardware& hardware) : m_hardware(hardware)
{
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

void CStatusPollar::Run()
{
    // A board that did not answer at the start gets one more try once it does.
    bool revisionsRead = ReadRevisions();
    bool revisionsRetried = false;

    CPulseData pulse;
    unsigned short status = 0;
    bool posted = false;
    long lastIndex = 0;
    while (ShouldRun()) {
        const auto cycleStart = std::chrono::steady_clock::now();
        // A failed exchange keeps the last word known for display, but only a
        // word that came in this cycle may announce a pulse.
        const bool answered = m_hardware.GetStatusError(status) != 0;
        m_status.SetStatus(status);
        if (answered && !revisionsRead && !revisionsRetried) {
            revisionsRetried = true;
            revisionsRead = ReadRevisions();
        }
        if (answered && (status & CHardwareStatus::kNewPulse) && m_hardware.GetPulseData(pulse)) {
            if (posted && pulse.GetPulseIndex() == lastIndex) {
                ++m_nRepeatedPulses;
            } else {
                {
                    std::lock_guard guard(m_lock);
                    m_latestPulse.CopyFrom(pulse);
                }
                posted = true;
                lastIndex = pulse.GetPulseIndex();
                Notify(UM_PULSE_DATA);
            }
        }
        Notify(UM_STATUS_UPDATE);
        const auto spent = std::chrono::steady_clock::now() - cycleStart;
        if (spent < kCycle)
            WaitFor(kCycle - spent);
    }
}
