#include "ParameterBacking.h"

void CParameterBacking::Cancel(int id)
{
    auto it = m_pending.find(id);
    if (it == m_pending.end())
        return;
    it->second.cancelled->store(true);
    m_pending.erase(it);
}

void CParameterBacking::CancelAll()
{
    for (auto& [id, pending] : m_pending)
        pending.cancelled->store(true);
    m_pending.clear();
}

int CParameterBacking::Register(BackingOperation operation, Completion done,
                                std::shared_ptr<std::atomic<bool>>* cancelled)
{
    const int id = m_nNextId++;
    auto flag = std::make_shared<std::atomic<bool>>(false);
    m_pending.emplace(id, Pending{operation, std::move(done), flag});
    if (cancelled)
        *cancelled = flag;
    emit requestStarted(id, operation);
    return id;
}

void CParameterBacking::Complete(int id, const CBackingResult& result)
{
    auto it = m_pending.find(id);
    if (it == m_pending.end())
        return; // cancelled while it ran
    Pending pending = std::move(it->second);
    m_pending.erase(it);
    emit requestFinished(id, pending.operation, result.nResult);
    if (pending.done)
        pending.done(result);
}

std::string CParameterBacking::RecordsText(BackingOperation operation, int nChannel)
{
    switch (operation) {
    case BackingOperation::ReadGates:
    case BackingOperation::WriteGates:
        return "the gates";
    case BackingOperation::ReadBoardAndChannels:
    case BackingOperation::WriteBoardAndChannels:
        return "the board and channel parameters";
    case BackingOperation::ReadChannelZero:
    case BackingOperation::WriteChannelZero:
        return "the zero of channel " + std::to_string(nChannel);
    case BackingOperation::ReadTimedEvents:
    case BackingOperation::WriteTimedEvents:
        return "the timed events";
    case BackingOperation::ReadSetUp:
    case BackingOperation::ApplySetUp:
        return "the set-up";
    }
    return {};
}

bool CParameterBacking::IsWrite(BackingOperation operation)
{
    switch (operation) {
    case BackingOperation::WriteGates:
    case BackingOperation::WriteBoardAndChannels:
    case BackingOperation::WriteChannelZero:
    case BackingOperation::WriteTimedEvents:
    case BackingOperation::ApplySetUp:
        return true;
    default:
        return false;
    }
}

std::string CParameterBacking::BoardBusyText(BackingOperation operation)
{
    return IsWrite(operation) ? "Sending " + RecordsText(operation) + " to the board..."
                              : "Reading " + RecordsText(operation) + " from the board...";
}
