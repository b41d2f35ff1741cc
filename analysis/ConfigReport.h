#pragma once
// OConfigReport: the configuration report a document prints - title, board
// values, the two channels, the gate modes and the timed events - as lines
// of text in fixed printf formats, 80 characters wide.
//
// Sources: the document's file name, gates (named by gate-selection events),
// channels (the attenuation column) and timed events; the document's working
// configuration (PMT voltage, ignitor current, range - which holds the
// board's ADC trigger level -, gate modes, channels); the online flag (always
// off in the Analyzer); the date it is printed.

#include "CfgData.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "TimedEvent.h"

#include <ctime>
#include <string>
#include <vector>

class ODVDocData;

struct OReportInputs {
    std::string fileName;
    bool online = false;
    std::string date; // "MM/DD/YY"; empty: today
    OCfgData cfg;
    CGateParameters gates;
    CChannelParameters channels;
    CTimedEvent events;

    static OReportInputs FromDocument(const ODVDocData& document);
};

class OConfigReport {
public:
    static constexpr const char* kTitle = "Tarvolin Configuration Report";

    static std::vector<std::string> Build(const OReportInputs& inputs);
    static std::string Text(const OReportInputs& inputs);

    // The parts, for the tests and the views.
    static std::string ShortDate(std::time_t when);
    static std::string InterpolationText(int interpolation);
    static std::string OperatorText(int compactCode);
    static std::string EventTypeText(int code);
    static std::string EventValueText(const CTimedEventData& event, const CGateParameters& gates);
};
