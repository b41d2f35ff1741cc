#include "BaseDVPulse.h"

void CBaseDVPulse::SetNumberDataValues()
{
    m_nNumberDataValues = kNumberDataValues;
    m_dataValues.resize(kNumberDataValues, 0);
}

uint32_t CBaseDVPulse::GetDataValue(int i) const
{
    return i >= 0 && i < m_nNumberDataValues ? m_dataValues[static_cast<size_t>(i)] : 0xFFFFFFFFu;
}

int CBaseDVPulse::SetDataValue(int i, uint32_t value)
{
    if (i < 0 || i >= m_nNumberDataValues)
        return 0;
    m_dataValues[static_cast<size_t>(i)] = value;
    return 1;
}

void CBaseDVPulse::SetPulseArrays(OFloatArray* x, OFloatArray* y)
{
    if (!x || !y)
        x = y = nullptr;
    m_pPulseX = x;
    m_pPulseY = y;
    SetValues(x, y);
}
