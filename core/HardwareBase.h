#pragma once
// Request/response exchanges with the board over the serial port.
//
// Packet, the same in both directions (multi-byte fields big-endian):
//   offset  size   content
//        0     1   0x02, start byte
//        1     2   total length L, start byte to LF (payload + 8)
//        3     1   command code; a reply carries the request's code
//        4   L-8   payload (may be empty; at most 1016 bytes)
//      L-4     2   CRC-16/XMODEM of bytes 0..L-5, high byte first
//      L-2     2   0x0D 0x0A
//
// Replies are checked in a fixed order (complete, size, CRC, start byte,
// command code), and every failure leaves one debug-log line naming what
// failed. One recursive lock serialises whole exchanges, so the status
// poller and the user-interface thread share the port; the receive timeout
// of an exchange travels with it, under that lock.

#include "CommonUtils.h"
#include "ExchangeFault.h"
#include "LinkStatus.h"
#include "ReplyAssembler.h"
#include "SerialPort.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

enum KLYN_CMDS : uint8_t {
    CMD_GET_STATUS_ERROR = 0x01,
    CMD_GET_FIRMWARE_REVISION = 0x02,
    CMD_GET_BOARD_REVISION = 0x03,
    CMD_GET_OP_MODE = 0x04,
    CMD_GET_CAL_TOTAL = 0x05,
    CMD_GET_CH1_AUTOZERO = 0x06,
    CMD_GET_CH2_AUTOZERO = 0x07,
    CMD_RESET_PMT = 0x09,
    CMD_ENABLE_REMOTE = 0x0A,
    CMD_SET_ALL_GATES = 0x10,
    CMD_GET_ALL_GATES = 0x11,
    CMD_SET_BOARD_CHANNEL_PARAM = 0x12,
    CMD_GET_BOARD_CHANNEL_PARAM = 0x13,
    CMD_SET_CH1_ZERO = 0x14,
    CMD_SET_CH2_ZERO = 0x15,
    CMD_SET_TIMED_EVENT = 0x20,
    CMD_GET_TIMED_EVENT = 0x21,
    CMD_CLEAR_TIMED_EVENT = 0x22,
    CMD_RESET_TO_READY = 0x30,
    CMD_SET_DEFAULTS = 0x31,
    CMD_GET_PULSE_DATA = 0x40,
    CMD_SAVE_TO_EEPROM = 0x60,
};

class CHardwareBase : public CSerialPort {
public:
    static constexpr int kBufferSize = 1024;
    static constexpr int kFrameSize = 8;
    static constexpr int kMaxPayload = kBufferSize - kFrameSize;
    static constexpr int kReceiveWindowMs = 500;
    // A port that was lost is reopened, and a port whose board does not
    // answer is resolved again, at most this often.
    static constexpr std::chrono::milliseconds kReopenInterval{1000};
    // The rest of a damaged reply has been read once the line stays this quiet after it.
    static constexpr int kQuietLineMs = 20;

    CHardwareBase() = default;
    ~CHardwareBase() override = default;

    // Both take the hardware lock and record the outcome in the link status;
    // a failed open leaves one log line naming the port and the reason.
    int Open(int port, unsigned int baud, unsigned char byteSize, unsigned char parity,
             unsigned char stopBits) override;
    void Close() override;
    // IsPortOpen under the hardware lock, for callers on another thread than the poller.
    bool IsLinkOpen();

    // One exchange: 1 with the reply's payload in response, else 0 and
    // response untouched. payload may be null when size is 0. The reply may
    // take receiveTimeoutMs to begin (0: the port's receive timeout); the
    // receive window is then that long, at least kReceiveWindowMs.
    //
    // Before the request goes out whatever waits in the input is discarded.
    // A well-formed reply under another command code (one that came late for
    // an earlier request) is logged, thrown away and the window goes on; after
    // a damaged reply the rest of it is read and thrown away, so that one
    // fault costs only its own exchange. Every failure leaves a log line.
    int SendReceive(KLYN_CMDS command, const unsigned char* payload, int size,
                    KLYN_CMDS& responseCommand, CByteArray& response, int receiveTimeoutMs = 0);

    // A copy of the link's state, safe from any thread and never waiting for an exchange.
    CLinkStatus GetLinkStatus() const;
    // Why the calling thread's last exchange failed (kind None when it
    // succeeded), whichever CHardwareBase ran it. Commands refused before any
    // exchange (CHardware's checks) record their reason here too.
    static CExchangeFault GetLastFault();
    // Sets the calling thread's record: a command settled without an exchange
    // (refused records) or judged after one (a reply of the wrong size), or a
    // fresh start (no fault) before a call whose outcome is to be read.
    static void SetLastFault(const CExchangeFault& fault);

    // The packet for command and payload (also used by tests and the simulator's checks).
    static CByteArray BuildPacket(uint8_t command, const unsigned char* payload, int size);
    // "prefix :: <hex>"; a CR or LF among the last two bytes shows as CR or LF.
    static std::string DumpText(const std::string& prefix, const uint8_t* bytes, size_t size);

protected:
    void LockHardware() { m_lock.lock(); }
    void UnlockHardware() { m_lock.unlock(); }

private:
    using Clock = std::chrono::steady_clock;

    int SendCommand(KLYN_CMDS command, const unsigned char* payload, int size);
    // Reads one packet into the assembler before the deadline. The "Read"
    // dump and any fault line are written here.
    CReplyAssembler::Progress ReceivePacket(CReplyAssembler& packet, Clock::time_point deadline,
                                            int attemptTimeoutMs);
    int ReceiveResponse(int receiveTimeoutMs);
    void SetFault(LinkFailure kind, const std::string& text);
    // Reads and throws away the rest of a damaged reply.
    void DrainReply(const CReplyAssembler& packet, Clock::time_point deadline);
    // Reopens a lost port, or follows the port to another device while the
    // board does not answer, at most once per kReopenInterval.
    void MaintainPort();
    void RecordOutcome(bool answered);
    void RecordOpen(bool opened);
    int WriteToDebugToFile(const std::string& text);
    void DumpPacket(const std::string& prefix, const CByteArray& bytes);
    void DumpPacket(const std::string& prefix, const uint8_t* bytes, size_t size);

    uint8_t m_sendBuffer[kBufferSize] = {};
    CByteArray m_response;
    int m_nExpectedLength = 0;
    int m_nLastCommand = 0;
    std::recursive_mutex m_lock;
    Clock::time_point m_lastMaintenance{};
    int m_nFailedInRow = 0;
    bool m_bLostLogged = false;
    std::string m_strReopenError; // the reason last logged for a failed reopen
    CExchangeFault m_fault;       // the exchange under way; guarded by m_lock

    mutable std::mutex m_statusLock;
    CLinkStatus m_linkStatus; // guarded by m_statusLock
};
