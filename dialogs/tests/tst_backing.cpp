// The backing contract the dialogs rely on, on the document backing and the
// scripted one: completions come later and in order, never inside Start;
// a cancelled request never completes; writes change the held records.

#include "ScriptedBacking.h"

#include <QtTest>

class TestBacking : public QObject {
    Q_OBJECT
private slots:
    void completesLaterAndInOrder()
    {
        CDocumentBacking backing;
        std::vector<int> order;
        bool insideStart = true;
        CBackingRequest write{BackingOperation::WriteGates, {}};
        write.records.gates[2].SetStartA(4.5);
        const int first = backing.Start(write, [&](const CBackingResult& r) {
            QVERIFY(!insideStart);
            QCOMPARE(r.nResult, 1);
            order.push_back(1);
        });
        const int second =
            backing.Start({BackingOperation::ReadGates, {}}, [&](const CBackingResult& r) {
                QCOMPARE(r.records.gates[2].GetStartA(), 4.5);
                order.push_back(2);
            });
        insideStart = false;
        QVERIFY(first > 0 && second > first);
        QVERIFY(backing.IsPending(first));
        QCOMPARE(backing.GetPendingCount(), 2);
        QTRY_COMPARE(order.size(), size_t(2));
        QCOMPARE(order, (std::vector<int>{1, 2}));
        QCOMPARE(backing.GetPendingCount(), 0);
    }

    void aCancelledRequestNeverCompletes()
    {
        CDocumentBacking backing;
        int completed = 0;
        const int id = backing.Start({BackingOperation::ReadTimedEvents, {}},
                                     [&](const CBackingResult&) { ++completed; });
        backing.Start({BackingOperation::ReadGates, {}},
                      [&](const CBackingResult&) { completed += 10; });
        backing.Cancel(id);
        backing.Cancel(12345); // unknown ids are ignored
        QTRY_COMPARE(completed, 10);
        QCoreApplication::processEvents();
        QCOMPARE(completed, 10);
    }

    void documentWritesReplaceTheHeldRecordsAndSayWhich()
    {
        CDocumentBacking backing;
        QSignalSpy changed(&backing, &CDocumentBacking::recordsChanged);
        CBackingRequest apply{BackingOperation::ApplySetUp, {}};
        apply.records.board.SetpmtVolts(700);
        apply.records.channels[1].SetChannelZero(-3);
        CTimedEventData event;
        event.SetEventTime(2.0);
        apply.records.events.AddTimedEvent(event);
        backing.Start(apply, {});
        CBackingRequest zero{BackingOperation::WriteChannelZero, {}};
        zero.records.nChannel = 1;
        zero.records.channels[0].SetChannelZero(99);
        zero.records.channels[1].SetChannelZero(1000); // not channel 1's business
        backing.Start(zero, {});
        QTRY_COMPARE(changed.count(), 2);
        QCOMPARE(backing.GetRecords().board.GetPmtVolts(), (unsigned short)700);
        QCOMPARE(backing.GetRecords().channels[0].GetChannelZero(), 99);
        QCOMPARE(backing.GetRecords().channels[1].GetChannelZero(), -3);
        QCOMPARE(backing.GetRecords().events.GetCount(), 1);
        QCOMPARE(backing.IsInstrument(), false);
        QCOMPARE(QString::fromStdString(backing.BusyText(BackingOperation::ReadGates)),
                 QString("Reading the gates..."));
    }

    void scriptedFailuresHoldsAndDelays()
    {
        CScriptedBacking backing;
        backing.SetScript(BackingOperation::ApplySetUp, {true, "Step three failed.", 3, false, 0});
        backing.SetScript(BackingOperation::ReadGates, {false, "", 0, true, 0});
        backing.SetScript(BackingOperation::ReadSetUp, {false, "", 0, false, 20});
        CBackingResult applied, read, setUp;
        CBackingRequest apply{BackingOperation::ApplySetUp, {}};
        apply.records.board.SetpmtVolts(5);
        backing.Start(apply, [&](const CBackingResult& r) {
            applied = r;
            applied.nResult += 10;
        });
        backing.Start({BackingOperation::ReadGates, {}}, [&](const CBackingResult& r) {
            read = r;
            read.nResult += 10;
        });
        backing.Start({BackingOperation::ReadSetUp, {}}, [&](const CBackingResult& r) {
            setUp = r;
            setUp.nResult += 10;
        });
        QTRY_COMPARE(applied.nResult, 10);
        QCOMPARE(applied.nFailedStep, 3);
        QCOMPARE(applied.strMessage, std::string("Step three failed."));
        QCOMPARE(backing.GetRecords().board.GetPmtVolts(),
                 (unsigned short)0); // a failure changes nothing
        QTRY_COMPARE(setUp.nResult, 11);
        QCOMPARE(read.nResult, 0); // still held
        QCOMPARE(backing.GetHeldCount(), 1);
        QCOMPARE(backing.ReleaseHeld(), 1);
        QTRY_COMPARE(read.nResult, 11);
        QCOMPARE(backing.Log().size(), size_t(3));
        QCOMPARE(QString::fromStdString(backing.BusyText(BackingOperation::WriteTimedEvents)),
                 QString("Sending the timed events to the board..."));
        QCOMPARE(QString::fromStdString(backing.BusyText(BackingOperation::ReadGates)),
                 QString("Reading the gates from the board..."));
    }
};

QTEST_GUILESS_MAIN(TestBacking)
#include "tst_backing.moc"
