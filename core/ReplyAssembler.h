#pragma once
// Assembles one reply packet from the bytes as they come off the line, in
// whatever pieces, and checks it. No I/O and no clock: the packet layer reads
// and times, this decides.
//
// The first request is for 8 bytes (the smallest packet); once the length
// field (bytes 1 and 2) has arrived, for the rest of the announced length. A
// packet is complete when it holds at least 8 bytes ending in CR LF, whatever
// its length field says (the length is compared afterwards). It is damaged
// beyond waiting for when the length field announces more than the largest
// packet, when it reaches the largest packet, or when all its announced bytes
// are in without a CR LF at the end.
//
// A complete packet is checked in this order: size against the length field,
// the CRC field present, the CRC, the start byte, the command code.

#include "CommonUtils.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CReplyAssembler {
public:
    static constexpr int kMaxPacket = 1024;
    static constexpr int kMinPacket = 8;

    enum Progress { kNeedMore, kComplete, kDamaged };
    enum Verdict { kValid, kSizeMismatch, kCrcNotFound, kBadCrc, kBadStartByte, kOtherCommand };

    // Starts a new packet.
    void Reset();
    // How many bytes to ask the line for next (1 .. room left).
    int BytesWanted() const;
    // Adds what a read brought (at most BytesWanted(); any more is left out).
    Progress Add(const uint8_t* data, size_t count);
    Progress GetProgress() const { return m_eProgress; }

    const CByteArray& Packet() const { return m_packet; }
    int ExpectedLength() const { return m_nExpected; }
    // Why the packet is damaged (kDamaged), as one log line.
    const std::string& Damage() const { return m_strDamage; }

    // Checks a complete packet against the request's command code (0: any).
    // message receives the log line of a failed check.
    Verdict Check(uint8_t command, std::string& message) const;

    // Bytes still to come before what has arrived could be a whole reply: the
    // rest of a plausible announced length, else 0.
    int Outstanding() const;
    // The bytes so far end in CR LF.
    bool EndsInCrLf() const;

private:
    CByteArray m_packet;
    int m_nExpected = 0;
    Progress m_eProgress = kNeedMore;
    std::string m_strDamage;
};
