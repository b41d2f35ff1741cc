// Requests queued for the link's thread: order, cancelling, the status poll
// between their steps, and the reason a failure gives, against the board
// simulator through the poller that runs them.
#include "LinkQueue.h"
#include "BoardSimulator.h"
#include "Hardware.h"
#include "SimulatedBoard.h"
#include "StatusPollar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

class TestHardware : public CHardware {
public:
    int Connect(int port)
    {
        const int opened = Open(port, 57600, 8, 0, 0);
        SetReceiveTimeout(kNormalTimeoutMs);
        return opened;
    }
};

// The completions in the order they came, and on which thread.
class Completions {
public:
    CLinkQueue::Completion For(int tag)
    {
        return [this, tag](const CLinkResult& result) {
            std::lock_guard guard(m_lock);
            m_done.push_back({tag, result, std::this_thread::get_id()});
            m_changed.notify_all();
        };
    }
    bool WaitFor(size_t count, std::chrono::milliseconds timeout = 20s)
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, timeout, [&] { return m_done.size() >= count; });
    }
    std::vector<int> Tags() const
    {
        std::lock_guard guard(m_lock);
        std::vector<int> tags;
        for (const auto& d : m_done)
            tags.push_back(d.tag);
        return tags;
    }
    CLinkResult Result(int tag) const
    {
        std::lock_guard guard(m_lock);
        for (const auto& d : m_done)
            if (d.tag == tag)
                return d.result;
        return {};
    }
    std::thread::id Thread(size_t i) const
    {
        std::lock_guard guard(m_lock);
        return m_done.at(i).thread;
    }

private:
    struct Done {
        int tag;
        CLinkResult result;
        std::thread::id thread;
    };
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Done> m_done;
};

CLinkRequest Request(LinkOperation operation)
{
    CLinkRequest request;
    request.eOperation = operation;
    return request;
}

CTimedEvent Events(int count)
{
    CTimedEvent events;
    for (int i = 0; i < count; ++i) {
        CTimedEventData event;
        event.SetEventTime(0.5 * i);
        event.SetEventCode(EC_RESET_TO_READY);
        events.AddTimedEvent(event);
    }
    return events;
}

class LinkQueueTest : public testing::Test {
protected:
    void StartBoard(CSimOptions options = {})
    {
        options.portsDir = m_ports.Dir();
        options.port = 1;
        options.requestLogPath = m_log.File("requests.log");
        m_sim = std::make_unique<CBoardSimulator>(options);
        std::string error;
        ASSERT_EQ(m_sim->Start(error), 1) << error;
        ASSERT_EQ(m_hardware.Connect(1), 1) << m_hardware.GetLastError();
    }
    // The command codes the board received, in order.
    std::vector<int> Received() const
    {
        std::vector<int> commands;
        std::ifstream log(m_log.File("requests.log"));
        std::string seconds, code;
        for (std::string line; std::getline(log, line);) {
            std::istringstream fields(line);
            if (fields >> seconds >> code && code.rfind("0x", 0) == 0)
                commands.push_back(std::stoi(code, nullptr, 16));
        }
        return commands;
    }

    testsupport::CPortsFolder m_ports;
    testsupport::CTempDir m_log{"tarvolin-requests"};
    std::unique_ptr<CBoardSimulator> m_sim;
    TestHardware m_hardware;
    Completions m_done;
};

TEST_F(LinkQueueTest, RequestsRunInOrderOnTheLinkThreadAndCarryTheirRecords)
{
    CSimOptions options;
    options.baud = 0;
    StartBoard(options);
    CGateParameters gates;
    gates[1].SetStartA(2.5);
    m_sim->SetGates(gates);
    CStatusPollar poller(m_hardware);
    poller.Start();

    CLinkRequest write = Request(LinkOperation::WriteBoardAndChannels);
    write.records.board.SetpmtVolts(640);
    poller.Submit(Request(LinkOperation::ReadSetUp), m_done.For(1));
    poller.Submit(write, m_done.For(2));
    poller.Submit(Request(LinkOperation::ReadBoardAndChannels), m_done.For(3));
    ASSERT_TRUE(m_done.WaitFor(3));
    poller.Stop();

    EXPECT_EQ(m_done.Tags(), (std::vector<int>{1, 2, 3}));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NE(m_done.Thread(i), std::this_thread::get_id()) << "completion " << i;
    const CLinkResult setUp = m_done.Result(1);
    EXPECT_EQ(setUp.nResult, 1);
    EXPECT_EQ(setUp.nSteps, 3);
    EXPECT_FALSE(setUp.fault.IsFault());
    EXPECT_EQ(setUp.records.gates[1].GetStartA(), 2.5);
    EXPECT_EQ(m_done.Result(2).nResult, 1);
    EXPECT_EQ(m_done.Result(3).records.board.GetPmtVolts(), 640) << "read after the write";
}

TEST_F(LinkQueueTest, ARequestStartsAtOnceNotAtTheNextStatusCycle)
{
    CSimOptions options;
    options.baud = 0;
    StartBoard(options);
    CStatusPollar poller(m_hardware);
    std::atomic<bool> submitted{false};
    // Submitted on the link thread right after a status cycle: the next
    // thing on the wire is the request, not another status poll.
    poller.SetNotifier([&](unsigned message) {
        if (message == UM_STATUS_UPDATE && !submitted.exchange(true))
            poller.Submit(Request(LinkOperation::ReadGates), m_done.For(1));
    });
    poller.Start();
    ASSERT_TRUE(m_done.WaitFor(1));
    poller.Stop();
    const std::vector<int> sent = Received();
    const auto gates = std::find(sent.begin(), sent.end(), CMD_GET_ALL_GATES);
    ASSERT_NE(gates, sent.end());
    ASSERT_NE(gates, sent.begin());
    EXPECT_EQ(*(gates - 1), CMD_GET_STATUS_ERROR);
    EXPECT_EQ(std::count(sent.begin(), gates, CMD_GET_STATUS_ERROR), 1)
        << "one status cycle, then the request";
}

TEST_F(LinkQueueTest, SlowStepsOfALongRequestLetTheStatusPollInBetween)
{
    CSimOptions options;
    options.baud = 0;
    StartBoard(options);
    // Each step takes longer than the poll period.
    for (uint8_t command : {CMD_CLEAR_TIMED_EVENT, CMD_SET_BOARD_CHANNEL_PARAM, CMD_SET_TIMED_EVENT,
                            CMD_SET_ALL_GATES})
        m_sim->SetCommandLatency(command, 150.0);
    CStatusPollar poller(m_hardware);
    poller.Start();
    CLinkRequest apply = Request(LinkOperation::ApplySetUp);
    apply.records.events = Events(2);
    poller.Submit(apply, m_done.For(1));
    ASSERT_TRUE(m_done.WaitFor(1));
    poller.Stop();
    ASSERT_EQ(m_done.Result(1).nResult, 1) << m_done.Result(1).GetReason();

    std::vector<int> steps;
    std::vector<int> between; // status polls before each step after the first
    int polls = 0;
    for (int command : Received()) {
        if (command == CMD_GET_STATUS_ERROR) {
            ++polls;
        } else if (command != CMD_GET_FIRMWARE_REVISION && command != CMD_GET_BOARD_REVISION) {
            if (!steps.empty())
                between.push_back(polls);
            steps.push_back(command);
            polls = 0;
        }
    }
    EXPECT_EQ(steps, (std::vector<int>{CMD_CLEAR_TIMED_EVENT, CMD_SET_BOARD_CHANNEL_PARAM,
                                       CMD_SET_TIMED_EVENT, CMD_SET_ALL_GATES}));
    EXPECT_EQ(between, (std::vector<int>{1, 1, 1})) << "one status cycle between two steps";
}

TEST_F(LinkQueueTest, ACancelledRequestIsDroppedOrStoppedBeforeItsNextExchange)
{
    CSimOptions options;
    options.baud = 0;
    StartBoard(options);
    // Long enough that the cancel below lands while the board works on it.
    m_sim->SetCommandLatency(CMD_SET_BOARD_CHANNEL_PARAM, 1500.0);
    CStatusPollar poller(m_hardware);
    poller.Start();
    CLinkRequest apply = Request(LinkOperation::ApplySetUp);
    apply.records.events = Events(1);
    const int running = poller.Submit(apply, m_done.For(1));
    auto flag = std::make_shared<std::atomic<bool>>(false);
    CLinkRequest flagged = Request(LinkOperation::ReadGates);
    flagged.pCancelled = flag;
    poller.Submit(flagged, m_done.For(2));
    const int waiting = poller.Submit(Request(LinkOperation::ReadTimedEvents), m_done.For(3));
    poller.Submit(Request(LinkOperation::ReadBoardAndChannels), m_done.For(4));
    ASSERT_TRUE(m_sim->WaitForRequests(1, 20s, CMD_SET_BOARD_CHANNEL_PARAM));
    poller.Cancel(running);
    flag->store(true);
    poller.Cancel(waiting);
    poller.Cancel(987654); // unknown: ignored
    ASSERT_TRUE(m_done.WaitFor(4));
    poller.Stop();

    EXPECT_EQ(m_done.Tags(), (std::vector<int>{1, 2, 3, 4})) << "cancelled ones keep their turn";
    const CLinkResult stopped = m_done.Result(1);
    EXPECT_TRUE(stopped.IsCancelled());
    EXPECT_EQ(stopped.nFailedStep, 3);
    EXPECT_EQ(stopped.strStep, "sending the timed events");
    for (int tag : {2, 3}) {
        EXPECT_TRUE(m_done.Result(tag).IsCancelled()) << tag;
        EXPECT_EQ(m_done.Result(tag).nFailedStep, 1) << tag;
        EXPECT_NE(m_done.Result(tag).GetReason().find("cancelled before it began"),
                  std::string::npos)
            << m_done.Result(tag).GetReason();
    }
    EXPECT_EQ(m_done.Result(4).nResult, 1);
    EXPECT_EQ(m_sim->GetRequestCount(CMD_SET_TIMED_EVENT), 0u);
    EXPECT_EQ(m_sim->GetRequestCount(CMD_SET_ALL_GATES), 0u);
    EXPECT_EQ(m_sim->GetRequestCount(CMD_GET_ALL_GATES), 0u);
    EXPECT_EQ(m_sim->GetRequestCount(CMD_GET_TIMED_EVENT), 0u);
}

TEST_F(LinkQueueTest, StoppingTheLinkCompletesWhatWaitsAndLaterRequestsFailAtOnce)
{
    CSimOptions options;
    options.baud = 0;
    StartBoard(options);
    m_sim->SetCommandLatency(CMD_GET_ALL_GATES, 300.0);
    CStatusPollar poller(m_hardware);

    // Not started yet: nobody would run it.
    poller.Submit(Request(LinkOperation::ReadGates), m_done.For(0));
    ASSERT_TRUE(m_done.WaitFor(1, 0ms)) << "completed inside Submit";
    EXPECT_EQ(m_done.Result(0).fault.GetKind(), LinkFailure::NotRunning);
    EXPECT_EQ(m_done.Result(0).GetReason(),
              "reading the gates: the instrument link is not running");

    poller.Start();
    poller.Submit(Request(LinkOperation::ReadSetUp), m_done.For(1));
    poller.Submit(Request(LinkOperation::ResetToReady), m_done.For(2));
    ASSERT_TRUE(m_sim->WaitForRequests(1, 20s, CMD_GET_ALL_GATES));
    poller.Stop();
    ASSERT_TRUE(m_done.WaitFor(3, 0ms)) << "all completed by the time Stop returns";
    EXPECT_EQ(m_done.Tags(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(m_done.Result(1).fault.GetKind(), LinkFailure::NotRunning);
    EXPECT_EQ(m_done.Result(1).nFailedStep, 2) << "the first step had begun and ran to its end";
    EXPECT_EQ(m_done.Result(2).fault.GetKind(), LinkFailure::NotRunning);
    EXPECT_EQ(m_sim->GetRequestCount(CMD_RESET_TO_READY), 0u);

    poller.Submit(Request(LinkOperation::ReadGates), m_done.For(3));
    EXPECT_TRUE(m_done.WaitFor(4, 0ms));
    EXPECT_EQ(m_done.Result(3).fault.GetKind(), LinkFailure::NotRunning);

    poller.Restart();
    poller.Submit(Request(LinkOperation::ResetToReady), m_done.For(4));
    ASSERT_TRUE(m_done.WaitFor(5));
    EXPECT_EQ(m_done.Result(4).nResult, 1) << "a restarted link takes requests again";
}

// Each kind of failure names the step, the command and why.
struct FaultCase {
    const char* name;
    std::function<void(CBoardSimulator&, CLinkRequest&)> arrange;
    LinkFailure kind;
    int failedStep;
    std::string reason;
};

class LinkQueueFaultTest : public LinkQueueTest, public testing::WithParamInterface<FaultCase> {};

CSimFaultRule Fault(SimFault kind, int command)
{
    CSimFaultRule rule;
    rule.kind = kind;
    rule.command = command;
    return rule;
}

TEST_P(LinkQueueFaultTest, TheFailureSaysWhichStepAndWhy)
{
    CSimOptions options;
    options.baud = 0;
    StartBoard(options);
    CLinkRequest request = Request(LinkOperation::ReadSetUp);
    GetParam().arrange(*m_sim, request);
    CStatusPollar poller(m_hardware);
    poller.Start();
    poller.Submit(request, m_done.For(1));
    ASSERT_TRUE(m_done.WaitFor(1));
    poller.Stop();
    const CLinkResult result = m_done.Result(1);
    EXPECT_EQ(result.nResult, 0);
    EXPECT_EQ(result.fault.GetKind(), GetParam().kind) << result.GetReason();
    EXPECT_EQ(result.nFailedStep, GetParam().failedStep);
    EXPECT_EQ(result.GetReason(), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LinkQueueFaultTest,
    testing::Values(
        FaultCase{"Silence",
                  [](CBoardSimulator& sim, CLinkRequest&) {
                      sim.AddFault(Fault(SimFault::Silence, CMD_GET_BOARD_CHANNEL_PARAM));
                  },
                  LinkFailure::Timeout, 2,
                  "reading the board and channel parameters: no reply to command 0x13 within "
                  "500 ms"},
        FaultCase{"BadCrc",
                  [](CBoardSimulator& sim, CLinkRequest&) {
                      sim.AddFault(Fault(SimFault::BadCrc, CMD_GET_TIMED_EVENT));
                  },
                  LinkFailure::BadCrc, 3,
                  "reading the timed events: the reply to command 0x21 had a bad CRC"},
        FaultCase{"OtherCommand",
                  [](CBoardSimulator& sim, CLinkRequest&) {
                      sim.AddFault(Fault(SimFault::WrongCode, CMD_GET_ALL_GATES));
                  },
                  LinkFailure::WrongReply, 1,
                  "reading the gates: the board answered command 0x11 under command 0x91"},
        FaultCase{"TornPacket",
                  [](CBoardSimulator& sim, CLinkRequest&) {
                      // Announces 12 bytes, ends in CR LF after 10.
                      sim.SetRawReply(CMD_GET_ALL_GATES,
                                      CByteArray{0x02, 0x00, 0x0C, 0x11, 1, 2, 3, 4, 0x0D, 0x0A});
                  },
                  LinkFailure::WrongReply, 1,
                  "reading the gates: the reply to command 0x11 was malformed (packet size "
                  "mismatch. Size should be 12, but actual size = 10)"},
        FaultCase{"TooManyEvents",
                  [](CBoardSimulator&, CLinkRequest& request) {
                      request.eOperation = LinkOperation::WriteTimedEvents;
                      request.records.events = Events(CHardware::kMaxEvents + 1);
                  },
                  LinkFailure::Refused, 2,
                  "sending the timed events: command 0x20 was not sent: 102 events, at most 101 "
                  "fit one request"},
        FaultCase{"ChannelThree",
                  [](CBoardSimulator&, CLinkRequest& request) {
                      request.eOperation = LinkOperation::WriteChannelZero;
                      request.records.nChannel = 3;
                  },
                  LinkFailure::Refused, 1,
                  "sending the zero of channel 3: command 0x14 was not sent: channel 3 (the "
                  "board has channels 1 and 2)"}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(LinkQueueTest, AnAbsentPortFailsAtOnceAndSaysSo)
{
    CStatusPollar poller(m_hardware); // never connected
    poller.Start();
    CLinkRequest apply = Request(LinkOperation::ApplySetUp);
    poller.Submit(apply, m_done.For(1));
    ASSERT_TRUE(m_done.WaitFor(1));
    poller.Stop();
    const CLinkResult result = m_done.Result(1);
    EXPECT_EQ(result.fault.GetKind(), LinkFailure::PortAbsent);
    EXPECT_EQ(result.nFailedStep, 1);
    EXPECT_EQ(result.GetReason().rfind("clearing the timed events: command 0x22 was not sent: "
                                       "the port is not open (",
                                       0),
              0u)
        << result.GetReason();
}

TEST(ExchangeFault, EachThreadReadsTheOutcomeOfItsOwnLastExchange)
{
    TestHardware closed;
    CGateParameters gates;
    CHardwareBase::SetLastFault(CExchangeFault());
    std::thread other([&] {
        EXPECT_EQ(closed.GetAllGates(gates), 0);
        EXPECT_EQ(CHardwareBase::GetLastFault().GetKind(), LinkFailure::PortAbsent);
        EXPECT_EQ(CHardwareBase::GetLastFault().GetCommand(), CMD_GET_ALL_GATES);
    });
    other.join();
    EXPECT_FALSE(CHardwareBase::GetLastFault().IsFault()) << "another thread's failure";
    EXPECT_EQ(closed.SetTimedEvent(CTimedEvent()), 0);
    EXPECT_EQ(CHardwareBase::GetLastFault().GetKind(), LinkFailure::Refused);
    EXPECT_EQ(CHardwareBase::GetLastFault().GetSentence(),
              "Command 0x20 was not sent: an empty event table (the board's events are cleared "
              "instead).");
}

} // namespace
