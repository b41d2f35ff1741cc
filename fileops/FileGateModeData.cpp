#include "FileGateModeData.h"

#include "RecordIo.h"

void CFileGateModeData::Append(le::Writer& w) const
{
    w.I16(GetTypeNumber());
    w.I16(GetMode());
    w.F32(GetStartA());
    w.F32(GetStopA());
    w.I16(GetOperator());
    w.F32(GetAlpha());
    w.F32(GetStartB());
    w.F32(GetStopB());
    w.U8(GetSquareRoot());
}

int CFileGateModeData::Parse(le::Reader& r)
{
    if (!r.Ok() || r.Remaining() < kRecordSize)
        return 0;
    SetTypeNumber(r.I16());
    SetMode(r.I16());
    SetStartA(r.F32());
    SetStopA(r.F32());
    SetOperator(r.I16());
    SetAlpha(r.F32());
    SetStartB(r.F32());
    SetStopB(r.F32());
    SetSquareRoot(r.U8());
    return 1;
}

int CFileGateModeData::Io(OFileIO& file)
{
    return RecordIo(*this, file);
}
