#include "ChromatogramCsv.h"

#include "Archive.h"

#include <cstdio>

std::string OChromatogramCsv::Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::string OChromatogramCsv::Field(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string OChromatogramCsv::Text(const OChromatogram& chromatogram, const Names& names)
{
    std::string text = kTimeHeader;
    for (const std::string& name : names)
        text += "," + Field(name);
    text += "\n";
    const size_t rows = chromatogram.times.size();
    text.reserve(text.size() + rows * 6 * 14);
    for (size_t k = 0; k < rows; ++k) {
        text += Number(chromatogram.times[k]);
        for (const auto& trace : chromatogram.traces) {
            text += ',';
            // A trace shorter than the time axis is never loaded; stay safe all the same.
            text += k < trace.size() ? Number(trace[k]) : std::string();
        }
        text += '\n';
    }
    return text;
}

int OChromatogramCsv::Write(const std::string& path, const OChromatogram& chromatogram,
                            const Names& names, std::string& message)
{
    const std::string text = Text(chromatogram, names);
    std::string why;
    if (!WriteFileBytes(
            path,
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
            why)) {
        message = "cannot write " + path + ": " + why;
        return 0;
    }
    return 1;
}
