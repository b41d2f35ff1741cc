#pragma once
// Follows the link to the instrument through the status poller's cycles, to
// tell the user when it is lost and when it returns, and counts the pulse
// requests that brought no pulse (refused replies: damaged, garbled or
// missing), which the recording's summary gives as a reason for missing
// pulses.
//
// The link counts as lost when the port has closed (an adapter unplugged,
// the far end gone), or when kRefusalsInARow pulse requests in a row failed;
// it is back once the port is open and a cycle ends without a failed request.

#include <chrono>
#include <cstdint>
#include <string>

class CLinkWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRefusalsInARow = 5;

    enum Change { kNoChange, kLost, kBack };

    // One poll cycle: is the port open, did the status word announce a pulse,
    // was a pulse fetched.
    Change Cycle(bool portOpen, bool announced, bool fetched, Clock::time_point now);

    bool IsLost() const { return m_bLost; }
    int64_t GetAnnounced() const { return m_nAnnounced; }
    int64_t GetRefused() const { return m_nRefused; }
    int GetLosses() const { return m_nLosses; }
    // Why the link counts as lost, for the message.
    const std::string& GetLostReason() const { return m_strReason; }
    // How long the last loss lasted (up to now while it lasts).
    double GetOutageSeconds(Clock::time_point now) const;

private:
    bool m_bLost = false;
    int m_nInARow = 0;
    int64_t m_nAnnounced = 0;
    int64_t m_nRefused = 0;
    int m_nLosses = 0;
    std::string m_strReason;
    Clock::time_point m_lostAt{};
    Clock::time_point m_backAt{};
};
