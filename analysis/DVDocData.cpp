#include "DVDocData.h"

#include "ConfigFile.h"
#include "GateCalculator.h"
#include "IntermediateLocation.h"
#include "PeakDetector.h"
#include "TimeAxis.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The largest header a recording can have: prefix, blocks, the most events
// a header may announce, and the pulse count.
constexpr size_t kMaxHeaderSize = CDataFileHeader::kPrefixSize + ConfigBlocks::kFixedSize +
                                  ConfigBlocks::kEventBlockSize * ConfigBlocks::kMaxEvents + 4;

std::string SystemError(int error)
{
    return std::strerror(error);
}

// The intermediate file keeps 16 bits of each extreme; a larger sample reads 65535 there.
uint16_t Saturated(uint32_t value)
{
    return static_cast<uint16_t>(std::min<uint32_t>(value, 65535));
}

// A path that names a regular file (a FIFO or a device would block or never end).
bool IsRegularFile(const std::string& path, int64_t& size, std::string& error)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = "cannot open " + path + ": " + SystemError(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = path + " is not a regular file";
        return false;
    }
    size = st.st_size;
    return true;
}

bool ReadFully(int fd, uint8_t* data, size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

} // namespace

ODVDocData::ODVDocData() = default;

ODVDocData::ODVDocData(Options options)
    : m_options(std::move(options)), m_peakParameters(m_options.peakParameters)
{
}

ODVDocData::~ODVDocData()
{
    Close();
}

void ODVDocData::Reset()
{
    m_bOpen = false;
    m_strPath.clear();
    m_strFileName.clear();
    m_dFileSizeMegabytes = 0.0;
    m_header = CDataFileHeader();
    m_cfg = OCfgData();
    m_descriptors = ODVChannels();
    m_offsets.clear();
    m_nCurrent = 0;
    m_current = CPulseData();
    m_chromatogram = OChromatogram();
    m_nLowestSample = 65535;
    m_nHighestSample = 0;
    m_bSamplesSeen = false;
    m_peakParameters = m_options.peakParameters;
    m_peaks = {};
    m_hasPeaks = {};
    m_salvage = CSalvageReport();
    m_strSalvageNote.clear();
    m_strTimeAxisNote.clear();
    m_strScratchPath.clear();
    m_bScratchInCache = false;
}

int ODVDocData::Open(const std::string& path, std::string& message, IProgress* progress)
{
    Close();
    m_strError.clear();
    if (!ReadHeader(path)) {
        message = kCouldNotOpen;
        return 0;
    }
    m_strPath = path;
    m_strFileName = std::filesystem::path(path).filename().string();
    Derive();

    int ok = 0;
    try {
        if (!CreateIntermediate()) {
            message = kProblemWriting;
        } else if (CalculateAndLoad(message, progress)) {
            // The calculation leaves the first pulse current for a new document.
            ok = GoToPulse(0);
            if (!ok)
                message = kProblemReading;
        }
    } catch (const std::bad_alloc&) {
        message = kNotEnoughMemory;
        m_strError = "out of memory while loading " + path;
        ok = 0;
    }
    if (!ok) {
        ReleaseScratch();
        Reset();
        return 0;
    }
    m_bOpen = true;
    return 1;
}

void ODVDocData::Close()
{
    ReleaseScratch();
    m_cfg.GetRunLog().clear();
    Reset();
}

int ODVDocData::ReadHeader(const std::string& path)
{
    int64_t size = 0;
    if (!IsRegularFile(path, size, m_strError))
        return 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_strError = "cannot open " + path + ": " + SystemError(errno);
        return 0;
    }
    std::vector<uint8_t> bytes(std::min<size_t>(static_cast<size_t>(size), kMaxHeaderSize));
    size_t have = 0;
    while (have < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        have += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(have);

    CDataFileHeader header;
    size_t used = 0;
    std::string why;
    if (!CDataFileHeader::Parse(bytes, header, used, why)) {
        m_strError = path + ": " + why;
        return 0;
    }
    m_header = std::move(header);
    m_dFileSizeMegabytes = static_cast<double>(size) / 1048576.0;
    return 1;
}

void ODVDocData::Derive()
{
    const CConfigBlockSet& records = m_header.config;
    m_cfg.Derive(records.gates, records.channels, records.board, records.events);
    m_descriptors.Rebuild(m_cfg);
}

int ODVDocData::ClaimScratch(const std::string& path)
{
    // The lock tells other documents - in this program or another - that
    // the file is taken: two calculations through one file would read each
    // other's numbers.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !m_scratch.OpenAt(path)) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return 0;
    }
    m_nScratchLock = fd;
    m_strScratchPath = path;
    return 1;
}

void ODVDocData::ReleaseScratch()
{
    if (!m_strScratchPath.empty())
        m_scratch.CloseAt(m_strScratchPath);
    if (m_nScratchLock >= 0)
        ::close(m_nScratchLock);
    m_nScratchLock = -1;
    m_strScratchPath.clear();
}

int ODVDocData::CreateIntermediate()
{
    const std::string beside = CBaseDVFileINT::GetIntermediatePath(m_strPath);
    if (ClaimScratch(beside)) {
        m_bScratchInCache = false;
        return 1;
    }
    const std::string reason =
        errno == EWOULDBLOCK ? std::string("another document uses it") : SystemError(errno);
    const std::string folder = m_options.cacheFolder.empty()
                                   ? OIntermediateLocation::UserCacheFolder()
                                   : m_options.cacheFolder;
    const std::string cached = OIntermediateLocation::CreateUnique(folder, m_strPath);
    if (!cached.empty() && ClaimScratch(cached)) {
        m_bScratchInCache = true;
        return 1;
    }
    if (!cached.empty())
        std::remove(cached.c_str());
    m_strError = "cannot create " + beside + " (" + reason + ") nor a file in " +
                 (folder.empty() ? std::string("a cache folder") : folder);
    return 0;
}

void ODVDocData::NoteExtremes(const OGateCalculator& calculator)
{
    uint32_t lowest = 0;
    uint32_t highest = 0;
    if (!calculator.GetSampleRange(lowest, highest))
        return;
    m_nLowestSample = m_bSamplesSeen ? std::min(m_nLowestSample, lowest) : lowest;
    m_nHighestSample = m_bSamplesSeen ? std::max(m_nHighestSample, highest) : highest;
    m_bSamplesSeen = true;
}

int ODVDocData::Calculate(Pass& pass, std::string& message, IProgress* progress)
{
    int64_t fileSize = 0;
    if (!IsRegularFile(m_strPath, fileSize, m_strError)) {
        message = kProblemReading;
        return 0;
    }

    OGateCalculator calculator(m_header.config.gates, m_header.config.channels, m_cfg);
    std::vector<CBaseDVFileINT::Record> records;
    std::vector<int32_t> times;
    std::vector<int32_t> indexes;
    std::vector<double> frequencies;
    const size_t expected =
        static_cast<size_t>(fileSize) / (CPulseData::kRecordFixedSize + 4 * 250);
    for (auto* v : {&times, &indexes})
        v->reserve(expected);
    records.reserve(expected);
    frequencies.reserve(expected);
    pass.offsets.reserve(expected);

    CDataFileHeader fileHeader;
    int64_t offset = -1;
    {
        OProgressSteps steps(progress, kCalculatingTask);
        const auto onPulse = [&](const CPulseData& pulse) {
            if (offset < 0)
                offset = static_cast<int64_t>(fileHeader.CountPosition()) + 4;
            pass.offsets.push_back(offset);
            offset += static_cast<int64_t>(pulse.GetCurrentSize());
            records.push_back(
                {static_cast<int32_t>(pulse.GetPulseTime()), calculator.Compute(pulse)});
            times.push_back(static_cast<int32_t>(pulse.GetPulseTime()));
            indexes.push_back(static_cast<int32_t>(pulse.GetPulseIndex()));
            frequencies.push_back(pulse.GetFrequencyPulse());
            steps.Update(static_cast<double>(offset), static_cast<double>(fileSize));
            return true;
        };
        std::string why;
        if (!CDataFileReader::Read(m_strPath, fileHeader, onPulse, pass.salvage, why))
            m_strError = why;
    }
    pass.clamped = calculator.GetClamped();
    NoteExtremes(calculator);

    OTimeAxis::Settle(times, indexes, frequencies, pass.timeAxisNote);
    for (size_t k = 0; k < records.size(); ++k)
        records[k].time = times[k];
    if (m_options.log)
        LogCalculation(records);

    // Opening afresh empties what an earlier calculation left.
    if (!m_scratch.OpenAt(m_strScratchPath) || !m_scratch.WritePulses(records) ||
        !m_scratch.WriteTail(Saturated(m_nLowestSample), Saturated(m_nHighestSample))) {
        m_strError = "cannot write " + m_strScratchPath + ": " + SystemError(errno);
        message = kProblemWriting;
        return 0;
    }
    return 1;
}

void ODVDocData::LogCalculation(const std::vector<CBaseDVFileINT::Record>& records)
{
    OCalculationLog& log = *m_options.log;
    log.Begin();
    std::string header = "Pulse,Time from start,operator";
    for (int g = 0; g < CGateParameters::kGates; ++g)
        header += "," + m_header.config.gates[g].GetModeText();
    log.Line(header);
    const int operatorCode = m_cfg.GetGateModeData(4).GetOperator();
    for (size_t k = 0; k < records.size(); ++k) {
        char line[256];
        int used = std::snprintf(line, sizeof line, "%d,%u,%d", static_cast<int>(k),
                                 static_cast<unsigned>(records[k].time), operatorCode);
        for (const float v : records[k].values)
            used += std::snprintf(line + used, sizeof line - static_cast<size_t>(used), ",%f",
                                  static_cast<double>(v));
        log.Line(line);
    }
    log.End();
}

int ODVDocData::Load(int count, OChromatogram& c, std::string& message, IProgress* progress)
{
    if (count < kMinimumPulses) {
        m_strError = m_strPath + " holds " + std::to_string(count) +
                     " pulses; a chromatogram needs " + std::to_string(kMinimumPulses);
        message = kProblemReading;
        return 0;
    }
    std::vector<CBaseDVFileINT::Record> records(static_cast<size_t>(count));
    // The tail is read to check the file is whole; the document keeps its
    // extremes at their full width.
    uint16_t lowest = 0;
    uint16_t highest = 0;
    if (!m_scratch.MoveToPulse(0) || !m_scratch.ReadPulses(records) ||
        !m_scratch.ReadTail(lowest, highest)) {
        m_strError = "cannot read back " + m_strScratchPath;
        message = kProblemReading;
        return 0;
    }

    c = OChromatogram();
    c.first = 0;
    c.last = count - 1;
    c.times.resize(static_cast<size_t>(count));
    for (auto& trace : c.traces)
        trace.resize(static_cast<size_t>(count));
    OProgressSteps steps(progress, kLoadingTask);
    for (size_t k = 0; k < records.size(); ++k) {
        steps.Update(static_cast<double>(k), static_cast<double>(c.last));
        c.times[k] = static_cast<float>(records[k].time / 100.0);
        for (size_t m = 0; m < records[k].values.size(); ++m) {
            const float v = records[k].values[m];
            if (k == 0 && m == 0) {
                c.minimum = c.maximum = v;
            } else {
                c.minimum = std::min(c.minimum, v);
                c.maximum = std::max(c.maximum, v);
            }
            c.traces[m][k] = v;
        }
    }
    c.bounds = OChromatogram::ComputeBounds(c.times, c.first, c.last, c.maximum);
    return 1;
}

int ODVDocData::CalculateAndLoad(std::string& message, IProgress* progress)
{
    Pass pass;
    OChromatogram chromatogram;
    if (!Calculate(pass, message, progress) ||
        !Load(static_cast<int>(pass.offsets.size()), chromatogram, message, progress))
        return 0;
    chromatogram.clamped = pass.clamped;
    m_offsets = std::move(pass.offsets);
    m_chromatogram = std::move(chromatogram);
    m_salvage = pass.salvage;
    m_strSalvageNote = m_salvage.Clean() ? std::string() : m_salvage.Text();
    m_strTimeAxisNote = std::move(pass.timeAxisNote);
    return 1;
}

int ODVDocData::Recalculate(std::string& message, IProgress* progress)
{
    if (!m_bOpen) {
        message = kProblemReading;
        return 0;
    }
    int ok = 0;
    try {
        ok = CalculateAndLoad(message, progress);
    } catch (const std::bad_alloc&) {
        message = kNotEnoughMemory;
        return 0;
    }
    if (ok) {
        // The pulse that was current stays current (the last one when the recording shrank).
        const int index = std::min(m_nCurrent, GetPulseCount() - 1);
        if (!GoToPulse(index))
            m_nCurrent = index;
        RedetectPeaks();
    }
    return ok;
}

int ODVDocData::SetPeakParameters(const OPeakParameters& parameters, std::string& message)
{
    if (!parameters.Check(message))
        return 0;
    m_peakParameters = parameters;
    RedetectPeaks();
    return 1;
}

OPeakIntegrator ODVDocData::GetPeakIntegrator(int trace) const
{
    if (trace < 0 || trace >= OChromatogram::kTraces)
        return OPeakIntegrator({}, {});
    const std::vector<float>& values = m_chromatogram.traces[static_cast<size_t>(trace)];
    return OPeakIntegrator(m_chromatogram.times, values, m_peakParameters.smoothing);
}

int ODVDocData::DetectPeaks(int trace, std::string& message)
{
    if (!m_bOpen) {
        message = "No document is open.";
        return 0;
    }
    if (trace < 0 || trace >= OChromatogram::kTraces) {
        message = "There is no trace " + std::to_string(trace + 1) + ".";
        return 0;
    }
    const size_t t = static_cast<size_t>(trace);
    m_peaks[t] = OPeakDetector::Detect(GetPeakIntegrator(trace), m_peakParameters);
    m_hasPeaks[t] = true;
    return 1;
}

int ODVDocData::DetectAllPeaks(std::string& message)
{
    for (int trace = 0; trace < OChromatogram::kTraces; ++trace)
        if (!DetectPeaks(trace, message))
            return 0;
    return 1;
}

void ODVDocData::RedetectPeaks()
{
    std::string ignored;
    for (int trace = 0; trace < OChromatogram::kTraces; ++trace)
        if (m_hasPeaks[static_cast<size_t>(trace)])
            DetectPeaks(trace, ignored);
}

bool ODVDocData::HasPeakList(int trace) const
{
    return trace >= 0 && trace < OChromatogram::kTraces && m_hasPeaks[static_cast<size_t>(trace)];
}

const std::vector<OPeak>& ODVDocData::GetPeaks(int trace) const
{
    static const std::vector<OPeak> none;
    return trace >= 0 && trace < OChromatogram::kTraces ? m_peaks[static_cast<size_t>(trace)]
                                                        : none;
}

int ODVDocData::SetPeaks(int trace, std::vector<OPeak> peaks, std::string& message)
{
    if (!m_bOpen || trace < 0 || trace >= OChromatogram::kTraces) {
        message = m_bOpen ? "There is no trace " + std::to_string(trace + 1) + "."
                          : "No document is open.";
        return 0;
    }
    std::sort(peaks.begin(), peaks.end(),
              [](const OPeak& a, const OPeak& b) { return a.startTime < b.startTime; });
    m_peaks[static_cast<size_t>(trace)] = std::move(peaks);
    m_hasPeaks[static_cast<size_t>(trace)] = true;
    return 1;
}

int ODVDocData::SetGateParameters(const CGateParameters& gates, std::string& message,
                                  IProgress* progress)
{
    m_header.config.gates = gates;
    Derive();
    return Recalculate(message, progress);
}

int ODVDocData::SetBoardAndChannelParameters(const CBoardParameters& board,
                                             const CChannelParameters& channels,
                                             std::string& message, IProgress* progress)
{
    m_header.config.board = board;
    m_header.config.channels = channels;
    Derive();
    return Recalculate(message, progress);
}

void ODVDocData::SetTimedEvents(const CTimedEvent& events)
{
    m_header.config.events = events;
    Derive();
}

int ODVDocData::SaveCfgFile(const std::string& path, std::string& message) const
{
    CConfigFile image;
    image.SetGateParameters(m_header.config.gates);
    image.SetBoardParameters(m_header.config.board);
    image.SetChannelParameters(m_header.config.channels);
    image.SetTimedEvent(m_header.config.events);
    if (!image.Save(path, message)) {
        if (message.empty())
            message = "Cannot write the configuration file " + path + ".";
        return 0;
    }
    return 1;
}

int ODVDocData::OpenCfgFile(const std::string& path, std::string& message, IProgress* progress)
{
    int64_t size = 0;
    std::string why;
    if (!IsRegularFile(path, size, why)) {
        message = "Cannot read the configuration file " + path + ".";
        m_strError = why;
        return 0;
    }
    CConfigFile image;
    if (!image.Open(path, message)) {
        if (message.empty())
            message = "Cannot read the configuration file " + path + ".";
        return 0;
    }
    if (image.GetTag() != CConfigFile::kTag) {
        // Such a file is read no further; taking its untouched records would
        // silently empty every gate.
        message = path + " is not a configuration file.";
        return 0;
    }
    m_header.config.gates = image.GetGateParameters();
    m_header.config.board = image.GetBoardParameters();
    m_header.config.channels = image.GetChannelParameters();
    m_header.config.events = image.GetTimedEvent();
    Derive();
    return Recalculate(message, progress);
}

int ODVDocData::ReadPulseAt(int index, CPulseData& pulse)
{
    const int fd = ::open(m_strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_strError = "cannot open " + m_strPath + ": " + SystemError(errno);
        return 0;
    }
    const off_t offset = static_cast<off_t>(m_offsets[static_cast<size_t>(index)]);
    std::vector<uint8_t> record(CPulseData::kRecordFixedSize);
    bool ok = ReadFully(fd, record.data(), record.size(), offset);
    if (ok) {
        const int32_t samples = le::GetI32(&record[36]);
        ok = samples >= 0 && samples <= CDataFileReader::kMaxSamples;
        if (ok) {
            record.resize(CPulseData::kRecordFixedSize + 4 * static_cast<size_t>(samples));
            ok = ReadFully(fd, record.data() + CPulseData::kRecordFixedSize,
                           record.size() - CPulseData::kRecordFixedSize,
                           offset + static_cast<off_t>(CPulseData::kRecordFixedSize));
        }
    }
    ::close(fd);
    size_t used = 0;
    if (!ok || !pulse.ParseRecord(record, used)) {
        m_strError = "cannot read pulse " + std::to_string(index + 1) + " of " + m_strPath;
        return 0;
    }
    return 1;
}

int ODVDocData::GoToPulse(int index)
{
    if (index < 0 || index >= GetPulseCount())
        return 0;
    CPulseData pulse;
    if (!ReadPulseAt(index, pulse))
        return 0;
    m_current = pulse;
    m_nCurrent = index;
    return 1;
}

int ODVDocData::NextPulse()
{
    return HasNextPulse() ? GoToPulse(m_nCurrent + 1) : 0;
}

int ODVDocData::PreviousPulse()
{
    return HasPreviousPulse() ? GoToPulse(m_nCurrent - 1) : 0;
}

double ODVDocData::GetCurrentPulseTime() const
{
    const OChromatogram& c = m_chromatogram;
    if (m_nCurrent < c.first || m_nCurrent > c.last || m_nCurrent >= c.GetCount())
        return -1.0;
    return c.times[static_cast<size_t>(m_nCurrent)];
}
