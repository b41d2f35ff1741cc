// The cursor readout texts of the live plot.

#include "CursorReadout.h"

#include <QTest>

class TestCursorReadout : public QObject {
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<bool>("hasBase");
        QTest::addColumn<double>("baseTime");
        QTest::addColumn<double>("baseCounts");
        QTest::addColumn<double>("time");
        QTest::addColumn<double>("counts");
        QTest::addColumn<QString>("text");

        QTest::newRow("time and counts") << false << 0.0 << 0.0 << 12.3456 << 1234.4
                                         << "t = 12.35 ms, counts = 1234";
        QTest::newRow("a hair below zero shows no sign") << false << 0.0 << 0.0 << -0.001 << -0.4
                                                         << "t = 0.00 ms, counts = 0";
        QTest::newRow("negative counts keep their sign") << false << 0.0 << 0.0 << 3.0 << -17.6
                                                         << "t = 3.00 ms, counts = -18";
        QTest::newRow("the wide default range") << false << 0.0 << 0.0 << 9999999.5 << 9999999.0
                                                << "t = 9999999.50 ms, counts = 9999999";
        QTest::newRow("difference to the base point") << true << 10.25 << 1290.0 << 12.35 << 1234.0
                                                      << "t = 12.35 ms, counts = 1234; \u0394t = +2.10 ms, \u0394counts = -56";
        QTest::newRow("on the base point: no signs") << true << 5.0 << 300.0 << 5.001 << 300.2
                                                     << "t = 5.00 ms, counts = 300; \u0394t = 0.00 ms, \u0394counts = 0";
        QTest::newRow("the difference is of the shown values") << true << 1.004 << 10.4 << 2.006 << 11.6
                                                               << "t = 2.01 ms, counts = 12; \u0394t = +1.01 ms, \u0394counts = +2";
        QTest::newRow("left of the base point") << true << 8.0 << 100.0 << 6.5 << 400.0
                                                << "t = 6.50 ms, counts = 400; \u0394t = -1.50 ms, \u0394counts = +300";
    }

    void text()
    {
        QFETCH(bool, hasBase);
        QFETCH(double, baseTime);
        QFETCH(double, baseCounts);
        QFETCH(double, time);
        QFETCH(double, counts);
        QFETCH(QString, text);
        CCursorReadout readout;
        if (hasBase)
            readout.SetBasePoint(baseTime, baseCounts);
        QCOMPARE(QString::fromStdString(readout.Text(time, counts)), text);
    }

    void clearingTheBasePointDropsTheDifference()
    {
        CCursorReadout readout;
        readout.SetBasePoint(1.0, 2.0);
        QVERIFY(readout.HasBasePoint());
        readout.ClearBasePoint();
        QVERIFY(!readout.HasBasePoint());
        QCOMPARE(QString::fromStdString(readout.Text(3.0, 4.0)), QString("t = 3.00 ms, counts = 4"));
    }
};

QTEST_APPLESS_MAIN(TestCursorReadout)
#include "tst_cursorreadout.moc"
