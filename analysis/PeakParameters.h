#pragma once
// OPeakParameters: the settings of peak detection. Every parameter is
// declared once, in Table(): its name (settings key and command-line option
// --name), the form's label and unit, the default, the range and a help text.
// The settings object, the command line's options and help, and the
// Analyzer's form are all derived from that table; the defaults live nowhere
// else.

#include <string>
#include <vector>

struct OPeakParameters {
    enum class Kind { Real, Whole };

    struct Entry {
        const char* name;  // settings key and command-line option
        const char* label; // form label
        const char* unit;  // "" when the value has none
        Kind kind;
        double defaultValue;
        double minimum; // inclusive
        double maximum; // inclusive
        bool odd;       // whole numbers that must be odd
        const char* help;
        double OPeakParameters::*real = nullptr;
        int OPeakParameters::*whole = nullptr;
    };

    // Slope threshold, in multiples of the slope's noise.
    double threshold;
    // Narrowest width at half height reported, seconds.
    double minimumWidth;
    // Points of the window the slope is fitted over (odd).
    int smoothing;

    // Every value at its default from the table.
    OPeakParameters();

    static const std::vector<Entry>& Table();
    // The entry called name (case-insensitive); null when there is none.
    static const Entry* Find(const std::string& name);

    // The value of name from text ("5", "0.75"). 1, or 0 with message and
    // nothing changed when the name is unknown or the text is not a number
    // of the entry's kind within its range.
    int Set(const std::string& name, const std::string& text, std::string& message);
    // The value of name as text (locale-independent, shortest exact form); "" for none.
    std::string Get(const std::string& name) const;
    // 1 when every value lies in its range, else 0 with message.
    int Check(std::string& message) const;
    // "threshold 5, min-width 0.5 s, smoothing 9 points" for reports and files.
    std::string Summary() const;
    // The range and help of an entry for a command line's --help:
    // "  --threshold=X  Threshold factor ... (1 to 1000, default 5)".
    static std::string HelpText();

    bool operator==(const OPeakParameters& other) const = default;

private:
    double Value(const Entry& entry) const;
};
