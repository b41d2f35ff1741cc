// Which device a port number names, following a USB adapter that comes and
// goes, and the link state the programs show.
#include "BoardSimulator.h"
#include "Hardware.h"
#include "LogCapture.h"
#include "SimulatedBoard.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

enum class Link { None, ToADevice, Dangling };
enum class Expect { TheLink, TheBuiltInPort };

struct ResolveCase {
    std::string name;
    Link link;
    bool realUart; // what the serial driver says of the built-in port
    bool linkSeenBefore;
    Expect expect;
};

void PrintTo(const ResolveCase& c, std::ostream* out)
{
    *out << c.name;
}

class PortResolution : public testing::TestWithParam<ResolveCase> {};

TEST_P(PortResolution, PrefersTheLinkAndFallsBackOnlyToARealUart)
{
    const ResolveCase& c = GetParam();
    testsupport::CPortsFolder ports;
    testsupport::CFarEnd adapter, builtIn;
    CPortResolver resolver(
        [&](const std::string& device) { return c.realUart && device == builtIn.SlavePath(); },
        [&](int) { return builtIn.SlavePath(); });
    if (c.linkSeenBefore) {
        ports.PointAt(3, adapter.SlavePath());
        ASSERT_EQ(resolver.Resolve(3), ports.Link(3));
        std::filesystem::remove(ports.Link(3));
    }
    if (c.link == Link::ToADevice)
        ports.PointAt(3, adapter.SlavePath());
    else if (c.link == Link::Dangling)
        ports.PointAt(3, ports.Dir() + "/gone");
    const std::string expected = c.expect == Expect::TheLink ? ports.Link(3) : builtIn.SlavePath();
    EXPECT_EQ(resolver.Resolve(3), expected);
    EXPECT_EQ(resolver.WasLinkSeen(3), c.link != Link::None || c.linkSeenBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Ports, PortResolution,
    testing::Values(
        ResolveCase{"LinkToADevice", Link::ToADevice, true, false, Expect::TheLink},
        ResolveCase{"LinkPointingNowhere", Link::Dangling, true, false, Expect::TheLink},
        ResolveCase{"NoLinkAndARealUart", Link::None, true, false, Expect::TheBuiltInPort},
        ResolveCase{"NoLinkAndAnEmptyPort", Link::None, false, false, Expect::TheLink},
        ResolveCase{"LinkGoneAfterItWasSeen", Link::None, true, true, Expect::TheLink}));

TEST(PortResolution, TheDefaultBuiltInPortIsTtySOfOneLess)
{
    testsupport::CPortsFolder ports;
    std::string asked;
    CPortResolver resolver(
        [&](const std::string& device) {
            asked = device;
            return false;
        },
        [](int port) { return "/dev/ttyS" + std::to_string(port - 1); });
    EXPECT_EQ(resolver.Resolve(4), ports.Link(4));
    EXPECT_EQ(asked, "/dev/ttyS3");
    EXPECT_FALSE(CPortResolver::IsRealUart(ports.Dir())) << "a folder is no UART";
}

// Reaches the resolver the way a program of the workstation would not need to.
class TestHardware : public CHardware {
public:
    using CSerialPort::SetPortResolver;
    int Connect(int port)
    {
        const int opened = Open(port, 57600, 8, 0, 0);
        SetReceiveTimeout(kNormalTimeoutMs);
        return opened;
    }
};

class FollowingTheAdapter : public testing::Test {
protected:
    std::unique_ptr<CBoardSimulator> PlugIn(int port)
    {
        CSimOptions options;
        options.baud = 0;
        options.portsDir = m_ports.Dir();
        options.port = port;
        auto sim = std::make_unique<CBoardSimulator>(options);
        std::string error;
        EXPECT_EQ(sim->Start(error), 1) << error;
        return sim;
    }
    // Status exchanges until one succeeds; false at the deadline.
    bool PollUntilAnswered(std::chrono::seconds deadline = 15s)
    {
        const auto end = Clock::now() + deadline;
        unsigned short status = 0;
        while (Clock::now() < end) {
            if (m_hardware.GetStatusError(status))
                return true;
            std::this_thread::sleep_for(20ms); // a poll cycle's pace, not a timing assumption
        }
        return false;
    }

    testsupport::CPortsFolder m_ports;
    TestHardware m_hardware;
};

TEST_F(FollowingTheAdapter, ALinkThatAppearsIsPreferredToTheBuiltInPort)
{
    testsupport::CFarEnd uart; // a built-in port that exists and never answers
    m_hardware.SetPortResolver(
        CPortResolver([&](const std::string& d) { return d == uart.SlavePath(); },
                      [&](int) { return uart.SlavePath(); }));
    ASSERT_EQ(m_hardware.Connect(1), 1);
    EXPECT_EQ(m_hardware.GetDevicePath(), uart.SlavePath());
    unsigned short status = 0;
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    EXPECT_EQ(m_hardware.GetLinkStatus().GetCondition(), LINK_NO_RESPONSE);

    LogCapture log;
    auto sim = PlugIn(1);
    ASSERT_TRUE(PollUntilAnswered());
    EXPECT_EQ(m_hardware.GetDevicePath(), m_ports.Link(1));
    EXPECT_EQ(log.CountStartingWith("SendCommand: COM1 moved from " + uart.SlavePath() + " to " +
                                    m_ports.Link(1)),
              1u);
    const CLinkStatus link = m_hardware.GetLinkStatus();
    EXPECT_EQ(link.GetCondition(), LINK_CONNECTED);
    EXPECT_EQ(link.GetText(), "COM1 connected (" + m_ports.Link(1) + ")");
}

TEST_F(FollowingTheAdapter, APortAbsentAtStartIsOpenedOnceItsLinkAppears)
{
    LogCapture log;
    m_hardware.SetPortResolver(CPortResolver([](const std::string&) { return false; },
                                             [](int) { return std::string("/nonexistent"); }));
    EXPECT_EQ(m_hardware.Connect(2), 0);
    CLinkStatus link = m_hardware.GetLinkStatus();
    EXPECT_EQ(link.GetCondition(), LINK_NOT_PRESENT);
    EXPECT_EQ(link.GetDevicePath(), m_ports.Link(2));
    EXPECT_EQ(log.CountStartingWith("Open: COM2 (" + m_ports.Link(2) + ") failed: cannot open"),
              1u);

    auto sim = PlugIn(2);
    ASSERT_TRUE(PollUntilAnswered());
    EXPECT_EQ(log.CountStartingWith("SendCommand: Connection restored on COM2"), 1u);
    EXPECT_EQ(m_hardware.GetLinkStatus().GetCondition(), LINK_CONNECTED);
}

TEST_F(FollowingTheAdapter, AnAdapterPluggedBackInIsFoundAgainAndTheStateSaysWhatHappened)
{
    auto sim = PlugIn(3);
    ASSERT_EQ(m_hardware.Connect(3), 1);
    ASSERT_TRUE(PollUntilAnswered());

    // Unplugged: the link is removed, as udev does.
    sim->Stop();
    unsigned short status = 0;
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    EXPECT_EQ(m_hardware.GetLinkStatus().GetCondition(), LINK_NOT_PRESENT)
        << m_hardware.GetLinkStatus().GetText();

    // Plugged in again: a new device behind the same link.
    sim = PlugIn(3);
    ASSERT_TRUE(PollUntilAnswered());
    EXPECT_EQ(m_hardware.GetLinkStatus().GetCondition(), LINK_CONNECTED);
}

TEST_F(FollowingTheAdapter, ABoardThatStopsAnsweringShowsSinceWhenAndABusyPortSaysSo)
{
    auto sim = PlugIn(4);
    ASSERT_EQ(m_hardware.Connect(4), 1);
    ASSERT_TRUE(PollUntilAnswered());
    CSimFaultRule silent;
    silent.kind = SimFault::Silence;
    sim->AddFault(silent);
    const auto before = CLinkStatus::WallClock::now();
    unsigned short status = 0;
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    const CLinkStatus link = m_hardware.GetLinkStatus();
    EXPECT_EQ(link.GetCondition(), LINK_NO_RESPONSE);
    EXPECT_GE(link.GetNoResponseSince(), before);
    EXPECT_LE(link.GetNoResponseSince(), CLinkStatus::WallClock::now());
    EXPECT_NE(link.GetText().find("COM4: no response since "), std::string::npos) << link.GetText();

    TestHardware other; // a second program on the same port
    EXPECT_EQ(other.Connect(4), 0);
    EXPECT_EQ(other.GetLinkStatus().GetCondition(), LINK_BUSY);
    EXPECT_EQ(other.GetLinkStatus().GetText(),
              "COM4 is used by another program (" + m_ports.Link(4) + ")");
}

} // namespace
