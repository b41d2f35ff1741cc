// The decoders of the board's reply blocks (gates, board and channel, timed
// events, pulse) on arbitrary bytes: they must never read outside the block
// and never produce more than the block can hold.
#include "Hardware.h"
#include "QuillonIniConfig.h"
#include "ScratchFile.h"

#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The decoders log every float conversion: keep the debug log off.
    const char settings[] = "EnableDebugLog=0\n";
    if (fuzz::WriteScratch(reinterpret_cast<const uint8_t*>(settings), sizeof settings - 1))
        CQuillonIniConfig::Initialize(fuzz::ScratchPath());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const CByteArray block(data + 1, data + size);
    switch (data[0] % 4) {
    case 0: {
        CGateParameters gates;
        CHardware::DecodeGates(block, gates);
        break;
    }
    case 1: {
        CBoardParameters board;
        CChannelParameters channels;
        CHardware::DecodeBoardAndChannel(block, board, channels);
        break;
    }
    case 2: {
        CTimedEvent events;
        CHardware::DecodeEvents(block, events);
        // An event whose last field starts inside the block counts (the rest reads as 0).
        const size_t started = block.size() < 2 ? 0
                                                : (block.size() - 2 + CHardware::kEventSize - 1) /
                                                      CHardware::kEventSize;
        Require(events.GetCount() <= static_cast<int>(started));
        for (int i = 1; i < events.GetCount(); ++i)
            Require(!(events[i].GetEventTime() < events[i - 1].GetEventTime()));
        break;
    }
    default: {
        CPulseData pulse;
        CHardware::DecodePulse(block, pulse);
        Require(pulse.GetDataCount() <= CHardware::kSamplesPerPulse);
        Require(pulse.GetDataCount() == 0 || block.size() >= 11);
        break;
    }
    }
    return 0;
}
