// The recording rules as scripts: each case is a run of inputs (pulses with
// their time in hundredths, run-state changes, the operator's buttons, the
// outcome of each start) and the actions each input must bring, in order.
#include "RecordingRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

namespace {

struct Event {
    double minutes;
    EventCode code;
    double value;
};

struct Step {
    // "run on" / "run off"; "pulse T" (running) / "idle pulse T";
    // "manual start" / "manual stop" / "reset";
    // "started" / "refused" / "failed WHY" / "cancelled WHY" (a start's outcome);
    // "write error WHY"
    std::string input;
    // The actions, " | " between them: "append", "start timed", "stop manual",
    // "reset timed", "log TEXT", "message TEXT", "note TEXT" ("note" clears it).
    std::string expected;
};

struct RulesCase {
    const char* name;
    std::vector<Event> events;
    std::vector<Step> steps;
};

std::string Cause(RecordingCause cause)
{
    return cause == RecordingCause::Manual ? "manual" : "timed";
}

std::string Render(const CRecordingActions& actions)
{
    std::string text;
    for (const CRecordingAction& a : actions) {
        if (!text.empty())
            text += " | ";
        using Kind = CRecordingAction::Kind;
        switch (a.kind) {
        case Kind::Append:
            text += "append";
            break;
        case Kind::Start:
            text += "start " + Cause(a.cause);
            break;
        case Kind::Stop:
            text += "stop " + Cause(a.cause);
            break;
        case Kind::ResetToReady:
            text += "reset " + Cause(a.cause);
            break;
        case Kind::RunLog:
            text += "log " + a.text;
            break;
        case Kind::Message:
            text += "message " + a.text;
            break;
        case Kind::Note:
            text += a.text.empty() ? "note" : "note " + a.text;
            break;
        }
    }
    return text;
}

bool Starts(const std::string& text, const std::string& prefix, std::string& rest)
{
    if (text.rfind(prefix, 0) != 0)
        return false;
    rest = text.substr(prefix.size());
    return true;
}

CRecordingActions Apply(CRecordingRules& rules, const std::string& input, const CTimedEvent& events)
{
    using Outcome = CStartResult::Outcome;
    std::string rest;
    if (input == "run on")
        return rules.OnRunState(true);
    if (input == "run off")
        return rules.OnRunState(false);
    if (Starts(input, "pulse ", rest))
        return rules.OnPulse(std::stoll(rest), true, events);
    if (Starts(input, "idle pulse ", rest))
        return rules.OnPulse(std::stoll(rest), false, events);
    if (input == "manual start")
        return rules.OnManualStart();
    if (input == "manual stop")
        return rules.OnManualStop();
    if (input == "reset")
        return rules.OnResetToReady();
    if (input == "started")
        return rules.OnStartDone({Outcome::Started, {}});
    if (input == "refused")
        return rules.OnStartDone(
            {Outcome::Refused, "the operator chose not to replace /d/x001.KLYN"});
    if (Starts(input, "failed ", rest))
        return rules.OnStartDone({Outcome::Failed, rest});
    if (Starts(input, "cancelled ", rest))
        return rules.OnStartDone({Outcome::Cancelled, rest});
    if (Starts(input, "write error ", rest))
        return rules.OnRecordingFailed(rest);
    ADD_FAILURE() << "unknown input " << input;
    return {};
}

class RecordingRulesTest : public testing::TestWithParam<RulesCase> {};

TEST_P(RecordingRulesTest, ActsAsTheScriptSays)
{
    CTimedEvent events;
    for (const Event& e : GetParam().events) {
        CTimedEventData data;
        data.SetEventTime(e.minutes);
        data.SetEventCode(e.code);
        data.SetEventValue(e.value);
        events.AddTimedEvent(data);
    }
    CRecordingRules rules;
    int n = 0;
    for (const Step& step : GetParam().steps) {
        EXPECT_EQ(Render(Apply(rules, step.input, events)), step.expected)
            << "step " << n << ": " << step.input;
        ++n;
    }
}

const std::string kAutoStart = "log Auto Recording Event Start";
const std::string kAutoStop = "log Auto Recording Event Stop";
const std::string kManualStart = "log Manual Recording Start";
const std::string kManualStop = "log Manual Recording Stop";

std::string Join(std::initializer_list<std::string> parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : " | ") + part;
    return text;
}

const RulesCase kCases[] = {
    {"AStartAt2Point5MinFiresOnTheFirstPulseAtOrAfter15000AndNotAgain",
     {{2.5, EC_RECORD, 1}},
     {{"run on", ""},
      {"pulse 14999", ""},
      {"pulse 15000", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 15001", "append"},
      {"pulse 30000", "append"}}},
    {"ALateFirstPulseStillStartsTheRecording",
     {{2.5, EC_RECORD, 1}},
     {{"run on", ""}, {"pulse 20000", "start timed"}, {"started", Join({kAutoStart, "note"})}}},
    {"ASecondRunFiresTheEventsAgain",
     {{0.1, EC_RECORD, 1}, {0.3, EC_RECORD, 0}},
     {{"run on", ""},
      {"pulse 600", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 1799", "append"},
      {"pulse 1800", Join({"append", kAutoStop, "stop timed"})},
      {"pulse 1900", ""},
      {"run off", ""},
      {"idle pulse 700", ""},
      {"run on", ""},
      {"pulse 100", ""},
      {"pulse 600", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 1800", Join({"append", kAutoStop, "stop timed"})}}},
    {"EventsAreComparedInHundredthsTruncated",
     // 0.123456 min = 740.736 hundredths: due from 740 on.
     {{0.123456, EC_RECORD, 1}},
     {{"pulse 739", ""}, {"pulse 740", "start timed"}}},
    {"ARecordOfHalfDoesNothing", {{0.1, EC_RECORD, 0.5}}, {{"pulse 600", ""}, {"pulse 6000", ""}}},
    {"OtherEventsAreIgnored",
     {{0.1, EC_GATE_SELECTION, 1}, {0.1, EC_AUTOZERO, 1}, {0.1, EC_IGNITOR_CURRENT, 1}},
     {{"pulse 600", ""}}},
    {"NothingIsLookedAtWhileNoRunIsReported",
     {{0.1, EC_RECORD, 1}},
     {{"idle pulse 600", ""}, {"idle pulse 6000", ""}}},
    {"ATimedStopLeavesAManualRecordingRunning",
     {{0.1, EC_RECORD, 0}},
     {{"manual start", "start manual"},
      {"started", Join({kManualStart, "note"})},
      {"pulse 600", "append"},
      {"pulse 700", "append"},
      {"manual stop", Join({"stop manual", kManualStop})},
      {"pulse 800", ""}}},
    {"ATimedStartEndsAManualRecordingAndStartsANewFile",
     {{0.1, EC_RECORD, 1}, {0.2, EC_RECORD, 0}},
     {{"manual start", "start manual"},
      {"started", Join({kManualStart, "note"})},
      {"pulse 600", Join({"append", "stop manual", kManualStop, "start timed"})},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 1200", Join({"append", kAutoStop, "stop timed"})}}},
    {"ATimedStartWhileATimedRecordingRunsChangesNothing",
     {{0.1, EC_RECORD, 1}, {0.2, EC_RECORD, 1}},
     {{"pulse 600", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 1200", "append"},
      {"pulse 1300", "append"}}},
    {"AStopAtTheStartsOwnTimeNeverFires",
     {{0.1, EC_RECORD, 1}, {0.1, EC_RECORD, 0}},
     {{"pulse 600", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 5000", "append"}}},
    {"EventsDueTogetherRunInListOrderAfterTheStart",
     // The first pulse comes late: start and stop are both due; the stop runs
     // once the start's file is open.
     {{0.1, EC_RECORD, 1}, {0.2, EC_RECORD, 0}},
     {{"pulse 1500", "start timed"},
      {"started", Join({kAutoStart, "note", kAutoStop, "stop timed"})},
      {"pulse 1600", ""}}},
    {"PulsesWhileAStartWaitsAreNotRecordedAndTheEventsWait",
     {{0.1, EC_RECORD, 1}, {0.2, EC_RECORD, 0}},
     {{"pulse 600", "start timed"},
      {"pulse 1300", ""},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 1400", Join({"append", kAutoStop, "stop timed"})}}},
    {"AnOperatorStopEndsATimedRecording",
     {{0.1, EC_RECORD, 1}},
     {{"pulse 600", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"manual stop", Join({"stop timed", kManualStop})},
      {"pulse 700", ""}}},
    {"AManualStartWhileRecordingIsIgnored",
     {},
     {{"manual start", "start manual"},
      {"manual start", ""},
      {"started", Join({kManualStart, "note"})},
      {"manual start", ""},
      {"manual stop", Join({"stop manual", kManualStop})},
      {"manual stop", ""}}},
    {"TheResetButtonStopsAndSends",
     {},
     {{"reset", "reset manual"},
      {"manual start", "start manual"},
      {"started", Join({kManualStart, "note"})},
      {"reset", Join({"stop manual", kManualStop, "reset manual"})}}},
    {"ADueResetToReadyActsOncePerRun",
     {{0.1, EC_RECORD, 1}, {0.5, EC_RESET_TO_READY, 0}},
     {{"run on", ""},
      {"pulse 600", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 3000", Join({"append", kAutoStop, "stop timed", "reset timed"})},
      {"pulse 3010", ""},
      {"pulse 3020", ""},
      {"run off", ""},
      {"run on", ""},
      // A first pulse late in the run: the start, then the reset once it is open.
      {"pulse 3000", "start timed"},
      {"started", Join({kAutoStart, "note", kAutoStop, "stop timed", "reset timed"})},
      {"pulse 3100", ""}}},
    {"AnEventAtZeroMinutesIsDueOnTheFirstPulse",
     {{0.0, EC_RECORD, 1}},
     {{"run on", ""}, {"pulse 0", "start timed"}, {"started", Join({kAutoStart, "note"})}}},
    {"ATimedRecordingEndsWithItsRun",
     {{0.1, EC_RECORD, 1}},
     {{"run on", ""},
      {"pulse 600", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"run off", Join({kAutoStop, "stop timed"})},
      {"idle pulse 900", ""}}},
    {"AManualRecordingOutlivesTheRun",
     {},
     {{"run on", ""},
      {"manual start", "start manual"},
      {"started", Join({kManualStart, "note"})},
      {"run off", ""},
      {"idle pulse 900", "append"}}},
    {"APulseTimeGoingBackIsANewRun",
     {{0.1, EC_RECORD, 1}, {0.3, EC_RECORD, 0}},
     {{"run on", ""},
      {"pulse 600", "start timed"},
      {"started", Join({kAutoStart, "note"})},
      {"pulse 1800", Join({"append", kAutoStop, "stop timed"})},
      // The board ended one run and began the next between two status polls.
      {"pulse 50", ""},
      {"pulse 600", "start timed"}}},
    {"AStartThatFailedIsLoggedAndNotedNotClaimed",
     {{0.1, EC_RECORD, 1}},
     {{"pulse 600", "start timed"},
      {"failed cannot create /d/x001.KLYN: No space left on device",
       Join({"log Auto Recording Event Start failed: cannot create /d/x001.KLYN: No space left "
             "on device",
             "note The timed start failed: cannot create /d/x001.KLYN: No space left on device"})},
      {"pulse 700", ""}}},
    {"AManualStartThatFailedIsToldInAMessage",
     {},
     {{"manual start", "start manual"},
      {"failed cannot create /d/x001.KLYN: Permission denied",
       "message The recording could not be started: cannot create /d/x001.KLYN: Permission "
       "denied"},
      {"manual stop", ""},
      {"manual start", "start manual"}}},
    {"ARefusedStartRecordsNothing",
     {{0.1, EC_RECORD, 1}},
     {{"manual start", "start manual"},
      {"refused", ""},
      {"pulse 600", "start timed"},
      {"refused", "log Auto Recording Event Start not made: the operator chose not to replace "
                  "/d/x001.KLYN"},
      {"pulse 700", ""}}},
    {"ACancelledStartSaysWhy",
     {{0.1, EC_RECORD, 1}},
     {{"pulse 600", "start timed"},
      {"cancelled the set-up could not be read",
       "log Auto Recording Event Start not made: the set-up could not be read"}}},
    {"AWriteErrorStopsAndIsSaid",
     {},
     {{"manual start", "start manual"},
      {"started", Join({kManualStart, "note"})},
      {"pulse 100", "append"},
      {"write error Recording stopped: disk full.\nThe file keeps 1 pulse.",
       Join({"log Recording stopped: disk full. The file keeps 1 pulse.",
             "message Recording stopped: disk full.\nThe file keeps 1 pulse.",
             "note Recording stopped: disk full.\nThe file keeps 1 pulse."})},
      {"pulse 200", ""},
      {"manual stop", ""},
      {"write error again", ""}}},
    {"EventTimesBeyondAnyRunAreNeverDue",
     {{-1.0, EC_RECORD, 1},
      {std::numeric_limits<double>::quiet_NaN(), EC_RECORD, 1},
      {1e300, EC_RECORD, 1},
      {std::numeric_limits<double>::infinity(), EC_RESET_TO_READY, 0}},
     {{"pulse 0", ""}, {"pulse 9000000000", ""}}},
};

INSTANTIATE_TEST_SUITE_P(Scripts, RecordingRulesTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<RulesCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(RecordingRules, EventTimesInHundredthsOfASecond)
{
    const struct {
        double minutes;
        int64_t hundredths;
    } rows[] = {{0.0, 0},           {0.1, 600},
                {2.5, 15000},       {0.123456, 740},
                {-0.0001, -1},      {1e12, -1},
                {std::nan(""), -1}, {-std::numeric_limits<double>::infinity(), -1}};
    for (const auto& row : rows)
        EXPECT_EQ(CRecordingRules::EventHundredths(row.minutes), row.hundredths) << row.minutes;
}

TEST(RecordingRules, KeepsTheManualFlagAndTheLastStartForTheDisplay)
{
    CTimedEvent events;
    CTimedEventData start;
    start.SetEventTime(0.5);
    start.SetEventCode(EC_RECORD);
    start.SetEventValue(1);
    events.AddTimedEvent(start);
    CRecordingRules rules;
    rules.OnManualStart();
    EXPECT_EQ(rules.GetState(), CRecordingRules::State::Starting);
    rules.OnStartDone({CStartResult::Outcome::Started, {}});
    EXPECT_TRUE(rules.IsManualRecording());
    rules.OnPulse(3000, true, events);
    EXPECT_EQ(rules.GetCause(), RecordingCause::Timed);
    rules.OnStartDone({CStartResult::Outcome::Started, {}});
    EXPECT_TRUE(rules.IsRecording());
    EXPECT_FALSE(rules.IsManualRecording());
    EXPECT_EQ(rules.GetLastAutoRecordTime(), 3000);
    rules.OnRunState(false);
    EXPECT_EQ(rules.GetLastAutoRecordTime(), -1);
    EXPECT_FALSE(rules.IsRecording());
}

} // namespace
