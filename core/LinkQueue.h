#pragma once
// The requests programs queue for the instrument link's own thread (the
// status poller's), and their completions.
//
// Any thread submits; the link thread runs the requests one step (at most
// one exchange) at a time in the order submitted, and calls each request's
// completion on the link thread when it ends, so completions come in submit
// order too. A completion must not block: a window posts the result to its
// own thread.
//
// Cancelling: a request that has not begun is dropped without an exchange;
// one under way stops before its next step. Either way its completion still
// comes, in its turn, saying it was cancelled (a request whose last step had
// already run reports that step's outcome instead: the board has done it).
//
// A queue that is not open (the link not started, or stopped) completes a
// submitted request at once, on the submitting thread, as failed; closing
// completes everything still waiting the same way.

#include "LinkRequest.h"
#include "LinkStep.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class CHardware;

class CLinkQueue {
public:
    using Completion = std::function<void(const CLinkResult&)>;

    CLinkQueue() = default;
    CLinkQueue(const CLinkQueue&) = delete;
    CLinkQueue& operator=(const CLinkQueue&) = delete;

    // Called (outside the queue's lock) when a request arrives or is
    // cancelled, so a sleeping link thread wakes up for it.
    void SetWake(std::function<void()> wake);
    // Starts taking requests.
    void Open();
    // Stops taking requests and completes those still waiting, and one
    // stopped half way, as "not running", on the calling thread.
    void Close();
    bool IsOpen() const;

    // The request's id (> 0). done may be empty.
    int Submit(const CLinkRequest& request, Completion done);
    // Unknown or finished ids are ignored.
    void Cancel(int id);

    // For the link thread.
    bool HasWork() const;
    // Runs the next step of the oldest request and completes the request
    // when that was its last, it failed, or it was cancelled.
    void RunStep(CHardware& hardware);

    // Requests submitted and not yet completed.
    size_t GetCount() const;

private:
    struct CEntry {
        int nId = 0;
        CLinkRequest request;
        std::vector<CLinkStep> steps;
        size_t nNext = 0; // the step to run next
        Completion done;
        bool bCancelled = false; // guarded by the queue's lock
        CLinkResult result;
    };
    static void Stop(CEntry& entry, LinkFailure kind, const std::string& why);
    // Runs the entry's next step (outside the lock); true when the request has ended.
    static bool RunNextStep(CEntry& entry, CHardware& hardware);
    bool IsCancelledLocked(const CEntry& entry) const;

    mutable std::mutex m_lock;
    std::deque<std::unique_ptr<CEntry>> m_entries; // the front one is under way
    bool m_bOpen = false;
    int m_nNextId = 1;
    std::function<void()> m_wake;
};
