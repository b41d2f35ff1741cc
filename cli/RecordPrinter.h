#pragma once
// Readable text of the instrument records, one named field per line, shared
// by every file the command-line tool prints.

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "TimedEvent.h"

#include <ostream>
#include <string>

namespace printer {

// Shortest text that reads back as the same double (0.1, not 0.1000000000000000055).
std::string Number(double value);
// The same for a single-precision value (0.1f reads 0.1, not 0.10000000149011612).
std::string Number(float value);

void PrintGates(std::ostream& out, const CGateParameters& gates);
void PrintBoard(std::ostream& out, const CBoardParameters& board);
void PrintChannels(std::ostream& out, const CChannelParameters& channels);
void PrintEvents(std::ostream& out, const CTimedEvent& events);

} // namespace printer
