#include "HardwareBase.h"

#include "Crc16.h"
#include "Logs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::string Hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value & 0xFFu);
    return text;
}

// The fault of each thread's last exchange: a caller reads its own, never
// another thread's that ran in between.
thread_local CExchangeFault t_lastFault;

// A log line as part of an operator's sentence: "ERROR: Bad CRC ..." gives "bad CRC ...".
std::string Plain(std::string text)
{
    static const std::string kPrefix = "ERROR: ";
    if (text.rfind(kPrefix, 0) == 0)
        text.erase(0, kPrefix.size());
    const bool acronym = text.size() > 1 && std::isupper(static_cast<unsigned char>(text[1]));
    if (!text.empty() && !acronym)
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace

CByteArray CHardwareBase::BuildPacket(uint8_t command, const unsigned char* payload, int size)
{
    CByteArray packet;
    const int length = size + kFrameSize;
    packet.reserve(static_cast<size_t>(length));
    packet.push_back(0x02);
    CCommonUtils::AddBytesToStream(packet, static_cast<unsigned long>(length), 2);
    packet.push_back(command);
    if (payload && size > 0)
        packet.insert(packet.end(), payload, payload + size);
    const uint16_t crc = Crc16Xmodem(packet.data(), packet.size());
    CCommonUtils::AddBytesToStream(packet, crc, 2);
    packet.push_back(0x0D);
    packet.push_back(0x0A);
    return packet;
}

std::string CHardwareBase::DumpText(const std::string& prefix, const uint8_t* bytes, size_t size)
{
    std::string text = prefix + " :: <";
    text.reserve(text.size() + 2 * size + 1);
    static const char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < size; ++i) {
        const bool trailer = i + 2 >= size;
        if (trailer && bytes[i] == 0x0D) {
            text += "CR";
        } else if (trailer && bytes[i] == 0x0A) {
            text += "LF";
        } else {
            text += kHex[bytes[i] >> 4];
            text += kHex[bytes[i] & 0x0F];
        }
    }
    text += '>';
    return text;
}

int CHardwareBase::WriteToDebugToFile(const std::string& text)
{
    CDebugLog::Add(text);
    return 0;
}

void CHardwareBase::DumpPacket(const std::string& prefix, const CByteArray& bytes)
{
    DumpPacket(prefix, bytes.data(), bytes.size());
}

void CHardwareBase::DumpPacket(const std::string& prefix, const uint8_t* bytes, size_t size)
{
    WriteToDebugToFile(DumpText(prefix, bytes, size));
}

int CHardwareBase::Open(int port, unsigned int baud, unsigned char byteSize, unsigned char parity,
                        unsigned char stopBits)
{
    std::lock_guard guard(m_lock);
    const int opened = CSerialPort::Open(port, baud, byteSize, parity, stopBits);
    if (!opened)
        WriteToDebugToFile("Open: COM" + std::to_string(port) + " (" + GetDevicePath() +
                           ") failed: " + GetLastError());
    m_nFailedInRow = 0;
    m_bLostLogged = false;
    m_strReopenError = opened ? std::string() : GetDevicePath() + ": " + GetLastError();
    RecordOpen(opened != 0);
    return opened;
}

void CHardwareBase::Close()
{
    std::lock_guard guard(m_lock);
    CSerialPort::Close();
    std::lock_guard status(m_statusLock);
    m_linkStatus.SetCondition(LINK_NOT_PRESENT);
    m_linkStatus.SetDetail("the port was closed");
}

bool CHardwareBase::IsLinkOpen()
{
    std::lock_guard guard(m_lock);
    return IsPortOpen();
}

CExchangeFault CHardwareBase::GetLastFault()
{
    return t_lastFault;
}

void CHardwareBase::SetLastFault(const CExchangeFault& fault)
{
    t_lastFault = fault;
}

void CHardwareBase::SetFault(LinkFailure kind, const std::string& text)
{
    m_fault = CExchangeFault(kind, m_nLastCommand, text);
}

CLinkStatus CHardwareBase::GetLinkStatus() const
{
    std::lock_guard guard(m_statusLock);
    return m_linkStatus;
}

void CHardwareBase::RecordOpen(bool opened)
{
    std::lock_guard guard(m_statusLock);
    m_linkStatus.SetPortNumber(GetPortNumber());
    m_linkStatus.SetDevicePath(GetDevicePath());
    if (opened) {
        // Open, and not yet heard from.
        m_linkStatus.SetCondition(LINK_NO_RESPONSE);
        m_linkStatus.SetNoResponseSince(CLinkStatus::WallClock::now());
        m_linkStatus.SetDetail("");
        return;
    }
    m_linkStatus.SetCondition(
        GetOpenFailure() == CSerialDevice::OpenFailure::Busy ? LINK_BUSY : LINK_NOT_PRESENT);
    m_linkStatus.SetDetail(GetLastError());
}

void CHardwareBase::RecordOutcome(bool answered)
{
    m_nFailedInRow = answered ? 0 : m_nFailedInRow + 1;
    if (!IsPortOpen()) {
        // Lost: not present (or held elsewhere) until a reopen succeeds. Closed
        // on purpose or never opened: what the last open said still holds.
        if (WasLost() && GetLinkStatus().GetCondition() >= LINK_NO_RESPONSE)
            RecordOpen(false);
        return;
    }
    std::lock_guard guard(m_statusLock);
    m_linkStatus.SetPortNumber(GetPortNumber());
    m_linkStatus.SetDevicePath(GetDevicePath());
    m_linkStatus.SetDetail("");
    if (answered) {
        m_linkStatus.SetCondition(LINK_CONNECTED);
    } else if (m_linkStatus.GetCondition() != LINK_NO_RESPONSE) {
        m_linkStatus.SetCondition(LINK_NO_RESPONSE);
        m_linkStatus.SetNoResponseSince(CLinkStatus::WallClock::now());
    }
}

void CHardwareBase::MaintainPort()
{
    const auto now = Clock::now();
    const bool open = HasValidConnection() != 0;
    if (open ? m_nFailedInRow == 0 : !WasLost())
        return;
    if (now - m_lastMaintenance < kReopenInterval)
        return;
    m_lastMaintenance = now;
    const std::string port = "COM" + std::to_string(GetPortNumber());
    if (open) {
        const std::string before = GetDevicePath();
        if (!FollowMovedDevice())
            return;
        WriteToDebugToFile("SendCommand: " + port + " moved from " + before + " to " +
                           GetDevicePath() +
                           (IsPortOpen() ? "; reopened" : "; cannot open: " + GetLastError()));
        RecordOpen(IsPortOpen());
        return;
    }
    if (Reopen()) {
        m_bLostLogged = false;
        m_strReopenError.clear();
        WriteToDebugToFile("SendCommand: Connection restored on " + port + " (" + GetDevicePath() +
                           ")");
        RecordOpen(true);
        return;
    }
    // Once per change of reason, not once a second.
    const std::string reason = GetDevicePath() + ": " + GetLastError();
    if (reason != m_strReopenError)
        WriteToDebugToFile("SendCommand: Reopening " + port + " failed (" + reason + ")");
    m_strReopenError = reason;
    RecordOpen(false);
}

int CHardwareBase::SendCommand(KLYN_CMDS command, const unsigned char* payload, int size)
{
    MaintainPort();
    const bool open = HasValidConnection() != 0;
    if (!open)
        WriteToDebugToFile("SendCommand: Invalid Connection");

    m_sendBuffer[0] = 0x02;
    const int length = size + kFrameSize;
    m_sendBuffer[1] = static_cast<uint8_t>(length >> 8);
    m_sendBuffer[2] = static_cast<uint8_t>(length);
    m_sendBuffer[3] = command;
    if (size > 0)
        std::copy(payload, payload + size, m_sendBuffer + 4);
    const uint16_t crc = Crc16Xmodem(m_sendBuffer, static_cast<size_t>(size) + 4);
    m_sendBuffer[size + 4] = static_cast<uint8_t>(crc >> 8);
    m_sendBuffer[size + 5] = static_cast<uint8_t>(crc);
    m_sendBuffer[size + 6] = 0x0D;
    m_sendBuffer[size + 7] = 0x0A;
    m_nLastCommand = command;
    if (!open) {
        SetFault(LinkFailure::PortAbsent, "command " + Hex2(command) +
                                              " was not sent: the port is not open (" +
                                              GetLinkStatus().GetText() + ")");
        return 0;
    }

    // Stale input of an earlier exchange cannot spoil this one.
    const int stale = PendingInput();
    ClearBuffers();
    if (stale > 0)
        WriteToDebugToFile("SendCommand: " + std::to_string(stale) +
                           " stale bytes discarded before the request");
    DumpPacket("Send", m_sendBuffer, static_cast<size_t>(length));
    int written = 0;
    const int result = Write(m_sendBuffer, length, &written);
    if (!result) {
        SetFault(LinkFailure::WriteFailed,
                 "command " + Hex2(command) + " could not be written to the port" +
                     (written > 0 ? " (" + std::to_string(written) + " of " +
                                        std::to_string(length) + " bytes written)"
                                  : std::string()) +
                     (GetLastError().empty() ? std::string() : ": " + GetLastError()));
        if (written > 0)
            WriteToDebugToFile("SendCommand: Write Failed (" + std::to_string(written) + " of " +
                               std::to_string(length) + " bytes written)");
        else
            WriteToDebugToFile("SendCommand: Write Failed");
    }
    return result;
}

CReplyAssembler::Progress CHardwareBase::ReceivePacket(CReplyAssembler& packet,
                                                       Clock::time_point deadline,
                                                       int attemptTimeoutMs)
{
    packet.Reset();
    m_nExpectedLength = 0;
    if (!HasValidConnection())
        return CReplyAssembler::kNeedMore;

    unsigned char buffer[kBufferSize];
    std::string fault;
    for (;;) {
        // Five attempts share what is left of the window, so the window holds.
        const int perAttempt = std::clamp(MillisecondsLeft(deadline) / kReadAttempts, 1,
                                          std::max(1, attemptTimeoutMs));
        const int got = Read(packet.BytesWanted(), buffer, perAttempt);
        if (got == 0) {
            if (!HasValidConnection()) {
                // A hang-up: say so once instead of a stream of empty reads.
                fault = m_bLostLogged ? "" : "ReceivePacket: Connection lost";
                m_bLostLogged = true;
                SetFault(LinkFailure::PortAbsent,
                         "the port was lost while waiting for the reply to command " +
                             Hex2(static_cast<unsigned>(m_nLastCommand)));
                break;
            }
            WriteToDebugToFile("Empty read");
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else if (packet.Add(buffer, static_cast<size_t>(got)) != CReplyAssembler::kNeedMore) {
            break;
        }
        if (Clock::now() >= deadline)
            break;
    }
    m_nExpectedLength = packet.ExpectedLength();
    DumpPacket("Read", packet.Packet());
    if (packet.GetProgress() == CReplyAssembler::kDamaged) {
        fault = packet.Damage();
        SetFault(LinkFailure::WrongReply, "the reply to command " +
                                              Hex2(static_cast<unsigned>(m_nLastCommand)) +
                                              " was damaged (" + Plain(fault) + ")");
    } else if (packet.GetProgress() == CReplyAssembler::kNeedMore && fault.empty() &&
               HasValidConnection())
        fault = packet.Packet().empty()
                    ? "ERROR: No reply to command " + Hex2(static_cast<unsigned>(m_nLastCommand))
                    : "ERROR: Incomplete reply to command " +
                          Hex2(static_cast<unsigned>(m_nLastCommand)) + " (" +
                          std::to_string(packet.Packet().size()) + " bytes)";
    if (!fault.empty())
        WriteToDebugToFile(fault);
    return packet.GetProgress();
}

void CHardwareBase::DrainReply(const CReplyAssembler& packet, Clock::time_point deadline)
{
    // Until the announced length (when it is plausible) has arrived, what
    // arrived ends in CR LF, and the line is quiet; never past the window.
    int outstanding = packet.Outstanding();
    bool endsInCrLf = packet.EndsInCrLf();
    uint8_t last = packet.Packet().empty() ? 0 : packet.Packet().back();
    size_t drained = 0;
    unsigned char buffer[kBufferSize];
    while (HasValidConnection()) {
        const bool done = outstanding <= 0 && endsInCrLf;
        const int wait =
            done ? std::min(kQuietLineMs, MillisecondsLeft(deadline)) : MillisecondsLeft(deadline);
        if (wait <= 0)
            break;
        const int got = ReadOnce(kBufferSize, buffer, std::min(wait, kQuietLineMs));
        if (got == 0) {
            if (done || Clock::now() >= deadline)
                break;
            continue;
        }
        drained += static_cast<size_t>(got);
        outstanding -= got;
        endsInCrLf = got >= 2 ? buffer[got - 2] == 0x0D && buffer[got - 1] == 0x0A
                              : last == 0x0D && buffer[0] == 0x0A;
        last = buffer[got - 1];
    }
    if (drained > 0)
        WriteToDebugToFile("ReceivePacket: " + std::to_string(drained) +
                           " bytes of the damaged reply discarded");
}

int CHardwareBase::ReceiveResponse(int receiveTimeoutMs)
{
    m_response.clear();
    int timeout = receiveTimeoutMs > 0 ? receiveTimeoutMs : GetReceiveTimeout();
    if (timeout <= 0)
        timeout = kReceiveWindowMs / kReadAttempts;
    const int windowMs = std::max(kReceiveWindowMs, timeout);
    const auto deadline = Clock::now() + std::chrono::milliseconds(windowMs);
    const std::string command = Hex2(static_cast<unsigned>(m_nLastCommand));
    int otherCommand = -1; // the code of a sound reply to another request
    CReplyAssembler packet;
    for (;;) {
        const CReplyAssembler::Progress progress = ReceivePacket(packet, deadline, timeout);
        if (progress == CReplyAssembler::kDamaged) {
            DrainReply(packet, deadline);
            return 0;
        }
        if (progress != CReplyAssembler::kComplete) {
            if (m_fault.IsFault())
                return 0; // the port was lost
            if (otherCommand >= 0)
                SetFault(LinkFailure::WrongReply, "the board answered command " + command +
                                                      " under command " + Hex2(otherCommand));
            else if (packet.Packet().empty())
                SetFault(LinkFailure::Timeout, "no reply to command " + command + " within " +
                                                   std::to_string(windowMs) + " ms");
            else
                SetFault(LinkFailure::Timeout, "only " + std::to_string(packet.Packet().size()) +
                                                   " bytes of the reply to command " + command +
                                                   " within " + std::to_string(windowMs) + " ms");
            return 0;
        }
        std::string message;
        const CReplyAssembler::Verdict verdict =
            packet.Check(static_cast<uint8_t>(m_nLastCommand), message);
        if (verdict == CReplyAssembler::kValid) {
            m_response = packet.Packet();
            return 1;
        }
        WriteToDebugToFile(message);
        // A sound reply to an earlier request came late: ours may follow it.
        if (verdict != CReplyAssembler::kOtherCommand) {
            if (verdict == CReplyAssembler::kBadCrc)
                SetFault(LinkFailure::BadCrc, "the reply to command " + command + " had a bad CRC");
            else
                SetFault(LinkFailure::WrongReply, "the reply to command " + command +
                                                      " was malformed (" + Plain(message) + ")");
            DrainReply(packet, deadline);
            return 0;
        }
        otherCommand = packet.Packet().size() > 3 ? packet.Packet()[3] : 0;
        if (Clock::now() >= deadline) {
            WriteToDebugToFile("ERROR: No reply to command " + command);
            SetFault(LinkFailure::WrongReply, "the board answered command " + command +
                                                  " under command " + Hex2(otherCommand));
            return 0;
        }
    }
}

int CHardwareBase::SendReceive(KLYN_CMDS command, const unsigned char* payload, int size,
                               KLYN_CMDS& /*responseCommand*/, CByteArray& response,
                               int receiveTimeoutMs)
{
    if (size < 0 || size > kMaxPayload || (size > 0 && !payload)) {
        const std::string text = "Payload of " + std::to_string(size) + " bytes refused (at most " +
                                 std::to_string(kMaxPayload) + ")";
        WriteToDebugToFile("SendCommand: " + text);
        SetLastFault(CExchangeFault(LinkFailure::Refused, command,
                                    "command " + Hex2(command) + " was not sent: " + Plain(text)));
        return 0;
    }
    std::lock_guard guard(m_lock);
    m_fault = CExchangeFault();
    const bool ok = SendCommand(command, payload, size) && ReceiveResponse(receiveTimeoutMs);
    if (ok)
        response.assign(m_response.begin() + 4, m_response.end() - 4);
    else if (!m_fault.IsFault())
        SetFault(LinkFailure::Timeout, "no reply to command " + Hex2(command));
    RecordOutcome(ok);
    SetLastFault(ok ? CExchangeFault() : m_fault);
    return ok ? 1 : 0;
}
