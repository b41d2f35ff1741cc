#include "DVChannels.h"

#include "GateParameter.h"

#include <cstdio>

std::string ODVChannels::ModeLabel(int mode, int typeNumber)
{
    if (mode < 0 || mode >= static_cast<int>(CGateParameter::modeOptions.size()))
        return "***";
    const std::string symbol = CGateParameter::ModeOptionText(static_cast<GateMode>(mode));
    if (typeNumber <= 1)
        return symbol;
    char label[32];
    std::snprintf(label, sizeof label, "%s-%d", symbol.c_str(), typeNumber);
    return label;
}

void ODVChannels::Rebuild(const OCfgData& cfg)
{
    const int used = cfg.GetNumGateModes();
    for (int m = 0; m < kGates; ++m) {
        OGateDescriptor& gate = m_gates[static_cast<size_t>(m)];
        if (m >= used) {
            gate.name.clear();
            continue;
        }
        const CFileGateModeData& mode = cfg.GetGateModeData(m);
        gate.name = "Mode " + ModeLabel(mode.GetMode(), mode.GetTypeNumber());
        gate.startA = mode.GetStartA();
        gate.widthA = mode.GetStopA() - mode.GetStartA();
        gate.startB = mode.GetStartB();
        gate.widthB = mode.GetStopB() - mode.GetStartB();
    }
}
