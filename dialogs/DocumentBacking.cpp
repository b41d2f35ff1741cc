#include "DocumentBacking.h"

#include <QMetaObject>

int CDocumentBacking::Start(const CBackingRequest& request, Completion done)
{
    const int id = Register(request.operation, std::move(done));
    CompleteLater(id, Perform(request));
    return id;
}

void CDocumentBacking::CompleteLater(int id, const CBackingResult& result)
{
    QMetaObject::invokeMethod(
        this, [this, id, result] { Complete(id, result); }, Qt::QueuedConnection);
}

CBackingResult CDocumentBacking::Perform(const CBackingRequest& request)
{
    CBackingResult result;
    result.nResult = 1;
    result.records = request.records;
    const int channel = request.records.nChannel == 2 ? 1 : 0;
    switch (request.operation) {
    case BackingOperation::ReadGates:
        result.records.gates = m_records.gates;
        break;
    case BackingOperation::WriteGates:
        m_records.gates = request.records.gates;
        break;
    case BackingOperation::ReadBoardAndChannels:
        result.records.board = m_records.board;
        result.records.channels = m_records.channels;
        break;
    case BackingOperation::WriteBoardAndChannels:
        m_records.board = request.records.board;
        m_records.channels = request.records.channels;
        break;
    case BackingOperation::ReadChannelZero:
        result.records.channels[channel].SetChannelZero(
            m_records.channels[channel].GetChannelZero());
        break;
    case BackingOperation::WriteChannelZero:
        m_records.channels[channel] = request.records.channels[channel];
        break;
    case BackingOperation::ReadTimedEvents:
        result.records.events = m_records.events;
        break;
    case BackingOperation::WriteTimedEvents:
        m_records.events = request.records.events;
        break;
    case BackingOperation::ReadSetUp:
        result.records = m_records;
        result.records.nChannel = request.records.nChannel;
        break;
    case BackingOperation::ApplySetUp:
        m_records.gates = request.records.gates;
        m_records.board = request.records.board;
        m_records.channels = request.records.channels;
        m_records.events = request.records.events;
        break;
    }
    if (IsWrite(request.operation))
        emit recordsChanged(request.operation);
    return result;
}

std::string CDocumentBacking::BusyText(BackingOperation operation) const
{
    return (IsWrite(operation) ? "Storing " : "Reading ") + RecordsText(operation) + "...";
}
