#include "ScriptedBacking.h"

#include <QTimer>

#include <algorithm>

void CScriptedBacking::SetScript(BackingOperation operation, const CScript& script)
{
    m_scripts[operation] = script;
}

int CScriptedBacking::CountOf(BackingOperation operation) const
{
    return static_cast<int>(std::count_if(
        m_log.begin(), m_log.end(), [&](const CLogEntry& e) { return e.operation == operation; }));
}

int CScriptedBacking::Start(const CBackingRequest& request, Completion done)
{
    const int id = Register(request.operation, std::move(done));
    m_log.push_back({id, request.operation, request.records});
    const auto script = m_scripts.find(request.operation);
    if (script != m_scripts.end() && script->second.bHold) {
        m_held.emplace_back(id, request);
    } else if (script != m_scripts.end() && script->second.nDelayMs > 0) {
        QTimer::singleShot(script->second.nDelayMs, this, [this, id, request] {
            if (IsPending(id))
                Complete(id, Answer(request));
        });
    } else {
        CompleteLater(id, Answer(request));
    }
    return id;
}

int CScriptedBacking::ReleaseHeld()
{
    auto held = std::move(m_held);
    m_held.clear();
    int released = 0;
    for (const auto& [id, request] : held) {
        if (!IsPending(id))
            continue;
        CompleteLater(id, Answer(request));
        ++released;
    }
    return released;
}

CBackingResult CScriptedBacking::Answer(const CBackingRequest& request)
{
    const auto script = m_scripts.find(request.operation);
    if (script == m_scripts.end() || !script->second.bFail)
        return Perform(request);
    CBackingResult result;
    result.nResult = 0;
    result.strMessage = script->second.strMessage;
    result.nFailedStep = script->second.nFailedStep;
    result.records = request.records;
    return result;
}

std::string CScriptedBacking::BusyText(BackingOperation operation) const
{
    if (!m_bInstrument)
        return CDocumentBacking::BusyText(operation);
    return BoardBusyText(operation);
}
