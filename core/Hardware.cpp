#include "Hardware.h"

#include "FilePaths.h"
#include "FloatConverter.h"
#include "LogRotation.h"
#include "Logs.h"
#include "QuillonIniConfig.h"
#include "TextFile.h"

#include <cmath>
#include <cstdio>
#include <mutex>
#include <sys/stat.h>

CHardware* CHardware::m_pInstance = nullptr;

namespace {

// Reads fields in order and stops for good at the first one that starts at
// or beyond the end of the block; one that starts inside but runs past the
// end reads as 0.
class CFieldReader {
public:
    explicit CFieldReader(const CByteArray& block) : m_block(block) {}
    bool Next(int size, unsigned long& value)
    {
        if (m_bStopped || m_nOffset >= static_cast<int>(m_block.size())) {
            m_bStopped = true;
            return false;
        }
        value = static_cast<uint32_t>(CCommonUtils::GetInt(m_block, m_nOffset, size));
        m_nOffset += size;
        return true;
    }
    void Seek(int offset) { m_nOffset = offset; }

private:
    const CByteArray& m_block;
    int m_nOffset = 0;
    bool m_bStopped = false;
};

std::string Format(const char* format, double value, long word, bool wordFirst)
{
    char text[128];
    if (wordFirst)
        std::snprintf(text, sizeof text, format, static_cast<int>(word), value);
    else
        std::snprintf(text, sizeof text, format, value, static_cast<int>(word));
    return text;
}

double EventScale(int code)
{
    return code == 3 ? 1000.0 : code == 2 ? 100.0 : 1.0;
}

} // namespace

namespace {
// The user-interface thread and the poller may both reach for the instance first.
std::mutex g_instanceLock;
} // namespace

CHardware* CHardware::Instance()
{
    std::lock_guard guard(g_instanceLock);
    if (!m_pInstance)
        m_pInstance = new CHardware();
    return m_pInstance;
}

void CHardware::Cleanup()
{
    std::lock_guard guard(g_instanceLock);
    delete m_pInstance;
    m_pInstance = nullptr;
}

int CHardware::Initialize()
{
    Open(CQuillonIniConfig::ComPort(), static_cast<unsigned>(CQuillonIniConfig::BaudRate()), 8, 0,
         0);
    SetReceiveTimeout(kNormalTimeoutMs);
    return 0;
}

int CHardware::Exchange(KLYN_CMDS command, CByteArray& reply, const CByteArray& payload,
                        int receiveTimeoutMs)
{
    KLYN_CMDS responseCommand = command;
    return SendReceive(command, payload.empty() ? nullptr : payload.data(),
                       static_cast<int>(payload.size()), responseCommand, reply, receiveTimeoutMs);
}

int CHardware::GetWord(KLYN_CMDS command, unsigned short& value)
{
    CByteArray reply;
    if (!Exchange(command, reply))
        return 0;
    if (reply.size() >= 2)
        value = static_cast<unsigned short>(reply[0] * 256 + reply[1]);
    return 1;
}

int CHardware::GetText(KLYN_CMDS command, std::string& text)
{
    CByteArray reply;
    if (!Exchange(command, reply))
        return 0;
    if (reply.size() >= 2)
        text = std::string{static_cast<char>(reply[0]), static_cast<char>(reply[1])};
    return 1;
}

int CHardware::SetWithLongTimeout(KLYN_CMDS command, const CByteArray& payload)
{
    CByteArray reply;
    return Exchange(command, reply, payload, kSetTimeoutMs);
}

int CHardware::GetStatusError(unsigned short& status)
{
    return GetWord(CMD_GET_STATUS_ERROR, status);
}
int CHardware::GetFirmwareRevision(std::string& revision)
{
    return GetText(CMD_GET_FIRMWARE_REVISION, revision);
}
int CHardware::GetBoardRevision(std::string& revision)
{
    return GetText(CMD_GET_BOARD_REVISION, revision);
}
int CHardware::GetOpMode(unsigned short& value)
{
    return GetWord(CMD_GET_OP_MODE, value);
}
int CHardware::GetCalTotal(unsigned short& value)
{
    return GetWord(CMD_GET_CAL_TOTAL, value);
}
int CHardware::GetCH1Autozero(unsigned short& value)
{
    return GetWord(CMD_GET_CH1_AUTOZERO, value);
}
int CHardware::GetCH2Autozero(unsigned short& value)
{
    return GetWord(CMD_GET_CH2_AUTOZERO, value);
}

int CHardware::SetResetPMT()
{
    CByteArray reply;
    return Exchange(CMD_RESET_PMT, reply);
}

int CHardware::SetEnableRemote()
{
    CByteArray reply;
    return Exchange(CMD_ENABLE_REMOTE, reply);
}

int CHardware::ClearAllTimedEvent()
{
    CByteArray reply;
    return Exchange(CMD_CLEAR_TIMED_EVENT, reply);
}

int CHardware::ResetToReady()
{
    CByteArray reply;
    return Exchange(CMD_RESET_TO_READY, reply);
}

int CHardware::SetParametersToDefault()
{
    CByteArray reply;
    return Exchange(CMD_SET_DEFAULTS, reply);
}

int CHardware::SetParametersToEEPROM()
{
    CByteArray reply;
    return Exchange(CMD_SAVE_TO_EEPROM, reply);
}

CByteArray CHardware::EncodeGates(const CGateParameters& gates)
{
    CByteArray block;
    block.reserve(kGateBlockSize);
    const auto add = [&](unsigned long value, int size) {
        CCommonUtils::AddBytesToStream(block, value, size);
    };
    // Times travel in tenths, truncated toward zero; only the low 16 bits fit.
    const auto tenths = [](double t) {
        return static_cast<unsigned long>(static_cast<long long>(t * 10.0)) & 0xFFFF;
    };
    for (int i = 0; i < 5; ++i)
        add(gates[i].GetType(), 2);
    for (int i = 0; i < 5; ++i)
        add(gates[i].GetTypeNum(), 2);
    for (int i = 0; i < 5; ++i) {
        add(tenths(gates[i].GetStartA()), 2);
        add(tenths(gates[i].GetStartB()), 2);
    }
    for (int i = 0; i < 5; ++i) {
        add(tenths(gates[i].GetStopA()), 2);
        add(tenths(gates[i].GetStopB()), 2);
    }
    for (int i = 0; i < 5; ++i)
        add(gates[i].GetOperator(), 2);
    for (int i = 0; i < 5; ++i) {
        const unsigned long word = FloatConverter::GetIEEEHex(gates[i].GetAlpha());
        CDebugLog::Add(Format("Float Conversion => %lf = %d", gates[i].GetAlpha(),
                              static_cast<long>(word), false));
        add(word, 4);
    }
    for (int i = 0; i < 5; ++i)
        add(gates[i].GetSqroot(), 2);
    return block;
}

void CHardware::DecodeGates(const CByteArray& block, CGateParameters& gates)
{
    CFieldReader r(block);
    unsigned long v = 0;
    for (int i = 0; i < 5; ++i)
        if (r.Next(2, v))
            gates[i].SetType(static_cast<unsigned short>(v));
    for (int i = 0; i < 5; ++i)
        if (r.Next(2, v))
            gates[i].SetTypeNum(static_cast<unsigned short>(v));
    for (int i = 0; i < 5; ++i) {
        if (r.Next(2, v))
            gates[i].SetStartA(static_cast<double>(v & 0xFFFF) / 10.0);
        if (r.Next(2, v))
            gates[i].SetStartB(static_cast<double>(v & 0xFFFF) / 10.0);
    }
    for (int i = 0; i < 5; ++i) {
        if (r.Next(2, v))
            gates[i].SetStopA(static_cast<double>(v & 0xFFFF) / 10.0);
        if (r.Next(2, v))
            gates[i].SetStopB(static_cast<double>(v & 0xFFFF) / 10.0);
    }
    for (int i = 0; i < 5; ++i)
        if (r.Next(2, v))
            gates[i].SetOperator(static_cast<unsigned short>(v));
    for (int i = 0; i < 5; ++i)
        if (r.Next(4, v)) {
            const double alpha = FloatConverter::GetIEEEDouble(v);
            CDebugLog::Add(
                Format("Float Conversion => %d = %lf", alpha, static_cast<long>(v), true));
            gates[i].SetAlpha(alpha);
        }
    for (int i = 0; i < 5; ++i)
        if (r.Next(2, v))
            gates[i].SetSqroot(static_cast<unsigned short>(v));
}

CByteArray CHardware::EncodeBoardAndChannel(const CBoardParameters& board,
                                            const CChannelParameters& channels)
{
    CByteArray block;
    block.reserve(kBoardChannelBlockSize);
    const auto add = [&](unsigned long value, int size) {
        CCommonUtils::AddBytesToStream(block, value, size);
    };
    add(board.GetIgnitor(), 2);
    add(board.GetPmtVolts(), 2);
    add(board.GetTriggerLevel(), 2);
    add(board.GetAdcTriggerLevel(), 4);
    for (int c = 0; c < 2; ++c)
        add(static_cast<unsigned long>(channels[c].GetGateIndex()), 2);
    for (int c = 0; c < 2; ++c)
        add(static_cast<unsigned long>(channels[c].GetInterpolation()), 2);
    for (int c = 0; c < 2; ++c)
        add(static_cast<uint32_t>(channels[c].GetChannelZero()), 4);
    for (int c = 0; c < 2; ++c)
        add(static_cast<unsigned long>(channels[c].GetScalarChannel()), 2);
    return block;
}

void CHardware::DecodeBoardAndChannel(const CByteArray& block, CBoardParameters& board,
                                      CChannelParameters& channels)
{
    CFieldReader r(block);
    unsigned long v = 0;
    // The ignitor is always taken, even from an empty block.
    board.SetIgnitor(static_cast<unsigned short>(CCommonUtils::GetInt(block, 0, 2)));
    r.Seek(2);
    if (r.Next(2, v))
        board.SetpmtVolts(static_cast<unsigned short>(v));
    if (r.Next(2, v))
        board.SetTriggerLevel(static_cast<unsigned short>(v));
    if (r.Next(4, v))
        board.SetAdcTriggerLevel(static_cast<unsigned int>(v));
    for (int c = 0; c < 2; ++c)
        if (r.Next(2, v))
            channels[c].SetGateIndex(static_cast<int>(v));
    for (int c = 0; c < 2; ++c)
        if (r.Next(2, v))
            channels[c].SetInterpolation(static_cast<int>(v));
    for (int c = 0; c < 2; ++c)
        if (r.Next(4, v))
            channels[c].SetChannelZero(static_cast<int>(static_cast<uint32_t>(v)));
    for (int c = 0; c < 2; ++c)
        if (r.Next(2, v))
            channels[c].SetScalarChannel(static_cast<int>(v));
}

CByteArray CHardware::EncodeEvents(const CTimedEvent& events)
{
    CByteArray block;
    block.reserve(2 + static_cast<size_t>(kEventSize * events.GetCount()));
    CCommonUtils::AddBytesToStream(block, static_cast<unsigned long>(events.GetCount()), 2);
    for (int i = 0; i < events.GetCount(); ++i) {
        const CTimedEventData& e = events[i];
        const int code = static_cast<int>(e.GetEventCode());
        const auto time = static_cast<int64_t>(e.GetEventTime() * 100.0);
        const auto value = static_cast<int64_t>(e.GetEventValue() * EventScale(code));
        CCommonUtils::AddBytesToStream(block, static_cast<uint32_t>(time), 4);
        CCommonUtils::AddBytesToStream(block, static_cast<unsigned long>(code), 1);
        CCommonUtils::AddBytesToStream(block, e.GetEventChannel(), 1);
        CCommonUtils::AddBytesToStream(block, static_cast<uint32_t>(value), 4);
    }
    return block;
}

void CHardware::DecodeEvents(const CByteArray& block, CTimedEvent& events)
{
    const int count = CCommonUtils::GetInt(block, 0, 2);
    events.CleanUp();
    CFieldReader r(block);
    r.Seek(2);
    unsigned long time = 0, code = 0, channel = 0, value = 0;
    for (int i = 0; i < count; ++i) {
        if (!r.Next(4, time) || !r.Next(1, code) || !r.Next(1, channel) || !r.Next(4, value))
            break;
        CTimedEventData event;
        event.SetEventTime(static_cast<double>(time) / 100.0);
        event.SetEventCode(static_cast<EventCode>(code));
        event.SetEventChannel(static_cast<unsigned char>(channel));
        event.SetEventValue(static_cast<double>(value) / EventScale(static_cast<int>(code)));
        events.AddTimedEvent(event);
    }
}

void CHardware::DecodePulse(const CByteArray& block, CPulseData& pulse)
{
    pulse.CleanupBuffer();
    const int size = static_cast<int>(block.size());
    const int groups = (size - 8) / 3;
    if (groups <= 0)
        return;
    const int samples = groups < kSamplesPerPulse ? groups : kSamplesPerPulse;
    pulse.SetBufferSize(samples);
    const long index = CCommonUtils::GetInt(block, 0, 4);
    const long time = CCommonUtils::GetInt(block, 4, 4);
    for (int i = 0; i < samples; ++i)
        pulse.SetData(i, CCommonUtils::GetInt(block, 8 + 3 * i, 3));
    const int trailer = 8 + 3 * samples;
    const auto ch1 = static_cast<unsigned int>(CCommonUtils::GetInt(block, trailer, 3));
    const auto ch2 = static_cast<unsigned int>(CCommonUtils::GetInt(block, trailer + 3, 3));
    const auto word = static_cast<uint32_t>(CCommonUtils::GetInt(block, trailer + 6, 4));
    const auto dark = static_cast<unsigned int>(CCommonUtils::GetInt(block, trailer + 10, 3));
    const double delay = FloatConverter::GetIEEEDouble(word);
    CDebugLog::Add(
        Format("Float Conversion for T_Delay:: %d = %lf", delay, static_cast<long>(word), true));
    pulse.SetPulseIndex(index);
    pulse.SetPulseTime(time);
    pulse.SetCh1Offset(ch1);
    pulse.SetCh2Offset(ch2);
    pulse.SetTDelay(delay);
    pulse.SetDarkCurrent(dark);
}

int CHardware::GetAllGates(CGateParameters& gates)
{
    CByteArray reply;
    if (!Exchange(CMD_GET_ALL_GATES, reply))
        return 0;
    DecodeGates(reply, gates);
    return 1;
}

int CHardware::SetAllGates(const CGateParameters& gates)
{
    return SetWithLongTimeout(CMD_SET_ALL_GATES, EncodeGates(gates));
}

int CHardware::GetBoardAndChannelParam(CBoardParameters& board, CChannelParameters& channels)
{
    CByteArray reply;
    if (!Exchange(CMD_GET_BOARD_CHANNEL_PARAM, reply))
        return 0;
    DecodeBoardAndChannel(reply, board, channels);
    return 1;
}

int CHardware::SetBoardAndChannelParam(const CBoardParameters& board,
                                       const CChannelParameters& channels)
{
    return SetWithLongTimeout(CMD_SET_BOARD_CHANNEL_PARAM, EncodeBoardAndChannel(board, channels));
}

int CHardware::Refuse(KLYN_CMDS command, const std::string& why)
{
    SetLastFault(CExchangeFault(LinkFailure::Refused, command,
                                "command " + CExchangeFault::CommandText(command) +
                                    " was not sent: " + why));
    return 0;
}

int CHardware::RefuseChannel(KLYN_CMDS command, int channel)
{
    return Refuse(command,
                  "channel " + std::to_string(channel) + " (the board has channels 1 and 2)");
}

int CHardware::GetChannelParamZero(CChannelParameters& channels, int channel)
{
    if (channel != 1 && channel != 2)
        return RefuseChannel(CMD_GET_CH1_AUTOZERO, channel);
    CByteArray reply;
    if (!Exchange(channel == 1 ? CMD_GET_CH1_AUTOZERO : CMD_GET_CH2_AUTOZERO, reply))
        return 0;
    channels[channel - 1].SetChannelZero(CCommonUtils::GetInt(reply, 0, 4));
    return 1;
}

int CHardware::SetChannelParamZero(const CChannelParameters& channels, int channel)
{
    if (channel != 1 && channel != 2)
        return RefuseChannel(CMD_SET_CH1_ZERO, channel);
    CByteArray payload;
    CCommonUtils::AddBytesToStream(
        payload, static_cast<uint32_t>(channels[channel - 1].GetChannelZero()), 4);
    return SetWithLongTimeout(channel == 1 ? CMD_SET_CH1_ZERO : CMD_SET_CH2_ZERO, payload);
}

int CHardware::GetTimedEvent(CTimedEvent& events)
{
    CByteArray reply;
    if (!Exchange(CMD_GET_TIMED_EVENT, reply))
        return 0;
    DecodeEvents(reply, events);
    return 1;
}

int CHardware::SetTimedEvent(const CTimedEvent& events)
{
    if (events.GetCount() == 0)
        return Refuse(CMD_SET_TIMED_EVENT, "an empty event table (the board's events are "
                                           "cleared instead)");
    if (events.GetCount() > kMaxEvents) {
        const std::string count = std::to_string(events.GetCount()) + " events";
        CDebugLog::Add("SetTimedEvent: " + count + " refused (at most " +
                       std::to_string(kMaxEvents) + ")");
        return Refuse(CMD_SET_TIMED_EVENT,
                      count + ", at most " + std::to_string(kMaxEvents) + " fit one request");
    }
    return SetWithLongTimeout(CMD_SET_TIMED_EVENT, EncodeEvents(events));
}

int CHardware::GetPulseData(CPulseData& pulse)
{
    CByteArray reply;
    int result = Exchange(CMD_GET_PULSE_DATA, reply);
    if (result && static_cast<int>(reply.size()) != kPulseBlockSize) {
        // A shorter block would turn trailer bytes into samples: the board
        // always sends 250 samples, so anything else is a damaged reply.
        const std::string sizes =
            std::to_string(reply.size()) + " bytes, expected " + std::to_string(kPulseBlockSize);
        CDebugLog::Add("ERROR: Pulse block of " + sizes);
        SetLastFault(CExchangeFault(LinkFailure::WrongReply, CMD_GET_PULSE_DATA,
                                    "the reply to command 0x40 was malformed (pulse block of " +
                                        sizes + ")"));
        result = 0;
    }
    if (result)
        DecodePulse(reply, pulse);
    // Service engineers read the failures from the pulse log too.
    WritePulseLog(pulse);
    UpdateFrequency(pulse);
    return result;
}

void CHardware::WritePulseLog(const CPulseData& pulse)
{
    if (CQuillonIniConfig::EnablePulseLog() != 1)
        return;
    std::string entry;
    entry.reserve(16 + 12 * static_cast<size_t>(pulse.GetDataCount()));
    char line[64];
    std::snprintf(line, sizeof line, "%d, %d, %d", static_cast<int>(pulse.GetPulseIndex()),
                  static_cast<int>(pulse.GetPulseTime()), pulse.GetDataCount());
    entry += line;
    for (int i = 0; i < pulse.GetDataCount(); ++i) {
        std::snprintf(line, sizeof line, "\n,,,%d", pulse.GetData(i));
        entry += line;
    }
    const std::string path = CFilePaths::GetLogPath() + "/PulseSignals.csv";
    if (m_bPulseLogStarted) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            CLogRotation::FromSettings().RotateIfFull(path, static_cast<uint64_t>(st.st_size),
                                                      entry.size() + 1);
    }
    // The first entry of the process starts the file anew; later ones append.
    CTextFile log(path, m_bPulseLogStarted ? CTextFile::kAppend : CTextFile::kCreate);
    m_bPulseLogStarted = true;
    log.AddLine(entry);
}

void CHardware::UpdateFrequency(CPulseData& pulse)
{
    const long deltaIndex = pulse.GetPulseIndex() - m_nLastPulseIndex;
    const long deltaTime = pulse.GetPulseTime() - m_nLastPulseTime;
    if (deltaTime != 0) {
        const double frequency =
            static_cast<double>(deltaIndex) / static_cast<double>(deltaTime) * 100.0;
        pulse.SetFrequencyPulse(frequency);
        char text[80];
        std::snprintf(text, sizeof text, "Calculated Frequency_Pulse = %lf", frequency);
        CDebugLog::Add(text);
    }
    m_nLastPulseIndex = pulse.GetPulseIndex();
    m_nLastPulseTime = pulse.GetPulseTime();
}

int CHardware::DoDSPConnection()
{
    Open(1, 0, 8, 0, 0);
    SetReceiveTimeout(500);
    return 0;
}
