#pragma once
// Follows the pulse indexes a program takes in. The board answers the pulse
// command with its latest pulse whether or not it is new, so a pulse can be
// fetched twice; it is taken once, and the repeat is counted. The counts also
// say why pulses are missing from what was taken: indexes the board moved
// past between two fetches (the link's pace), or a board that started its
// pulse index again.

#include <cstdint>

class CPulseSequence {
public:
    // 1 when the pulse is new (taken), 0 when its index equals the last one
    // taken (a repeat: counted, not taken).
    int Accept(long index);
    void Reset() { *this = CPulseSequence(); }

    bool HasLast() const { return m_bHasLast; }
    long GetLastIndex() const { return m_nLast; }
    int64_t GetAccepted() const { return m_nAccepted; }
    int64_t GetRepeats() const { return m_nRepeats; }
    // Times the index went down: the board started counting again.
    int64_t GetRestarts() const { return m_nRestarts; }
    // Indexes passed over between two pulses taken.
    int64_t GetSkipped() const { return m_nSkipped; }

private:
    bool m_bHasLast = false;
    long m_nLast = 0;
    int64_t m_nAccepted = 0;
    int64_t m_nRepeats = 0;
    int64_t m_nRestarts = 0;
    int64_t m_nSkipped = 0;
};
