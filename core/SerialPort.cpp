#include "SerialPort.h"

#include <chrono>

CSerialPort::CSerialPort() : m_pDevice(std::make_unique<CSerialDevice>())
{
}

CSerialPort::~CSerialPort() = default;

int CSerialPort::Open(int port, unsigned int baud, unsigned char byteSize, unsigned char parity,
                      unsigned char stopBits)
{
    return OpenComPort(port, 2, baud, byteSize, parity, stopBits);
}

void CSerialPort::Close()
{
    m_bWanted = false;
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
    // The settings of the latest open: a port that could not be opened yet
    // (the adapter not plugged in) is retried with them.
    m_nPort = port;
    m_nAccessMode = accessMode;
    m_nBaudRate = static_cast<unsigned>(baud);
    m_nByteSize = byteSize;
    m_nParity = parity;
    m_nStopBits = stopBits;
    m_bWanted = true;
    m_strDevicePath = m_resolver.Resolve(port);
    if (!m_pDevice->Open(
            m_strDevicePath, read, write, static_cast<unsigned>(baud), byteSize, parity, stopBits,
            m_eRtsMode == COM_RTS_TOGGLE ? CSerialDevice::Rts::Toggle : CSerialDevice::Rts::HeldOn))
        return 0;
    m_nState = 1;
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

int CSerialPort::ClearBuffers()
{
    return m_pDevice->Purge() ? 1 : 0;
}

int CSerialPort::Write(const unsigned char* data, int count, int* written)
{
    unsigned long moved = 0;
    const int result = WriteWin32(data, count < 0 ? 0ul : static_cast<unsigned long>(count),
                                  written ? &moved : nullptr);
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
        // Part of a packet is no packet: the board discards it.
        result = moved == count ? 1 : 0;
        if (moved == 0 && count != 0) {
            m_pDevice->Close();
            Reopen();
        }
    }
    if (written)
        *written = moved;
    return result;
}

int CSerialPort::Reopen()
{
    if (!m_bWanted)
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

int CSerialPort::FollowMovedDevice()
{
    if (!m_bWanted || !m_pDevice->IsOpen())
        return 0;
    const std::string path = m_resolver.Resolve(m_nPort);
    const unsigned long id = CSerialDevice::DeviceIdOf(path);
    // Only a device that exists now is worth leaving the open one for.
    if (id == 0 || (path == m_strDevicePath && id == m_pDevice->GetDeviceId()))
        return 0;
    m_pDevice->Close();
    Reopen();
    return 1;
}

int CSerialPort::Read(int count, unsigned char* buffer)
{
    return Read(count, buffer, m_nReceiveTimeout);
}

int CSerialPort::Read(int count, unsigned char* buffer, int timeoutMs)
{
    if (!HasValidConnection() || count <= 0 || !buffer)
        return 0;
    long got = 0;
    for (int attempt = 0; attempt < kReadAttempts && HasValidConnection(); ++attempt) {
        got = m_pDevice->Read(buffer, static_cast<size_t>(count), timeoutMs);
        if (got > 0)
            break;
        if (got < 0 && m_pDevice->IsHungUp()) {
            // The peer is gone (adapter unplugged, simulator ended): close, so
            // the next exchange tries to reopen instead of reading a dead line.
            m_pDevice->Close();
            break;
        }
    }
    return got > 0 ? static_cast<int>(got) : 0;
}

int CSerialPort::ReadOnce(int count, unsigned char* buffer, int timeoutMs)
{
    if (!HasValidConnection() || count <= 0 || !buffer)
        return 0;
    const long got =
        m_pDevice->Read(buffer, static_cast<size_t>(count), timeoutMs < 0 ? 0 : timeoutMs);
    if (got < 0 && m_pDevice->IsHungUp())
        m_pDevice->Close();
    return got > 0 ? static_cast<int>(got) : 0;
}

int CSerialPort::HasValidConnection() const
{
    return m_pDevice->IsOpen() ? 1 : 0;
}
