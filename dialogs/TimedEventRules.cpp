#include "TimedEventRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string Printf(const char* format, auto... values)
{
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::vector<std::pair<std::string, double>> OffOn()
{
    return {{"Off", 0.0}, {"On", 1.0}};
}

} // namespace

std::string CTimedEventRules::ValueText(const CTimedEventData& event, const CGateParameters& gates)
{
    const double value = event.GetEventValue();
    switch (event.GetEventCode()) {
    case EC_GATE_SELECTION: {
        const double gate = value - 1.0;
        if (!(gate >= 0.0 && gate < CGateParameters::kGates))
            return {};
        return gates[static_cast<int>(gate)].GetModeText();
    }
    case EC_RECORD:
    case EC_AUTOZERO:
        return value == 1.0 ? "ON" : value == 0.0 ? "OFF" : "";
    case EC_NA:
    case EC_RESET_TO_READY:
        return "n/a";
    case EC_SCALAR:
        return std::isfinite(value) && std::abs(value) < 2147483648.0
                   ? Printf("%d", static_cast<int>(value))
                   : "";
    case EC_IGNITOR_CURRENT:
        return Printf("%15.3lf", value);
    default:
        return {};
    }
}

std::string CTimedEventRules::RowText(const CTimedEventData& event, const CGateParameters& gates)
{
    std::string code = event.GetEventCodeString();
    if (code.size() < 20)
        code.resize(20, ' ');
    return Printf("%13.2lf\t%s\t%12d\t%15s", event.GetEventTime(), code.c_str(),
                  event.GetEventChannel() == 0 ? 1 : 2, ValueText(event, gates).c_str());
}

CTimedEventRules::CControls CTimedEventRules::ControlsFor(int code, const CGateParameters& gates)
{
    CControls controls;
    switch (code) {
    case EC_GATE_SELECTION:
        controls.control = ValueControl::List;
        controls.bChannelEnabled = false;
        controls.bValueListEnabled = true;
        for (int i = 0; i < CGateParameters::kGates; ++i)
            controls.choices.emplace_back(gates[i].GetModeText(), i + 1.0);
        break;
    case EC_RECORD:
        controls.control = ValueControl::List;
        controls.bChannelEnabled = false;
        controls.bValueListEnabled = true;
        controls.choices = OffOn();
        break;
    case EC_IGNITOR_CURRENT:
        controls.control = ValueControl::IgnitorEdit;
        controls.bChannelEnabled = false;
        controls.bValueListEnabled = false;
        controls.unit = "A";
        break;
    case EC_AUTOZERO:
        controls.control = ValueControl::List;
        controls.bChannelEnabled = true;
        controls.bValueListEnabled = true;
        controls.choices = OffOn();
        break;
    case EC_SCALAR:
        controls.control = ValueControl::List;
        controls.bChannelEnabled = true;
        controls.bValueListEnabled = true;
        for (int scalar = 1; scalar <= 4096; scalar *= 2)
            controls.choices.emplace_back(std::to_string(scalar), scalar);
        break;
    default: // n/a, Reset to Ready, and codes the list does not offer
        controls.control = ValueControl::NotApplicable;
        controls.bChannelEnabled = true;
        controls.bValueListEnabled = false;
        break;
    }
    return controls;
}

unsigned char CTimedEventRules::StoredChannel(int code, int channelPosition)
{
    switch (code) {
    case EC_NA:
    case EC_RESET_TO_READY:
    case EC_SCALAR:
        return channelPosition == 1 ? 1 : 0;
    default:
        return 0;
    }
}

int CTimedEventRules::CheckValue(int code, double value, std::string& message)
{
    double low = 0.0, high = 0.0;
    switch (code) {
    case EC_GATE_SELECTION:
        low = 1, high = 5;
        break;
    case EC_RECORD:
    case EC_AUTOZERO:
        low = 0, high = 1;
        break;
    case EC_IGNITOR_CURRENT:
        low = 0, high = 3;
        break;
    case EC_SCALAR:
        low = 1, high = 4096;
        break;
    default:
        return 1;
    }
    if (value >= low && value <= high)
        return 1;
    message = Printf("Enter a number between %g and %g", low, high);
    return 0;
}

long long CTimedEventRules::Hundredths(double minutes)
{
    const double hundredths = std::trunc(minutes * 60.0 * 100.0);
    if (!std::isfinite(hundredths))
        return 0;
    return static_cast<long long>(std::clamp(hundredths, -9.0e18, 9.0e18));
}

int CTimedEventRules::CheckRecordingRules(const CTimedEvent& events, std::string& message)
{
    int starts = 0, stops = 0, resets = 0;
    long long start = -1, stop = -1, reset = -1;
    for (int i = 0; i < events.GetCount(); ++i) {
        const CTimedEventData& event = events[i];
        const long long at = Hundredths(event.GetEventTime());
        if (event.GetEventCode() == EC_RECORD && event.GetEventValue() == 1.0) {
            ++starts;
            start = at;
        } else if (event.GetEventCode() == EC_RECORD && event.GetEventValue() == 0.0) {
            ++stops;
            stop = at;
        } else if (event.GetEventCode() == EC_RESET_TO_READY) {
            ++resets;
            reset = at;
        }
    }
    if (starts > 1 || stops > 1 || resets > 1 || starts == 0)
        return 1;
    if (stops == 0 && resets == 0) {
        message = "Record Start must always have a following Record Stop or Reset to Ready";
        return 0;
    }
    if ((stops == 1 && stop < start) || (resets == 1 && reset < start)) {
        message = "Record Start must always precede the Record Stop or Reset to Ready time";
        return 0;
    }
    return 1;
}
