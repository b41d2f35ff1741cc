#pragma once
// The board's command set: one method per command, each encoding its
// arguments, running one exchange and decoding the reply into the records.
//
// Board and channel block (0x12 set, 0x13 get), big-endian:
//    0 2 ignitor            10 2 ch1 gate index      18 4 ch1 channel zero
//    2 2 PMT volts          12 2 ch2 gate index      22 4 ch2 channel zero
//    4 2 trigger level      14 2 ch1 interpolation   26 2 ch1 scalar channel
//    6 4 ADC trigger level  16 2 ch2 interpolation   28 2 ch2 scalar channel
//
// Gate block (0x10 set, 0x11 get), gates 0..4 in each group:
//    0 5x2 type   10 5x2 type number   20 5x4 start A x10, start B x10
//   40 5x4 stop A x10, stop B x10   60 5x2 operator   70 5x4 alpha (float word)
//   90 5x2 square root
//
// Event block (0x20 set, 0x21 get): 0 2 n; then per event, 10 bytes: time x100
// (4), code (1), channel (1), value (4; x1000 for "Ignitor Current", x100 for
// "Record", else as is).
//
// Pulse block (reply to 0x40), 771 bytes: 0 4 index, 4 4 time (1/100 s),
// 8 250x3 samples, 758 3 ch1 offset, 761 3 ch2 offset, 764 4 T-delay (float
// word), 768 3 dark current.

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "HardwareBase.h"
#include "PulseData.h"
#include "TimedEvent.h"

#include <string>

class CHardware : public CHardwareBase {
public:
    static constexpr int kNormalTimeoutMs = 50;
    static constexpr int kSetTimeoutMs = 5000;
    static constexpr int kPulseBlockSize = 771;
    static constexpr int kSamplesPerPulse = 250;
    static constexpr int kGateBlockSize = 100;
    static constexpr int kBoardChannelBlockSize = 30;
    static constexpr int kEventSize = 10;
    // The most events one set-events payload can carry.
    static constexpr int kMaxEvents = (kMaxPayload - 2) / kEventSize;

    static CHardware* Instance();
    static void Cleanup();

    ~CHardware() override = default;

    // Opens the port of the INI settings (8 data bits, no parity, one stop
    // bit) with a 50 ms receive timeout. Returns 0 whether or not it opened.
    int Initialize() override;

    int GetStatusError(unsigned short& status);
    int GetFirmwareRevision(std::string& revision);
    int GetBoardRevision(std::string& revision);
    int GetOpMode(unsigned short& value);
    int GetCalTotal(unsigned short& value);
    int GetCH1Autozero(unsigned short& value);
    int GetCH2Autozero(unsigned short& value);
    int SetResetPMT();
    int SetEnableRemote();
    int ClearAllTimedEvent();
    int ResetToReady();
    int SetParametersToDefault();
    int SetParametersToEEPROM();

    int GetAllGates(CGateParameters& gates);
    int SetAllGates(const CGateParameters& gates);
    int GetBoardAndChannelParam(CBoardParameters& board, CChannelParameters& channels);
    int SetBoardAndChannelParam(const CBoardParameters& board, const CChannelParameters& channels);
    int GetChannelParamZero(CChannelParameters& channels, int channel);
    int SetChannelParamZero(const CChannelParameters& channels, int channel);
    int GetTimedEvent(CTimedEvent& events);
    // An empty table, or one of more than kMaxEvents events, is refused (0)
    // without an exchange.
    int SetTimedEvent(const CTimedEvent& events);
    // A reply that is not the standard 771-byte pulse block fails and leaves
    // the pulse as it was. The pulse log gets its line either way (a failed
    // exchange logs the pulse as it stands), and the frequency step runs.
    int GetPulseData(CPulseData& pulse);
    int DoDSPConnection();

    // The encodings, public so that tests and tools can check them.
    static CByteArray EncodeGates(const CGateParameters& gates);
    static void DecodeGates(const CByteArray& block, CGateParameters& gates);
    static CByteArray EncodeBoardAndChannel(const CBoardParameters& board,
                                            const CChannelParameters& channels);
    static void DecodeBoardAndChannel(const CByteArray& block, CBoardParameters& board,
                                      CChannelParameters& channels);
    static CByteArray EncodeEvents(const CTimedEvent& events);
    static void DecodeEvents(const CByteArray& block, CTimedEvent& events);
    static void DecodePulse(const CByteArray& block, CPulseData& pulse);

protected:
    CHardware() = default;

private:
    // receiveTimeoutMs 0: the port's receive timeout.
    int Exchange(KLYN_CMDS command, CByteArray& reply, const CByteArray& payload = {},
                 int receiveTimeoutMs = 0);
    int GetWord(KLYN_CMDS command, unsigned short& value);
    int GetText(KLYN_CMDS command, std::string& text);
    // A set command: the board may take up to five seconds to acknowledge.
    // The long timeout belongs to this exchange only; a status poll waiting
    // for the lock meanwhile keeps its own.
    int SetWithLongTimeout(KLYN_CMDS command, const CByteArray& payload);
    // Records why command was not sent (LinkFailure::Refused); returns 0.
    static int Refuse(KLYN_CMDS command, const std::string& why);
    static int RefuseChannel(KLYN_CMDS command, int channel);
    void WritePulseLog(const CPulseData& pulse);
    void UpdateFrequency(CPulseData& pulse);

    static CHardware* m_pInstance;
    long m_nLastPulseIndex = 0;
    long m_nLastPulseTime = 0;
    bool m_bPulseLogStarted = false;
};
