#pragma once
// The serial port that connects the computer to the board: opened by number
// with its line settings, read with a receive timeout and written with a
// little self-repair (a write that moves nothing reopens the port; a read
// that brings nothing is tried again).

#include "SerialDevice.h"

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
    virtual void Close();

    bool IsPortOpen() const { return HasValidConnection() != 0; }
    int GetPortNumber() const { return m_nPort; }
    unsigned GetBaudRate() const { return m_nBaudRate; }
    int GetReceiveTimeout() const { return m_nReceiveTimeout; }
    int IsTimeoutSet() const { return m_nTimeoutSet; }
    int GetState() const { return m_nState; }
    COM_FLOW_CONTROL GetRtsControl() const { return m_eRtsMode; }
    // Why the last open or transfer failed.
    std::string GetLastError() const;

protected:
    // Access mode: 0 read only, 1 write only, 2 read and write; a port number
    // below 1 always gets full access. Non-zero on success.
    int OpenComPort(int port, unsigned char accessMode, unsigned long baud, unsigned char byteSize,
                    unsigned char parity, unsigned char stopBits);
    // Records the timeout once the port has been opened, and applies it when
    // the port is open. Non-zero on success.
    int SetReceiveTimeout(int milliseconds);
    void SetRtsControl(COM_FLOW_CONTROL mode) { m_eRtsMode = mode; }
    int ClearBuffers();
    int Write(const unsigned char* data, int count, int* written);
    int WriteWin32(const unsigned char* data, unsigned long count, unsigned long* written);
    // Up to kReadAttempts reads of the receive timeout each; the bytes of the
    // first attempt that brings any. A port whose peer hung up is closed.
    int Read(int count, unsigned char* buffer);
    int HasValidConnection() const;
    // Reads and throws away whatever arrives until the line has been quiet
    // for quietMs (at most maxMs in all): the rest of a damaged reply must
    // not spoil the next exchange.
    void DrainInput(int quietMs, int maxMs);
    // Reopens with the settings of the last successful open and re-applies
    // the recorded receive timeout. Non-zero on success.
    int Reopen();
    // True when the port closed by itself (the peer hung up, or the reopen
    // after a failed write did not succeed), not by Close(): only such a
    // port is worth reopening.
    bool WasLost() const { return m_bLost && m_bEverOpened; }

private:
    std::unique_ptr<CSerialDevice> m_pDevice;
    int m_nPort = 0;
    unsigned m_nBaudRate = 0;
    unsigned char m_nAccessMode = 2;
    unsigned char m_nByteSize = 8;
    unsigned char m_nParity = 0;
    unsigned char m_nStopBits = 0;
    COM_FLOW_CONTROL m_eRtsMode = COM_RTS_TOGGLE;
    int m_nState = -1;
    int m_nTimeoutSet = 0;
    int m_nReceiveTimeout = 0;
    bool m_bEverOpened = false;
    bool m_bLost = false;
    std::string m_strLastError;
};
