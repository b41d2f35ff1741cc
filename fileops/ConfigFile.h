#pragma once
// CConfigFile: the ".cnfg" configuration file, the complete parameter set of
// the instrument (five gates, board, two channels, timed-event program) and
// the Monitor's image of the last such file saved or opened.
//
// File layout (little-endian; the blocks are those of ConfigBlocks.h):
//   offset  size    content
//        0     4    format tag, int32 = 30721 (0x7801)
//        4   328    gate set block
//      332    16    board block
//      348    52    channel block
//      400     4    event count M, int32
//      404  32*M    event blocks, in table order
//
// A file with another tag is not ours: it is read no further, every record
// stays as it was and the read still counts as a success (callers that care
// compare GetTag() with kTag). A file that carries the tag but is cut short
// or announces more events than it holds is damaged: the read fails and
// every record stays as it was.

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "ConfigBlocks.h"
#include "FileIO.h"
#include "GateParameters.h"
#include "TimedEvent.h"

#include <cstdint>
#include <span>
#include <string>

class CConfigFile {
public:
    static constexpr int32_t kTag = 30721;

    CConfigFile() = default;
    CConfigFile(const CConfigFile& other) { CopyFrom(other); }
    CConfigFile& operator=(const CConfigFile& other) { return CopyFrom(other); }
    virtual ~CConfigFile() = default;

    // Copies the records, not the file handle.
    CConfigFile& CopyFrom(const CConfigFile& other);

    CTimedEvent& GetTimedEvent() { return m_timedEvent; }
    const CTimedEvent& GetTimedEvent() const { return m_timedEvent; }
    void SetTimedEvent(const CTimedEvent& events) { m_timedEvent.CopyFrom(events); }
    CGateParameters& GetGateParameters() { return m_gateParameters; }
    const CGateParameters& GetGateParameters() const { return m_gateParameters; }
    void SetGateParameters(const CGateParameters& gates) { m_gateParameters.CopyFrom(gates); }
    CBoardParameters& GetBoardParameters() { return m_boardParameters; }
    const CBoardParameters& GetBoardParameters() const { return m_boardParameters; }
    void SetBoardParameters(const CBoardParameters& board) { m_boardParameters.CopyFrom(board); }
    CChannelParameters& GetChannelParameters() { return m_channelParameters; }
    const CChannelParameters& GetChannelParameters() const { return m_channelParameters; }
    void SetChannelParameters(const CChannelParameters& channels)
    {
        m_channelParameters.CopyFrom(channels);
    }
    // The count last written or read; the table's own count is authoritative.
    int32_t GetEventCount() const { return m_nEventCount; }
    // Tag of the last file written or read; 0 before either.
    int32_t GetTag() const { return m_nTag; }

    // Write or read the whole file through the object's own handle. 0 when the
    // path cannot be opened (an empty file cannot be opened for reading; no
    // message then), else the result of Io.
    int Save(const std::string& path, std::string& message);
    int Open(const std::string& path, std::string& message);

    // Writes the file image when file is open for writing, reads it otherwise,
    // at the file's current position. 1 on success, 0 with message set.
    int Io(OFileIO& file, std::string& message);

    // Reads a file image held in memory, with the same rules as Io.
    int Parse(std::span<const uint8_t> bytes, std::string& message);
    // The file image of the current records.
    void AppendImage(std::vector<uint8_t>& out) const;

    bool operator==(const CConfigFile& other) const;

private:
    int Write(OFileIO& file, std::string& message);
    int Read(OFileIO& file, std::string& message);
    CConfigBlockSet Blocks() const;
    void Commit(CConfigBlockSet&& blocks);

    OFileIO m_file;
    CTimedEvent m_timedEvent;
    CGateParameters m_gateParameters;
    CBoardParameters m_boardParameters;
    CChannelParameters m_channelParameters;
    int32_t m_nEventCount = 0;
    int32_t m_nTag = 0;
};
