#pragma once
// A request a program queues for the instrument link's own thread: what to
// do (read or write records, or a one-shot command), the records it takes,
// and, once carried out, the result with the records it read.
//
// A request is a fixed list of steps of at most one exchange each; the link
// thread runs one step at a time and may poll the board's status between
// two steps, so a long request never holds the status poll back by more than
// one exchange. A request stops at the first step that fails.
//
//   operation              records in            steps (command codes)
//   ReadGates              -                     0x11
//   WriteGates             gates                 0x10
//   ReadBoardAndChannels   -                     0x13
//   WriteBoardAndChannels  board, channels       0x12
//   ReadChannelZero        channels, channel n   0x06 / 0x07
//   WriteChannelZero       channels, channel n   0x14 / 0x15
//   ReadTimedEvents        -                     0x21
//   WriteTimedEvents       events                0x22, 0x20 (none for an empty table)
//   ClearTimedEvents       -                     0x22
//   ReadSetUp              -                     0x11, 0x13, 0x21
//   ApplySetUp             all four              0x22, 0x12, 0x20 (none for an empty
//                                                table), 0x10
//   ResetToReady           -                     0x30
//   ResetDefaults          -                     0x31
//   SaveToEeprom           -                     0x60

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "ExchangeFault.h"
#include "GateParameters.h"
#include "TimedEvent.h"

#include <atomic>
#include <memory>
#include <string>

enum class LinkOperation {
    ReadGates,
    WriteGates,
    ReadBoardAndChannels,
    WriteBoardAndChannels,
    ReadChannelZero,
    WriteChannelZero,
    ReadTimedEvents,
    WriteTimedEvents,
    ClearTimedEvents,
    ReadSetUp,
    ApplySetUp,
    ResetToReady,
    ResetDefaults,
    SaveToEeprom,
};

struct CLinkRecords {
    CGateParameters gates;
    CBoardParameters board;
    CChannelParameters channels;
    CTimedEvent events;
    int nChannel = 1; // 1 or 2, for the channel-zero operations
};

struct CLinkRequest {
    LinkOperation eOperation = LinkOperation::ReadGates;
    CLinkRecords records;
    // Optional: a flag the submitter sets to stop waiting, read by the link
    // thread before each step (CLinkQueue::Cancel does the same by id).
    std::shared_ptr<const std::atomic<bool>> pCancelled;
};

struct CLinkResult {
    int nResult = 0; // 1: every step succeeded
    // The step (1-based) that failed, or that a cancel stopped the request
    // before; 0 when none did.
    int nFailedStep = 0;
    int nSteps = 0;
    // What the failed step does ("sending the timed events"); empty when none failed.
    std::string strStep;
    // Why it failed; kind Cancelled when cancelled, None on success.
    CExchangeFault fault;
    // The records as the request left them: what it read, else what it was given.
    CLinkRecords records;

    bool IsCancelled() const { return fault.GetKind() == LinkFailure::Cancelled; }
    // "sending the timed events: no reply to command 0x20 within 5000 ms"; empty on success.
    std::string GetReason() const;
};
