#pragma once
// OReportPdf: a document's configuration report as a PDF file - the report's
// pages, then a page with the chromatogram and the pulse - so that a run can
// be archived in one file. The Analyzer's "Export PDF..." and `tarvolin
// report --pdf` both write it.
//
// The file is written under a temporary name beside the target and renamed
// over it only when complete, so a failed write leaves an older file as it
// was. A target that exists and is not a regular file (a folder, a FIFO, a
// device) is refused.

#include "ReportPrinter.h"

#include <memory>
#include <string>
#include <vector>

class ODVDocData;
class QPagedPaintDevice;

class OReportPdf {
public:
    // Writes printer's pages to path. 1, or 0 with message.
    static int Write(const std::string& path, const OReportPrinter& printer, std::string& message);

    // The report's lines of document.
    static std::vector<std::string> ReportLines(const ODVDocData& document);
    // The peak table of every trace whose peaks were asked for (hand edits
    // included), to follow the report's lines; none when no list was.
    static std::vector<std::string> PeakLines(const ODVDocData& document);
    // The chromatogram (the traces of the gate modes in use) and the current
    // pulse, drawn without a window.
    static std::vector<OReportPicture> DocumentPictures(const ODVDocData& document);
    static QString ChromatogramCaption(const ODVDocData& document);
    static QString PulseCaption(const ODVDocData& document);

    // The command line's writer: the report of document with its pictures,
    // in a graphical application of its own when the process has none (on
    // the "offscreen" platform unless QT_QPA_PLATFORM names another). 1, or
    // 0 with message.
    static int WriteDocument(const ODVDocData& document, const std::string& path,
                             std::string& message);
    // The graphical application WriteDocument would make, kept for as long as
    // the result lives so that a run of reports (a batch) makes it once; null
    // when the process has an application already. Main thread only.
    static std::shared_ptr<void> ApplicationScope();
};
