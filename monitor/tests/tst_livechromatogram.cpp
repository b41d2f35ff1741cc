// The live chromatogram strip: appending pulses (one replot however many
// arrive in one turn of the event loop), and the Monitor on the board
// simulator - points appear as the run goes, a recording started during the
// run holds the values the strip shows (opened as an Analyzer document), the
// trace stays after the run and starts afresh with the next one.
#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "DVDocData.h"
#include "FilePaths.h"
#include "LiveChromatogram.h"
#include "LiveChromatogramStrip.h"
#include "LiveRun.h"
#include "MessageService.h"
#include "PlotDlg.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"
#include "TracePainter.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <filesystem>

namespace {

constexpr int kDeadlineMs = 60000;

CGateParameter Gate(unsigned short mode, double startA, double stopA)
{
    CGateParameter g;
    g.SetType(mode);
    g.SetStartA(startA);
    g.SetStopA(stopA);
    g.SetStartB(23.0);
    g.SetStopB(24.9);
    g.SetOperator(GO_MINUS);
    g.SetAlpha(1.0);
    return g;
}

CConfigBlockSet TwoGates()
{
    CConfigBlockSet records;
    for (int g = 0; g < 5; ++g)
        records.gates[g].SetType(static_cast<unsigned short>(40 + g)); // no mode
    records.gates[0] = Gate(GM_S, 0.5, 2.0);
    records.gates[1] = Gate(GM_P, 3.0, 12.0);
    return records;
}

// A pulse of run time k / 7 s with a peak that grows with k.
CPulseData Pulse(int k)
{
    CPulseData pulse;
    pulse.SetPulseIndex(k);
    pulse.SetPulseTime(k * 100 / 7);
    for (int i = 0; i < 250; ++i)
        pulse.AddData(1000 + (i < 120 ? 40 * k : 0) + i);
    return pulse;
}

} // namespace

class TestLiveChromatogram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("TARVOLIN_COMMON_DATA", m_folder.filePath("common").toUtf8());
        qputenv("TARVOLIN_PORTS_DIR", m_folder.filePath("ports").toUtf8());
        QVERIFY(CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE));
    }

    void manyPulsesInOneTurnAreDrawnByOneReplot()
    {
        CLiveChromatogramStrip strip;
        strip.resize(600, 170);
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        CLiveRun run(&strip, [] { return TwoGates(); });
        QTRY_VERIFY(strip.GetReplotCount() > 0);
        QTest::qWait(50);

        // The names and colours of the gates in use, as the Analyzer's legend has them.
        run.OnRunState(true);
        QCOMPARE(strip.GetTraceCount(), 2);
        QCOMPARE(strip.GetTraceName(0), QString("Mode S"));
        QCOMPARE(strip.GetTraceName(1), QString("Mode P"));
        QCOMPARE(strip.GetTraceColor(1), OTracePainter::GateColor(1));
        QCoreApplication::processEvents();
        const int before = strip.GetReplotCount();
        for (int k = 1; k <= 700; ++k)
            run.OnPulse(Pulse(k), true);
        QCOMPARE(strip.GetReplotCount(), before);
        QTRY_COMPARE(strip.GetReplotCount(), before + 1);
        QTest::qWait(50);
        QCOMPARE(strip.GetReplotCount(), before + 1);

        // Every pulse a point, at its run time with the calculated value.
        const OLiveChromatogram& c = run.Chromatogram();
        for (int m = 0; m < 2; ++m) {
            QCOMPARE(strip.GetPointCount(m), 700);
            QCOMPARE(strip.GetLastKey(m), static_cast<double>(c.GetTrace(m).times.back()));
            QCOMPARE(strip.GetLastValue(m), static_cast<double>(c.GetTrace(m).values.back()));
        }
        // A hundred seconds of run: the axes grew to hold them, not pulse by pulse.
        QVERIFY(strip.GetXUpper() * 0.8 >= c.GetLastTime());
        QVERIFY(strip.GetXUpper() <= c.GetLastTime() * 1.5 + 10.0);
        QVERIFY(strip.GetYUpper() >= c.GetMaximum());

        // The run ends: the trace stays; the next run starts from nothing.
        run.OnRunState(false);
        run.OnPulse(Pulse(701), false);
        QCOMPARE(strip.GetPointCount(0), 700);
        run.OnPulse(Pulse(1), true);
        QCOMPARE(strip.GetPointCount(0), 1);
        QCOMPARE(strip.GetPointCount(1), 1);
        QCOMPARE(strip.GetXUpper(), 60.0);
    }

    void aRecordingsSetUpRulesUntilItEnds()
    {
        // The dialogs know one gate; the recording's header holds two.
        CConfigBlockSet dialogs = TwoGates();
        dialogs.gates[1].SetType(41);
        CLiveChromatogramStrip strip;
        CLiveRun run(&strip, [&dialogs] { return dialogs; });
        run.OnPulse(Pulse(1), true);
        QCOMPARE(strip.GetTraceCount(), 1);
        run.OnRecordingStarted(TwoGates());
        QCOMPARE(strip.GetTraceCount(), 2);
        QCOMPARE(strip.GetPointCount(0), 1); // the run so far stays
        run.OnPulse(Pulse(2), true);
        QCOMPARE(strip.GetPointCount(0), 2);
        QCOMPARE(strip.GetPointCount(1), 1);
        // Gates sent while recording do not change what the file's values are.
        run.OnBoardSetUpChanged();
        QCOMPARE(strip.GetTraceCount(), 2);
        run.OnRecordingFinished();
        run.OnBoardSetUpChanged();
        QCOMPARE(strip.GetTraceCount(), 1);
    }

    void followsARunOfTheBoardSimulatorAndMatchesItsRecording()
    {
        CSimOptions options;
        options.port = 5;
        options.portsDir = m_folder.filePath("ports").toStdString();
        options.clockSpeed = 4.0;
        CBoardSimulator sim(options);
        std::string error;
        QVERIFY2(sim.Start(error), error.c_str());
        CQuillonApp::ApplyCommandLine({"h:Live", "-MCP:COM5"});
        CCoreInterface::Initialize();
        CMessageRecorder messages;
        {
            CQuillonDlg window;
            window.Initialize();
            window.resize(1000, 760);
            window.show();
            QTRY_VERIFY_WITH_TIMEOUT(!window.IsReadingStartUpSetUp(), kDeadlineMs);
            CLiveChromatogramStrip* strip = window.LiveStrip();
            QVERIFY(strip->isVisible());
            QVERIFY(strip->geometry().top() >= window.Plot()->geometry().bottom());
            // Too low to be read at the window's smallest: the pulse plot keeps the room.
            window.resize(window.minimumSize());
            QTRY_VERIFY_WITH_TIMEOUT(!strip->isVisible(), kDeadlineMs);
            window.resize(1000, 760);
            QTRY_VERIFY_WITH_TIMEOUT(strip->isVisible(), kDeadlineMs);

            sim.StartRun();
            QTRY_VERIFY_WITH_TIMEOUT(strip->GetPointCount(0) >= 10, kDeadlineMs);
            // The simulator's board has five gates set.
            QCOMPARE(strip->GetTraceCount(), 5);
            QCOMPARE(strip->GetTraceName(0), QString("Mode C"));

            // A recording started during the run keeps the run so far.
            window.OnRecordStart();
            QTRY_VERIFY_WITH_TIMEOUT(window.IsRecording(), kDeadlineMs);
            const int before = static_cast<int>(window.LiveRun().Chromatogram().GetPulseCount());
            QVERIFY(before >= 10);
            QTRY_VERIFY_WITH_TIMEOUT(window.Recording().GetPulsesWritten() >= 40, kDeadlineMs);
            window.OnRecordStop();
            const std::string path = window.Recording().GetFilePath();
            sim.StopRun();
            QTRY_VERIFY_WITH_TIMEOUT(!window.LiveRun().Chromatogram().IsRunning(), kDeadlineMs);
            QCOMPARE(messages.Count(), size_t(0));

            // The file's chromatogram is the strip's, value for value, where they overlap.
            ODVDocData doc;
            std::string message;
            QVERIFY2(doc.Open(path, message), (message + " " + doc.GetLastError()).c_str());
            const OChromatogram& c = doc.GetChromatogram();
            const OLiveChromatogram& live = window.LiveRun().Chromatogram();
            QCOMPARE(live.GetGateCount(), 5);
            const std::vector<float>& times = live.GetTrace(0).times;
            const auto first = std::find(times.begin(), times.end(), c.times.front());
            QVERIFY(first != times.end());
            const size_t offset = static_cast<size_t>(first - times.begin());
            QVERIFY(offset >= 10);
            QVERIFY(offset + c.times.size() <= times.size());
            for (int m = 0; m < 5; ++m)
                for (size_t k = 0; k < c.times.size(); ++k) {
                    QCOMPARE(live.GetTrace(m).times[offset + k], c.times[k]);
                    QCOMPARE(live.GetTrace(m).values[offset + k],
                             c.traces[static_cast<size_t>(m)][k]);
                }

            // The trace stays until the next run, which starts afresh.
            const int shown = strip->GetPointCount(0);
            QVERIFY(shown >= before + 40);
            QTest::qWait(300);
            QCOMPARE(strip->GetPointCount(0), shown);
            sim.StartRun();
            QTRY_VERIFY_WITH_TIMEOUT(strip->GetPointCount(0) > 0 && strip->GetPointCount(0) < 10,
                                     kDeadlineMs);
            QVERIFY(strip->GetLastKey(0) < 5.0);
            sim.StopRun();
        }
        CCoreInterface::Cleanup();
    }

private:
    QTemporaryDir m_folder;
};

QTEST_MAIN(TestLiveChromatogram)
#include "tst_livechromatogram.moc"
