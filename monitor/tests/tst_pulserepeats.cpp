// The Monitor on a board that keeps offering its latest pulse: each pulse is
// drawn and kept once, and the repeats are counted (by the link or the window).
#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "PlotDlg.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"
#include "SimulatedBoard.h"

#include <QTemporaryDir>
#include <QtTest>

class TestPulseRepeats : public QObject {
    Q_OBJECT
private slots:
    void aPulseOfferedAgainIsShownOnce()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        qputenv("TARVOLIN_COMMON_DATA", folder.filePath("common").toUtf8());
        testsupport::CPortsFolder ports;
        QVERIFY(CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE));
        // Three pulses a second, the "new pulse" bit always set: the poller
        // fetches the same pulse several times over.
        CSimOptions options = testsupport::FastBoardOptions(ports.Dir(), 3);
        options.pulseRate = 3.0;
        options.runAtStart = true;
        std::string error;
        auto sim = testsupport::StartBoard(options, error);
        QVERIFY2(sim, error.c_str());
        sim->SetStickyStatusBits(0x0100);

        CQuillonApp::ApplyCommandLine({"h:GC1", "-MCP:COM3"});
        CCoreInterface::Initialize();
        {
            CQuillonDlg window;
            window.Initialize();
            window.show();
            // The link drops most repeats itself; the window refuses any that
            // reach it. Either way each is counted once and shown never.
            QTRY_VERIFY_WITH_TIMEOUT(CCoreInterface::GetRepeatedPulseCount() +
                                             uint64_t(window.PulseSequence().GetRepeats()) >=
                                         3 &&
                                         window.PulseSequence().GetAccepted() >= 3,
                                     20000);
            const CPulseHistory& history = window.Plot()->GetPulseHistory();
            QCOMPARE(int64_t(history.GetCount()), window.PulseSequence().GetAccepted());
            for (size_t n = 1; n < history.GetCount(); ++n)
                QVERIFY(history.GetBack(n)->GetPulseIndex() !=
                        history.GetBack(n - 1)->GetPulseIndex());
        }
        CCoreInterface::Cleanup();
    }
};

QTEST_MAIN(TestPulseRepeats)
#include "tst_pulserepeats.moc"
