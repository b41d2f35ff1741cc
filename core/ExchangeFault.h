#pragma once
// Why one exchange with the board failed, in words an operator can act on:
// the port was not there, the board said nothing, its reply was damaged or
// was not the answer to the request, or the request was never sent.
//
// The packet layer records one for every exchange (kind None when it
// succeeded); CHardwareBase::GetLastFault() hands the calling thread the
// fault of its own last exchange, so a caller on one thread never reads
// the outcome of another thread's exchange.

#include <cstdint>
#include <string>

enum class LinkFailure {
    None = 0,
    Cancelled,   // the request was cancelled before this exchange
    NotRunning,  // the instrument link is not started (or was stopped)
    PortAbsent,  // the port is not open: no device, another program holds it, or it was lost
    WriteFailed, // the request could not be written whole
    Timeout,     // no reply, or only part of one, within the receive window
    BadCrc,      // a reply whose CRC does not match its bytes
    WrongReply,  // a reply that is not this request's answer (damaged frame, size, other command)
    Refused,     // not sent: the records do not fit a request the board takes
};

class CExchangeFault {
public:
    CExchangeFault() = default;
    CExchangeFault(LinkFailure kind, int command, std::string text)
        : m_eKind(kind), m_nCommand(command), m_strText(std::move(text))
    {
    }

    LinkFailure GetKind() const { return m_eKind; }
    bool IsFault() const { return m_eKind != LinkFailure::None; }
    // The request's command code (0 when no command was involved).
    int GetCommand() const { return m_nCommand; }
    // One line without a final full stop, e.g. "no reply to command 0x11
    // within 500 ms", "the reply to command 0x11 had a bad CRC".
    const std::string& GetText() const { return m_strText; }
    // The text as a sentence of its own: "No reply to command 0x11 within 500 ms."
    std::string GetSentence() const;

    // "0x11"
    static std::string CommandText(int command);
    // "timeout", "bad CRC", ...: the kind alone, for counters and logs.
    static const char* KindName(LinkFailure kind);

    bool operator==(const CExchangeFault& other) const = default;

private:
    LinkFailure m_eKind = LinkFailure::None;
    int m_nCommand = 0;
    std::string m_strText;
};
