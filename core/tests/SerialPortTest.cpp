// The serial port on a real pseudo-terminal: opening, timeouts, attempts,
// and recovery from a lost line.
#include "Hardware.h"
#include "LogCapture.h"
#include "SimulatedBoard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Reaches the port's protected operations the way the packet layer does.
class TestPort : public CSerialPort {
public:
    using CSerialPort::ClearBuffers;
    using CSerialPort::HasValidConnection;
    using CSerialPort::OpenComPort;
    using CSerialPort::Read;
    using CSerialPort::SetReceiveTimeout;
    using CSerialPort::SetRtsControl;
    using CSerialPort::Write;
};

class TestHardware : public CHardware {};

long ElapsedMs(Clock::time_point since)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

TEST(SerialPort, OpeningFailsCleanlyForMissingPortsAndBadModes)
{
    testsupport::CPortsFolder ports;
    TestPort port;
    EXPECT_EQ(port.SetReceiveTimeout(50), 0);
    EXPECT_EQ(port.IsTimeoutSet(), 0) << "a port never opened records no timeout";
    EXPECT_EQ(port.Open(7, 57600, 8, 0, 0), 0);
    EXPECT_EQ(port.HasValidConnection(), 0);

    testsupport::CFarEnd line;
    ports.PointAt(7, line.SlavePath());
    EXPECT_EQ(port.OpenComPort(7, 3, 57600, 8, 0, 0), 0);
    EXPECT_EQ(port.HasValidConnection(), 0);
    EXPECT_EQ(port.Open(7, 57600, 8, 0, 0), 1);
    EXPECT_EQ(port.GetState(), 1);

    // Exclusive: a second port object cannot take the same device.
    TestPort second;
    EXPECT_EQ(second.Open(7, 57600, 8, 0, 0), 0);
    EXPECT_NE(second.GetLastError().find("in use"), std::string::npos) << second.GetLastError();

    // A line without modem lines accepts either RTS mode.
    port.Close();
    port.SetRtsControl(COM_RTS_ON);
    EXPECT_EQ(port.Open(7, 57600, 8, 0, 0), 1);
    EXPECT_EQ(port.GetRtsControl(), COM_RTS_ON);
}

TEST(SerialPort, ReadMakesFiveAttemptsAndStopsAtTheFirstByte)
{
    testsupport::CPortsFolder ports;
    testsupport::CFarEnd line;
    ports.PointAt(2, line.SlavePath());
    TestPort port;
    ASSERT_EQ(port.Open(2, 57600, 8, 0, 0), 1);
    ASSERT_EQ(port.SetReceiveTimeout(60), 1);
    unsigned char buffer[16];

    auto start = Clock::now();
    EXPECT_EQ(port.Read(8, buffer), 0);
    EXPECT_GE(ElapsedMs(start), 5 * 60 - 5);

    // A byte that arrives while the attempts go on ends them: sent once the
    // reader is about to wait, it lands in an early attempt, and the read ends
    // with that attempt instead of going through all five.
    std::mutex lock;
    std::condition_variable changed;
    bool reading = false;
    std::thread sender([&] {
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return reading; });
        line.Send({0x5A});
    });
    {
        std::lock_guard guard(lock);
        reading = true;
    }
    changed.notify_all();
    start = Clock::now();
    EXPECT_EQ(port.Read(8, buffer), 1);
    const long took = ElapsedMs(start);
    sender.join();
    EXPECT_EQ(buffer[0], 0x5A);
    EXPECT_LT(took, 5 * 60) << "the attempts end at the first byte";
}

TEST(SerialPort, AWriteThatMovesOnlyPartOfTheDataFails)
{
    testsupport::CPortsFolder ports;
    testsupport::CFarEnd line; // never reads: the line fills up
    ports.PointAt(6, line.SlavePath());
    TestPort port;
    ASSERT_EQ(port.Open(6, 57600, 8, 0, 0), 1);
    const std::vector<unsigned char> data(4 * 1024 * 1024, 0x55);
    int written = -1;
    EXPECT_EQ(port.Write(data.data(), static_cast<int>(data.size()), &written), 0);
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<int>(data.size()));
    EXPECT_EQ(port.HasValidConnection(), 1) << "only a write that moved nothing reopens";
}

TEST(SerialPort, AnUnsupportedBaudRateIsRefusedAndLogged)
{
    testsupport::CPortsFolder ports;
    testsupport::CFarEnd line;
    ports.PointAt(8, line.SlavePath());
    TestPort port;
    EXPECT_EQ(port.Open(8, 12345, 8, 0, 0), 0);
    EXPECT_EQ(port.GetLastError(), "unsupported baud rate 12345");
    EXPECT_EQ(port.HasValidConnection(), 0);

    LogCapture log;
    TestHardware hardware;
    EXPECT_EQ(hardware.Open(8, 0, 8, 0, 0), 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Open: COM8 (" + ports.Link(8) +
                                                     ") failed: unsupported baud rate 0"}));
    EXPECT_EQ(hardware.GetLinkStatus().GetCondition(), LINK_NOT_PRESENT);
    EXPECT_EQ(hardware.Open(8, 115200, 8, 0, 0), 1);
}

TEST(SerialPort, AWriteOnALostLineReopensWithTheSameSettingsAndTimeout)
{
    testsupport::CPortsFolder ports;
    auto first = std::make_unique<testsupport::CFarEnd>();
    ports.PointAt(3, first->SlavePath());
    TestPort port;
    ASSERT_EQ(port.Open(3, 57600, 8, 0, 0), 1);
    ASSERT_EQ(port.SetReceiveTimeout(40), 1);

    first->Close(); // the far end hangs up...
    testsupport::CFarEnd second;  // ...and comes back as another device behind the same link
    ports.PointAt(3, second.SlavePath());
    const unsigned char data[] = {1, 2, 3};
    int written = -1;
    EXPECT_EQ(port.Write(data, 3, &written), 0);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(port.HasValidConnection(), 1) << "reopened at once";
    EXPECT_EQ(port.GetPortNumber(), 3);
    EXPECT_EQ(port.GetReceiveTimeout(), 40);

    // The reopened port keeps its bounded wait.
    unsigned char buffer[8];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(8, buffer), 0);
    EXPECT_LT(ElapsedMs(start), 2000);
    EXPECT_EQ(port.Write(data, 3, &written), 1);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(second.Receive(500), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(SerialPort, AReadOnAHungUpLineClosesThePort)
{
    testsupport::CPortsFolder ports;
    testsupport::CFarEnd line;
    ports.PointAt(4, line.SlavePath());
    TestPort port;
    ASSERT_EQ(port.Open(4, 57600, 8, 0, 0), 1);
    port.SetReceiveTimeout(50);
    line.Close();
    unsigned char buffer[8];
    EXPECT_EQ(port.Read(8, buffer), 0);
    EXPECT_EQ(port.HasValidConnection(), 0);
}

TEST(PacketLayer, AClosedPortFailsWithOneMessageAndNothingIsSent)
{
    testsupport::CPortsFolder ports;
    TestHardware hardware;
    LogCapture log;
    CByteArray response = {9, 9};
    KLYN_CMDS code = CMD_GET_STATUS_ERROR;
    EXPECT_EQ(hardware.SendReceive(CMD_GET_STATUS_ERROR, nullptr, 0, code, response), 0);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"SendCommand: Invalid Connection"}));
    EXPECT_EQ(response, (CByteArray{9, 9}));
}

TEST(PacketLayer, OversizedPayloadsAndEventTablesAreRefused)
{
    testsupport::CPortsFolder ports;
    testsupport::CFarEnd line;
    ports.PointAt(5, line.SlavePath());
    TestHardware hardware;
    ASSERT_EQ(hardware.Open(5, 57600, 8, 0, 0), 1);
    LogCapture log;
    CByteArray payload(1017, 0x55);
    CByteArray response;
    KLYN_CMDS code = CMD_SET_TIMED_EVENT;
    EXPECT_EQ(hardware.SendReceive(CMD_SET_TIMED_EVENT, payload.data(), 1017, code, response), 0);

    CTimedEvent events;
    for (int i = 0; i < 102; ++i) {
        CTimedEventData e;
        e.SetEventTime(i);
        events.AddTimedEvent(e);
    }
    EXPECT_EQ(hardware.SetTimedEvent(events), 0);
    EXPECT_TRUE(line.Receive(100).empty()) << "nothing reached the wire";
    EXPECT_EQ(log.CountStartingWith("Send ::"), 0u);
    EXPECT_EQ(CHardware::kMaxEvents, 101);

    CTimedEvent empty;
    EXPECT_EQ(hardware.SetTimedEvent(empty), 0);
    CChannelParameters channels;
    EXPECT_EQ(hardware.GetChannelParamZero(channels, 3), 0);
    EXPECT_EQ(hardware.SetChannelParamZero(channels, 0), 0);
    EXPECT_TRUE(line.Receive(50).empty());
}

} // namespace
