#include "LinkQueue.h"

#include "Hardware.h"

void CLinkQueue::SetWake(std::function<void()> wake)
{
    std::lock_guard guard(m_lock);
    m_wake = std::move(wake);
}

void CLinkQueue::Open()
{
    std::lock_guard guard(m_lock);
    m_bOpen = true;
}

bool CLinkQueue::IsOpen() const
{
    std::lock_guard guard(m_lock);
    return m_bOpen;
}

void CLinkQueue::Stop(CEntry& entry, LinkFailure kind, const std::string& why)
{
    CLinkResult& result = entry.result;
    result.nResult = 0;
    if (entry.nNext < entry.steps.size()) {
        result.nFailedStep = static_cast<int>(entry.nNext) + 1;
        result.strStep = entry.steps[entry.nNext].GetWhat();
    }
    result.fault = CExchangeFault(kind, 0, why);
}

void CLinkQueue::Close()
{
    std::deque<std::unique_ptr<CEntry>> left;
    {
        std::lock_guard guard(m_lock);
        m_bOpen = false;
        left.swap(m_entries);
    }
    for (auto& entry : left) {
        Stop(*entry, LinkFailure::NotRunning, "the instrument link was stopped");
        if (entry->done)
            entry->done(entry->result);
    }
}

int CLinkQueue::Submit(const CLinkRequest& request, Completion done)
{
    auto entry = std::make_unique<CEntry>();
    entry->request = request;
    entry->steps = CLinkStep::For(request.eOperation, request.records.nChannel);
    entry->done = std::move(done);
    entry->result.nSteps = static_cast<int>(entry->steps.size());
    entry->result.records = request.records;
    std::function<void()> wake;
    int id = 0;
    {
        std::lock_guard guard(m_lock);
        id = m_nNextId++;
        entry->nId = id;
        if (m_bOpen) {
            m_entries.push_back(std::move(entry));
            wake = m_wake;
        }
    }
    if (entry) {
        // Not open: nobody will run it.
        Stop(*entry, LinkFailure::NotRunning, "the instrument link is not running");
        if (entry->done)
            entry->done(entry->result);
    } else if (wake) {
        wake();
    }
    return id;
}

void CLinkQueue::Cancel(int id)
{
    std::function<void()> wake;
    {
        std::lock_guard guard(m_lock);
        for (auto& entry : m_entries)
            if (entry->nId == id) {
                entry->bCancelled = true;
                wake = m_wake;
            }
    }
    if (wake)
        wake();
}

bool CLinkQueue::IsCancelledLocked(const CEntry& entry) const
{
    return entry.bCancelled || (entry.request.pCancelled && entry.request.pCancelled->load());
}

bool CLinkQueue::HasWork() const
{
    std::lock_guard guard(m_lock);
    return !m_entries.empty();
}

size_t CLinkQueue::GetCount() const
{
    std::lock_guard guard(m_lock);
    return m_entries.size();
}

bool CLinkQueue::RunNextStep(CEntry& entry, CHardware& hardware)
{
    CLinkResult& result = entry.result;
    if (entry.nNext >= entry.steps.size()) {
        result.nResult = 1; // nothing (left) to do
        return true;
    }
    const CLinkStep& step = entry.steps[entry.nNext];
    CHardwareBase::SetLastFault(CExchangeFault());
    if (step.Run(hardware, result.records)) {
        ++entry.nNext;
        result.nResult = entry.nNext >= entry.steps.size() ? 1 : 0;
        return result.nResult == 1;
    }
    CExchangeFault fault = CHardwareBase::GetLastFault();
    if (!fault.IsFault())
        fault = CExchangeFault(LinkFailure::WrongReply, 0, "the board did not carry it out");
    result.nResult = 0;
    result.nFailedStep = static_cast<int>(entry.nNext) + 1;
    result.strStep = step.GetWhat();
    result.fault = fault;
    return true;
}

void CLinkQueue::RunStep(CHardware& hardware)
{
    CEntry* entry = nullptr;
    bool cancelled = false;
    {
        std::lock_guard guard(m_lock);
        if (m_entries.empty())
            return;
        // Only this thread removes entries, so the front one stays put
        // while its step runs outside the lock.
        entry = m_entries.front().get();
        cancelled = IsCancelledLocked(*entry);
    }
    bool finished = true;
    if (cancelled)
        Stop(*entry, LinkFailure::Cancelled,
             entry->nNext == 0 ? "cancelled before it began" : "cancelled before this step");
    else
        finished = RunNextStep(*entry, hardware);
    std::unique_ptr<CEntry> done;
    {
        std::lock_guard guard(m_lock);
        // A cancel that came while the step ran stops the request before its next one.
        if (!finished && IsCancelledLocked(*entry)) {
            Stop(*entry, LinkFailure::Cancelled, "cancelled before this step");
            finished = true;
        }
        if (finished) {
            done = std::move(m_entries.front());
            m_entries.pop_front();
        }
    }
    if (done && done->done)
        done->done(done->result);
}
