// The timed-events dialog's rules: event rows with their odd widths, the
// event-code to control table, the stored channel, value checks, the
// recording rules of OK and the 12-event limit.

#include "TimedEventRules.h"

#include <gtest/gtest.h>

namespace {

CTimedEventData Event(double minutes, int code, unsigned char channel, double value)
{
    CTimedEventData e;
    e.SetEventTime(minutes);
    e.SetEventCode(static_cast<EventCode>(code));
    e.SetEventChannel(channel);
    e.SetEventValue(value);
    return e;
}

CGateParameters NamedGates()
{
    CGateParameters gates;
    const unsigned short modes[] = {GM_S, GM_P, GM_S, GM_N, GM_UD};
    for (int i = 0; i < 5; ++i)
        gates[i].SetType(modes[i]);
    gates.Sort(); // S, P, S-2, N, UD
    return gates;
}

struct RowCase {
    const char* name;
    CTimedEventData event;
    const char* row;
};

class EventRow : public testing::TestWithParam<RowCase> {};

TEST_P(EventRow, HasTheListFormat)
{
    EXPECT_EQ(CTimedEventRules::RowText(GetParam().event, NamedGates()), GetParam().row);
}

// "%13.2lf\t%s\t%12d\t%15s", the code's text padded to 20 characters; by hand.
INSTANTIATE_TEST_SUITE_P(
    Events, EventRow,
    testing::Values(RowCase{"RecordOn", Event(1.5, EC_RECORD, 0, 1),
                            "         1.50\tRecord              \t           1\t             ON"},
                    RowCase{"RecordOff", Event(2, EC_RECORD, 0, 0),
                            "         2.00\tRecord              \t           1\t            OFF"},
                    RowCase{"RecordHalf", Event(2, EC_RECORD, 0, 0.5),
                            "         2.00\tRecord              \t           1\t               "},
                    RowCase{"GateThreeIsS2", Event(0.25, EC_GATE_SELECTION, 0, 3),
                            "         0.25\tGate Selection      \t           1\t            S-2"},
                    RowCase{"GateSixIsNone", Event(0.25, EC_GATE_SELECTION, 0, 6),
                            "         0.25\tGate Selection      \t           1\t               "},
                    RowCase{"GateZeroIsNone", Event(0.25, EC_GATE_SELECTION, 0, 0),
                            "         0.25\tGate Selection      \t           1\t               "},
                    RowCase{"Ignitor", Event(10, EC_IGNITOR_CURRENT, 0, 2.5),
                            "        10.00\tIgnitor Current     \t           1\t          2.500"},
                    RowCase{"NotApplicableOnChannelTwo", Event(3, EC_NA, 1, 0),
                            "         3.00\tN/A                 \t           2\t            n/a"},
                    RowCase{"AutozeroOn", Event(4, EC_AUTOZERO, 0, 1),
                            "         4.00\tAutozero            \t           1\t             ON"},
                    RowCase{"ResetToReady", Event(12345.678, EC_RESET_TO_READY, 0, 0),
                            "     12345.68\tReset to Ready      \t           1\t            n/a"},
                    RowCase{"Scalar", Event(5, EC_SCALAR, 7, 4096),
                            "         5.00\tScalar              \t           2\t           4096"},
                    RowCase{"UnknownCode", Event(6, 9, 0, 3),
                            "         6.00\t                    \t           1\t               "}),
    [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

struct ControlsCase {
    int code;
    CTimedEventRules::ValueControl control;
    bool channel;
    bool valueList;
    size_t choices;
    const char* first;
    double firstValue;
};

class EventControls : public testing::TestWithParam<ControlsCase> {};

TEST_P(EventControls, FollowTheEventCode)
{
    const ControlsCase& c = GetParam();
    const auto controls = CTimedEventRules::ControlsFor(c.code, NamedGates());
    EXPECT_EQ(controls.control, c.control);
    EXPECT_EQ(controls.bChannelEnabled, c.channel);
    EXPECT_EQ(controls.bValueListEnabled, c.valueList);
    ASSERT_EQ(controls.choices.size(), c.choices);
    if (c.choices > 0) {
        EXPECT_EQ(controls.choices.front().first, c.first);
        EXPECT_EQ(controls.choices.front().second, c.firstValue);
    }
}

using VC = CTimedEventRules::ValueControl;
INSTANTIATE_TEST_SUITE_P(
    Codes, EventControls,
    testing::Values(ControlsCase{EC_GATE_SELECTION, VC::List, false, true, 5, "S", 1},
                    ControlsCase{EC_RECORD, VC::List, false, true, 2, "Off", 0},
                    ControlsCase{EC_IGNITOR_CURRENT, VC::IgnitorEdit, false, false, 0, "", 0},
                    ControlsCase{EC_NA, VC::NotApplicable, true, false, 0, "", 0},
                    ControlsCase{EC_AUTOZERO, VC::List, true, true, 2, "Off", 0},
                    ControlsCase{EC_RESET_TO_READY, VC::NotApplicable, true, false, 0, "", 0},
                    ControlsCase{EC_SCALAR, VC::List, true, true, 13, "1", 1}));

TEST(TimedEventRulesTest, ListValuesAreWhatTheEventStores)
{
    const auto gates = CTimedEventRules::ControlsFor(EC_GATE_SELECTION, NamedGates());
    EXPECT_EQ(gates.choices[2], (std::pair<std::string, double>{"S-2", 3}));
    EXPECT_EQ(gates.choices[4], (std::pair<std::string, double>{"UD", 5}));
    const auto scalar = CTimedEventRules::ControlsFor(EC_SCALAR, NamedGates());
    EXPECT_EQ(scalar.choices.back(), (std::pair<std::string, double>{"4096", 4096}));
    EXPECT_EQ(CTimedEventRules::ControlsFor(EC_IGNITOR_CURRENT, NamedGates()).unit, "A");
}

TEST(TimedEventRulesTest, ChannelIsStoredOnlyForNaResetAndScalar)
{
    const unsigned char expectedForSecond[] = {0, 0, 0, 1, 0, 1, 1}; // codes 1..7, channel "2"
    for (int code = 1; code <= 7; ++code) {
        EXPECT_EQ(CTimedEventRules::StoredChannel(code, 1), expectedForSecond[code - 1]) << code;
        EXPECT_EQ(CTimedEventRules::StoredChannel(code, 0), 0) << code;
    }
    EXPECT_EQ(CTimedEventRules::ChannelPosition(0), 0);
    EXPECT_EQ(CTimedEventRules::ChannelPosition(1), 1);
}

struct ValueCase {
    int code;
    double value;
    const char* message; // nullptr: accepted
};

class EventValue : public testing::TestWithParam<ValueCase> {};

TEST_P(EventValue, IsCheckedBeforeAddAndChange)
{
    std::string message;
    const int ok = CTimedEventRules::CheckValue(GetParam().code, GetParam().value, message);
    if (!GetParam().message) {
        EXPECT_EQ(ok, 1);
    } else {
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(message, GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, EventValue,
    testing::Values(ValueCase{EC_GATE_SELECTION, 6, "Enter a number between 1 and 5"},
                    ValueCase{EC_GATE_SELECTION, 0, "Enter a number between 1 and 5"},
                    ValueCase{EC_GATE_SELECTION, 5, nullptr},
                    ValueCase{EC_GATE_SELECTION, 1, nullptr}, ValueCase{EC_RECORD, 1, nullptr},
                    ValueCase{EC_RECORD, 2, "Enter a number between 0 and 1"},
                    ValueCase{EC_AUTOZERO, -1, "Enter a number between 0 and 1"},
                    ValueCase{EC_IGNITOR_CURRENT, 3, nullptr},
                    ValueCase{EC_IGNITOR_CURRENT, 3.001, "Enter a number between 0 and 3"},
                    ValueCase{EC_SCALAR, 4096, nullptr},
                    ValueCase{EC_SCALAR, 0, "Enter a number between 1 and 4096"},
                    ValueCase{EC_NA, 99, nullptr}, ValueCase{EC_RESET_TO_READY, -7, nullptr}));

struct RulesCase {
    const char* name;
    std::vector<CTimedEventData> events;
    const char* message; // nullptr: may be sent
};

class RecordingRules : public testing::TestWithParam<RulesCase> {};

TEST_P(RecordingRules, AreCheckedOnOk)
{
    CTimedEvent events;
    for (const CTimedEventData& e : GetParam().events)
        events.AddTimedEvent(e);
    std::string message;
    const int ok = CTimedEventRules::CheckRecordingRules(events, message);
    if (!GetParam().message) {
        EXPECT_EQ(ok, 1) << message;
    } else {
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(message, GetParam().message);
    }
}

const char kNeedsStop[] = "Record Start must always have a following Record Stop or Reset to Ready";
const char kMustPrecede[] =
    "Record Start must always precede the Record Stop or Reset to Ready time";

INSTANTIATE_TEST_SUITE_P(
    Programs, RecordingRules,
    testing::Values(RulesCase{"StartWithoutStop", {Event(1.0, EC_RECORD, 0, 1)}, kNeedsStop},
                    RulesCase{"StopBeforeStart",
                              {Event(2.0, EC_RECORD, 0, 1), Event(1.5, EC_RECORD, 0, 0)},
                              kMustPrecede},
                    RulesCase{"StopAtTheStart",
                              {Event(2.0, EC_RECORD, 0, 1), Event(2.0, EC_RECORD, 0, 0)},
                              nullptr},
                    RulesCase{"TwoStartsNoStop",
                              {Event(1.0, EC_RECORD, 0, 1), Event(3.0, EC_RECORD, 0, 1)},
                              nullptr},
                    RulesCase{"ResetBeforeStart",
                              {Event(1.0, EC_RECORD, 0, 1), Event(0.5, EC_RESET_TO_READY, 0, 0)},
                              kMustPrecede},
                    RulesCase{"ResetAfterStart",
                              {Event(1.0, EC_RECORD, 0, 1), Event(3.0, EC_RESET_TO_READY, 0, 0)},
                              nullptr},
                    RulesCase{"StopAfterButResetBefore",
                              {Event(1.0, EC_RECORD, 0, 1), Event(2.0, EC_RECORD, 0, 0),
                               Event(0.2, EC_RESET_TO_READY, 0, 0)},
                              kMustPrecede},
                    RulesCase{"SameHundredthIsNotBefore",
                              {Event(1.00001, EC_RECORD, 0, 1), Event(1.0, EC_RECORD, 0, 0)},
                              nullptr},
                    RulesCase{"HalfARecordIsNoStart", {Event(1.0, EC_RECORD, 0, 0.5)}, nullptr},
                    RulesCase{"StopWithoutStart", {Event(1.0, EC_RECORD, 0, 0)}, nullptr},
                    RulesCase{"TwoStopsBeforeOneStart",
                              {Event(5.0, EC_RECORD, 0, 1), Event(1.0, EC_RECORD, 0, 0),
                               Event(2.0, EC_RECORD, 0, 0)},
                              nullptr},
                    RulesCase{"Empty", {}, nullptr}),
    [](const testing::TestParamInfo<RulesCase>& info) { return std::string(info.param.name); });

TEST(TimedEventRulesTest, TwelveEventsAreListedAndTheThirteenthIsNotAdded)
{
    CTimedEvent events;
    for (int i = 0; i < 11; ++i)
        events.AddTimedEvent(Event(i, EC_NA, 0, 0));
    EXPECT_TRUE(CTimedEventRules::CanAdd(events));
    events.AddTimedEvent(Event(11, EC_NA, 0, 0));
    EXPECT_FALSE(CTimedEventRules::CanAdd(events));
    EXPECT_TRUE(CTimedEventRules::IsListed(events));
    events.AddTimedEvent(Event(12, EC_NA, 0, 0));
    EXPECT_FALSE(CTimedEventRules::IsListed(events));
}

TEST(TimedEventRulesTest, MinutesBecomeTruncatedHundredths)
{
    EXPECT_EQ(CTimedEventRules::Hundredths(2.5), 15000);
    EXPECT_EQ(CTimedEventRules::Hundredths(1.0), 6000);
    EXPECT_EQ(CTimedEventRules::Hundredths(0.0001), 0);
    EXPECT_EQ(CTimedEventRules::Hundredths(-0.5), -3000);
}

} // namespace
