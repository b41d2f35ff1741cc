#pragma once
// The serial port that connects the computer to the board: opened by number
// with its line settings, read with a receive timeout and written with a
// little self-repair (a write that moves nothing reopens the port; a read
// that brings nothing is tried again).
//
// Which device a number names is decided afresh at every open and reopen
// (CPortResolver), so a port follows a USB adapter that was unplugged and
// plugged in again.

#include "PortResolver.h"
#include "SerialDevice.h"

#include <atomic>
#include <memory>

// How the RTS line is driven: raised only while sending (for a half-duplex
// line driver) or held on.
enum COM_FLOW_CONTROL { COM_RTS_TOGGLE = 0, COM_RTS_ON = 1 };

class CSerialPort {
public:
    static constexpr int kReadAttempts = 5;

    CSerialPort();
    // Does not close the port; Close() does.
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    virtual int Initialize() { return 0; }
    virtual int Open(int port, unsigned int baud, unsigned char byteSize, unsigned char parity,
                     unsigned char stopBits);
    // Closes the port for good: it is not reopened until the next Open.
    virtual void Close();

    bool IsPortOpen() const { return HasValidConnection() != 0; }
    int GetPortNumber() const { return m_nPort; }
    unsigned GetBaudRate() const { return m_nBaudRate; }
    int GetReceiveTimeout() const { return m_nReceiveTimeout.load(); }
    int IsTimeoutSet() const { return m_nTimeoutSet.load(); }
    int GetState() const { return m_nState; }
    COM_FLOW_CONTROL GetRtsControl() const { return m_eRtsMode; }
    // Why the last open or transfer failed.
    std::string GetLastError() const;
    // The device of the last open attempt (a COM link or a built-in port).
    std::string GetDevicePath() const { return m_strDevicePath; }
    CSerialDevice::OpenFailure GetOpenFailure() const { return m_pDevice->GetOpenFailure(); }

protected:
    // Access mode: 0 read only, 1 write only, 2 read and write; a port number
    // below 1 always gets full access. Non-zero on success.
    int OpenComPort(int port, unsigned char accessMode, unsigned long baud, unsigned char byteSize,
                    unsigned char parity, unsigned char stopBits);
    // Records the timeout once the port has been opened, and applies it when
    // the port is open. Non-zero on success.
    int SetReceiveTimeout(int milliseconds);
    void SetRtsControl(COM_FLOW_CONTROL mode) { m_eRtsMode = mode; }
    // Decides which device each port number names from now on.
    void SetPortResolver(const CPortResolver& resolver) { m_resolver = resolver; }
    int ClearBuffers();
    // Bytes received and not yet read.
    int PendingInput() const { return m_pDevice->Pending(); }
    // Non-zero only when all count bytes were written; *written gets the
    // count that was.
    int Write(const unsigned char* data, int count, int* written);
    int WriteWin32(const unsigned char* data, unsigned long count, unsigned long* written);
    // Up to kReadAttempts reads of the receive timeout each; the bytes of the
    // first attempt that brings any. A port whose peer hung up is closed.
    int Read(int count, unsigned char* buffer);
    // The same with a timeout of this call's own instead of the recorded one.
    int Read(int count, unsigned char* buffer, int timeoutMs);
    int HasValidConnection() const;
    // One read of up to count bytes within timeoutMs; the count read.
    int ReadOnce(int count, unsigned char* buffer, int timeoutMs);
    // Opens again with the settings of the last open and re-applies the
    // recorded receive timeout, resolving the port number anew. Non-zero on
    // success; 0 also after Close().
    int Reopen();
    // True when the port is meant to be open and is not: it closed by itself
    // (the peer hung up) or an open failed. Only such a port is worth reopening.
    bool WasLost() const { return m_bWanted && !HasValidConnection(); }
    // When the port number now resolves to another existing device than the
    // open one (the adapter's link appeared or was pointed elsewhere), closes
    // and opens that one. Non-zero when it switched.
    int FollowMovedDevice();

private:
    std::unique_ptr<CSerialDevice> m_pDevice;
    CPortResolver m_resolver;
    int m_nPort = 0;
    unsigned m_nBaudRate = 0;
    unsigned char m_nAccessMode = 2;
    unsigned char m_nByteSize = 8;
    unsigned char m_nParity = 0;
    unsigned char m_nStopBits = 0;
    COM_FLOW_CONTROL m_eRtsMode = COM_RTS_TOGGLE;
    int m_nState = -1;
    // Read by the poller while a program may set it: atomic.
    std::atomic<int> m_nTimeoutSet{0};
    std::atomic<int> m_nReceiveTimeout{0};
    bool m_bWanted = false;
    std::string m_strDevicePath;
    std::string m_strLastError;
};
