#include "RecordPrinter.h"

#include <charconv>
#include <cmath>

namespace printer {

std::string Number(double value)
{
    if (std::isnan(value))
        return "nan";
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string Number(float value)
{
    if (std::isnan(value))
        return "nan";
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string ModeName(const CGateParameter& gate)
{
    std::string text = gate.GetModeText();
    return text.empty() ? "unknown mode " + std::to_string(gate.GetType()) : text;
}

std::string OperatorName(const CGateParameter& gate)
{
    std::string text = gate.GetOperatorText();
    return text.empty() ? "unknown operator " + std::to_string(gate.GetOperator()) : Quoted(text);
}

std::string EventName(const CTimedEventData& event)
{
    std::string text = event.GetEventCodeString();
    return text.empty() ? "unknown code " + std::to_string(static_cast<int>(event.GetEventCode()))
                        : text;
}

} // namespace

void PrintGates(std::ostream& out, const CGateParameters& gates)
{
    out << "Gates\n";
    for (int i = 0; i < CGateParameters::kGates; ++i) {
        const CGateParameter& g = gates[i];
        out << "  Gate " << i + 1 << "\n"
            << "    Mode:        " << ModeName(g) << " (type " << g.GetType() << ", type number "
            << g.GetTypeNum() << ")\n"
            << "    Window A:    " << Number(g.GetStartA()) << " to " << Number(g.GetStopA()) << "\n"
            << "    Window B:    " << Number(g.GetStartB()) << " to " << Number(g.GetStopB()) << "\n"
            << "    Operator:    " << OperatorName(g) << "\n"
            << "    Alpha:       " << Number(g.GetAlpha()) << "\n"
            << "    Square root: " << g.GetSQRTText() << "\n";
    }
}

void PrintBoard(std::ostream& out, const CBoardParameters& board)
{
    out << "Board\n"
        << "  Ignitor current:   " << Number(board.GetIgnitor() / 1000.0) << " (" << board.GetIgnitor()
        << " thousandths)\n"
        << "  PMT volts:         " << board.GetPmtVolts() << "\n"
        << "  Trigger level:     " << board.GetTriggerLevel() << "\n"
        << "  ADC trigger level: " << board.GetAdcTriggerLevel() << "\n";
}

void PrintChannels(std::ostream& out, const CChannelParameters& channels)
{
    out << "Channels\n";
    for (int i = 0; i < CChannelParameters::kChannels; ++i) {
        const CGateChannelParameters& c = channels[i];
        const int interpolation = c.GetInterpolation();
        out << "  Channel " << i + 1 << "\n"
            << "    Gate index:     " << c.GetGateIndex() << "\n"
            << "    Interpolation:  "
            << (interpolation == 0   ? "linear"
                : interpolation == 1 ? "spline"
                                     : "unknown (" + std::to_string(interpolation) + ")")
            << "\n"
            << "    Zero channel:   " << c.GetZeroChannel() << "\n"
            << "    Scalar channel: " << c.GetScalarChannel() << "\n"
            << "    Channel zero:   " << c.GetChannelZero() << "\n";
    }
}

void PrintEvents(std::ostream& out, const CTimedEvent& events)
{
    out << "Timed events: " << events.GetCount() << "\n";
    for (int i = 0; i < events.GetCount(); ++i) {
        const CTimedEventData& e = events[i];
        out << "  Event " << i + 1 << ": time " << Number(e.GetEventTime()) << ", "
            << EventName(e) << ", channel " << static_cast<int>(e.GetEventChannel()) << ", value "
            << Number(e.GetEventValue()) << "\n";
    }
}

} // namespace printer
