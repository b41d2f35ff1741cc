// Takes the Analyzer's picture for the documentation: two runs recorded from
// the board simulator's run model, both open side by side - the pulse with
// its gate spans above, the chromatogram with its peaks below - and, when a
// second picture is asked for, the export dialog on the first run's gate 1.
// Usage: analyzer-screenshot OUTPUT.png [EXPORT.png]  (under a display, e.g. Xvfb)
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewPulse.h"
#include "DVViewScan.h"
#include "ExportAIA.h"
#include "MainFrame.h"
#include "QuillonGatesModesDialog.h"
#include "ScreenshotSession.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: analyzer-screenshot OUTPUT.png\n");
        return 2;
    }
    screenshot::CSession session("analyzer-screenshot");
    if (!session.Ok() || !session.RecordTwoRuns())
        return 1;
    const std::string first = session.Path("run-0001.KLYN");
    const std::string second = session.Path("run-0002.KLYN");

    CMainFrame frame(session.FrameOptions());
    frame.resize(1440, 900);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        std::fprintf(stderr, "analyzer-screenshot: the window was not shown\n");
    frame.OpenFiles({QString::fromStdString(first), QString::fromStdString(second)});
    frame.MdiArea()->tileSubWindows();
    QTest::qWait(200);

    // Each run at the top of its first compound's peak, the snap-to-trace
    // cursor reading the second run's chromatogram.
    const QList<ODVFrame*> frames = frame.Frames();
    if (frames.size() == 2) {
        frames[0]->GetDocument()->GoToPulse(42);
        frames[1]->GetDocument()->GoToPulse(63);
        ODVViewScan* scan = frames[1]->ScanView();
        frames[1]->SetSnapToTrace(1, true);
        scan->Chart()->Replot(true);
        scan->MoveCursor(12.0 + 3.0, 80000.0, true);
    }
    QTest::qWait(400);
    bool saved = frame.grab().save(QString::fromLocal8Bit(argv[1]));
    std::printf("analyzer-screenshot: %s %s\n", argv[1],
                saved ? "written" : "could not be written");
    if (argc > 2 && frames.size() == 2) {
        frames[0]->ShowGateDialog();
        CQuillonGatesModesDialog* gates = frames[0]->GateDialog();
        if (!QTest::qWaitFor([gates] { return !gates->RowTexts().isEmpty(); }, 5000))
            std::fprintf(stderr, "analyzer-screenshot: the gates were not read\n");
        gates->SelectRow(0);
        OExportAIA* dialog = frames[0]->ShowExportDialog();
        bool exported = false;
        if (dialog) {
            dialog->Control<QLineEdit>(OExportAIA::kExperimentTitle)->setText("Calibration");
            dialog->Control<QLineEdit>(OExportAIA::kOperatorName)->setText("J. Doe");
            dialog->Control<QLineEdit>(OExportAIA::kSampleName)->setText("Mix 3");
            QTest::qWait(300);
            exported = dialog->grab().save(QString::fromLocal8Bit(argv[2]));
        }
        std::printf("analyzer-screenshot: %s %s\n", argv[2],
                    exported ? "written" : "could not be written");
        saved = saved && exported;
    }
    return saved ? 0 : 1;
}
