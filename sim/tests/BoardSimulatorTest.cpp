// The simulator as a host sees it: a real pseudo-terminal, real bytes, the board's answers.
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace {

using namespace simtest;

CByteArray Be(uint32_t value, int count)
{
    CByteArray bytes;
    CCommonUtils::AddBytesToStream(bytes, value, count);
    return bytes;
}

std::string LinkTarget(const std::string& link)
{
    char buffer[512];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof(buffer) - 1);
    return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

TEST(BoardSimulator, StartsOnALinkedPseudoTerminalAndRemovesTheLinkOnStop)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    CBoardSimulator simulator(options);
    EXPECT_EQ(simulator.GetLinkPath(), options.portsDir + "/COM" + std::to_string(options.port));
    std::string error;
    ASSERT_EQ(simulator.Start(error), 1) << error;
    EXPECT_EQ(simulator.Start(error), 0); // once is enough
    EXPECT_EQ(simulator.GetDevicePath().rfind("/dev/pts/", 0), 0u);
    EXPECT_EQ(LinkTarget(simulator.GetLinkPath()), simulator.GetDevicePath());

    {
        RawHost host(simulator.GetLinkPath());
        ASSERT_TRUE(host.IsOpen());
        ASSERT_TRUE(host.Write({0x02, 0x00, 0x08, 0x01, 0x74, 0xE0, 0x0D, 0x0A}));
        const auto reply = host.ReadReply();
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->WellFormed());
        EXPECT_TRUE(reply->junk.empty());
        EXPECT_EQ(reply->Command(), 0x01);
        EXPECT_EQ(reply->Payload(), (CByteArray{0x00, 0x00}));
    }
    // A host that comes and goes leaves the board answering: no EIO, no echo.
    {
        RawHost host(simulator.GetLinkPath());
        const auto reply = host.Exchange(0x02);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->Payload(), (CByteArray{'2', '1'}));
    }
    simulator.Stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(simulator.GetLinkPath())));
    EXPECT_TRUE(simulator.GetDevicePath().empty());
    EXPECT_EQ(simulator.GetCounters().requests, 2u);
}

TEST(BoardSimulator, AnswersTheReadCommandsWithTheirFixedSizes)
{
    TempDir dir;
    Bench bench(FastOptions(dir));
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    bench.simulator.SetRevisions("22", "C1");
    struct Case {
        uint8_t command;
        CByteArray payload;
    };
    const CSimParameterSet defaults = CSimParameterSet::Defaults();
    const Case cases[] = {
        {0x01, {0x00, 0x00}}, {0x02, {'2', '2'}},         {0x03, {'C', '1'}},
        {0x04, {0x00, 0x01}}, {0x05, {0x00, 0x00}},       {0x06, Be(0, 4)},
        {0x07, Be(0, 4)},     {0x11, defaults.gates},     {0x13, defaults.boardChannel},
        {0x21, {0x00, 0x00}}, {0x40, CByteArray(771, 0)}, // before any run: the zero pulse
    };
    for (const Case& c : cases) {
        const auto reply = bench.host->Exchange(c.command);
        ASSERT_TRUE(reply) << int(c.command);
        EXPECT_TRUE(reply->WellFormed()) << int(c.command);
        EXPECT_EQ(reply->Command(), c.command);
        EXPECT_EQ(reply->Payload(), c.payload) << int(c.command);
    }
    EXPECT_EQ(bench.simulator.GetCounters().requestsByCommand[0x40], 1u);
}

TEST(BoardSimulator, SetCommandsAcknowledgeAndTheGetsReturnTheSameBytes)
{
    TempDir dir;
    Bench bench(FastOptions(dir));
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    RawHost& host = *bench.host;

    CByteArray gates(100);
    for (size_t i = 0; i < gates.size(); ++i)
        gates[i] = static_cast<uint8_t>(i * 7 + 1);
    CByteArray boardChannel(30);
    for (size_t i = 0; i < boardChannel.size(); ++i)
        boardChannel[i] = static_cast<uint8_t>(0xF0 - i);
    const CByteArray oneEvent = {0x00, 0x01, 0x00, 0x00, 0x00, 0x96,
                                 0x03, 0x01, 0x00, 0x00, 0x00, 0xFA};

    for (const auto& [set, get, block] :
         {std::tuple{0x10, 0x11, gates}, std::tuple{0x12, 0x13, boardChannel},
          std::tuple{0x20, 0x21, oneEvent}}) {
        const auto ack = host.Exchange(static_cast<uint8_t>(set), block);
        ASSERT_TRUE(ack);
        EXPECT_EQ(ack->packet.size(), 8u);
        EXPECT_EQ(ack->Command(), set);
        const auto reply = host.Exchange(static_cast<uint8_t>(get));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->Payload(), block) << set;
    }
    const CSimBoardSnapshot state = bench.simulator.GetState();
    ASSERT_EQ(state.current.Events().GetCount(), 1);
    EXPECT_DOUBLE_EQ(state.current.Events()[0].GetEventTime(), 1.5);
    EXPECT_EQ(state.current.Events()[0].GetEventCode(), EC_IGNITOR_CURRENT);
    EXPECT_EQ(state.current.Events()[0].GetEventChannel(), 1);
    EXPECT_DOUBLE_EQ(state.current.Events()[0].GetEventValue(), 0.25);
    EXPECT_EQ(state.current.gates, gates);

    // Channel zeros: set through 0x14/0x15, seen in the board block and through 0x06/0x07.
    ASSERT_TRUE(host.Exchange(0x14, Be(0x00012345, 4)));
    ASSERT_TRUE(host.Exchange(0x15, Be(0xFFFFFFF6, 4)));
    EXPECT_EQ(host.Exchange(0x06)->Payload(), Be(0x00012345, 4));
    EXPECT_EQ(host.Exchange(0x07)->Payload(), Be(0xFFFFFFF6, 4));
    const CByteArray block = host.Exchange(0x13)->Payload();
    EXPECT_EQ(CBoardBlocks::Field(block, 18, 4), 0x00012345u);
    EXPECT_EQ(bench.simulator.GetState().current.ChannelZero(2), -10);

    ASSERT_TRUE(host.Exchange(0x22));
    EXPECT_EQ(host.Exchange(0x21)->Payload(), (CByteArray{0x00, 0x00}));
}

TEST(BoardSimulator, WrongSizedSetsAndUnknownCommandsAreAcknowledgedButChangeNothing)
{
    TempDir dir;
    Bench bench(FastOptions(dir));
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    RawHost& host = *bench.host;
    const CSimParameterSet before = bench.simulator.GetState().current;

    const std::pair<uint8_t, CByteArray> requests[] = {
        {0x10, CByteArray(99, 1)},
        {0x12, CByteArray(31, 1)},
        {0x14, CByteArray(3, 1)},
        {0x20, {0x00, 0x03, 0, 0, 0, 1, 2, 1, 0, 0, 0, 1}}, // announces 3, carries 1
        {0x08, {}},
        {0x7F, {1, 2, 3}},
    };
    for (const auto& [command, payload] : requests) {
        const auto ack = host.Exchange(command, payload);
        ASSERT_TRUE(ack) << int(command);
        EXPECT_EQ(ack->Command(), command);
        EXPECT_TRUE(ack->Payload().empty());
    }
    EXPECT_EQ(bench.simulator.GetState().current, before);
    const CSimCounters counters = bench.simulator.GetCounters();
    EXPECT_EQ(counters.badPayloads, 4u);
    EXPECT_EQ(counters.unknownCommands, 2u);
    EXPECT_EQ(counters.requestsByCommand[0x7F], 1u);
}

TEST(BoardSimulator, DefaultsRestoreTheFactorySetAndTheEepromKeepsTheSavedOne)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    options.eepromPath = dir.File("eeprom.bin");
    CByteArray gates(100, 0x11);
    {
        Bench bench(options);
        ASSERT_TRUE(bench.Ready()) << bench.startError;
        RawHost& host = *bench.host;
        ASSERT_TRUE(host.Exchange(0x10, gates));
        ASSERT_TRUE(host.Exchange(0x60));
        ASSERT_TRUE(host.Exchange(0x31));
        EXPECT_EQ(host.Exchange(0x11)->Payload(), CSimParameterSet::Defaults().gates);
        const CSimBoardSnapshot state = bench.simulator.GetState();
        EXPECT_EQ(state.eeprom.gates, gates);
        EXPECT_EQ(state.eepromSaves, 1);
    }
    // Power up again: the board starts from what it saved.
    Bench again(options);
    ASSERT_TRUE(again.Ready()) << again.startError;
    EXPECT_EQ(again.host->Exchange(0x11)->Payload(), gates);

    std::ofstream(options.eepromPath, std::ios::trunc) << "not an eeprom";
    CBoardSimulator broken(options);
    std::string error;
    EXPECT_EQ(broken.Start(error), 0);
    EXPECT_NE(error.find("eeprom.bin"), std::string::npos);
}

TEST(BoardSimulator, ARunSetsItsBitUntilResetToReady)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    options.pulseRate = 0; // no pulses: only the run bit matters here
    Bench bench(options);
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    RawHost& host = *bench.host;
    bench.simulator.StartRun();
    EXPECT_TRUE(bench.simulator.IsRunning());
    EXPECT_EQ(Word(host.Exchange(0x01)->Payload()), 0x0800);
    ASSERT_TRUE(host.Exchange(0x30));
    EXPECT_FALSE(bench.simulator.IsRunning());
    EXPECT_EQ(Word(host.Exchange(0x01)->Payload()), 0x0000);

    // Status bits set from outside show up; sticky ones survive what the board does.
    bench.simulator.SetStatusBits(0x0005);
    bench.simulator.SetStickyStatusBits(0x0100);
    EXPECT_EQ(Word(host.Exchange(0x01)->Payload()), 0x0105);
    host.Exchange(0x40);
    EXPECT_EQ(Word(host.Exchange(0x01)->Payload()), 0x0105);
}

TEST(BoardSimulator, PulsesCarryIndexAndRunTimeAndTheWaitingBitClearsOnFetch)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    options.pulseRate = 10;
    options.clockSpeed = 10;
    options.runLengthSeconds = 0.35; // pulses at 0.1, 0.2 and 0.3 s of run clock
    options.runAtStart = true;
    Bench bench(options);
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    RawHost& host = *bench.host;
    ASSERT_TRUE(
        bench.simulator.WaitFor([](const CSimCounters& c) { return c.runsEnded >= 1; }, kDeadline));

    EXPECT_EQ(Word(host.Exchange(0x01)->Payload()), 0x0100);
    auto reply = host.Exchange(0x40);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->Payload().size(), 771u);
    CSimPulse pulse;
    ASSERT_EQ(CBoardBlocks::DecodePulse(reply->Payload(), pulse), 1);
    EXPECT_EQ(pulse.index, 3u); // the newest of three: the two before it were never fetched
    EXPECT_EQ(pulse.time, 30);
    EXPECT_GE(pulse.tDelay, 0.0f);
    EXPECT_LT(pulse.tDelay, 1.0f);
    EXPECT_GT(pulse.darkCurrent, 0u);
    EXPECT_GE(pulse.samples[0] + 200, pulse.darkCurrent);
    EXPECT_EQ(Word(host.Exchange(0x01)->Payload()), 0x0000);

    // Fetching again gives the same pulse; the next run counts on from index 3 with its own clock.
    EXPECT_EQ(host.Exchange(0x40)->Payload(), reply->Payload());
    bench.simulator.StartRun();
    ASSERT_TRUE(
        bench.simulator.WaitFor([](const CSimCounters& c) { return c.runsEnded >= 2; }, kDeadline));
    ASSERT_EQ(CBoardBlocks::DecodePulse(host.Exchange(0x40)->Payload(), pulse), 1);
    EXPECT_EQ(pulse.index, 6u);
    EXPECT_EQ(pulse.time, 30);
    const CSimCounters counters = bench.simulator.GetCounters();
    EXPECT_EQ(counters.pulsesFired, 6u);
    EXPECT_EQ(counters.pulsesFetched, 3u);
}

TEST(BoardSimulator, TheRunCarriesOutItsTimedEvents)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    options.clockSpeed = 20;
    Bench bench(options);
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    CTimedEvent events;
    CTimedEventData ignitor, gate, reset;
    ignitor.SetEventTime(0.5);
    ignitor.SetEventCode(EC_IGNITOR_CURRENT);
    ignitor.SetEventValue(2.5);
    gate.SetEventTime(0.7);
    gate.SetEventCode(EC_GATE_SELECTION);
    gate.SetEventChannel(2);
    gate.SetEventValue(4);
    reset.SetEventTime(1.0);
    reset.SetEventCode(EC_RESET_TO_READY);
    events.AddTimedEvent(ignitor);
    events.AddTimedEvent(gate);
    events.AddTimedEvent(reset);
    ASSERT_TRUE(bench.host->Exchange(0x20, CBoardBlocks::EncodeEvents(events)));
    bench.simulator.StartRun();
    ASSERT_TRUE(
        bench.simulator.WaitFor([](const CSimCounters& c) { return c.runsEnded >= 1; }, kDeadline));
    const CSimBoardSnapshot state = bench.simulator.GetState();
    EXPECT_EQ(state.current.Board().GetIgnitor(), 2500);
    EXPECT_EQ(state.current.Channels()[1].GetGateIndex(), 4);
    EXPECT_EQ(bench.simulator.GetCounters().eventsExecuted, 3u);
    EXPECT_EQ(bench.simulator.GetCounters().pulsesFired, 7u); // 7 per second until 1.0 s
    EXPECT_EQ(state.status & 0x0800, 0);
}

TEST(BoardSimulator, GarbledInputIsSkippedAndEveryGoodRequestStillAnswered)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    options.requestLogPath = dir.File("requests.log");
    Bench bench(options);
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    RawHost& host = *bench.host;

    ASSERT_TRUE(host.Write({0x55, 0x13, 0xAA}));
    auto reply = host.Exchange(0x01);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Command(), 0x01);

    // Torn and corrupt packets of every sort, each followed by a good request.
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        CByteArray junk(static_cast<size_t>(1 + round * 13 % 300));
        for (auto& b : junk)
            b = static_cast<uint8_t>(random());
        junk[0] = 0x02; // a start byte with a random length behind it
        ASSERT_TRUE(host.Write(junk));
        reply = host.Exchange(0x03);
        ASSERT_TRUE(reply) << round;
        EXPECT_EQ(reply->Command(), 0x03) << round;
    }
    ASSERT_TRUE(
        bench.simulator.WaitFor([](const CSimCounters& c) { return c.replies >= 41; }, kDeadline));
    const CSimCounters counters = bench.simulator.GetCounters();
    EXPECT_EQ(counters.requestsByCommand[0x03], 40u);
    EXPECT_GE(counters.badRequests, 41u);
    EXPECT_EQ(counters.replies, 41u);

    bench.simulator.Stop();
    std::ifstream log(options.requestLogPath);
    std::string first, second;
    std::getline(log, first);
    std::getline(log, second);
    EXPECT_NE(first.find(" discarded 3 5513aa (bytes before a start byte)"), std::string::npos)
        << first;
    EXPECT_NE(second.find(" 0x01 0 -"), std::string::npos) << second;
}

// ---- faults ---------------------------------------------------------------------------------

struct FaultFixture : testing::Test {
    void SetUp() override
    {
        bench.emplace(FastOptions(dir));
        ASSERT_TRUE(bench->Ready()) << bench->startError;
    }
    CBoardSimulator& Sim() { return bench->simulator; }
    RawHost& Host() { return *bench->host; }

    TempDir dir;
    std::optional<Bench> bench;
};

CSimFaultRule Fault(SimFault kind, int count = 1, int command = -1)
{
    CSimFaultRule rule;
    rule.kind = kind;
    rule.count = count;
    rule.command = command;
    return rule;
}

TEST_F(FaultFixture, GarbageComesBeforeAnIntactReply)
{
    CSimFaultRule rule = Fault(SimFault::Garbage);
    rule.garbageBytes = 7;
    Sim().AddFault(rule);
    const auto reply = Host().Exchange(0x01);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->junk.size(), 7u);
    for (uint8_t b : reply->junk)
        EXPECT_TRUE(b != 0x02 && b != 0x0D && b != 0x0A);
    EXPECT_TRUE(reply->WellFormed());
    EXPECT_TRUE(Host().Exchange(0x01)->junk.empty()); // only the next reply
    EXPECT_EQ(Sim().GetCounters().Fault(SimFault::Garbage), 1u);
}

TEST_F(FaultFixture, BadCrcAndWrongCodeSpoilOnlyWhatTheyShould)
{
    Sim().AddFault(Fault(SimFault::BadCrc));
    auto reply = Host().Exchange(0x01);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->packet.size(), 10u);
    EXPECT_FALSE(reply->CrcOk());
    const uint16_t sent = static_cast<uint16_t>(reply->packet[6] << 8 | reply->packet[7]);
    EXPECT_EQ(sent, static_cast<uint16_t>(~CBoardFrame::Crc16(reply->packet.data(), 6)));
    EXPECT_EQ(reply->packet[8], 0x0D);

    Sim().AddFault(Fault(SimFault::WrongCode));
    reply = Host().Exchange(0x02);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->WellFormed()); // a valid packet, just not the answer to this request
    EXPECT_EQ(reply->Command(), 0x82);
    EXPECT_EQ(reply->Payload(), (CByteArray{'2', '1'}));
    EXPECT_TRUE(Host().Exchange(0x01)->CrcOk());
}

TEST_F(FaultFixture, SilenceSkipsOneRequestSoTheNextReplyAnswersTheNextRequest)
{
    Sim().AddFault(Fault(SimFault::Silence, 1, 0x02));
    ASSERT_TRUE(Host().Send(0x02));
    ASSERT_TRUE(Sim().WaitForRequests(1, kDeadline, 0x02));
    const auto reply = Host().Exchange(0x03);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Command(), 0x03);
    EXPECT_EQ(Host().Exchange(0x02)->Command(), 0x02);
    // A reply counts once its last byte is written, which the host may see first.
    ASSERT_TRUE(Sim().WaitFor([](const CSimCounters& c) { return c.replies >= 2; }, kDeadline));
    const CSimCounters counters = Sim().GetCounters();
    EXPECT_EQ(counters.requests, 3u);
    EXPECT_EQ(counters.replies, 2u);
    EXPECT_EQ(counters.Fault(SimFault::Silence), 1u);
}

TEST_F(FaultFixture, EveryKthReplyOfOneCommandOnly)
{
    CSimFaultRule rule = Fault(SimFault::BadCrc, 0, 0x40);
    rule.every = 2;
    Sim().AddFault(rule);
    std::string pattern;
    for (int i = 0; i < 4; ++i) {
        pattern += Host().Exchange(0x40)->CrcOk() ? "ok " : "bad ";
        pattern += Host().Exchange(0x01)->CrcOk() ? "ok " : "bad ";
    }
    EXPECT_EQ(pattern, "ok ok bad ok ok ok bad ok ");
}

TEST_F(FaultFixture, RawRepliesGoOutVerbatimAndOverridesReplaceOnlyThePayload)
{
    // A length field announcing 2000 bytes on a packet that ends in CR LF after 8.
    const CByteArray lying = {0x02, 0x07, 0xD0, 0x01, 0x00, 0x00, 0x0D, 0x0A};
    Sim().SetRawReply(0x01, lying);
    ASSERT_TRUE(Host().Send(0x01));
    EXPECT_EQ(Host().ReadBytes(lying.size()), lying);
    Sim().SetRawReply(0x01, std::nullopt);
    EXPECT_EQ(Host().Exchange(0x01)->Payload(), (CByteArray{0x00, 0x00}));

    // An event block that announces three events and carries two.
    const CByteArray shortBlock = {0x00, 0x03, 0, 0, 0, 1, 2, 0, 0, 0, 0,
                                   5,    0,    0, 0, 2, 2, 0, 0, 0, 0, 6};
    Sim().SetReplyOverride(0x21, shortBlock);
    const auto reply = Host().Exchange(0x21);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->WellFormed());
    EXPECT_EQ(reply->Payload(), shortBlock);
}

TEST_F(FaultFixture, SplitRepliesArriveInTwoPiecesAtLeastThePauseApart)
{
    CSimFaultRule rule = Fault(SimFault::Split);
    rule.splitAt = 8;
    rule.pauseMs = 150;
    Sim().AddFault(rule);
    const auto sent = Clock::now();
    const auto reply = Host().Exchange(0x40);
    const auto elapsed = Clock::now() - sent;
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->WellFormed());
    EXPECT_EQ(reply->Payload().size(), 771u);
    EXPECT_GE(elapsed, 150ms);
    EXPECT_EQ(Sim().GetCounters().Fault(SimFault::Split), 1u);
}

TEST_F(FaultFixture, DropFaultHangsUpTheHostInsteadOfReplying)
{
    CSimFaultRule rule = Fault(SimFault::Drop, 1, 0x40);
    rule.pauseMs = 50;
    Sim().AddFault(rule);
    ASSERT_TRUE(Host().Send(0x40));
    EXPECT_TRUE(Host().WaitForHangup());
    ASSERT_TRUE(
        Sim().WaitFor([](const CSimCounters& c) { return c.terminalsOpened >= 2; }, kDeadline));
    RawHost again(Sim().GetLinkPath());
    ASSERT_TRUE(again.IsOpen());
    EXPECT_EQ(again.Exchange(0x40)->Payload().size(), 771u);
    EXPECT_EQ(Sim().GetCounters().linkDrops, 1u);
}

TEST_F(FaultFixture, GarbageAndSplitStrikeOneReplyTogether)
{
    CSimFaultRule garbage = Fault(SimFault::Garbage, 1, 0x01);
    garbage.garbageBytes = 4;
    CSimFaultRule split = Fault(SimFault::Split, 1, 0x01);
    split.splitAt = 6;
    split.pauseMs = 120;
    Sim().AddFault(garbage);
    Sim().AddFault(split);
    ASSERT_TRUE(Host().Send(0x01));
    // The first piece: the junk and the start of the packet, and nothing more for a while.
    const CByteArray first = Host().ReadBytes(6);
    ASSERT_EQ(first.size(), 6u);
    EXPECT_EQ(first[4], 0x02) << "four junk bytes, then the start byte";
    EXPECT_TRUE(Host().ReadBytes(1, 60ms).empty()) << "the second piece waits out the pause";
    const CByteArray rest = Host().ReadBytes(8);
    Reply reply;
    reply.packet.assign(first.begin() + 4, first.end());
    reply.packet.insert(reply.packet.end(), rest.begin(), rest.end());
    EXPECT_TRUE(reply.WellFormed());
    EXPECT_EQ(reply.Command(), 0x01);
    const CSimCounters counters = Sim().GetCounters();
    EXPECT_EQ(counters.Fault(SimFault::Garbage), 1u);
    EXPECT_EQ(counters.Fault(SimFault::Split), 1u);
}

TEST(BoardSimulator, ABoardWithAStuckNewPulseBitOffersItsLatestPulseAgainAndAgain)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    options.stickyStatusBits = 0x0100;
    Bench bench(options);
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    const CByteArray latest = CBoardBlocks::EncodePulse(bench.simulator.GetState().lastPulse);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Word(bench.host->Exchange(0x01)->Payload()) & 0x0100, 0x0100) << i;
        const auto pulse = bench.host->Exchange(0x40);
        ASSERT_TRUE(pulse);
        EXPECT_EQ(pulse->Payload(), latest) << i;
    }
    EXPECT_EQ(bench.simulator.GetCounters().pulsesFetched, 3u);
    EXPECT_EQ(bench.simulator.GetCounters().pulsesFired, 0u) << "no new pulse behind the bit";
}

TEST(BoardSimulator, SetCommandsCanBeSlowToAcknowledge)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    options.setReplyLatencyMs = 300;
    Bench bench(options);
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    const CByteArray zero = {0, 0, 0, 5};
    auto sent = Clock::now();
    ASSERT_TRUE(bench.host->Exchange(0x14, zero));
    EXPECT_GE(Clock::now() - sent, 300ms);
    sent = Clock::now();
    ASSERT_TRUE(bench.host->Exchange(0x01));
    EXPECT_LT(Clock::now() - sent, 300ms) << "a get answers at once";
    bench.simulator.SetCommandLatency(0x01, 250.0);
    sent = Clock::now();
    ASSERT_TRUE(bench.host->Exchange(0x01));
    EXPECT_GE(Clock::now() - sent, 250ms);
}

TEST(BoardSimulator, DropLinkHangsUpThenLinksANewTerminalThatAnswers)
{
    TempDir dir;
    Bench bench(FastOptions(dir));
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    ASSERT_TRUE(bench.host->Exchange(0x01));
    const std::string oldDevice = bench.simulator.GetDevicePath();

    ASSERT_EQ(bench.simulator.DropLink(300), 1);
    EXPECT_TRUE(bench.host->WaitForHangup());
    // While unplugged the link leads nowhere (unless the new terminal is already there).
    const std::string during = LinkTarget(bench.simulator.GetLinkPath());
    EXPECT_TRUE(during == CPortLink::kNowhere || bench.simulator.GetCounters().terminalsOpened >= 2)
        << during;

    ASSERT_TRUE(bench.simulator.WaitFor(
        [](const CSimCounters& c) { return c.terminalsOpened >= 2; }, kDeadline));
    const std::string newDevice = bench.simulator.GetDevicePath();
    EXPECT_NE(newDevice, oldDevice); // the old host still holds the old one
    EXPECT_EQ(LinkTarget(bench.simulator.GetLinkPath()), newDevice);
    RawHost again(bench.simulator.GetLinkPath());
    const auto reply = again.Exchange(0x01);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->WellFormed());
}

TEST(BoardSimulator, PacedRepliesTakeTheirTimeOnTheWire)
{
    TempDir dir;
    CSimOptions options = FastOptions(dir);
    options.baud = 57600;
    Bench bench(options);
    ASSERT_TRUE(bench.Ready()) << bench.startError;
    const auto sent = Clock::now();
    const auto reply = bench.host->Exchange(0x40);
    const auto elapsed = Clock::now() - sent;
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->packet.size(), 779u);
    // 779 bytes x 10 bits at 57600 baud: 135 ms.
    EXPECT_GE(elapsed, 120ms);
}

} // namespace
