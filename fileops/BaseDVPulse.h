#pragma once
// CBaseDVPulse: one pulse of a compact data file as the Analyzer shows it -
// the raw samples, the pulse's times, and the pulse as a function of time
// (the X and Y arrays, supplied and owned by the holder).

#include "FloatArray.h"
#include "Function.h"

#include <cstdint>
#include <vector>

class CBaseDVPulse : public OFunction {
public:
    static constexpr int kNumberDataValues = 250;

    CBaseDVPulse() = default;

    // Makes room for 250 samples. The samples live in the pulse itself, so
    // the count and the storage always agree.
    void SetNumberDataValues();
    int GetNumberDataValues() const { return m_nNumberDataValues; }
    // 0xFFFFFFFF for an index that names no sample.
    uint32_t GetDataValue(int i) const;
    // 1 when stored, 0 for an index that names no sample.
    int SetDataValue(int i, uint32_t value);

    // The holder's arrays; the pulse also evaluates and integrates over them.
    // Neither is owned; nullptr for either clears both.
    void SetPulseArrays(OFloatArray* x, OFloatArray* y);
    OFloatArray* GetPulseXArray() const { return m_pPulseX; }
    OFloatArray* GetPulseYArray() const { return m_pPulseY; }
    // Element i of the pulse arrays; 0 without arrays or outside them.
    float GetXValue(int i) const { return m_pPulseX ? m_pPulseX->GetAt(i) : 0.0f; }
    float GetyValue(int i) const { return m_pPulseY ? m_pPulseY->GetAt(i) : 0.0f; }

    // Bytes of one compact pulse record: time from start (4), time since the
    // last pulse (2) and two bytes per sample; 506 for 250 samples.
    int GetSize() const { return 2 * m_nNumberDataValues + 6; }
    uint32_t GetCurrentSize() const { return m_nCurrentSize; }
    void SetCurrentSize(uint32_t value) { m_nCurrentSize = value; }
    uint32_t GetHeaderOffset() const { return m_nHeaderOffset; }
    void SetHeaderOffset(uint32_t value) { m_nHeaderOffset = value; }
    uint32_t GetTimeFromStart() const { return m_nTimeFromStart; }
    void SetTimeFromStart(uint32_t value) { m_nTimeFromStart = value; }
    short GetTimeSinceLastPulse() const { return m_nTimeSinceLastPulse; }
    void SetTimeSinceLastPulse(short value) { m_nTimeSinceLastPulse = value; }

private:
    int32_t m_nNumberDataValues = 0;
    OFloatArray* m_pPulseX = nullptr;
    OFloatArray* m_pPulseY = nullptr;
    uint32_t m_nHeaderOffset = 0;
    uint32_t m_nTimeFromStart = 0;
    int16_t m_nTimeSinceLastPulse = 0;
    uint32_t m_nCurrentSize = 0;
    std::vector<uint32_t> m_dataValues;
};
