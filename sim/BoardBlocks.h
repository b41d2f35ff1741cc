#pragma once
// The payload blocks the board keeps and exchanges, with the board's own encoders and
// decoders (independent of the link's). All fields big-endian.
//
// Gate block (0x10 set, 0x11 get), 100 bytes, gates 0..4:
//   0   5 x 2  type                       60  5 x 2  operator
//   10  5 x 2  type number                70  5 x 4  alpha, board float word
//   20  5 x 4  start A x 10, start B x 10 90  5 x 2  square-root switch
//   40  5 x 4  stop A x 10, stop B x 10
//
// Board and channel block (0x12 set, 0x13 get), 30 bytes:
//   0  2  ignitor          10  2  ch1 gate index     18  4  ch1 channel zero
//   2  2  PMT volts        12  2  ch2 gate index     22  4  ch2 channel zero
//   4  2  trigger level    14  2  ch1 interpolation  26  2  ch1 scalar channel
//   6  4  ADC trigger      16  2  ch2 interpolation  28  2  ch2 scalar channel
//
// Event block (0x20 set, 0x21 get), 2 + 10 n bytes:
//   0       2  n
//   2+10i   4  time x 100
//   6+10i   1  event code
//   7+10i   1  channel
//   8+10i   4  value x 1000 for code 3, x 100 for code 2, as is otherwise
//
// Pulse block (0x40 reply), 771 bytes:
//   0  4  pulse index        758  3  ch1 offset
//   4  4  pulse time, 1/100 s since the run start   761  3  ch2 offset
//   8  250 x 3  samples      764  4  T-delay, board float word
//                            768  3  dark current
//
// A board float word is IEEE 754 single precision, sent big-endian.

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "CommonUtils.h"
#include "GateParameters.h"
#include "TimedEvent.h"

#include <array>
#include <cstddef>
#include <cstdint>

// One pulse as the board measured it.
struct CSimPulse {
    static constexpr int kSamples = 250;
    uint32_t index = 0;
    int32_t time = 0; // hundredths of a second since the run start
    std::array<uint32_t, kSamples> samples{};
    uint32_t ch1Offset = 0;
    uint32_t ch2Offset = 0;
    float tDelay = 0.0f;
    uint32_t darkCurrent = 0;
};

class CBoardBlocks {
public:
    static constexpr size_t kGateBlockSize = 100;
    static constexpr size_t kBoardChannelBlockSize = 30;
    static constexpr size_t kEventSize = 10;
    static constexpr size_t kPulseBlockSize = 771;
    static constexpr size_t kChannelZeroOffset[2] = {18, 22};
    static constexpr size_t kGateIndexOffset[2] = {10, 12};
    static constexpr size_t kIgnitorOffset = 0;

    CBoardBlocks() = delete;

    static uint32_t ToFloatWord(double value);
    static double FromFloatWord(uint32_t word);

    static CByteArray EncodeGates(const CGateParameters& gates);
    // Fields beyond the end of a short block keep their defaults.
    static CGateParameters DecodeGates(const CByteArray& block);

    static CByteArray EncodeBoardChannel(const CBoardParameters& board,
                                         const CChannelParameters& channels);
    static void DecodeBoardChannel(const CByteArray& block, CBoardParameters& board,
                                   CChannelParameters& channels);

    // Times and values are truncated toward zero; a negative value travels as its 32-bit
    // two's complement, and decodes back to the negative number.
    static CByteArray EncodeEvents(const CTimedEvent& events);
    static CTimedEvent DecodeEvents(const CByteArray& block);
    // True when block is 2 + 10 n bytes long for the n it announces.
    static bool IsWholeEventBlock(const CByteArray& block);

    static CByteArray EncodePulse(const CSimPulse& pulse);
    // 0 unless block is exactly a pulse block.
    static int DecodePulse(const CByteArray& block, CSimPulse& pulse);

    // Big-endian unsigned field of count bytes at offset; 0 when it does not fit.
    static uint32_t Field(const CByteArray& block, size_t offset, size_t count);
    // Overwrites the field when it lies inside the block.
    static void PutField(CByteArray& block, size_t offset, size_t count, uint32_t value);
};
