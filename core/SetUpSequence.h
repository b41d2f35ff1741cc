#pragma once
// The order in which a whole set-up goes to the board, and the words a
// failure is told in. Every program that applies a ".cnfg" file sends it
// through here, so the Monitor's Open Config and `tarvolin config apply`
// send the same requests in the same order and name a failed step alike:
//
//   step  what                                         request
//   1     clearing the timed events                    0x22, also for an empty program
//   2     sending the board and channel parameters     0x12
//   3     sending the timed events                     0x20; nothing for an empty program
//                                                      (the board has no empty table)
//   4     sending the gates                            0x10
//
// The sequence stops at the first step that fails. The board then holds the
// steps before it and not the rest: a mixture of the old and the new set-up,
// which the caller must say (kMixtureText).

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "TimedEvent.h"

#include <atomic>
#include <functional>
#include <string>

// A whole set-up: what a ".cnfg" file holds and what the board holds.
struct CSetUpRecords {
    CGateParameters gates;
    CBoardParameters board;
    CChannelParameters channels;
    CTimedEvent events;
};

// The four set commands a set-up is sent with; 1 when the board acknowledged.
class ISetUpLink {
public:
    virtual ~ISetUpLink() = default;
    virtual int ClearTimedEvents() = 0;
    virtual int SetBoardAndChannels(const CBoardParameters& board,
                                    const CChannelParameters& channels) = 0;
    virtual int SetTimedEvents(const CTimedEvent& events) = 0;
    virtual int SetGates(const CGateParameters& gates) = 0;
};

class CSetUpSequence {
public:
    static constexpr int kSteps = 4;
    static constexpr const char* kMixtureText =
        "The board may now hold a mixture of the old and the new set-up.";

    struct Result {
        int nFailedStep = 0;   // 1 to 4; 0 when every step was acknowledged
        bool bStopped = false; // stopped (cancelled) before nFailedStep, not failed in it
        std::string strMessage;
    };

    struct Options {
        // How often a step is sent before it counts as failed. Each set
        // command carries the whole of its records, so sending one again
        // after a lost acknowledgement does no harm.
        int nTries = 1;
        // Read before every step; once set the sequence stops there.
        const std::atomic<bool>* pCancelled = nullptr;
        // Called before each step is sent (step 1 to 4).
        std::function<void(int step)> onStep;
    };

    // What can be told before anything is sent: 1, or 0 with the reason
    // (a program longer than one event block can carry is refused here, not
    // half way, after the board's own program was already cleared).
    static int Check(const CSetUpRecords& records, std::string& message);

    // Sends records in the order above. 1 when every step was acknowledged;
    // 0 with result saying which step failed (or was not reached) and why.
    static int Apply(ISetUpLink& link, const CSetUpRecords& records, Result& result,
                     const Options& options);
    static int Apply(ISetUpLink& link, const CSetUpRecords& records, Result& result)
    {
        return Apply(link, records, result, Options());
    }

    // "clearing the timed events", "sending the board and channel parameters",
    // "sending the timed events", "sending the gates"; "" for another number.
    static std::string StepText(int step);
    // "Step 3 of 4, sending the timed events, failed: the board did not answer or refused it."
    static std::string FailureText(int step);
    // "Stopped before sending the timed events."
    static std::string StoppedText(int step);
};
