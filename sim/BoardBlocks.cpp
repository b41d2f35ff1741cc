#include "BoardBlocks.h"

#include <bit>
#include <cmath>

namespace {

// Event values are scaled by code: ignitor current in thousandths, record in hundredths.
double EventScale(int code)
{
    if (code == EC_IGNITOR_CURRENT)
        return 1000.0;
    if (code == EC_RECORD)
        return 100.0;
    return 1.0;
}

uint32_t Truncated(double value)
{
    if (!std::isfinite(value))
        return 0;
    // Through int64 so that negative values keep their two's-complement pattern.
    const double clamped = std::fmax(std::fmin(std::trunc(value), 4294967295.0), -2147483648.0);
    return static_cast<uint32_t>(static_cast<int64_t>(clamped));
}

} // namespace

uint32_t CBoardBlocks::ToFloatWord(double value)
{
    return std::bit_cast<uint32_t>(static_cast<float>(value));
}

double CBoardBlocks::FromFloatWord(uint32_t word)
{
    return static_cast<double>(std::bit_cast<float>(word));
}

uint32_t CBoardBlocks::Field(const CByteArray& block, size_t offset, size_t count)
{
    if (count == 0 || count > 4 || offset > block.size() || block.size() - offset < count)
        return 0;
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = value << 8 | block[offset + i];
    return value;
}

void CBoardBlocks::PutField(CByteArray& block, size_t offset, size_t count, uint32_t value)
{
    if (count == 0 || count > 4 || offset > block.size() || block.size() - offset < count)
        return;
    for (size_t i = 0; i < count; ++i)
        block[offset + i] = static_cast<uint8_t>(value >> (8 * (count - 1 - i)));
}

CByteArray CBoardBlocks::EncodeGates(const CGateParameters& gates)
{
    CByteArray block;
    block.reserve(kGateBlockSize);
    const auto add = [&](uint32_t value, int count) {
        CCommonUtils::AddBytesToStream(block, value, count);
    };
    for (int g = 0; g < CGateParameters::kGates; ++g)
        add(gates[g].GetType(), 2);
    for (int g = 0; g < CGateParameters::kGates; ++g)
        add(gates[g].GetTypeNum(), 2);
    for (int g = 0; g < CGateParameters::kGates; ++g) {
        add(Truncated(gates[g].GetStartA() * 10), 2);
        add(Truncated(gates[g].GetStartB() * 10), 2);
    }
    for (int g = 0; g < CGateParameters::kGates; ++g) {
        add(Truncated(gates[g].GetStopA() * 10), 2);
        add(Truncated(gates[g].GetStopB() * 10), 2);
    }
    for (int g = 0; g < CGateParameters::kGates; ++g)
        add(gates[g].GetOperator(), 2);
    for (int g = 0; g < CGateParameters::kGates; ++g)
        add(ToFloatWord(gates[g].GetAlpha()), 4);
    for (int g = 0; g < CGateParameters::kGates; ++g)
        add(gates[g].GetSqroot(), 2);
    return block;
}

CGateParameters CBoardBlocks::DecodeGates(const CByteArray& block)
{
    CGateParameters gates;
    const auto u16 = [&](size_t at) { return static_cast<unsigned short>(Field(block, at, 2)); };
    for (int g = 0; g < CGateParameters::kGates; ++g) {
        const size_t i = static_cast<size_t>(g);
        CGateParameter& gate = gates[g];
        gate.SetType(u16(2 * i));
        gate.SetTypeNum(u16(10 + 2 * i));
        gate.SetStartA(u16(20 + 4 * i) / 10.0);
        gate.SetStartB(u16(22 + 4 * i) / 10.0);
        gate.SetStopA(u16(40 + 4 * i) / 10.0);
        gate.SetStopB(u16(42 + 4 * i) / 10.0);
        gate.SetOperator(u16(60 + 2 * i));
        gate.SetAlpha(FromFloatWord(Field(block, 70 + 4 * i, 4)));
        gate.SetSqroot(u16(90 + 2 * i));
    }
    return gates;
}

CByteArray CBoardBlocks::EncodeBoardChannel(const CBoardParameters& board,
                                            const CChannelParameters& channels)
{
    CByteArray block;
    block.reserve(kBoardChannelBlockSize);
    const auto add = [&](uint32_t value, int count) {
        CCommonUtils::AddBytesToStream(block, value, count);
    };
    add(board.GetIgnitor(), 2);
    add(board.GetPmtVolts(), 2);
    add(board.GetTriggerLevel(), 2);
    add(board.GetAdcTriggerLevel(), 4);
    for (int c = 0; c < 2; ++c)
        add(static_cast<uint32_t>(channels[c].GetGateIndex()), 2);
    for (int c = 0; c < 2; ++c)
        add(static_cast<uint32_t>(channels[c].GetInterpolation()), 2);
    for (int c = 0; c < 2; ++c)
        add(static_cast<uint32_t>(channels[c].GetChannelZero()), 4);
    for (int c = 0; c < 2; ++c)
        add(static_cast<uint32_t>(channels[c].GetScalarChannel()), 2);
    return block;
}

void CBoardBlocks::DecodeBoardChannel(const CByteArray& block, CBoardParameters& board,
                                      CChannelParameters& channels)
{
    board.SetIgnitor(static_cast<unsigned short>(Field(block, 0, 2)));
    board.SetpmtVolts(static_cast<unsigned short>(Field(block, 2, 2)));
    board.SetTriggerLevel(static_cast<unsigned short>(Field(block, 4, 2)));
    board.SetAdcTriggerLevel(Field(block, 6, 4));
    for (int c = 0; c < 2; ++c) {
        const size_t i = static_cast<size_t>(c);
        channels[c].SetGateIndex(static_cast<int>(Field(block, 10 + 2 * i, 2)));
        channels[c].SetInterpolation(static_cast<int>(Field(block, 14 + 2 * i, 2)));
        channels[c].SetChannelZero(static_cast<int>(Field(block, 18 + 4 * i, 4)));
        channels[c].SetScalarChannel(static_cast<int>(Field(block, 26 + 2 * i, 2)));
    }
}

CByteArray CBoardBlocks::EncodeEvents(const CTimedEvent& events)
{
    CByteArray block;
    CCommonUtils::AddBytesToStream(block, static_cast<uint32_t>(events.GetCount()), 2);
    for (int i = 0; i < events.GetCount(); ++i) {
        const CTimedEventData& event = events[i];
        CCommonUtils::AddBytesToStream(block, Truncated(event.GetEventTime() * 100), 4);
        block.push_back(static_cast<uint8_t>(event.GetEventCode()));
        block.push_back(event.GetEventChannel());
        const double scale = EventScale(event.GetEventCode());
        CCommonUtils::AddBytesToStream(block, Truncated(event.GetEventValue() * scale), 4);
    }
    return block;
}

bool CBoardBlocks::IsWholeEventBlock(const CByteArray& block)
{
    return block.size() >= 2 && block.size() == 2 + kEventSize * Field(block, 0, 2);
}

CTimedEvent CBoardBlocks::DecodeEvents(const CByteArray& block)
{
    CTimedEvent events;
    const size_t announced = Field(block, 0, 2);
    for (size_t i = 0; i < announced && 2 + kEventSize * (i + 1) <= block.size(); ++i) {
        const size_t at = 2 + kEventSize * i;
        CTimedEventData event;
        event.SetEventTime(Field(block, at, 4) / 100.0);
        const auto code = static_cast<EventCode>(block[at + 4]);
        event.SetEventCode(code);
        event.SetEventChannel(block[at + 5]);
        event.SetEventValue(static_cast<int32_t>(Field(block, at + 6, 4)) / EventScale(code));
        events.AddTimedEvent(event);
    }
    return events;
}

CByteArray CBoardBlocks::EncodePulse(const CSimPulse& pulse)
{
    CByteArray block;
    block.reserve(kPulseBlockSize);
    CCommonUtils::AddBytesToStream(block, pulse.index, 4);
    CCommonUtils::AddBytesToStream(block, static_cast<uint32_t>(pulse.time), 4);
    for (uint32_t sample : pulse.samples)
        CCommonUtils::AddBytesToStream(block, sample, 3);
    CCommonUtils::AddBytesToStream(block, pulse.ch1Offset, 3);
    CCommonUtils::AddBytesToStream(block, pulse.ch2Offset, 3);
    CCommonUtils::AddBytesToStream(block, std::bit_cast<uint32_t>(pulse.tDelay), 4);
    CCommonUtils::AddBytesToStream(block, pulse.darkCurrent, 3);
    return block;
}

int CBoardBlocks::DecodePulse(const CByteArray& block, CSimPulse& pulse)
{
    if (block.size() != kPulseBlockSize)
        return 0;
    CSimPulse decoded;
    decoded.index = Field(block, 0, 4);
    decoded.time = static_cast<int32_t>(Field(block, 4, 4));
    for (size_t i = 0; i < CSimPulse::kSamples; ++i)
        decoded.samples[i] = Field(block, 8 + 3 * i, 3);
    decoded.ch1Offset = Field(block, 758, 3);
    decoded.ch2Offset = Field(block, 761, 3);
    decoded.tDelay = std::bit_cast<float>(Field(block, 764, 4));
    decoded.darkCurrent = Field(block, 768, 3);
    pulse = decoded;
    return 1;
}
