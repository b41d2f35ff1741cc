// Reply assembly from bytes in any pieces, and the fixed order of the checks.
#include "ReplyAssembler.h"

#include <gtest/gtest.h>

namespace {

CByteArray Join(std::initializer_list<CByteArray> parts)
{
    CByteArray all;
    for (const CByteArray& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The status reply carrying 0x0905, worked out by hand: 02, length 000A, code 01,
// payload 09 05, CRC-16/XMODEM of those six bytes, CR LF.
const CByteArray kStatusReply = {0x02, 0x00, 0x0A, 0x01, 0x09, 0x05, 0x3E, 0xE6, 0x0D, 0x0A};

struct AssemblyCase {
    std::string name;
    CByteArray bytes;
    size_t piece; // bytes per read; 0: as many as the assembler asks for
    CReplyAssembler::Progress progress;
    CReplyAssembler::Verdict verdict; // for complete packets
    std::string message;              // the log line of a damaged or refused packet
};
// CTest names the cases by this, so it is the case's name and nothing that changes per build.
void PrintTo(const AssemblyCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReplyAssembly : public testing::TestWithParam<AssemblyCase> {};

TEST_P(ReplyAssembly, EndsAndIsJudgedAsTheRulesSay)
{
    const AssemblyCase& c = GetParam();
    CReplyAssembler assembler;
    assembler.Reset();
    size_t at = 0;
    while (at < c.bytes.size() && assembler.GetProgress() == CReplyAssembler::kNeedMore) {
        const size_t wanted = static_cast<size_t>(assembler.BytesWanted());
        const size_t take =
            std::min({c.piece == 0 ? wanted : c.piece, wanted, c.bytes.size() - at});
        assembler.Add(c.bytes.data() + at, take);
        at += take;
    }
    ASSERT_EQ(assembler.GetProgress(), c.progress);
    if (c.progress == CReplyAssembler::kDamaged) {
        EXPECT_EQ(assembler.Damage(), c.message);
        return;
    }
    if (c.progress != CReplyAssembler::kComplete)
        return;
    std::string message;
    EXPECT_EQ(assembler.Check(0x01, message), c.verdict);
    EXPECT_EQ(message, c.message);
}

const CByteArray kBadCrc = {0x02, 0x00, 0x0A, 0x01, 0x09, 0x05, 0x12, 0x34, 0x0D, 0x0A};
// An acknowledgement of the pulse command: 02 00 08 40, CRC 2C05.
const CByteArray kPulseAck = {0x02, 0x00, 0x08, 0x40, 0x2C, 0x05, 0x0D, 0x0A};
// Start byte 03 with the CRC that is right for 03 00 08 01 (0254).
const CByteArray kWrongStart = {0x03, 0x00, 0x08, 0x01, 0x02, 0x54, 0x0D, 0x0A};

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyAssembly,
    testing::Values(
        AssemblyCase{"WholeReply", kStatusReply, 0, CReplyAssembler::kComplete,
                     CReplyAssembler::kValid, ""},
        AssemblyCase{"OneByteAtATime", kStatusReply, 1, CReplyAssembler::kComplete,
                     CReplyAssembler::kValid, ""},
        AssemblyCase{"ThreeBytesAtATime", kStatusReply, 3, CReplyAssembler::kComplete,
                     CReplyAssembler::kValid, ""},
        AssemblyCase{"CrLfBeforeTheAnnouncedEnd",
                     {0x02, 0x00, 0x0C, 0x04, 0xAA, 0xAA, 0x0D, 0x0A, 0x11, 0x22, 0x0D, 0x0A},
                     0,
                     CReplyAssembler::kComplete,
                     CReplyAssembler::kSizeMismatch,
                     "ERROR: Packet size mismatch. Size should be 12, but actual size = 8"},
        AssemblyCase{"BadCrcGivesReadThenComputed", kBadCrc, 0, CReplyAssembler::kComplete,
                     CReplyAssembler::kBadCrc, "ERROR: Bad CRC => Read = 1234, Calc = 3ee6"},
        AssemblyCase{"WrongStartByteWithASoundCrc", kWrongStart, 0, CReplyAssembler::kComplete,
                     CReplyAssembler::kBadStartByte, "ERROR: Bad start byte 0x03"},
        AssemblyCase{"AnotherCommandsReply", kPulseAck, 0, CReplyAssembler::kComplete,
                     CReplyAssembler::kOtherCommand,
                     "ERROR: Reply to command 0x40 while waiting for 0x01; discarded"},
        AssemblyCase{"JunkBeforeTheReply", Join({{0x55, 0x66, 0x77, 0x11, 0x22}, kStatusReply}), 0,
                     CReplyAssembler::kDamaged, CReplyAssembler::kValid,
                     "ERROR: Bad start byte 0x55"},
        AssemblyCase{"LengthBeyondTheLargestPacket",
                     {0x02, 0x07, 0xD0, 0x01, 0, 0, 0, 0},
                     0,
                     CReplyAssembler::kDamaged,
                     CReplyAssembler::kValid,
                     "ERROR: Packet length 2000 exceeds 1024"},
        AssemblyCase{"AnnouncedBytesWithoutCrLf",
                     {0x02, 0x00, 0x0A, 0x01, 1, 2, 3, 4, 5, 6, 7},
                     0,
                     CReplyAssembler::kDamaged,
                     CReplyAssembler::kValid,
                     "ERROR: Packet end not found after 10 bytes"},
        AssemblyCase{"HalfAReply",
                     {0x02, 0x00, 0x0A, 0x01, 0x09},
                     0,
                     CReplyAssembler::kNeedMore,
                     CReplyAssembler::kValid,
                     ""}));

TEST(ReplyAssembler, AsksForTheSmallestPacketThenForTheRestOfTheAnnouncedLength)
{
    CReplyAssembler assembler;
    EXPECT_EQ(assembler.BytesWanted(), 8);
    const CByteArray pulseStart = {0x02, 0x03, 0x0B, 0x40}; // 779 bytes announced
    assembler.Add(pulseStart.data(), 2);
    EXPECT_EQ(assembler.BytesWanted(), 8) << "the length field is not complete yet";
    assembler.Add(pulseStart.data() + 2, 2);
    EXPECT_EQ(assembler.BytesWanted(), 779 - 4);
    EXPECT_EQ(assembler.Outstanding(), 779 - 4);
    // More than asked for is left out: the next packet's bytes are not this one's.
    const CByteArray flood(2000, 0x00);
    assembler.Add(flood.data(), flood.size());
    EXPECT_EQ(assembler.Packet().size(), 779u);
    EXPECT_EQ(assembler.GetProgress(), CReplyAssembler::kDamaged);
}

TEST(ReplyAssembler, JunkHasNothingOutstanding)
{
    CReplyAssembler assembler;
    const CByteArray junk = {0x41, 0x00, 0x20, 0x01};
    assembler.Add(junk.data(), junk.size());
    EXPECT_EQ(assembler.Outstanding(), 0) << "a length behind a wrong start byte means nothing";
}

} // namespace
