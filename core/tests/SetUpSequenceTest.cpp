// The set-up sequence: the order the records go to the board, where it stops
// when a step fails, and the words each outcome is told in.
#include "SetUpSequence.h"
#include "Hardware.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// A board that acknowledges every request except the steps told to fail,
// each as often as it is told to, and writes down what it was sent.
class CFakeLink : public ISetUpLink {
public:
    std::vector<std::string> sent;
    std::map<std::string, int> failures; // request -> how many times it fails

    int ClearTimedEvents() override { return Take("clear"); }
    int SetBoardAndChannels(const CBoardParameters&, const CChannelParameters&) override
    {
        return Take("board");
    }
    int SetTimedEvents(const CTimedEvent&) override { return Take("events"); }
    int SetGates(const CGateParameters&) override { return Take("gates"); }

private:
    int Take(const std::string& request)
    {
        sent.push_back(request);
        auto it = failures.find(request);
        if (it == failures.end() || it->second == 0)
            return 1;
        --it->second;
        return 0;
    }
};

CSetUpRecords WithEvents(int count)
{
    CSetUpRecords records;
    for (int i = 0; i < count; ++i) {
        CTimedEventData e;
        e.SetEventTime(0.5 * (i + 1));
        e.SetEventCode(EC_AUTOZERO);
        records.events.AddTimedEvent(e);
    }
    return records;
}

struct SequenceCase {
    const char* name;
    int events;
    std::map<std::string, int> failures;
    int tries;
    std::vector<std::string> sent;
    int failedStep;
    std::string message;
};

class SetUpSequence : public testing::TestWithParam<SequenceCase> {};

TEST_P(SetUpSequence, SendsInTheBoardsOrderAndStopsAtTheFirstFailure)
{
    const SequenceCase& c = GetParam();
    CFakeLink link;
    link.failures = c.failures;
    CSetUpSequence::Result result;
    CSetUpSequence::Options options;
    options.nTries = c.tries;
    std::vector<int> announced;
    options.onStep = [&](int step) { announced.push_back(step); };
    const int ok = CSetUpSequence::Apply(link, WithEvents(c.events), result, options);
    EXPECT_EQ(ok, c.failedStep == 0 ? 1 : 0);
    EXPECT_EQ(link.sent, c.sent);
    EXPECT_EQ(result.nFailedStep, c.failedStep);
    EXPECT_FALSE(result.bStopped);
    EXPECT_EQ(result.strMessage, c.message);
    const int reached = c.failedStep == 0 ? CSetUpSequence::kSteps : c.failedStep;
    ASSERT_EQ(static_cast<int>(announced.size()), reached);
    EXPECT_EQ(announced.back(), reached);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SetUpSequence,
    testing::Values(
        SequenceCase{"EveryStepAnswered", 2, {}, 1, {"clear", "board", "events", "gates"}, 0, ""},
        SequenceCase{"NoEventsIsClearedButNotSent", 0, {}, 1, {"clear", "board", "gates"}, 0, ""},
        SequenceCase{"ClearingFails",
                     2,
                     {{"clear", 1}},
                     1,
                     {"clear"},
                     1,
                     "Step 1 of 4, clearing the timed events, failed: the board did not answer "
                     "or refused it."},
        SequenceCase{"BoardFails",
                     2,
                     {{"board", 5}},
                     1,
                     {"clear", "board"},
                     2,
                     "Step 2 of 4, sending the board and channel parameters, failed: the board "
                     "did not answer or refused it."},
        SequenceCase{"EventsFailAndTheGatesAreNeverSent",
                     1,
                     {{"events", 9}},
                     3,
                     {"clear", "board", "events", "events", "events"},
                     3,
                     "Step 3 of 4, sending the timed events, failed: the board did not answer or "
                     "refused it."},
        SequenceCase{"GatesFail",
                     0,
                     {{"gates", 1}},
                     1,
                     {"clear", "board", "gates"},
                     4,
                     "Step 4 of 4, sending the gates, failed: the board did not answer or "
                     "refused it."},
        SequenceCase{"ALostAcknowledgementIsSentAgain",
                     1,
                     {{"board", 2}},
                     3,
                     {"clear", "board", "board", "board", "events", "gates"},
                     0,
                     ""}),
    [](const testing::TestParamInfo<SequenceCase>& info) { return std::string(info.param.name); });

TEST(SetUpSequenceStop, ACancelledSequenceStopsBeforeItsNextStep)
{
    CFakeLink link;
    std::atomic<bool> cancelled{false};
    CSetUpSequence::Options options;
    options.pCancelled = &cancelled;
    options.onStep = [&](int step) {
        if (step == 2)
            cancelled = true;
    };
    CSetUpSequence::Result result;
    EXPECT_EQ(CSetUpSequence::Apply(link, WithEvents(1), result, options), 0);
    EXPECT_EQ(link.sent, (std::vector<std::string>{"clear", "board"}));
    EXPECT_EQ(result.nFailedStep, 3);
    EXPECT_TRUE(result.bStopped);
    EXPECT_EQ(result.strMessage, "Stopped before sending the timed events.");
}

TEST(SetUpSequenceCheck, AProgramTooLongForOneBlockIsRefusedBeforeAnythingIsSent)
{
    std::string message;
    EXPECT_EQ(CSetUpSequence::Check(WithEvents(CHardware::kMaxEvents), message), 1) << message;
    EXPECT_EQ(CSetUpSequence::Check(WithEvents(CHardware::kMaxEvents + 1), message), 0);
    EXPECT_EQ(message, "The timed-event program holds 102 events; the board takes at most 101. "
                       "Nothing was sent to the board.");
}

} // namespace
