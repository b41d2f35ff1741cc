#pragma once
// OChromatogramCsv: a chromatogram as comma-separated text, for spreadsheets
// and scripts. One header row - "Time (s)" and the five traces' names - then
// one row per pulse: its time in seconds and the five gate values. Every
// number is written with nine significant digits ("%.9g"), enough for a
// reader to get back the very float the calculation produced. Names with a
// comma, a quote or a line break are quoted, a quote inside doubled.

#include "Chromatogram.h"

#include <array>
#include <string>

class OChromatogramCsv {
public:
    using Names = std::array<std::string, OChromatogram::kTraces>;

    static constexpr const char* kTimeHeader = "Time (s)";

    static std::string Text(const OChromatogram& chromatogram, const Names& names);
    // Writes the text to path through a temporary file renamed over it, so a
    // failed write leaves an earlier file whole. 1, or 0 with the reason.
    static int Write(const std::string& path, const OChromatogram& chromatogram, const Names& names,
                     std::string& message);

    // "%.9g" of the value.
    static std::string Number(float value);
    // The text as one field: quoted when it needs to be.
    static std::string Field(const std::string& text);
};
