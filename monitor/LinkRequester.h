#pragma once
// Queues requests for the instrument link's thread (CCoreInterface::Submit)
// and delivers each result on this object's thread, as a queued call: the
// window that owns it never waits for the board. Results come in the order
// the requests were submitted, never inside Submit; those still on their
// way when the requester is destroyed are dropped.

#include "LinkQueue.h"

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>

class CLinkRequester : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const CLinkResult&)>;

    explicit CLinkRequester(QObject* parent = nullptr);
    ~CLinkRequester() override;

    // The link's id of the request.
    int Submit(const CLinkRequest& request, Done done);
    // Drops the request if it has not begun, or stops it before its next
    // exchange; its result then says it was cancelled.
    void Cancel(int id);

private:
    // Lets the link thread post to this object only while it lives.
    struct CGate {
        std::mutex lock;
        CLinkRequester* pRequester = nullptr;
    };
    std::shared_ptr<CGate> m_pGate;
};
