#pragma once
// Cuts the byte stream from the host into packets, the way the board's receiver does.
//
// Anything that is not a well-formed packet is thrown away and the parser hunts for the
// next start byte: bytes before a start byte, a length field outside 8 .. 1024, a packet
// whose trailer or CRC is wrong. After a failed candidate the search goes on from the byte
// after its start byte, so a good request hidden behind garbage is still found. A candidate
// that waits for more bytes gives way at once when a complete, valid packet already sits
// behind it (a garbled length must not swallow the host's next request); the owner calls
// Flush() when the line has been quiet too long in the middle of a packet.

#include "CommonUtils.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CFrameParser {
public:
    struct CItem {
        bool valid = false; // a packet (command, payload), or bytes thrown away
        uint8_t command = 0;
        CByteArray payload;
        CByteArray discarded; // the bytes thrown away, for the request log
        std::string reason;   // why they were thrown away
    };

    // Appends the packets and discards that these bytes complete, in stream order.
    void Feed(const uint8_t* data, size_t count, std::vector<CItem>& out);
    // Gives up on a packet in progress (the host went quiet) and rescans what follows it.
    void Flush(std::vector<CItem>& out);
    // True while bytes wait for the rest of a packet.
    bool HasPartial() const { return !m_buffer.empty(); }
    void Reset() { m_buffer.clear(); }

private:
    void Scan(std::vector<CItem>& out);
    // Result of checking a candidate at offset at: complete and valid, incomplete, or bad.
    enum class Candidate { Valid, Incomplete, Bad };
    Candidate Check(size_t at, std::string& reason) const;
    size_t LengthAt(size_t at) const;
    // First offset after `from` where a complete, valid packet starts; npos when none.
    size_t FindCompletePacket(size_t from) const;
    // Throws away the bytes [0, count) as one discard.
    void Discard(size_t count, const std::string& reason, std::vector<CItem>& out);
    // Throws away the start byte at 0 and everything up to the next start byte.
    void DiscardCandidate(const std::string& reason, std::vector<CItem>& out);

    CByteArray m_buffer;
};
