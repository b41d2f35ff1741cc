#pragma once
// Fixed-size images of the instrument records as configuration files and
// data-file headers store them, and the block sequence both formats share:
//
//   gate set block | board block | channel block | event count M | M event blocks
//
// A configuration file puts the sequence after its 4-byte tag, a data file
// after its 24-byte prefix; everything below is relative to the block start.
// Each record image opens with a 4-byte slot that carries nothing. Writers put
// zeros into slots and padding; readers ignore both.
//
// Gate set block, 328 bytes: 0 slot, 4 padding, gate i at 8 + 64 * i:
//    0  4  slot                       32  8  stop B, f64
//    4  2  type (GateMode), uint16    40  2  operator (GateOperator), uint16
//    6  2  type number, uint16        42  6  padding
//    8  8  start A, f64               48  8  alpha, f64
//   16  8  start B, f64               56  4  square root, uint32 (0 = off)
//   24  8  stop A, f64                60  4  padding
//
// Board block, 16 bytes:
//    0  4  slot                        8  2  trigger level, uint16
//    4  2  ignitor, uint16            10  2  padding
//    6  2  PMT volts, uint16          12  4  ADC trigger level, uint32
//
// Channel block, 52 bytes: 0 slot; channel 1 at 4, channel 2 at 28, each:
//    0  4  slot                       12  4  zero channel, int32
//    4  4  gate index, int32          16  4  scalar channel, int32
//    8  4  interpolation, int32       20  4  channel zero, int32
//
// Event block, 32 bytes:
//    0  4  slot                       20  1  event channel, uint8
//    4  4  padding                    21  3  padding
//    8  8  event time, f64            24  8  event value, f64
//   16  4  event code, int32

#include "BoardParameters.h"
#include "ByteOrder.h"
#include "ChannelParameters.h"
#include "FileIO.h"
#include "GateParameters.h"
#include "TimedEvent.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The records one block sequence carries.
struct CConfigBlockSet {
    CGateParameters gates;
    CBoardParameters board;
    CChannelParameters channels;
    CTimedEvent events;

    bool operator==(const CConfigBlockSet& other) const
    {
        return gates == other.gates && board == other.board && channels == other.channels &&
               events == other.events;
    }
};

namespace ConfigBlocks {

inline constexpr size_t kGateImageSize = 64;
inline constexpr size_t kGateSetBlockSize = 8 + CGateParameters::kGates * kGateImageSize; // 328
inline constexpr size_t kBoardBlockSize = 16;
inline constexpr size_t kChannelImageSize = 24;
inline constexpr size_t kChannelBlockSize = 4 + CChannelParameters::kChannels * kChannelImageSize;
inline constexpr size_t kEventBlockSize = 32;
// The board holds at most 101 events; a file announcing more than this is
// damaged, and refusing it keeps the sorted insertion of its events bounded.
inline constexpr int kMaxEvents = 10000;
// The three blocks and the event count: the least a sequence can occupy.
inline constexpr size_t kFixedSize = kGateSetBlockSize + kBoardBlockSize + kChannelBlockSize + 4;

// Block images. Each Parse reads exactly one block from the reader; the
// caller checks reader.Ok() before trusting the result. Parsers of a whole
// block fill out field by field, so give them a scratch record.
void AppendGateSet(le::Writer& w, const CGateParameters& gates);
void ParseGateSet(le::Reader& r, CGateParameters& gates);
void AppendBoard(le::Writer& w, const CBoardParameters& board);
void ParseBoard(le::Reader& r, CBoardParameters& board);
void AppendChannels(le::Writer& w, const CChannelParameters& channels);
void ParseChannels(le::Reader& r, CChannelParameters& channels);
void AppendEvent(le::Writer& w, const CTimedEventData& event);
// A code this program has no text for is kept as it is, so a file written by
// a newer program passes through a read and a write unchanged.
void ParseEvent(le::Reader& r, CTimedEventData& event);

// Size of a sequence carrying event_count events.
inline size_t SequenceSize(int event_count)
{
    return kFixedSize + kEventBlockSize * static_cast<size_t>(event_count < 0 ? 0 : event_count);
}

// The whole sequence, events in table order.
void AppendSequence(std::vector<uint8_t>& out, const CConfigBlockSet& set);

// Parses a sequence at the start of bytes. On success returns 1, sets used
// to the bytes consumed and replaces set; the events are inserted by time,
// so set.events ends sorted whatever the stored order. On failure returns 0
// with a description of the fault in message ("3 events announced but only
// 40 bytes follow") and set untouched. Bytes after the sequence are not
// looked at.
int ParseSequence(std::span<const uint8_t> bytes, CConfigBlockSet& set, size_t& used,
                  std::string& message);

// The same through a file at its current position. The event count is checked
// against the bytes left in the file before anything is read into memory. On
// failure the file is put back where it was and set is untouched.
int WriteSequence(OFileIO& file, const CConfigBlockSet& set);
int ReadSequence(OFileIO& file, CConfigBlockSet& set, std::string& message);

} // namespace ConfigBlocks
