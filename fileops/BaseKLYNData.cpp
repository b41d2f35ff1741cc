#include "BaseKLYNData.h"

#include "ByteOrder.h"
#include "FilePaths.h"
#include "KLYNGenUtil.h"
#include "MessageService.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr size_t kCountSize = 4;

int32_t SaturateToI32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

void CBaseKLYNData::SetSystemDataParam(float maxFileSize, float currentFileSize,
                                       const std::string& diskPath, float minFreeSpace)
{
    m_fMaxFileSize = maxFileSize;
    m_fCurrentFileSize = currentFileSize;
    m_strDiskPath = diskPath;
    m_fMinFreeSpace = minFreeSpace;
}

void CBaseKLYNData::AssignHeaderVariables()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) {
        SetHeaderValues(-1, -1, 0, 0, 0);
        return;
    }
    SetHeaderValues(static_cast<short>(local.tm_hour), static_cast<short>(local.tm_min),
                    static_cast<short>(local.tm_year + 1900), static_cast<short>(local.tm_mon + 1),
                    static_cast<short>(local.tm_mday));
}

void CBaseKLYNData::SetHeaderValues(short hour, short minute, short year, short month, short day)
{
    m_nHeader[1] = hour;
    m_nHeader[2] = minute;
    m_nHeader[3] = year;
    m_nHeader[4] = month;
    m_nHeader[5] = day;
}

int32_t CBaseKLYNData::GetRebuiltTime(int index, int32_t fallback) const
{
    return index >= 0 && static_cast<size_t>(index) < m_rebuiltTimes.size()
               ? m_rebuiltTimes[static_cast<size_t>(index)]
               : fallback;
}

std::string CBaseKLYNData::GetDefaultConfigPath() const
{
    return m_strDefaultConfigPath.empty() ? CFilePaths::GetAppPath() + "default.cfg"
                                          : m_strDefaultConfigPath;
}

int CBaseKLYNData::Io(OFileIO& file, std::string& message)
{
    if (file.IsWriting()) {
        m_nHeaderTag = kTag;
        uint8_t header[kHeaderSize];
        le::Put32(header, static_cast<uint32_t>(kTag));
        for (int i = 0; i < 6; ++i)
            le::Put16(header + 4 + 2 * i, static_cast<uint16_t>(m_nHeader[i]));
        return file.Write(header, sizeof header) ? 1 : FailWrite(message);
    }

    uint8_t header[kHeaderSize];
    if (file.Read(header, 4) && le::GetI32(header) == kTag) {
        if (!file.Read(header + 4, kHeaderSize - 4)) {
            message = kInvalidFormat;
            return 0;
        }
        for (int i = 0; i < 6; ++i)
            m_nHeader[i] = le::GetI16(header + 4 + 2 * i);
        m_nHeaderTag = kTag;
        return 1;
    }
    if (file.Fseek(kOldVersionTagAt, SEEK_SET) != 0) {
        message = kInvalidFormat;
        return 0;
    }
    uint8_t tag[4];
    message = file.Read(tag, sizeof tag) && le::GetI32(tag) == kOldVersionTag ? kOldVersion
                                                                              : kInvalidFormat;
    return 0;
}

int CBaseKLYNData::CheckSpace(std::string& message)
{
    const int64_t position = m_dataFile.Ftell();
    m_fCurrentFileSize = position > 0 ? static_cast<float>(position) / kBytesPerMegabyte : 0.0f;

    int result = 1;
    if (m_fMaxFileSize < m_fCurrentFileSize) {
        message = kMaxSizeExceeded;
        result = 0;
    }

    // The 64-bit answer: a 32-bit one stops at 4 GiB and would fail any
    // minimum above 4096 MB on every disk.
    std::string disk = m_strDiskPath;
    if (disk.empty()) {
        const size_t slash = m_strDataPath.find_last_of('/');
        disk = slash == std::string::npos ? "." : m_strDataPath.substr(0, slash == 0 ? 1 : slash);
    }
    const float freeSpace =
        static_cast<float>(CKLYNGenUtil::GetDiskFree64(disk)) / kBytesPerMegabyte;
    if (m_fMinFreeSpace > freeSpace) {
        message = kMinFreeReached;
        return 0;
    }
    return result;
}

int CBaseKLYNData::FailWrite(std::string& message)
{
    message = kWriteFailed;
    return 0;
}

int CBaseKLYNData::WriteHeader(CBaseConfigDataIo& config, int firstRunLogLine,
                               const std::string& path, std::string& message, int& done)
{
    done = 0;
    AssignHeaderVariables();
    m_nFirstRunLogLine = firstRunLogLine;
    m_nPulseCount = 0;
    m_bUseDeltas = 0;
    m_rebuiltTimes.clear();
    m_strDataPath = path;

    if (!m_dataFile.Open(path, IO_WRITE)) {
        m_dataFile.Close();
        done = 1;
        return 0;
    }
    // A file that may not grow is left open but empty; the next append or
    // the footer meets the same limit and closes it.
    if (!CheckSpace(message)) {
        done = 1;
        return 0;
    }
    if (!Io(m_dataFile, message) || !config.Io(m_dataFile, message))
        return 0;
    m_nCountPosition = m_dataFile.Ftell();
    uint8_t count[kCountSize] = {};
    if (!m_dataFile.Write(count, sizeof count))
        return FailWrite(message);
    done = 1;
    return 1;
}

int CBaseKLYNData::AppendPulse(CPulseDataBase& pulse, std::string& message)
{
    if (!m_dataFile.IsOpen())
        return 0;
    if (!CheckSpace(message)) {
        m_dataFile.Close();
        return 0;
    }
    // Written through the data file itself, so the pulse needs no stream of
    // its own; the count only counts records that reached the file.
    if (m_nPulseCount == INT32_MAX || !pulse.Io(m_dataFile))
        return FailWrite(message);
    ++m_nPulseCount;
    return 1;
}

int CBaseKLYNData::WriteFooter(CBaseConfigDataIo& config, int& done, std::string& message)
{
    done = 0;
    int result = 1;
    if (!CheckSpace(message)) {
        m_dataFile.Close();
        result = 0;
    } else if (m_dataFile.IsOpen()) {
        const std::vector<std::string>& log = config.GetRunLog();
        bool ok = true;
        for (size_t i = static_cast<size_t>(std::max(m_nFirstRunLogLine, 0)); ok && i < log.size();
             ++i)
            ok = m_dataFile.Write(log[i].data(), log[i].size()) == 1;
        uint8_t count[kCountSize];
        le::Put32(count, static_cast<uint32_t>(m_nPulseCount));
        ok = ok && m_dataFile.Fseek(m_nCountPosition, SEEK_SET) == 0 &&
             m_dataFile.Write(count, sizeof count) && std::fflush(m_dataFile.GetFp()) == 0;
        m_dataFile.Close();
        if (!ok)
            result = FailWrite(message);
    }
    done = 1;
    return result;
}

int CBaseKLYNData::ReadHeader(CBaseConfigDataIo& config, const std::string& path,
                              std::string& message, int& done)
{
    done = 0;
    m_nPulseCount = 0;
    m_bUseDeltas = 0;
    m_rebuiltTimes.clear();
    m_strDataPath = path;

    // A file that cannot be opened is no file with a bad header: the user
    // is not told that default.cfg stands in for it.
    if (!m_dataFile.Open(path, IO_READ) || !CheckSpace(message)) {
        m_dataFile.Close();
        done = 1;
        return 0;
    }
    if (!Io(m_dataFile, message) || !config.Io(m_dataFile, message)) {
        m_dataFile.Close();
        return 0;
    }

    m_nCountPosition = m_dataFile.Ftell();
    uint8_t count[kCountSize];
    const bool haveCount = m_dataFile.Read(count, sizeof count) == 1;
    const int32_t stored = haveCount ? le::GetI32(count) : 0;
    if (haveCount && stored == 0) {
        m_dataFile.Close();
        done = 1;
        return 0;
    }
    // Weighed against the bytes that follow before anything is sized by it.
    const int64_t recordsPresent =
        m_dataFile.Remaining() / static_cast<int64_t>(CPulseDataBase::kRecordSize);
    if (!haveCount || stored < 0 || stored > recordsPresent) {
        m_dataFile.Close();
        CMessageService::Show(kCorrupt, "", MessageIcon::Error);
        return 0;
    }
    m_nPulseCount = stored;

    VerifyTimeStamps();
    m_dataFile.Fseek(GetFirstPulseOffset(), SEEK_SET);
    if (m_bUseDeltas)
        RebuildTimes();
    m_dataFile.Fseek(GetFirstPulseOffset() +
                         static_cast<int64_t>(CPulseDataBase::kRecordSize) * m_nPulseCount,
                     SEEK_SET);
    ReadRunLog(config);
    m_dataFile.Close();

    if (config.GetNumGateModes() != 0) {
        done = 1;
        return 1;
    }
    CMessageService::Show(kInvalidHeader, "", MessageIcon::Warning);
    std::string ignored;
    if (config.ReadConfig(GetDefaultConfigPath(), ignored)) {
        done = 1;
        return 1;
    }
    CMessageService::Show(kDefaultNotFound, "", MessageIcon::Error);
    return 0;
}

int CBaseKLYNData::VerifyTimeStamps()
{
    if (m_nPulseCount < 2)
        return 0;
    // Never make room for more records than the file can hold from here.
    const int64_t recordsPresent =
        m_dataFile.Remaining() / static_cast<int64_t>(CPulseDataBase::kRecordSize);
    if (m_nPulseCount > recordsPresent)
        return 0;

    uint8_t first[4];
    uint8_t second[4];
    if (!m_dataFile.Read(first, sizeof first) ||
        m_dataFile.Skip(static_cast<int64_t>(CPulseDataBase::kRecordSize) - 4) != 0 ||
        !m_dataFile.Read(second, sizeof second))
        return 0;
    if (le::Get32(first) != le::Get32(second))
        return 0;

    CMessageService::Show(kManualStart, "", MessageIcon::Information);
    m_bUseDeltas = 1;
    m_rebuiltTimes.assign(static_cast<size_t>(m_nPulseCount), 0);
    return 1;
}

int CBaseKLYNData::RebuildTimes()
{
    uint8_t record[CPulseDataBase::kRecordSize];
    int64_t sum = 0;
    for (size_t i = 0; i < m_rebuiltTimes.size(); ++i) {
        if (!m_dataFile.Read(record, sizeof record))
            return 0;
        sum += le::GetI16(record + CPulseDataBase::kTimeSinceLastPulseAt);
        m_rebuiltTimes[i] = SaturateToI32(sum);
    }
    return 1;
}

void CBaseKLYNData::ReadRunLog(CBaseConfigDataIo& config)
{
    FILE* fp = m_dataFile.GetFp();
    std::vector<std::string>& log = config.GetRunLog();
    std::string piece;
    for (size_t pieces = 0; fp && pieces < kMaxRunLogPieces; ++pieces) {
        piece.clear();
        int c = 0;
        while (piece.size() < kRunLogPiece && (c = std::getc(fp)) != EOF) {
            piece.push_back(static_cast<char>(c));
            if (c == '\n')
                break;
        }
        if (piece.empty())
            return;
        log.push_back(piece);
    }
}
