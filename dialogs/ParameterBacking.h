#pragma once
// What the parameter dialogs read their records from and write them to: the
// board (the Monitor's instrument backing) or an open data file (the
// Analyzer's document backing). The dialogs only ever see this interface.
//
// Every request is asynchronous. Start() returns at once with an id; the
// completion runs later, on the thread the backing lives on (the GUI
// thread), never inside Start(), and exactly once, unless the request is
// cancelled first. Requests of one backing complete in the order they were
// started. Cancel() means "stop waiting": a request that has not begun is
// dropped; one already talking to the board runs to its end (each exchange
// is bounded) and its result is thrown away; a set-up being applied stops
// before its next step.
//
//   operation              records in              records out
//   ReadGates              -                       gates
//   WriteGates             gates                   -
//   ReadBoardAndChannels   -                       board, channels
//   WriteBoardAndChannels  board, channels         -
//   ReadChannelZero        channels, channel n     channels (channel n's zero read)
//   WriteChannelZero       channels, channel n     -
//   ReadTimedEvents        -                       events
//   WriteTimedEvents       events                  -   (clears the board's events first)
//   ReadSetUp              -                       gates, board, channels, events
//   ApplySetUp             all four                -   (clear events, board and channels,
//                                                       events, gates: in this order)

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "TimedEvent.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

enum class BackingOperation {
    ReadGates,
    WriteGates,
    ReadBoardAndChannels,
    WriteBoardAndChannels,
    ReadChannelZero,
    WriteChannelZero,
    ReadTimedEvents,
    WriteTimedEvents,
    ReadSetUp,
    ApplySetUp,
};

struct CBackingRecords {
    CGateParameters gates;
    CBoardParameters board;
    CChannelParameters channels;
    CTimedEvent events;
    int nChannel = 1; // 1 or 2, for the channel-zero operations
};

struct CBackingRequest {
    BackingOperation operation = BackingOperation::ReadGates;
    CBackingRecords records;
};

struct CBackingResult {
    int nResult = 0;        // 1 success, 0 failure
    std::string strMessage; // why it failed, in the operator's words
    // ApplySetUp: the step (1 to 4) that failed, 0 when none did.
    int nFailedStep = 0;
    CBackingRecords records;
};

class CParameterBacking : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(const CBackingResult&)>;

    static constexpr int kApplySetUpSteps = 4;

    explicit CParameterBacking(QObject* parent = nullptr) : QObject(parent) {}
    ~CParameterBacking() override = default;

    // Returns the request's id (> 0).
    virtual int Start(const CBackingRequest& request, Completion done) = 0;
    void Cancel(int id);
    void CancelAll();
    bool IsPending(int id) const { return m_pending.count(id) != 0; }
    int GetPendingCount() const { return static_cast<int>(m_pending.size()); }

    // What the dialog shows while the request runs ("Reading the gates from the board...").
    virtual std::string BusyText(BackingOperation operation) const = 0;
    // True when the records live on the board (the dialogs then talk of "the board").
    virtual bool IsInstrument() const = 0;

    // "the gates", "the board and channel parameters", ...
    static std::string RecordsText(BackingOperation operation, int nChannel = 1);
    static bool IsWrite(BackingOperation operation);
    // The busy text of a backing that talks to the board:
    // "Reading the gates from the board...", "Sending the timed events to the board...".
    static std::string BoardBusyText(BackingOperation operation);

signals:
    void requestStarted(int id, BackingOperation operation);
    void requestFinished(int id, BackingOperation operation, int result);

protected:
    // For implementations: registers a request and returns its id and the
    // flag that Cancel sets (read it from any thread).
    int Register(BackingOperation operation, Completion done,
                 std::shared_ptr<std::atomic<bool>>* cancelled = nullptr);
    // Runs the completion of a request still pending; on this object's thread.
    void Complete(int id, const CBackingResult& result);

private:
    struct Pending {
        BackingOperation operation;
        Completion done;
        std::shared_ptr<std::atomic<bool>> cancelled;
    };
    std::map<int, Pending> m_pending;
    int m_nNextId = 1;
};
