#include "HardwareBase.h"

#include "Crc16.h"
#include "Logs.h"

#include <cstdio>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
}

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
        if (i + 2 == size && bytes[i] == 0x0D) {
            text += "CR";
        } else if (i + 1 == size && bytes[i] == 0x0A) {
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

void CHardwareBase::TryReconnect()
{
    if (HasValidConnection() || !WasLost())
        return;
    const auto now = Clock::now();
    if (now - m_lastReopen < kReopenInterval)
        return;
    m_lastReopen = now;
    if (Reopen()) {
        m_bLostLogged = false;
        WriteToDebugToFile("SendCommand: Connection restored on COM" +
                           std::to_string(GetPortNumber()));
    }
}

int CHardwareBase::SendCommand(KLYN_CMDS command, const unsigned char* payload, int size)
{
    TryReconnect();
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
    if (!open)
        return 0;

    // Stale input of an earlier failed exchange cannot spoil this one.
    ClearBuffers();
    DumpPacket("Send", m_sendBuffer, static_cast<size_t>(length));
    int written = 0;
    const int result = Write(m_sendBuffer, length, &written);
    if (!result)
        WriteToDebugToFile("SendCommand: Write Failed");
    return result;
}

int CHardwareBase::ReceivePacket(CByteArray& packet)
{
    packet.clear();
    m_nExpectedLength = 0;
    if (!HasValidConnection())
        return 0;

    unsigned char buffer[kBufferSize];
    int request = kFrameSize;
    const auto start = Clock::now();
    bool complete = false;
    std::string fault;
    for (;;) {
        const int got = Read(request, buffer);
        if (got == 0) {
            if (!HasValidConnection()) {
                // A hang-up: say so once instead of a stream of empty reads.
                if (!m_bLostLogged)
                    fault = "ReceivePacket: Connection lost";
                m_bLostLogged = true;
                break;
            }
            WriteToDebugToFile("Empty read");
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else {
            packet.insert(packet.end(), buffer, buffer + got);
            if (m_nExpectedLength == 0 && packet.size() > 3)
                m_nExpectedLength = packet[1] * 256 + packet[2];
            const int held = static_cast<int>(packet.size());
            if (packet.size() >= kFrameSize && packet[held - 2] == 0x0D && packet[held - 1] == 0x0A) {
                complete = true;
                break;
            }
            // A length field beyond the largest packet, or a packet that has
            // all its announced bytes without ending in CR LF, can only be
            // damaged: waiting out the window would bring nothing better.
            if (m_nExpectedLength > kBufferSize || held >= kBufferSize) {
                fault = "ERROR: Packet length " + std::to_string(m_nExpectedLength) +
                        " exceeds " + std::to_string(kBufferSize);
                break;
            }
            if (m_nExpectedLength > 0 && held >= m_nExpectedLength) {
                fault = "ERROR: Packet end not found after " + std::to_string(held) + " bytes";
                break;
            }
            request = m_nExpectedLength > 0 ? m_nExpectedLength - held : kFrameSize;
            if (request > kBufferSize - held)
                request = kBufferSize - held;
        }
        if (Clock::now() - start >= std::chrono::milliseconds(kReceiveWindowMs))
            break;
    }
    DumpPacket("Read", packet);
    if (!fault.empty()) {
        WriteToDebugToFile(fault);
        const auto left = std::chrono::milliseconds(kReceiveWindowMs) - (Clock::now() - start);
        DrainInput(20, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()));
    }
    if (!complete)
        return 0;

    const int size = static_cast<int>(packet.size());
    if (size != m_nExpectedLength) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "ERROR: Packet size mismatch. Size should be %d, but actual size = %d",
                      m_nExpectedLength, size);
        WriteToDebugToFile(text);
        return 0;
    }
    if (size < kFrameSize) {
        WriteToDebugToFile("ERROR: CRC not found");
        return 0;
    }
    const uint16_t received = static_cast<uint16_t>(packet[size - 4] << 8 | packet[size - 3]);
    const uint16_t computed = Crc16Xmodem(packet.data(), static_cast<size_t>(size - 4));
    if (received != computed) {
        char text[80];
        std::snprintf(text, sizeof text, "ERROR: Bad CRC => Read = %04x, Calc = %04x", received,
                      computed);
        WriteToDebugToFile(text);
        return 0;
    }
    return 1;
}

int CHardwareBase::ReceiveResponse()
{
    m_response.clear();
    if (!ReceivePacket(m_response))
        return 0;
    if (m_response[0] != 0x02)
        return 0;
    if (m_response[3] != m_nLastCommand && m_nLastCommand != 0)
        return 0;
    return 1;
}

int CHardwareBase::SendReceive(KLYN_CMDS command, const unsigned char* payload, int size,
                               KLYN_CMDS& /*responseCommand*/, CByteArray& response)
{
    if (size < 0 || size > kMaxPayload || (size > 0 && !payload)) {
        WriteToDebugToFile("SendCommand: Payload of " + std::to_string(size) +
                           " bytes refused (at most " + std::to_string(kMaxPayload) + ")");
        return 0;
    }
    std::lock_guard guard(m_lock);
    if (!SendCommand(command, payload, size) || !ReceiveResponse())
        return 0;
    response.assign(m_response.begin() + 4, m_response.end() - 4);
    return 1;
}
