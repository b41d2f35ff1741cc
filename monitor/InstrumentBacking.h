#pragma once
// The dialogs' backing on the board: each request goes to the instrument
// link's own thread as a queued request (CCoreInterface::Submit) and its
// result comes back to the GUI thread as a queued call, so the window never
// waits for the board. Requests run in the order started, one exchange at a
// time between the link's status polls.
//
// A set-up is applied in the order the board expects: clear the timed
// events, send the board and channel records, the timed events, the gates.
// It stops at the first step that fails and says which, and why (no reply,
// a bad CRC, a wrong reply, the port absent). A cancelled request is dropped
// before it begins, or stopped before its next exchange. An empty event
// program is sent as the clearing alone (the board has no empty table).

#include "LinkRequest.h"
#include "LinkRequester.h"
#include "ParameterBacking.h"

class CInstrumentBacking : public CParameterBacking {
    Q_OBJECT
public:
    explicit CInstrumentBacking(QObject* parent = nullptr);
    // Cancels what is pending; results still on their way are dropped.
    // Never waits for the board.
    ~CInstrumentBacking() override;

    int Start(const CBackingRequest& request, Completion done) override;
    std::string BusyText(BackingOperation operation) const override
    {
        return BoardBusyText(operation);
    }
    bool IsInstrument() const override { return true; }

    // The link request for a dialog's request, and the dialog's result for
    // the link's: the records, and a message that names the step that failed
    // and why ("Step 3 of 4, sending the timed events, failed: no reply to
    // command 0x20 within 5000 ms.").
    static CLinkRequest ToLinkRequest(const CBackingRequest& request);
    static CBackingResult ToBackingResult(BackingOperation operation, const CLinkResult& result);

private:
    CLinkRequester m_requester;
};
