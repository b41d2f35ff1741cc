// The dialogs' instrument backing on the link's queue, against the board
// simulator: the GUI thread never waits for the board, a request that has
// not begun can be dropped, results come back in order on the GUI thread,
// and every failure tells the operator which step failed and why.

#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "FilePaths.h"
#include "Hardware.h"
#include "InstrumentBacking.h"
#include "LinkRequester.h"
#include "MessageService.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"
#include "QuillonGatesModesDialog.h"
#include "QuillonIniConfig.h"

#include <QTemporaryDir>
#include <QtTest>

#include <thread>

namespace {

constexpr int kDeadlineMs = 60000;
const char kCaption[] = "Tarvolin Monitor";

CLinkResult Failed(int step, int steps, const std::string& what, LinkFailure kind,
                   const std::string& why)
{
    CLinkResult result;
    result.nFailedStep = step;
    result.nSteps = steps;
    result.strStep = what;
    result.fault = CExchangeFault(kind, 0, why);
    return result;
}

} // namespace

Q_DECLARE_METATYPE(CLinkResult)
Q_DECLARE_METATYPE(BackingOperation)

class TestInstrumentBacking : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("TARVOLIN_COMMON_DATA", m_folder.filePath("common").toUtf8());
        qputenv("TARVOLIN_PORTS_DIR", m_folder.filePath("ports").toUtf8());
        QVERIFY(CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE));
        CQuillonApp::ApplyCommandLine({"h:Queue", "-MCP:COM9"});
    }

    void init()
    {
        CSimOptions options;
        options.port = 9;
        options.portsDir = m_folder.filePath("ports").toStdString();
        options.baud = 0;
        m_sim = std::make_unique<CBoardSimulator>(options);
        std::string error;
        QVERIFY2(m_sim->Start(error), error.c_str());
        CCoreInterface::Initialize();
    }

    void cleanup()
    {
        CCoreInterface::Cleanup();
        m_sim.reset();
    }

    void messagesNameTheFailedStepAndWhy_data()
    {
        QTest::addColumn<BackingOperation>("operation");
        QTest::addColumn<CLinkResult>("result");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("failedStep");
        QTest::newRow("one exchange") << BackingOperation::ReadGates
                                      << Failed(1, 1, "reading the gates", LinkFailure::Timeout,
                                                "no reply to command 0x11 within 500 ms")
                                      << "No reply to command 0x11 within 500 ms." << 0;
        QTest::newRow("a read of several")
            << BackingOperation::ReadSetUp
            << Failed(2, 3, "reading the board and channel parameters", LinkFailure::BadCrc,
                      "the reply to command 0x13 had a bad CRC")
            << "Reading the board and channel parameters failed: the reply to command 0x13 had a "
               "bad CRC."
            << 0;
        QTest::newRow("a set-up step")
            << BackingOperation::ApplySetUp
            << Failed(3, 4, "sending the timed events", LinkFailure::Timeout,
                      "no reply to command 0x20 within 5000 ms")
            << "Step 3 of 4, sending the timed events, failed: no reply to command 0x20 within "
               "5000 ms."
            << 3;
        QTest::newRow("a set-up stopped")
            << BackingOperation::ApplySetUp
            << Failed(2, 4, "sending the board and channel parameters", LinkFailure::Cancelled,
                      "cancelled before this step")
            << "Stopped before sending the board and channel parameters." << 2;
        QTest::newRow("events written")
            << BackingOperation::WriteTimedEvents
            << Failed(1, 2, "clearing the timed events", LinkFailure::PortAbsent,
                      "command 0x22 was not sent: the port is not open (COM9 not present)")
            << "Clearing the timed events failed: command 0x22 was not sent: the port is not "
               "open (COM9 not present)."
            << 0;
    }

    void messagesNameTheFailedStepAndWhy()
    {
        QFETCH(BackingOperation, operation);
        QFETCH(CLinkResult, result);
        QFETCH(QString, message);
        QFETCH(int, failedStep);
        const CBackingResult backing = CInstrumentBacking::ToBackingResult(operation, result);
        QCOMPARE(backing.nResult, 0);
        QCOMPARE(QString::fromStdString(backing.strMessage), message);
        QCOMPARE(backing.nFailedStep, failedStep);
    }

    void resultsCarryTheRecordsTheBoardHolds()
    {
        CGateParameters gates;
        gates[3].SetStopB(17.5);
        m_sim->SetGates(gates);
        CInstrumentBacking backing;
        CBackingRequest write{BackingOperation::WriteChannelZero, {}};
        write.records.nChannel = 2;
        write.records.channels[1].SetChannelZero(-77);
        std::vector<CBackingResult> results;
        backing.Start(write, [&](const CBackingResult& r) { results.push_back(r); });
        backing.Start({BackingOperation::ReadSetUp, {}},
                      [&](const CBackingResult& r) { results.push_back(r); });
        QCOMPARE(results.size(), size_t(0)); // never inside Start
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), size_t(2), kDeadlineMs);
        QCOMPARE(results[0].nResult, 1);
        QCOMPARE(m_sim->GetState().current.ChannelZero(2), -77);
        QCOMPARE(results[1].nResult, 1);
        QCOMPARE(results[1].records.gates[3].GetStopB(), 17.5);
    }

    void theGuiThreadGoesOnWhileTheBoardWorksAndADroppedRequestIsNeverSent()
    {
        m_sim->SetCommandLatency(CMD_SET_BOARD_CHANNEL_PARAM, 1000.0);
        CInstrumentBacking backing;
        int written = 0, read = 0;
        const int write =
            backing.Start({BackingOperation::WriteBoardAndChannels, {}},
                          [&](const CBackingResult& r) { written = r.nResult ? 1 : -1; });
        const int gates = backing.Start({BackingOperation::ReadGates, {}},
                                        [&](const CBackingResult&) { ++read; });
        QVERIFY(write > 0 && gates > write);
        QVERIFY(m_sim->WaitForRequests(1, std::chrono::milliseconds(kDeadlineMs),
                                       CMD_SET_BOARD_CHANNEL_PARAM));
        // The board is still at work: the event loop runs meanwhile.
        bool ticked = false;
        QTimer::singleShot(1, this, [&] { ticked = true; });
        QTRY_VERIFY_WITH_TIMEOUT(ticked, kDeadlineMs);
        QCOMPARE(written, 0);
        backing.Cancel(gates);
        QTRY_COMPARE_WITH_TIMEOUT(written, 1, kDeadlineMs);
        // Whatever came after the write has been on the wire by now.
        CLinkRequester after;
        bool reset = false;
        after.Submit({LinkOperation::ResetToReady, {}, {}},
                     [&](const CLinkResult&) { reset = true; });
        QTRY_VERIFY_WITH_TIMEOUT(reset, kDeadlineMs);
        QCOMPARE(read, 0);
        QCOMPARE(m_sim->GetRequestCount(CMD_GET_ALL_GATES), uint64_t(0));
        QVERIFY(!backing.IsPending(gates));
    }

    void aBackingGoneBeforeItsResultsIsNeverCalledBack()
    {
        m_sim->SetCommandLatency(CMD_GET_ALL_GATES, 200.0);
        int calls = 0;
        {
            CInstrumentBacking backing;
            backing.Start({BackingOperation::ReadGates, {}},
                          [&](const CBackingResult&) { ++calls; });
            QVERIFY(m_sim->WaitForRequests(1, std::chrono::milliseconds(kDeadlineMs),
                                           CMD_GET_ALL_GATES));
        }
        CLinkRequester after;
        bool done = false;
        after.Submit({LinkOperation::ReadGates, {}, {}}, [&](const CLinkResult&) { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, kDeadlineMs);
        QCoreApplication::processEvents();
        QCOMPARE(calls, 0);
    }

    void theDialogsSayWhatTheyDoAndWhyTheBoardFailed()
    {
        CQuillonDlg window;
        window.Initialize();
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(!window.IsReadingStartUpSetUp(), kDeadlineMs);

        m_sim->SetCommandLatency(CMD_GET_ALL_GATES, 300.0);
        window.OnButtonClicked(1013); // Gate Params
        CQuillonGatesModesDialog* gates = window.GateDialog();
        QCOMPARE(gates->GetNote(), QString("Reading the gates from the board..."));
        QTRY_VERIFY_WITH_TIMEOUT(!gates->IsBusy(), kDeadlineMs);
        QCOMPARE(gates->GetNote(), QString());
        QCOMPARE(gates->RowTexts().size(), 5);
        gates->reject();

        // A board that stops answering: the note says which command went unanswered.
        CSimFaultRule silence;
        silence.kind = SimFault::Silence;
        silence.command = CMD_GET_ALL_GATES;
        m_sim->AddFault(silence);
        window.OnButtonClicked(1013);
        QTRY_VERIFY_WITH_TIMEOUT(!gates->IsBusy(), kDeadlineMs);
        QVERIFY2(gates->GetNote().contains("No reply to command 0x11 within 500 ms"),
                 qPrintable(gates->GetNote()));
        gates->reject();
        m_sim->ClearFaults();

        // Reset to Ready: the answer is reported when the board has given it.
        CMessageRecorder messages;
        CSimFaultRule refuse;
        refuse.kind = SimFault::BadCrc;
        refuse.command = CMD_RESET_TO_READY;
        m_sim->AddFault(refuse);
        window.ResetToReady();
        QCOMPARE(messages.Count(), size_t(0));
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        QCOMPARE(QString::fromStdString(messages.Messages()[0].text),
                 QString("Failed to send command Reset to Ready\nThe reply to command 0x30 had a "
                         "bad CRC."));
        QCOMPARE(messages.Messages()[0].icon, MessageIcon::Error);
        m_sim->ClearFaults();
        window.ResetToReady();
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(2), kDeadlineMs);
        QCOMPARE(QString::fromStdString(messages.Messages()[1].text),
                 QString("Reset to Ready command sent successfully"));
        QCOMPARE(QString::fromStdString(messages.Messages()[1].caption), QString(kCaption));
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<CBoardSimulator> m_sim;
};

QTEST_MAIN(TestInstrumentBacking)
#include "tst_instrumentbacking.moc"
