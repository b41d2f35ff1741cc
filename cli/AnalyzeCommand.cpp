#include "AnalyzeCommand.h"

#include "ChromatogramCsv.h"
#include "DVDocData.h"
#include "OpenRecording.h"

#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

std::string Format(const char* format, double a, double b = 0.0, double c = 0.0)
{
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

} // namespace

void CAnalyzeCommand::DeclareOptions(COptionTable& options)
{
    DeclareRecordingOptions(options, m_strPath, m_strCnfg);
    options
        .Text("--csv", m_strCsv, "OUT.csv",
              "also write the time (seconds) and the five traces as comma-separated text")
        .What("the CSV file");
}

void CAnalyzeCommand::PrintSummary(const ODVDocData& document, const std::string& setUp,
                                   std::ostream& out)
{
    const OChromatogram& c = document.GetChromatogram();
    out << "Recording: " << document.GetPathName() << "\n";
    if (!setUp.empty())
        out << "Set-up:    " << setUp << "\n";
    out << "Pulses:    " << document.GetPulseCount() << "\n";
    if (!c.IsEmpty()) {
        const float from = c.times[static_cast<size_t>(std::max(c.first, 0))];
        const float to = c.times[static_cast<size_t>(std::clamp(c.last, 0, c.GetCount() - 1))];
        out << "Time span: "
            << Format("%.2f s to %.2f s (%.2f s)", from, to, static_cast<double>(to - from))
            << "\n";
    }
    out << "Gate  Trace             Minimum          Maximum\n";
    for (int m = 0; m < OChromatogram::kTraces; ++m) {
        const auto& trace = c.traces[static_cast<size_t>(m)];
        char line[160];
        if (trace.empty()) {
            std::snprintf(line, sizeof line, "%4d  %-12s %12s %16s", m + 1,
                          TraceName(document, m).c_str(), "-", "-");
        } else {
            const auto [lo, hi] = std::minmax_element(trace.begin(), trace.end());
            std::snprintf(line, sizeof line, "%4d  %-12s %12.9g %16.9g%s", m + 1,
                          TraceName(document, m).c_str(), static_cast<double>(*lo),
                          static_cast<double>(*hi),
                          c.clamped[static_cast<size_t>(m)] ? "  (clamped)" : "");
        }
        out << line << "\n";
    }
    if (!document.GetSalvageNote().empty())
        out << "Note: " << document.GetSalvageNote() << "\n";
    if (!document.GetTimeAxisNote().empty())
        out << "Note: " << document.GetTimeAxisNote() << "\n";
    for (int m = 0; m < OChromatogram::kTraces; ++m)
        if (c.clamped[static_cast<size_t>(m)])
            out << "Note: gate " << m + 1 << " (" << TraceName(document, m)
                << ") reaches outside the pulse; its windows were clamped to the pulse's "
                   "samples.\n";
}

int CAnalyzeCommand::Run(std::ostream& out, std::string& error)
{
    ODVDocData document;
    if (!OpenRecording(document, m_strPath, m_strCnfg, error))
        return 0;
    PrintSummary(document, m_strCnfg, out);
    if (m_strCsv.empty())
        return 1;
    OChromatogramCsv::Names names;
    for (int m = 0; m < OChromatogram::kTraces; ++m)
        names[static_cast<size_t>(m)] = TraceName(document, m);
    if (!OChromatogramCsv::Write(m_strCsv, document.GetChromatogram(), names, error))
        return 0;
    out << "CSV:       " << m_strCsv << " (" << document.GetChromatogram().GetCount()
        << " rows and a header)\n";
    return 1;
}

} // namespace cli
