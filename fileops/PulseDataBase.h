#pragma once
// CPulseDataBase: one pulse record of the compact data file.
//
// Record, 506 bytes, packed, little-endian:
//   offset  size  content
//        0     4  time from start, uint32
//        4     2  time since last pulse, int16
//        6   500  250 samples, uint16 each
//
// Copies share the record's file: both refer to the same open stream.

#include "ByteOrder.h"
#include "FileIO.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CPulseDataBase {
public:
    static constexpr int kNumberSamples = 250;
    static constexpr size_t kRecordSize = 6 + 2 * kNumberSamples;
    // Offset of the time since last pulse within a record.
    static constexpr size_t kTimeSinceLastPulseAt = 4;

    CPulseDataBase() = default;
    CPulseDataBase(const CPulseDataBase& other) = default;
    CPulseDataBase& operator=(const CPulseDataBase& other) = default;
    virtual ~CPulseDataBase() = default;

    uint32_t GetTimeFromStart() const { return m_nTimeFromStart; }
    void SetTimeFromStart(uint32_t value) { m_nTimeFromStart = value; }
    short GetTimeSinceLastPulse() const { return m_nTimeSinceLastPulse; }
    void SetTimeSinceLastPulse(short value) { m_nTimeSinceLastPulse = value; }
    // Sample i; 0 for an index that names no sample.
    uint16_t GetSample(int i) const;
    // 1 when stored, 0 for an index that names no sample.
    int SetSample(int i, uint16_t value);
    const std::array<uint16_t, kNumberSamples>& GetSamples() const { return m_samples; }

    const std::string& GetFilePath() const { return m_strFilePath; }
    // Stores path and opens it for reading with the record's own file; 1
    // when open, else 0.
    int SetFilePath(const std::string& path);
    OFileIO& GetFileIO() { return m_file; }
    // Shares the stream of file, for a record that writes itself into a
    // file someone else opened.
    void SetFileIO(const OFileIO& file) { m_file = file; }

    // Writes the record through its own file when that is open for writing,
    // reads it otherwise; 1 when the whole record went through.
    int InputOutput() { return Io(m_file); }
    // The same through any file. A short read leaves the record untouched
    // and puts the file back where it was.
    int Io(OFileIO& file);

    void Append(le::Writer& w) const;
    // 1 when a whole record was there to read, else 0 with this untouched.
    int Parse(le::Reader& r);

private:
    uint32_t m_nTimeFromStart = 0;
    int16_t m_nTimeSinceLastPulse = 0;
    std::array<uint16_t, kNumberSamples> m_samples{};
    std::string m_strFilePath;
    OFileIO m_file;
};
