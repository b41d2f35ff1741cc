// The button state rules: each row is a sequence of events and the state
// shown after each of them.

#include "ButtonStateMachine.h"

#include <QStringList>
#include <QTest>

namespace {

// in / out: mouse move inside / outside; down; up / upout: left button
// released inside / outside; lost: capture taken by another window;
// sN: a program shows state N.
bool Apply(CButtonStateMachine& machine, const QString& event)
{
    if (event == "in") {
        return machine.OnMouseMove(true);
    }
    if (event == "out") {
        return machine.OnMouseMove(false);
    }
    if (event == "down") {
        return machine.OnLeftButtonDown();
    }
    if (event == "up") {
        return machine.OnLeftButtonUp(true);
    }
    if (event == "upout") {
        return machine.OnLeftButtonUp(false);
    }
    if (event == "lost") {
        return machine.OnCaptureLost();
    }
    if (event.startsWith('s')) {
        return machine.ChangeState(static_cast<ButtonState>(event.mid(1).toInt()));
    }
    qFatal("unknown event %s", qPrintable(event));
}

void Row(const char* name, int mode, const char* events, const char* states)
{
    QTest::newRow(name) << mode << QString(events) << QString(states);
}

} // namespace

class TestButtonStateMachine : public QObject {
    Q_OBJECT

private slots:
    void sequences_data();
    void sequences();
    void captureFollowsTheMouse();
};

void TestButtonStateMachine::sequences_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("states");

    const int push = STATE_CHANGE_PUSH;
    const int sticky = STATE_CHANGE_STICKY;
    Row("push: a click leaves hover while the mouse stays", push, "in down up", "1 2 1");
    Row("push: leaving after a click shows normal", push, "in down up out", "1 2 1 0");
    Row("sticky: a click stays pressed", sticky, "in down up", "1 2 2");
    Row("sticky: leaving keeps the pressed image", sticky, "in down up out in", "1 2 2 2 2");
    Row("push: capture lost goes back to normal", push, "in lost", "1 0");
    Row("push: capture lost during a press", push, "in down lost", "1 2 0");
    Row("sticky: capture lost changes nothing", sticky, "in down up lost", "1 2 2 2");
    Row("push: dragging out of a press releases it", push, "in down out", "1 2 0");
    Row("push: dragging back in shows hover, release clicks", push, "in down out in up",
        "1 2 0 1 1");
    Row("push: release outside stays normal", push, "in down out upout", "1 2 0 0");
    Row("sticky: dragging out keeps the press", sticky, "in down out", "1 2 2");
    Row("sticky: release outside cancels a new press", sticky, "in down out upout", "1 2 2 0");
    Row("sticky: release outside keeps an earlier selection", sticky, "in down up down out upout",
        "1 2 2 2 2 2");
    Row("a move outside without capture shows normal", push, "out", "0");
    Row("moving inside a pressed button keeps it pressed", push, "in down in", "1 2 2");
    Row("the fourth image until the mouse comes", push, "s3 in out", "3 1 0");
    Row("a program can press and release a button", sticky, "s2 s0 s0", "2 0 0");
}

void TestButtonStateMachine::sequences()
{
    QFETCH(int, mode);
    QFETCH(QString, events);
    QFETCH(QString, states);
    const QStringList eventList = events.split(' ');
    const QStringList stateList = states.split(' ');
    QCOMPARE(eventList.size(), stateList.size());

    CButtonStateMachine machine;
    machine.SetMode(static_cast<StateChangeMode>(mode));
    for (qsizetype i = 0; i < eventList.size(); ++i) {
        const ButtonState before = machine.GetState();
        const bool changed = Apply(machine, eventList[i]);
        const QString where = QString("after event %1 (%2)").arg(i).arg(eventList[i]);
        QVERIFY2(machine.GetState() == stateList[i].toInt(), qPrintable(where));
        // The caller repaints on this answer, so it must be exact.
        QVERIFY2(changed == (machine.GetState() != before), qPrintable(where));
    }
}

void TestButtonStateMachine::captureFollowsTheMouse()
{
    CButtonStateMachine machine;
    QVERIFY(!machine.HasCapture());
    machine.OnMouseMove(true);
    QVERIFY(machine.HasCapture());
    machine.OnMouseMove(false);
    QVERIFY(!machine.HasCapture());
    machine.OnMouseMove(true);
    machine.OnCaptureLost();
    QVERIFY(!machine.HasCapture());
}

QTEST_APPLESS_MAIN(TestButtonStateMachine)
#include "tst_ButtonStateMachine.moc"
