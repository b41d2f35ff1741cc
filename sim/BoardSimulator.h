#pragma once
// A simulated controller board on a pseudo-terminal, linked as <ports dir>/COM<n>, for tests,
// demos and benchmarks that must run without the detector. It answers every command of the
// board's command set byte for byte, runs a simulated GC run whose pulses carry
// chromatographic peaks, paces its replies to the line's baud rate, injects faults on
// request and counts everything it receives so that tests can assert on it.
//
// One I/O thread owns the pseudo-terminal; every public operation is thread-safe.

#include "BoardState.h"
#include "FaultPlan.h"
#include "FrameParser.h"
#include "GcRun.h"
#include "PacedWriter.h"
#include "PseudoTerminal.h"
#include "PulseGenerator.h"
#include "RequestLog.h"
#include "SimOptions.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>

struct CSimCounters {
    uint64_t requests = 0; // well-formed requests received
    std::array<uint64_t, 256> requestsByCommand{};
    uint64_t replies = 0;        // replies whose last byte has been written
    uint64_t repliesDropped = 0; // not sent: the host stopped reading long ago
    uint64_t badRequests = 0;    // garbled input thrown away (one per discard)
    uint64_t bytesDiscarded = 0;
    uint64_t unknownCommands = 0;     // acknowledged with no payload
    uint64_t badPayloads = 0;         // set commands with a block of the wrong size
    uint64_t pulsesFired = 0;         // also the index of the newest pulse
    uint64_t pulsesFetched = 0;       // 0x40 requests answered
    uint64_t eventsExecuted = 0;      // timed events the run carried out
    uint64_t eepromWriteFailures = 0; // 0x60 could not write the EEPROM file
    uint64_t runsStarted = 0;
    uint64_t runsEnded = 0;
    uint64_t bytesReceived = 0;
    uint64_t bytesSent = 0;
    uint64_t linkDrops = 0;
    uint64_t terminalsOpened = 0; // 1 after Start, one more per reconnection
    std::array<uint64_t, kSimFaultKinds> faults{};

    uint64_t Fault(SimFault kind) const { return faults[static_cast<size_t>(kind)]; }
};

// One pulse the board put on the wire in answer to 0x40, intact (the log of pulses sent).
struct CSimSentPulse {
    uint32_t index = 0;
    int32_t time = 0; // hundredths of a second from the run's start
    bool operator==(const CSimSentPulse& other) const = default;
};

class CBoardSimulator {
public:
    using Clock = std::chrono::steady_clock;

    explicit CBoardSimulator(CSimOptions options = {});
    ~CBoardSimulator();
    CBoardSimulator(const CBoardSimulator&) = delete;
    CBoardSimulator& operator=(const CBoardSimulator&) = delete;

    // Creates the pseudo-terminal, links it and starts answering: 1, or 0 with error.
    int Start(std::string& error);
    // Stops answering, closes the pseudo-terminal (hosts see a hang-up), removes the link.
    void Stop();
    bool IsStarted() const;

    const CSimOptions& GetOptions() const { return m_options; }
    // <ports dir>/COM<n>
    std::string GetLinkPath() const { return m_linkPath; }
    // /dev/pts/N of the current pseudo-terminal; empty while stopped or while the link is down.
    std::string GetDevicePath() const;

    // The GC run: status bit 0x0800, pulses at the pulse rate, time stamps from its start.
    // StartRun during a run changes nothing.
    void StartRun();
    void StopRun();
    bool IsRunning() const;

    void SetStatusBits(uint16_t bits);
    void ClearStatusBits(uint16_t bits);
    // Bits reported on every status request whatever the board does (0: none).
    void SetStickyStatusBits(uint16_t bits);
    uint16_t GetStatus() const;

    // Fault injection. AddFault returns an id for RemoveFault.
    int AddFault(const CSimFaultRule& rule);
    void RemoveFault(int id);
    void ClearFaults();
    // Unplugs the board: closes the pseudo-terminal now (hosts see a hang-up), leaves the
    // link pointing nowhere for downMs, then links a new pseudo-terminal. Returns 1 once the
    // old one is closed, 0 when the simulator is not running.
    int DropLink(int downMs);

    // A copy of everything the board holds.
    CSimBoardSnapshot GetState() const;
    // Preset what the board holds, as a host would with the set commands.
    void SetParameters(const CSimParameterSet& set);
    void SetGates(const CGateParameters& gates);
    void SetBoardAndChannel(const CBoardParameters& board, const CChannelParameters& channels);
    void SetTimedEvents(const CTimedEvent& events);
    void SetRevisions(const std::string& firmware, const std::string& board);
    // Answer a command with exactly this payload from now on (for short or odd blocks);
    // std::nullopt gives the board its own answer back. The command still takes effect.
    void SetReplyOverride(uint8_t command, std::optional<CByteArray> payload);
    // Extra time before the board answers one command (std::nullopt: back to the options').
    void SetCommandLatency(uint8_t command, std::optional<double> milliseconds);
    // Put exactly these bytes on the wire as the reply to a command, unframed, for replies no
    // honest board sends: torn packets, lying length fields. Split and garbage faults still
    // apply. The command still takes effect.
    void SetRawReply(uint8_t command, std::optional<CByteArray> wireBytes);

    CSimCounters GetCounters() const;
    // Every pulse sent in an intact reply to 0x40 (a reply no fault damaged or
    // withheld), in the order sent; repeats of the latest pulse included.
    std::vector<CSimSentPulse> GetSentPulses() const;
    // Requests received so far, of one command code or (-1) of all.
    uint64_t GetRequestCount(int command = -1) const;
    // Wait for the event, never for a fixed time: true once it happened, false at the deadline.
    // The predicate runs under the simulator's lock: it must not call the simulator.
    bool WaitForRequests(uint64_t count, std::chrono::milliseconds timeout, int command = -1) const;
    bool WaitFor(const std::function<bool(const CSimCounters&)>& done,
                 std::chrono::milliseconds timeout) const;

private:
    // I/O thread.
    void Loop();
    void ServiceLocked(Clock::time_point now);
    void BeginRunLocked(Clock::time_point now);
    void EndRunLocked();
    void ApplyEventLocked(const CTimedEventData& event);
    void ReadRequests(Clock::time_point now);
    void HandleItems(std::vector<CFrameParser::CItem>& items, Clock::time_point arrival);
    // false when the request took the link down and the rest of the input is gone with it.
    bool HandleRequestLocked(const CFrameParser::CItem& item, Clock::time_point arrival);
    CByteArray Garbage(int count);
    void Transmit(Clock::time_point now);
    void DropLocked(Clock::time_point now, int downMs);
    void Reconnect(Clock::time_point now);
    Clock::time_point NextWakeLocked(Clock::time_point now) const;
    double SecondsSinceStart(Clock::time_point now) const;
    void Wake() const;

    const CSimOptions m_options;
    const std::string m_linkPath;
    const CPulseGenerator m_generator;

    std::mutex m_control; // serialises Start and Stop
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    // Guarded by m_lock.
    CBoardState m_board;
    CFaultPlan m_faults;
    CGcRun m_run;
    Clock::time_point m_runStart{};
    CSimCounters m_counters;
    std::vector<CSimSentPulse> m_sentPulses;
    CSimSentPulse m_latestPulse; // index 0 until the first pulse fires
    std::map<uint8_t, CByteArray> m_rawReplies;
    std::map<uint8_t, double> m_commandLatencyMs;
    std::string m_devicePath;
    bool m_started = false;
    bool m_stopRequested = false;
    int m_dropRequestMs = -1;
    uint64_t m_dropsDone = 0;
    bool m_runAfterPending = false;
    Clock::time_point m_startTime{};

    // Owned by the I/O thread while it runs (and by Start/Stop around it).
    std::thread m_thread;
    CPseudoTerminal m_pty;
    CPortLink m_link;
    CFrameParser m_parser;
    CPacedWriter m_writer;
    CRequestLog m_log;
    std::mt19937 m_garbageRandom;
    const int m_wakeFd; // eventfd that interrupts the I/O thread's wait; lives as long as this
    Clock::time_point m_rxFreeAt{};
    Clock::time_point m_lastRxAt{};
    std::optional<Clock::time_point> m_reconnectAt;
    bool m_txBlocked = false;
};
