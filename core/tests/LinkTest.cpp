// The link against the board simulator on a real pseudo-terminal: every
// exchange rule that concerns the wire, the faults, and recovery.
#include "BoardSimulator.h"
#include "Hardware.h"
#include "LogCapture.h"
#include "PortFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class TestHardware : public CHardware {};

class LinkTest : public testing::Test {
protected:
    // Each test has its own ports folder, so port 1 is always free.
    void StartBoard(CSimOptions options = {})
    {
        options.portsDir = m_ports.Dir();
        options.port = 1;
        m_sim = std::make_unique<CBoardSimulator>(options);
        std::string error;
        ASSERT_EQ(m_sim->Start(error), 1) << error;
        ASSERT_EQ(m_hardware.Open(1, 57600, 8, 0, 0), 1) << m_hardware.GetLastError();
        m_hardware.SetTimeout(CHardware::kNormalTimeoutMs);
    }

    struct Hardware : TestHardware {
        void SetTimeout(int ms) { SetReceiveTimeout(ms); }
    };

    PortsFolder m_ports;
    std::unique_ptr<CBoardSimulator> m_sim;
    Hardware m_hardware;
};

std::string Hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

TEST_F(LinkTest, StatusAndRevisionsAreReadAndEveryPacketIsLogged)
{
    StartBoard();
    m_sim->SetStatusBits(0x0905);
    LogCapture log;
    unsigned short status = 0;
    ASSERT_EQ(m_hardware.GetStatusError(status), 1);
    EXPECT_EQ(status, 0x0905);
    std::string firmware, board;
    ASSERT_EQ(m_hardware.GetFirmwareRevision(firmware), 1);
    ASSERT_EQ(m_hardware.GetBoardRevision(board), 1);
    EXPECT_EQ(firmware, "21");
    EXPECT_EQ(board, "B3");
    const auto lines = log.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Send :: <0200080174e0CRLF>");
    const CByteArray reply = CHardwareBase::BuildPacket(CMD_GET_STATUS_ERROR, CByteArray{0x09, 0x05}.data(), 2);
    EXPECT_EQ(lines[1], CHardwareBase::DumpText("Read", reply.data(), reply.size()));
    EXPECT_EQ(m_sim->GetRequestCount(CMD_GET_STATUS_ERROR), 1u);
}

TEST_F(LinkTest, SetCommandsReachTheBoardAndComeBackUnchanged)
{
    StartBoard();
    CGateParameters gates;
    gates[0].SetStartA(1.25);
    gates[0].SetStopA(20.0);
    gates[1].SetType(GM_P);
    gates[1].SetAlpha(0.85);
    gates[2].SetOperator(GO_DIVIDE);
    gates[3].SetSqroot(1);
    ASSERT_EQ(m_hardware.SetAllGates(gates), 1);
    EXPECT_EQ(m_hardware.GetReceiveTimeout(), CHardware::kNormalTimeoutMs) << "long timeout undone";
    CGateParameters back;
    ASSERT_EQ(m_hardware.GetAllGates(back), 1);
    EXPECT_DOUBLE_EQ(back[0].GetStartA(), 1.2);
    EXPECT_DOUBLE_EQ(back[0].GetStopA(), 20.0);
    EXPECT_EQ(back[1].GetType(), GM_P);
    EXPECT_FLOAT_EQ(static_cast<float>(back[1].GetAlpha()), 0.85f);
    EXPECT_EQ(back[2].GetOperator(), GO_DIVIDE);
    EXPECT_EQ(back[3].GetSqroot(), 1);
    EXPECT_DOUBLE_EQ(m_sim->GetState().current.Gates()[0].GetStartA(), 1.2);

    CBoardParameters boardIn;
    boardIn.SetIgnitor(2500);
    boardIn.SetpmtVolts(640);
    CChannelParameters channelsIn;
    channelsIn[1].SetChannelZero(-300);
    channelsIn[0].SetScalarChannel(10);
    ASSERT_EQ(m_hardware.SetBoardAndChannelParam(boardIn, channelsIn), 1);
    CBoardParameters boardOut;
    CChannelParameters channelsOut;
    ASSERT_EQ(m_hardware.GetBoardAndChannelParam(boardOut, channelsOut), 1);
    EXPECT_EQ(boardOut, boardIn);
    EXPECT_EQ(channelsOut[1].GetChannelZero(), -300);
    EXPECT_EQ(channelsOut[0].GetScalarChannel(), 10);

    channelsIn[0].SetChannelZero(4242);
    ASSERT_EQ(m_hardware.SetChannelParamZero(channelsIn, 1), 1);
    CChannelParameters zeros;
    ASSERT_EQ(m_hardware.GetChannelParamZero(zeros, 1), 1);
    EXPECT_EQ(zeros[0].GetChannelZero(), 4242);

    CTimedEvent events;
    CTimedEventData e;
    e.SetEventTime(1.5);
    e.SetEventCode(EC_IGNITOR_CURRENT);
    e.SetEventChannel(1);
    e.SetEventValue(0.25);
    events.AddTimedEvent(e);
    ASSERT_EQ(m_hardware.SetTimedEvent(events), 1);
    EXPECT_EQ(m_sim->GetState().current.events,
              (CByteArray{0x00, 0x01, 0x00, 0x00, 0x00, 0x96, 0x03, 0x01, 0x00, 0x00, 0x00, 0xFA}));
    CTimedEvent eventsBack;
    ASSERT_EQ(m_hardware.GetTimedEvent(eventsBack), 1);
    EXPECT_EQ(eventsBack, events);
    ASSERT_EQ(m_hardware.ClearAllTimedEvent(), 1);
    ASSERT_EQ(m_hardware.GetTimedEvent(eventsBack), 1);
    EXPECT_EQ(eventsBack.GetCount(), 0);

    ASSERT_EQ(m_hardware.SetParametersToEEPROM(), 1);
    EXPECT_EQ(m_sim->GetState().eepromSaves, 1);
    ASSERT_EQ(m_hardware.SetParametersToDefault(), 1);
    EXPECT_EQ(m_sim->GetState().current, CSimParameterSet::Defaults());
}

TEST_F(LinkTest, PulsesAreDecodedAndTheirFrequencyComesFromSuccessivePulses)
{
    StartBoard();
    CByteArray block(771, 0);
    auto put = [&](int at, uint32_t v, int size) {
        for (int i = 0; i < size; ++i)
            block[static_cast<size_t>(at + i)] = static_cast<uint8_t>(v >> (8 * (size - 1 - i)));
    };
    put(0, 100, 4);
    put(4, 2000, 4);
    put(8, 0x123456, 3);
    put(758, 77, 3);
    m_sim->SetReplyOverride(CMD_GET_PULSE_DATA, block);
    LogCapture log;
    CPulseData pulse;
    ASSERT_EQ(m_hardware.GetPulseData(pulse), 1);
    EXPECT_EQ(pulse.GetDataCount(), 250);
    EXPECT_EQ(pulse.GetData(0), 0x123456);
    EXPECT_EQ(pulse.GetCh1Offset(), 77u);

    put(0, 110, 4);
    put(4, 2010, 4);
    m_sim->SetReplyOverride(CMD_GET_PULSE_DATA, block);
    ASSERT_EQ(m_hardware.GetPulseData(pulse), 1);
    EXPECT_DOUBLE_EQ(pulse.GetFrequencyPulse(), 100.0);
    EXPECT_EQ(log.Count("Calculated Frequency_Pulse = 100.000000"), 1u);

    // The same pulse again: no time has passed, the frequency stays.
    ASSERT_EQ(m_hardware.GetPulseData(pulse), 1);
    EXPECT_DOUBLE_EQ(pulse.GetFrequencyPulse(), 100.0);

    // A short block is a damaged reply, not a pulse with trailer bytes as samples.
    m_sim->SetReplyOverride(CMD_GET_PULSE_DATA, CByteArray(770, 1));
    CPulseData before = pulse;
    EXPECT_EQ(m_hardware.GetPulseData(pulse), 0);
    EXPECT_EQ(pulse, before);
    EXPECT_EQ(log.Count("ERROR: Pulse block of 770 bytes, expected 771"), 1u);
}

TEST_F(LinkTest, ARunGivesLivePulsesStampedFromItsStart)
{
    CSimOptions options;
    options.baud = 0;
    options.clockSpeed = 10.0;
    options.pulseRate = 7.0;
    StartBoard(options);
    m_sim->StartRun();
    ASSERT_TRUE(m_sim->WaitFor([](const CSimCounters& c) { return c.pulsesFired >= 3; }, 5s));
    unsigned short status = 0;
    ASSERT_EQ(m_hardware.GetStatusError(status), 1);
    EXPECT_TRUE(status & 0x0800);
    CPulseData first, second;
    ASSERT_EQ(m_hardware.GetPulseData(first), 1);
    ASSERT_TRUE(m_sim->WaitFor([&](const CSimCounters& c) {
        return c.pulsesFired >= static_cast<uint64_t>(first.GetPulseIndex()) + 2;
    }, 5s));
    ASSERT_EQ(m_hardware.GetPulseData(second), 1);
    EXPECT_EQ(second.GetDataCount(), 250);
    EXPECT_GT(second.GetPulseIndex(), first.GetPulseIndex());
    EXPECT_GT(second.GetPulseTime(), first.GetPulseTime());
    // 7 pulses per run-clock second, whatever the clock's speed.
    EXPECT_NEAR(second.GetFrequencyPulse(), 7.0, 1.5);
}

TEST_F(LinkTest, AReplyInPiecesIsAssembled)
{
    StartBoard();
    CSimFaultRule split;
    split.kind = SimFault::Split;
    split.splitAt = 8;
    split.pauseMs = 120;
    m_sim->AddFault(split);
    CPulseData pulse;
    EXPECT_EQ(m_hardware.GetPulseData(pulse), 1);
    EXPECT_EQ(pulse.GetDataCount(), 250);
    unsigned short status = 0;
    EXPECT_EQ(m_hardware.GetStatusError(status), 1);
}

TEST_F(LinkTest, ABadCrcIsReportedWithTheReceivedValueFirst)
{
    StartBoard();
    m_sim->SetStatusBits(0x0100);
    CSimFaultRule bad;
    bad.kind = SimFault::BadCrc;
    bad.count = 1;
    m_sim->AddFault(bad);
    LogCapture log;
    unsigned short status = 0;
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    EXPECT_EQ(status, 0);
    const CByteArray good = CHardwareBase::BuildPacket(CMD_GET_STATUS_ERROR, CByteArray{0x01, 0x00}.data(), 2);
    const unsigned calc = good[6] << 8 | good[7];
    const unsigned read = calc ^ 0xFFFF;
    EXPECT_EQ(log.Count("ERROR: Bad CRC => Read = " + Hex4(read) + ", Calc = " + Hex4(calc)), 1u);
    // The next exchange is clean again.
    EXPECT_EQ(m_hardware.GetStatusError(status), 1);
    EXPECT_EQ(status, 0x0100);
}

TEST_F(LinkTest, AnotherCommandCodeFailsSilently)
{
    StartBoard();
    CSimFaultRule wrong;
    wrong.kind = SimFault::WrongCode;
    wrong.count = 1;
    m_sim->AddFault(wrong);
    LogCapture log;
    unsigned short status = 7;
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    EXPECT_EQ(status, 7);
    EXPECT_EQ(log.CountStartingWith("ERROR"), 0u);
    EXPECT_EQ(log.CountStartingWith("Read :: <02"), 1u);
}

TEST_F(LinkTest, APartReplyEndingInCrLfIsTakenAsCompleteAndFailsOnItsSize)
{
    StartBoard();
    m_sim->SetReplyOverride(CMD_GET_OP_MODE, CByteArray{0xAA, 0xAA, 0x0D, 0x0A});
    CSimFaultRule split;
    split.kind = SimFault::Split;
    split.splitAt = 8;
    split.pauseMs = 200;
    split.count = 1;
    m_sim->AddFault(split);
    LogCapture log;
    unsigned short mode = 0;
    EXPECT_EQ(m_hardware.GetOpMode(mode), 0);
    EXPECT_EQ(log.Count("ERROR: Packet size mismatch. Size should be 12, but actual size = 8"), 1u);
}

TEST_F(LinkTest, SilenceGivesEmptyReadsAnEmptyDumpAndFailureAfterTheWindow)
{
    StartBoard();
    CSimFaultRule silent;
    silent.kind = SimFault::Silence;
    silent.count = 1;
    m_sim->AddFault(silent);
    LogCapture log;
    unsigned short status = 0;
    const auto start = Clock::now();
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    EXPECT_GE(Clock::now() - start, 500ms);
    EXPECT_GE(log.Count("Empty read"), 1u);
    EXPECT_EQ(log.Count("Read :: <>"), 1u);
    EXPECT_EQ(m_hardware.GetStatusError(status), 1);
}

TEST_F(LinkTest, GarbageBeforeAReplySpoilsOnlyThatExchange)
{
    StartBoard();
    CSimFaultRule garbage;
    garbage.kind = SimFault::Garbage;
    garbage.count = 1;
    m_sim->AddFault(garbage);
    unsigned short status = 0;
    LogCapture log;
    const auto start = Clock::now();
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(m_hardware.GetStatusError(status), 1);
}

TEST_F(LinkTest, ALostBoardIsReconnectedOnceItReturnsWithoutFloodingTheLog)
{
    CSimOptions options;
    options.baud = 0;
    StartBoard(options);
    unsigned short status = 0;
    ASSERT_EQ(m_hardware.GetStatusError(status), 1);
    LogCapture log;
    ASSERT_EQ(m_sim->DropLink(300), 1);
    int failures = 0;
    const auto deadline = Clock::now() + 10s;
    while (!m_hardware.GetStatusError(status) && Clock::now() < deadline) {
        ++failures;
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_LT(Clock::now(), deadline) << "the link never came back";
    EXPECT_GE(failures, 1);
    EXPECT_LE(log.Count("Empty read"), 2u);
    // The loss shows once, on whichever side of the exchange met it first.
    EXPECT_EQ(log.Count("ReceivePacket: Connection lost") + log.Count("SendCommand: Write Failed"), 1u);
    EXPECT_EQ(log.CountStartingWith("SendCommand: Connection restored"), 1u);
    EXPECT_EQ(m_sim->GetCounters().terminalsOpened, 2u);
}

} // namespace
