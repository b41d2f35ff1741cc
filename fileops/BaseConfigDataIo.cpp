#include "BaseConfigDataIo.h"

#include <cstdio>

namespace {

const char kWriteFailed[] = "Could not write the configuration record.";

void AppendCoefficients(le::Writer& w, const std::array<float, 4>& coefficients)
{
    for (float c : coefficients)
        w.F32(c);
}

void ParseCoefficients(le::Reader& r, std::array<float, 4>& coefficients)
{
    for (float& c : coefficients)
        c = r.F32();
}

// Offsets of N and M in the fixed part.
constexpr size_t kGateModeCountAt = 4;
constexpr size_t kEventCountAt = 96;

// Bytes the gate modes and events behind the fixed part need, or -1 when the
// counts cannot belong to a record.
int64_t VariableSize(int16_t gate_modes, int32_t events)
{
    if (gate_modes < 0 || gate_modes > CBaseConfigDataIo::kMaxGateModes || events < 0)
        return -1;
    return static_cast<int64_t>(gate_modes) * static_cast<int64_t>(CFileGateModeData::kRecordSize) +
           static_cast<int64_t>(events) * static_cast<int64_t>(CBaseEventData::kRecordSize);
}

} // namespace

CBaseConfigDataIo& CBaseConfigDataIo::CopyFrom(const CBaseConfigDataIo& other)
{
    if (this == &other)
        return *this;
    CopyStored(other);
    m_runLog = other.m_runLog;
    std::vector<std::unique_ptr<CBaseEventData>> events;
    events.reserve(other.m_events.size());
    for (const auto& event : other.m_events)
        events.push_back(std::make_unique<CBaseEventData>(*event));
    m_events = std::move(events);
    return *this;
}

void CBaseConfigDataIo::CopyStored(const CBaseConfigDataIo& other)
{
    m_nNumGateModes = other.m_nNumGateModes;
    m_nPmtVoltage = other.m_nPmtVoltage;
    m_fIgnitorCurrent = other.m_fIgnitorCurrent;
    m_nTriggerLevel = other.m_nTriggerLevel;
    m_nRange = other.m_nRange;
    m_fH2Flow = other.m_fH2Flow;
    m_fAir1Flow = other.m_fAir1Flow;
    m_fAir2Flow = other.m_fAir2Flow;
    m_fAuxFlow = other.m_fAuxFlow;
    m_fH2Coefficient = other.m_fH2Coefficient;
    m_fAir1Coefficient = other.m_fAir1Coefficient;
    m_fAir2Coefficient = other.m_fAir2Coefficient;
    m_fAuxCoefficient = other.m_fAuxCoefficient;
    m_nTag = other.m_nTag;
    m_channels = other.m_channels;
    m_gateModes = other.m_gateModes;
}

void CBaseConfigDataIo::AddEvent(CBaseEventData* event)
{
    AddEvent(std::unique_ptr<CBaseEventData>(event));
}

void CBaseConfigDataIo::AddEvent(std::unique_ptr<CBaseEventData> event)
{
    if (event)
        m_events.push_back(std::move(event));
}

const CBaseEventData* CBaseConfigDataIo::GetEvent(int index) const
{
    return index >= 0 && index < GetEventCount() ? m_events[static_cast<size_t>(index)].get()
                                                 : nullptr;
}

CBaseEventData* CBaseConfigDataIo::GetEvent(int index)
{
    return index >= 0 && index < GetEventCount() ? m_events[static_cast<size_t>(index)].get()
                                                 : nullptr;
}

short CBaseConfigDataIo::StoredGateModes() const
{
    if (m_nNumGateModes < 0)
        return 0;
    return m_nNumGateModes > kMaxGateModes ? static_cast<short>(kMaxGateModes) : m_nNumGateModes;
}

size_t CBaseConfigDataIo::GetRecordSize() const
{
    return kFixedSize + static_cast<size_t>(VariableSize(StoredGateModes(), GetEventCount()));
}

void CBaseConfigDataIo::Append(std::vector<uint8_t>& out) const
{
    const short gate_modes = StoredGateModes();
    out.reserve(out.size() + GetRecordSize());
    le::Writer w(out);
    w.I32(kTag);
    w.I16(gate_modes);
    w.I16(m_nPmtVoltage);
    w.F32(m_fIgnitorCurrent);
    w.I16(m_nTriggerLevel);
    w.I16(m_nRange);
    w.F32(m_fH2Flow);
    w.F32(m_fAir1Flow);
    w.F32(m_fAir2Flow);
    w.F32(m_fAuxFlow);
    AppendCoefficients(w, m_fH2Coefficient);
    AppendCoefficients(w, m_fAir1Coefficient);
    AppendCoefficients(w, m_fAir2Coefficient);
    AppendCoefficients(w, m_fAuxCoefficient);
    w.I32(GetEventCount());
    for (const auto& channel : m_channels)
        channel.Append(w);
    for (int i = 0; i < gate_modes; ++i)
        m_gateModes[static_cast<size_t>(i)].Append(w);
    for (const auto& event : m_events)
        event->Append(w);
}

int CBaseConfigDataIo::Parse(std::span<const uint8_t> bytes, std::string& message)
{
    size_t used = 0;
    return Parse(bytes, used, message);
}

int CBaseConfigDataIo::Parse(std::span<const uint8_t> bytes, size_t& used, std::string& message)
{
    // Every count is weighed against the bytes before anything is decoded.
    if (bytes.size() < kFixedSize || le::GetI32(bytes.data()) != kTag) {
        message = kInvalidFormat;
        return 0;
    }
    const int16_t gate_modes = le::GetI16(&bytes[kGateModeCountAt]);
    const int32_t event_count = le::GetI32(&bytes[kEventCountAt]);
    const int64_t variable = VariableSize(gate_modes, event_count);
    if (variable < 0 || static_cast<uint64_t>(variable) > bytes.size() - kFixedSize) {
        message = kInvalidFormat;
        return 0;
    }

    // Decode into a scratch record so a fault half way changes nothing here;
    // the gate modes beyond N keep what they held.
    CBaseConfigDataIo scratch;
    scratch.CopyStored(*this);
    le::Reader r(bytes);
    scratch.m_nTag = r.I32();
    scratch.m_nNumGateModes = r.I16();
    scratch.m_nPmtVoltage = r.I16();
    scratch.m_fIgnitorCurrent = r.F32();
    scratch.m_nTriggerLevel = r.I16();
    scratch.m_nRange = r.I16();
    scratch.m_fH2Flow = r.F32();
    scratch.m_fAir1Flow = r.F32();
    scratch.m_fAir2Flow = r.F32();
    scratch.m_fAuxFlow = r.F32();
    ParseCoefficients(r, scratch.m_fH2Coefficient);
    ParseCoefficients(r, scratch.m_fAir1Coefficient);
    ParseCoefficients(r, scratch.m_fAir2Coefficient);
    ParseCoefficients(r, scratch.m_fAuxCoefficient);
    r.I32();
    int ok = 1;
    for (auto& channel : scratch.m_channels)
        ok &= channel.Parse(r);
    for (int i = 0; i < gate_modes; ++i)
        ok &= scratch.m_gateModes[static_cast<size_t>(i)].Parse(r);
    scratch.m_events.reserve(static_cast<size_t>(event_count));
    for (int32_t i = 0; i < event_count; ++i) {
        auto event = std::make_unique<CBaseEventData>();
        ok &= event->Parse(r);
        scratch.m_events.push_back(std::move(event));
    }
    if (!ok || !r.Ok()) {
        message = kInvalidFormat;
        return 0;
    }

    CopyStored(scratch);
    m_events = std::move(scratch.m_events);
    used = r.Pos();
    return 1;
}

int CBaseConfigDataIo::Io(OFileIO& file, std::string& message)
{
    return file.IsWriting() ? Write(file, message) : Read(file, message);
}

int CBaseConfigDataIo::Write(OFileIO& file, std::string& message)
{
    std::vector<uint8_t> image;
    Append(image);
    if (!file.Write(image.data(), image.size())) {
        message = kWriteFailed;
        return 0;
    }
    m_nTag = kTag;
    return 1;
}

int CBaseConfigDataIo::Read(OFileIO& file, std::string& message)
{
    const int64_t start = file.Ftell();
    auto fail = [&] {
        message = kInvalidFormat;
        if (start >= 0)
            file.Fseek(start, SEEK_SET);
        return 0;
    };

    std::vector<uint8_t> image(kFixedSize);
    if (file.Remaining() < static_cast<int64_t>(kFixedSize) ||
        !file.Read(image.data(), image.size()))
        return fail();
    // The tag is judged before the counts, so a foreign file gets the same
    // answer whatever its next bytes hold.
    if (le::GetI32(image.data()) != kTag)
        return fail();
    const int64_t variable =
        VariableSize(le::GetI16(&image[kGateModeCountAt]), le::GetI32(&image[kEventCountAt]));
    if (variable < 0 || variable > file.Remaining())
        return fail();
    image.resize(kFixedSize + static_cast<size_t>(variable));
    if (!file.Read(image.data() + kFixedSize, static_cast<size_t>(variable)))
        return fail();

    std::string why;
    if (!Parse(image, why))
        return fail();
    return 1;
}

int CBaseConfigDataIo::SaveConfig(const std::string& path, std::string& message)
{
    if (!m_configFile.Open(path, IO_WRITE))
        return 0;
    int result = Io(m_configFile, message);
    // Buffered bytes that cannot reach the disk must not pass for a saved file.
    if (result && std::fflush(m_configFile.GetFp()) != 0) {
        message = kWriteFailed;
        result = 0;
    }
    m_configFile.Close();
    return result;
}

int CBaseConfigDataIo::ReadConfig(const std::string& path, std::string& message)
{
    if (!m_configFile.Open(path, IO_READ))
        return 0;
    const int result = Io(m_configFile, message);
    m_configFile.Close();
    return result;
}

bool CBaseConfigDataIo::operator==(const CBaseConfigDataIo& other) const
{
    if (m_events.size() != other.m_events.size())
        return false;
    for (size_t i = 0; i < m_events.size(); ++i)
        if (!(*m_events[i] == *other.m_events[i]))
            return false;
    return m_runLog == other.m_runLog && m_nNumGateModes == other.m_nNumGateModes &&
           m_nPmtVoltage == other.m_nPmtVoltage && m_fIgnitorCurrent == other.m_fIgnitorCurrent &&
           m_nTriggerLevel == other.m_nTriggerLevel && m_nRange == other.m_nRange &&
           m_fH2Flow == other.m_fH2Flow && m_fAir1Flow == other.m_fAir1Flow &&
           m_fAir2Flow == other.m_fAir2Flow && m_fAuxFlow == other.m_fAuxFlow &&
           m_fH2Coefficient == other.m_fH2Coefficient &&
           m_fAir1Coefficient == other.m_fAir1Coefficient &&
           m_fAir2Coefficient == other.m_fAir2Coefficient &&
           m_fAuxCoefficient == other.m_fAuxCoefficient && m_nTag == other.m_nTag &&
           m_channels == other.m_channels && m_gateModes == other.m_gateModes;
}
