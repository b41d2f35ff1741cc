#include "PeaksCommand.h"

#include "DVDocData.h"
#include "OpenRecording.h"
#include "PeakTableCsv.h"

#include <algorithm>
#include <array>

namespace cli {

namespace {

struct Column {
    const char* heading;
    int decimals; // as OPeakTableCsv: fixed decimals, or significant digits when negative
};

// The CSV's columns in its order, with shorter headings.
constexpr std::array<Column, 13> kColumns{{
    {"Peak", 0},
    {"RT (s)", 4},
    {"Start (s)", 4},
    {"End (s)", 4},
    {"Height", -1},
    {"Area (*s)", -1},
    {"Area %", -1},
    {"Width (s)", -1},
    {"S/N", -1},
    {"BL start (s)", 4},
    {"BL start value", -1},
    {"BL end (s)", 4},
    {"BL end value", -1},
}};

std::string Cell(const std::string& text, size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

} // namespace

void CPeaksCommand::DeclareOptions(COptionTable& options)
{
    DeclareRecording(options, m_strPath);
    options.Integer("--gate", m_nGate, 1, 5, "N", "the gate whose trace's peaks are found")
        .What("the gate number")
        .Required();
    DeclareSetUpFile(options, m_strCnfg);
    options.Text("--csv", m_strCsv, "OUT.csv", "also write the peak table as comma-separated text")
        .What("the CSV file");
    DeclarePeakParameters(options, m_parameters);
}

std::string CPeaksCommand::Table(const std::vector<OPeak>& peaks)
{
    std::vector<std::array<std::string, kColumns.size() + 1>> rows;
    for (size_t i = 0; i < peaks.size(); ++i) {
        const OPeak& p = peaks[i];
        const double values[] = {0.0,
                                 p.retentionTime,
                                 p.startTime,
                                 p.endTime,
                                 p.height,
                                 p.area,
                                 p.areaPercent,
                                 p.width,
                                 p.signalToNoise,
                                 p.baselineStartTime,
                                 p.baselineStartValue,
                                 p.baselineEndTime,
                                 p.baselineEndValue};
        std::array<std::string, kColumns.size() + 1> row;
        row[0] = std::to_string(i + 1);
        for (size_t c = 1; c < kColumns.size(); ++c)
            row[c] = OPeakTableCsv::Number(values[c], kColumns[c].decimals);
        // Manual, perpendicular start, perpendicular end.
        row.back() = std::string(p.manual ? "M" : "") + (p.perpendicularStart ? "|<" : "") +
                     (p.perpendicularEnd ? ">|" : "");
        rows.push_back(row);
    }
    std::array<size_t, kColumns.size() + 1> widths{};
    for (size_t c = 0; c < kColumns.size(); ++c)
        widths[c] = std::string(kColumns[c].heading).size();
    widths.back() = 5; // "Flags"
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    std::string text;
    for (size_t c = 0; c < kColumns.size(); ++c)
        text += (c ? "  " : "") + Cell(kColumns[c].heading, widths[c]);
    text += "  Flags\n";
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < kColumns.size(); ++c)
            line += (c ? "  " : "") + Cell(row[c], widths[c]);
        line += "  " + row.back();
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line + "\n";
    }
    return text;
}

int CPeaksCommand::Run(std::ostream& out, std::string& error)
{
    if (!m_parameters.Check(error))
        return 0;
    ODVDocData document;
    if (!OpenRecording(document, m_strPath, m_strCnfg, error))
        return 0;
    const int trace = m_nGate - 1;
    std::string message;
    if (!document.SetPeakParameters(m_parameters, message) ||
        !document.DetectPeaks(trace, message)) {
        error = m_strPath + ": " + message;
        return 0;
    }
    const std::vector<OPeak>& peaks = document.GetPeaks(trace);
    out << "Recording: " << document.GetPathName() << "\n";
    if (!m_strCnfg.empty())
        out << "Set-up:    " << m_strCnfg << "\n";
    out << "Gate " << m_nGate << " (" << TraceName(document, trace) << "): " << peaks.size()
        << (peaks.size() == 1 ? " peak" : " peaks") << ", " << m_parameters.Summary() << "\n";
    if (!peaks.empty())
        out << Table(peaks);
    if (m_strCsv.empty())
        return 1;
    if (!OPeakTableCsv::Write(m_strCsv, peaks, message)) {
        error = message;
        return 0;
    }
    out << "CSV:       " << m_strCsv << " (" << peaks.size() << " rows and a header)\n";
    return 1;
}

} // namespace cli
