#include "InstrumentBacking.h"

#include "CoreInterface.h"

#include <QMetaObject>

#include <functional>

namespace {

CBackingResult Failed(CBackingResult result, const std::string& detail = {})
{
    result.nResult = 0;
    result.strMessage =
        (detail.empty() ? "" : detail + " ") +
        "The board did not answer, or refused the request; the debug log names the exchange "
        "that failed.";
    return result;
}

} // namespace

CInstrumentBacking::CInstrumentBacking(QObject* parent) : CParameterBacking(parent)
{
    // One worker: the board answers one request at a time anyway, and the
    // order of writes must be the order the operator gave them.
    m_worker.setMaxThreadCount(1);
    m_worker.setExpiryTimeout(-1);
}

CInstrumentBacking::~CInstrumentBacking()
{
    CancelAll();
    m_worker.waitForDone();
}

int CInstrumentBacking::Start(const CBackingRequest& request, Completion done)
{
    std::shared_ptr<std::atomic<bool>> cancelled;
    const int id = Register(request.operation, std::move(done), &cancelled);
    m_worker.start([this, id, request, cancelled] {
        if (cancelled->load())
            return;
        const CBackingResult result = Perform(request, *cancelled);
        QMetaObject::invokeMethod(
            this, [this, id, result] { Complete(id, result); }, Qt::QueuedConnection);
    });
    return id;
}

CBackingResult CInstrumentBacking::Perform(const CBackingRequest& request,
                                           const std::atomic<bool>& cancelled)
{
    CBackingResult result;
    result.records = request.records;
    CBackingRecords& r = result.records;
    int ok = 0;
    switch (request.operation) {
    case BackingOperation::ReadGates:
        ok = CCoreInterface::GetAllGates(r.gates);
        break;
    case BackingOperation::WriteGates:
        ok = CCoreInterface::SetAllGates(r.gates);
        break;
    case BackingOperation::ReadBoardAndChannels:
        ok = CCoreInterface::GetBoardAndChannelParameters(r.board, r.channels);
        break;
    case BackingOperation::WriteBoardAndChannels:
        ok = CCoreInterface::SetBoardAndChannelParameters(r.board, r.channels);
        break;
    case BackingOperation::ReadChannelZero:
        ok = CCoreInterface::GetChannelParamZero(r.channels, r.nChannel);
        break;
    case BackingOperation::WriteChannelZero:
        ok = CCoreInterface::SetChannelParamZero(r.channels, r.nChannel);
        break;
    case BackingOperation::ReadTimedEvents:
        ok = CCoreInterface::GetTimedEvent(r.events);
        break;
    case BackingOperation::WriteTimedEvents:
        ok = CCoreInterface::ClearTimedEvent() &&
             (r.events.GetCount() == 0 || CCoreInterface::SetTimedEvent(r.events));
        break;
    case BackingOperation::ReadSetUp: {
        const struct {
            const char* what;
            std::function<int()> call;
        } reads[] = {
            {"the gates", [&] { return CCoreInterface::GetAllGates(r.gates); }},
            {"the board and channel parameters",
             [&] { return CCoreInterface::GetBoardAndChannelParameters(r.board, r.channels); }},
            {"the timed events", [&] { return CCoreInterface::GetTimedEvent(r.events); }}};
        for (const auto& read : reads)
            if (!read.call())
                return Failed(result, std::string("Reading ") + read.what + " failed.");
        result.nResult = 1;
        return result;
    }
    case BackingOperation::ApplySetUp: {
        const std::function<int()> steps[kApplySetUpSteps] = {
            [] { return CCoreInterface::ClearTimedEvent(); },
            [&] { return CCoreInterface::SetBoardAndChannelParameters(r.board, r.channels); },
            [&] { return r.events.GetCount() == 0 ? 1 : CCoreInterface::SetTimedEvent(r.events); },
            [&] { return CCoreInterface::SetAllGates(r.gates); },
        };
        for (int step = 1; step <= kApplySetUpSteps; ++step) {
            if (cancelled.load()) {
                result.nFailedStep = step;
                result.strMessage = "Stopped before " + ApplySetUpStepText(step) + ".";
                return result;
            }
            if (!steps[step - 1]()) {
                result.nFailedStep = step;
                result.strMessage = "Step " + std::to_string(step) + " of " +
                                    std::to_string(kApplySetUpSteps) + ", " +
                                    ApplySetUpStepText(step) +
                                    ", failed: the board did not answer or refused it.";
                return result;
            }
        }
        result.nResult = 1;
        return result;
    }
    }
    if (!ok)
        return Failed(result);
    result.nResult = 1;
    return result;
}
