#include "DataFile.h"

#include "ByteOrder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string SystemError(int error) { return std::strerror(error); }

// Writes all of bytes at the current offset; returns the bytes written.
size_t WriteAll(int fd, const uint8_t* bytes, size_t size, int& error)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t w = ::write(fd, bytes + done, size - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            error = w < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(w);
    }
    return done;
}

bool WriteCountAt(int fd, int64_t position, int32_t count)
{
    uint8_t bytes[4];
    le::Put32(bytes, static_cast<uint32_t>(count));
    return ::pwrite(fd, bytes, 4, static_cast<off_t>(position)) == 4;
}

void SyncFolderOf(const std::string& path)
{
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        message = "cannot create " + path + ": " + SystemError(errno);
        return 0;
    }
    std::vector<uint8_t> bytes;
    header.Append(bytes);
    const size_t countPosition = bytes.size();
    bytes.resize(countPosition + 4, 0);
    int error = 0;
    if (WriteAll(fd, bytes.data(), bytes.size(), error) != bytes.size()) {
        message = "cannot write the header of " + path + ": " + SystemError(error);
        ::close(fd);
        ::unlink(path.c_str());
        return 0;
    }
    // A file that vanishes with its folder entry after a power cut is lost
    // however well its data was flushed.
    ::fdatasync(fd);
    SyncFolderOf(path);

    m_fd = fd;
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
    const size_t written = WriteAll(m_fd, record.data(), record.size(), error);
    if (written != record.size()) {
        // Leave no torn record behind: the file ends after the last whole one.
        if (written > 0 && ::ftruncate(m_fd, static_cast<off_t>(m_nEnd)) == 0)
            ::lseek(m_fd, static_cast<off_t>(m_nEnd), SEEK_SET);
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
    if (::fdatasync(m_fd) != 0 && error.empty())
        error = "cannot flush " + m_strPath + ": " + SystemError(errno);
    if (!WriteCountAt(m_fd, m_nCountPosition, m_nAppended) && error.empty())
        error = "cannot write the pulse count of " + m_strPath + ": " + SystemError(errno);
    if (::fdatasync(m_fd) != 0 && error.empty())
        error = "cannot flush " + m_strPath + ": " + SystemError(errno);
    if (::close(m_fd) != 0 && error.empty())
        error = "cannot close " + m_strPath + ": " + SystemError(errno);
    m_fd = -1;
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
    if (::fdatasync(m_fd) != 0) {
        error = "cannot flush " + m_strPath + ": " + SystemError(errno);
        return false;
    }
    if (!WriteCountAt(m_fd, m_nCountPosition, count)) {
        error = "cannot write the pulse count of " + m_strPath + ": " + SystemError(errno);
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
        text = "The header counted " + std::to_string(storedCount) + " pulses but the file holds only " +
               std::to_string(foundCount) + "; the count was cut to what is there.";
    if (tornBytes > 0)
        text += std::string(text.empty() ? "" : " ") + "The last " + std::to_string(tornBytes) +
                " bytes hold no complete pulse and were left out.";
    return text;
}

int CDataFileReader::Read(const std::string& path, CDataFileHeader& header,
                          const std::function<bool(const CPulseData&)>& onPulse,
                          CSalvageReport& report, std::string& message)
{
    report = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        message = "cannot open " + path + ": " + SystemError(errno);
        return 0;
    }
    struct stat st{};
    ::fstat(fd, &st);
    report.fileSize = st.st_size;

    // The largest header (10000 events) and the largest record fit in 1 MiB;
    // a smaller file needs no more than its own size.
    constexpr size_t kBufferSize = 1u << 20;
    const auto fileSize = static_cast<size_t>(st.st_size > 0 ? st.st_size : 0);
    std::vector<uint8_t> buffer(std::clamp<size_t>(fileSize, 4096, kBufferSize));
    size_t have = 0;
    bool atEnd = false;
    const auto fill = [&](size_t from) {
        if (from > 0) {
            std::memmove(buffer.data(), buffer.data() + from, have - from);
            have -= from;
        }
        while (have < buffer.size() && !atEnd) {
            const ssize_t r = ::read(fd, buffer.data() + have, buffer.size() - have);
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                atEnd = true;
                break;
            }
            have += static_cast<size_t>(r);
        }
    };
    fill(0);

    size_t pos = 0;
    if (!CDataFileHeader::Parse({buffer.data(), have}, header, pos, message) || have - pos < 4) {
        if (message.empty())
            message = "the file ends before its pulse count";
        message = path + ": " + message;
        ::close(fd);
        return 0;
    }
    report.storedCount = le::GetI32(&buffer[pos]);
    pos += 4;

    CPulseData pulse;
    bool keepGoing = true;
    while (keepGoing) {
        if (have - pos < CPulseData::kRecordFixedSize || (!atEnd && have - pos < 64 * 1024)) {
            if (!atEnd) {
                fill(pos);
                pos = 0;
                continue;
            }
            if (have - pos < CPulseData::kRecordFixedSize)
                break;
        }
        const int32_t samples = le::GetI32(&buffer[pos + 36]);
        if (samples < 0 || samples > kMaxSamples)
            break;
        const size_t size = CPulseData::kRecordFixedSize + 4 * static_cast<size_t>(samples);
        if (have - pos < size) {
            if (atEnd)
                break;
            fill(pos);
            pos = 0;
            continue;
        }
        size_t used = 0;
        pulse.ParseRecord({buffer.data() + pos, size}, used);
        pos += size;
        ++report.foundCount;
        keepGoing = !onPulse || onPulse(pulse);
    }
    if (keepGoing) {
        // What is left can only be the start of a record that never finished.
        while (!atEnd)
            fill(pos), pos = 0;
        report.tornBytes = static_cast<int64_t>(have - pos);
    }
    ::close(fd);
    if (report.foundCount == 0) {
        message = path + ": the recording holds no pulses";
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

int CDataFileReader::Repair(const std::string& path, const std::string& copyPath,
                            CSalvageReport& report, std::string& message)
{
    CDataFileHeader header;
    if (!Read(path, header, nullptr, report, message))
        return 0;
    std::string target = path;
    if (!copyPath.empty()) {
        std::error_code ec;
        std::filesystem::copy_file(path, copyPath, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) {
            message = "cannot copy " + path + " to " + copyPath + ": " + ec.message();
            return 0;
        }
        target = copyPath;
    }
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        message = "cannot open " + target + " for writing: " + SystemError(errno);
        return 0;
    }
    const bool ok = WriteCountAt(fd, static_cast<int64_t>(header.CountPosition()), report.foundCount) &&
                    ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    if (!ok) {
        message = "cannot write the pulse count of " + target + ": " + SystemError(saved);
        return 0;
    }
    return 1;
}
