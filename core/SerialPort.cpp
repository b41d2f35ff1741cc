#include "SerialPort.h"

#include <chrono>

CSerialPort::CSerialPort() : m_pDevice(std::make_unique<CSerialDevice>()) {}

CSerialPort::~CSerialPort() = default;

int CSerialPort::Open(int port, unsigned int baud, unsigned char byteSize, unsigned char parity,
                      unsigned char stopBits)
{
    return OpenComPort(port, 2, baud, byteSize, parity, stopBits);
}

void CSerialPort::Close()
{
    m_bLost = false;
    if (m_pDevice->IsOpen())
        m_pDevice->Close();
}

std::string CSerialPort::GetLastError() const
{
    return m_pDevice->Error().empty() ? m_strLastError : m_pDevice->Error();
}

int CSerialPort::OpenComPort(int port, unsigned char accessMode, unsigned long baud,
                             unsigned char byteSize, unsigned char parity, unsigned char stopBits)
{
    m_nState = -1;
    bool read = true;
    bool write = true;
    if (port >= 1) {
        if (accessMode > 2) {
            m_strLastError = "access mode " + std::to_string(accessMode) + " is not 0, 1 or 2";
            return 0;
        }
        read = accessMode != 1;
        write = accessMode != 0;
    }
    m_pDevice->Close();
    const std::string path = CSerialDevice::PathForPort(port);
    if (!m_pDevice->Open(path, read, write, static_cast<unsigned>(baud), byteSize, parity, stopBits,
                         m_eRtsMode == COM_RTS_TOGGLE ? CSerialDevice::Rts::Toggle
                                                      : CSerialDevice::Rts::HeldOn))
        return 0;
    m_nPort = port;
    m_nAccessMode = accessMode;
    m_nBaudRate = static_cast<unsigned>(baud);
    m_nByteSize = byteSize;
    m_nParity = parity;
    m_nStopBits = stopBits;
    m_nState = 1;
    m_bEverOpened = true;
    m_bLost = false;
    return 1;
}

int CSerialPort::SetReceiveTimeout(int milliseconds)
{
    if (m_nState >= 0) {
        m_nReceiveTimeout = milliseconds;
        m_nTimeoutSet = 1;
    }
    return HasValidConnection();
}

int CSerialPort::ClearBuffers() { return m_pDevice->Purge() ? 1 : 0; }

int CSerialPort::Write(const unsigned char* data, int count, int* written)
{
    unsigned long moved = 0;
    const int result =
        WriteWin32(data, count < 0 ? 0ul : static_cast<unsigned long>(count), written ? &moved : nullptr);
    if (written)
        *written = static_cast<int>(moved);
    return result;
}

int CSerialPort::WriteWin32(const unsigned char* data, unsigned long count, unsigned long* written)
{
    int result = 0;
    unsigned long moved = 0;
    if (HasValidConnection() && data) {
        const long w = m_pDevice->Write(data, count);
        moved = w > 0 ? static_cast<unsigned long>(w) : 0;
        result = count == 0 || moved > 0 ? 1 : 0;
        if (moved == 0 && count != 0) {
            m_pDevice->Close();
            m_bLost = !Reopen();
            result = 0;
        }
    }
    if (written)
        *written = moved;
    return result;
}

int CSerialPort::Reopen()
{
    if (!m_bEverOpened)
        return 0;
    const int timeout = m_nReceiveTimeout;
    const int timeoutSet = m_nTimeoutSet;
    if (!OpenComPort(m_nPort, m_nAccessMode, m_nBaudRate, m_nByteSize, m_nParity, m_nStopBits))
        return 0;
    // A reopened port keeps its bounded waits.
    if (timeoutSet)
        SetReceiveTimeout(timeout);
    return 1;
}

int CSerialPort::Read(int count, unsigned char* buffer)
{
    if (!HasValidConnection() || count <= 0 || !buffer)
        return 0;
    long got = 0;
    for (int attempt = 0; attempt < kReadAttempts && HasValidConnection(); ++attempt) {
        got = m_pDevice->Read(buffer, static_cast<size_t>(count), m_nReceiveTimeout);
        if (got > 0)
            break;
        if (got < 0 && m_pDevice->IsHungUp()) {
            // The peer is gone (adapter unplugged, simulator ended): close, so
            // the next exchange tries to reopen instead of reading a dead line.
            m_pDevice->Close();
            m_bLost = true;
            break;
        }
    }
    return got > 0 ? static_cast<int>(got) : 0;
}

void CSerialPort::DrainInput(int quietMs, int maxMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    uint8_t buffer[256];
    while (m_pDevice->IsOpen() && std::chrono::steady_clock::now() < deadline) {
        if (m_pDevice->Read(buffer, sizeof buffer, quietMs) <= 0)
            break;
    }
}

int CSerialPort::HasValidConnection() const { return m_pDevice->IsOpen() ? 1 : 0; }
