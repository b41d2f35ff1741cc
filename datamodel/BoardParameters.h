#pragma once
// Settings of the whole board as they travel between the link, the dialogs
// and the files.

#include <cstdint>

class CBoardParameters {
public:
    CBoardParameters() = default;
    CBoardParameters(const CBoardParameters& other) = default;
    CBoardParameters& operator=(const CBoardParameters& other) = default;
    virtual ~CBoardParameters() = default;

    void Initialize() { *this = CBoardParameters(); }
    CBoardParameters& CopyFrom(const CBoardParameters& other) { return *this = other; }

    // Ignitor current in thousandths of the unit the Monitor shows.
    unsigned short GetIgnitor() const { return m_nIgnitor; }
    void SetIgnitor(unsigned short value) { m_nIgnitor = value; }
    unsigned short GetPmtVolts() const { return m_nPmtVolts; }
    void SetpmtVolts(unsigned short value) { m_nPmtVolts = value; }
    unsigned short GetTriggerLevel() const { return m_nTriggerLevel; }
    void SetTriggerLevel(unsigned short value) { m_nTriggerLevel = value; }
    unsigned int GetAdcTriggerLevel() const { return m_nAdcTriggerLevel; }
    void SetAdcTriggerLevel(unsigned int value) { m_nAdcTriggerLevel = value; }

    bool operator==(const CBoardParameters& other) const
    {
        return m_nIgnitor == other.m_nIgnitor && m_nPmtVolts == other.m_nPmtVolts &&
               m_nTriggerLevel == other.m_nTriggerLevel &&
               m_nAdcTriggerLevel == other.m_nAdcTriggerLevel;
    }

private:
    uint16_t m_nIgnitor = 0;
    uint16_t m_nPmtVolts = 0;
    uint16_t m_nTriggerLevel = 0;
    uint32_t m_nAdcTriggerLevel = 0;
};
