#include "CoreInterface.h"

#include "FilePaths.h"
#include "Hardware.h"
#include "Logs.h"
#include "QuillonIniConfig.h"

#include <memory>
#include <mutex>

namespace {

// Owns the poller. Built on first use, after the debug log's state (which it
// touches first), so at exit it is destroyed before that state: the poller
// thread stops, and the port closes, while everything they use still exists.
class CLinkOwner {
public:
    CLinkOwner() { CDebugLog::GetFilePath(); }
    ~CLinkOwner()
    {
        std::unique_ptr<CStatusPollar> poller;
        {
            std::lock_guard guard(m_lock);
            poller = std::move(m_pPoller);
        }
        if (poller) {
            poller->Stop();
            CHardware::Instance()->Close();
        }
    }
    CLinkOwner(const CLinkOwner&) = delete;
    CLinkOwner& operator=(const CLinkOwner&) = delete;

    CStatusPollar& Poller()
    {
        std::lock_guard guard(m_lock);
        if (!m_pPoller)
            m_pPoller = std::make_unique<CStatusPollar>(*CHardware::Instance());
        return *m_pPoller;
    }
    void StopPoller()
    {
        CStatusPollar* poller = nullptr;
        {
            std::lock_guard guard(m_lock);
            poller = m_pPoller.get();
        }
        // Outside the lock: the requests still queued complete as the link
        // thread ends, and a completion may reach for the poller again.
        if (poller)
            poller->Stop();
    }

private:
    std::mutex m_lock;
    std::unique_ptr<CStatusPollar> m_pPoller;
};

CLinkOwner& Owner()
{
    static CLinkOwner owner;
    return owner;
}

CStatusPollar& Poller()
{
    return Owner().Poller();
}

} // namespace

int CCoreInterface::Initialize()
{
    CQuillonIniConfig::Initialize(CFilePaths::GetConfigPath() + "/TarvolinMonitorIniSettings.ini");
    CHardware* hardware = CHardware::Instance();
    // The port is opened exclusively: a second call keeps the open one.
    if (!hardware->IsLinkOpen())
        hardware->Initialize();
    CStatusPollar& poller = Poller();
    if (poller.GetState() == CZelThreadBase::kEnded)
        poller.Restart();
    else
        poller.Start();
    return 0;
}

void CCoreInterface::Cleanup()
{
    Owner().StopPoller();
    CHardware::Instance()->Close();
}

CHardwareStatus* CCoreInterface::GetSystemStatus()
{
    return Poller().GetStatus();
}

CLinkStatus CCoreInterface::GetLinkStatus()
{
    return CHardware::Instance()->GetLinkStatus();
}

uint64_t CCoreInterface::GetRepeatedPulseCount()
{
    return Poller().GetRepeatedPulseCount();
}

int CCoreInterface::GetPulseData(CPulseData& pulse)
{
    Poller().GetPulseData(pulse);
    return 0;
}

void CCoreInterface::SetNotifier(CStatusPollar::Notifier notifier)
{
    Poller().SetNotifier(std::move(notifier));
}

int CCoreInterface::Submit(const CLinkRequest& request, CLinkQueue::Completion done)
{
    return Poller().Submit(request, std::move(done));
}

void CCoreInterface::Cancel(int id)
{
    Poller().Cancel(id);
}

int CCoreInterface::GetAllGates(CGateParameters& gates)
{
    return CHardware::Instance()->GetAllGates(gates);
}
int CCoreInterface::SetAllGates(const CGateParameters& gates)
{
    return CHardware::Instance()->SetAllGates(gates);
}

int CCoreInterface::GetBoardAndChannelParameters(CBoardParameters& board,
                                                 CChannelParameters& channels)
{
    return CHardware::Instance()->GetBoardAndChannelParam(board, channels);
}

int CCoreInterface::SetBoardAndChannelParameters(const CBoardParameters& board,
                                                 const CChannelParameters& channels)
{
    return CHardware::Instance()->SetBoardAndChannelParam(board, channels);
}

int CCoreInterface::GetChannelParamZero(CChannelParameters& channels, int channel)
{
    return CHardware::Instance()->GetChannelParamZero(channels, channel);
}

int CCoreInterface::SetChannelParamZero(const CChannelParameters& channels, int channel)
{
    return CHardware::Instance()->SetChannelParamZero(channels, channel);
}

int CCoreInterface::GetTimedEvent(CTimedEvent& events)
{
    return CHardware::Instance()->GetTimedEvent(events);
}
int CCoreInterface::SetTimedEvent(const CTimedEvent& events)
{
    return CHardware::Instance()->SetTimedEvent(events);
}
int CCoreInterface::ClearTimedEvent()
{
    return CHardware::Instance()->ClearAllTimedEvent();
}
int CCoreInterface::ResetToReady()
{
    return CHardware::Instance()->ResetToReady();
}
int CCoreInterface::ResetDefaults()
{
    return CHardware::Instance()->SetParametersToDefault();
}
int CCoreInterface::SaveTOEEPROM()
{
    return CHardware::Instance()->SetParametersToEEPROM();
}
