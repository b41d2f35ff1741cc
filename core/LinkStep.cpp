#include "LinkStep.h"

#include "Hardware.h"

namespace {

int ReadGates(CHardware& h, CLinkRecords& r)
{
    return h.GetAllGates(r.gates);
}
int WriteGates(CHardware& h, CLinkRecords& r)
{
    return h.SetAllGates(r.gates);
}
int ReadBoard(CHardware& h, CLinkRecords& r)
{
    return h.GetBoardAndChannelParam(r.board, r.channels);
}
int WriteBoard(CHardware& h, CLinkRecords& r)
{
    return h.SetBoardAndChannelParam(r.board, r.channels);
}
int ReadZero(CHardware& h, CLinkRecords& r)
{
    return h.GetChannelParamZero(r.channels, r.nChannel);
}
int WriteZero(CHardware& h, CLinkRecords& r)
{
    return h.SetChannelParamZero(r.channels, r.nChannel);
}
int ReadEvents(CHardware& h, CLinkRecords& r)
{
    return h.GetTimedEvent(r.events);
}
// The board has no empty table: clearing its events was the whole of it.
int WriteEvents(CHardware& h, CLinkRecords& r)
{
    return r.events.GetCount() == 0 ? 1 : h.SetTimedEvent(r.events);
}
int ClearEvents(CHardware& h, CLinkRecords&)
{
    return h.ClearAllTimedEvent();
}
int ResetToReady(CHardware& h, CLinkRecords&)
{
    return h.ResetToReady();
}
int ResetDefaults(CHardware& h, CLinkRecords&)
{
    return h.SetParametersToDefault();
}
int SaveToEeprom(CHardware& h, CLinkRecords&)
{
    return h.SetParametersToEEPROM();
}

} // namespace

std::vector<CLinkStep> CLinkStep::For(LinkOperation operation, int nChannel)
{
    const CLinkStep readGates("reading the gates", ReadGates);
    const CLinkStep readBoard("reading the board and channel parameters", ReadBoard);
    const CLinkStep readEvents("reading the timed events", ReadEvents);
    const CLinkStep writeGates("sending the gates", WriteGates);
    const CLinkStep writeBoard("sending the board and channel parameters", WriteBoard);
    const CLinkStep writeEvents("sending the timed events", WriteEvents);
    const CLinkStep clearEvents("clearing the timed events", ClearEvents);
    const std::string zero = "the zero of channel " + std::to_string(nChannel);
    switch (operation) {
    case LinkOperation::ReadGates:
        return {readGates};
    case LinkOperation::WriteGates:
        return {writeGates};
    case LinkOperation::ReadBoardAndChannels:
        return {readBoard};
    case LinkOperation::WriteBoardAndChannels:
        return {writeBoard};
    case LinkOperation::ReadChannelZero:
        return {CLinkStep("reading " + zero, ReadZero)};
    case LinkOperation::WriteChannelZero:
        return {CLinkStep("sending " + zero, WriteZero)};
    case LinkOperation::ReadTimedEvents:
        return {readEvents};
    case LinkOperation::WriteTimedEvents:
        return {clearEvents, writeEvents};
    case LinkOperation::ClearTimedEvents:
        return {clearEvents};
    case LinkOperation::ReadSetUp:
        return {readGates, readBoard, readEvents};
    case LinkOperation::ApplySetUp:
        // The order the board expects: its events go first, its gates last.
        return {clearEvents, writeBoard, writeEvents, writeGates};
    case LinkOperation::ResetToReady:
        return {CLinkStep("resetting the board to ready", ResetToReady)};
    case LinkOperation::ResetDefaults:
        return {CLinkStep("restoring the board's default parameters", ResetDefaults)};
    case LinkOperation::SaveToEeprom:
        return {CLinkStep("saving the parameters to the board's memory", SaveToEeprom)};
    }
    return {};
}
