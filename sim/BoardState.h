#pragma once
// The board's registers and its answer to every command: no threads and no clock. The
// simulator hands it each request and each pulse the run fires.
//
// Set commands store their block exactly as sent, so the matching get returns the same
// bytes. A set block of the wrong size is acknowledged (the protocol has no refusal) but not
// stored, and reported as a bad payload. The channel zeros live inside the board and channel
// block (offsets 18 and 22): 0x14/0x15 overwrite them there and 0x06/0x07 read them there.

#include "BoardBlocks.h"
#include "CommonUtils.h"
#include "SimOptions.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

enum SimCommand : uint8_t {
    SIM_GET_STATUS_ERROR = 0x01,
    SIM_GET_FIRMWARE_REVISION = 0x02,
    SIM_GET_BOARD_REVISION = 0x03,
    SIM_GET_OP_MODE = 0x04,
    SIM_GET_CAL_TOTAL = 0x05,
    SIM_GET_CH1_AUTOZERO = 0x06,
    SIM_GET_CH2_AUTOZERO = 0x07,
    SIM_RESET_PMT = 0x09,
    SIM_ENABLE_REMOTE = 0x0A,
    SIM_SET_ALL_GATES = 0x10,
    SIM_GET_ALL_GATES = 0x11,
    SIM_SET_BOARD_CHANNEL_PARAM = 0x12,
    SIM_GET_BOARD_CHANNEL_PARAM = 0x13,
    SIM_SET_CH1_ZERO = 0x14,
    SIM_SET_CH2_ZERO = 0x15,
    SIM_SET_TIMED_EVENT = 0x20,
    SIM_GET_TIMED_EVENT = 0x21,
    SIM_CLEAR_TIMED_EVENT = 0x22,
    SIM_RESET_TO_READY = 0x30,
    SIM_SET_DEFAULTS = 0x31,
    SIM_GET_PULSE_DATA = 0x40,
    SIM_SAVE_TO_EEPROM = 0x60,
};

// The set of parameters that 0x31 restores and 0x60 saves, as the board holds it.
struct CSimParameterSet {
    CByteArray gates;        // gate block
    CByteArray boardChannel; // board and channel block
    CByteArray events;       // event block

    CGateParameters Gates() const { return CBoardBlocks::DecodeGates(gates); }
    CBoardParameters Board() const;
    CChannelParameters Channels() const;
    CTimedEvent Events() const { return CBoardBlocks::DecodeEvents(events); }
    // channel 1 or 2; as the 4-byte field, a signed value
    int32_t ChannelZero(int channel) const;

    bool operator==(const CSimParameterSet& other) const = default;

    static CSimParameterSet Defaults();
};

// A copy of everything the board holds, for tests to assert on.
struct CSimBoardSnapshot {
    uint16_t status = 0;
    std::string firmwareRevision;
    std::string boardRevision;
    uint16_t opMode = 0;
    uint16_t calTotal = 0;
    bool remoteEnabled = false;
    int pmtResets = 0;
    int eepromSaves = 0;
    CSimParameterSet current;
    CSimParameterSet eeprom;
    CSimPulse lastPulse; // what 0x40 answers now
};

class CBoardState {
public:
    static constexpr uint16_t kNewPulse = 0x0100;
    static constexpr uint16_t kGCRunning = 0x0800;

    // What handling a request did besides answering, for the simulator's counters and run.
    struct CEffects {
        bool unknownCommand = false;
        bool badPayload = false;
        bool pulseFetched = false;
        bool runEnded = false;
        std::string eepromError; // the save went to memory but not to the EEPROM file
    };

    explicit CBoardState(const CSimOptions& options);

    // Loads the saved set from the EEPROM file when there is one; the current set starts
    // as the saved one, as on a board after power-up. 1, or 0 with error (defaults kept).
    int LoadEeprom(std::string& error);

    // The reply payload for a request (empty for an acknowledgement).
    CByteArray Handle(uint8_t command, const CByteArray& payload, CEffects& effects);

    uint16_t GetStatus() const { return static_cast<uint16_t>(m_status | m_stickyBits); }
    void SetStatusBits(uint16_t bits) { m_status |= bits; }
    void ClearStatusBits(uint16_t bits) { m_status &= static_cast<uint16_t>(~bits); }
    // Bits reported on every status request whatever the board does.
    void SetStickyBits(uint16_t bits) { m_stickyBits = bits; }
    void SetRunning(bool running);
    // The latest pulse replaces a waiting one; 0x0100 announces it.
    void SetPulse(const CSimPulse& pulse);
    void SetRevisions(const std::string& firmware, const std::string& board);
    void SetParameters(const CSimParameterSet& set) { m_current = set; }
    const CSimParameterSet& Parameters() const { return m_current; }
    CSimParameterSet& Parameters() { return m_current; }
    // A fixed reply payload for a command (std::nullopt: the board's own answer again).
    void SetReplyOverride(uint8_t command, std::optional<CByteArray> payload);

    CSimBoardSnapshot Snapshot() const;

private:
    CByteArray Answer(uint8_t command, const CByteArray& payload, CEffects& effects);
    int SaveEeprom(std::string& error) const;

    uint16_t m_status = 0;
    uint16_t m_stickyBits = 0;
    std::string m_firmwareRevision;
    std::string m_boardRevision;
    uint16_t m_opMode = 1;
    uint16_t m_calTotal = 0;
    bool m_remoteEnabled = false;
    int m_pmtResets = 0;
    int m_eepromSaves = 0;
    std::string m_eepromPath;
    CSimParameterSet m_current;
    CSimParameterSet m_eeprom;
    CSimPulse m_pulse; // zero until the first pulse fires
    CByteArray m_pulseBlock;
    std::map<uint8_t, CByteArray> m_overrides;
};
