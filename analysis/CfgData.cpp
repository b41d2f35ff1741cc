#include "CfgData.h"

OCfgData::OCfgData()
{
    SetNumGateModes(0);
    SetPmtVoltage(0);
    SetTriggerLevel(1);
    SetRange(1);
    GetGateModeData(0).SetTypeNumber(1);
    GetGateModeData(1).SetTypeNumber(1);
}

int OCfgData::CompactOperator(unsigned short gateOperator)
{
    switch (gateOperator) {
    case GO_PLUS:
        return 1;
    case GO_MINUS:
        return 0;
    case GO_MULTIPLY:
        return 2;
    case GO_DIVIDE:
        return 3;
    default:
        return -1;
    }
}

void OCfgData::Derive(const CGateParameters& gates, const CChannelParameters& channels,
                      const CBoardParameters& board, const CTimedEvent& events)
{
    short n = 0;
    for (int g = 0; g < CGateParameters::kGates; ++g)
        if (!gates[g].GetModeText().empty())
            ++n;
    SetNumGateModes(n);

    for (int m = 0; m < n; ++m) {
        const CGateParameter& gate = gates[m];
        CFileGateModeData& mode = GetGateModeData(m);
        mode.SetStartA(static_cast<float>(gate.GetStartA()));
        mode.SetStartB(static_cast<float>(gate.GetStartB()));
        mode.SetStopA(static_cast<float>(gate.GetStopA()));
        mode.SetStopB(static_cast<float>(gate.GetStopB()));
        mode.SetAlpha(static_cast<float>(gate.GetAlpha()));
        mode.SetSquareRoot(gate.GetSqroot() != 0 ? 1 : 0);
        mode.SetMode(static_cast<short>(gate.GetType()));
        mode.SetTypeNumber(static_cast<short>(gate.GetTypeNum()));
        const int code = CompactOperator(gate.GetOperator());
        if (code >= 0)
            mode.SetOperator(static_cast<short>(code));
    }

    for (int c = 0; c < kChannels; ++c) {
        CBaseChannelData& channel = GetChannelData(c);
        channel.SetZeroValue(static_cast<short>(channels[c].GetChannelZero()));
        channel.SetInterpolation(static_cast<short>(channels[c].GetInterpolation()));
        channel.SetGateIndex(static_cast<short>(channels[c].GetGateIndex()));
        channel.SetScalarChannel(static_cast<short>(channels[c].GetScalarChannel()));
    }

    SetPmtVoltage(static_cast<short>(board.GetPmtVolts()));
    SetIgnitorCurrent(static_cast<float>(board.GetIgnitor()) / 1000.0f);
    SetTriggerLevel(static_cast<short>(board.GetTriggerLevel()));
    SetRange(static_cast<short>(board.GetAdcTriggerLevel()));

    RemoveAllEvents();
    for (int e = 0; e < events.GetCount(); ++e) {
        const CTimedEventData& event = events[e];
        AddEvent(std::make_unique<CBaseEventData>(static_cast<float>(event.GetEventTime()),
                                                  static_cast<short>(event.GetEventCode()),
                                                  static_cast<short>(event.GetEventChannel()),
                                                  static_cast<float>(event.GetEventValue())));
    }
}
