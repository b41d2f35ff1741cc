#include "BaseEventData.h"

#include "RecordIo.h"

void CBaseEventData::Append(le::Writer& w) const
{
    w.F32(m_fEventTime);
    w.I16(m_nEventCode);
    w.I16(m_nEventChannel);
    w.F32(m_fEventValue);
    w.I16(m_nReserved);
}

int CBaseEventData::Parse(le::Reader& r)
{
    if (!r.Ok() || r.Remaining() < kRecordSize)
        return 0;
    m_fEventTime = r.F32();
    m_nEventCode = r.I16();
    m_nEventChannel = r.I16();
    m_fEventValue = r.F32();
    m_nReserved = r.I16();
    return 1;
}

int CBaseEventData::Io(OFileIO& file)
{
    return RecordIo(*this, file);
}
