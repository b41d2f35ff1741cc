#pragma once
// CBaseGateModeData: one gate mode of the compact configuration record as the
// Analyzer works with it. The zero level lives only in memory; the spare is
// a per-object scratch value that neither copies nor compares.

#include <cstdint>

class CBaseGateModeData {
public:
    CBaseGateModeData() = default;
    // Copies every field through the zero level; the spare starts at 0.
    CBaseGateModeData(const CBaseGateModeData& other) { CopyFrom(other); }
    // Copies every field through the zero level; the spare is kept.
    CBaseGateModeData& operator=(const CBaseGateModeData& other) { return CopyFrom(other); }
    CBaseGateModeData& CopyFrom(const CBaseGateModeData& other);

    short GetTypeNumber() const { return m_nTypeNumber; }
    void SetTypeNumber(short value) { m_nTypeNumber = value; }
    // A GateMode value, kept as stored so any number survives a round trip.
    short GetMode() const { return m_nMode; }
    void SetMode(short value) { m_nMode = value; }
    float GetStartA() const { return m_fStartA; }
    void SetStartA(float value) { m_fStartA = value; }
    float GetStopA() const { return m_fStopA; }
    void SetStopA(float value) { m_fStopA = value; }
    // Compact operator code: 0 "-", 1 "+", 2 "*", 3 "/".
    short GetOperator() const { return m_nOperator; }
    void SetOperator(short value) { m_nOperator = value; }
    float GetAlpha() const { return m_fAlpha; }
    void SetAlpha(float value) { m_fAlpha = value; }
    float GetStartB() const { return m_fStartB; }
    void SetStartB(float value) { m_fStartB = value; }
    float GetStopB() const { return m_fStopB; }
    void SetStopB(float value) { m_fStopB = value; }
    // 0 off, 1 on.
    unsigned char GetSquareRoot() const { return m_nSquareRoot; }
    void SetSquareRoot(unsigned char value) { m_nSquareRoot = value; }
    float GetZeroLevel() const { return m_fZeroLevel; }
    void SetZeroLevel(float value) { m_fZeroLevel = value; }
    int GetSpare() const { return m_nSpare; }
    void SetSpare(int value) { m_nSpare = value; }

    // Equal when every stored field (type number through square root) is.
    bool IsEqual(const CBaseGateModeData& other) const;
    // False for nullptr.
    bool IsEqual(const CBaseGateModeData* other) const { return other && IsEqual(*other); }
    bool operator==(const CBaseGateModeData& other) const { return IsEqual(other); }

private:
    int16_t m_nTypeNumber = 0;
    int16_t m_nMode = 0;
    float m_fStartA = 0.0f;
    float m_fStopA = 0.1f;
    int16_t m_nOperator = 0;
    float m_fAlpha = 0.0f;
    float m_fStartB = 0.0f;
    float m_fStopB = 0.1f;
    uint8_t m_nSquareRoot = 0;
    float m_fZeroLevel = 0.0f;
    int32_t m_nSpare = 0;
};
