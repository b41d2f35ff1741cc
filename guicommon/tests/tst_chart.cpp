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
