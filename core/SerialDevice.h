#pragma once
// The operating system's side of a serial port: a POSIX terminal device
// opened exclusively, in raw mode, with millisecond read timeouts through
// poll(). Everything platform-specific about the port lives here, so a port
// to another system replaces this adapter only.

#include <cstddef>
#include <cstdint>
#include <string>

class CSerialDevice {
public:
    enum class Rts { Toggle, HeldOn };

    CSerialDevice() = default;
    ~CSerialDevice();
    CSerialDevice(const CSerialDevice&) = delete;
    CSerialDevice& operator=(const CSerialDevice&) = delete;

    // The device behind port n: <ports dir>/COMn when that entry exists (a link an
    // installer, a udev rule or the board simulator made), else /dev/ttyS(n-1).
    static std::string PathForPort(int port);

    // Opens path for reading and/or writing, refuses a device another process
    // holds, and sets raw 8-bit transfer with the given line settings (parity
    // and stop-bit codes as the configuration uses them: parity 0 none, 1 odd,
    // 2 even; stop bits 0 one, 2 two). A device without modem lines or a baud
    // rate (a pseudo-terminal) is accepted: those settings fail soft. Returns
    // true on success; error() says why not.
    bool Open(const std::string& path, bool read, bool write, unsigned baud, unsigned byteSize,
              unsigned parity, unsigned stopBits, Rts rts);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Reads up to n bytes; returns when n arrived or timeoutMs ran out, with
    // the count read (0 on a timeout). -1 when the device hung up or failed;
    // IsHungUp() then tells a lost peer from another error.
    long Read(uint8_t* buffer, size_t n, int timeoutMs);
    // Writes all n bytes (waiting up to timeoutMs for room); the count written, -1 on failure.
    long Write(const uint8_t* buffer, size_t n, int timeoutMs = 2000);
    // Discards unread input and unsent output.
    bool Purge();
    bool IsHungUp() const { return m_bHungUp; }

    const std::string& Error() const { return m_strError; }
    // What the open could and could not do, for the diagnostics of a service engineer.
    bool HasLowLatency() const { return m_bLowLatency; }
    bool HasHardwareRtsToggle() const { return m_bRs485; }

private:
    bool Configure(unsigned baud, unsigned byteSize, unsigned parity, unsigned stopBits, Rts rts);
    void SetRts(bool on);
    bool Fail(const std::string& what);

    int m_fd = -1;
    bool m_bHungUp = false;
    bool m_bLowLatency = false;
    bool m_bRs485 = false;
    bool m_bManualRtsToggle = false;
    // Time one byte takes on the wire, so reads of a long reply can sleep
    // through its transfer instead of waking for every few bytes.
    unsigned m_nByteMicros = 0;
    std::string m_strError;
};
