#include "BaseDVPulseData.h"

#include "BaseKLYNData.h"
#include "ByteOrder.h"

#include <vector>

namespace {

constexpr float kSamplesPerMillisecond = 10.0f;

} // namespace

CBaseDVPulseData::CBaseDVPulseData()
{
    SetNumberDataValues();
    SetPulseArrays(&m_xValues, &m_yValues);
}

int CBaseDVPulseData::SetFilePath(const std::string& path)
{
    m_strFilePath = path;
    m_file.reset(std::fopen(path.c_str(), "rb"));
    return m_file ? 1 : 0;
}

int CBaseDVPulseData::Seek(int64_t offset, int origin)
{
    return m_file ? fseeko(m_file.get(), static_cast<off_t>(offset), origin) : -1;
}

DVCODE CBaseDVPulseData::Read()
{
    if (!m_file)
        return DV_NO_PULSE;
    std::FILE* fp = m_file.get();
    uint8_t times[6];
    if (std::fread(times, 1, 4, fp) != 4 || std::fread(times + 4, 1, 2, fp) != 2)
        return DV_NO_PULSE;
    SetTimeFromStart(le::Get32(times));
    SetTimeSinceLastPulse(le::GetI16(times + 4));

    const int count = GetNumberDataValues();
    const size_t wanted = 2 * static_cast<size_t>(count);
    std::vector<uint8_t> samples(wanted, 0);
    const size_t got = std::fread(samples.data(), 1, wanted, fp);
    // Half a sample is no sample.
    std::fill(samples.begin() + static_cast<std::ptrdiff_t>(got & ~size_t{1}), samples.end(), 0);
    SetCurrentSize(static_cast<uint32_t>(sizeof times + got));

    OFloatArray* x = GetPulseXArray();
    OFloatArray* y = GetPulseYArray();
    if (x && y) {
        x->Reset();
        y->Reset();
    }
    for (int i = 0; i < count; ++i) {
        const uint16_t sample = le::Get16(&samples[2 * static_cast<size_t>(i)]);
        SetDataValue(i, sample);
        if (x && y) {
            x->Add(static_cast<float>(i) / kSamplesPerMillisecond);
            y->Add(static_cast<float>(sample));
        }
    }
    return got < wanted ? DV_SHORT_PULSE : DV_PULSE_READ;
}

int CBaseDVPulseData::ToPulse(int index, int total, int& found, CBaseDVPulseData& pulse,
                              const CBaseKLYNData& data)
{
    if (index < 0 || index >= total)
        return 0;
    // Seek and read on the same file: the pulse's, wherever this object's
    // own file stands.
    const int64_t offset = static_cast<int64_t>(pulse.GetHeaderOffset()) +
                           static_cast<int64_t>(index) * pulse.GetSize();
    if (pulse.Seek(offset, SEEK_SET) != 0 || pulse.Read() == DV_NO_PULSE)
        return 0;
    found = index;
    if (data.GetbUseDeltas())
        pulse.SetTimeFromStart(static_cast<uint32_t>(
            data.GetRebuiltTime(index, static_cast<int32_t>(pulse.GetTimeFromStart()))));
    return 1;
}
