#include "Commands.h"

#include "AnalyzeCommand.h"
#include "BatchCommand.h"
#include "CommandSet.h"
#include "ConfigApplyCommand.h"
#include "ConfigSaveCommand.h"
#include "ConfigShowCommand.h"
#include "ExportAiaCommand.h"
#include "InspectCommand.h"
#include "InstrumentsCommand.h"
#include "MessageService.h"
#include "PeaksCommand.h"
#include "RecordCommand.h"
#include "RepairCommand.h"
#include "ReportCommand.h"
#ifdef TARVOLIN_REPORT_PDF
#include "ReportPdf.h"
#endif
#include "SampleConfigCommand.h"
#include "StatusCommand.h"

namespace cli {

namespace {

// Library messages (an over-long INI line, say) go to standard error as one
// line each instead of waiting for a click that no one can give.
class CStreamSink : public IMessageSink {
public:
    explicit CStreamSink(std::ostream& err) : m_err(err) {}
    int Show(const std::string& text, const std::string& caption, MessageIcon,
             MessageButtons buttons) override
    {
        m_err << (caption.empty() ? "" : caption + " ") << text << "\n";
        // Nobody is there to say Yes to replacing or deleting anything.
        return CMessageService::HeadlessAnswer(buttons);
    }

private:
    std::ostream& m_err;
};

// The report's PDF needs Qt's painting; a build without it has no --pdf.
CReportCommand::PdfWriter ReportPdfWriter()
{
#ifdef TARVOLIN_REPORT_PDF
    return &OReportPdf::WriteDocument;
#else
    return {};
#endif
}

// The graphical application the reports of a batch share.
std::function<std::shared_ptr<void>()> ReportPdfScope()
{
#ifdef TARVOLIN_REPORT_PDF
    return &OReportPdf::ApplicationScope;
#else
    return {};
#endif
}

} // namespace

const CCommandSet& Commands()
{
    static const CCommandSet commands = [] {
        CCommandSet set("tarvolin");
        set.Add("inspect", "print any Tarvolin file readably",
                [] { return std::make_unique<CInspectCommand>(); });
        set.Add("sample-config", "write a sample board configuration (.cnfg)",
                [] { return std::make_unique<CSampleConfigCommand>(); });
        set.Add("status",
                "read an instrument's status word, revisions and set-up; --watch "
                "follows its live pulses",
                [] { return std::make_unique<CStatusCommand>(); });
        set.Add("record",
                "record an instrument's pulses into the next free data file (P001.KLYN, "
                "P002.KLYN, ...); --auto records each run by its timed Record events",
                [] { return std::make_unique<CRecordCommand>(); });
        set.Add("repair",
                "give a recording that did not finish the count of the pulses it holds (into "
                "FILE-repaired.KLYN)",
                [] { return std::make_unique<CRepairCommand>(); });
        set.Add("config save",
                "read the set-up an instrument holds (gates, board and channels, timed events) "
                "into a set-up file",
                [] { return std::make_unique<CConfigSaveCommand>(); });
        set.Add("config apply",
                "send a set-up file to an instrument, in the order the Monitor sends it",
                [] { return std::make_unique<CConfigApplyCommand>(); });
        set.Add("config show", "print a set-up file",
                [] { return std::make_unique<CConfigShowCommand>(); });
        set.Add("analyze",
                "compute a recording's chromatogram: pulses, time span, each trace's minimum "
                "and maximum; --csv writes the traces",
                [] { return std::make_unique<CAnalyzeCommand>(); });
        set.Add("export-aia", "export one gate's chromatogram as an AIA (ANDI) file",
                [] { return std::make_unique<CExportAiaCommand>(); });
        set.Add("peaks", "find and print the peak table of one gate's trace; --csv writes it",
                [] { return std::make_unique<CPeaksCommand>(); });
        set.Add(
            "batch",
            "analyse every recording of a folder (or the files given): peak table, AIA "
            "file and report per recording, and a summary",
            [] { return std::make_unique<CBatchCommand>(ReportPdfWriter(), ReportPdfScope()); });
        set.Add("report", "print a recording's configuration report",
                [] { return std::make_unique<CReportCommand>(ReportPdfWriter()); });
        set.Add("instruments", "list, add, modify and remove the instruments the Launcher shows",
                [] { return std::make_unique<CInstrumentsCommand>(); });
        return set;
    }();
    return commands;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CStreamSink sink(err);
    IMessageSink* previous = CMessageService::SetSink(&sink);
    const int result = Commands().Run(args, out, err);
    CMessageService::SetSink(previous);
    return result;
}

} // namespace cli
