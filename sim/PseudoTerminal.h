#pragma once
// The board's end of the line: a pseudo-terminal whose slave side the host opens as its
// serial device.
//
// The slave is put in raw mode (8N1, no echo, no line editing) and one slave descriptor
// stays open here for the life of the terminal: without it, reading the master fails with
// EIO whenever no host has the device open, and the line settings would fall back to the
// cooked defaults (echo!) each time the last host closes it. Closing the master hangs up
// every host that still holds the slave.

#include <string>

class CPseudoTerminal {
public:
    CPseudoTerminal() = default;
    ~CPseudoTerminal() { Close(); }
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    // 1 with the master non-blocking, or 0 and error (nothing left open).
    int Open(std::string& error);
    void Close();

    bool IsOpen() const { return m_master >= 0; }
    int Master() const { return m_master; }
    // /dev/pts/N while open, else empty.
    const std::string& DevicePath() const { return m_devicePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_devicePath;
};

// The symbolic link <ports dir>/COM<n> through which the host finds the board.
class CPortLink {
public:
    explicit CPortLink(std::string linkPath = {}) : m_linkPath(std::move(linkPath)) {}

    const std::string& Path() const { return m_linkPath; }
    // Creates the folder when missing and points the link at target; the link is replaced
    // in one step (a new link renamed over the old), so a host never sees it missing.
    int PointAt(const std::string& target, std::string& error);
    // Removes the link, but only while it still points where this object put it: another
    // simulator may have taken the port over since.
    void Remove();

    // Where a link points while its board is unplugged: a name that never exists.
    static constexpr const char* kNowhere = "/dev/pts/unplugged";

private:
    std::string m_linkPath;
    std::string m_target;
};
