#include "BaseDVFileINT.h"

#include "ByteOrder.h"
#include "FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kExtensionLength = 3;
const char kFallbackSuffix[] = ".INT";

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&](unsigned char x, unsigned char y) { return lower(x) == lower(y); });
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    int error = 0;
    return CFileUtil::WriteAll(fd, data, size, error) == size;
}

bool ReadAll(int fd, uint8_t* data, size_t size)
{
    int error = 0;
    return CFileUtil::ReadFull(fd, data, size, error) == size;
}

// As many bytes as the file still holds, up to size.
size_t ReadSome(int fd, uint8_t* data, size_t size)
{
    int error = 0;
    return CFileUtil::ReadFull(fd, data, size, error);
}

// Records per transfer of the batch operations: 24 KiB blocks keep the
// memory flat whatever the length of the run.
constexpr size_t kBatchRecords = 1024;

void EncodeRecord(uint8_t* p, const CBaseDVFileINT::Record& record)
{
    le::Put32(p, static_cast<uint32_t>(record.time));
    for (size_t i = 0; i < record.values.size(); ++i)
        le::PutF32(p + 4 + 4 * i, record.values[i]);
}

CBaseDVFileINT::Record DecodeRecord(const uint8_t* p)
{
    CBaseDVFileINT::Record record;
    record.time = le::GetI32(p);
    for (size_t i = 0; i < record.values.size(); ++i)
        record.values[i] = le::GetF32(p + 4 + 4 * i);
    return record;
}

} // namespace

CBaseDVFileINT::~CBaseDVFileINT()
{
    CloseFile();
}

std::string CBaseDVFileINT::GetIntermediatePath(const std::string& dataPath)
{
    const size_t slash = dataPath.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart >= dataPath.size())
        return std::string();

    const size_t dot = dataPath.find_last_of('.');
    if (dot != std::string::npos && dot >= nameStart &&
        dataPath.size() - dot - 1 >= kExtensionLength) {
        std::string path = dataPath;
        path.replace(dot + 1, kExtensionLength, "INT");
        if (!SameIgnoringCase(path, dataPath))
            return path;
    }
    return dataPath + kFallbackSuffix;
}

int CBaseDVFileINT::Open(const std::string& dataPath)
{
    CloseFile();
    return OpenAt(GetIntermediatePath(dataPath));
}

int CBaseDVFileINT::Close(const std::string& dataPath)
{
    if (dataPath.empty())
        return 0;
    CloseFile();
    return CloseAt(GetIntermediatePath(dataPath));
}

int CBaseDVFileINT::OpenAt(const std::string& path)
{
    CloseFile();
    if (path.empty())
        return 0;
    m_fd.Reset(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    m_bOpen = m_fd.IsOpen() ? 1 : 0;
    return m_bOpen;
}

int CBaseDVFileINT::CloseAt(const std::string& path)
{
    if (path.empty())
        return 0;
    CloseFile();
    return std::remove(path.c_str()) == 0 || errno == ENOENT ? 1 : 0;
}

void CBaseDVFileINT::CloseFile()
{
    m_fd.Reset();
    m_bOpen = 0;
}

int CBaseDVFileINT::WritePulse(int32_t time, const std::array<float, kGateResults>& values)
{
    if (!m_bOpen)
        return 0;
    uint8_t record[kRecordSize];
    le::Put32(record, static_cast<uint32_t>(time));
    for (int i = 0; i < kGateResults; ++i)
        le::PutF32(record + 4 + 4 * i, values[static_cast<size_t>(i)]);
    return WriteAll(m_fd.Get(), record, sizeof record) ? 1 : 0;
}

int CBaseDVFileINT::ReadPulse(int32_t& time, std::array<float, kGateResults>& values)
{
    if (!m_bOpen)
        return 0;
    uint8_t record[kRecordSize] = {};
    const bool ok = ReadAll(m_fd.Get(), record, sizeof record);
    if (!ok)
        std::fill(std::begin(record), std::end(record), 0);
    time = le::GetI32(record);
    for (int i = 0; i < kGateResults; ++i)
        values[static_cast<size_t>(i)] = le::GetF32(record + 4 + 4 * i);
    return ok ? 1 : 0;
}

int CBaseDVFileINT::WriteTail(uint16_t lowest, uint16_t highest)
{
    if (!m_bOpen)
        return 0;
    uint8_t tail[kTailSize];
    le::Put16(tail, lowest);
    le::Put16(tail + 2, highest);
    return WriteAll(m_fd.Get(), tail, sizeof tail) ? 1 : 0;
}

int CBaseDVFileINT::ReadTail(uint16_t& lowest, uint16_t& highest)
{
    if (!m_bOpen)
        return 0;
    uint8_t tail[kTailSize] = {};
    const bool ok = ReadAll(m_fd.Get(), tail, sizeof tail);
    lowest = ok ? le::Get16(tail) : 0;
    highest = ok ? le::Get16(tail + 2) : 0;
    return ok ? 1 : 0;
}

int CBaseDVFileINT::WritePulses(std::span<const Record> records)
{
    if (!m_bOpen)
        return 0;
    std::vector<uint8_t> block;
    block.reserve(std::min(records.size(), kBatchRecords) * kRecordSize);
    for (size_t first = 0; first < records.size(); first += kBatchRecords) {
        const size_t n = std::min(kBatchRecords, records.size() - first);
        block.resize(n * kRecordSize);
        for (size_t i = 0; i < n; ++i)
            EncodeRecord(block.data() + i * kRecordSize, records[first + i]);
        if (!WriteAll(m_fd.Get(), block.data(), block.size()))
            return 0;
    }
    return 1;
}

int CBaseDVFileINT::ReadPulses(std::span<Record> records)
{
    if (!m_bOpen)
        return 0;
    std::vector<uint8_t> block;
    block.reserve(std::min(records.size(), kBatchRecords) * kRecordSize);
    for (size_t first = 0; first < records.size(); first += kBatchRecords) {
        const size_t n = std::min(kBatchRecords, records.size() - first);
        block.assign(n * kRecordSize, 0);
        const size_t got = ReadSome(m_fd.Get(), block.data(), block.size());
        const size_t whole = got / kRecordSize;
        for (size_t i = 0; i < n; ++i)
            records[first + i] =
                i < whole ? DecodeRecord(block.data() + i * kRecordSize) : Record{};
        if (whole < n) {
            std::fill(records.begin() + static_cast<std::ptrdiff_t>(first + n), records.end(),
                      Record{});
            return 0;
        }
    }
    return 1;
}

int CBaseDVFileINT::MoveToPulse(int n)
{
    if (!m_bOpen || n < 0)
        return 0;
    const off_t offset = static_cast<off_t>(n) * kRecordSize;
    return ::lseek(m_fd.Get(), offset, SEEK_SET) == offset ? 1 : 0;
}
