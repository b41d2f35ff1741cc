#include "BaseChannelData.h"

#include "RecordIo.h"

void CBaseChannelData::Append(le::Writer& w) const
{
    w.I16(m_nZeroValue);
    w.I16(m_nInterpolation);
    w.I16(m_nScalarChannel);
    w.I16(m_nGateIndex);
    w.I16(m_nReserved1);
    w.I16(m_nReserved2);
}

int CBaseChannelData::Parse(le::Reader& r)
{
    if (!r.Ok() || r.Remaining() < kRecordSize)
        return 0;
    m_nZeroValue = r.I16();
    m_nInterpolation = r.I16();
    m_nScalarChannel = r.I16();
    m_nGateIndex = r.I16();
    m_nReserved1 = r.I16();
    m_nReserved2 = r.I16();
    return 1;
}

int CBaseChannelData::Io(OFileIO& file)
{
    return RecordIo(*this, file);
}
