#include "ConfigBlocks.h"

#include <cstdio>

namespace ConfigBlocks {

namespace {

constexpr size_t kSlotSize = 4;

void AppendGate(le::Writer& w, const CGateParameter& gate)
{
    w.Zeros(kSlotSize);
    w.U16(gate.GetType());
    w.U16(gate.GetTypeNum());
    w.F64(gate.GetStartA());
    w.F64(gate.GetStartB());
    w.F64(gate.GetStopA());
    w.F64(gate.GetStopB());
    w.U16(gate.GetOperator());
    w.Zeros(6);
    w.F64(gate.GetAlpha());
    w.U32(gate.GetSqrootStored());
    w.Zeros(4);
}

void ParseGate(le::Reader& r, CGateParameter& gate)
{
    r.Skip(kSlotSize);
    gate.SetType(r.U16());
    gate.SetTypeNum(r.U16());
    gate.SetStartA(r.F64());
    gate.SetStartB(r.F64());
    gate.SetStopA(r.F64());
    gate.SetStopB(r.F64());
    gate.SetOperator(r.U16());
    r.Skip(6);
    gate.SetAlpha(r.F64());
    gate.SetSqrootStored(r.U32());
    r.Skip(4);
}

void AppendChannel(le::Writer& w, const CGateChannelParameters& channel)
{
    w.Zeros(kSlotSize);
    w.I32(channel.GetGateIndex());
    w.I32(channel.GetInterpolation());
    w.I32(channel.GetZeroChannel());
    w.I32(channel.GetScalarChannel());
    w.I32(channel.GetChannelZero());
}

void ParseChannel(le::Reader& r, CGateChannelParameters& channel)
{
    r.Skip(kSlotSize);
    channel.SetGateIndex(r.I32());
    channel.SetInterpolation(r.I32());
    channel.SetZeroChannel(r.I32());
    channel.SetScalarChannel(r.I32());
    channel.SetChannelZero(r.I32());
}

std::string TooShortText(uint64_t have)
{
    char text[128];
    std::snprintf(text, sizeof text,
                  "the parameter blocks need %zu bytes but only %llu are present", kFixedSize,
                  static_cast<unsigned long long>(have));
    return text;
}

// The count is weighed against the bytes that follow it before any event is
// read, so a hostile count never sizes anything.
bool CheckEventCount(int32_t count, uint64_t rest, std::string& message)
{
    char text[128];
    if (count < 0)
        std::snprintf(text, sizeof text, "negative event count %d", static_cast<int>(count));
    else if (static_cast<uint64_t>(count) > rest / kEventBlockSize)
        std::snprintf(text, sizeof text, "%d events announced but only %llu bytes follow",
                      static_cast<int>(count), static_cast<unsigned long long>(rest));
    else if (count > kMaxEvents)
        std::snprintf(text, sizeof text, "%d events announced; at most %d are accepted",
                      static_cast<int>(count), kMaxEvents);
    else
        return true;
    message = text;
    return false;
}

} // namespace

void AppendGateSet(le::Writer& w, const CGateParameters& gates)
{
    w.Zeros(kSlotSize + 4);
    for (int i = 0; i < CGateParameters::kGates; ++i)
        AppendGate(w, gates[i]);
}

void ParseGateSet(le::Reader& r, CGateParameters& gates)
{
    r.Skip(kSlotSize + 4);
    for (int i = 0; i < CGateParameters::kGates; ++i)
        ParseGate(r, gates[i]);
}

void AppendBoard(le::Writer& w, const CBoardParameters& board)
{
    w.Zeros(kSlotSize);
    w.U16(board.GetIgnitor());
    w.U16(board.GetPmtVolts());
    w.U16(board.GetTriggerLevel());
    w.Zeros(2);
    w.U32(board.GetAdcTriggerLevel());
}

void ParseBoard(le::Reader& r, CBoardParameters& board)
{
    r.Skip(kSlotSize);
    board.SetIgnitor(r.U16());
    board.SetpmtVolts(r.U16());
    board.SetTriggerLevel(r.U16());
    r.Skip(2);
    board.SetAdcTriggerLevel(r.U32());
}

void AppendChannels(le::Writer& w, const CChannelParameters& channels)
{
    w.Zeros(kSlotSize);
    for (int i = 0; i < CChannelParameters::kChannels; ++i)
        AppendChannel(w, channels[i]);
}

void ParseChannels(le::Reader& r, CChannelParameters& channels)
{
    r.Skip(kSlotSize);
    for (int i = 0; i < CChannelParameters::kChannels; ++i)
        ParseChannel(r, channels[i]);
}

void AppendEvent(le::Writer& w, const CTimedEventData& event)
{
    w.Zeros(kSlotSize + 4);
    w.F64(event.GetEventTime());
    w.I32(static_cast<int32_t>(event.GetEventCode()));
    w.U8(event.GetEventChannel());
    w.Zeros(3);
    w.F64(event.GetEventValue());
}

void ParseEvent(le::Reader& r, CTimedEventData& event)
{
    r.Skip(kSlotSize + 4);
    event.SetEventTime(r.F64());
    event.SetEventCode(static_cast<EventCode>(r.I32()));
    event.SetEventChannel(r.U8());
    r.Skip(3);
    event.SetEventValue(r.F64());
}

void AppendSequence(std::vector<uint8_t>& out, const CConfigBlockSet& set)
{
    const int count = set.events.GetCount();
    out.reserve(out.size() + SequenceSize(count));
    le::Writer w(out);
    AppendGateSet(w, set.gates);
    AppendBoard(w, set.board);
    AppendChannels(w, set.channels);
    w.I32(count);
    for (int i = 0; i < count; ++i)
        AppendEvent(w, set.events[i]);
}

int ParseSequence(std::span<const uint8_t> bytes, CConfigBlockSet& set, size_t& used,
                  std::string& message)
{
    if (bytes.size() < kFixedSize) {
        message = TooShortText(bytes.size());
        return 0;
    }

    le::Reader r(bytes);
    CConfigBlockSet scratch;
    ParseGateSet(r, scratch.gates);
    ParseBoard(r, scratch.board);
    ParseChannels(r, scratch.channels);
    const int32_t count = r.I32();
    if (!CheckEventCount(count, r.Remaining(), message))
        return 0;

    for (int32_t i = 0; i < count; ++i) {
        CTimedEventData event;
        ParseEvent(r, event);
        scratch.events.AddTimedEvent(event);
    }
    if (!r.Ok()) {
        message = "the parameter blocks end early";
        return 0;
    }
    used = r.Pos();
    set = std::move(scratch);
    return 1;
}

int WriteSequence(OFileIO& file, const CConfigBlockSet& set)
{
    std::vector<uint8_t> bytes;
    AppendSequence(bytes, set);
    return file.Write(bytes.data(), bytes.size());
}

int ReadSequence(OFileIO& file, CConfigBlockSet& set, std::string& message)
{
    const int64_t start = file.Ftell();
    auto fail = [&](std::string why) {
        message = std::move(why);
        if (start >= 0)
            file.Fseek(start, SEEK_SET);
        return 0;
    };

    const int64_t left = file.Remaining();
    std::vector<uint8_t> bytes(kFixedSize);
    if (left < static_cast<int64_t>(kFixedSize) || !file.Read(bytes.data(), bytes.size()))
        return fail(TooShortText(static_cast<uint64_t>(left < 0 ? 0 : left)));

    // The buffer is sized only after the count has been weighed against the file.
    const int32_t count = le::GetI32(&bytes[kFixedSize - 4]);
    std::string why;
    if (!CheckEventCount(count, static_cast<uint64_t>(file.Remaining()), why))
        return fail(why);
    bytes.resize(SequenceSize(count));
    if (!file.Read(bytes.data() + kFixedSize, bytes.size() - kFixedSize))
        return fail("the parameter blocks could not be read");

    size_t used = 0;
    if (!ParseSequence(bytes, set, used, why))
        return fail(why);
    return 1;
}

} // namespace ConfigBlocks
