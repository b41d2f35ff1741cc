#pragma once
// Placeholder record of the set-all-gates command; it carries one integer
// and takes nothing from a payload.

#include "CommonUtils.h"

class CSetAllGates {
public:
    CSetAllGates() = default;
    CSetAllGates(const CSetAllGates& other) = default;
    CSetAllGates& operator=(const CSetAllGates& other) = default;
    virtual ~CSetAllGates() = default;

    CSetAllGates& CopyFrom(const CSetAllGates& other) { return *this = other; }
    int SetData(const CByteArray&) { return 0; }
    int GetValue() const { return m_nValue; }
    void SetValue(int value) { m_nValue = value; }

private:
    int m_nValue = 0;
};
