#include "CoreInterface.h"

#include "FilePaths.h"
#include "Hardware.h"
#include "QuillonIniConfig.h"

#include <memory>
#include <mutex>

namespace {

std::mutex g_lock;
std::unique_ptr<CStatusPollar> g_pPoller;

CStatusPollar& Poller()
{
    std::lock_guard guard(g_lock);
    if (!g_pPoller)
        g_pPoller = std::make_unique<CStatusPollar>(*CHardware::Instance());
    return *g_pPoller;
}

} // namespace

int CCoreInterface::Initialize()
{
    CQuillonIniConfig::Initialize(CFilePaths::GetConfigPath() + "/TarvolinMonitorIniSettings.ini");
    CHardware* hardware = CHardware::Instance();
    // The port is opened exclusively: a second call keeps the open one.
    if (!hardware->IsPortOpen())
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
    {
        std::lock_guard guard(g_lock);
        if (g_pPoller)
            g_pPoller->Stop();
    }
    CHardware::Instance()->Close();
}

CHardwareStatus* CCoreInterface::GetSystemStatus() { return Poller().GetStatus(); }

int CCoreInterface::GetPulseData(CPulseData& pulse)
{
    Poller().GetPulseData(pulse);
    return 0;
}

void CCoreInterface::SetNotifier(CStatusPollar::Notifier notifier)
{
    Poller().SetNotifier(std::move(notifier));
}

int CCoreInterface::GetAllGates(CGateParameters& gates) { return CHardware::Instance()->GetAllGates(gates); }
int CCoreInterface::SetAllGates(const CGateParameters& gates) { return CHardware::Instance()->SetAllGates(gates); }

int CCoreInterface::GetBoardAndChannelParameters(CBoardParameters& board, CChannelParameters& channels)
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

int CCoreInterface::GetTimedEvent(CTimedEvent& events) { return CHardware::Instance()->GetTimedEvent(events); }
int CCoreInterface::SetTimedEvent(const CTimedEvent& events) { return CHardware::Instance()->SetTimedEvent(events); }
int CCoreInterface::ClearTimedEvent() { return CHardware::Instance()->ClearAllTimedEvent(); }
int CCoreInterface::ResetToReady() { return CHardware::Instance()->ResetToReady(); }
int CCoreInterface::ResetDefaults() { return CHardware::Instance()->SetParametersToDefault(); }
int CCoreInterface::SaveTOEEPROM() { return CHardware::Instance()->SetParametersToEEPROM(); }
