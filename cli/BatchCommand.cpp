#include "BatchCommand.h"

#include "OpenRecording.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace cli {

void CBatchCommand::DeclareOptions(COptionTable& options)
{
    options
        .PositionalList("DIR|FILE.KLYN", m_inputs,
                        "the recordings: a folder stands for its .KLYN files, sorted by name")
        .What("a recording or a folder of them");
    options
        .Text("--out", m_strOut, "DIR",
              "the folder the peak tables, AIA files, reports and summary.csv go to (made "
              "when missing)")
        .What("the output folder")
        .Required()
        .Rule([](const std::string& folder, std::string& why) {
            std::error_code ec;
            if (folder.empty()) {
                why = "the output folder has no name";
                return false;
            }
            if (std::filesystem::exists(folder, ec) && !std::filesystem::is_directory(folder, ec)) {
                why = folder + " is not a folder";
                return false;
            }
            return true;
        });
    options.Integer("--gate", m_nGate, 1, 5, "N", "the gate whose trace is analysed")
        .What("the gate number");
    DeclareSetUpFile(options, m_strCnfg);
    DeclarePeakParameters(options, m_parameters);
    options
        .Integer("--jobs", m_nJobs, 0, 64, "N",
                 "recordings analysed at once (0: one per processor core)")
        .What("the number of jobs");
}

int CBatchCommand::Run(std::ostream& out, std::string& error)
{
    if (!m_parameters.Check(error))
        return 0;
    CBatchRun::Settings settings;
    if (!CBatchRun::ListRecordings(m_inputs, settings.recordings, error))
        return 0;
    settings.outFolder = m_strOut;
    settings.gate = m_nGate;
    settings.cnfg = m_strCnfg;
    settings.parameters = m_parameters;
    settings.workers = m_nJobs;
    settings.pdf = m_pdf;
    settings.pdfScope = m_pdfScope;
    CBatchRun batch;
    if (!batch.Run(settings, std::cerr, error))
        return 0;
    const int total = static_cast<int>(batch.Outcomes().size());
    const int failed = batch.GetFailedCount();
    out << total - failed << " of " << total << (total == 1 ? " recording" : " recordings")
        << " analysed";
    if (failed > 0)
        out << "; " << failed << " failed";
    out << ". Summary: " << batch.GetSummaryPath() << "\n";
    if (failed > 0) {
        error = std::to_string(failed) + " of " + std::to_string(total) +
                (total == 1 ? " recording" : " recordings") +
                " could not be analysed (see above and " + batch.GetSummaryPath() + ")";
        return 0;
    }
    return 1;
}

} // namespace cli
