#pragma once
// The board's 16-bit status word: status bits in the high byte, error bits
// in the low byte.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class CHardwareStatus {
public:
    static constexpr uint16_t kNewPulse = 0x0100;
    static constexpr uint16_t kGCRunning = 0x0800;

    CHardwareStatus() = default;
    CHardwareStatus(const CHardwareStatus& other);
    CHardwareStatus& operator=(const CHardwareStatus& other);
    ~CHardwareStatus() { m_nStatus = 0; }

    // The poller writes the record and the user-interface thread reads it in
    // place: the word is atomic, and the texts are handed over as copies
    // under the record's own lock.
    void SetStatus(unsigned short status) { m_nStatus.store(status, std::memory_order_relaxed); }
    unsigned short GetStatus() const { return m_nStatus.load(std::memory_order_relaxed); }
    void SetHardError(const std::string& text);
    std::string GetHardError() const;
    std::string GetFirmwareRevision() const;
    void SetFirmwareRevision(const std::string& text);
    std::string GetBoardRevision() const;
    void SetBoardRevision(const std::string& text);

    bool IsGCRunning() const { return (GetStatus() & kGCRunning) != 0; }
    bool IsPulseWaiting() const { return (GetStatus() & kNewPulse) != 0; }
    std::string GetGCStatus() const { return IsGCRunning() ? "Running" : "Ready"; }
    // The low and the high byte as "0x%2x" (space-padded: 0x 5, 0xa4).
    std::string GetErrorText() const;
    std::string GetStatusText() const;

private:
    std::atomic<uint16_t> m_nStatus{0};
    mutable std::mutex m_textLock; // guards the three texts
    std::string m_strHardError;
    std::string m_strFirmwareRevision;
    std::string m_strBoardRevision;
};
