// The status poller and the core interface against the board simulator.
#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "FilePaths.h"
#include "Hardware.h"
#include "LogCapture.h"
#include "SimulatedBoard.h"
#include "QuillonIniConfig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class TestHardware : public CHardware {
public:
    void Connect(int port)
    {
        Open(port, 57600, 8, 0, 0);
        SetReceiveTimeout(kNormalTimeoutMs);
    }
};

// The notifications in the order they came, with their arrival times.
class Notifications {
public:
    void operator()(unsigned message)
    {
        std::lock_guard guard(m_lock);
        m_messages.push_back({message, Clock::now()});
        m_changed.notify_all();
    }
    bool WaitForStatusUpdates(size_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, timeout,
                                  [&] { return CountLocked(UM_STATUS_UPDATE) >= count; });
    }
    std::vector<std::pair<unsigned, Clock::time_point>> All()
    {
        std::lock_guard guard(m_lock);
        return m_messages;
    }

private:
    size_t CountLocked(unsigned message) const
    {
        size_t n = 0;
        for (const auto& m : m_messages)
            n += m.first == message;
        return n;
    }
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::pair<unsigned, Clock::time_point>> m_messages;
};

class PollerTest : public testing::Test {
protected:
    void StartBoard(CSimOptions options = {})
    {
        options.portsDir = m_ports.Dir();
        options.port = 1;
        m_sim = std::make_unique<CBoardSimulator>(options);
        std::string error;
        ASSERT_EQ(m_sim->Start(error), 1) << error;
        m_hardware.Connect(1);
    }

    testsupport::CPortsFolder m_ports;
    std::unique_ptr<CBoardSimulator> m_sim;
    TestHardware m_hardware;
    Notifications m_notes;
};

TEST_F(PollerTest, ASilentBoardGivesStatusUpdatesAboutEveryHalfSecondAndNoPulses)
{
    StartBoard();
    CSimFaultRule silent;
    silent.kind = SimFault::Silence;
    m_sim->AddFault(silent);
    CStatusPollar poller(m_hardware);
    poller.SetNotifier(std::ref(m_notes));
    poller.Start();
    ASSERT_TRUE(m_notes.WaitForStatusUpdates(3, 10s));
    poller.Stop();
    const auto all = m_notes.All();
    for (const auto& [message, when] : all)
        EXPECT_EQ(message, UM_STATUS_UPDATE);
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_GE(all[i].second - all[i - 1].second, 450ms) << "each cycle waits out the window";
    EXPECT_EQ(poller.GetStatus()->GetStatus(), 0);
    CPulseData pulse;
    poller.GetPulseData(pulse);
    EXPECT_EQ(pulse, CPulseData()) << "no pulse before the first";
}

TEST_F(PollerTest, ANewPulseOnEveryCycleGivesOnePulseNotificationBeforeEachStatusUpdate)
{
    CSimOptions options;
    options.baud = 0;
    options.pulseRate = 50.0; // faster than the poll: every cycle finds a new pulse
    options.runAtStart = true;
    StartBoard(options);
    ASSERT_TRUE(m_sim->WaitFor([](const CSimCounters& c) { return c.pulsesFired >= 1; }, 10s));
    CStatusPollar poller(m_hardware);
    poller.SetNotifier(std::ref(m_notes));
    poller.Start();
    ASSERT_TRUE(m_notes.WaitForStatusUpdates(5, 10s));
    poller.Stop();
    const auto all = m_notes.All();
    ASSERT_GE(all.size(), 10u);
    for (size_t i = 0; i + 1 < all.size(); i += 2) {
        EXPECT_EQ(all[i].first, UM_PULSE_DATA) << i;
        EXPECT_EQ(all[i + 1].first, UM_STATUS_UPDATE) << i;
    }
    EXPECT_EQ(poller.GetStatus()->GetFirmwareRevision(), "21");
    EXPECT_EQ(poller.GetStatus()->GetBoardRevision(), "B3");
    CPulseData pulse;
    poller.GetPulseData(pulse);
    EXPECT_EQ(pulse.GetDataCount(), 250);
    // The poll period holds: about ten status requests a second, never more.
    const auto span = all.back().second - all.front().second;
    const size_t cycles = all.size() / 2;
    EXPECT_GE(span, (cycles - 1) * 95ms);
}

TEST_F(PollerTest, ABoardThatKeepsOfferingTheSamePulseGetsItPostedOnce)
{
    CSimOptions options;
    options.baud = 0;
    options.stickyStatusBits = 0x0100; // "new pulse" on every status, no run: always the same pulse
    StartBoard(options);
    CStatusPollar poller(m_hardware);
    poller.SetNotifier(std::ref(m_notes));
    poller.Start();
    ASSERT_TRUE(m_notes.WaitForStatusUpdates(6, 10s));
    poller.Stop();
    size_t pulses = 0, updates = 0;
    for (const auto& [message, when] : m_notes.All())
        (message == UM_PULSE_DATA ? pulses : updates)++;
    EXPECT_EQ(pulses, 1u);
    EXPECT_EQ(poller.GetRepeatedPulseCount(), m_sim->GetRequestCount(CMD_GET_PULSE_DATA) - 1);
    EXPECT_GE(poller.GetRepeatedPulseCount(), 4u);
}

TEST_F(PollerTest, AFailedStatusExchangeAnnouncesNoPulse)
{
    CSimOptions options;
    options.baud = 0;
    options.stickyStatusBits = 0x0100;
    StartBoard(options);
    CStatusPollar poller(m_hardware);
    poller.Start();
    ASSERT_TRUE(m_sim->WaitForRequests(2, 10s, CMD_GET_PULSE_DATA));
    // From now on every status reply is damaged: the last word still says
    // "new pulse", but nothing may be fetched on it.
    CSimFaultRule bad;
    bad.kind = SimFault::BadCrc;
    bad.command = CMD_GET_STATUS_ERROR;
    m_sim->AddFault(bad);
    const uint64_t statusRequests = m_sim->GetRequestCount(CMD_GET_STATUS_ERROR);
    const uint64_t pulseRequests = m_sim->GetRequestCount(CMD_GET_PULSE_DATA);
    ASSERT_TRUE(m_sim->WaitForRequests(statusRequests + 5, 10s, CMD_GET_STATUS_ERROR));
    poller.Stop();
    // One cycle may have read its word just before the fault rule.
    EXPECT_LE(m_sim->GetRequestCount(CMD_GET_PULSE_DATA), pulseRequests + 1);
    EXPECT_EQ(poller.GetStatus()->GetStatus(), 0x0100) << "the last word known stays for display";
}

TEST_F(PollerTest, FaultsOnManyRepliesNeverPostAPulseTwice)
{
    CSimOptions options;
    options.baud = 0;
    options.pulseRate = 6.0; // fewer pulses than cycles: some cycles find none new
    options.runAtStart = true;
    CSimFaultRule mixed;
    mixed.kind = SimFault::Mixed;
    mixed.every = 4;
    options.faults.push_back(mixed);
    CSimFaultRule badStatus; // status replies, whatever the rhythm of the others
    badStatus.kind = SimFault::BadCrc;
    badStatus.command = CMD_GET_STATUS_ERROR;
    badStatus.every = 3;
    options.faults.push_back(badStatus);
    StartBoard(options);
    std::mutex lock;
    std::vector<long> indexes;
    CStatusPollar poller(m_hardware);
    poller.SetNotifier([&](unsigned message) {
        m_notes(message);
        if (message != UM_PULSE_DATA)
            return;
        CPulseData pulse;
        poller.GetPulseData(pulse);
        std::lock_guard guard(lock);
        indexes.push_back(pulse.GetPulseIndex());
    });
    poller.Start();
    ASSERT_TRUE(m_notes.WaitForStatusUpdates(40, 30s));
    poller.Stop();
    std::lock_guard guard(lock);
    ASSERT_GE(indexes.size(), 5u);
    for (size_t i = 1; i < indexes.size(); ++i)
        EXPECT_GT(indexes[i], indexes[i - 1]) << "pulse " << i << " posted again";
    EXPECT_GE(m_sim->GetCounters().Fault(SimFault::BadCrc), 1u);
}

TEST_F(PollerTest, TheCoreInterfaceStartsOneLinkAndStopsItCleanly)
{
    testsupport::CTempDir common;
    ::setenv("TARVOLIN_COMMON_DATA", common.Path().c_str(), 1);
    CFilePaths::SetInstrumentId("GC1");
    CQuillonIniConfig::Reset();
    CQuillonIniConfig::ComPort(1);
    CSimOptions options;
    options.baud = 0;
    StartBoard(options);
    m_hardware.Close();

    LogCapture log;
    CGateParameters gates;
    CHardware::Instance()->Close();
    EXPECT_EQ(CCoreInterface::GetAllGates(gates), 0) << "before Initialize the port is closed";
    EXPECT_EQ(log.Count("SendCommand: Invalid Connection"), 1u);

    CCoreInterface::SetNotifier(std::ref(m_notes));
    EXPECT_EQ(CCoreInterface::Initialize(), 0);
    EXPECT_EQ(CCoreInterface::Initialize(), 0);
    ASSERT_TRUE(m_notes.WaitForStatusUpdates(3, 10s));
    EXPECT_EQ(m_sim->GetRequestCount(CMD_GET_FIRMWARE_REVISION), 1u) << "one poller thread only";
    EXPECT_EQ(CCoreInterface::GetSystemStatus(), CCoreInterface::GetSystemStatus());
    EXPECT_EQ(CCoreInterface::GetAllGates(gates), 1);
    EXPECT_EQ(CCoreInterface::ResetToReady(), 1);
    EXPECT_EQ(m_sim->GetRequestCount(CMD_RESET_TO_READY), 1u);
    const CLinkStatus link = CCoreInterface::GetLinkStatus();
    EXPECT_EQ(link.GetCondition(), LINK_CONNECTED) << link.GetText();
    EXPECT_EQ(link.GetDevicePath(), m_ports.Link(1));
    EXPECT_EQ(CCoreInterface::GetRepeatedPulseCount(), 0u);

    CCoreInterface::Cleanup();
    const uint64_t requests = m_sim->GetRequestCount();
    EXPECT_FALSE(m_sim->WaitForRequests(requests + 1, 300ms)) << "the poller has stopped";
    EXPECT_EQ(CCoreInterface::GetAllGates(gates), 0) << "the port is closed";
    CCoreInterface::SetNotifier(nullptr);
    ::unsetenv("TARVOLIN_COMMON_DATA");
    CFilePaths::SetInstrumentId("");
}

} // namespace

namespace {

// A program that starts the link and ends without Cleanup: the poller is stopped
// at exit before the logs it writes to are gone. Everything here lives until exit.
void RunTheLinkAndExitWithoutCleanup()
{
    static testsupport::CTempDir common;
    ::setenv("TARVOLIN_COMMON_DATA", common.Path().c_str(), 1);
    static testsupport::CPortsFolder ports;
    CSimOptions options;
    options.baud = 0;
    options.portsDir = ports.Dir();
    options.stickyStatusBits = 0x0100;
    static CBoardSimulator sim(options);
    std::string error;
    if (!sim.Start(error))
        std::_Exit(3);
    CQuillonIniConfig::ComPort(1);
    static Notifications notes;
    CCoreInterface::SetNotifier(std::ref(notes));
    CCoreInterface::Initialize();
    if (!notes.WaitForStatusUpdates(3, 10s))
        std::_Exit(4);
    std::exit(0);
}

TEST(CoreInterfaceShutdown, AProgramThatNeverCallsCleanupEndsCleanly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunTheLinkAndExitWithoutCleanup(), testing::ExitedWithCode(0), "");
}

} // namespace
