#pragma once
// CBaseDVFileINT: the Analyzer's scratch file of computed gate values, kept
// next to an opened data file while its chromatogram is shown and deleted
// when the document closes.
//
// Layout, little-endian, one record per pulse of the data file in pulse order:
//   offset     size  content
//   24 * n        4  time from start of pulse n, int32 (units of the pulse record)
//   24 * n + 4   20  the five gate-mode results of pulse n, f32 each
//   24 * P        4  tail: lowest and highest raw sample met, uint16 each
//
// Every operation gives 0 without touching the disk while the file is closed.

#include "FileDescriptor.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

class CBaseDVFileINT {
public:
    static constexpr int kRecordSize = 24;
    static constexpr int kGateResults = 5;
    static constexpr int kTailSize = 4;

    // One record as the batch operations carry it.
    struct Record {
        int32_t time = 0;
        std::array<float, kGateResults> values{};
        bool operator==(const Record& other) const = default;
    };

    CBaseDVFileINT() = default;
    CBaseDVFileINT(const CBaseDVFileINT&) = delete;
    CBaseDVFileINT& operator=(const CBaseDVFileINT&) = delete;
    // Closes the file but leaves it on the disk; Close(path) deletes it.
    virtual ~CBaseDVFileINT();

    // The scratch path for a data file: the first three characters after the
    // last "." of the file name become "INT" (run001.KLYN -> run001.INTN).
    // When the name has no "." or fewer than three characters after it, or
    // when the rule would give back the data file's own path (run.INTN, or
    // run.int on a file system that ignores case), ".INT" is appended to the
    // whole path instead (run -> run.INT, a.b -> a.b.INT), which is always
    // longer than the data file's path and so never names it. A "." in a
    // folder name does not count. A path without a file name gives "".
    static std::string GetIntermediatePath(const std::string& dataPath);

    // Creates (or empties) the scratch file of dataPath for reading and
    // writing. Non-zero on success; the result is also kept as the open flag.
    int Open(const std::string& dataPath);
    // Empty dataPath: nothing happens, 0. Otherwise closes the file if it is
    // open and deletes the scratch file of dataPath; 1 when it is gone.
    int Close(const std::string& dataPath);
    int IsOpen() const { return m_bOpen; }
    // The same at exactly path, for a caller that keeps the scratch file
    // somewhere else than beside its data file (a folder it may not write).
    int OpenAt(const std::string& path);
    int CloseAt(const std::string& path);

    // One record at the current position: 1 when all of it was written or
    // read. A short read gives 0 and zeros in time and values.
    int WritePulse(int32_t time, const std::array<float, kGateResults>& values);
    int ReadPulse(int32_t& time, std::array<float, kGateResults>& values);
    int WriteTail(uint16_t lowest, uint16_t highest);
    int ReadTail(uint16_t& lowest, uint16_t& highest);
    // Many records at the current position in few transfers: 1 when all of
    // them were written or read. A short read gives 0, and zeros in every
    // record from the first incomplete one on.
    int WritePulses(std::span<const Record> records);
    int ReadPulses(std::span<Record> records);
    // Moves to the start of record n (byte 24 * n); 0 for n < 0.
    int MoveToPulse(int n);

private:
    void CloseFile();

    CFileDescriptor m_fd;
    int m_bOpen = 0;
};
