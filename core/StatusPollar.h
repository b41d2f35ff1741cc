#pragma once
// The status poller: a background thread that asks the board for its status
// word every 100 ms, fetches each new pulse as soon as the word announces one,
// keeps the latest pulse, and tells the program through a notifier.
//
// A pulse is fetched only on the word of a status exchange that succeeded in
// the same cycle: the word kept from an earlier cycle says nothing about a
// new pulse. And since the board answers the pulse command with its latest
// pulse whether or not it is new, a pulse whose index equals the last one
// posted is counted as a repeat and not posted again.

#include "HardwareStatus.h"
#include "PulseData.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CHardware;

// Values of the two notifications, as the Monitor's window messages number them.
constexpr unsigned UM_STATUS_UPDATE = 0x0400 + 107;
constexpr unsigned UM_PULSE_DATA = 0x0400 + 109;

class CZelThreadBase {
public:
    enum State { kNotStarted = 0, kRunning = 1, kIdle = 2, kEnded = 3 };

    virtual ~CZelThreadBase();

    // Not started: start the thread. Idle: back to running. Running or
    // ended: nothing, so a second call never starts a second thread.
    void Start();
    // Ends the loop at the end of the current cycle and joins the thread.
    void Stop();
    // After Stop: runs the loop again on a new thread.
    void Restart();
    int GetState() const { return m_nState.load(); }

protected:
    virtual void Run() = 0;
    bool ShouldRun() const
    {
        const int state = m_nState.load();
        return state == kRunning || state == kIdle;
    }
    // Sleeps for up to duration; returns early when the thread is told to stop.
    void WaitFor(std::chrono::steady_clock::duration duration);

private:
    std::atomic<int> m_nState{kNotStarted};
    std::thread m_thread;
    std::mutex m_waitLock;
    std::condition_variable m_wake;
};

class CStatusPollar : public CZelThreadBase {
public:
    static constexpr std::chrono::milliseconds kCycle{100};
    using Notifier = std::function<void(unsigned message)>;

    explicit CStatusPollar(CHardware& hardware);
    ~CStatusPollar() override;

    // The status record itself; read in place, the word is atomic.
    CHardwareStatus* GetStatus() { return &m_status; }
    // Deep copy of the latest pulse.
    void GetPulseData(CPulseData& pulse);
    // Receives UM_STATUS_UPDATE after every cycle and UM_PULSE_DATA after a
    // new pulse, on the poller's thread; it must not block.
    void SetNotifier(Notifier notifier);
    // Pulses fetched again with the index of the last one posted, and not posted.
    uint64_t GetRepeatedPulseCount() const { return m_nRepeatedPulses.load(); }

protected:
    void Run() override;

private:
    void Notify(unsigned message);
    // true once both revisions have been read.
    bool ReadRevisions();

    CHardware& m_hardware;
    CHardwareStatus m_status;
    std::mutex m_lock;
    CPulseData m_latestPulse;
    std::mutex m_notifierLock;
    Notifier m_notifier;
    std::atomic<uint64_t> m_nRepeatedPulses{0};
};
