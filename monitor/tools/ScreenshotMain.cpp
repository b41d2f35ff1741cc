// Takes the Monitor's picture for the documentation: the main window on a
// simulated board during a run, saved as a PNG once live pulses are drawn.
// Usage: monitor-screenshot OUTPUT.png [MINIMUM.png MAXIMISED.png]
// (run it under a display, e.g. Xvfb); the two further pictures show the
// window at its smallest readable size and maximised.
#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "PlotDlg.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: monitor-screenshot OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir folder;
    qputenv("TARVOLIN_COMMON_DATA", folder.filePath("common").toUtf8());
    qputenv("TARVOLIN_PORTS_DIR", folder.filePath("ports").toUtf8());
    if (!CQuillonApp::LoadResources(QCoreApplication::applicationDirPath() +
                                    "/QuillonRes0409.rcc")) {
        std::fprintf(stderr, "monitor-screenshot: %s\n", CQuillonApp::kMissingResources);
        return 1;
    }

    CSimOptions options;
    options.port = 1;
    options.portsDir = folder.filePath("ports").toStdString();
    options.runAtStart = true;
    options.clockSpeed = 1.0;
    CBoardSimulator sim(options);
    std::string error;
    if (!sim.Start(error)) {
        std::fprintf(stderr, "monitor-screenshot: %s\n", error.c_str());
        return 1;
    }
    CQuillonApp::ApplyCommandLine({"h:GC1", "-MCP:COM1"});
    CCoreInterface::Initialize();
    int result = 1;
    {
        CQuillonDlg window;
        window.Initialize();
        window.resize(1180, 760);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            std::fprintf(stderr, "monitor-screenshot: the window was not shown\n");
        // Wait for the first compound's peak (6 s into the run) so the pulse
        // shows its shape, then hold one pulse as a reference for contrast.
        QElapsedTimer clock;
        clock.start();
        bool held = false;
        while (clock.elapsed() < 9000) {
            QTest::qWait(50);
            if (!held && clock.elapsed() > 4500 && window.LivePulse().GetDataCount() > 0) {
                window.OnHoldReference(1);
                held = true;
            }
        }
        window.Plot()->ZoomToFit();
        QTest::qWait(300);
        result = window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        std::printf("monitor-screenshot: %s %s\n", argv[1],
                    result == 0 ? "written" : "could not be written");
        if (argc >= 4 && result == 0) {
            window.resize(window.GetReadableMinimumSize());
            QTest::qWait(1500);
            window.Plot()->ZoomToFit();
            QTest::qWait(300);
            result |= window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
            window.showMaximized();
            QTest::qWait(500);
            // Without a window manager nobody maximises: the screen's free area then.
            const QRect screen = window.screen()->availableGeometry();
            if (window.width() < screen.width() - 50) {
                window.showNormal();
                window.setGeometry(screen);
            }
            QTest::qWait(1500);
            window.Plot()->ZoomToFit();
            QTest::qWait(300);
            result |= window.grab().save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
            std::printf("monitor-screenshot: %s, %s %s\n", argv[2], argv[3],
                        result == 0 ? "written" : "could not be written");
        }
    }
    CCoreInterface::Cleanup();
    return result;
}
