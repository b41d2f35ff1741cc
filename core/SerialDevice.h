#pragma once
// The operating system's side of a serial port: a POSIX terminal device
// opened exclusively, in raw mode, with millisecond read timeouts through
// poll(). Everything platform-specific about the port lives here, so a port
// to another system replaces this adapter only.

#include "FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CSerialDevice {
public:
    enum class Rts { Toggle, HeldOn };
    // Why an open failed, as far as the operator needs to know.
    enum class OpenFailure {
        None,
        NotPresent, // no such device (an adapter unplugged, a link pointing nowhere)
        Busy,       // another program holds it
        Unusable,   // it exists but cannot be opened or configured (permissions, a bad setting)
    };

    CSerialDevice() = default;
    ~CSerialDevice();
    CSerialDevice(const CSerialDevice&) = delete;
    CSerialDevice& operator=(const CSerialDevice&) = delete;

    // The device behind port n as a fresh CPortResolver sees it (see there).
    static std::string PathForPort(int port);
    // True for the line speeds the terminal interface offers (1200 ... 921600).
    static bool IsSupportedBaudRate(unsigned baud);

    // Opens path for reading and/or writing, refuses a device another process
    // holds, and sets raw 8-bit transfer with the given line settings (parity
    // and stop-bit codes as the configuration uses them: parity 0 none, 1 odd,
    // 2 even; stop bits 0 one, 2 two). A baud rate the terminal interface does
    // not offer is refused. A device without modem lines (a pseudo-terminal)
    // is accepted: those settings fail soft. Returns true on success; Error()
    // and GetOpenFailure() say why not.
    bool Open(const std::string& path, bool read, bool write, unsigned baud, unsigned byteSize,
              unsigned parity, unsigned stopBits, Rts rts);
    void Close();
    bool IsOpen() const { return m_fd.IsOpen(); }

    // Reads up to n bytes; returns when n arrived or timeoutMs ran out, with
    // the count read (0 on a timeout). -1 when the device hung up or failed;
    // IsHungUp() then tells a lost peer from another error.
    long Read(uint8_t* buffer, size_t n, int timeoutMs);
    // Writes all n bytes (waiting up to timeoutMs for room); the count written
    // (less than n when the line took only part before the time ran out or it
    // failed), -1 when nothing could be written.
    long Write(const uint8_t* buffer, size_t n, int timeoutMs = 2000);
    // Discards unread input and unsent output.
    bool Purge();
    // Bytes received and not yet read.
    int Pending() const;
    bool IsHungUp() const { return m_bHungUp; }
    OpenFailure GetOpenFailure() const { return m_eOpenFailure; }
    // The device number of the open device, to tell whether a path now names
    // another device; 0 when closed.
    unsigned long GetDeviceId() const { return m_nDeviceId; }
    // The device number behind path (links followed); 0 when there is none.
    static unsigned long DeviceIdOf(const std::string& path);

    const std::string& Error() const { return m_strError; }
    // What the open could and could not do, for the diagnostics of a service engineer.
    bool HasLowLatency() const { return m_bLowLatency; }
    bool HasHardwareRtsToggle() const { return m_bRs485; }

private:
    bool Configure(unsigned baud, unsigned byteSize, unsigned parity, unsigned stopBits, Rts rts);
    void SetRts(bool on);
    bool Fail(const std::string& what);

    CFileDescriptor m_fd;
    bool m_bHungUp = false;
    OpenFailure m_eOpenFailure = OpenFailure::None;
    unsigned long m_nDeviceId = 0;
    bool m_bLowLatency = false;
    bool m_bRs485 = false;
    bool m_bManualRtsToggle = false;
    // Time one byte takes on the wire, so reads of a long reply can sleep
    // through its transfer instead of waking for every few bytes.
    unsigned m_nByteMicros = 0;
    std::string m_strError;
};
