// The link against the board simulator on a real pseudo-terminal: every
// exchange rule that concerns the wire, the faults, and recovery.
#include "BoardSimulator.h"
#include "FilePaths.h"
#include "Hardware.h"
#include "LogCapture.h"
#include "SimulatedBoard.h"
#include "QuillonIniConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>

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

    testsupport::CPortsFolder m_ports;
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
    const CByteArray reply =
        CHardwareBase::BuildPacket(CMD_GET_STATUS_ERROR, CByteArray{0x09, 0x05}.data(), 2);
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
    ASSERT_TRUE(m_sim->WaitFor(
        [&](const CSimCounters& c) {
            return c.pulsesFired >= static_cast<uint64_t>(first.GetPulseIndex()) + 2;
        },
        5s));
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
    const CByteArray good =
        CHardwareBase::BuildPacket(CMD_GET_STATUS_ERROR, CByteArray{0x01, 0x00}.data(), 2);
    const unsigned calc = good[6] << 8 | good[7];
    const unsigned read = calc ^ 0xFFFF;
    EXPECT_EQ(log.Count("ERROR: Bad CRC => Read = " + Hex4(read) + ", Calc = " + Hex4(calc)), 1u);
    // The next exchange is clean again.
    EXPECT_EQ(m_hardware.GetStatusError(status), 1);
    EXPECT_EQ(status, 0x0100);
}

TEST_F(LinkTest, AReplyUnderAnotherCommandCodeIsLoggedAndSkipped)
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
    EXPECT_EQ(log.Count("ERROR: Reply to command 0x81 while waiting for 0x01; discarded"), 1u);
    EXPECT_EQ(log.Count("ERROR: No reply to command 0x01"), 1u)
        << "the window ran out waiting for ours";
    EXPECT_EQ(log.CountStartingWith("Read :: <02"), 1u);
    EXPECT_EQ(m_hardware.GetStatusError(status), 1);
}

TEST_F(LinkTest, ALateReplyToAnEarlierRequestIsSkippedForTheRightOne)
{
    StartBoard();
    // The gates reply comes after the exchange gave up on it...
    m_sim->SetCommandLatency(CMD_GET_ALL_GATES, 700);
    CGateParameters gates;
    EXPECT_EQ(m_hardware.GetAllGates(gates), 0);
    // ...and is on the line, ahead of the status reply, during the next exchange.
    m_sim->SetCommandLatency(CMD_GET_ALL_GATES, std::nullopt);
    LogCapture log;
    unsigned short status = 0;
    m_sim->SetStatusBits(0x0800);
    EXPECT_EQ(m_hardware.GetStatusError(status), 1);
    EXPECT_EQ(status, 0x0800);
    EXPECT_EQ(log.Count("ERROR: Reply to command 0x11 while waiting for 0x01; discarded") +
                  log.CountStartingWith("SendCommand: 108 stale bytes discarded"),
              1u);
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

TEST_F(LinkTest, GarbageBeforeAReplySpoilsOnlyThatExchangeAndIsNamed)
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
    EXPECT_EQ(log.CountStartingWith("ERROR: Bad start byte 0x"), 1u);
    EXPECT_EQ(m_hardware.GetStatusError(status), 1);
}

TEST_F(LinkTest, ASetCommandMayTakeSecondsToBeAcknowledgedAndNoOtherExchangeWaitsThatLong)
{
    StartBoard();
    // Longer than the normal window and than five normal read attempts.
    m_sim->SetCommandLatency(CMD_SET_ALL_GATES, 1500);
    m_sim->SetCommandLatency(CMD_GET_ALL_GATES, 1500);
    CGateParameters gates;
    gates[0].SetStartA(3.0);
    EXPECT_EQ(m_hardware.SetAllGates(gates), 1)
        << "a set exchange waits for the slow acknowledgement";
    EXPECT_EQ(m_hardware.GetAllGates(gates), 0) << "a get exchange keeps the normal window";
    ASSERT_TRUE(m_sim->WaitFor([](const CSimCounters& c) { return c.replies >= 2; }, 10s));

    // The long wait belonged to the set exchange alone.
    CSimFaultRule silent;
    silent.kind = SimFault::Silence;
    silent.count = 1;
    m_sim->AddFault(silent);
    unsigned short status = 0;
    const auto start = Clock::now();
    EXPECT_EQ(m_hardware.GetStatusError(status), 0);
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_EQ(m_hardware.GetReceiveTimeout(), CHardware::kNormalTimeoutMs);
}

TEST_F(LinkTest, AFailedPulseExchangeStillWritesItsPulseLogLine)
{
    testsupport::CTempDir common;
    ::setenv("TARVOLIN_COMMON_DATA", common.Path().c_str(), 1);
    CFilePaths::SetInstrumentId("GC1");
    CQuillonIniConfig::Reset(); // no INI file: the pulse log is on
    StartBoard();
    CByteArray block(771, 0);
    block[3] = 100;                   // index 100
    block[6] = 0x07, block[7] = 0xD0; // time 2000
    m_sim->SetReplyOverride(CMD_GET_PULSE_DATA, block);
    CPulseData pulse;
    ASSERT_EQ(m_hardware.GetPulseData(pulse), 1);
    CSimFaultRule bad;
    bad.kind = SimFault::BadCrc;
    bad.count = 1;
    m_sim->AddFault(bad);
    EXPECT_EQ(m_hardware.GetPulseData(pulse), 0);

    std::ifstream log(CFilePaths::GetLogPath() + "/PulseSignals.csv");
    std::string line;
    int headers = 0, samples = 0;
    while (std::getline(log, line)) {
        headers += line == "100, 2000, 250";
        samples += line == ",,,0";
    }
    EXPECT_EQ(headers, 2) << "one line for the pulse, one for the failed exchange";
    EXPECT_EQ(samples, 500);
    CFilePaths::SetInstrumentId("");
    ::unsetenv("TARVOLIN_COMMON_DATA");
}

// Several faults at once and in a row, on any reply: each costs at most its own exchange.
struct FaultCase {
    std::string name;
    std::vector<CSimFaultRule> rules;
    std::vector<int> fails; // per exchange: status, pulse, status, pulse, ...
};

void PrintTo(const FaultCase& c, std::ostream* out)
{
    *out << c.name;
}

CSimFaultRule Rule(SimFault kind, int command, int count, int pauseMs = 100)
{
    CSimFaultRule rule;
    rule.kind = kind;
    rule.command = command;
    rule.count = count;
    rule.pauseMs = pauseMs;
    return rule;
}

class CombinedFaults : public LinkTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(CombinedFaults, CostOnlyTheExchangesTheyStrike)
{
    StartBoard(); // paced at 57600 baud: a pulse reply is on the wire for 135 ms
    for (const CSimFaultRule& rule : GetParam().rules)
        m_sim->AddFault(rule);
    LogCapture log;
    std::vector<int> fails;
    for (size_t i = 0; i < GetParam().fails.size(); ++i) {
        unsigned short status = 0;
        CPulseData pulse;
        const int ok =
            i % 2 == 0 ? m_hardware.GetStatusError(status) : m_hardware.GetPulseData(pulse);
        fails.push_back(ok ? 0 : 1);
    }
    EXPECT_EQ(fails, GetParam().fails);
    const size_t failures = static_cast<size_t>(std::count(fails.begin(), fails.end(), 1));
    EXPECT_GE(log.CountStartingWith("ERROR"), failures) << "every failed exchange is logged";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CombinedFaults,
    testing::Values(
        FaultCase{"GarbageAndSplitInOneStatusReply",
                  {Rule(SimFault::Garbage, 0x01, 1), Rule(SimFault::Split, 0x01, 1)},
                  {1, 0, 0, 0, 0, 0}},
        FaultCase{"GarbageAndSplitInOnePulseReply",
                  {Rule(SimFault::Garbage, 0x40, 1), Rule(SimFault::Split, 0x40, 1, 60)},
                  {0, 1, 0, 0, 0, 0}},
        FaultCase{"GarbageAndSplitInFourRepliesInARow",
                  {Rule(SimFault::Garbage, -1, 4), Rule(SimFault::Split, -1, 4)},
                  {1, 1, 1, 1, 0, 0}},
        FaultCase{"ThreeBadCrcsInARow", {Rule(SimFault::BadCrc, -1, 3)}, {1, 1, 1, 0, 0, 0}},
        FaultCase{"WrongCodeOnTheStatusReply", {Rule(SimFault::WrongCode, 0x01, 1)}, {1, 0, 0, 0}},
        FaultCase{"SilentStatusThenGarbledPulse",
                  {Rule(SimFault::Silence, 0x01, 1), Rule(SimFault::Garbage, 0x40, 1)},
                  {1, 1, 0, 0}},
        FaultCase{
            "SplitRepliesAloneCostNothing", {Rule(SimFault::Split, -1, 4, 150)}, {0, 0, 0, 0, 0}},
        FaultCase{"EveryKindInTurn", {Rule(SimFault::Mixed, -1, 6)}, {0, 1, 1, 1, 1, 1, 0, 0}}));

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
    EXPECT_EQ(log.Count("ReceivePacket: Connection lost") + log.Count("SendCommand: Write Failed"),
              1u);
    EXPECT_EQ(log.CountStartingWith("SendCommand: Connection restored"), 1u);
    EXPECT_EQ(m_sim->GetCounters().terminalsOpened, 2u);
}

} // namespace
