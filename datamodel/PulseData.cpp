#include "PulseData.h"

#include "ByteOrder.h"

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
    out.reserve(out.size() + GetCurrentSize());
    le::Writer w(out);
    w.I32(m_nReserved1);
    w.I32(m_nReserved2);
    w.I32(m_nPulseIndex);
    w.I32(m_nPulseTime);
    w.U32(m_nCh1Offset);
    w.U32(m_nCh2Offset);
    w.F64(m_dTDelay);
    w.U32(m_nDarkCurrent);
    w.I32(static_cast<int32_t>(m_data.size()));
    for (int32_t sample : m_data)
        w.I32(sample);
    w.F64(m_dFrequencyPulse);
}

int CPulseData::ParseRecord(std::span<const uint8_t> bytes, size_t& used)
{
    if (bytes.size() < kRecordFixedSize)
        return 0;
    const int32_t count = le::GetI32(&bytes[36]);
    if (count < 0 || static_cast<uint64_t>(count) > (bytes.size() - kRecordFixedSize) / 4)
        return 0;

    le::Reader r(bytes);
    m_nReserved1 = r.I32();
    m_nReserved2 = r.I32();
    m_nPulseIndex = r.I32();
    m_nPulseTime = r.I32();
    m_nCh1Offset = r.U32();
    m_nCh2Offset = r.U32();
    m_dTDelay = r.F64();
    m_nDarkCurrent = r.U32();
    r.I32();
    m_data.resize(static_cast<size_t>(count));
    for (auto& sample : m_data)
        sample = r.I32();
    m_dFrequencyPulse = r.F64();
    used = r.Pos();
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
