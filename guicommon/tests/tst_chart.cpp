// The chart wrapper's roles that the plots build on: channels with names and
// a legend, nearest points, x markers and bands, the mouse modes, and its
// output onto other painters; and the desktop file dialog's filters.

#include "PrintDialogService.h"
#include "QtFileDialogSink.h"
#include "iPlotXControl.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void channelsCarryNamesAndOnlyNamedShownOnesAreInTheLegend()
    {
        CiPlotXControl chart;
        const int pulse = chart.AddChannel(Qt::red);
        const int gate = chart.AddChannel(Qt::blue);
        const double x[] = {0.0, 0.1, 0.2, 0.3};
        const double y[] = {5, 6, 7, 8};
        chart.SetChannelData(pulse, x, y, 4);
        chart.SetChannelName(pulse, "00:12.50");
        chart.SetChannelName(gate, "Mode S Gate");
        chart.SetChannelVisible(pulse, true);
        chart.SetLegendVisible(true);
        QVERIFY(chart.IsLegendVisible());
        QCOMPARE(chart.GetChannelName(gate), QString("Mode S Gate"));
        QCOMPARE(chart.GetChannelName(7), QString());

        std::vector<double> xs, ys;
        chart.GetChannelData(pulse, xs, ys);
        QCOMPARE(ys, (std::vector<double>{5, 6, 7, 8}));
        QCOMPARE(chart.GetNearestPoint(pulse, 0.16), 2);
        QCOMPARE(chart.GetNearestPoint(pulse, 0.15), 1); // the first of two equally near
        QCOMPARE(chart.GetNearestPoint(pulse, -5), 0);
        QCOMPARE(chart.GetNearestPoint(gate, 0.1), -1);
    }

    void nearestPointOnALongTraceFirstOfEqualKeys()
    {
        CiPlotXControl chart;
        const int trace = chart.AddChannel(Qt::red);
        std::vector<double> x;
        std::vector<double> y;
        for (int i = 0; i < 25000; ++i) {
            x.push_back(i * 0.144);
            y.push_back(i);
        }
        // Two points share a time (a repeated stamp): the first of them counts.
        x[101] = x[100];
        chart.SetChannelData(trace, x.data(), y.data(), static_cast<int>(x.size()));
        QCOMPARE(chart.GetChannelPointCount(trace), 25000);
        QCOMPARE(chart.GetNearestPoint(trace, 2000.0), 13889); // 13889 x 0.144 = 2000.016
        QCOMPARE(chart.GetNearestPoint(trace, 1e9), 24999);
        QCOMPARE(chart.GetNearestPoint(trace, -1e9), 0);
        QCOMPARE(chart.GetNearestPoint(trace, x[100] + 0.01), 100);
        QCOMPARE(chart.GetNearestPoint(trace, 0.072), 0); // halfway: the earlier
        double px = 0;
        double py = 0;
        QVERIFY(chart.GetChannelPoint(trace, 24999, px, py));
        QCOMPARE(py, 24999.0);
        QVERIFY(!chart.GetChannelPoint(trace, 25000, px, py));
        QVERIFY(!chart.GetChannelPoint(9, 0, px, py));
    }

    void labelDecimalsFollowTheTickStep_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("decimals");
        QTest::newRow("whole") << 200.0 << 0;
        QTest::newRow("two and a half") << 2.5 << 1;
        QTest::newRow("quarter") << 0.25 << 2;
        QTest::newRow("tenth") << 0.1 << 1;
        QTest::newRow("tiny") << 2e-5 << 5;
        QTest::newRow("negative") << -0.5 << 1;
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("not a number") << qQNaN() << 0;
    }

    void labelDecimalsFollowTheTickStep()
    {
        QFETCH(double, step);
        QFETCH(int, decimals);
        QCOMPARE(CiPlotXControl::DecimalsForStep(step), decimals);
    }

    void overlayMarksAndGestureSignals()
    {
        CiPlotXControl chart;
        chart.resize(400, 300);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.SetXAxisMinSpan(0, 25);
        chart.SetYAxisMinSpan(0, 1000);
        chart.Replot(true);
        QCOMPARE(chart.GetXAxisDecimals(), 0);
        chart.SetCrosshair(true, 5, 50);
        chart.SetPointMark(true, 5, 50);
        QVERIFY(chart.IsCrosshairShown() && chart.IsPointMarkShown());
        chart.SetCrosshair(false);
        QVERIFY(!chart.IsCrosshairShown());

        QSignalSpy doubled(&chart, &CiPlotXControl::chartDoubleClicked);
        QSignalSpy changing(&chart, &CiPlotXControl::viewAboutToChange);
        const QPoint centre = chart.GetPlotArea().center();
        QTest::mouseDClick(&chart, Qt::LeftButton, {}, centre);
        QCOMPARE(doubled.count(), 1);
        QVERIFY(std::abs(doubled.at(0).at(0).toDouble() - chart.PixelToX(centre.x())) < 1e-9);
        QCOMPARE(changing.count(), 0); // zoom-box mode: a press changes nothing yet
        chart.SetMouseMode(CiPlotXControl::MouseMode::Scroll);
        QTest::mousePress(&chart, Qt::LeftButton, {}, centre);
        QTest::mouseRelease(&chart, Qt::LeftButton, {}, centre);
        QCOMPARE(changing.count(), 1);
    }

    void xMarkersAndBandsSitOnTheXAxis()
    {
        CiPlotXControl chart;
        const int marker = chart.AddXMarker(Qt::black);
        chart.SetXMarker(marker, 12.5);
        QCOMPARE(chart.GetXMarker(marker), 12.5);
        QVERIFY(chart.IsXMarkerVisible(marker));
        chart.SetXMarkerVisible(marker, false);
        QVERIFY(!chart.IsXMarkerVisible(marker));

        const int band = chart.AddBand(QColor(0, 120, 0));
        QVERIFY(!chart.IsBandVisible(band));
        chart.SetBand(band, 6.0, 2.5);
        double from = 0, to = 0;
        chart.GetBand(band, from, to);
        QCOMPARE(from, 2.5);
        QCOMPARE(to, 6.0);
        chart.SetBandVisible(band, true);
        QVERIFY(chart.IsBandVisible(band));
        chart.GetBand(99, from, to);
        QCOMPARE(from, 0.0);
    }

    void mouseModesAndGrid()
    {
        CiPlotXControl chart;
        chart.resize(400, 300);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.SetXAxisMinSpan(0, 25);
        chart.SetYAxisMinSpan(0, 100);
        chart.Replot(true);
        QVERIFY(!chart.GetPlotArea().isEmpty());
        chart.SetGridVisible(false);
        QVERIFY(!chart.IsGridVisible());

        // In scroll mode a left drag moves the axes instead of drawing a zoom box.
        chart.SetMouseMode(CiPlotXControl::MouseMode::Scroll);
        QSignalSpy zoomed(&chart, &CiPlotXControl::zoomApplied);
        const QPoint from = chart.GetPlotArea().center();
        QTest::mousePress(&chart, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(60, 0)),
                         QPointF(chart.mapToGlobal(from + QPoint(60, 0))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&chart, &move);
        QTest::mouseRelease(&chart, Qt::LeftButton, {}, from + QPoint(60, 0));
        QCOMPARE(zoomed.count(), 0);
        QVERIFY(chart.GetXAxisMin() < 0.0);
        QCOMPARE(chart.GetMouseMode(), CiPlotXControl::MouseMode::Scroll);
    }

    void drawLineModeDrawsBaselinesAndKeepsTheAxes()
    {
        CiPlotXControl chart;
        chart.resize(400, 300);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.SetXAxisMinSpan(0, 25);
        chart.SetYAxisMinSpan(0, 100);
        chart.Replot(true);
        chart.SetMouseMode(CiPlotXControl::MouseMode::DrawLine);
        QSignalSpy drawn(&chart, &CiPlotXControl::lineDrawn);
        QSignalSpy clicked(&chart, &CiPlotXControl::chartMouseEvent);
        QSignalSpy zoomed(&chart, &CiPlotXControl::zoomApplied);
        const QRect area = chart.GetPlotArea();
        const QPoint from = area.center();
        // A release beyond the axes ends the line at their edge; Ctrl comes with it.
        QTest::mousePress(&chart, Qt::LeftButton, {}, from);
        QTest::mouseRelease(&chart, Qt::LeftButton, Qt::ControlModifier,
                            QPoint(area.right() + 50, from.y()));
        QCOMPARE(drawn.count(), 1);
        QCOMPARE(drawn[0][0].toDouble(), chart.PixelToX(from.x()));
        QCOMPARE(drawn[0][2].toDouble(), chart.PixelToX(area.right()));
        QCOMPARE(drawn[0][4].toInt(), 2);
        QCOMPARE(zoomed.count(), 0);
        QCOMPARE(chart.GetXAxisMin(), 0.0);
        QCOMPARE(chart.GetXAxisSpan(), 25.0);
        // A press and release in place stays a click; outside the axes nothing starts.
        QTest::mouseClick(&chart, Qt::LeftButton, {}, from);
        QCOMPARE(drawn.count(), 1);
        QCOMPARE(clicked.count(), 1);
        QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseRelease(&chart, Qt::LeftButton, {}, from);
        QCOMPARE(drawn.count(), 1);
    }

    void annotationsAreReplacedAsAWhole()
    {
        CiPlotXControl chart;
        chart.SetXAxisMinSpan(0, 10);
        chart.SetYAxisMinSpan(0, 100);
        chart.SetAnnotations({{1, 0, 2, 0, Qt::red}, {2, 0, 2, 50, Qt::red}},
                             {{1.5, 50, "1.50", Qt::red}, {5, 99, "5.00", Qt::blue, true}});
        QCOMPARE(chart.GetAnnotationSegmentCount(), 2);
        QCOMPARE(chart.GetAnnotationTexts(), QStringList({"1.50", "5.00"}));
        chart.SetAnnotations({}, {{3, 10, "3.00", Qt::black}});
        QCOMPARE(chart.GetAnnotationSegmentCount(), 0);
        QCOMPARE(chart.GetAnnotationLabelCount(), 1);
        QCOMPARE(chart.GetAnnotationTexts(), QStringList({"3.00"}));
        chart.SetAnnotations({}, {});
        QCOMPARE(chart.GetAnnotationLabelCount(), 0);
    }

    void rendersOntoAPdfAndIntoAnImage()
    {
        CiPlotXControl chart;
        chart.resize(300, 200);
        const int channel = chart.AddChannel(Qt::red);
        const double x[] = {0, 1};
        const double y[] = {0, 1};
        chart.SetChannelData(channel, x, y, 2);
        chart.SetChannelVisible(channel, true);
        const QImage image = chart.ToImage();
        QCOMPARE(image.size(), QSize(300, 200));

        QTemporaryDir dir;
        const QString path = dir.filePath("chart.pdf");
        {
            QPdfWriter writer(path);
            QPainter painter(&writer);
            chart.Render(painter, QRect(0, 0, 3000, 2000));
        }
        QVERIFY(QFileInfo(path).size() > 500);
    }

    void systemFiltersBecomeDesktopFilters()
    {
        QCOMPARE(CQtFileDialogSink::ToQtFilters(
                     "Tarvolin Monitor (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||"),
                 (QStringList{"Tarvolin Monitor (*.cnfg*)", "All Files (*)"}));
        QCOMPARE(
            CQtFileDialogSink::ToQtFilters("Text Files (*.txt) | *.txt | All Files (*.*) | *.* ||"),
            (QStringList{"Text Files (*.txt)", "All Files (*)"}));
        QCOMPARE(CQtFileDialogSink::ToQtFilters("Data|*.KLYN;*.klyn||"),
                 (QStringList{"Data (*.KLYN *.klyn)"}));
        QVERIFY(CQtFileDialogSink::ToQtFilters("").isEmpty());
    }

    void thePrintServiceTakesTheTestAnswer()
    {
        QTemporaryDir dir;
        CPdfPrintAnswer answer(dir.filePath("out.pdf"));
        answer.SetPageRange(2, 3);
        QPrinter printer;
        QVERIFY(CPrintDialogService::Ask(printer, 1, 999, nullptr));
        QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(printer.printRange(), QPrinter::PageRange);
        QCOMPARE(printer.toPage(), 3);
        answer.SetCancel(true);
        QVERIFY(!CPrintDialogService::Ask(printer, 1, 1, nullptr));
        QCOMPARE(answer.Count(), 2);
    }
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
