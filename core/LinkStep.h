#pragma once
// One step of a queued link request (see LinkRequest.h): at most one
// exchange with the board, and what it does in the operator's words.

#include "LinkRequest.h"

#include <string>
#include <vector>

class CHardware;

// One step of a request: what it does, in words, and the call that does it.
class CLinkStep {
public:
    using Call = int (*)(CHardware& hardware, CLinkRecords& records);

    CLinkStep(std::string what, Call call) : m_strWhat(std::move(what)), m_pCall(call) {}
    const std::string& GetWhat() const { return m_strWhat; }
    // 1 on success; else CHardwareBase::GetLastFault() of this thread says why.
    int Run(CHardware& hardware, CLinkRecords& records) const { return m_pCall(hardware, records); }

    // The steps of an operation. A step may settle without an exchange (the
    // events of an empty table are not sent: clearing them was enough).
    static std::vector<CLinkStep> For(LinkOperation operation, int nChannel = 1);

private:
    std::string m_strWhat;
    Call m_pCall;
};
