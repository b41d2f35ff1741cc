#include "PulseDataBase.h"

#include "RecordIo.h"

uint16_t CPulseDataBase::GetSample(int i) const
{
    return i >= 0 && i < kNumberSamples ? m_samples[static_cast<size_t>(i)] : 0;
}

int CPulseDataBase::SetSample(int i, uint16_t value)
{
    if (i < 0 || i >= kNumberSamples)
        return 0;
    m_samples[static_cast<size_t>(i)] = value;
    return 1;
}

int CPulseDataBase::SetFilePath(const std::string& path)
{
    m_strFilePath = path;
    return m_file.Open(path, IO_READ) ? 1 : 0;
}

int CPulseDataBase::Io(OFileIO& file)
{
    if (!file.IsOpen())
        return 0;
    return RecordIo(*this, file);
}

void CPulseDataBase::Append(le::Writer& w) const
{
    w.U32(m_nTimeFromStart);
    w.I16(m_nTimeSinceLastPulse);
    for (uint16_t sample : m_samples)
        w.U16(sample);
}

int CPulseDataBase::Parse(le::Reader& r)
{
    if (!r.Ok() || r.Remaining() < kRecordSize)
        return 0;
    m_nTimeFromStart = r.U32();
    m_nTimeSinceLastPulse = r.I16();
    for (uint16_t& sample : m_samples)
        sample = r.U16();
    return 1;
}
