#pragma once
// CBatchRun: a day's recordings analysed in one go, as `tarvolin batch` does.
// Every recording is opened as the Analyzer opens it (with the set-up file
// when one is given), the peaks of one gate are found with the given
// parameters, and into the output folder go, per recording:
//
//   <name>-peaks.csv   the gate's peak table (OPeakTableCsv)
//   <name>.cdf         the gate's AIA file, with its peak section when peaks
//                      were found
//   <name>.pdf         the configuration report with its pictures (only when
//                      a PDF writer is given)
//
// <name> is the recording's file name without its extension; a name that
// two recordings share gets "-2", "-3" ... for the later ones. An output that
// would replace one of the recordings fails that recording instead. Then one
// summary, summary.csv, replaced whole through a temporary file:
//
//   File,Gate,Peaks,Largest peak retention time (s),Largest peak area (counts*s),Result
//
// one row per recording in the order given ("ok" or the reason it failed;
// the largest peak is the one of the largest area).
//
// The recordings are shared out among a small pool of threads, each with a
// document of its own. Each worker draws its reports too: Qt paints PDF pages
// (the PDF engine of its printers) and renders text outside the
// application's thread, one painter per device, while the application lives
// on the calling thread. A writer that must not leave that thread is run
// there instead (reportsOnWorkers false), as the documents come in; a worker
// then waits before opening another recording while as many documents as
// there are workers wait for their report. One line per
// recording done goes to the progress stream, "k/n name: ok" or the reason.
// A recording that cannot be read or analysed is reported and skipped; the
// rest go on. Library messages raised while a recording is worked on go to
// the progress stream prefixed with its name.

#include "DVDocData.h"
#include "PeakParameters.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

class CBatchRun {
public:
    // Writes the report of an open document as a PDF file: 1, or 0 with the reason.
    using PdfWriter =
        std::function<int(const ODVDocData& document, const std::string& path, std::string& error)>;

    static constexpr const char* kSummaryName = "summary.csv";

    struct Settings {
        std::vector<std::string> recordings; // in the summary's order
        std::string outFolder;               // made when missing
        int gate = 1;                        // 1..5
        std::string cnfg;                    // set-up file; empty for the recordings' own
        OPeakParameters parameters;
        int workers = 0; // 0: one per core (at most one per recording)
        PdfWriter pdf;   // none: no reports
        // Held on the calling thread while reports are drawn (the graphical
        // application the PDF writer needs); may be empty.
        std::function<std::shared_ptr<void>()> pdfScope;
        // Reports drawn by the workers; else on the calling thread as the
        // documents come in.
        bool reportsOnWorkers = true;
    };

    struct Outcome {
        std::string recording;
        int ok = 0;
        std::string reason; // why not, when not ok
        int peaks = 0;
        double retentionTime = 0.0; // of the largest peak by area
        double area = 0.0;
        std::string csv, aia, pdf; // the files written
    };

    // The recordings named by args: a folder stands for its ".KLYN" files
    // (any case) sorted by name, a file for itself. 1, or 0 with error when a
    // folder cannot be listed or holds none.
    static int ListRecordings(const std::vector<std::string>& args,
                              std::vector<std::string>& recordings, std::string& error);

    // Runs the batch. 1 when the summary was written (every recording's
    // outcome is in Outcomes(), failures included); 0 with error when the
    // batch could not run at all (the folder cannot be made, the summary
    // cannot be written, a setting out of range).
    int Run(const Settings& settings, std::ostream& progress, std::string& error);

    const std::vector<Outcome>& Outcomes() const { return m_outcomes; }
    int GetFailedCount() const;
    const std::string& GetSummaryPath() const { return m_strSummary; }

    // The summary's text for outcomes (gate 1..5).
    static std::string SummaryText(const std::vector<Outcome>& outcomes, int gate);

private:
    std::vector<Outcome> m_outcomes;
    std::string m_strSummary;
};

} // namespace cli
