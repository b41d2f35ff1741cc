#pragma once
// Follows the link to the instrument through the status poller's cycles, to
// tell the user when it is lost and when it returns, and counts the pulse
// requests that brought no pulse (refused replies: damaged, garbled or
// missing), which the recording's summary gives as a reason for missing
// pulses.
//
// The link says itself what it is doing (CLinkStatus): not present (the
// port has closed: an adapter unplugged, the far end gone), held by another
// program, or open with a board that has not answered since a moment. It
// counts as lost when it is not present or held elsewhere, when the board
// has not answered for kSilence (a board gone quiet on an open port), or
// when kRefusalsInARow pulse requests in a row failed while the status
// still answered. It is back once the board answers again and a cycle ends
// without a failed pulse request.

#include "LinkStatus.h"

#include <chrono>
#include <cstdint>
#include <string>

class CLinkWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRefusalsInARow = 5;
    // One missed reply is a fault of its own; a board quiet this long is gone.
    static constexpr std::chrono::milliseconds kSilence{1500};

    enum Change { kNoChange, kLost, kBack };

    // One poll cycle: the link's state at its end, did the status word
    // announce a pulse, was a pulse fetched.
    Change Cycle(const CLinkStatus& link, bool announced, bool fetched, Clock::time_point now);

    bool IsLost() const { return m_bLost; }
    int64_t GetAnnounced() const { return m_nAnnounced; }
    int64_t GetRefused() const { return m_nRefused; }
    int GetLosses() const { return m_nLosses; }
    // Why the link counts as lost, for the message.
    const std::string& GetLostReason() const { return m_strReason; }
    // How long the last loss lasted (up to now while it lasts).
    double GetOutageSeconds(Clock::time_point now) const;

    // "the board has not answered since 14:02:11"
    static std::string SilenceText(const CLinkStatus& link);

private:
    // Why the link is lost now; empty while it is not.
    std::string LostReason(const CLinkStatus& link, Clock::time_point now) const;

    bool m_bLost = false;
    int m_nInARow = 0;
    int64_t m_nAnnounced = 0;
    int64_t m_nRefused = 0;
    int m_nLosses = 0;
    bool m_bSilent = false;
    Clock::time_point m_silentSince{};
    std::string m_strReason;
    Clock::time_point m_lostAt{};
    Clock::time_point m_backAt{};
};
