#pragma once
// One digitised detector pulse as the board delivers it.
//
// File record (little-endian, 48 + 4 * N bytes):
//   0  int32   reserved 1          24  f64    T-delay
//   4  int32   reserved 2          32  uint32 dark current
//   8  int32   pulse index         36  int32  N, the number of samples
//  12  int32   pulse time (1/100 s) 40  int32  samples[N]
//  16  uint32  ch1 offset      40 + 4N  f64    frequency pulse
//  20  uint32  ch2 offset

#include "FileIO.h"

#include <cstdint>
#include <span>
#include <vector>

class CPulseData {
public:
    static constexpr size_t kRecordHeadSize = 40;
    static constexpr size_t kRecordFixedSize = 48;

    CPulseData() = default;
    CPulseData(const CPulseData& other) { CopyFrom(other); }
    // Moving keeps every field, the reserved ones too, so a pulse read from a
    // file keeps them when a container relocates it.
    CPulseData(CPulseData&& other) noexcept = default;
    CPulseData& operator=(const CPulseData& other) { return CopyFrom(other); }
    virtual ~CPulseData() = default;

    // Copies everything but the two reserved fields.
    CPulseData& CopyFrom(const CPulseData& other);

    long GetPulseIndex() const { return m_nPulseIndex; }
    void SetPulseIndex(long value) { m_nPulseIndex = static_cast<int32_t>(value); }
    long GetPulseTime() const { return m_nPulseTime; }
    void SetPulseTime(long value) { m_nPulseTime = static_cast<int32_t>(value); }
    unsigned int GetCh1Offset() const { return m_nCh1Offset; }
    void SetCh1Offset(unsigned int value) { m_nCh1Offset = value; }
    unsigned int GetCh2Offset() const { return m_nCh2Offset; }
    void SetCh2Offset(unsigned int value) { m_nCh2Offset = value; }
    double GetTDelay() const { return m_dTDelay; }
    void SetTDelay(double value) { m_dTDelay = value; }
    unsigned int GetDarkCurrent() const { return m_nDarkCurrent; }
    void SetDarkCurrent(unsigned int value) { m_nDarkCurrent = value; }
    double GetFrequencyPulse() const { return m_dFrequencyPulse; }
    void SetFrequencyPulse(double value) { m_dFrequencyPulse = value; }
    int GetReserved1() const { return m_nReserved1; }
    void SetReserved1(int value) { m_nReserved1 = value; }
    int GetReserved2() const { return m_nReserved2; }
    void SetReserved2(int value) { m_nReserved2 = value; }

    int GetDataCount() const { return static_cast<int>(m_data.size()); }
    // n > 0: resize to n samples (new ones 0) and drop spare capacity.
    void SetBufferSize(int n);
    void CleanupBuffer();
    void AddData(int value) { m_data.push_back(value); }
    void SetData(int index, int value);
    int GetData(int index) const;
    const std::vector<int32_t>& Samples() const { return m_data; }

    // Size of the file record.
    size_t GetCurrentSize() const { return kRecordFixedSize + 4 * m_data.size(); }

    // Writes or reads the file record by the direction of file. A read whose
    // sample count is negative or runs past the end of the file fails (0),
    // leaves this pulse untouched and puts the file back where it was.
    int Io(OFileIO& file);

    // The record image, and its parser: 1 and used = record size when a whole
    // record lies in bytes, else 0 with the pulse untouched.
    void AppendRecord(std::vector<uint8_t>& out) const;
    int ParseRecord(std::span<const uint8_t> bytes, size_t& used);

    bool operator==(const CPulseData& other) const = default;

private:
    int32_t m_nReserved1 = 0;
    int32_t m_nReserved2 = 0;
    int32_t m_nPulseIndex = 0;
    int32_t m_nPulseTime = 0;
    uint32_t m_nCh1Offset = 0;
    uint32_t m_nCh2Offset = 0;
    double m_dTDelay = 0.0;
    uint32_t m_nDarkCurrent = 0;
    double m_dFrequencyPulse = 0.0;
    std::vector<int32_t> m_data;
};
