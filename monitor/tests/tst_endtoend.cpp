// The Monitor against the board simulator on a pseudo-terminal: the window
// follows a simulated run, shows live pulses and sends Reset to Ready.
#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "FilePaths.h"
#include "ImageButton.h"
#include "MessageService.h"
#include "PlotDlg.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"
#include "QuillonIniConfig.h"

#include <QtTest>
#include <QTemporaryDir>

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("TARVOLIN_COMMON_DATA", m_folder.filePath("common").toUtf8());
        qputenv("TARVOLIN_PORTS_DIR", m_folder.filePath("ports").toUtf8());
        QVERIFY(CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE));
    }

    void missingResourceLibraryIsRefused()
    {
        QVERIFY(!CQuillonApp::LoadResources(m_folder.filePath("none/QuillonRes0409.rcc")));
    }

    void followsASimulatedRunAndResetsTheBoard()
    {
        CSimOptions options;
        options.port = 2;
        options.portsDir = m_folder.filePath("ports").toStdString();
        options.clockSpeed = 2.0;
        CBoardSimulator sim(options);
        std::string error;
        QVERIFY2(sim.Start(error), error.c_str());

        CQuillonApp::ApplyCommandLine({"h:GC1", "-MCP:COM2"});
        QCOMPARE(QString::fromStdString(CFilePaths::GetInstrumentId()), QString("GC1"));
        CCoreInterface::Initialize();
        CMessageRecorder messages;
        {
            CQuillonDlg window;
            window.Initialize();
            window.show();
            QTRY_COMPARE_WITH_TIMEOUT(window.StatusLine(1063), QString("Ready"), 10000);
            QCOMPARE(window.StatusLine(1065), QString("Stopped"));
            // The set-up buttons and the data settings work.
            for (const char* name : {"ctl1027", "ctl1008", "ctl1013", "ctl1012", "ctl1015",
                                     "ctl1025", "ctl1016", "ctl1029"}) {
                auto* button = window.findChild<CImageButton*>(name);
                QVERIFY2(button && button->isEnabled(), name);
            }
            QVERIFY(!window.IsStatusLineVisible(1069));

            sim.StartRun();
            QTRY_VERIFY_WITH_TIMEOUT(window.StatusLine(1063).startsWith("Running"), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(window.LivePulse().GetDataCount() == 250, 10000);
            // A second pulse gives a frequency: seven a second of run time.
            const long first = window.LivePulse().GetPulseIndex();
            QTRY_VERIFY_WITH_TIMEOUT(window.LivePulse().GetPulseIndex() > first, 10000);
            bool ok = false;
            const double frequency = window.CurrentData()->GetFrequency(0).toDouble(&ok);
            QVERIFY2(ok, qPrintable(window.CurrentData()->GetFrequency(0)));
            QVERIFY2(frequency > 5.0 && frequency < 9.0, qPrintable(window.CurrentData()->GetFrequency(0)));
            QVERIFY(window.LivePulse().GetFrequencyPulse() > 5.0 && window.LivePulse().GetFrequencyPulse() < 9.0);
            QVERIFY(!window.StatusLine(1041).isEmpty());

            // The about dialog's pulse fields follow every pulse; its status
            // fields follow the status while it is shown.
            const CPulseData shown = window.LivePulse();
            QCOMPARE(window.About()->GetField(1005), QString::number(shown.GetCh1Offset()));
            QCOMPARE(window.About()->GetField(1037), QString::number(shown.GetDarkCurrent()));
            QCOMPARE(window.About()->GetField(1036), QString::asprintf("%0.2lf", shown.GetTDelay()));
            window.OnButtonClicked(1019);
            QVERIFY(window.About()->isVisible());
            // Run bit 0x08, and the pulse-waiting bit 0x01 as the board has one.
            QTRY_VERIFY_WITH_TIMEOUT(window.About()->GetField(1032) == "0x0800" ||
                                         window.About()->GetField(1032) == "0x0900",
                                     10000);
            QCOMPARE(window.About()->GetField(1040), QString("0x0000"));
            QCOMPARE(window.About()->GetField(1030), QString("21"));
            QCOMPARE(window.About()->GetField(1029), QString("B3"));
            window.About()->hide();

            window.OnHoldReference(1);
            QCOMPARE(window.CurrentData()->GetFrequency(1), window.CurrentData()->GetFrequency(0));
            window.OnClearReference(1);
            QCOMPARE(window.CurrentData()->GetFrequency(1), QString());

            window.ResetToReady();
            QCOMPARE(messages.Count(), size_t(0)); // the window waits for no board
            QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), 10000);
            QCOMPARE(QString::fromStdString(messages.Messages()[0].text),
                     QString("Reset to Ready command sent successfully"));
            QCOMPARE(sim.GetRequestCount(0x30), uint64_t(1));
            QTRY_COMPARE_WITH_TIMEOUT(window.StatusLine(1063), QString("Ready"), 10000);
        }
        CCoreInterface::Cleanup();
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
