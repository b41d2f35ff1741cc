#include "BaseGateModeData.h"

CBaseGateModeData& CBaseGateModeData::CopyFrom(const CBaseGateModeData& other)
{
    m_nTypeNumber = other.m_nTypeNumber;
    m_nMode = other.m_nMode;
    m_fStartA = other.m_fStartA;
    m_fStopA = other.m_fStopA;
    m_nOperator = other.m_nOperator;
    m_fAlpha = other.m_fAlpha;
    m_fStartB = other.m_fStartB;
    m_fStopB = other.m_fStopB;
    m_nSquareRoot = other.m_nSquareRoot;
    m_fZeroLevel = other.m_fZeroLevel;
    return *this;
}

bool CBaseGateModeData::IsEqual(const CBaseGateModeData& other) const
{
    return m_nTypeNumber == other.m_nTypeNumber && m_nMode == other.m_nMode &&
           m_fStartA == other.m_fStartA && m_fStopA == other.m_fStopA &&
           m_nOperator == other.m_nOperator && m_fAlpha == other.m_fAlpha &&
           m_fStartB == other.m_fStartB && m_fStopB == other.m_fStopB &&
           m_nSquareRoot == other.m_nSquareRoot;
}
