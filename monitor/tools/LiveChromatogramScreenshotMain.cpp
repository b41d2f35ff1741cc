// Takes the documentation's picture of the live chromatogram: the Monitor on
// a simulated board whose run elutes the simulator's four compounds (6, 12,
// 18.5 and 25 s), saved once the run has passed them all.
// Usage: monitor-livechrom-screenshot OUTPUT.png  (under a display, e.g. Xvfb)
#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "LiveChromatogram.h"
#include "LiveRun.h"
#include "PlotDlg.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: monitor-livechrom-screenshot OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir folder;
    qputenv("TARVOLIN_COMMON_DATA", folder.filePath("common").toUtf8());
    qputenv("TARVOLIN_PORTS_DIR", folder.filePath("ports").toUtf8());
    if (!CQuillonApp::LoadResources(QCoreApplication::applicationDirPath() +
                                    "/QuillonRes0409.rcc")) {
        std::fprintf(stderr, "monitor-livechrom-screenshot: %s\n", CQuillonApp::kMissingResources);
        return 1;
    }

    // Run time at twice the real pace: the four compounds within 16 s.
    CSimOptions options;
    options.port = 1;
    options.portsDir = folder.filePath("ports").toStdString();
    options.clockSpeed = 2.0;
    CBoardSimulator sim(options);
    std::string error;
    if (!sim.Start(error)) {
        std::fprintf(stderr, "monitor-livechrom-screenshot: %s\n", error.c_str());
        return 1;
    }
    CQuillonApp::ApplyCommandLine({"h:GC1", "-MCP:COM1"});
    CCoreInterface::Initialize();
    int result = 1;
    {
        CQuillonDlg window;
        window.Initialize();
        window.resize(1180, 820);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            std::fprintf(stderr, "monitor-livechrom-screenshot: the window was not shown\n");
        QElapsedTimer clock;
        clock.start();
        while (window.IsReadingStartUpSetUp() && clock.elapsed() < 20000)
            QTest::qWait(50);
        sim.StartRun();
        const OLiveChromatogram& live = window.LiveRun().Chromatogram();
        while ((live.GetPulseCount() == 0 || live.GetLastTime() < 31.0f) &&
               clock.elapsed() < 60000)
            QTest::qWait(50);
        window.Plot()->ZoomToFit();
        QTest::qWait(300);
        result = window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        std::printf("monitor-livechrom-screenshot: %s %s (%lld pulses, %.1f s of run)\n", argv[1],
                    result == 0 ? "written" : "could not be written",
                    static_cast<long long>(live.GetPulseCount()),
                    static_cast<double>(live.GetLastTime()));
    }
    CCoreInterface::Cleanup();
    return result;
}
