#include "HardwareSetUpLink.h"

#include "Hardware.h"

int CHardwareSetUpLink::ClearTimedEvents()
{
    return m_hardware.ClearAllTimedEvent();
}

int CHardwareSetUpLink::SetBoardAndChannels(const CBoardParameters& board,
                                            const CChannelParameters& channels)
{
    return m_hardware.SetBoardAndChannelParam(board, channels);
}

int CHardwareSetUpLink::SetTimedEvents(const CTimedEvent& events)
{
    return m_hardware.SetTimedEvent(events);
}

int CHardwareSetUpLink::SetGates(const CGateParameters& gates)
{
    return m_hardware.SetAllGates(gates);
}
