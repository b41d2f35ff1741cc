#include "DataFile.h"

#include "ByteOrder.h"
#include "FileUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string SystemError(int error) { return CFileUtil::ErrnoText(error); }

bool WriteCountAt(int fd, int64_t position, int32_t count, int& error)
{
    uint8_t bytes[4];
    le::Put32(bytes, static_cast<uint32_t>(count));
    return CFileUtil::WriteAllAt(fd, bytes, sizeof bytes, position, error) == sizeof bytes;
}

} // namespace

// ---------------------------------------------------------------------------
// Header

void CDataFileHeader::StampNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local)) {
        hour = minute = -1;
        year = month = day = 0;
        return;
    }
    hour = local.tm_hour;
    minute = local.tm_min;
    year = local.tm_year + 1900;
    month = local.tm_mon + 1;
    day = local.tm_mday;
}

void CDataFileHeader::Append(std::vector<uint8_t>& out) const
{
    le::Writer w(out);
    for (int32_t v : {tag, hour, minute, year, month, day})
        w.I32(v);
    ConfigBlocks::AppendSequence(out, config);
}

int CDataFileHeader::Parse(std::span<const uint8_t> bytes, CDataFileHeader& header, size_t& used,
                           std::string& message)
{
    if (bytes.size() < kPrefixSize) {
        message = "the file is too short for a data file header (" + std::to_string(bytes.size()) +
                  " bytes)";
        return 0;
    }
    CDataFileHeader scratch;
    le::Reader r(bytes);
    scratch.tag = r.I32();
    scratch.hour = r.I32();
    scratch.minute = r.I32();
    scratch.year = r.I32();
    scratch.month = r.I32();
    scratch.day = r.I32();
    size_t sequence = 0;
    std::string why;
    if (!ConfigBlocks::ParseSequence(bytes.subspan(kPrefixSize), scratch.config, sequence, why)) {
        message = "the header is damaged: " + why;
        return 0;
    }
    used = kPrefixSize + sequence;
    header = std::move(scratch);
    return 1;
}

// ---------------------------------------------------------------------------
// Writer

CDataFileWriter::~CDataFileWriter()
{
    if (IsOpen()) {
        std::string ignored;
        Close(ignored);
    }
}

int CDataFileWriter::Create(const std::string& path, const CDataFileHeader& header,
                            std::string& message)
{
    if (IsOpen()) {
        message = "a recording is already open (" + m_strPath + ")";
        return 0;
    }
    // Plain write mode, never append: the count is rewritten in place.
    CFileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.IsOpen()) {
        message = "cannot create " + path + ": " + SystemError(errno);
        return 0;
    }
    std::vector<uint8_t> bytes;
    header.Append(bytes);
    const size_t countPosition = bytes.size();
    bytes.resize(countPosition + 4, 0);
    int error = 0;
    if (CFileUtil::WriteAll(fd.Get(), bytes.data(), bytes.size(), error) != bytes.size()) {
        message = "cannot write the header of " + path + ": " + SystemError(error);
        fd.Reset();
        ::unlink(path.c_str());
        return 0;
    }
    // A file that vanishes with its folder entry after a power cut is lost
    // however well its data was flushed.
    ::fdatasync(fd.Get());
    CFileUtil::SyncFolderOf(path, error);

    m_fd = std::move(fd);
    m_strPath = path;
    m_nCountPosition = static_cast<int64_t>(countPosition);
    m_nEnd = static_cast<int64_t>(bytes.size());
    m_nAppended = 0;
    m_nCheckpoints = 0;
    {
        std::lock_guard guard(m_threadLock);
        m_bStop = false;
        m_strCheckpointError.clear();
    }
    m_bCheckpointFailed = false;
    m_thread = std::thread([this] { CheckpointLoop(); });
    return 1;
}

int CDataFileWriter::Append(const CPulseData& pulse, std::string& message)
{
    if (!IsOpen()) {
        message = "no recording is open";
        return 0;
    }
    if (m_bCheckpointFailed.load(std::memory_order_relaxed)) {
        std::string error;
        {
            std::lock_guard guard(m_threadLock);
            error = m_strCheckpointError;
        }
        return Finish(message, error);
    }
    std::vector<uint8_t>& record = m_record;
    record.clear();
    record.reserve(pulse.GetCurrentSize());
    pulse.AppendRecord(record);
    int error = 0;
    const size_t written = CFileUtil::WriteAll(m_fd.Get(), record.data(), record.size(), error);
    if (written != record.size()) {
        // Leave no torn record behind: the file ends after the last whole one.
        if (written > 0 && ::ftruncate(m_fd.Get(), static_cast<off_t>(m_nEnd)) == 0)
            ::lseek(m_fd.Get(), static_cast<off_t>(m_nEnd), SEEK_SET);
        return Finish(message, "cannot write to " + m_strPath + ": " + SystemError(error));
    }
    m_nEnd += static_cast<int64_t>(record.size());
    ++m_nAppended;
    return 1;
}

int CDataFileWriter::Close(std::string& message)
{
    if (!IsOpen()) {
        message = "no recording is open";
        return 0;
    }
    return Finish(message, "");
}

int CDataFileWriter::Finish(std::string& message, const std::string& failure)
{
    StopCheckpoints();
    std::string error = failure;
    // The final count, then one more flush so that it is durable as well.
    int code = 0;
    if (::fdatasync(m_fd.Get()) != 0 && error.empty())
        error = "cannot flush " + m_strPath + ": " + SystemError(errno);
    if (!WriteCountAt(m_fd.Get(), m_nCountPosition, m_nAppended, code) && error.empty())
        error = "cannot write the pulse count of " + m_strPath + ": " + SystemError(code);
    if (::fdatasync(m_fd.Get()) != 0 && error.empty())
        error = "cannot flush " + m_strPath + ": " + SystemError(errno);
    if ((code = m_fd.Close()) != 0 && error.empty())
        error = "cannot close " + m_strPath + ": " + SystemError(code);
    if (error.empty())
        return 1;
    message = "Recording stopped: " + error + ". The file keeps the " +
              std::to_string(m_nAppended.load()) + " pulses recorded until then.";
    return 0;
}

void CDataFileWriter::StopCheckpoints()
{
    {
        std::lock_guard guard(m_threadLock);
        m_bStop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool CDataFileWriter::Checkpoint(std::string& error)
{
    std::lock_guard guard(m_syncLock);
    // Every record counted here was written before the flush began, so the
    // flush covers it: the count can never run ahead of the data.
    const int32_t count = m_nAppended.load();
    if (::fdatasync(m_fd.Get()) != 0) {
        error = "cannot flush " + m_strPath + ": " + SystemError(errno);
        return false;
    }
    int code = 0;
    if (!WriteCountAt(m_fd.Get(), m_nCountPosition, count, code)) {
        error = "cannot write the pulse count of " + m_strPath + ": " + SystemError(code);
        return false;
    }
    ++m_nCheckpoints;
    return true;
}

void CDataFileWriter::CheckpointLoop()
{
    std::unique_lock guard(m_threadLock);
    while (!m_bStop) {
        if (m_wake.wait_for(guard, m_interval, [this] { return m_bStop; }))
            break;
        guard.unlock();
        std::string error;
        const bool ok = Checkpoint(error);
        guard.lock();
        if (!ok) {
            m_strCheckpointError = error;
            m_bCheckpointFailed = true;
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// Reader

std::string CSalvageReport::Text() const
{
    std::string text;
    if (CountWasLow())
        text = "The header counted " + std::to_string(storedCount) + " pulses but the file holds " +
               std::to_string(foundCount) + " complete ones (a recording that did not finish); all " +
               std::to_string(foundCount) + " were recovered.";
    else if (CountWasHigh())
        text = "The header counted " + std::to_string(storedCount) +
               " pulses but only the first " + std::to_string(foundCount) + " could be read.";
    if (tornBytes > 0) {
        text += text.empty() ? "" : " ";
        if (stopReason.empty())
            text += "The last " + std::to_string(tornBytes) +
                    " bytes hold no complete pulse and were left out.";
        else
            text += "The last " + std::to_string(tornBytes) + " bytes (from byte " +
                    std::to_string(leftOutFrom) + ") were left out: " + stopReason + ".";
    }
    return text;
}

namespace {

// Reads a file front to back through one buffer that holds the current record
// and what follows it. The buffer stays small enough to sit in the processor's
// cache, so decoding a record reads what the system has just copied in, and a
// refill moves at most the start of one record.
class CBlockReader {
public:
    static constexpr size_t kBlockSize = 128 * 1024;

    explicit CBlockReader(int fd) : m_fd(fd), m_buffer(kBlockSize) {}

    // Makes n bytes available at Data(); false when the file ends (or cannot
    // be read) first, with whatever there is still available.
    bool Ensure(size_t n)
    {
        if (m_have - m_pos >= n)
            return true;
        if (m_atEnd)
            return false;
        if (m_pos > 0) {
            std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_have - m_pos);
            m_have -= m_pos;
            m_pos = 0;
        }
        if (n > m_buffer.size())
            m_buffer.resize(std::max(n, 2 * m_buffer.size()));
        while (m_have < n && !m_atEnd) {
            const ssize_t r = ::read(m_fd, m_buffer.data() + m_have, m_buffer.size() - m_have);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                m_error = errno;
            if (r <= 0) {
                m_atEnd = true;
                break;
            }
            m_have += static_cast<size_t>(r);
        }
        return m_have - m_pos >= n;
    }
    const uint8_t* Data() const { return m_buffer.data() + m_pos; }
    size_t Available() const { return m_have - m_pos; }
    void Consume(size_t n)
    {
        m_pos += n;
        m_offset += static_cast<int64_t>(n);
    }
    // File offset of Data().
    int64_t Offset() const { return m_offset; }
    int Error() const { return m_error; }

private:
    int m_fd;
    std::vector<uint8_t> m_buffer;
    size_t m_have = 0;
    size_t m_pos = 0;
    int64_t m_offset = 0;
    bool m_atEnd = false;
    int m_error = 0;
};

bool AllZero(const uint8_t* bytes, size_t size)
{
    return std::all_of(bytes, bytes + size, [](uint8_t b) { return b == 0; });
}

std::string RecordName(int32_t k) { return "record " + std::to_string(k + 1); }

} // namespace

int CDataFileReader::Read(const std::string& path, CDataFileHeader& header,
                          const std::function<bool(const CPulseData&)>& onPulse,
                          CSalvageReport& report, std::string& message)
{
    report = {};
    std::string error;
    CFileDescriptor fd = CFileUtil::OpenForReading(path, error);
    if (!fd.IsOpen()) {
        message = error;
        return 0;
    }
    struct stat st {};
    ::fstat(fd.Get(), &st);
    report.fileSize = st.st_size;

    // The prefix and the event count tell how long the header is.
    CBlockReader in(fd.Get());
    constexpr size_t kEventCountAt = CDataFileHeader::kPrefixSize + ConfigBlocks::kFixedSize - 4;
    if (in.Ensure(kEventCountAt + 4)) {
        const int32_t events = le::GetI32(in.Data() + kEventCountAt);
        if (events > 0 && events <= ConfigBlocks::kMaxEvents)
            in.Ensure(kEventCountAt + 4 + ConfigBlocks::kEventBlockSize * static_cast<size_t>(events) + 4);
    }
    size_t used = 0;
    if (!CDataFileHeader::Parse({in.Data(), in.Available()}, header, used, message) ||
        in.Available() - used < 4) {
        if (message.empty())
            message = "the file ends before its pulse count";
        message = path + ": " + message;
        return 0;
    }
    report.storedCount = le::GetI32(in.Data() + used);
    in.Consume(used + 4);

    // Records up to the stored count were counted by the writer after they
    // reached the disk; records past it are salvage and must look like the
    // continuation of the recording, or they are not believed.
    CPulseData pulse;
    int32_t recordingSamples = -1;
    int32_t previousIndex = 0;
    bool keepGoing = true;
    for (int32_t k = 0; keepGoing; ++k) {
        if (!in.Ensure(CPulseData::kRecordFixedSize))
            break;
        const int32_t samples = le::GetI32(in.Data() + 36);
        const bool sizeOk = k == 0 ? samples >= 0 && samples <= kMaxSamples
                                   : samples == recordingSamples;
        if (samples == 0 || !sizeOk) {
            if (AllZero(in.Data(), CPulseData::kRecordFixedSize)) {
                report.stopReason = RecordName(k) + " is all zeros (space the system had not "
                                                    "filled yet, as a power cut leaves it)";
                break;
            }
            if (!sizeOk) {
                report.stopReason =
                    RecordName(k) + " gives " + std::to_string(samples) + " samples" +
                    (k == 0 ? std::string(", more than a pulse can hold")
                            : ", the recording's pulses have " + std::to_string(recordingSamples));
                break;
            }
        }
        const size_t size = CPulseData::kRecordFixedSize + 4 * static_cast<size_t>(samples);
        if (!in.Ensure(size))
            break;
        const int32_t index = le::GetI32(in.Data() + 8);
        if (k > 0 && k >= report.storedCount && index <= previousIndex) {
            report.stopReason = RecordName(k) + " gives pulse index " + std::to_string(index) +
                                ", which does not follow " + std::to_string(previousIndex);
            break;
        }
        pulse.ParseRecord({in.Data(), size}, used);
        recordingSamples = samples;
        previousIndex = index;
        in.Consume(size);
        ++report.foundCount;
        keepGoing = !onPulse || onPulse(pulse);
    }
    if (keepGoing) {
        if (in.Error() != 0 && report.stopReason.empty())
            report.stopReason = "the file cannot be read past this point (" +
                                CFileUtil::ErrnoText(in.Error()) + ")";
        report.leftOutFrom = in.Offset();
        report.tornBytes = std::max<int64_t>(0, report.fileSize - in.Offset());
    }
    if (report.foundCount == 0) {
        message = path + ": the recording holds no pulses";
        if (!report.stopReason.empty())
            message += " (" + report.stopReason + ")";
        return 0;
    }
    return 1;
}

int CDataFileReader::ReadAll(const std::string& path, CDataFileHeader& header,
                             std::vector<CPulseData>& pulses, CSalvageReport& report,
                             std::string& message)
{
    pulses.clear();
    return Read(
        path, header,
        [&](const CPulseData& pulse) {
            pulses.push_back(pulse);
            pulses.back().SetReserved1(pulse.GetReserved1());
            pulses.back().SetReserved2(pulse.GetReserved2());
            return true;
        },
        report, message);
}

std::string CDataFileReader::BackupPath(const std::string& path) { return path + ".bak"; }

int CDataFileReader::Repair(const std::string& path, const std::string& copyPath,
                            CSalvageReport& report, std::string& message)
{
    CDataFileHeader header;
    if (!Read(path, header, nullptr, report, message))
        return 0;
    std::string target = path;
    if (!copyPath.empty()) {
        if (!CFileUtil::CopyFileDurably(path, copyPath, message, true))
            return 0;
        target = copyPath;
    } else if (report.foundCount == report.storedCount) {
        return 1; // nothing to mend
    } else if (report.CountWasHigh()) {
        // A lower count hides records: the untouched original stays beside it.
        const std::string backup = BackupPath(path);
        struct stat st {};
        if (::lstat(backup.c_str(), &st) == 0) {
            message = "the pulse count of " + path + " would go down from " +
                      std::to_string(report.storedCount) + " to " +
                      std::to_string(report.foundCount) + ", and the original would be kept as " +
                      backup + ", but that file exists already; move it away first";
            return 0;
        }
        if (!CFileUtil::CopyFileDurably(path, backup, message))
            return 0;
        report.originalKeptAs = backup;
    }
    CFileDescriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        message = "cannot open " + target + " for writing: " + SystemError(errno);
        return 0;
    }
    int code = 0;
    if (!WriteCountAt(fd.Get(), static_cast<int64_t>(header.CountPosition()), report.foundCount,
                      code) ||
        (::fsync(fd.Get()) != 0 && (code = errno) != 0) || (code = fd.Close()) != 0) {
        message = "cannot write the pulse count of " + target + ": " + SystemError(code);
        return 0;
    }
    return 1;
}
