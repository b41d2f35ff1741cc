#include "InstrumentBacking.h"

#include "SetUpSequence.h"

#include <cctype>

namespace {

LinkOperation ToLinkOperation(BackingOperation operation)
{
    switch (operation) {
    case BackingOperation::ReadGates:
        return LinkOperation::ReadGates;
    case BackingOperation::WriteGates:
        return LinkOperation::WriteGates;
    case BackingOperation::ReadBoardAndChannels:
        return LinkOperation::ReadBoardAndChannels;
    case BackingOperation::WriteBoardAndChannels:
        return LinkOperation::WriteBoardAndChannels;
    case BackingOperation::ReadChannelZero:
        return LinkOperation::ReadChannelZero;
    case BackingOperation::WriteChannelZero:
        return LinkOperation::WriteChannelZero;
    case BackingOperation::ReadTimedEvents:
        return LinkOperation::ReadTimedEvents;
    case BackingOperation::WriteTimedEvents:
        return LinkOperation::WriteTimedEvents;
    case BackingOperation::ReadSetUp:
        return LinkOperation::ReadSetUp;
    case BackingOperation::ApplySetUp:
        return LinkOperation::ApplySetUp;
    }
    return LinkOperation::ReadGates;
}

std::string Sentence(std::string text)
{
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

} // namespace

CInstrumentBacking::CInstrumentBacking(QObject* parent) : CParameterBacking(parent)
{
}

CInstrumentBacking::~CInstrumentBacking()
{
    CancelAll();
}

CLinkRequest CInstrumentBacking::ToLinkRequest(const CBackingRequest& request)
{
    CLinkRequest link;
    link.eOperation = ToLinkOperation(request.operation);
    link.records.gates = request.records.gates;
    link.records.board = request.records.board;
    link.records.channels = request.records.channels;
    link.records.events = request.records.events;
    link.records.nChannel = request.records.nChannel;
    return link;
}

CBackingResult CInstrumentBacking::ToBackingResult(BackingOperation operation,
                                                   const CLinkResult& link)
{
    CBackingResult result;
    result.nResult = link.nResult;
    result.records.gates = link.records.gates;
    result.records.board = link.records.board;
    result.records.channels = link.records.channels;
    result.records.events = link.records.events;
    result.records.nChannel = link.records.nChannel;
    if (link.nResult)
        return result;
    const std::string why = link.fault.GetText();
    if (operation == BackingOperation::ApplySetUp) {
        result.nFailedStep = link.nFailedStep;
        const std::string step = CSetUpSequence::StepText(link.nFailedStep);
        result.strMessage = link.IsCancelled() ? "Stopped before " + step + "."
                                               : "Step " + std::to_string(link.nFailedStep) +
                                                     " of " + std::to_string(kApplySetUpSteps) +
                                                     ", " + step + ", failed: " + why + ".";
    } else if (link.nSteps > 1 && !link.strStep.empty()) {
        result.strMessage = Sentence(link.strStep + " failed: " + why);
    } else {
        result.strMessage = Sentence(why);
    }
    return result;
}

int CInstrumentBacking::Start(const CBackingRequest& request, Completion done)
{
    std::shared_ptr<std::atomic<bool>> cancelled;
    const int id = Register(request.operation, std::move(done), &cancelled);
    CLinkRequest link = ToLinkRequest(request);
    // The dialog's cancel flag stops the link request too.
    link.pCancelled = cancelled;
    const BackingOperation operation = request.operation;
    m_requester.Submit(link, [this, id, operation](const CLinkResult& result) {
        Complete(id, ToBackingResult(operation, result));
    });
    return id;
}
