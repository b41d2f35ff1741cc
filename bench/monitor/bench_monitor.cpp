// The Monitor's user-interface thread, measured without a display:
//
//  per-pulse cost   copying a 250-sample pulse, drawing it in the live plot,
//                   replotting at once and updating the frequency and time
//                   texts, for 7 pulses per second, against the 100 ms poll
//                   period (median and 99th percentile; target under 0.05).
//  start-up         from loading the resource library to a main window that
//                   has been painted once.
#include "MonitorText.h"
#include "PlotDlg.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"

#include "iPlotXControl.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

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
        pulse.AddData(2000 + static_cast<int>(50000.0 * std::exp(-(i - 40) * (i - 40) / 200.0)) + (index * 37 + i * 11) % 300);
    return pulse;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
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
        const std::string frequency = monitor::FrequencyText(monitor::CorrectedFrequency(1.0f, live.GetFrequencyPulse()));
        const std::string elapsed = monitor::ElapsedTimeText(live.GetPulseTime());
        window.CurrentData()->SetFrequency(0, QString::fromStdString(frequency));
        costs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    const double median = Percentile(costs, 0.5);
    const double p99 = Percentile(costs, 0.99);
    std::printf("per_pulse_ms_median      %8.3f   vs 100 ms period: %.4f (target < 0.05)\n", median, median / 100.0);
    std::printf("per_pulse_ms_p99         %8.3f   vs 100 ms period: %.4f (target < 0.05)\n", p99, p99 / 100.0);
    std::printf("ui_busy_at_7_per_s       %8.3f %%  of the user-interface thread\n", median * 7.0 / 10.0);
    std::printf("startup_to_drawn_ms      %8.1f\n", startupMs);
    return 0;
}
