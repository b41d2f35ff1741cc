#include "ReportPdf.h"

#include "ConfigReport.h"
#include "DVDocData.h"
#include "TracePainter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

int OReportPdf::Write(const std::string& path, const OReportPrinter& printer, std::string& message)
{
    namespace fs = std::filesystem;
    if (path.empty()) {
        message = "No file name was given for the report.";
        return 0;
    }
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        message = "\"" + path + "\" is not a regular file; the report was not written.";
        return 0;
    }
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty() && !fs::is_directory(folder, ec)) {
        message = "\"" + path + "\" could not be written: the folder \"" + folder.string() +
                  "\" does not exist.";
        return 0;
    }

    QSaveFile file(Q(path));
    if (!file.open(QIODevice::WriteOnly)) {
        message = "\"" + path + "\" could not be written: " + file.errorString().toStdString();
        return 0;
    }
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setTitle(QString::fromLatin1(OConfigReport::kTitle));
        writer.setCreator(QStringLiteral("Tarvolin"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        writer.setResolution(600);
        pages = printer.Print(writer);
    }
    if (pages == 0) {
        file.cancelWriting();
        message = "\"" + path + "\" could not be written: the PDF could not be started.";
        return 0;
    }
    if (!file.commit()) {
        message = "\"" + path + "\" could not be written: " + file.errorString().toStdString();
        return 0;
    }
    return 1;
}

std::vector<std::string> OReportPdf::ReportLines(const ODVDocData& document)
{
    return OConfigReport::Build(OReportInputs::FromDocument(document));
}

std::vector<std::string> OReportPdf::PeakLines(const ODVDocData& document)
{
    std::vector<std::string> lines;
    const ODVChannels& names = document.GetGateDescriptors();
    for (int t = 0; t < OChromatogram::kTraces; ++t) {
        if (!document.HasPeakList(t))
            continue;
        const std::vector<OPeak>& peaks = document.GetPeaks(t);
        char line[160];
        lines.emplace_back();
        std::snprintf(line, sizeof line, "Peaks of gate %d (%s): %zu %s", t + 1,
                      names[t].name.c_str(), peaks.size(), peaks.size() == 1 ? "peak" : "peaks");
        lines.emplace_back(line);
        if (peaks.empty())
            continue;
        // 80 characters wide, as every line of the report.
        std::snprintf(line, sizeof line, "%3s %8s %8s %8s %9s %10s %6s %6s %6s %s", "#", "RT (s)",
                      "Start", "End", "Height", "Area", "Area %", "W1/2", "S/N", "Type");
        lines.emplace_back(line);
        for (size_t i = 0; i < peaks.size(); ++i) {
            const OPeak& p = peaks[i];
            std::snprintf(line, sizeof line, "%3zu %8.2f %8.2f %8.2f %9.4g %10.4g %6.2f %6.2f %6.0f %s",
                          i + 1, p.retentionTime, p.startTime, p.endTime, p.height, p.area,
                          p.areaPercent, p.width, p.signalToNoise, p.manual ? "manual" : "auto");
            lines.emplace_back(line);
        }
    }
    if (!lines.empty())
        lines.emplace_back("Peak parameters: " + document.GetPeakParameters().Summary());
    return lines;
}

QString OReportPdf::ChromatogramCaption(const ODVDocData& document)
{
    return QStringLiteral("Chromatogram - ") + Q(document.GetFileName());
}

QString OReportPdf::PulseCaption(const ODVDocData& document)
{
    const double time = document.GetCurrentPulseTime();
    QString caption = QStringLiteral("Pulse %1").arg(document.GetCurrentIndex() + 1);
    if (time >= 0.0)
        caption += QStringLiteral(" at %1 s").arg(time, 0, 'f', 2);
    return caption;
}

std::vector<OReportPicture> OReportPdf::DocumentPictures(const ODVDocData& document)
{
    const OChromatogram& c = document.GetChromatogram();
    OTraceChart scan;
    scan.xTitle = QStringLiteral("Seconds");
    scan.yTitle = QStringLiteral("Chromatogram");
    const int modes = std::clamp<int>(document.GetWorkingConfiguration().GetNumGateModes(), 0,
                                      OChromatogram::kTraces);
    const int first = std::max(c.first, 0);
    const int last = std::min(c.last, c.GetCount() - 1);
    for (int m = 0; m < modes; ++m) {
        OTraceSeries s;
        s.name = Q(document.GetGateDescriptors()[m].name);
        s.color = OTracePainter::GateColor(m);
        const auto& values = c.traces[static_cast<size_t>(m)];
        for (int i = first; i <= last && static_cast<size_t>(i) < values.size(); ++i) {
            s.x.push_back(c.times[static_cast<size_t>(i)]);
            s.y.push_back(values[static_cast<size_t>(i)]);
        }
        scan.series.push_back(std::move(s));
    }

    OTraceChart pulse;
    pulse.xTitle = QStringLiteral("msec");
    pulse.yTitle = QStringLiteral("Pulse");
    const OPulseShape shape = document.GetCurrentPulseShape();
    pulse.series.push_back({QStringLiteral("Pulse"), QColor(40, 40, 40), shape.x, shape.y});

    return {{ChromatogramCaption(document),
             [scan](QPainter& painter, const QRect& target) {
                 OTracePainter::Paint(painter, target, scan);
             }},
            {PulseCaption(document), [pulse](QPainter& painter, const QRect& target) {
                 OTracePainter::Paint(painter, target, pulse);
             }}};
}

std::shared_ptr<void> OReportPdf::ApplicationScope()
{
    if (QCoreApplication::instance())
        return nullptr;
    // A file needs no screen: the offscreen platform, unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tarvolin";
    static char* argv[] = {name, nullptr};
    return std::make_shared<QGuiApplication>(argc, argv);
}

int OReportPdf::WriteDocument(const ODVDocData& document, const std::string& path,
                              std::string& message)
{
    const std::shared_ptr<void> app = ApplicationScope();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        message = "The report cannot be drawn here: the program has no graphical application.";
        return 0;
    }
    const OReportPrinter printer(ReportLines(document), DocumentPictures(document));
    return Write(path, printer, message);
}
