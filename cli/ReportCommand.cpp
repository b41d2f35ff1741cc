#include "ReportCommand.h"

#include "ConfigReport.h"
#include "DVDocData.h"
#include "OpenRecording.h"

namespace cli {

void CReportCommand::DeclareOptions(COptionTable& options)
{
    DeclareRecordingOptions(options, m_strPath, m_strCnfg);
    if (m_pdf)
        options.Text("--pdf", m_strPdf, "OUT.pdf", "write the report as a PDF file instead")
            .What("the PDF file");
}

int CReportCommand::Run(std::ostream& out, std::string& error)
{
    ODVDocData document;
    if (!OpenRecording(document, m_strPath, m_strCnfg, error))
        return 0;
    if (!m_strPdf.empty()) {
        if (!m_pdf(document, m_strPdf, error))
            return 0;
        out << "Report of " << document.GetFileName() << " written to " << m_strPdf << "\n";
        return 1;
    }
    out << OConfigReport::Text(OReportInputs::FromDocument(document));
    return 1;
}

} // namespace cli
