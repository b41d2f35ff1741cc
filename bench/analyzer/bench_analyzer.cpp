// The Analyzer's windows on a one-hour recording (25 000 pulses), measured
// without a display (offscreen platform), each figure against its limit:
//
//  open_vs_read    opening the recording to drawn views (the document's
//                  calculation and load, both panes filled and painted)
//                  against a plain sequential read of the same file in 1 MiB
//                  blocks, page cache warm: the time ratio (how many plain
//                  reads an open costs); the document alone is shown too.
//  cursor_frame    one move of the measurement cursor over the chromatogram
//                  (snap to trace on: the nearest point of five traces of
//                  25 000 points, the crosshair and the status-bar readout
//                  painted) against a 16.7 ms frame; median and 99th
//                  percentile of the wall time, and the median CPU time
//                  (target under 0.5).
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
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
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

// Time this thread spent on the CPU: what the work costs without the waits
// for a CPU that other programs keep busy.
double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Median(std::vector<double> values)
{
    return Percentile(std::move(values), 0.5);
}

// Wall-clock median and 99th percentile against the frame, and the CPU time
// of the same work (what it costs when no other program wants the CPU).
void Report(const char* what, const char* ratio, const std::vector<double>& wall,
            const std::vector<double>& cpu)
{
    std::printf("%s: median %.3f ms, p99 %.3f ms (cpu median %.3f ms): %s = %.3f (p99 %.3f, "
                "cpu %.3f)\n",
                what, Median(wall), Percentile(wall, 0.99), Median(cpu), ratio,
                Median(wall) / kFrameMs, Percentile(wall, 0.99) / kFrameMs, Median(cpu) / kFrameMs);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // On the disk a recording would use: $TARVOLIN_BENCH_DIR, else /var/tmp.
    QString base = qEnvironmentVariable("TARVOLIN_BENCH_DIR");
    if (base.isEmpty())
        base = QDir(QStringLiteral("/var/tmp")).exists() ? QStringLiteral("/var/tmp")
                                                         : QDir::tempPath();
    QTemporaryDir folder(base + QStringLiteral("/tarvolin-bench-XXXXXX"));
    qputenv("TARVOLIN_COMMON_DATA", folder.filePath("common").toUtf8());
    ORunLog::SetFilePath(folder.filePath("run.log").toStdString());
    const std::string path = folder.filePath("hour.KLYN").toStdString();
    if (!WriteHour(path)) {
        std::fprintf(stderr, "bench_analyzer: cannot write %s\n", path.c_str());
        return 1;
    }

    // Open to drawn views, against plain reads in the same run.
    std::vector<double> opens;
    std::vector<double> opensCpu;
    std::vector<double> documents;
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
        {
            // The document alone, for the share the windows add.
            ODVDocData document(options.document);
            std::string message;
            QElapsedTimer clock;
            clock.start();
            document.Open(path, message);
            documents.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        if (child)
            delete child->parentWidget(); // the sub-window, with the document
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        const double cpu = CpuMs();
        child = frame.OpenDocumentFile(QString::fromStdString(path));
        if (!child)
            return 1;
        QCoreApplication::sendPostedEvents(); // the queued replots
        QCoreApplication::processEvents();    // and the paints
        opens.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        opensCpu.push_back(CpuMs() - cpu);
    }
    const double read = Median(reads);
    std::printf("open to drawn views: %.1f ms (cpu %.1f ms; the document alone %.1f ms), plain "
                "read %.2f ms: open_vs_read = %.1f\n",
                Median(opens), Median(opensCpu), Median(documents), read, Median(opens) / read);

    // Cursor moves across the chromatogram, snap to trace on.
    ODVViewScan* scan = child->ScanView();
    child->SetSnapToTrace(1, true);
    QCoreApplication::processEvents();
    const double xMin = scan->Chart()->GetXAxisMin();
    const double xMax = scan->Chart()->GetXAxisMax();
    std::vector<double> moves;
    std::vector<double> movesCpu;
    for (int i = 0; i < 600; ++i) {
        const double x = xMin + (xMax - xMin) * (i % 300) / 300.0;
        QElapsedTimer clock;
        clock.start();
        const double cpu = CpuMs();
        scan->MoveCursor(x, 20000.0 + (i % 7) * 1000.0, true);
        QCoreApplication::processEvents(); // the overlay and the status bar painted
        moves.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        movesCpu.push_back(CpuMs() - cpu);
    }
    Report("cursor move", "cursor_frame", moves, movesCpu);

    // Next-pulse steps with both panes painted.
    std::vector<double> steps;
    std::vector<double> stepsCpu;
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer clock;
        clock.start();
        const double cpu = CpuMs();
        child->NextPulse();
        QCoreApplication::sendPostedEvents(); // the queued replot
        QCoreApplication::processEvents();    // and the paints
        steps.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        stepsCpu.push_back(CpuMs() - cpu);
    }
    Report("next pulse", "next_frame", steps, stepsCpu);
    return 0;
}
