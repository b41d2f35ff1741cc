#include "GateParameter.h"

#include <cstdio>

const std::array<COptions<GateMode>, 23> CGateParameter::modeOptions = {{
    {GM_S, "S"},   {GM_P, "P"},   {GM_C, "C"},   {GM_N, "N"},   {GM_As, "As"}, {GM_B, "B"},
    {GM_Bi, "Bi"}, {GM_Cr, "Cr"}, {GM_Cu, "Cu"}, {GM_Eu, "Eu"}, {GM_Fe, "Fe"}, {GM_Ga, "Ga"},
    {GM_Ge, "Ge"}, {GM_Mn, "Mn"}, {GM_Ni, "Ni"}, {GM_Rh, "Rh"}, {GM_Ru, "Ru"}, {GM_Se, "Se"},
    {GM_Si, "Si"}, {GM_Sn, "Sn"}, {GM_Te, "Te"}, {GM_W, "W"},   {GM_UD, "UD"},
}};

const std::array<COptions<GateOperator>, 5> CGateParameter::gateOperatorOptions = {{
    {GO_NONE, " "}, {GO_PLUS, "+"}, {GO_MINUS, "-"}, {GO_MULTIPLY, "*"}, {GO_DIVIDE, "/"},
}};

const std::array<COptions<SQRT>, 2> CGateParameter::gateSQRTOptions = {{
    {SQRT_OFF, "OFF"}, {SQRT_ON, "ON"},
}};

std::string CGateParameter::GetModeText() const
{
    std::string text = GetTypeText();
    if (m_nTypeNum != 0) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%d", m_nTypeNum);
        text += suffix;
    }
    return text;
}

std::string CGateParameter::GetSQRTText() const
{
    return gateSQRTOptions[m_nSqroot != 0 ? 1 : 0].text;
}

std::string CGateParameter::ModeOptionText(GateMode mode)
{
    return OptionText<GateMode>(modeOptions, mode);
}

GateMode CGateParameter::ModeOption(const std::string& text)
{
    return OptionValue<GateMode>(modeOptions, text, GM_S);
}

std::string CGateParameter::OperatorText(GateOperator op)
{
    return OptionText<GateOperator>(gateOperatorOptions, op);
}

GateOperator CGateParameter::GetOperator(const std::string& text)
{
    return OptionValue<GateOperator>(gateOperatorOptions, text, GO_MINUS);
}
