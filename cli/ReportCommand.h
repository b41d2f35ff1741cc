#pragma once
// `tarvolin report FILE.KLYN [--cnfg SETUP.cnfg]`: the configuration report
// the Analyzer prints for a recording, as text on standard output.
//
// A PDF of the report needs Qt's painting (no widgets). A build that has it
// hands the command a PDF writer; the command then offers --pdf OUT.pdf and
// writes the report with the chromatogram and the pulse on a second page
// instead of the text.

#include "Command.h"

#include <functional>
#include <string>

class ODVDocData;

namespace cli {

class CReportCommand : public CCommand {
public:
    // Writes the report of an open document as a PDF file: 1, or 0 with the reason.
    using PdfWriter =
        std::function<int(const ODVDocData& document, const std::string& path, std::string& error)>;

    explicit CReportCommand(PdfWriter pdf = {}) : m_pdf(std::move(pdf)) {}

    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    PdfWriter m_pdf;
    std::string m_strPath;
    std::string m_strCnfg;
    std::string m_strPdf;
};

} // namespace cli
