// The history behind the paused live plot: the newest 500 pulses, a frozen
// view that stays on its pulse while others arrive, and its status line.

#include "PulseHistory.h"

#include <QTest>

namespace {

CPulseData Pulse(long index, int samples = 3)
{
    CPulseData pulse;
    pulse.SetPulseIndex(index);
    for (int i = 0; i < samples; ++i)
        pulse.AddData(int(index) * 10 + i);
    return pulse;
}

void AddPulses(CPulseHistory& history, long first, long last)
{
    for (long index = first; index <= last; ++index)
        history.Add(Pulse(index));
}

} // namespace

class TestPulseHistory : public QObject {
    Q_OBJECT

private slots:
    void aPulseFetchedAgainIsKeptOnce()
    {
        CPulseHistory history;
        history.Add(Pulse(7));
        QVERIFY(history.IsRepeat(Pulse(7)));
        QCOMPARE(history.Add(Pulse(7)), 0);
        QCOMPARE(history.GetCount(), size_t(1));
        QVERIFY(!history.IsRepeat(Pulse(8)));
        history.Add(Pulse(8));
        history.Add(Pulse(3)); // a board that started its index again
        QCOMPARE(history.GetCount(), size_t(3));
        QCOMPARE(history.GetBack(0)->GetPulseIndex(), 3L);
    }

    void keepsTheNewest500()
    {
        CPulseHistory history;
        QCOMPARE(history.GetCapacity(), size_t(500));
        AddPulses(history, 1, 501);
        QCOMPARE(history.GetCount(), size_t(500));
        QCOMPARE(history.GetBack(0)->GetPulseIndex(), 501L);
        QCOMPARE(history.GetBack(499)->GetPulseIndex(), 2L);
        QVERIFY(history.GetBack(500) == nullptr);
        QCOMPARE(*history.GetBack(0), Pulse(501));
    }

    void aReusedSlotTakesTheNewPulseWhole()
    {
        CPulseHistory history(2);
        history.Add(Pulse(1, 250));
        history.Add(Pulse(2, 250));
        history.Add(Pulse(3, 0));
        QCOMPARE(history.GetBack(0)->GetDataCount(), 0);
        QCOMPARE(history.GetBack(1)->GetDataCount(), 250);
        history.Add(Pulse(4, 7));
        QCOMPARE(*history.GetBack(0), Pulse(4, 7));
    }

    void theFrozenViewStaysOnItsPulse()
    {
        CPulseHistory history;
        AddPulses(history, 1, 10);
        history.Freeze();
        QCOMPARE(history.GetViewed()->GetPulseIndex(), 10L);
        QCOMPARE(history.GetStepsBack(), size_t(0));
        AddPulses(history, 11, 13);
        QCOMPARE(history.GetViewed()->GetPulseIndex(), 10L);
        // The count stays put while pulses arrive; forward ends where it froze.
        QCOMPARE(history.GetStepsBack(), size_t(0));
        QCOMPARE(QString::fromStdString(PausedStatusText(history)), QString("Paused: pulse 10 (0 of 10 back)"));
        QCOMPARE(history.StepForward(), 0);
        QCOMPARE(history.StepBack(), 1);
        AddPulses(history, 14, 20);
        QCOMPARE(QString::fromStdString(PausedStatusText(history)), QString("Paused: pulse 9 (1 of 10 back)"));
    }

    void stepsStopAtBothEnds()
    {
        CPulseHistory history(5);
        AddPulses(history, 1, 8); // keeps 4..8
        history.Freeze();
        int back = 0;
        while (history.StepBack())
            ++back;
        QCOMPARE(back, 4);
        QCOMPARE(history.GetViewed()->GetPulseIndex(), 4L);
        int forward = 0;
        while (history.StepForward())
            ++forward;
        QCOMPARE(forward, 4);
        QCOMPARE(history.GetViewed()->GetPulseIndex(), 8L);
    }

    void theViewMovesOnlyWhenItsPulseIsDropped()
    {
        CPulseHistory history(5);
        AddPulses(history, 1, 5);
        history.Freeze();
        while (history.StepBack()) {
        }
        QCOMPARE(history.GetViewed()->GetPulseIndex(), 1L);
        QCOMPARE(history.Add(Pulse(6)), 1);
        QCOMPARE(history.GetViewed()->GetPulseIndex(), 2L);
        history.StepForward();
        QCOMPARE(history.Add(Pulse(7)), 0);
        QCOMPARE(history.GetViewed()->GetPulseIndex(), 3L);
    }

    void aViewFrozenOnNothingShowsTheFirstPulse()
    {
        CPulseHistory history;
        history.Freeze();
        QVERIFY(history.GetViewed() == nullptr);
        QCOMPARE(history.StepBack(), 0);
        QCOMPARE(history.Add(Pulse(42)), 1);
        QCOMPARE(history.GetViewed()->GetPulseIndex(), 42L);
    }

    void withoutFreezeThereIsNoView()
    {
        CPulseHistory history;
        AddPulses(history, 1, 3);
        QVERIFY(history.GetViewed() == nullptr);
        QCOMPARE(history.StepBack(), 0);
        QCOMPARE(history.StepForward(), 0);
        history.Freeze();
        history.StepBack();
        history.Thaw();
        QVERIFY(history.GetViewed() == nullptr);
        QCOMPARE(history.GetStepsBack(), size_t(0));
    }

    void statusText_data()
    {
        QTest::addColumn<int>("pulses");
        QTest::addColumn<bool>("frozen");
        QTest::addColumn<int>("stepsBack");
        QTest::addColumn<QString>("text");
        QTest::newRow("live") << 20 << false << 0 << "";
        QTest::newRow("paused before any pulse") << 0 << true << 0 << "Paused";
        QTest::newRow("paused on the newest") << 20 << true << 0 << "Paused: pulse 1020 (0 of 20 back)";
        QTest::newRow("stepped back") << 1234 << true << 12 << "Paused: pulse 2222 (12 of 500 back)";
    }

    void statusText()
    {
        QFETCH(int, pulses);
        QFETCH(bool, frozen);
        QFETCH(int, stepsBack);
        QFETCH(QString, text);
        CPulseHistory history;
        AddPulses(history, 1001, 1000 + pulses);
        if (frozen)
            history.Freeze();
        for (int n = 0; n < stepsBack; ++n)
            history.StepBack();
        QCOMPARE(QString::fromStdString(PausedStatusText(history)), text);
    }
};

QTEST_APPLESS_MAIN(TestPulseHistory)
#include "tst_pulsehistory.moc"
