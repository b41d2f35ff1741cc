#include "CoreSetUpLink.h"

#include "CoreInterface.h"

int CCoreSetUpLink::ClearTimedEvents()
{
    return CCoreInterface::ClearTimedEvent();
}

int CCoreSetUpLink::SetBoardAndChannels(const CBoardParameters& board,
                                        const CChannelParameters& channels)
{
    return CCoreInterface::SetBoardAndChannelParameters(board, channels);
}

int CCoreSetUpLink::SetTimedEvents(const CTimedEvent& events)
{
    return CCoreInterface::SetTimedEvent(events);
}

int CCoreSetUpLink::SetGates(const CGateParameters& gates)
{
    return CCoreInterface::SetAllGates(gates);
}
