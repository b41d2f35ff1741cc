#include "ConfigReport.h"

#include "DVChannels.h"
#include "DVDocData.h"
#include "TextReport.h"

#include <cmath>

namespace {

using F = OTextReport;

std::string OrStars(const std::string& text)
{
    return text.empty() ? "***" : text;
}

// The integer part of an event value, when it has one an int can hold.
bool WholePart(double value, int& whole)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e9)
        return false;
    whole = static_cast<int>(value);
    return true;
}

} // namespace

OReportInputs OReportInputs::FromDocument(const ODVDocData& document)
{
    OReportInputs inputs;
    inputs.fileName = document.GetFileName();
    inputs.cfg = document.GetWorkingConfiguration();
    inputs.gates = document.GetRecords().gates;
    inputs.channels = document.GetRecords().channels;
    inputs.events = document.GetRecords().events;
    return inputs;
}

std::string OConfigReport::ShortDate(std::time_t when)
{
    std::tm local{};
    char text[32] = "";
    if (localtime_r(&when, &local))
        std::strftime(text, sizeof text, "%m/%d/%y", &local);
    return text;
}

std::string OConfigReport::InterpolationText(int interpolation)
{
    return interpolation == 0 ? "Linear" : interpolation == 1 ? "Spline" : "***";
}

std::string OConfigReport::OperatorText(int compactCode)
{
    static const char* const texts[] = {"-", "+", "*", "/"};
    return compactCode >= 0 && compactCode < 4 ? texts[compactCode] : "***";
}

std::string OConfigReport::EventTypeText(int code)
{
    static const char* const texts[] = {
        "Gate Selection", "Record",         "Ignitor Current", "N/A",
        "Autozero",       "Reset to Ready", "Scalar"};
    return code >= 1 && code <= 7 ? texts[code - 1] : "***";
}

std::string OConfigReport::EventValueText(const CTimedEventData& event,
                                          const CGateParameters& gates)
{
    const double value = event.GetEventValue();
    int whole = 0;
    switch (event.GetEventCode()) {
    case EC_GATE_SELECTION:
        // Gate numbers count from 1; a value naming no gate prints "***".
        if (WholePart(value, whole) && whole >= 1 && whole <= CGateParameters::kGates)
            return OrStars(gates[whole - 1].GetModeText());
        return "***";
    case EC_RECORD:
    case EC_AUTOZERO:
        if (!WholePart(value, whole))
            return "***";
        return whole == 1 ? "ON" : whole == 0 ? "OFF" : "***";
    case EC_IGNITOR_CURRENT:
        return F::Format("%.2f %4s", value, "AMPS");
    case EC_NA:
    case EC_RESET_TO_READY:
        return "n/a";
    default:
        return F::Format("%.0f", value);
    }
}

std::vector<std::string> OConfigReport::Build(const OReportInputs& in)
{
    const OCfgData& cfg = in.cfg;
    OTextReport report;

    report.AddLine("");
    report.AddLine("");
    report.AddLine(F::Format("%55s", kTitle));
    const std::string date = in.date.empty() ? ShortDate(std::time(nullptr)) : in.date;
    report.AddLine(F::Format("%44s", date.c_str()));
    report.AddLine("");

    report.AddLine("");
    report.AddLine("");
    report.AddLine(F::Format("     %5s             %s", "Mode:", in.online ? "Online" : "Offline"));
    report.AddLine(F::Format("     %10s        %s", "File Name:", in.fileName.c_str()));
    report.AddLine(F::Format("     %12s      %d", "PMT Voltage:", cfg.GetPmtVoltage()));
    report.AddLine(F::Format("     %10s  %.2f",
                             "Ignitor Current:", static_cast<double>(cfg.GetIgnitorCurrent())));
    report.AddLine(F::Format("     %14s    %d", "Trigger Level:", cfg.GetRange()));
    report.AddLine("");

    report.AddLine("");
    report.AddLine("");
    report.BeginTable(F::Format("     %7s  %13s  %20s  %12s  %11s", "Channel", "Zero Value",
                                "Interpolation Mode", "Attenuation", "Gate Mode"));
    for (int c = 0; c < CBaseConfigDataIo::kChannels; ++c) {
        const CBaseChannelData& channel = cfg.GetChannelData(c);
        const int gateIndex = channel.GetGateIndex();
        std::string mode = "***";
        if (gateIndex >= 0 && gateIndex < CBaseConfigDataIo::kMaxGateModes) {
            const CFileGateModeData& gate = cfg.GetGateModeData(gateIndex);
            mode = ODVChannels::ModeLabel(gate.GetMode(), gate.GetTypeNumber());
        }
        const std::string attenuation = F::Format("%d", in.channels[c].GetScalarChannel());
        report.AddLine(F::Format("     %4d    %11d %18s      %10s   %11s", c + 1,
                                 channel.GetZeroValue(),
                                 InterpolationText(channel.GetInterpolation()).c_str(),
                                 attenuation.c_str(), mode.c_str()));
    }

    report.AddLine("");
    report.AddLine("");
    report.BeginTable(F::Format("      %s    %s    %s  %s  %s  %s  %s  %s %s", "Gate", "Mode",
                                "A-Start", "A-Stop", "Operator", "Alpha", "B-Start", "B-Stop",
                                "Sqrt"));
    const int modes =
        std::min<int>(std::max<int>(cfg.GetNumGateModes(), 0), CBaseConfigDataIo::kMaxGateModes);
    for (int m = 0; m < modes; ++m) {
        const CFileGateModeData& gate = cfg.GetGateModeData(m);
        report.AddLine(
            F::Format("     %4d  %7s    %5.2f    %5.2f %6s    %7.3f  %5.2f    %5.2f %5s", m + 1,
                      ODVChannels::ModeLabel(gate.GetMode(), gate.GetTypeNumber()).c_str(),
                      static_cast<double>(gate.GetStartA()), static_cast<double>(gate.GetStopA()),
                      OperatorText(gate.GetOperator()).c_str(),
                      static_cast<double>(gate.GetAlpha()), static_cast<double>(gate.GetStartB()),
                      static_cast<double>(gate.GetStopB()), gate.GetSquareRoot() ? "ON" : "OFF"));
    }

    report.AddLine("");
    report.AddLine("");
    report.BeginTable(F::Format("      %s  %15s %16s %14s  %14s", "Event", "Start Time",
                                "Event Type", "Channel", "Value"));
    for (int e = 0; e < in.events.GetCount(); ++e) {
        const CTimedEventData& event = in.events[e];
        const std::string start = F::Format("%4.2f %3s", event.GetEventTime(), "MIN");
        const std::string channel = F::Format("%d", event.GetEventChannel());
        report.AddLine(F::Format("     %4d   %15s   %15s     %8s    %14s", e + 1, start.c_str(),
                                 EventTypeText(event.GetEventCode()).c_str(), channel.c_str(),
                                 OrStars(EventValueText(event, in.gates)).c_str()));
    }
    return report.Lines();
}

std::string OConfigReport::Text(const OReportInputs& inputs)
{
    OTextReport report;
    for (const std::string& line : Build(inputs))
        report.AddLine(line);
    return report.Text();
}
