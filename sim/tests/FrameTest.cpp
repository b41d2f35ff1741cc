// The board's own packet code: CRC, framing, and the receiver that resynchronises.
#include "BoardFrame.h"
#include "FrameParser.h"

#include "CaseName.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

CByteArray Bytes(const std::string& text)
{
    return CByteArray(text.begin(), text.end());
}

CByteArray Concat(std::initializer_list<CByteArray> parts)
{
    CByteArray all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct CrcCase {
    CByteArray bytes;
    uint16_t crc;
};

// CTest names the cases by this: the bytes and the CRC in hexadecimal, stable from build to build.
void PrintTo(const CrcCase& c, std::ostream* out)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string text = c.bytes.empty() ? "nothing" : "";
    for (uint8_t b : c.bytes) {
        text += kHex[b >> 4];
        text += kHex[b & 0x0F];
    }
    char crc[8];
    std::snprintf(crc, sizeof crc, "%04X", c.crc);
    *out << text << "_gives_" << crc;
}

class CrcTest : public testing::TestWithParam<CrcCase> {};

TEST_P(CrcTest, MatchesTheXmodemCheckValues)
{
    EXPECT_EQ(CBoardFrame::Crc16(GetParam().bytes), GetParam().crc);
}

INSTANTIATE_TEST_SUITE_P(KnownAnswers, CrcTest,
                         testing::Values(CrcCase{Bytes("123456789"), 0x31C3}, CrcCase{{}, 0x0000},
                                         CrcCase{{0x02, 0x00, 0x08, 0x01}, 0x74E0},
                                         CrcCase{{0x01}, 0x1021}, CrcCase{{0x80}, 0x9188}),
                         [](const auto& info) {
                             return testsupport::CaseName("Crc", static_cast<long long>(info.param.crc));
                         });

TEST(BoardFrame, BuildsTheStatusRequestAndPacketsThatParseBack)
{
    EXPECT_EQ(CBoardFrame::Build(0x01, {}),
              (CByteArray{0x02, 0x00, 0x08, 0x01, 0x74, 0xE0, 0x0D, 0x0A}));

    const CByteArray payload = {0x00, 0x02, 0x0D, 0x0A, 0xFF};
    const CByteArray packet = CBoardFrame::Build(0x20, payload);
    ASSERT_EQ(packet.size(), payload.size() + 8);
    uint8_t command = 0;
    CByteArray parsed;
    ASSERT_EQ(CBoardFrame::Parse(packet, command, parsed), 1);
    EXPECT_EQ(command, 0x20);
    EXPECT_EQ(parsed, payload);
}

TEST(BoardFrame, ParseRejectsEveryKindOfDamageAndLeavesTheOutputsAlone)
{
    const CByteArray good = CBoardFrame::Build(0x11, {1, 2, 3});
    auto badCrc = good;
    badCrc[good.size() - 3] ^= 0x01;
    auto badLength = good;
    badLength[2] = 0x0C;
    auto noTrailer = good;
    noTrailer[good.size() - 1] = 0x00;
    auto noStart = good;
    noStart[0] = 0x03;
    const CByteArray tooShort(good.begin(), good.begin() + 7);
    for (const auto& damaged : {badCrc, badLength, noTrailer, noStart, tooShort}) {
        uint8_t command = 0x77;
        CByteArray payload = {9};
        EXPECT_EQ(CBoardFrame::Parse(damaged, command, payload), 0);
        EXPECT_EQ(command, 0x77);
        EXPECT_EQ(payload, CByteArray{9});
    }
}

// What the receiver makes of a stream: the packets' command codes and the number of discards.
struct StreamResult {
    std::vector<int> commands;
    int discards = 0;
    bool partial = false;
};

StreamResult Receive(const std::vector<CByteArray>& chunks)
{
    CFrameParser parser;
    std::vector<CFrameParser::CItem> items;
    for (const auto& chunk : chunks)
        parser.Feed(chunk.data(), chunk.size(), items);
    StreamResult result;
    for (const auto& item : items) {
        if (item.valid)
            result.commands.push_back(item.command);
        else
            ++result.discards;
    }
    result.partial = parser.HasPartial();
    return result;
}

const CByteArray kStatus = CBoardFrame::Build(0x01, {});
const CByteArray kGates = CBoardFrame::Build(0x11, {});

TEST(FrameParser, FindsRequestsBehindGarbageAndGarbledPackets)
{
    // Junk without a start byte.
    auto r = Receive({Concat({{0x55, 0xAA, 0x0D, 0x0A}, kStatus})});
    EXPECT_EQ(r.commands, (std::vector<int>{0x01}));
    EXPECT_EQ(r.discards, 1);

    // A packet with a bad CRC, then a good one: one discard for the whole bad packet.
    auto bad = kGates;
    bad[5] ^= 0xFF;
    r = Receive({Concat({bad, kStatus})});
    EXPECT_EQ(r.commands, (std::vector<int>{0x01}));
    EXPECT_EQ(r.discards, 1);

    // A length field below 8 or beyond 1024.
    r = Receive({Concat({{0x02, 0x00, 0x03}, kStatus, {0x02, 0x10, 0x00, 0x01}, kGates})});
    EXPECT_EQ(r.commands, (std::vector<int>{0x01, 0x11}));
    EXPECT_EQ(r.discards, 2);

    // No CR LF where the length says.
    auto noTrailer = kStatus;
    noTrailer[7] = 0x0B;
    r = Receive({Concat({noTrailer, kGates})});
    EXPECT_EQ(r.commands, (std::vector<int>{0x11}));
    EXPECT_FALSE(r.partial);
}

TEST(FrameParser, AGarbledLengthDoesNotSwallowTheNextRequest)
{
    // 0x02 0x03 0xFF announces 1023 bytes; the good request behind it still gets through.
    const auto r = Receive({{0x02, 0x03, 0xFF, 0x11}, kStatus});
    EXPECT_EQ(r.commands, (std::vector<int>{0x01}));
    EXPECT_EQ(r.discards, 1);
    EXPECT_FALSE(r.partial);
}

TEST(FrameParser, AssemblesPacketsAcrossReadsAndGivesUpOnAQuietPartial)
{
    auto r = Receive({CByteArray(kGates.begin(), kGates.begin() + 2),
                      CByteArray(kGates.begin() + 2, kGates.end() - 1),
                      CByteArray(kGates.end() - 1, kGates.end())});
    EXPECT_EQ(r.commands, (std::vector<int>{0x11}));
    EXPECT_EQ(r.discards, 0);

    r = Receive({CByteArray(kGates.begin(), kGates.begin() + 5)});
    EXPECT_TRUE(r.partial);
    EXPECT_TRUE(r.commands.empty());

    // The line went quiet: the torn packet goes, and the next request is taken as it comes.
    CFrameParser parser;
    std::vector<CFrameParser::CItem> items;
    const CByteArray torn = {0x02, 0x00, 0x20, 0x11, 0x05};
    parser.Feed(torn.data(), torn.size(), items);
    EXPECT_TRUE(items.empty());
    parser.Flush(items);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FALSE(items[0].valid);
    EXPECT_EQ(items[0].discarded, torn);
    EXPECT_FALSE(parser.HasPartial());
    parser.Feed(kStatus.data(), kStatus.size(), items);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[1].valid);
}

TEST(FrameParser, SurvivesEveryByteValueWithoutLosingGoodRequests)
{
    // Every possible byte, in an order that produces start bytes with odd lengths behind them.
    CByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.push_back(static_cast<uint8_t>((i * 167 + (i >> 8)) & 0xFF));
    CFrameParser parser;
    std::vector<CFrameParser::CItem> items;
    int found = 0;
    for (size_t at = 0; at < noise.size(); at += 97) {
        const size_t end = std::min(noise.size(), at + 97);
        parser.Feed(noise.data() + at, end - at, items);
        parser.Feed(kStatus.data(), kStatus.size(), items);
        for (const auto& item : items)
            found += item.valid && item.command == 0x01;
        items.clear();
    }
    EXPECT_EQ(found, static_cast<int>((noise.size() + 96) / 97));
}

} // namespace
