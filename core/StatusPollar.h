#pragma once
// The status poller: a background thread that asks the board for its status
// word every 100 ms, fetches each new pulse as soon as the word announces one,
// keeps the latest pulse, and tells the program through a notifier.
//
// It is also the link's own thread for the requests programs queue
// (CLinkQueue): between two status cycles it runs their steps one exchange
// at a time, as soon as they arrive. A status cycle that falls due waits for
// at most the one exchange under way, and a request waits for at most one
// status cycle between two of its steps, so neither starves the other.
//
// A pulse is fetched only on the word of a status exchange that succeeded in
// the same cycle: the word kept from an earlier cycle says nothing about a
// new pulse. And since the board answers the pulse command with its latest
// pulse whether or not it is new, a pulse whose index equals the last one
// posted is counted as a repeat and not posted again.

#include "HardwareStatus.h"
#include "LinkQueue.h"
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
    // Ends a WaitFor under way (or the next one) early.
    void Wake();
    // After Stop: runs the loop again on a new thread.
    void Restart();
    int GetState() const { return m_nState.load(); }

protected:
    virtual void Run() = 0;
    // Runs on the starting thread just before the thread starts.
    virtual void OnStarting() {}
    bool ShouldRun() const
    {
        const int state = m_nState.load();
        return state == kRunning || state == kIdle;
    }
    // Sleeps for up to duration; returns early when the thread is told to
    // stop or Wake() is called.
    void WaitFor(std::chrono::steady_clock::duration duration);

private:
    std::atomic<int> m_nState{kNotStarted};
    std::thread m_thread;
    std::mutex m_waitLock;
    std::condition_variable m_wake;
    bool m_bWakeUp = false; // guarded by m_waitLock
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

    // Queues a request for this thread (see CLinkQueue); its completion runs
    // on this thread. While the thread is not running the request fails at once.
    int Submit(const CLinkRequest& request, CLinkQueue::Completion done);
    void Cancel(int id);

protected:
    void Run() override;
    void OnStarting() override;

private:
    void Notify(unsigned message);
    // true once both revisions have been read.
    bool ReadRevisions();
    // One status exchange, and the pulse it announces.
    void PollCycle();

    CHardware& m_hardware;
    CHardwareStatus m_status;
    std::mutex m_lock;
    CPulseData m_latestPulse;
    std::mutex m_notifierLock;
    Notifier m_notifier;
    std::atomic<uint64_t> m_nRepeatedPulses{0};
    CLinkQueue m_queue;

    // The poll loop's own state; only the poller's thread touches it.
    bool m_bRevisionsRead = false;
    bool m_bRevisionsRetried = false;
    CPulseData m_pulse;
    unsigned short m_nStatus = 0;
    bool m_bPosted = false;
    long m_nLastIndex = 0;
};
