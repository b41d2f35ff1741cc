// Takes the documentation's picture of an overlay: two runs recorded from the
// board simulator's run model - the second injected later and richer in its
// second compound - the first run's window filling the Analyzer with the
// second laid over its chromatogram through the Overlay menu, gate S of both
// shown, the legend naming both files and the readout naming the run under
// the cursor.
// Usage: overlay-screenshot OUTPUT.png  (under a display, e.g. Xvfb)
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewScan.h"
#include "MainFrame.h"
#include "OverlayMenu.h"
#include "OverlaySet.h"
#include "SimOptions.h"
#include "ScreenshotSession.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSplitter>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: overlay-screenshot OUTPUT.png\n");
        return 2;
    }
    screenshot::CSession session("overlay-screenshot");
    if (!session.Ok() || !session.RecordTwoRuns())
        return 1;
    const std::string first = session.Path("run-0001.KLYN");
    const std::string second = session.Path("run-0002.KLYN");

    CMainFrame frame(session.FrameOptions());
    frame.resize(1440, 900);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        std::fprintf(stderr, "overlay-screenshot: the window was not shown\n");
    frame.OpenFiles({QString::fromStdString(first), QString::fromStdString(second)});
    const QList<ODVFrame*> frames = frame.Frames();
    bool overlaid = false;
    if (frames.size() == 2) {
        // The first run in front, filling the area; its chromatogram the larger pane.
        for (QMdiSubWindow* window : frame.MdiArea()->subWindowList())
            if (window->widget() == frames[0]) {
                frame.MdiArea()->setActiveSubWindow(window);
                window->showMaximized();
            }
        frames[0]->Splitter()->setSizes({300, 600});
        OOverlayMenu* menu = frame.OverlayMenu();
        menu->Rebuild();
        if (!menu->DocumentActions().isEmpty()) {
            menu->DocumentActions()[0]->trigger();
            overlaid = frames[0]->ScanView()->Overlays()->GetCount() == 1;
        }
        frames[0]->GetDocument()->GoToPulse(42);
        ODVViewScan* scan = frames[0]->ScanView();
        // Gate S of both runs alone: the view's other gates hidden by their legend boxes.
        scan->Legend()->SetChecked(1, false);
        scan->Legend()->SetChecked(2, false);
        scan->Restore();
        scan->Chart()->Replot(true);
        QTest::qWait(200);
        // The cursor on the later run's first peak.
        scan->MoveCursor(9.0, 45000.0, true);
    }
    QTest::qWait(400);
    const bool saved = overlaid && frame.grab().save(QString::fromLocal8Bit(argv[1]));
    std::printf("overlay-screenshot: %s %s\n", argv[1], saved ? "written" : "could not be written");
    return saved ? 0 : 1;
}
