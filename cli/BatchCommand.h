#pragma once
// `tarvolin batch DIR|FILES... --out DIR [--gate N] [--cnfg SETUP.cnfg]
// [--threshold X] [--min-width S] [--smoothing N] [--jobs N]`: every
// recording analysed by CBatchRun - peak table, AIA file and (in a build with
// the report's pages) a PDF report per recording, and summary.csv, in the
// output folder. Progress on standard error; the status is 1 when any
// recording failed.

#include "BatchRun.h"
#include "Command.h"

#include <string>
#include <vector>

namespace cli {

class CBatchCommand : public CCommand {
public:
    explicit CBatchCommand(CBatchRun::PdfWriter pdf = {},
                           std::function<std::shared_ptr<void>()> pdfScope = {})
        : m_pdf(std::move(pdf)), m_pdfScope(std::move(pdfScope))
    {
    }

    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    CBatchRun::PdfWriter m_pdf;
    std::function<std::shared_ptr<void>()> m_pdfScope;
    std::vector<std::string> m_inputs;
    std::string m_strOut;
    std::string m_strCnfg;
    int m_nGate = 1;
    int m_nJobs = 0;
    OPeakParameters m_parameters;
};

} // namespace cli
