#include "GateParameters.h"

int CGateParameters::GetGateChannelParameters(int index, CGateParameter& out) const
{
    if (static_cast<unsigned>(index) >= kGates)
        return 0;
    out.CopyFrom(m_gates[index]);
    return 1;
}

int CGateParameters::SetGateChannelParameters(int index, const CGateParameter& in)
{
    if (static_cast<unsigned>(index) >= kGates)
        return 0;
    m_gates[index].CopyFrom(in);
    return 1;
}

void CGateParameters::Sort()
{
    for (auto& gate : m_gates)
        gate.SetTypeNum(0);
    // The last gate never starts a run of numbers; it can only receive one.
    for (int i = 0; i < kGates - 1; ++i) {
        if (m_gates[i].GetTypeNum() != 0)
            continue;
        unsigned short number = 1;
        for (int j = i + 1; j < kGates; ++j)
            if (m_gates[j].GetType() == m_gates[i].GetType())
                m_gates[j].SetTypeNum(++number);
    }
}

void CGateParameters::SetType(int index, unsigned short mode)
{
    if (static_cast<unsigned>(index) >= kGates)
        return;
    m_gates[index].SetType(mode);
    Sort();
}

int CGateParameters::GetMaxTypeNum(unsigned short mode, int index) const
{
    int result = -1;
    for (int k = 0; k < kGates; ++k)
        if (k != index && m_gates[k].GetType() == mode && m_gates[k].GetTypeNum() > result)
            result = m_gates[k].GetTypeNum();
    return result;
}

bool CGateParameters::operator==(const CGateParameters& other) const
{
    for (int i = 0; i < kGates; ++i)
        if (!(m_gates[i] == other.m_gates[i]))
            return false;
    return true;
}
