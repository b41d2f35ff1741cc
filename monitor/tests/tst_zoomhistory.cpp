// The zoom rules of the live plot: the ten-entry history, the zoom box clamp
// and refusal, and the ranges the chart is given.

#include "ZoomHistory.h"

#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(CAxisRanges)

char* toString(const CAxisRanges& r)
{
    return QTest::toString(QStringLiteral("x %1..%2, y %3..%4").arg(r.dXMin).arg(r.dXMax).arg(r.dYMin).arg(r.dYMax));
}

namespace {

CAxisRanges View(int n)
{
    return {double(n), 25.0 - n, 10.0 * n, 5000.0 - 100.0 * n};
}

const CAxisRanges kIniRanges{0.0, 25.0, 0.0, 5000.0};

} // namespace

class TestZoomHistory : public QObject {
    Q_OBJECT

private slots:
    void tenPushesFillItAndTheEleventhIsIgnored()
    {
        CZoomHistory history;
        QVERIFY(history.IsEmpty());
        QCOMPARE(history.GetTopIndex(), -1);
        for (int n = 0; n < 10; ++n)
            QCOMPARE(history.Push(View(n)), 1);
        QCOMPARE(history.Push(View(10)), 0);
        QCOMPARE(history.GetCount(), 10);
        QCOMPARE(history.GetTopIndex(), 9);

        // Newest first, and the ignored eleventh never comes back.
        CAxisRanges popped;
        for (int n = 9; n >= 0; --n) {
            QCOMPARE(history.Pop(popped), 1);
            QCOMPARE(popped, View(n));
        }
        QCOMPARE(history.Pop(popped), 0);
        QCOMPARE(popped, View(0));
    }

    void zoomOutWalksBackAndTheLastStepFitsTheData()
    {
        CZoomHistory history;
        for (int n = 0; n < 10; ++n)
            history.Push(View(n));
        CAxisRanges target;
        for (int n = 9; n >= 1; --n) {
            QCOMPARE(history.PopForZoomOut(target), 1);
            QCOMPARE(target, View(n));
        }
        // The first saved view is the one the operator started from: fit instead.
        QCOMPARE(history.PopForZoomOut(target), 0);
        QVERIFY(history.IsEmpty());
        QCOMPARE(history.PopForZoomOut(target), 0);
    }

    void clearEmptiesAndMakesRoomAgain()
    {
        CZoomHistory history;
        for (int n = 0; n < 11; ++n)
            history.Push(View(n));
        history.Clear();
        QVERIFY(history.IsEmpty());
        QCOMPARE(history.Push(View(3)), 1);
        QCOMPARE(history.GetCount(), 1);
    }

    void zoomBox_data()
    {
        QTest::addColumn<CAxisRanges>("box");
        QTest::addColumn<CAxisRanges>("limits");
        QTest::addColumn<int>("accepted");
        QTest::addColumn<CAxisRanges>("result");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("inside the ranges: unchanged") << CAxisRanges{2, 8.5, 100, 900} << kIniRanges << 1
                                                      << CAxisRanges{2, 8.5, 100, 900};
        QTest::newRow("over the left and right ends: clamped") << CAxisRanges{-3, 30, 100, 900} << kIniRanges << 1
                                                               << CAxisRanges{0, 25, 100, 900};
        QTest::newRow("over the bottom and top: clamped") << CAxisRanges{2, 8, -50, 7000} << kIniRanges << 1
                                                          << CAxisRanges{2, 8, 0, 5000};
        QTest::newRow("drawn from the top right: normalised") << CAxisRanges{8, 2, 900, 100} << kIniRanges << 1
                                                              << CAxisRanges{2, 8, 100, 900};
        QTest::newRow("exactly 1 ms by 1 count: accepted") << CAxisRanges{5, 6, 10, 11} << kIniRanges << 1
                                                           << CAxisRanges{5, 6, 10, 11};
        QTest::newRow("0.5 ms wide: refused") << CAxisRanges{5, 5.5, 100, 900} << kIniRanges << 0
                                              << CAxisRanges{5, 5.5, 100, 900};
        QTest::newRow("half a count high: refused") << CAxisRanges{5, 9, 100, 100.5} << kIniRanges << 0
                                                    << CAxisRanges{5, 9, 100, 100.5};
        QTest::newRow("under 1 ms once clamped: refused") << CAxisRanges{24.6, 30, 100, 900} << kIniRanges << 0
                                                          << CAxisRanges{24.6, 25, 100, 900};
        QTest::newRow("wholly right of the range: refused") << CAxisRanges{30, 40, 100, 900} << kIniRanges << 0
                                                            << CAxisRanges{30, 25, 100, 900};
        QTest::newRow("limits given upside down still clamp") << CAxisRanges{-3, 30, 100, 900}
                                                              << CAxisRanges{25, 0, 5000, 0} << 1
                                                              << CAxisRanges{0, 25, 100, 900};
        QTest::newRow("a corner that is not a number: refused") << CAxisRanges{nan, 8, 100, 900} << kIniRanges << 0
                                                                << CAxisRanges{nan, 8, 100, 900};
    }

    void zoomBox()
    {
        QFETCH(CAxisRanges, box);
        QFETCH(CAxisRanges, limits);
        QFETCH(int, accepted);
        QFETCH(CAxisRanges, result);
        QCOMPARE(ClampZoomBox(box, limits), accepted);
        if (accepted)
            QCOMPARE(box, result);
    }

    void applicableRanges_data()
    {
        QTest::addColumn<CAxisRanges>("ranges");
        QTest::addColumn<CAxisRanges>("applied");
        QTest::newRow("whole spans stay") << CAxisRanges{0, 25, 100, 3100} << CAxisRanges{0, 25, 100, 3100};
        QTest::newRow("fractional spans are cut to whole units")
            << CAxisRanges{0.5, 10.2, 0, 99.9} << CAxisRanges{0.5, 9.5, 0, 99};
        QTest::newRow("negative minimum keeps its place") << CAxisRanges{-2.5, 3, -10, 10}
                                                          << CAxisRanges{-2.5, 2.5, -10, 10};
        QTest::newRow("a flat fit still gets a span of 1") << CAxisRanges{0, 24.9, 700, 700}
                                                           << CAxisRanges{0, 24, 700, 701};
        QTest::newRow("INI maxima below the minima give a span of 1") << CAxisRanges{10, 0, 50, 0}
                                                                      << CAxisRanges{10, 11, 50, 51};
    }

    void applicableRanges()
    {
        QFETCH(CAxisRanges, ranges);
        QFETCH(CAxisRanges, applied);
        QCOMPARE(ApplicableRanges(ranges), applied);
    }

    void refitRoundsOnlyTheXMaximumUp_data()
    {
        QTest::addColumn<double>("xMax");
        QTest::addColumn<double>("expected");
        QTest::newRow("250 samples end at 24.9 ms") << 24.9 << 25.0;
        QTest::newRow("a whole millisecond stays") << 25.0 << 25.0;
        QTest::newRow("just past a whole one") << 3.0000001 << 4.0;
        QTest::newRow("negative") << -0.5 << 0.0;
    }

    void refitRoundsOnlyTheXMaximumUp()
    {
        QFETCH(double, xMax);
        QFETCH(double, expected);
        const CAxisRanges fitted = RefitRanges({0.3, xMax, 12.5, 900.5});
        QCOMPARE(fitted, (CAxisRanges{0.3, expected, 12.5, 900.5}));
    }
};

QTEST_APPLESS_MAIN(TestZoomHistory)
#include "tst_zoomhistory.moc"
