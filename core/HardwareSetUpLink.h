#pragma once
// A set-up sent through a command set of the caller's own (the command line's
// link on its port), one blocking exchange per step.

#include "SetUpSequence.h"

class CHardware;

class CHardwareSetUpLink : public ISetUpLink {
public:
    explicit CHardwareSetUpLink(CHardware& hardware) : m_hardware(hardware) {}

    int ClearTimedEvents() override;
    int SetBoardAndChannels(const CBoardParameters& board,
                            const CChannelParameters& channels) override;
    int SetTimedEvents(const CTimedEvent& events) override;
    int SetGates(const CGateParameters& gates) override;

private:
    CHardware& m_hardware;
};
