// The Monitor's user-interface thread, measured without a display:
//
//  per-pulse cost   copying a 250-sample pulse, drawing it in the live plot,
//                   replotting at once and updating the frequency and time
//                   texts, for 7 pulses per second, against the 100 ms poll
//                   period (median and 99th percentile; target under 0.05).
//  per-pulse cost   the same with Follow on: every pulse refits both axes
//  with Follow      (target under 0.02 of the poll period).
//  start-up         from loading the resource library to a main window that
//                   has been painted once.
//  CPU share        the tarvolin-monitor program (offscreen) on the board
//  during a run     simulator running at its own pulse rate, for ten
//                   seconds: its processor time against one core (reported).
#include "MonitorText.h"
#include "PlotDlg.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"

#include "iPlotXControl.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

CPulseData MakePulse(int index)
{
    CPulseData pulse;
    pulse.SetPulseIndex(index);
    pulse.SetPulseTime(index * 14);
    pulse.SetFrequencyPulse(7.0);
    for (int i = 0; i < 250; ++i)
        pulse.AddData(2000 + static_cast<int>(50000.0 * std::exp(-(i - 40) * (i - 40) / 200.0)) +
                      (index * 37 + i * 11) % 300);
    return pulse;
}

// Clock ticks of user and system time the process has used, -1 when unknown.
long long CpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLongLong() + fields[12].toLongLong() : -1;
}

// The Monitor program during a simulated run: its processor time over ten
// seconds as a share of one core; -1 when the programs cannot be run.
double MonitorCpuShare()
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return -1.0;
    QProcess board;
    board.start(
        QStringLiteral(TARVOLIN_BOARDSIM_PATH),
        {"--port", "3", "--ports-dir", folder.filePath("ports"), "--run", "--duration", "40"});
    if (!board.waitForStarted(10000))
        return -1.0;
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(folder.filePath("ports/COM3")) && wait.elapsed() < 10000)
        QThread::msleep(20);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TARVOLIN_COMMON_DATA", folder.filePath("common"));
    env.insert("TARVOLIN_PORTS_DIR", folder.filePath("ports"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TARVOLIN_MONITOR_PATH), {"h:Bench", "-MCP:COM3"});
    double share = -1.0;
    if (program.waitForStarted(10000)) {
        QThread::sleep(3); // past the start-up
        const long long start = CpuTicks(program.processId());
        QElapsedTimer clock;
        clock.start();
        QThread::sleep(10);
        const long long end = CpuTicks(program.processId());
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (start >= 0 && end >= start)
            share = static_cast<double>(end - start) / static_cast<double>(sysconf(_SC_CLK_TCK)) /
                    seconds;
        program.kill();
        program.waitForFinished(5000);
    }
    board.kill();
    board.waitForFinished(5000);
    return share;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t at = std::min(
        values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
    return values[at];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QElapsedTimer startup;
    startup.start();
    if (!CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE)) {
        std::fprintf(stderr, "bench_monitor: cannot load %s\n", TARVOLIN_RESOURCE_FILE);
        return 1;
    }
    CQuillonDlg window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QCoreApplication::processEvents();
    window.grab(); // forces a full paint of every child
    const double startupMs = static_cast<double>(startup.nsecsElapsed()) / 1e6;

    CPlotDlg* plot = window.Plot();
    std::vector<CPulseData> pulses;
    for (int i = 0; i < 50; ++i)
        pulses.push_back(MakePulse(i));
    plot->DrawPulse(pulses[0], 0);
    plot->ZoomToFit();
    std::vector<double> costs;
    CPulseData live;
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer timer;
        timer.start();
        live = pulses[static_cast<size_t>(i) % pulses.size()];
        plot->DrawPulse(live, 0);
        plot->PlotControl()->Replot(true);
        const std::string frequency =
            monitor::FrequencyText(monitor::CorrectedFrequency(1.0f, live.GetFrequencyPulse()));
        const std::string elapsed = monitor::ElapsedTimeText(live.GetPulseTime());
        window.CurrentData()->SetFrequency(0, QString::fromStdString(frequency));
        costs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    // Follow on: each pulse refits the view before the replot.
    plot->SetFollow(true);
    std::vector<double> followCosts;
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer timer;
        timer.start();
        live = pulses[static_cast<size_t>(i) % pulses.size()];
        live.SetPulseIndex(1000 + i);
        plot->DrawPulse(live, 0);
        plot->PlotControl()->Replot(true);
        window.CurrentData()->SetFrequency(
            0, QString::fromStdString(monitor::FrequencyText(live.GetFrequencyPulse())));
        followCosts.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    plot->SetFollow(false);
    const double followMedian = Percentile(followCosts, 0.5);
    const double followP99 = Percentile(followCosts, 0.99);

    const double median = Percentile(costs, 0.5);
    const double p99 = Percentile(costs, 0.99);
    std::printf("per_pulse_ms_median      %8.3f   vs 100 ms period: %.4f (target < 0.05)\n", median,
                median / 100.0);
    std::printf("per_pulse_ms_p99         %8.3f   vs 100 ms period: %.4f (target < 0.05)\n", p99,
                p99 / 100.0);
    std::printf("ui_busy_at_7_per_s       %8.3f %%  of the user-interface thread\n",
                median * 7.0 / 10.0);
    std::printf("follow_per_pulse_median  %8.3f   vs 100 ms period: %.4f (target < 0.02)\n",
                followMedian, followMedian / 100.0);
    std::printf("follow_per_pulse_p99     %8.3f   vs 100 ms period: %.4f (target < 0.02)\n",
                followP99, followP99 / 100.0);
    std::printf("startup_to_drawn_ms      %8.1f\n", startupMs);
    const double share = MonitorCpuShare();
    if (share >= 0.0)
        std::printf("monitor_cpu_during_run   %8.2f %%  of one core (tarvolin-monitor, offscreen, "
                    "7 pulses/s)\n",
                    share * 100.0);
    return 0;
}
