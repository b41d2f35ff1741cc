#include "ChannelParameters.h"

int CChannelParameters::GetGateChannelParameters(int index, CGateChannelParameters& out) const
{
    if (static_cast<unsigned>(index) > 1)
        return 0;
    out.CopyFrom(m_channels[index]);
    return 1;
}

int CChannelParameters::SetGateChannelParameters(int index, const CGateChannelParameters& in)
{
    if (static_cast<unsigned>(index) > 1)
        return 0;
    m_channels[index].CopyFrom(in);
    return 1;
}
