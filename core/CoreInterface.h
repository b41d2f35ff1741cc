#pragma once
// The one door of the instrument link that the programs use: start the link
// (settings, port, status poller) and pass parameter reads and writes to the
// board. All operations are static.
//
// Two ways to the board:
//   - Submit/Cancel queue a request for the link's own thread and return at
//     once; the completion comes later, on the link thread, in submit order
//     (see CLinkQueue). Windows use these: their thread never waits for the
//     board.
//   - The parameter operations below block the calling thread until their
//     exchange ends and return 1 on success, 0 on failure (the command line
//     uses them; CHardwareBase::GetLastFault() then says why one failed).

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "HardwareStatus.h"
#include "LinkQueue.h"
#include "LinkStatus.h"
#include "PulseData.h"
#include "StatusPollar.h"
#include "TimedEvent.h"

class CCoreInterface {
public:
    CCoreInterface() = delete;

    // Reads <config folder>/TarvolinMonitorIniSettings.ini, opens the port of
    // the settings and starts the poller. A second call keeps the open port
    // and starts no second thread. Always 0; a port that did not open shows
    // as failing exchanges.
    static int Initialize();
    // Stops the poller (joining its thread) and closes the port, so that a
    // program can end cleanly. A program that does not call it is safe too:
    // the poller is stopped at exit before the logs it writes to go away.
    static void Cleanup();

    // The poller's status record; the same pointer on every call. The word is
    // read atomically and the revision texts come as copies.
    static CHardwareStatus* GetSystemStatus();
    // The link's state: the device the port resolves to, and whether the
    // board answers there (connected, no response since, used by another
    // program, not present). A copy; never waits for an exchange.
    static CLinkStatus GetLinkStatus();
    // Pulses the board offered again under the index of the last one, which
    // the poller did not post.
    static uint64_t GetRepeatedPulseCount();
    // The latest pulse, deep-copied; an empty pulse before the first. Always 0.
    static int GetPulseData(CPulseData& pulse);
    // Where the poller's notifications go (UM_STATUS_UPDATE, UM_PULSE_DATA).
    static void SetNotifier(CStatusPollar::Notifier notifier);

    // Queues a request for the link's thread; returns its id (> 0). Before
    // Initialize and after Cleanup it fails at once ("not running"), with
    // the completion run on the calling thread.
    static int Submit(const CLinkRequest& request, CLinkQueue::Completion done);
    // Drops a request that has not begun; stops one under way before its
    // next exchange. Its completion still comes, saying it was cancelled.
    static void Cancel(int id);

    static int GetAllGates(CGateParameters& gates);
    static int SetAllGates(const CGateParameters& gates);
    static int GetBoardAndChannelParameters(CBoardParameters& board, CChannelParameters& channels);
    static int SetBoardAndChannelParameters(const CBoardParameters& board,
                                            const CChannelParameters& channels);
    static int GetChannelParamZero(CChannelParameters& channels, int channel);
    static int SetChannelParamZero(const CChannelParameters& channels, int channel);
    static int GetTimedEvent(CTimedEvent& events);
    static int SetTimedEvent(const CTimedEvent& events);
    static int ClearTimedEvent();
    static int ResetToReady();
    static int ResetDefaults();
    static int SaveTOEEPROM();
};
