#pragma once
// CBaseDVPulseData: a pulse read from a compact data file for display - the
// record's times and samples, and the pulse as a function of time in its X
// (milliseconds, 10 samples per millisecond) and Y (raw counts) arrays.
// The record layout is in PulseDataBase.h.

#include "BaseDVPulse.h"
#include "FloatArray.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class CBaseKLYNData;

// Result of CBaseDVPulseData::Read.
enum DVCODE {
    DV_PULSE_READ = 0,   // the whole record was read
    DV_NO_PULSE = 3,     // not even the two times were there
    DV_SHORT_PULSE = 257 // times read, samples cut short
};

class CBaseDVPulseData : public CBaseDVPulse {
public:
    // Ready for 250 samples, with X and Y arrays of its own; an owner may
    // hand it others with SetPulseArrays.
    CBaseDVPulseData();
    ~CBaseDVPulseData() override = default;

    const std::string& GetFilePath() const { return m_strFilePath; }
    // Stores path and opens the file read-only; 1 on success, else 0.
    int SetFilePath(const std::string& path);
    int IsOpen() const { return m_file != nullptr; }
    void Close() { m_file.reset(); }

    // Reads one record at the file's position. X and Y are refilled for
    // every sample, also when the samples were cut short; samples that were
    // not in the file count as 0.
    DVCODE Read();
    // Reads record index (0-based, below total) of the file that pulse has
    // open, starting at pulse's header offset, into pulse. When the file was
    // recorded by hand, the time from start becomes data's rebuilt time. 1
    // when a pulse was read (also cut short) with found = index, else 0.
    int ToPulse(int index, int total, int& found, CBaseDVPulseData& pulse,
                const CBaseKLYNData& data);
    // 64-bit seek with SEEK_SET, SEEK_CUR or SEEK_END; 0 on success.
    int Seek(int64_t offset, int origin);

private:
    struct FileCloser {
        void operator()(std::FILE* fp) const { std::fclose(fp); }
    };

    std::string m_strFilePath;
    std::unique_ptr<std::FILE, FileCloser> m_file;
    OFloatArray m_xValues;
    OFloatArray m_yValues;
};
