#include "BoardState.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

constexpr char kEepromMagic[8] = {'T', 'V', 'E', 'E', 'P', 'R', 'O', 'M'};

CByteArray TwoBytes(uint16_t value)
{
    return {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

CByteArray Text(const std::string& text)
{
    return CByteArray(text.begin(), text.end());
}

void AppendBlock(CByteArray& out, const CByteArray& block)
{
    CCommonUtils::AddBytesToStream(out, block.size(), 2);
    out.insert(out.end(), block.begin(), block.end());
}

bool TakeBlock(const CByteArray& in, size_t& at, CByteArray& block)
{
    if (in.size() - at < 2)
        return false;
    const size_t size = CBoardBlocks::Field(in, at, 2);
    at += 2;
    if (in.size() - at < size)
        return false;
    block.assign(in.begin() + static_cast<std::ptrdiff_t>(at),
                 in.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
    return true;
}

} // namespace

CBoardParameters CSimParameterSet::Board() const
{
    CBoardParameters board;
    CChannelParameters channels;
    CBoardBlocks::DecodeBoardChannel(boardChannel, board, channels);
    return board;
}

CChannelParameters CSimParameterSet::Channels() const
{
    CBoardParameters board;
    CChannelParameters channels;
    CBoardBlocks::DecodeBoardChannel(boardChannel, board, channels);
    return channels;
}

int32_t CSimParameterSet::ChannelZero(int channel) const
{
    if (channel != 1 && channel != 2)
        return 0;
    return static_cast<int32_t>(
        CBoardBlocks::Field(boardChannel, CBoardBlocks::kChannelZeroOffset[channel - 1], 4));
}

CSimParameterSet CSimParameterSet::Defaults()
{
    // Windows that suit the simulated pulse: fast light early, medium light in the middle,
    // slow light late, each less the tail of the pulse as background.
    struct GateDefault {
        GateMode mode;
        double startA, stopA;
    };
    constexpr GateDefault kGates[CGateParameters::kGates] = {{GM_C, 0.6, 1.5},
                                                             {GM_P, 2.0, 6.0},
                                                             {GM_S, 8.0, 20.0},
                                                             {GM_N, 0.6, 4.0},
                                                             {GM_UD, 0.0, 24.9}};
    CGateParameters gates;
    for (int g = 0; g < CGateParameters::kGates; ++g) {
        CGateParameter& gate = gates[g];
        gate.SetType(static_cast<unsigned short>(kGates[g].mode));
        gate.SetStartA(kGates[g].startA);
        gate.SetStopA(kGates[g].stopA);
        gate.SetStartB(23.0);
        gate.SetStopB(24.9);
        gate.SetOperator(GO_MINUS);
        gate.SetAlpha(g == 4 ? 0.0 : 1.0);
        gate.SetSqroot(SQRT_OFF);
    }
    CBoardParameters board;
    board.SetIgnitor(3000);
    board.SetpmtVolts(650);
    board.SetTriggerLevel(200);
    board.SetAdcTriggerLevel(1000);
    CChannelParameters channels;
    channels[0].SetGateIndex(0);
    channels[1].SetGateIndex(2);
    channels[0].SetScalarChannel(1);
    channels[1].SetScalarChannel(2);

    CSimParameterSet set;
    set.gates = CBoardBlocks::EncodeGates(gates);
    set.boardChannel = CBoardBlocks::EncodeBoardChannel(board, channels);
    set.events = CBoardBlocks::EncodeEvents(CTimedEvent());
    return set;
}

CBoardState::CBoardState(const CSimOptions& options)
    : m_firmwareRevision(options.firmwareRevision), m_boardRevision(options.boardRevision),
      m_eepromPath(options.eepromPath), m_current(CSimParameterSet::Defaults()), m_eeprom(m_current)
{
    m_pulseBlock = CBoardBlocks::EncodePulse(m_pulse);
}

CByteArray CBoardState::Handle(uint8_t command, const CByteArray& payload, CEffects& effects)
{
    CByteArray reply = Answer(command, payload, effects);
    const auto found = m_overrides.find(command);
    return found != m_overrides.end() ? found->second : reply;
}

CByteArray CBoardState::Answer(uint8_t command, const CByteArray& payload, CEffects& effects)
{
    switch (command) {
    case SIM_GET_STATUS_ERROR:
        return TwoBytes(GetStatus());
    case SIM_GET_FIRMWARE_REVISION:
        return Text(m_firmwareRevision);
    case SIM_GET_BOARD_REVISION:
        return Text(m_boardRevision);
    case SIM_GET_OP_MODE:
        return TwoBytes(m_opMode);
    case SIM_GET_CAL_TOTAL:
        return TwoBytes(m_calTotal);
    case SIM_GET_CH1_AUTOZERO:
    case SIM_GET_CH2_AUTOZERO: {
        CByteArray zero;
        const int channel = command == SIM_GET_CH1_AUTOZERO ? 1 : 2;
        CCommonUtils::AddBytesToStream(zero, static_cast<uint32_t>(m_current.ChannelZero(channel)),
                                       4);
        return zero;
    }
    case SIM_RESET_PMT:
        ++m_pmtResets;
        return {};
    case SIM_ENABLE_REMOTE:
        m_remoteEnabled = true;
        return {};
    case SIM_SET_ALL_GATES:
        if (payload.size() == CBoardBlocks::kGateBlockSize)
            m_current.gates = payload;
        else
            effects.badPayload = true;
        return {};
    case SIM_GET_ALL_GATES:
        return m_current.gates;
    case SIM_SET_BOARD_CHANNEL_PARAM:
        if (payload.size() == CBoardBlocks::kBoardChannelBlockSize)
            m_current.boardChannel = payload;
        else
            effects.badPayload = true;
        return {};
    case SIM_GET_BOARD_CHANNEL_PARAM:
        return m_current.boardChannel;
    case SIM_SET_CH1_ZERO:
    case SIM_SET_CH2_ZERO: {
        const size_t at = CBoardBlocks::kChannelZeroOffset[command == SIM_SET_CH1_ZERO ? 0 : 1];
        if (payload.size() == 4)
            CBoardBlocks::PutField(m_current.boardChannel, at, 4,
                                   CBoardBlocks::Field(payload, 0, 4));
        else
            effects.badPayload = true;
        return {};
    }
    case SIM_SET_TIMED_EVENT:
        if (CBoardBlocks::IsWholeEventBlock(payload))
            m_current.events = payload;
        else
            effects.badPayload = true;
        return {};
    case SIM_GET_TIMED_EVENT:
        return m_current.events;
    case SIM_CLEAR_TIMED_EVENT:
        m_current.events = CBoardBlocks::EncodeEvents(CTimedEvent());
        return {};
    case SIM_RESET_TO_READY:
        SetRunning(false);
        effects.runEnded = true;
        return {};
    case SIM_SET_DEFAULTS:
        m_current = CSimParameterSet::Defaults();
        return {};
    case SIM_GET_PULSE_DATA:
        ClearStatusBits(kNewPulse);
        effects.pulseFetched = true;
        return m_pulseBlock;
    case SIM_SAVE_TO_EEPROM:
        m_eeprom = m_current;
        ++m_eepromSaves;
        SaveEeprom(effects.eepromError);
        return {};
    default:
        effects.unknownCommand = true;
        return {};
    }
}

void CBoardState::SetRunning(bool running)
{
    if (running)
        SetStatusBits(kGCRunning);
    else
        ClearStatusBits(kGCRunning);
}

void CBoardState::SetPulse(const CSimPulse& pulse)
{
    m_pulse = pulse;
    m_pulseBlock = CBoardBlocks::EncodePulse(pulse);
    SetStatusBits(kNewPulse);
}

void CBoardState::SetRevisions(const std::string& firmware, const std::string& board)
{
    m_firmwareRevision = firmware;
    m_boardRevision = board;
}

void CBoardState::SetReplyOverride(uint8_t command, std::optional<CByteArray> payload)
{
    if (payload)
        m_overrides[command] = std::move(*payload);
    else
        m_overrides.erase(command);
}

CSimBoardSnapshot CBoardState::Snapshot() const
{
    CSimBoardSnapshot snapshot;
    snapshot.status = GetStatus();
    snapshot.firmwareRevision = m_firmwareRevision;
    snapshot.boardRevision = m_boardRevision;
    snapshot.opMode = m_opMode;
    snapshot.calTotal = m_calTotal;
    snapshot.remoteEnabled = m_remoteEnabled;
    snapshot.pmtResets = m_pmtResets;
    snapshot.eepromSaves = m_eepromSaves;
    snapshot.current = m_current;
    snapshot.eeprom = m_eeprom;
    snapshot.lastPulse = m_pulse;
    return snapshot;
}

// EEPROM file: "TVEEPROM", then the gate, board and channel, and event blocks, each with a
// 2-byte big-endian length in front.
int CBoardState::SaveEeprom(std::string& error) const
{
    if (m_eepromPath.empty())
        return 1;
    CByteArray image(std::begin(kEepromMagic), std::end(kEepromMagic));
    AppendBlock(image, m_eeprom.gates);
    AppendBlock(image, m_eeprom.boardChannel);
    AppendBlock(image, m_eeprom.events);
    // Written beside and renamed, so a crash never leaves half an EEPROM behind.
    const std::string temp = m_eepromPath + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
        if (!out.flush()) {
            error = "cannot write " + temp;
            return 0;
        }
    }
    if (std::rename(temp.c_str(), m_eepromPath.c_str()) != 0) {
        error = "cannot rename " + temp + " to " + m_eepromPath;
        std::remove(temp.c_str());
        return 0;
    }
    return 1;
}

int CBoardState::LoadEeprom(std::string& error)
{
    if (m_eepromPath.empty())
        return 1;
    std::ifstream in(m_eepromPath, std::ios::binary);
    if (!in)
        return 1; // a board that never saved starts from its defaults
    const CByteArray image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CSimParameterSet set;
    size_t at = sizeof(kEepromMagic);
    const bool ok = image.size() >= at &&
                    std::equal(std::begin(kEepromMagic), std::end(kEepromMagic), image.begin()) &&
                    TakeBlock(image, at, set.gates) && TakeBlock(image, at, set.boardChannel) &&
                    TakeBlock(image, at, set.events) && at == image.size();
    if (!ok) {
        error = m_eepromPath + " is not an EEPROM image; starting from the defaults";
        return 0;
    }
    m_eeprom = set;
    m_current = set;
    return 1;
}
