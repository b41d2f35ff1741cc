#pragma once
// The timed-events dialog's rules, apart from its widgets: the list row of an
// event, which value control each event code uses, the stored channel, the
// value checks and the recording rules checked on OK.

#include "GateParameters.h"
#include "TimedEvent.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

class CTimedEventRules {
public:
    // The list shows a program of at most 12 events; Add stops there.
    static constexpr int kMaxListedEvents = 12;
    // The event list of the dialog: position = event code - 1.
    static constexpr std::array<const char*, 7> kCodeTexts{
        "Gate Selection", "Record",         "Ignitor Current", "n/a",
        "AutoZero",       "Reset to Ready", "Scalar"};

    enum class ValueControl {
        List,         // the value list (1071)
        IgnitorEdit,  // the number field (1072) with its unit "A"
        NotApplicable // the read-only "n/a" field (1005)
    };

    struct CControls {
        ValueControl control = ValueControl::NotApplicable;
        bool bChannelEnabled = true;
        bool bValueListEnabled = false;
        // The value list's texts with their values, in list order.
        std::vector<std::pair<std::string, double>> choices;
        std::string unit;
    };

    // "%13.2lf\t%s\t%12d\t%15s": time in minutes, the code's text padded to
    // 20 characters, channel 1 or 2, and the value text (ValueText).
    static std::string RowText(const CTimedEventData& event, const CGateParameters& gates);
    // Gate Selection: the mode text of gate value - 1 (empty past gate 5);
    // Record, AutoZero: "ON" for 1, "OFF" for 0, else empty; n/a, Reset to
    // Ready: "n/a"; Scalar: the whole number; Ignitor Current: "%15.3lf".
    static std::string ValueText(const CTimedEventData& event, const CGateParameters& gates);

    static CControls ControlsFor(int code, const CGateParameters& gates);
    // Codes 1, 2, 3, 5 keep channel 0; codes 4, 6, 7 the channel list's position.
    static unsigned char StoredChannel(int code, int channelPosition);
    // The channel list's position for a stored channel: 0 for "1", 1 for "2".
    static int ChannelPosition(unsigned char storedChannel) { return storedChannel == 0 ? 0 : 1; }

    // The value check before Add and Change: 1, or 0 with the message to show.
    static int CheckValue(int code, double value, std::string& message);
    // Whether Add may add one more event.
    static bool CanAdd(const CTimedEvent& events) { return events.GetCount() < kMaxListedEvents; }
    // Whether the list shows the program (a longer one shows an empty list).
    static bool IsListed(const CTimedEvent& events)
    {
        return events.GetCount() <= kMaxListedEvents;
    }

    // Minutes to hundredths of a second, truncated toward zero.
    static long long Hundredths(double minutes);
    // The recording rules of OK: 1 when the program may be sent, 0 with the
    // message. With two or more events of one kind no rule applies.
    static int CheckRecordingRules(const CTimedEvent& events, std::string& message);
};
