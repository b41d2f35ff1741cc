#include "LinkRequester.h"

#include "CoreInterface.h"

#include <QMetaObject>

CLinkRequester::CLinkRequester(QObject* parent)
    : QObject(parent), m_pGate(std::make_shared<CGate>())
{
    m_pGate->pRequester = this;
}

CLinkRequester::~CLinkRequester()
{
    // After this, nothing new is posted; what was posted goes with the object.
    std::lock_guard guard(m_pGate->lock);
    m_pGate->pRequester = nullptr;
}

int CLinkRequester::Submit(const CLinkRequest& request, Done done)
{
    // The completion runs on the link thread (or here, when the link is not
    // running): it only posts the result to this object's thread.
    return CCoreInterface::Submit(
        request, [gate = m_pGate, done = std::move(done)](const CLinkResult& result) {
            std::lock_guard guard(gate->lock);
            if (CLinkRequester* requester = gate->pRequester)
                QMetaObject::invokeMethod(
                    requester,
                    [done, result] {
                        if (done)
                            done(result);
                    },
                    Qt::QueuedConnection);
        });
}

void CLinkRequester::Cancel(int id)
{
    CCoreInterface::Cancel(id);
}
