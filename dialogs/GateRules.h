#pragma once
// The gate dialog's rules, apart from its widgets: the list row of a gate,
// the formula label, how field texts become numbers, and which gate windows
// the dialog accepts.

#include "GateParameters.h"

#include <string>
#include <vector>

class CGateRules {
public:
    // The pulse is 250 samples of 0.1 ms: a window must lie in 0 .. 24.9 ms.
    static constexpr double kPulseEndMs = 24.9;
    // The formula label shows at most this many characters of the alpha text.
    static constexpr size_t kMaxAlphaLabel = 12;

    // "%4s\t%6.1f\t%6.1f\t%3s\t%4.3f\t%4.1f\t%2.1f\t%s": mode text, start A,
    // stop A, operator text, alpha, start B, stop B, square-root text.
    static std::string RowText(const CGateParameter& gate);
    // The gates the list shows, in order: those whose mode text is not empty.
    // The list row is the position in this vector; the value is the gate.
    static std::vector<int> ListedGates(const CGateParameters& gates);

    // "A %s %sB" with the operator text and the first 12 characters of the alpha text.
    static std::string FormulaLabel(const std::string& operatorText, const std::string& alphaText);
    // Field formats: times "%0.1lf", alpha "%0.3lf".
    static std::string TimeText(double value);
    static std::string AlphaText(double value);
    // A field's number: the decimal number at the start of the text (blanks
    // before it allowed); a text that does not start with one gives 0, and
    // so does one that names no finite number.
    static double ParseNumber(const std::string& text);

    // Windows outside the pulse would be computed from samples that do not
    // exist: 1 when both windows lie within 0 .. 24.9 ms with the stop not
    // before the start, else 0 with the reason in message.
    static int CheckWindows(double startA, double stopA, double startB, double stopB,
                            std::string& message);
};
