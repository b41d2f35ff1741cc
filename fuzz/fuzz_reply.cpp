// Reply assembly on arbitrary bytes in arbitrary pieces: it must never hold
// more than the largest packet, never ask for nothing, and accept only what
// passes every check.
#include "Crc16.h"
#include "ReplyAssembler.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckComplete(const CReplyAssembler& assembler, uint8_t command)
{
    const CByteArray& packet = assembler.Packet();
    Require(packet.size() >= CReplyAssembler::kMinPacket && assembler.EndsInCrLf());
    std::string message;
    const CReplyAssembler::Verdict verdict = assembler.Check(command, message);
    Require((verdict == CReplyAssembler::kValid) == message.empty());
    if (verdict != CReplyAssembler::kValid)
        return;
    const size_t n = packet.size();
    Require(static_cast<int>(n) == assembler.ExpectedLength());
    Require(packet[0] == 0x02);
    Require(command == 0 || packet[3] == command);
    Require(Crc16Xmodem(packet.data(), n - 4) == (packet[n - 4] << 8 | packet[n - 3]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto command = input.ConsumeIntegral<uint8_t>();
    CReplyAssembler assembler;
    assembler.Reset();
    while (input.remaining_bytes() > 0) {
        const int wanted = assembler.BytesWanted();
        Require(wanted >= 1 && wanted <= CReplyAssembler::kMaxPacket);
        // A read brings at most what was asked for, often less.
        const size_t piece = input.ConsumeIntegralInRange<size_t>(1, static_cast<size_t>(wanted));
        const std::vector<uint8_t> bytes = input.ConsumeBytes<uint8_t>(piece);
        if (bytes.empty())
            break;
        const CReplyAssembler::Progress progress = assembler.Add(bytes.data(), bytes.size());
        Require(assembler.Packet().size() <= CReplyAssembler::kMaxPacket);
        Require(assembler.Outstanding() >= 0 &&
                assembler.Outstanding() <= CReplyAssembler::kMaxPacket);
        if (progress == CReplyAssembler::kNeedMore)
            continue;
        if (progress == CReplyAssembler::kComplete)
            CheckComplete(assembler, command);
        else
            Require(!assembler.Damage().empty());
        assembler.Reset(); // the next packet from the rest of the bytes
    }
    return 0;
}
