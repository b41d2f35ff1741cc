#include "SampleConfig.h"

#include <cerrno>
#include <cstring>

namespace cli {

namespace {

CGateParameter Gate(GateMode mode, double startA, double stopA, double startB, double stopB,
                    GateOperator op, double alpha, bool squareRoot)
{
    CGateParameter gate;
    gate.SetType(static_cast<unsigned short>(mode));
    gate.SetStartA(startA);
    gate.SetStopA(stopA);
    gate.SetStartB(startB);
    gate.SetStopB(stopB);
    gate.SetOperator(static_cast<unsigned short>(op));
    gate.SetAlpha(alpha);
    gate.SetSqroot(squareRoot ? 1 : 0);
    return gate;
}

CTimedEventData Event(double time, EventCode code, unsigned char channel, double value)
{
    CTimedEventData event;
    event.SetEventTime(time);
    event.SetEventCode(code);
    event.SetEventChannel(channel);
    event.SetEventValue(value);
    return event;
}

} // namespace

CConfigFile MakeSampleConfig()
{
    CConfigFile config;
    CGateParameters& gates = config.GetGateParameters();
    // Sulfur and phosphorus windows, as a dual-channel method would use them.
    gates[0] = Gate(GM_S, 6.0, 24.0, 2.0, 4.0, GO_MINUS, 1.0, true);
    gates[1] = Gate(GM_P, 3.5, 7.5, 0.5, 2.5, GO_MINUS, 0.85, false);
    gates[2] = Gate(GM_S, 4.0, 10.0, 15.0, 24.0, GO_DIVIDE, 1.0, false);
    gates[3] = Gate(GM_C, 1.0, 3.0, 0.0, 0.0, GO_NONE, 0.0, false);
    gates[4] = Gate(GM_N, 2.0, 5.0, 18.0, 24.0, GO_MINUS, 0.1, false);
    gates.Sort();

    CBoardParameters& board = config.GetBoardParameters();
    board.SetIgnitor(2500);
    board.SetpmtVolts(620);
    board.SetTriggerLevel(40);
    board.SetAdcTriggerLevel(2048);

    CChannelParameters& channels = config.GetChannelParameters();
    for (int i = 0; i < CChannelParameters::kChannels; ++i) {
        channels[i].SetGateIndex(i);
        channels[i].SetInterpolation(i);
        channels[i].SetZeroChannel(0);
        channels[i].SetScalarChannel(10);
        channels[i].SetChannelZero(100 + 50 * i);
    }

    CTimedEvent& events = config.GetTimedEvent();
    events.AddTimedEvent(Event(0.5, EC_AUTOZERO, 1, 0));
    events.AddTimedEvent(Event(0.1, EC_RECORD, 0, 1));
    events.AddTimedEvent(Event(12.0, EC_GATE_SELECTION, 2, 3));
    events.AddTimedEvent(Event(30.0, EC_RECORD, 0, 0));
    events.AddTimedEvent(Event(30.5, EC_RESET_TO_READY, 0, 0));
    return config;
}

int WriteSampleConfig(const std::string& path, std::string& error)
{
    CConfigFile config = MakeSampleConfig();
    std::string message;
    if (config.Save(path, message))
        return 1;
    error = "cannot write " + path + ": " + (message.empty() ? std::strerror(errno) : message);
    return 0;
}

} // namespace cli
