// Packet framing, CRC and the payload encodings of the command set.
#include "Crc16.h"
#include "FloatConverter.h"
#include "Hardware.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

CByteArray Bytes(std::initializer_list<int> values)
{
    CByteArray bytes;
    for (int v : values)
        bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}

TEST(Packet, CrcAndFramingMatchTheBoard)
{
    const char* check = "123456789";
    EXPECT_EQ(Crc16Xmodem(reinterpret_cast<const uint8_t*>(check), std::strlen(check)), 0x31C3);
    EXPECT_EQ(CHardwareBase::BuildPacket(CMD_GET_STATUS_ERROR, nullptr, 0),
              Bytes({0x02, 0x00, 0x08, 0x01, 0x74, 0xE0, 0x0D, 0x0A}));
}

struct DumpCase {
    std::string name;
    CByteArray bytes;
    std::string text;
};
// CTest names the cases by this, so it is the case's name and nothing that changes per build.
void PrintTo(const DumpCase& c, std::ostream* out)
{
    *out << c.name;
}

class PacketDump : public testing::TestWithParam<DumpCase> {};

TEST_P(PacketDump, SpellsOutCrAndLfAmongTheLastTwoBytesOnly)
{
    EXPECT_EQ(CHardwareBase::DumpText("Read", GetParam().bytes.data(), GetParam().bytes.size()),
              GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Dumps, PacketDump,
    testing::Values(
        DumpCase{"StatusRequest", Bytes({0x02, 0x00, 0x08, 0x01, 0x74, 0xE0, 0x0D, 0x0A}),
                 "Read :: <0200080174e0CRLF>"},
        DumpCase{"Empty", {}, "Read :: <>"},
        DumpCase{"TrailerTheWrongWayRound", Bytes({0x02, 0x00, 0x0A, 0x0D}), "Read :: <0200LFCR>"},
        DumpCase{"CrLfInsideThePayload", Bytes({0x0D, 0x0A, 0x41}), "Read :: <0dLF41>"},
        DumpCase{"CrLfFartherBack", Bytes({0x0D, 0x0A, 0x41, 0x42}), "Read :: <0d0a4142>"},
        DumpCase{"OneByte", Bytes({0x0D}), "Read :: <CR>"}));

// The board and channel block, byte by byte from its layout table.
TEST(Encoding, BoardAndChannelBlockMatchesItsLayoutByteForByte)
{
    CBoardParameters board;
    board.SetIgnitor(2500);
    board.SetpmtVolts(620);
    board.SetTriggerLevel(40);
    board.SetAdcTriggerLevel(0x01020304);
    CChannelParameters channels;
    channels[0].SetGateIndex(3);
    channels[1].SetGateIndex(4);
    channels[0].SetInterpolation(0);
    channels[1].SetInterpolation(1);
    channels[0].SetChannelZero(-2);
    channels[1].SetChannelZero(7);
    channels[0].SetScalarChannel(100);
    channels[1].SetScalarChannel(200);
    const CByteArray image = Bytes({0x09, 0xC4,               // ignitor
                                    0x02, 0x6C,               // PMT volts
                                    0x00, 0x28,               // trigger level
                                    0x01, 0x02, 0x03, 0x04,   // ADC trigger level
                                    0x00, 0x03, 0x00, 0x04,   // gate index ch1, ch2
                                    0x00, 0x00, 0x00, 0x01,   // interpolation ch1, ch2
                                    0xFF, 0xFF, 0xFF, 0xFE,   // channel zero ch1
                                    0x00, 0x00, 0x00, 0x07,   // channel zero ch2
                                    0x00, 0x64, 0x00, 0xC8}); // scalar channel ch1, ch2
    EXPECT_EQ(CHardware::EncodeBoardAndChannel(board, channels), image);

    CBoardParameters b;
    CChannelParameters c;
    CHardware::DecodeBoardAndChannel(image, b, c);
    EXPECT_EQ(b, board);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(c[i].GetGateIndex(), channels[i].GetGateIndex()) << i;
        EXPECT_EQ(c[i].GetInterpolation(), channels[i].GetInterpolation()) << i;
        EXPECT_EQ(c[i].GetChannelZero(), channels[i].GetChannelZero()) << i;
        EXPECT_EQ(c[i].GetScalarChannel(), channels[i].GetScalarChannel()) << i;
    }
}

// The gate block, byte by byte from its layout table; every gate differs in every field.
TEST(Encoding, GateBlockMatchesItsLayoutByteForByte)
{
    CGateParameters gates;
    for (int i = 0; i < 5; ++i) {
        gates[i].SetType(static_cast<unsigned short>(i + 1));
        gates[i].SetTypeNum(static_cast<unsigned short>(10 + i));
        gates[i].SetStartA(i + 0.5);
        gates[i].SetStartB(20 + i);
        gates[i].SetStopA(30 + i);
        gates[i].SetStopB(40 + i);
        gates[i].SetOperator(static_cast<unsigned short>(i % 4 + 1));
        gates[i].SetAlpha(0.5 * (i + 1));
        gates[i].SetSqroot(static_cast<unsigned short>(i % 2));
    }
    const CByteArray image = Bytes({
        0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05, // types
        0x00, 0x0A, 0x00, 0x0B, 0x00, 0x0C, 0x00, 0x0D, 0x00, 0x0E, // type numbers
        0x00, 0x05, 0x00, 0xC8, 0x00, 0x0F, 0x00, 0xD2,             // start A, B of gates 0, 1
        0x00, 0x19, 0x00, 0xDC, 0x00, 0x23, 0x00, 0xE6,             // gates 2, 3
        0x00, 0x2D, 0x00, 0xF0,                                     // gate 4
        0x01, 0x2C, 0x01, 0x90, 0x01, 0x36, 0x01, 0x9A,             // stop A, B of gates 0, 1
        0x01, 0x40, 0x01, 0xA4, 0x01, 0x4A, 0x01, 0xAE,             // gates 2, 3
        0x01, 0x54, 0x01, 0xB8,                                     // gate 4
        0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x01, // operators
        0x3F, 0x00, 0x00, 0x00, 0x3F, 0x80, 0x00, 0x00, 0x3F, 0xC0, 0x00, 0x00, // alphas 0.5 1 1.5
        0x40, 0x00, 0x00, 0x00, 0x40, 0x20, 0x00, 0x00,                         // 2 2.5
        0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,             // square roots
    });
    ASSERT_EQ(image.size(), 100u);
    EXPECT_EQ(CHardware::EncodeGates(gates), image);

    CGateParameters decoded;
    CHardware::DecodeGates(image, decoded);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(decoded[i].GetType(), gates[i].GetType()) << i;
        EXPECT_EQ(decoded[i].GetTypeNum(), gates[i].GetTypeNum()) << i;
        EXPECT_DOUBLE_EQ(decoded[i].GetStartA(), gates[i].GetStartA()) << i;
        EXPECT_DOUBLE_EQ(decoded[i].GetStartB(), gates[i].GetStartB()) << i;
        EXPECT_DOUBLE_EQ(decoded[i].GetStopA(), gates[i].GetStopA()) << i;
        EXPECT_DOUBLE_EQ(decoded[i].GetStopB(), gates[i].GetStopB()) << i;
        EXPECT_EQ(decoded[i].GetOperator(), gates[i].GetOperator()) << i;
        EXPECT_DOUBLE_EQ(decoded[i].GetAlpha(), gates[i].GetAlpha()) << i;
        EXPECT_EQ(decoded[i].GetSqroot(), gates[i].GetSqroot()) << i;
    }
}

TEST(Encoding, GateTimesTravelInTruncatedTenths)
{
    CGateParameters gates;
    gates[0].SetStartA(1.25);
    gates[0].SetStartB(2.0);
    gates[1].SetStopA(6553.6); // wraps: only the low 16 bits of the product go
    gates[2].SetAlpha(0.75);
    gates[3].SetType(GM_UD);
    gates[4].SetSqroot(1);
    LogCapture log;
    const CByteArray block = CHardware::EncodeGates(gates);
    ASSERT_EQ(block.size(), 100u);
    EXPECT_EQ(block[20], 0x00);
    EXPECT_EQ(block[21], 0x0C);
    EXPECT_EQ(block[23], 20);
    EXPECT_EQ(block[44], 0x00);
    EXPECT_EQ(block[45], 0x00);
    EXPECT_EQ(CCommonUtils::GetInt(block, 6, 2), GM_UD);
    EXPECT_EQ(static_cast<uint32_t>(CCommonUtils::GetInt(block, 78, 4)), 0x3F400000u);
    EXPECT_EQ(CCommonUtils::GetInt(block, 98, 2), 1);
    EXPECT_EQ(log.Count("Float Conversion => 0.750000 = 1061158912"), 1u);

    CGateParameters decoded;
    CHardware::DecodeGates(block, decoded);
    EXPECT_DOUBLE_EQ(decoded[0].GetStartA(), 1.2);
    EXPECT_DOUBLE_EQ(decoded[0].GetStartB(), 2.0);
    EXPECT_DOUBLE_EQ(decoded[2].GetAlpha(), 0.75);
    EXPECT_EQ(decoded[3].GetType(), GM_UD);
    EXPECT_EQ(log.Count("Float Conversion => 1061158912 = 0.750000"), 1u);
}

TEST(Encoding, ShortGateBlocksDecodeAsFarAsTheyGo)
{
    CGateParameters gates;
    gates[4].SetTypeNum(9);
    gates[0].SetStartA(7.0);
    CByteArray block = CHardware::EncodeGates(CGateParameters());
    block[1] = GM_P;
    block.resize(11); // types complete, the first type number cut after one byte
    CHardware::DecodeGates(block, gates);
    EXPECT_EQ(gates[0].GetType(), GM_P);
    EXPECT_EQ(gates[0].GetTypeNum(), 0) << "a field running past the end reads as 0";
    EXPECT_EQ(gates[4].GetTypeNum(), 9) << "fields after the end keep their values";
    EXPECT_EQ(gates[0].GetStartA(), 7.0);
}

TEST(Encoding, BoardAndChannelBlockRoundTripsAndStopsAtTheEnd)
{
    CBoardParameters board;
    board.SetIgnitor(2500);
    board.SetpmtVolts(620);
    board.SetTriggerLevel(40);
    board.SetAdcTriggerLevel(0x01020304);
    CChannelParameters channels;
    channels[0].SetGateIndex(3);
    channels[1].SetInterpolation(1);
    channels[0].SetChannelZero(-2);
    channels[1].SetScalarChannel(100);
    channels[0].SetZeroChannel(55); // not part of the block
    const CByteArray block = CHardware::EncodeBoardAndChannel(board, channels);
    ASSERT_EQ(block.size(), 30u);
    EXPECT_EQ(CCommonUtils::GetInt(block, 6, 4), 0x01020304);
    EXPECT_EQ(CCommonUtils::GetInt(block, 18, 4), -2);

    CBoardParameters b2;
    CChannelParameters c2;
    CHardware::DecodeBoardAndChannel(block, b2, c2);
    EXPECT_EQ(b2, board);
    EXPECT_EQ(c2[0].GetChannelZero(), -2);
    EXPECT_EQ(c2[1].GetScalarChannel(), 100);
    EXPECT_EQ(c2[0].GetZeroChannel(), 0);

    CBoardParameters b3;
    b3.SetTriggerLevel(77);
    CChannelParameters c3;
    CHardware::DecodeBoardAndChannel(CByteArray(block.begin(), block.begin() + 4), b3, c3);
    EXPECT_EQ(b3.GetIgnitor(), 2500);
    EXPECT_EQ(b3.GetPmtVolts(), 620);
    EXPECT_EQ(b3.GetTriggerLevel(), 77);
    CHardware::DecodeBoardAndChannel(CByteArray{}, b3, c3);
    EXPECT_EQ(b3.GetIgnitor(), 0) << "the ignitor is always taken";
}

TEST(Encoding, TimedEventsUseTheirScalesAndShortBlocksKeepWhatArrived)
{
    CTimedEvent events;
    CTimedEventData e;
    e.SetEventTime(1.5);
    e.SetEventCode(EC_IGNITOR_CURRENT);
    e.SetEventChannel(1);
    e.SetEventValue(0.25);
    events.AddTimedEvent(e);
    EXPECT_EQ(CHardware::EncodeEvents(events),
              Bytes({0x00, 0x01, 0x00, 0x00, 0x00, 0x96, 0x03, 0x01, 0x00, 0x00, 0x00, 0xFA}));

    e.SetEventTime(0.5);
    e.SetEventCode(EC_RECORD);
    e.SetEventValue(-1.0);
    events.AddTimedEvent(e);
    CByteArray block = CHardware::EncodeEvents(events);
    EXPECT_EQ(CCommonUtils::GetInt(block, 8, 4), -100)
        << "negative values travel as two's complement";

    CTimedEvent decoded;
    decoded.AddTimedEvent(e);
    block = Bytes({0x00, 0x03});
    for (int i = 0; i < 2; ++i) {
        const CByteArray one = {0x00, 0x00, 0x01, static_cast<uint8_t>(0x2C + i), 0x05, 0x02, 0,
                                0,    0,    7};
        block.insert(block.end(), one.begin(), one.end());
    }
    CHardware::DecodeEvents(block, decoded);
    ASSERT_EQ(decoded.GetCount(), 2) << "three announced, two carried";
    EXPECT_DOUBLE_EQ(decoded[0].GetEventTime(), 3.0);
    EXPECT_EQ(decoded[0].GetEventCode(), EC_AUTOZERO);
    EXPECT_DOUBLE_EQ(decoded[1].GetEventValue(), 7.0);

    block = CHardware::EncodeEvents(events);
    CHardware::DecodeEvents(block, decoded);
    ASSERT_EQ(decoded.GetCount(), 2);
    EXPECT_DOUBLE_EQ(decoded[0].GetEventTime(), 0.5);
    EXPECT_DOUBLE_EQ(decoded[1].GetEventValue(), 0.25);
}

TEST(Encoding, PulseBlockGivesTwoHundredFiftySamplesAndTheTrailer)
{
    CByteArray block = Bytes({0, 0, 0, 100, 0, 0, 0x07, 0xD0});
    for (int i = 0; i < 250; ++i) {
        const int v = i * 1000 + 0xABCD00;
        block.push_back(static_cast<uint8_t>(v >> 16));
        block.push_back(static_cast<uint8_t>(v >> 8));
        block.push_back(static_cast<uint8_t>(v));
    }
    const CByteArray trailer = {0x00, 0x00, 0x11, 0x00, 0x00, 0x22, 0x3F,
                                0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
    block.insert(block.end(), trailer.begin(), trailer.end());
    ASSERT_EQ(block.size(), 771u);
    CPulseData pulse;
    CHardware::DecodePulse(block, pulse);
    EXPECT_EQ(pulse.GetDataCount(), 250);
    EXPECT_EQ(pulse.GetPulseIndex(), 100);
    EXPECT_EQ(pulse.GetPulseTime(), 2000);
    EXPECT_EQ(pulse.GetData(249), 249000 + 0xABCD00);
    EXPECT_EQ(pulse.GetCh1Offset(), 0x11u);
    EXPECT_EQ(pulse.GetCh2Offset(), 0x22u);
    EXPECT_DOUBLE_EQ(pulse.GetTDelay(), 0.5);
    EXPECT_EQ(pulse.GetDarkCurrent(), 0x10000u);

    CPulseData old = pulse;
    CHardware::DecodePulse(CByteArray(8, 0xFF), old);
    EXPECT_EQ(old.GetDataCount(), 0);
    EXPECT_EQ(old.GetPulseIndex(), 100) << "a block without samples keeps the header";
}

TEST(Encoding, BoardFloatWordsAreSinglePrecision)
{
    EXPECT_EQ(FloatConverter::GetIEEEHex(1.0), 0x3F800000ul);
    EXPECT_EQ(FloatConverter::GetIEEEHex(-2.5), 0xC0200000ul);
    EXPECT_DOUBLE_EQ(FloatConverter::GetIEEEDouble(0x3E800000ul), 0.25);
}

} // namespace
