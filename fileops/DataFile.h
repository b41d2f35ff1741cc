#pragma once
// The data file (".KLYN"): one recording, written by the recorder while the
// run goes on and read back by the Analyzer and the command-line tool.
//
//   offset        size      content (little-endian)
//        0           4      tag, int32 = 16897
//        4          20      hour, minute (-1 when unknown), year, month, day (0 when unknown), int32 each
//       24         328      gate set block      | the configuration block
//      352          16      board block         | sequence (ConfigBlocks.h)
//      368          52      channel block       |
//      420           4      event count M       |
//      424      32 x M      event blocks        |
//  424+32M           4      pulse count P, int32
//  428+32M         ...      pulse records, 48 + 4 N bytes each (CPulseData)
//
// The format stores the pulse count in the header, which a writer can only
// know at the end. So that a crash, a power cut or a full disk never costs a
// recording, the writer
//   - hands every pulse record to the operating system in one write as it
//     arrives (a killed program loses nothing it appended);
//   - once a second flushes the data to the disk and only then rewrites the
//     count in place, so the count on disk never claims more than the disk
//     holds; the next flush makes that count durable;
//   - stops cleanly on a write error (count written, file closed, the reason
//     reported), never silently;
// and the reader trusts the records, not the count: it walks them, keeps
// every complete one, drops a torn last one and says what it salvaged.

#include "ConfigBlocks.h"
#include "FileDescriptor.h"
#include "PulseData.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

struct CDataFileHeader {
    static constexpr int32_t kTag = 16897;
    static constexpr size_t kPrefixSize = 24;

    int32_t tag = kTag;
    int32_t hour = -1;
    int32_t minute = -1;
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    CConfigBlockSet config;

    // Date and time fields from the local clock now.
    void StampNow();
    // Everything before the pulse count.
    void Append(std::vector<uint8_t>& out) const;
    // Offset of the pulse count: 424 + 32 x events.
    size_t CountPosition() const { return kPrefixSize + ConfigBlocks::SequenceSize(config.events.GetCount()); }
    // Parses a header at the start of bytes: 1 with used = its size, or 0 and a reason.
    static int Parse(std::span<const uint8_t> bytes, CDataFileHeader& header, size_t& used,
                     std::string& message);
};

class CDataFileWriter {
public:
    static constexpr std::chrono::milliseconds kCheckpointInterval{1000};

    CDataFileWriter() = default;
    ~CDataFileWriter();
    CDataFileWriter(const CDataFileWriter&) = delete;
    CDataFileWriter& operator=(const CDataFileWriter&) = delete;

    // Creates (or truncates) path, writes the header and a pulse count of 0,
    // makes the new name durable and starts the checkpoints. 1, or 0 with
    // the reason in message.
    int Create(const std::string& path, const CDataFileHeader& header, std::string& message);
    // Writes one pulse record. 0 with the reason in message when it could not
    // be written: the writer has then stopped the recording (count written,
    // file closed) and the file keeps every pulse before this one.
    int Append(const CPulseData& pulse, std::string& message);
    // Writes the final count, flushes and closes. 1, or 0 with the reason.
    int Close(std::string& message);

    bool IsOpen() const { return m_fd.IsOpen(); }
    const std::string& GetPath() const { return m_strPath; }
    int32_t GetPulseCount() const { return m_nAppended.load(); }
    int64_t GetCountPosition() const { return m_nCountPosition; }
    int64_t GetBytesWritten() const { return m_nEnd; }
    // Size in megabytes (1 048 576 bytes) for display.
    double GetSizeMegabytes() const { return static_cast<double>(m_nEnd) / 1048576.0; }
    // Checkpoints completed so far (the count on disk is that of the last one).
    int64_t GetCheckpoints() const { return m_nCheckpoints.load(); }
    // How often the checkpoint runs; tests make it short.
    void SetCheckpointInterval(std::chrono::milliseconds interval) { m_interval = interval; }

private:
    void CheckpointLoop();
    // fdatasync, then the count of what that flush covered. Thread-safe.
    bool Checkpoint(std::string& error);
    int Finish(std::string& message, const std::string& failure);
    void StopCheckpoints();

    CFileDescriptor m_fd;
    std::string m_strPath;
    int64_t m_nCountPosition = 0;
    int64_t m_nEnd = 0;
    std::vector<uint8_t> m_record; // reused for every pulse
    std::atomic<int32_t> m_nAppended{0};
    std::atomic<int64_t> m_nCheckpoints{0};
    std::chrono::milliseconds m_interval = kCheckpointInterval;

    std::mutex m_syncLock; // one checkpoint at a time
    std::mutex m_threadLock;
    std::condition_variable m_wake;
    bool m_bStop = false;
    std::string m_strCheckpointError; // guarded by m_threadLock
    std::atomic<bool> m_bCheckpointFailed{false}; // spares Append the lock
    std::thread m_thread;
};

// What the reader found against what the header said.
struct CSalvageReport {
    int32_t storedCount = 0; // the count in the header
    int32_t foundCount = 0;  // records read and believed
    int64_t tornBytes = 0;   // bytes after the last record read (none of them a pulse)
    int64_t leftOutFrom = 0; // where those bytes begin
    int64_t fileSize = 0;
    // Why the records after the last one read were not believed ("record 12
    // is all zeros ..."); empty when the file simply ended, inside a record
    // or not.
    std::string stopReason;
    // Repair: where the original was kept before its count was lowered.
    std::string originalKeptAs;

    bool CountWasLow() const { return storedCount < foundCount; }
    bool CountWasHigh() const { return storedCount > foundCount; }
    bool Clean() const { return storedCount == foundCount && tornBytes == 0; }
    // One or two sentences for the user; empty when the file was clean.
    std::string Text() const;
};

// Reading never trusts the count alone. The records up to the stored count
// were counted by the writer after they had reached the disk; each must be
// whole and hold as many samples as the recording's first pulse. Records past
// the stored count (a recording that did not finish) are salvaged only while
// they look like its continuation: not all zeros, the same number of samples,
// a pulse index above the one before. The first record that fails ends the
// walk, so salvage never turns a zero-filled tail or garbage into pulses.
class CDataFileReader {
public:
    // Records with more samples than this are not believed (the board sends 250).
    static constexpr int32_t kMaxSamples = 65536;

    // Reads the header and then every record believed, in order, handing each
    // to onPulse (return false to stop early). Memory never depends on the
    // stored count. Only regular files are opened. 1 when the file held at
    // least one pulse; 0 with the reason in message otherwise (an empty
    // recording included).
    static int Read(const std::string& path, CDataFileHeader& header,
                    const std::function<bool(const CPulseData&)>& onPulse, CSalvageReport& report,
                    std::string& message);
    static int ReadAll(const std::string& path, CDataFileHeader& header,
                       std::vector<CPulseData>& pulses, CSalvageReport& report, std::string& message);
    // Rewrites the count of path to the records the reader believes, into
    // copyPath (when not empty; the original stays as it is) or in place. In
    // place, a count that goes down first keeps the original beside the file
    // as BackupPath(path), and refuses when that name is taken. 1 when written
    // (or nothing needed writing), 0 with the reason.
    static int Repair(const std::string& path, const std::string& copyPath, CSalvageReport& report,
                      std::string& message);
    // FILE.bak
    static std::string BackupPath(const std::string& path);
};
