#pragma once
// One gate: windows A and B inside a pulse and how their integrals combine.

#include "Options.h"

#include <array>
#include <cstdint>
#include <string>

// Fixed underlying types: a file or a board may hold any 16-bit code in these
// fields, and each must be a valid value of its enumeration.
enum GateMode : int32_t {
    GM_S, GM_P, GM_C, GM_N, GM_As, GM_B, GM_Bi, GM_Cr, GM_Cu, GM_Eu, GM_Fe, GM_Ga,
    GM_Ge, GM_Mn, GM_Ni, GM_Rh, GM_Ru, GM_Se, GM_Si, GM_Sn, GM_Te, GM_W, GM_UD
};

enum GateOperator : int32_t { GO_NONE, GO_PLUS, GO_MINUS, GO_MULTIPLY, GO_DIVIDE };

enum SQRT : int32_t { SQRT_OFF, SQRT_ON };

class CGateParameter {
public:
    static const std::array<COptions<GateMode>, 23> modeOptions;
    static const std::array<COptions<GateOperator>, 5> gateOperatorOptions;
    static const std::array<COptions<SQRT>, 2> gateSQRTOptions;

    CGateParameter() = default;
    CGateParameter(const CGateParameter& other) = default;
    CGateParameter& operator=(const CGateParameter& other) = default;
    virtual ~CGateParameter() = default;

    void Initialize() { *this = CGateParameter(); }
    CGateParameter& CopyFrom(const CGateParameter& other) { return *this = other; }

    unsigned short GetType() const { return m_nType; }
    void SetType(unsigned short value) { m_nType = value; }
    unsigned short GetTypeNum() const { return m_nTypeNum; }
    void SetTypeNum(unsigned short value) { m_nTypeNum = value; }
    double GetStartA() const { return m_dStartA; }
    void SetStartA(double value) { m_dStartA = value; }
    double GetStartB() const { return m_dStartB; }
    void SetStartB(double value) { m_dStartB = value; }
    double GetStopA() const { return m_dStopA; }
    void SetStopA(double value) { m_dStopA = value; }
    double GetStopB() const { return m_dStopB; }
    void SetStopB(double value) { m_dStopB = value; }
    unsigned short GetOperator() const { return m_nOperator; }
    void SetOperator(unsigned short value) { m_nOperator = value; }
    double GetAlpha() const { return m_dAlpha; }
    void SetAlpha(double value) { m_dAlpha = value; }
    // Stored as 32 bits (the file keeps all of them), handled as 16.
    unsigned short GetSqroot() const { return static_cast<unsigned short>(m_nSqroot); }
    void SetSqroot(unsigned short value) { m_nSqroot = value; }
    uint32_t GetSqrootStored() const { return m_nSqroot; }
    void SetSqrootStored(uint32_t value) { m_nSqroot = value; }

    std::string GetTypeText() const { return ModeOptionText(static_cast<GateMode>(m_nType)); }
    // The mode, with "-n" appended for a later gate of the same mode (S, S-2).
    std::string GetModeText() const;
    std::string GetOperatorText() const { return OperatorText(static_cast<GateOperator>(m_nOperator)); }
    std::string GetSQRTText() const;

    static std::string ModeOptionText(GateMode mode);
    // Exact, case-sensitive match; "S" (0) when nothing matches.
    static GateMode ModeOption(const std::string& text);
    static std::string OperatorText(GateOperator op);
    // Exact match; "-" when nothing matches.
    static GateOperator GetOperator(const std::string& text);

    bool operator==(const CGateParameter& other) const = default;

private:
    uint16_t m_nType = 0;
    uint16_t m_nTypeNum = 0;
    double m_dStartA = 0.0;
    double m_dStartB = 0.0;
    double m_dStopA = 0.0;
    double m_dStopB = 0.0;
    uint16_t m_nOperator = 0;
    double m_dAlpha = 0.0;
    uint32_t m_nSqroot = 0;
};
