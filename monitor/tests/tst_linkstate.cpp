// The Monitor against the board simulator when the board goes away and comes
// back: a board that stops answering shows "No response since", a stopped
// simulator shows its port not present, and once the board answers again the
// live pulse returns without the operator doing anything.

#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "MessageService.h"
#include "MonitorPanels.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kDeadlineMs = 30000;
enum { kElapsed = 1041, kStatus = 1063, kLink = 1091 };

} // namespace

class TestLinkState : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("TARVOLIN_COMMON_DATA", m_folder.filePath("common").toUtf8());
        qputenv("TARVOLIN_PORTS_DIR", m_folder.filePath("ports").toUtf8());
        QVERIFY(CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE));
    }

    void theLiveViewFollowsTheBoardAwayAndBack()
    {
        CSimOptions options;
        options.port = 5;
        options.portsDir = m_folder.filePath("ports").toStdString();
        options.clockSpeed = 2.0;
        CBoardSimulator sim(options);
        std::string error;
        QVERIFY2(sim.Start(error), error.c_str());
        sim.StartRun();

        CQuillonApp::ApplyCommandLine({"h:Away", "-MCP:COM5"});
        CCoreInterface::Initialize();
        CMessageRecorder messages;
        {
            CQuillonDlg window;
            window.Initialize();
            window.show();
            QTRY_COMPARE_WITH_TIMEOUT(window.StatusLine(kLink), QString("Connected on COM5"),
                                      kDeadlineMs);
            QVERIFY2(
                window.StatusToolTip(kLink).contains(QString::fromStdString(sim.GetDevicePath())),
                qPrintable(window.StatusToolTip(kLink)));
            QTRY_VERIFY_WITH_TIMEOUT(window.LivePulse().GetPulseIndex() > 0, kDeadlineMs);
            QTRY_VERIFY_WITH_TIMEOUT(!window.CurrentData()->GetFrequency(0).isEmpty(), kDeadlineMs);
            QVERIFY(window.StatusLine(kStatus).startsWith("Running"));

            // The board falls silent: said in the status area, the values of a
            // running board cleared.
            CSimFaultRule silent;
            silent.kind = SimFault::Silence;
            const int fault = sim.AddFault(silent);
            QTRY_VERIFY_WITH_TIMEOUT(window.StatusLine(kLink).startsWith("No response since "),
                                     kDeadlineMs);
            QVERIFY(!window.IsLinkUp());
            QCOMPARE(window.CurrentData()->GetFrequency(0), QString());
            QCOMPARE(window.StatusLine(kElapsed), QString());
            QCOMPARE(window.StatusLine(kStatus), QString());

            // It answers again: back by itself, with new pulses.
            const long before = window.LivePulse().GetPulseIndex();
            sim.RemoveFault(fault);
            QTRY_COMPARE_WITH_TIMEOUT(window.StatusLine(kLink), QString("Connected on COM5"),
                                      kDeadlineMs);
            QTRY_VERIFY_WITH_TIMEOUT(window.LivePulse().GetPulseIndex() > before, kDeadlineMs);
            QTRY_VERIFY_WITH_TIMEOUT(!window.CurrentData()->GetFrequency(0).isEmpty(), kDeadlineMs);
            QVERIFY(!window.StatusLine(kElapsed).isEmpty());

            // The simulator stopped: its port is gone; started again, the
            // Monitor reopens it and the live pulse returns.
            sim.Stop();
            QTRY_VERIFY_WITH_TIMEOUT(!window.IsLinkUp(), kDeadlineMs);
            QTRY_VERIFY_WITH_TIMEOUT(window.StatusLine(kLink) == "Port COM5 not present" ||
                                         window.StatusLine(kLink).startsWith("No response since "),
                                     kDeadlineMs);
            QCOMPARE(window.CurrentData()->GetFrequency(0), QString());
            QVERIFY2(sim.Start(error), error.c_str());
            sim.StartRun();
            const long last = window.LivePulse().GetPulseIndex();
            QTRY_COMPARE_WITH_TIMEOUT(window.StatusLine(kLink), QString("Connected on COM5"),
                                      kDeadlineMs);
            // A new run numbers its pulses from the start: any pulse taken in is new.
            QTRY_VERIFY_WITH_TIMEOUT(window.LivePulse().GetPulseIndex() != last &&
                                         !window.CurrentData()->GetFrequency(0).isEmpty(),
                                     kDeadlineMs);
            QCOMPARE(messages.Count(), size_t(0)); // nothing was asked of the operator
        }
        CCoreInterface::Cleanup();
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(TestLinkState)
#include "tst_linkstate.moc"
