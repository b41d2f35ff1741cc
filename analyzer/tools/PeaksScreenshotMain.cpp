// Takes the picture of the peak table for the documentation: one run of the
// board simulator's model (four compounds in 30 s) with the table docked
// under it, the second peak picked in the table and highlighted in the
// chromatogram, the retention times written over the peaks.
// Usage: analyzer-peaks-screenshot OUTPUT.png  (under a display, e.g. Xvfb)
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewScan.h"
#include "MainFrame.h"
#include "PeakOverlay.h"
#include "PeakTableDock.h"
#include "ScreenshotSession.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: analyzer-peaks-screenshot OUTPUT.png\n");
        return 2;
    }
    screenshot::CSession session("analyzer-peaks-screenshot");
    if (!session.Ok())
        return 1;
    const std::string run = session.Path("run-0001.KLYN");
    if (!screenshot::Record(run, CSimOptions::DefaultProgram(), 1, 34.0)) {
        session.Fail("the recording could not be written");
        return 1;
    }

    CMainFrame frame(session.FrameOptions());
    frame.resize(1280, 900);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        std::fprintf(stderr, "analyzer-peaks-screenshot: the window was not shown\n");
    ODVFrame* child = frame.OpenDocumentFile(QString::fromStdString(run));
    if (!child) {
        std::fprintf(stderr, "analyzer-peaks-screenshot: the recording did not open\n");
        return 1;
    }
    frame.Execute(CMainFrame::kPeakTable);
    frame.MdiArea()->activeSubWindow()->showMaximized();
    OPeakTableDock* table = frame.PeakTable();
    QTest::qWait(200);
    table->Table()->selectRow(1);
    QTest::qWait(400);
    const int peaks = table->Table()->model()->rowCount();
    const QStringList labels = child->ScanView()->Peaks()->Labels();
    std::printf("analyzer-peaks-screenshot: %d peaks in the table, labels %s\n", peaks,
                qPrintable(labels.join(QStringLiteral(", "))));
    const bool saved = frame.grab().save(QString::fromLocal8Bit(argv[1]));
    std::printf("analyzer-peaks-screenshot: %s %s\n", argv[1],
                saved ? "written" : "could not be written");
    return saved && peaks > 0 ? 0 : 1;
}
