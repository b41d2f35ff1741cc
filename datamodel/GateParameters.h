#pragma once
// The five gates the board holds. All five always exist.

#include "GateParameter.h"

class CGateParameters {
public:
    static constexpr int kGates = 5;

    CGateParameters() = default;
    CGateParameters(const CGateParameters& other) = default;
    CGateParameters& operator=(const CGateParameters& other) = default;
    virtual ~CGateParameters() = default;

    CGateParameters& CopyFrom(const CGateParameters& other) { return *this = other; }

    // Callers keep index within 0..4; anything else is clamped into range
    // rather than reaching outside the set.
    CGateParameter& operator[](int index) { return m_gates[Clamp(index)]; }
    const CGateParameter& operator[](int index) const { return m_gates[Clamp(index)]; }
    CGateParameter& GetGateParameterAt(int index) { return m_gates[Clamp(index)]; }
    const CGateParameter& GetGateParameterAt(int index) const { return m_gates[Clamp(index)]; }

    // Copies gate index into out: 1, or 0 with out untouched for a bad index.
    int GetGateChannelParameters(int index, CGateParameter& out) const;
    // Replaces gate index: 1, or 0 and nothing changed for a bad index.
    int SetGateChannelParameters(int index, const CGateParameter& in);

    // Renumbers the gates so the first gate of a mode shows bare (P) and the
    // later ones of the same mode as P-2, P-3 ... in gate order.
    void Sort();
    // Stores the mode of gate index, then renumbers.
    void SetType(int index, unsigned short mode);
    // Largest type number among the other gates of this mode; -1 when none.
    int GetMaxTypeNum(unsigned short mode, int index) const;

    bool operator==(const CGateParameters& other) const;

private:
    static int Clamp(int index) { return index < 0 ? 0 : (index >= kGates ? kGates - 1 : index); }
    CGateParameter m_gates[kGates];
};
