#pragma once
// What the link to the board is doing, as the operator needs to see it: the
// device the port number resolves to, and whether the board answers there.

#include <chrono>
#include <string>

enum LinkCondition {
    LINK_NOT_PRESENT = 0, // no device behind the port (adapter unplugged, no link)
    LINK_BUSY = 1,        // the device is held by another program
    LINK_NO_RESPONSE = 2, // the port is open, the board has not answered since a moment
    LINK_CONNECTED = 3,   // the board answered the last exchange
};

class CLinkStatus {
public:
    using WallClock = std::chrono::system_clock;

    LinkCondition GetCondition() const { return m_eCondition; }
    void SetCondition(LinkCondition condition) { m_eCondition = condition; }
    int GetPortNumber() const { return m_nPort; }
    void SetPortNumber(int port) { m_nPort = port; }
    // The device of the open port, or the one the last open tried.
    const std::string& GetDevicePath() const { return m_strDevicePath; }
    void SetDevicePath(const std::string& path) { m_strDevicePath = path; }
    // Since when the board has not answered (LINK_NO_RESPONSE); wall-clock time for display.
    WallClock::time_point GetNoResponseSince() const { return m_noResponseSince; }
    void SetNoResponseSince(WallClock::time_point since) { m_noResponseSince = since; }
    // The system's reason when the port could not be opened.
    const std::string& GetDetail() const { return m_strDetail; }
    void SetDetail(const std::string& detail) { m_strDetail = detail; }

    // One line for a status area or a console, e.g. "COM1 connected (/dev/ttyUSB0)",
    // "COM1: no response since 14:02:11 (/dev/ttyUSB0)".
    std::string GetText() const;

    bool operator==(const CLinkStatus& other) const = default;

private:
    LinkCondition m_eCondition = LINK_NOT_PRESENT;
    int m_nPort = 0;
    std::string m_strDevicePath;
    WallClock::time_point m_noResponseSince{};
    std::string m_strDetail;
};
