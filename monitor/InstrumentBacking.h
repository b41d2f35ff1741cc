#pragma once
// The dialogs' backing on the board: each request runs its CCoreInterface
// calls on a worker thread of its own, one request at a time in the order
// started, and its result comes back to the GUI thread as a queued call, so
// the window stays responsive while the board takes its time to answer.
//
// A set-up is applied in the order the board expects: clear the timed
// events, send the board and channel records, the timed events, the gates.
// It stops at the first step that fails and says which. An empty event
// program is sent as the clearing alone (the board has no empty table).

#include "ParameterBacking.h"

#include <QThreadPool>

class CInstrumentBacking : public CParameterBacking {
    Q_OBJECT
public:
    explicit CInstrumentBacking(QObject* parent = nullptr);
    // Waits for a request that is talking to the board to end (each exchange is bounded).
    ~CInstrumentBacking() override;

    int Start(const CBackingRequest& request, Completion done) override;
    std::string BusyText(BackingOperation operation) const override
    {
        return BoardBusyText(operation);
    }
    bool IsInstrument() const override { return true; }

    // Carries a request out with blocking calls on the calling thread; the
    // worker runs this. A cancelled ApplySetUp stops before its next step.
    static CBackingResult Perform(const CBackingRequest& request,
                                  const std::atomic<bool>& cancelled);

private:
    QThreadPool m_worker;
};
