#include "PulseData.h"

#include "ByteOrder.h"

#include <bit>
#include <cstring>

CPulseData& CPulseData::CopyFrom(const CPulseData& other)
{
    if (this == &other)
        return *this;
    m_nPulseIndex = other.m_nPulseIndex;
    m_nPulseTime = other.m_nPulseTime;
    m_data = other.m_data;
    m_nCh1Offset = other.m_nCh1Offset;
    m_nCh2Offset = other.m_nCh2Offset;
    m_dTDelay = other.m_dTDelay;
    m_nDarkCurrent = other.m_nDarkCurrent;
    m_dFrequencyPulse = other.m_dFrequencyPulse;
    return *this;
}

void CPulseData::SetBufferSize(int n)
{
    if (n <= 0)
        return;
    m_data.resize(static_cast<size_t>(n), 0);
    m_data.shrink_to_fit();
}

void CPulseData::CleanupBuffer()
{
    m_data.clear();
    m_data.shrink_to_fit();
}

void CPulseData::SetData(int index, int value)
{
    if (index >= 0 && index < GetDataCount())
        m_data[static_cast<size_t>(index)] = value;
}

int CPulseData::GetData(int index) const
{
    return index >= 0 && index < GetDataCount() ? m_data[static_cast<size_t>(index)] : 0;
}

void CPulseData::AppendRecord(std::vector<uint8_t>& out) const
{
    // One resize, then the fields in place: recording calls this for every
    // pulse, and the reader's counterpart below for every pulse of a file.
    const size_t at = out.size();
    out.resize(at + GetCurrentSize());
    uint8_t* p = out.data() + at;
    le::Put32(p + 0, static_cast<uint32_t>(m_nReserved1));
    le::Put32(p + 4, static_cast<uint32_t>(m_nReserved2));
    le::Put32(p + 8, static_cast<uint32_t>(m_nPulseIndex));
    le::Put32(p + 12, static_cast<uint32_t>(m_nPulseTime));
    le::Put32(p + 16, m_nCh1Offset);
    le::Put32(p + 20, m_nCh2Offset);
    le::PutF64(p + 24, m_dTDelay);
    le::Put32(p + 32, m_nDarkCurrent);
    le::Put32(p + 36, static_cast<uint32_t>(m_data.size()));
    uint8_t* samples = p + kRecordHeadSize;
    if constexpr (std::endian::native == std::endian::little) {
        if (!m_data.empty())
            std::memcpy(samples, m_data.data(), m_data.size() * sizeof(int32_t));
    } else {
        for (size_t i = 0; i < m_data.size(); ++i)
            le::Put32(samples + 4 * i, static_cast<uint32_t>(m_data[i]));
    }
    le::PutF64(samples + 4 * m_data.size(), m_dFrequencyPulse);
}

int CPulseData::ParseRecord(std::span<const uint8_t> bytes, size_t& used)
{
    if (bytes.size() < kRecordFixedSize)
        return 0;
    const uint8_t* p = bytes.data();
    const int32_t count = le::GetI32(p + 36);
    if (count < 0 || static_cast<uint64_t>(count) > (bytes.size() - kRecordFixedSize) / 4)
        return 0;
    m_nReserved1 = le::GetI32(p + 0);
    m_nReserved2 = le::GetI32(p + 4);
    m_nPulseIndex = le::GetI32(p + 8);
    m_nPulseTime = le::GetI32(p + 12);
    m_nCh1Offset = le::Get32(p + 16);
    m_nCh2Offset = le::Get32(p + 20);
    m_dTDelay = le::GetF64(p + 24);
    m_nDarkCurrent = le::Get32(p + 32);
    m_data.resize(static_cast<size_t>(count));
    const uint8_t* samples = p + kRecordHeadSize;
    if constexpr (std::endian::native == std::endian::little) {
        // The file's byte order is the machine's: the samples copy as they are.
        if (count > 0)
            std::memcpy(m_data.data(), samples, m_data.size() * sizeof(int32_t));
    } else {
        for (size_t i = 0; i < m_data.size(); ++i)
            m_data[i] = le::GetI32(samples + 4 * i);
    }
    m_dFrequencyPulse = le::GetF64(samples + 4 * m_data.size());
    used = kRecordFixedSize + 4 * m_data.size();
    return 1;
}

int CPulseData::Io(OFileIO& file)
{
    if (file.IsWriting()) {
        std::vector<uint8_t> record;
        AppendRecord(record);
        return file.Write(record.data(), record.size());
    }

    const int64_t start = file.Ftell();
    std::vector<uint8_t> record(kRecordHeadSize);
    if (!file.Read(record.data(), record.size())) {
        file.Fseek(start, SEEK_SET);
        return 0;
    }
    const int32_t count = le::GetI32(&record[36]);
    const int64_t rest = file.Remaining();
    if (count < 0 || static_cast<int64_t>(count) * 4 + 8 > rest) {
        file.Fseek(start, SEEK_SET);
        return 0;
    }
    record.resize(kRecordFixedSize + 4 * static_cast<size_t>(count));
    size_t used = 0;
    if (!file.Read(record.data() + kRecordHeadSize, record.size() - kRecordHeadSize) ||
        !ParseRecord(record, used)) {
        file.Fseek(start, SEEK_SET);
        return 0;
    }
    return 1;
}
