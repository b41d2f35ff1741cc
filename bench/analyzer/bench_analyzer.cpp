// The Analyzer's windows on a one-hour recording (25 000 pulses), measured
// without a display (offscreen platform), each figure against its limit:
//
//  open_vs_read    opening the recording to drawn views (the document's
//                  calculation and load, both panes filled and painted)
//                  against a plain sequential read of the same file, page
//                  cache warm: the time ratio (how many plain reads an open
//                  costs).
//  cursor_frame    one move of the measurement cursor over the chromatogram
//                  (snap to trace on: the nearest point of five traces of
//                  25 000 points, the crosshair and the status-bar readout
//                  painted) against a 16.7 ms frame; median and 99th
//                  percentile (target under 0.5).
//  next_frame      one next-pulse step (the pulse read, the pulse pane
//                  redrawn, the marker moved, both painted) against the frame
//                  (target under 0.5).
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewScan.h"
#include "DataFile.h"
#include "MainFrame.h"
#include "RunLog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPulses = 25000; // one hour at about 7 pulses per second
constexpr double kFrameMs = 1000.0 / 60.0;

bool WriteHour(const std::string& path)
{
    CDataFileHeader header;
    header.StampNow();
    const double windows[5][2] = {{0.5, 1.5}, {1.5, 4.0}, {6.0, 14.0}, {2.0, 2.5}, {12.0, 18.0}};
    for (int g = 0; g < 5; ++g) {
        CGateParameter& gate = header.config.gates[g];
        gate.SetType(static_cast<unsigned short>(g));
        gate.SetStartA(windows[g][0]);
        gate.SetStopA(windows[g][1]);
        gate.SetStartB(20.0);
        gate.SetStopB(24.0);
        gate.SetOperator(GO_MINUS);
        gate.SetAlpha(0.5);
    }
    header.config.board.SetTriggerLevel(1500);
    CDataFileWriter writer;
    std::string message;
    if (!writer.Create(path, header, message))
        return false;
    for (int k = 0; k < kPulses; ++k) {
        CPulseData p;
        p.SetPulseIndex(k + 1);
        p.SetPulseTime(static_cast<long>(std::lround(k * 14.4)));
        p.SetTDelay(0.25);
        p.SetDarkCurrent(40);
        p.SetFrequencyPulse(6.94);
        const double t = k * 0.144;
        double height = 1000.0;
        for (double peak : {300.0, 1200.0, 2500.0})
            height += 50000.0 * std::exp(-(t - peak) * (t - peak) / 50.0);
        for (int i = 0; i < 250; ++i)
            p.AddData(static_cast<int>(height * std::exp(-std::abs(i - 8) / 40.0)) +
                      (k * 7 + i) % 13);
        if (!writer.Append(p, message))
            return false;
    }
    return writer.Close(message) == 1;
}

double PlainReadMs(const std::string& path)
{
    static std::vector<char> block(1 << 20);
    QElapsedTimer clock;
    clock.start();
    const int fd = ::open(path.c_str(), O_RDONLY);
    size_t total = 0;
    for (ssize_t r; (r = ::read(fd, block.data(), block.size())) > 0;)
        total += static_cast<size_t>(r);
    ::close(fd);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    return total > 0 ? ms : -1.0;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t at = std::min(
        values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
    return values[at];
}

double Median(std::vector<double> values)
{
    return Percentile(std::move(values), 0.5);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder(QDir::currentPath() + "/bench-analyzer-XXXXXX");
    qputenv("TARVOLIN_COMMON_DATA", folder.filePath("common").toUtf8());
    ORunLog::SetFilePath(folder.filePath("run.log").toStdString());
    const std::string path = folder.filePath("hour.KLYN").toStdString();
    if (!WriteHour(path)) {
        std::fprintf(stderr, "bench_analyzer: cannot write %s\n", path.c_str());
        return 1;
    }

    // Open to drawn views, against plain reads in the same run.
    std::vector<double> opens;
    std::vector<double> reads;
    PlainReadMs(path); // page cache warm
    CMainFrame::Options options;
    options.document.cacheFolder = folder.filePath("cache").toStdString();
    CMainFrame frame(options);
    frame.resize(1400, 900);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        return 1;
    ODVFrame* child = nullptr;
    for (int run = 0; run < 5; ++run) {
        reads.push_back(PlainReadMs(path));
        if (child)
            delete child->parentWidget(); // the sub-window, with the document
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        child = frame.OpenDocumentFile(QString::fromStdString(path));
        if (!child)
            return 1;
        QCoreApplication::processEvents(); // queued replots
        frame.repaint();
        opens.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    const double open = Median(opens);
    const double read = Median(reads);
    std::printf("open to drawn views: %.1f ms, plain read: %.2f ms, open_vs_read = %.1f\n", open,
                read, open / read);

    // Cursor moves across the chromatogram, snap to trace on.
    ODVViewScan* scan = child->ScanView();
    child->SetSnapToTrace(1, true);
    QCoreApplication::processEvents();
    const double xMin = scan->Chart()->GetXAxisMin();
    const double xMax = scan->Chart()->GetXAxisMax();
    std::vector<double> moves;
    for (int i = 0; i < 600; ++i) {
        const double x = xMin + (xMax - xMin) * (i % 300) / 300.0;
        QElapsedTimer clock;
        clock.start();
        scan->MoveCursor(x, 20000.0 + (i % 7) * 1000.0, true);
        scan->Chart()->repaint();
        frame.statusBar()->repaint();
        moves.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("cursor move: median %.3f ms, p99 %.3f ms; cursor_frame = %.3f (p99 %.3f)\n",
                Median(moves), Percentile(moves, 0.99), Median(moves) / kFrameMs,
                Percentile(moves, 0.99) / kFrameMs);

    // Next-pulse steps with both panes painted.
    std::vector<double> steps;
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer clock;
        clock.start();
        child->NextPulse();
        QCoreApplication::processEvents();
        child->repaint();
        steps.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("next pulse: median %.3f ms, p99 %.3f ms; next_frame = %.3f (p99 %.3f)\n",
                Median(steps), Percentile(steps, 0.99), Median(steps) / kFrameMs,
                Percentile(steps, 0.99) / kFrameMs);
    return 0;
}
