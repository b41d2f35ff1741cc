// The two panes of a document's window on the offscreen platform: the
// pulse with its gate spans after the trigger crossing, the chromatogram's
// marker that stays in sight, next and previous with their enabling and
// keys, the cursor readout in the status bar, the legend, and copies to the
// clipboard.

#include "AnalyzerTestSupport.h"
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewPulse.h"
#include "DVViewScan.h"
#include "GraphToolbar.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>

using namespace analyzertest;

namespace {

// Trigger level 100. Pulses step from 0 to 100 at sample 30 (a crossing at
// exactly 3.0 ms) and on to 1000 + k, except pulse 4 (above the level from its first sample) and
// pulse 6 (never reaches it). Gate S 1.0-2.0 ms; gate P 20.0-24.0 ms.
QString TriggerRecording(CWorld& world)
{
    std::vector<CPulseData> pulses;
    for (int k = 0; k < 10; ++k) {
        pulses.push_back(Pulse(k, 1000 + 100 * k, [k](int i) {
            if (k == 4)
                return 1000;
            if (k == 6)
                return 50;
            return i < 30 ? 0 : (i == 30 ? 100 : 1000 + k);
        }));
    }
    const std::string path = world.dir.File("trigger.KLYN");
    Write(path, Header({Gate(GM_S, 1.0, 2.0), Gate(GM_P, 20.0, 24.0)}, 100), pulses);
    return QString::fromStdString(path);
}

void TraceOf(const OPlot* plot, int slot, std::vector<double>& x, std::vector<double>& y)
{
    plot->Chart()->GetChannelData(slot, x, y);
}

} // namespace

class TestViews : public QObject {
    Q_OBJECT
private slots:
    void gateSpansFollowTheTriggerCrossing_data()
    {
        QTest::addColumn<int>("pulse");
        QTest::addColumn<double>("trigger");
        QTest::addColumn<double>("sFrom");
        QTest::addColumn<double>("sTo");
        QTest::addColumn<double>("pFrom");
        QTest::addColumn<double>("pTo");
        // A crossing at 3 ms: the S gate moves to 4-5 ms, and the P gate's
        // window, ending at 24 ms, is drawn up to the pulse's end.
        QTest::newRow("crossing at 3 ms") << 0 << 3.0 << 4.0 << 5.0 << 23.0 << 24.9;
        QTest::newRow("first sample above the level") << 4 << 0.0 << 1.0 << 2.0 << 20.0 << 24.0;
        QTest::newRow("no crossing") << 6 << -1.0 << -1.0 << -1.0 << -1.0 << -1.0;
    }

    void gateSpansFollowTheTriggerCrossing()
    {
        QFETCH(int, pulse);
        QFETCH(double, trigger);
        QFETCH(double, sFrom);
        QFETCH(double, sTo);
        QFETCH(double, pFrom);
        QFETCH(double, pTo);
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(TriggerRecording(world));
        QVERIFY(child);
        QVERIFY(child->GetDocument()->GoToPulse(pulse));
        ODVViewPulse* view = child->PulseView();
        QCOMPARE(view->GetTriggerTime(0) + 1.0, trigger + 1.0);

        std::vector<double> x;
        std::vector<double> y;
        TraceOf(view, 0, x, y);
        QCOMPARE(x.size(), size_t(250));
        for (auto [slot, from, to] : {std::tuple{1, sFrom, sTo}, std::tuple{2, pFrom, pTo}}) {
            TraceOf(view, slot, x, y);
            if (from < 0) {
                QVERIFY(x.empty());
            } else {
                QVERIFY(!x.empty());
                QCOMPARE(x.front() + 1.0, from + 1.0);
                QCOMPARE(x.back() + 1.0, to + 1.0);
            }
        }
        // The gates keep their names in the legend, spans or not.
        QCOMPARE(view->Legend()->GetText(1), QString("Mode S Gate"));
        QCOMPARE(view->Legend()->GetText(2), QString("Mode P Gate"));
        QVERIFY(!view->Legend()->HasEntry(3));
        // The bands mark the windows as set, not shifted.
        double from = 0;
        double to = 0;
        view->GetGateBand(0, from, to);
        QCOMPARE(from, 1.0);
        QCOMPARE(to, 2.0);
        QVERIFY(view->IsGateBandShown(1));
        QVERIFY(!view->IsGateBandShown(2));
    }

    void thePulseIsNamedAfterItsTime()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(TriggerRecording(world));
        QVERIFY(child);
        QVERIFY(child->GetDocument()->GoToPulse(5)); // 1500 hundredths
        QCOMPARE(child->PulseView()->Chart()->GetChannelName(0), QString("00:15.00"));
        QCOMPARE(child->PulseView()->Legend()->GetText(0), QString("00:15.00"));
        QCOMPARE(child->PulseView()->Chart()->GetCornerText(),
                 QString("Pulse Start Time = 00:15.00"));
    }

    void eachPulseIsShownWholeUntilTheOperatorZooms()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("whole.KLYN", 10));
        QVERIFY(child);
        ODVViewPulse* view = child->PulseView();
        QVERIFY(view->IsFollowingPulse());
        // Pulse 0 rises to 349, pulse 5 to 849: each fills the view.
        QCOMPARE(view->Chart()->GetYAxisMax(), 349.0 * 1.05);
        QVERIFY(child->GetDocument()->GoToPulse(5));
        QCOMPARE(view->Chart()->GetYAxisMax(), 849.0 * 1.05);
        QCOMPARE(view->Chart()->GetXAxisMax(), 25.0);

        // Zoomed, the view stays where the operator put it.
        view->ZoomIn();
        QVERIFY(!view->IsFollowingPulse());
        const CAxisRanges zoomed = view->Chart()->GetRanges();
        child->NextPulse();
        QCOMPARE(view->Chart()->GetRanges(), zoomed);
        // Restore follows the pulses again; Previous View goes back to the zoom.
        view->Restore();
        QVERIFY(view->IsFollowingPulse());
        QCOMPARE(view->Chart()->GetYAxisMax(), 949.0 * 1.05);
        QVERIFY(view->PreviousView());
        QCOMPARE(view->Chart()->GetRanges(), zoomed);
        QVERIFY(!view->IsFollowingPulse());
    }

    void aGateBandFollowsItsLegendBox()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(TriggerRecording(world));
        QVERIFY(child);
        ODVViewPulse* view = child->PulseView();
        QVERIFY(view->IsGateBandShown(0));
        view->Legend()->Box(1)->setChecked(false);
        QVERIFY(!view->IsGateBandShown(0));
        QVERIFY(!view->Chart()->IsChannelVisible(1));
        QVERIFY(view->IsGateBandShown(1));
        // It stays off for the next pulse.
        child->NextPulse();
        QVERIFY(!view->IsGateBandShown(0));
        view->Legend()->Box(1)->setChecked(true);
        QVERIFY(view->IsGateBandShown(0));
        QVERIFY(view->Chart()->IsChannelVisible(1));
    }

    void aClampedGateIsMarkedInTheLegends()
    {
        CWorld world;
        const std::string path = world.dir.File("clamped.KLYN");
        QVERIFY(Write(path, Header({Gate(GM_S, 1.0, 2.0), Gate(GM_P, 24.0, 26.0)}), Ramps(10)));
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(QString::fromStdString(path));
        QVERIFY(child);
        QVERIFY(!child->ScanView()->Legend()->IsClamped(0));
        QVERIFY(child->ScanView()->Legend()->IsClamped(1));
        QCOMPARE(child->ScanView()->Legend()->GetText(1), QString("Mode P (clamped)"));
        QVERIFY(child->PulseView()->Legend()->IsClamped(2));
    }

    void nextAndPreviousAreEnabledWhereThereIsAPulse()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("steps.KLYN", 10));
        QVERIFY(child);
        QAction* next = frame->Action(CMainFrame::kNextPulse);
        QAction* previous = frame->Action(CMainFrame::kPreviousPulse);
        QAction* barNext = child->PulseToolBar()->Button(OToolIcons::Kind::Next);
        QAction* barPrevious = child->PulseToolBar()->Button(OToolIcons::Kind::Previous);
        QVERIFY(next->isEnabled() && barNext->isEnabled());
        QVERIFY(!previous->isEnabled() && !barPrevious->isEnabled());

        // The arrow keys step.
        QApplication::setActiveWindow(frame.get());
        QTest::keyClick(frame.get(), Qt::Key_Right);
        QCOMPARE(child->GetDocument()->Data().GetCurrentIndex(), 1);
        QVERIFY(previous->isEnabled() && barPrevious->isEnabled());
        QTest::keyClick(frame.get(), Qt::Key_Left);
        QCOMPARE(child->GetDocument()->Data().GetCurrentIndex(), 0);

        QVERIFY(child->GetDocument()->GoToPulse(9));
        QVERIFY(!next->isEnabled() && !barNext->isEnabled());
        QVERIFY(previous->isEnabled());
        frame->Execute(CMainFrame::kNextPulse); // disabled: nothing happens
        QCOMPARE(child->GetDocument()->Data().GetCurrentIndex(), 9);
        frame->Execute(CMainFrame::kPreviousPulse);
        QCOMPARE(child->GetDocument()->Data().GetCurrentIndex(), 8);
        QCOMPARE(child->ScanView()->GetMarkedIndex(), 8);
        QVERIFY(next->isEnabled());
    }

    void theMarkerScrollsIntoView()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        // 100 pulses one second apart, from 10 s on.
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("long.KLYN", 100));
        QVERIFY(child);
        ODVViewScan* scan = child->ScanView();
        QVERIFY(scan->IsMarkerShown());
        QCOMPARE(scan->GetMarkerTime(), 10.0);
        scan->Chart()->SetXAxisMinSpan(20.0, 10.0);

        // In sight: the view stays.
        QVERIFY(child->GetDocument()->GoToPulse(15));
        QCOMPARE(scan->GetMarkerTime(), 25.0);
        QCOMPARE(scan->Chart()->GetXAxisMin(), 20.0);
        // Ahead: the view moves with its span, the marker near its left edge.
        QVERIFY(child->GetDocument()->GoToPulse(50));
        QCOMPARE(scan->GetMarkerTime(), 60.0);
        QCOMPARE(scan->Chart()->GetXAxisSpan(), 10.0);
        QCOMPARE(scan->Chart()->GetXAxisMin(), 59.0);
        // Behind: near its right edge.
        QVERIFY(child->GetDocument()->GoToPulse(20));
        QCOMPARE(scan->Chart()->GetXAxisMin(), 21.0);
        QCOMPARE(scan->GetMarkedIndex(), 20);
        // Restore goes back to the whole run, Previous View (Ctrl+Z) to the zoom.
        const CAxisRanges zoomed = scan->Chart()->GetRanges();
        frame->Execute(CMainFrame::kRestoreChromatogram);
        const OChromatogramBounds& b = child->GetDocument()->Data().GetChromatogram().bounds;
        QCOMPARE(scan->Chart()->GetXAxisMin(), double(b.xMin));
        QCOMPARE(scan->Chart()->GetXAxisMax(), double(b.xMax));
        QVERIFY(frame->Action(CMainFrame::kPreviousView)->isEnabled());
        frame->Execute(CMainFrame::kPreviousView);
        QCOMPARE(scan->Chart()->GetRanges(), zoomed);
    }

    void aDoubleClickOnTheChromatogramGoesToThatPulse()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("jump.KLYN", 30));
        QVERIFY(child);
        ODVViewScan* scan = child->ScanView();
        scan->Chart()->Replot(true);
        const int px = static_cast<int>(scan->Chart()->XToPixel(23.3));
        const int py = scan->Chart()->GetPlotArea().center().y();
        QTest::mouseDClick(scan->Chart(), Qt::LeftButton, {}, QPoint(px, py));
        QCOMPARE(child->GetDocument()->Data().GetCurrentIndex(), 13);
        QVERIFY(!scan->HasBasePoint());
    }

    void theCursorReadoutGoesToTheStatusBar()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("cursor.KLYN", 10));
        QVERIFY(child);
        ODVViewPulse* pulse = child->PulseView();
        // A view whose ticks are whole numbers: readouts with one decimal.
        pulse->Chart()->SetRanges({0.0, 25.0, 0.0, 1000.0});
        pulse->Chart()->Replot(true);
        QCOMPARE(pulse->Chart()->GetXAxisDecimals(), 0);
        QCOMPARE(pulse->Chart()->GetYAxisDecimals(), 0);

        pulse->MoveCursor(12.34, 456.78, true);
        QCOMPARE(frame->GetStatusText(), QString("12.3 , 456.8"));
        QVERIFY(pulse->Chart()->IsCrosshairShown());
        // A click sets the base point; the readout measures from it.
        pulse->SetBaseAt(10.0, 400.0);
        pulse->MoveCursor(12.34, 456.78, true);
        QCOMPARE(frame->GetStatusText(), QString("Base:10.0 , 400.0;   Offset:2.3 , 56.8"));
        QVERIFY(pulse->Chart()->IsBasePointMarkShown());
        pulse->ClearBasePoint();

        // Snapped: the pulse's sample nearest in x (sample 123 = 100 + 123).
        frame->Execute(CMainFrame::kSnapPulse);
        QVERIFY(child->IsSnapToTrace(0));
        QVERIFY(frame->Action(CMainFrame::kSnapPulse)->isChecked());
        pulse->MoveCursor(12.34, 900.0, true);
        QCOMPARE(frame->GetStatusText(), QString("12.3 , 223.0"));
        QVERIFY(pulse->Chart()->IsPointMarkShown());

        // The chromatogram: of the shown traces the one nearest in y.
        ODVViewScan* scan = child->ScanView();
        scan->Chart()->SetRanges({10.0, 20.0, 0.0, 2000.0});
        scan->Chart()->Replot(true);
        child->SetSnapToTrace(1, true);
        scan->MoveCursor(12.2, 0.0, true);
        // Pulse 2 (12 s): samples 10 to 20 of a ramp from 300, mean 315.
        QVERIFY(frame->GetStatusText().startsWith("12.0"));
        QVERIFY(frame->GetStatusText().endsWith("315.0"));

        // Off the axes, or with every trace hidden: no readout.
        scan->MoveCursor(12.2, 0.0, false);
        QCOMPARE(frame->GetStatusText(), QString("Ready"));
        scan->Legend()->Box(0)->setChecked(false);
        scan->MoveCursor(12.2, 0.0, true);
        QCOMPARE(frame->GetStatusText(), QString("Ready"));
    }

    void copiesGoToTheClipboard()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("copy.KLYN", 10));
        QVERIFY(child);
        QClipboard* clipboard = QGuiApplication::clipboard();
        const QSize pulse = child->PulseView()->Chart()->size();
        const QSize scan = child->ScanView()->Chart()->size();
        QVERIFY(!pulse.isEmpty() && !scan.isEmpty());

        clipboard->clear();
        frame->Execute(CMainFrame::kCopyPulse);
        QCOMPARE(clipboard->image().size(), pulse);
        clipboard->clear();
        child->ChromatogramToolBar()->Button(OToolIcons::Kind::Copy)->trigger();
        QCOMPARE(clipboard->image().size(), scan);

        // Both: one picture, the pulse above the chromatogram.
        clipboard->clear();
        frame->Execute(CMainFrame::kCopyBoth);
        const QImage both = clipboard->image();
        QCOMPARE(both.height(), pulse.height() + scan.height());
        QCOMPARE(both.width(), std::max(pulse.width(), scan.width()));
        QCOMPARE(both.copy(QRect(QPoint(0, 0), pulse)).convertToFormat(QImage::Format_RGB32),
                 child->PulseView()->Picture().convertToFormat(QImage::Format_RGB32));
    }

    void gridAndPaneCommandsFollowTheActiveWindow()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("grid.KLYN", 10));
        QVERIFY(child);
        QVERIFY(frame->Action(CMainFrame::kGridChromatogram)->isChecked());
        frame->Execute(CMainFrame::kGridChromatogram);
        QVERIFY(!child->IsGrid(1));
        QVERIFY(!child->ScanView()->Chart()->IsGridVisible());
        QVERIFY(!child->ChromatogramToolBar()->Button(OToolIcons::Kind::Grid)->isChecked());
        QVERIFY(child->IsGrid(0));
        // Zoom in halves the spans; Zoom to Fit is the pulse's data.
        OPlot* pulse = child->PulseView();
        const double span = pulse->Chart()->GetXAxisSpan();
        child->PulseToolBar()->Button(OToolIcons::Kind::ZoomIn)->trigger();
        QCOMPARE(pulse->Chart()->GetXAxisSpan(), span / 2.0);
        frame->Execute(CMainFrame::kRestorePulse);
        QCOMPARE(pulse->Chart()->GetXAxisMin(), 0.0);
        QCOMPARE(pulse->Chart()->GetXAxisMax(), 25.0);
    }
};

QTEST_MAIN(TestViews)
#include "tst_views.moc"
