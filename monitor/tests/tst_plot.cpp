// The live pulse plot on the offscreen platform: ranges from the INI file,
// traces and markers, the zoom box and its history, zoom out by the INI's
// button, limit lines and their file, pause with step back, and the cursor
// readout.

#include "CursorReadout.h"
#include "LimitSettings.h"
#include "PlotDlg.h"
#include "PulseData.h"
#include "QuillonIniConfig.h"
#include "iPlotXControl.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(CAxisRanges)

char* toString(const CAxisRanges& r)
{
    return QTest::toString(QStringLiteral("x %1..%2, y %3..%4").arg(r.dXMin).arg(r.dXMax).arg(r.dYMin).arg(r.dYMax));
}

namespace {

// A pulse whose samples name it: sample i is base + i * step.
CPulseData Pulse(int samples, long index = 1, int base = 100, int step = 12)
{
    CPulseData pulse;
    pulse.SetPulseIndex(index);
    for (int i = 0; i < samples; ++i)
        pulse.AddData(base + i * step);
    return pulse;
}

double FirstValue(const CPlotDlg& plot, int trace)
{
    std::vector<double> x, y;
    plot.PlotControl()->GetChannelData(trace, x, y);
    return y.empty() ? -1.0 : y.front();
}

} // namespace

class TestPlot : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    void UseIni(const QByteArray& text)
    {
        const QString path = m_dir.filePath("TarvolinMonitorIniSettings.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        QCOMPARE(CQuillonIniConfig::Initialize(path.toStdString()), 0);
    }

    void UseStandardIni(int zoomOutKey = 4)
    {
        UseIni("PulseGraphMinX = 0\nPulseGraphMaxX = 25\nPulseGraphMinY = 0\nPulseGraphMaxY = 5000\n"
               "ZoomOutShortCutKey = " + QByteArray::number(zoomOutKey) + "\n");
    }

    QString LimitFile() const { return m_dir.filePath("Config/GeneralSettings.cfg"); }

    std::unique_ptr<CPlotDlg> MakePlot()
    {
        auto plot = std::make_unique<CPlotDlg>();
        plot->SetLimitSettingsPath(LimitFile());
        plot->resize(800, 500);
        plot->show();
        plot->PlotControl()->Replot(true); // lays out the axis rect, so pixels mean something
        return plot;
    }

    static QRect PixelBox(const CPlotDlg& plot, const CAxisRanges& box)
    {
        const CiPlotXControl* chart = plot.PlotControl();
        return QRect(QPoint(qRound(chart->XToPixel(box.dXMin)), qRound(chart->YToPixel(box.dYMax))),
                     QPoint(qRound(chart->XToPixel(box.dXMax)), qRound(chart->YToPixel(box.dYMin))));
    }

    static int Zoom(CPlotDlg& plot, const CAxisRanges& box)
    {
        return plot.PlotControl()->ZoomBox(PixelBox(plot, box));
    }

    static QPoint PixelOf(const CPlotDlg& plot, double x, double y)
    {
        return QPoint(qRound(plot.PlotControl()->XToPixel(x)), qRound(plot.PlotControl()->YToPixel(y)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qRegisterMetaType<CAxisRanges>();
    }

    void init()
    {
        UseStandardIni();
        QFile::remove(LimitFile());
    }

    void startsWithTheTitlesColoursAndIniRanges()
    {
        auto plot = MakePlot();
        CiPlotXControl* chart = plot->PlotControl();
        QCOMPARE(chart->GetXAxisTitle(), QString("Time (msec)"));
        QCOMPARE(chart->GetYAxisTitle(), QString("Counts"));
        QCOMPARE(chart->GetRanges(), (CAxisRanges{0, 25, 0, 5000}));

        // Colours told apart with any common colour-vision deficiency, and
        // line styles that need no colour at all.
        QCOMPARE(chart->GetChannelColor(0), QColor(213, 94, 0));
        QCOMPARE(chart->GetChannelColor(1), QColor(0, 114, 178));
        QCOMPARE(chart->GetChannelColor(2), QColor(0, 158, 115));
        QCOMPARE(chart->GetChannelStyle(0), Qt::SolidLine);
        QCOMPARE(chart->GetChannelStyle(1), Qt::DashLine);
        QCOMPARE(chart->GetChannelStyle(2), Qt::DotLine);
        for (int n = 0; n < 3; ++n)
            QVERIFY(!chart->IsChannelVisible(n));

        QCOMPARE(chart->GetLimitColor(0), QColor(230, 159, 0));
        QCOMPARE(chart->GetLimitColor(1), QColor(230, 159, 0));
        QCOMPARE(chart->GetLimitColor(2), QColor(86, 180, 233));
        QCOMPARE(chart->GetLimitColor(3), QColor(86, 180, 233));
        for (int n = 0; n < 4; ++n)
            QCOMPARE(chart->GetLimitLabel(n), QStringLiteral("L%1").arg(n + 1));

        // No limit file: 6, 12, 2 and 4 ms, all inside 0..25 and shown there.
        for (int n = 0; n < 4; ++n) {
            QCOMPARE(plot->GetLimitPosition(n), CLimitSettings::kDefaults[size_t(n)]);
            QVERIFY(plot->IsLimitShown(n));
            QCOMPARE(CLimitSettings::FromPercent(chart->GetLimitPercent(n), 0, 25), CLimitSettings::kDefaults[size_t(n)]);
        }

        // Trigger level first, then the baselines of live, reference 1 and 2.
        QCOMPARE(chart->GetMarkerColor(0), QColor(204, 121, 167));
        for (int n = 0; n < 3; ++n)
            QCOMPARE(chart->GetMarkerColor(n + 1), chart->GetChannelColor(n));
        QVERIFY(chart->IsMarkerVisible(0));
        for (int n = 1; n < 4; ++n)
            QVERIFY(!chart->IsMarkerVisible(n));
        plot->SetTriggerLevel(750.0);
        QCOMPARE(chart->GetMarkerY(0), 750.0);

        // The ticks are 0.175 ms long at the first drawing.
        const double tick = chart->XToPixel(0.175) - chart->XToPixel(0.0);
        QCOMPARE(chart->GetMarkerPixelLength(), std::max(tick, 6.0));
        QCOMPARE(plot->GetZoomOutKey(), 4);
    }

    void missingIniKeysGiveTheWideRanges()
    {
        UseIni("BaudRate = 57600\n");
        auto plot = MakePlot();
        QCOMPARE(plot->PlotControl()->GetRanges(), (CAxisRanges{0, 10000000, 0, 10000000}));
        // The first pulse is a sliver at the left edge until the operator fits it.
        plot->DrawPulse(Pulse(250), 0);
        plot->ZoomToFit();
        QCOMPARE(plot->PlotControl()->GetRanges(), (CAxisRanges{0, 25, 100, 100 + 249 * 12}));
    }

    void drawsEachTraceWithItsBaselineMarker()
    {
        auto plot = MakePlot();
        CiPlotXControl* chart = plot->PlotControl();
        plot->DrawPulse(Pulse(250, 1, 1234), 0);
        plot->DrawPulse(Pulse(200, 2, 40), 1);
        plot->DrawPulse(Pulse(250, 3, 777), 2);

        QCOMPARE(chart->GetChannelPointCount(0), 250);
        QCOMPARE(chart->GetChannelPointCount(1), 200);
        std::vector<double> x, y;
        chart->GetChannelData(0, x, y);
        QCOMPARE(x.at(249), 24.9);
        QCOMPARE(y.at(249), 1234.0 + 249 * 12);
        for (int n = 0; n < 3; ++n)
            QVERIFY(chart->IsChannelVisible(n));
        QCOMPARE(chart->GetMarkerY(1), 1234.0);
        QCOMPARE(chart->GetMarkerY(2), 40.0);
        QCOMPARE(chart->GetMarkerY(3), 777.0);
        for (int n = 1; n < 4; ++n)
            QVERIFY(chart->IsMarkerVisible(n));

        // A shorter live pulse replaces the longer one entirely.
        plot->DrawPulse(Pulse(10, 4, 5), 0);
        QCOMPARE(chart->GetChannelPointCount(0), 10);
        QCOMPARE(chart->GetChannelPointCount(2), 250);
    }

    void anEmptyPulseHidesItsTraceAndPutsItsMarkerAtZero()
    {
        auto plot = MakePlot();
        CiPlotXControl* chart = plot->PlotControl();
        plot->DrawPulse(Pulse(250, 1, 500), 1);
        QCOMPARE(chart->GetMarkerY(2), 500.0);
        plot->DrawPulse(CPulseData(), 1);
        QVERIFY(!chart->IsChannelVisible(1));
        QVERIFY(chart->IsMarkerVisible(2));
        QCOMPARE(chart->GetMarkerY(2), 0.0);
    }

    void clearingAReferenceHidesItsTraceAndMarker()
    {
        auto plot = MakePlot();
        CiPlotXControl* chart = plot->PlotControl();
        plot->DrawPulse(Pulse(250), 0);
        plot->DrawPulse(Pulse(250), 2);
        plot->ClearReference(2);
        QVERIFY(!chart->IsChannelVisible(2));
        QVERIFY(!chart->IsMarkerVisible(3));
        plot->ClearReference(0); // only references can be cleared
        QVERIFY(chart->IsChannelVisible(0));
    }

    void zoomToFitRoundsTheTimeUp_data()
    {
        QTest::addColumn<int>("samples");
        QTest::addColumn<double>("xMax");
        QTest::newRow("250 samples end at 24.9 ms") << 250 << 25.0;
        QTest::newRow("37 samples end at 3.6 ms") << 37 << 4.0;
        QTest::newRow("11 samples end on 1 ms") << 11 << 1.0;
    }

    void zoomToFitRoundsTheTimeUp()
    {
        QFETCH(int, samples);
        QFETCH(double, xMax);
        auto plot = MakePlot();
        plot->DrawPulse(Pulse(samples, 1, 300, 10), 0);
        QVERIFY(Zoom(*plot, {2, 8, 100, 900}));
        plot->ZoomToFit();
        QCOMPARE(plot->PlotControl()->GetRanges(), (CAxisRanges{0, xMax, 300, 300 + 10.0 * (samples - 1)}));
        QVERIFY(plot->GetZoomHistory().IsEmpty());
    }

    void tenZoomsAreRememberedAndTheEleventhIsNot()
    {
        auto plot = MakePlot();
        CiPlotXControl* chart = plot->PlotControl();
        plot->DrawPulse(Pulse(250, 1, 100, 10), 0);
        std::vector<CAxisRanges> views;
        for (int n = 0; n < 11; ++n) {
            views.push_back(chart->GetRanges());
            QCOMPARE(Zoom(*plot, {1.0 + n, 24.0 - n, 100.0 + 50 * n, 4000.0 - 100 * n}), 1);
            QVERIFY(chart->GetRanges() != views.back());
        }
        QCOMPARE(plot->GetZoomHistory().GetCount(), 10);

        // Back through the saved views, newest first; the view before the
        // eleventh zoom was not saved, and the first one gives way to a fit.
        for (int n = 9; n >= 1; --n) {
            plot->ZoomOut();
            QCOMPARE(chart->GetRanges(), views[size_t(n)]);
        }
        plot->ZoomOut();
        QCOMPARE(chart->GetRanges(), (CAxisRanges{0, 25, 100, 100 + 249 * 10}));
        QVERIFY(plot->GetZoomHistory().IsEmpty());
        plot->ZoomOut();
        QCOMPARE(chart->GetRanges(), (CAxisRanges{0, 25, 100, 100 + 249 * 10}));
    }

    void aBoxUnderOneUnitIsRefused_data()
    {
        QTest::addColumn<CAxisRanges>("box");
        QTest::newRow("0.5 ms wide") << CAxisRanges{5, 5.5, 100, 4000};
        QTest::newRow("under 1 ms once clamped to the INI range") << CAxisRanges{24.5, 27, 100, 4000};
    }

    void aBoxUnderOneUnitIsRefused()
    {
        QFETCH(CAxisRanges, box);
        auto plot = MakePlot();
        plot->DrawPulse(Pulse(250), 0);
        QSignalSpy applied(plot->PlotControl(), &CiPlotXControl::zoomApplied);
        const CAxisRanges before = plot->PlotControl()->GetRanges();
        QCOMPARE(Zoom(*plot, box), 0);
        QCOMPARE(plot->PlotControl()->GetRanges(), before);
        QCOMPARE(applied.count(), 0);
        QVERIFY(plot->GetZoomHistory().IsEmpty());
    }

    void aBoxIsClampedToTheIniRanges()
    {
        auto plot = MakePlot();
        plot->DrawPulse(Pulse(250, 1, 4000, 100), 0);
        plot->ZoomToFit(); // samples up to 28900 counts: the view is taller than the INI range
        QCOMPARE(Zoom(*plot, {-1, 30, 3000, 20000}), 1);
        const CAxisRanges view = plot->PlotControl()->GetRanges();
        QCOMPARE(view.dXMin, 0.0);
        QCOMPARE(view.dXMax, 25.0);
        QCOMPARE(view.dYMax, 5000.0);
    }

    void aMouseDragZooms()
    {
        auto plot = MakePlot();
        CiPlotXControl* chart = plot->PlotControl();
        const QPoint from = PixelOf(*plot, 5, 4000);
        const QPoint to = PixelOf(*plot, 15, 1000);
        QTest::mousePress(chart, Qt::LeftButton, {}, from);
        QTest::mouseMove(chart, (from + to) / 2);
        QTest::mouseMove(chart, to);
        QTest::mouseRelease(chart, Qt::LeftButton, {}, to);
        const CAxisRanges view = chart->GetRanges();
        QVERIFY(qAbs(view.dXMin - 5) < 0.1 && qAbs(view.dXMax - 15) < 0.1);
        QVERIFY(qAbs(view.dYMin - 1000) < 20 && qAbs(view.dYMax - 4000) < 20);
        QCOMPARE(plot->GetZoomHistory().GetCount(), 1);
    }

    void theIniButtonZoomsOut_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("zoomsOut");
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        const char* names[] = {"left", "right", "middle"};
        for (int key : {1, 2, 4}) {
            for (int b = 0; b < 3; ++b) {
                const bool match = (1 << b) == key;
                QTest::addRow("key %d, %s click", key, names[b]) << key << buttons[b] << match;
            }
        }
    }

    void theIniButtonZoomsOut()
    {
        QFETCH(int, key);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, zoomsOut);
        UseStandardIni(key);
        auto plot = MakePlot();
        QCOMPARE(plot->GetZoomOutKey(), key);
        plot->DrawPulse(Pulse(250), 0);
        QVERIFY(Zoom(*plot, {2, 8, 100, 900}));
        const CAxisRanges zoomed = plot->PlotControl()->GetRanges();
        QTest::mouseClick(plot->PlotControl(), button, {}, PixelOf(*plot, 5, 500));
        QCOMPARE(plot->PlotControl()->GetRanges() != zoomed, zoomsOut);
        QCOMPARE(plot->GetZoomHistory().IsEmpty(), zoomsOut);
    }

    void limitsAreShownOnlyInsideTheView()
    {
        auto plot = MakePlot();
        plot->DrawPulse(Pulse(250), 0);
        QVERIFY(Zoom(*plot, {5, 13, 100, 4000}));
        QCOMPARE(QList<bool>({plot->IsLimitShown(0), plot->IsLimitShown(1), plot->IsLimitShown(2), plot->IsLimitShown(3)}),
                 QList<bool>({true, true, false, false}));
        plot->ZoomOut();
        for (int n = 0; n < 4; ++n)
            QVERIFY(plot->IsLimitShown(n));
    }

    void aDraggedLimitIsSavedAndFollowsTheZoom()
    {
        auto plot = MakePlot();
        CiPlotXControl* chart = plot->PlotControl();
        plot->DrawPulse(Pulse(250), 0);
        QSignalSpy started(chart, &CiPlotXControl::limitDragStarted);
        QSignalSpy ended(chart, &CiPlotXControl::limitDragEnded);

        // Limit 2 from 12 ms to about 20 ms.
        const QPoint grab = PixelOf(*plot, 12, 2500);
        const QPoint drop = PixelOf(*plot, 20, 2500);
        QTest::mousePress(chart, Qt::LeftButton, {}, grab);
        QTest::mouseMove(chart, (grab + drop) / 2);
        QTest::mouseMove(chart, drop);
        QTest::mouseRelease(chart, Qt::LeftButton, {}, drop);
        QCOMPARE(started.count(), 1);
        QCOMPARE(started.at(0).at(0).toInt(), 1);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(1).toInt(), 1);
        QVERIFY(plot->GetZoomHistory().IsEmpty()); // a drag is not a zoom box

        const double dropped = chart->PixelToX(drop.x());
        QCOMPARE(plot->GetLimitPosition(1), dropped);

        QFile file(LimitFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 36);
        QCOMPARE(bytes.left(4).toHex(), QByteArray("01000000"));
        CLimitSettings saved;
        std::string msg;
        QCOMPARE(saved.LoadFromFile(LimitFile().toStdString(), msg), 1);
        QCOMPARE(saved.GetPosition(0), 6.0);
        QCOMPARE(saved.GetPosition(1), dropped);
        QCOMPARE(saved.GetPosition(2), 2.0);
        QCOMPARE(saved.GetPosition(3), 4.0);

        // Outside the next zoom it is hidden; back in view it shows again.
        QVERIFY(Zoom(*plot, {5, 13, 100, 4000}));
        QVERIFY(!plot->IsLimitShown(1));
        plot->ZoomOut();
        QVERIFY(plot->IsLimitShown(1));

        // Another plot on the same file starts where this one left off.
        auto next = MakePlot();
        QCOMPARE(next->GetLimitPosition(1), dropped);
    }

    void theLimitFileIsReadWhenItsPathIsSet_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<double>>("positions");
        CLimitSettings custom;
        for (int n = 0; n < 4; ++n)
            custom.SetPosition(n, 1.5 + 3 * n);
        const std::vector<uint8_t> good = custom.ToBytes();
        const QByteArray goodBytes(reinterpret_cast<const char*>(good.data()), qsizetype(good.size()));
        QTest::newRow("a saved file") << goodBytes << QList<double>{1.5, 4.5, 7.5, 10.5};
        QTest::newRow("a short file keeps the defaults") << goodBytes.left(20) << QList<double>{6, 12, 2, 4};
        QTest::newRow("no file keeps the defaults") << QByteArray() << QList<double>{6, 12, 2, 4};
    }

    void theLimitFileIsReadWhenItsPathIsSet()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<double>, positions);
        const QString path = m_dir.filePath("other.cfg");
        QFile::remove(path);
        if (!bytes.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        auto plot = MakePlot();
        plot->SetLimitSettingsPath(path);
        for (int n = 0; n < 4; ++n) {
            QCOMPARE(plot->GetLimitPosition(n), positions[n]);
            QCOMPARE(CLimitSettings::FromPercent(plot->PlotControl()->GetLimitPercent(n), 0, 25), positions[n]);
        }
    }

    void pauseHoldsTheViewWhilePulsesArrive()
    {
        auto plot = MakePlot();
        QSignalSpy state(plot.get(), &CPlotDlg::viewStateChanged);
        for (long index = 1; index <= 600; ++index)
            plot->DrawPulse(Pulse(250, index, int(index)), 0);
        QCOMPARE(FirstValue(*plot, 0), 600.0);
        QCOMPARE(state.count(), 0);

        plot->SetPaused(true);
        QVERIFY(plot->IsPaused());
        QCOMPARE(state.takeFirst().at(0).toString(), QString("Paused: pulse 600 (0 of 500 back)"));
        for (long index = 601; index <= 605; ++index)
            plot->DrawPulse(Pulse(250, index, int(index)), 0);
        QCOMPARE(FirstValue(*plot, 0), 600.0);
        // The count stays put while pulses arrive.
        QCOMPARE(plot->GetViewStateText(), QString("Paused: pulse 600 (0 of 500 back)"));
        QCOMPARE(plot->GetPulseHistory().GetCount(), size_t(500));

        // References still draw while the live trace is paused.
        plot->DrawPulse(Pulse(250, 9, 9999), 1);
        QCOMPARE(FirstValue(*plot, 1), 9999.0);

        QCOMPARE(plot->StepBack(), 1);
        QCOMPARE(plot->StepBack(), 1);
        QCOMPARE(FirstValue(*plot, 0), 598.0);
        QCOMPARE(plot->PlotControl()->GetMarkerY(1), 598.0);
        QCOMPARE(plot->GetViewStateText(), QString("Paused: pulse 598 (2 of 500 back)"));
        QCOMPARE(plot->StepForward(), 1);
        QCOMPARE(FirstValue(*plot, 0), 599.0);

        // Back to the oldest kept (106) and no further.
        int steps = 0;
        while (plot->StepBack())
            ++steps;
        QCOMPARE(steps, 599 - 106);
        QCOMPARE(FirstValue(*plot, 0), 106.0);

        state.clear();
        plot->SetPaused(false);
        QCOMPARE(FirstValue(*plot, 0), 605.0);
        QCOMPARE(state.count(), 1);
        QCOMPARE(state.at(0).at(0).toString(), QString());
        plot->DrawPulse(Pulse(250, 606, 606), 0);
        QCOMPARE(FirstValue(*plot, 0), 606.0);
        QCOMPARE(plot->StepForward(), 0);
    }

    void keysPauseAndStep()
    {
        auto plot = MakePlot();
        for (long index = 1; index <= 5; ++index)
            plot->DrawPulse(Pulse(250, index, int(index)), 0);
        QTest::keyClick(plot->PlotControl(), Qt::Key_Left); // stepping back from live pauses
        QVERIFY(plot->IsPaused());
        QCOMPARE(FirstValue(*plot, 0), 4.0);
        QTest::keyClick(plot->PlotControl(), Qt::Key_Right);
        QCOMPARE(FirstValue(*plot, 0), 5.0);
        QTest::keyClick(plot->PlotControl(), Qt::Key_Space);
        QVERIFY(!plot->IsPaused());
        QCOMPARE(plot->GetViewStateText(), QString());
    }

    void theCursorReadoutFollowsTheMouseAndTheBasePoint()
    {
        auto plot = MakePlot();
        CiPlotXControl* chart = plot->PlotControl();
        const auto expected = [chart](const CCursorReadout& readout, QPoint at) {
            return QString::fromStdString(readout.Text(chart->PixelToX(at.x()), chart->PixelToY(at.y())));
        };
        QCOMPARE(plot->GetReadoutText(), QString());

        const QPoint base = PixelOf(*plot, 10, 2000);
        QTest::mouseMove(chart, base);
        QCOMPARE(plot->GetReadoutText(), expected(CCursorReadout(), base));

        QTest::mouseClick(chart, Qt::LeftButton, {}, base);
        QVERIFY(chart->IsBasePointMarkShown());
        const QPoint there = PixelOf(*plot, 14, 3500);
        QTest::mouseMove(chart, there);
        CCursorReadout withBase;
        withBase.SetBasePoint(chart->PixelToX(base.x()), chart->PixelToY(base.y()));
        QCOMPARE(plot->GetReadoutText(), expected(withBase, there));
        QVERIFY(plot->GetReadoutText().contains(QStringLiteral("; \u0394t = +")));

        QTest::keyClick(chart, Qt::Key_Escape);
        QVERIFY(!chart->IsBasePointMarkShown());
        QCOMPARE(plot->GetReadoutText(), expected(CCursorReadout(), there));

        // Over the axis labels, outside the plotted area: no readout.
        QTest::mouseMove(chart, QPoint(2, 2));
        QCOMPARE(plot->GetReadoutText(), QString());
    }
};

QTEST_MAIN(TestPlot)
#include "tst_plot.moc"
