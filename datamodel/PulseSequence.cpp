#include "PulseSequence.h"

int CPulseSequence::Accept(long index)
{
    if (m_bHasLast && index == m_nLast) {
        ++m_nRepeats;
        return 0;
    }
    if (m_bHasLast) {
        if (index < m_nLast)
            ++m_nRestarts;
        else
            m_nSkipped += static_cast<int64_t>(index) - m_nLast - 1;
    }
    m_bHasLast = true;
    m_nLast = index;
    ++m_nAccepted;
    return 1;
}
