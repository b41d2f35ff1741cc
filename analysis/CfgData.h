#pragma once
// OCfgData: the working configuration of one Analyzer document - the gate
// modes, channels and board values its chromatogram and its report are made
// from. Each document owns one, so what one run shows never depends on what
// else is open.
//
// A new one holds: no gate modes, PMT voltage 0, trigger level 1, range 1,
// ignitor current, flows and coefficients 0, both channels all 0, and type
// number 1 in the first two gate modes; the rest as CBaseConfigDataIo has it.

#include "BaseConfigDataIo.h"
#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "TimedEvent.h"

class OCfgData : public CBaseConfigDataIo {
public:
    OCfgData();

    // Fills the configuration from a data file's or a ".cnfg" file's records:
    //  1. n = number of gates whose mode text is not empty;
    //  2. gate modes 0 to n - 1 take gates 0 to n - 1 (whichever of them are
    //     set): windows, alpha, square root (1 when set), mode, type number,
    //     and the operator as its compact code ("+" 1, "-" 0, "*" 2, "/" 3;
    //     any other operator keeps the previous code); modes n to 4 stay;
    //  3. both channels: zero value (the channel zero), interpolation, gate
    //     index and scalar channel;
    //  4. board: PMT voltage, ignitor current (the board's thousandths as
    //     amperes), trigger level, and the ADC trigger level into the range;
    //  5. the events replace the configuration's events.
    void Derive(const CGateParameters& gates, const CChannelParameters& channels,
                const CBoardParameters& board, const CTimedEvent& events);

    // The compact operator code of a GateOperator; -1 for " " and unknown values.
    static int CompactOperator(unsigned short gateOperator);
};
