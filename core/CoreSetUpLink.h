#pragma once
// A set-up sent through the process's instrument link (CCoreInterface), as
// the Monitor sends it from its worker thread.

#include "SetUpSequence.h"

class CCoreSetUpLink : public ISetUpLink {
public:
    int ClearTimedEvents() override;
    int SetBoardAndChannels(const CBoardParameters& board,
                            const CChannelParameters& channels) override;
    int SetTimedEvents(const CTimedEvent& events) override;
    int SetGates(const CGateParameters& gates) override;
};
