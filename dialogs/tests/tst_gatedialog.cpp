// The gate dialog on a scripted backing: showing it reads the gates, the
// list and fields follow the selection, Change stores the fields (and
// refuses windows outside the pulse), OK sends, and failures keep it open.

#include "ConfigFile.h"
#include "DialogTestSupport.h"
#include "QuillonGatesModesDialog.h"
#include "ScriptedBacking.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace dialogtest;

namespace {

enum {
    kList = 1085,
    kMode = 1029,
    kStartA = 1032,
    kStopA = 1025,
    kOperator = 1030,
    kAlpha = 1031,
    kStartB = 1026,
    kStopB = 1027,
    kSqrt = 1028,
    kChange = 1087,
    kOk = 1,
    kCancel = 2,
    kExportAia = 1088
};

CGateParameters BoardGates()
{
    CGateParameters gates;
    const unsigned short modes[] = {GM_S, GM_P, GM_S, GM_N, GM_C};
    for (int i = 0; i < 5; ++i) {
        gates[i].SetType(modes[i]);
        gates[i].SetStartA(1.0 + i);
        gates[i].SetStopA(2.0 + i);
        gates[i].SetOperator(GO_MINUS);
        gates[i].SetAlpha(0.5);
        gates[i].SetStartB(10.0);
        gates[i].SetStopB(12.0);
    }
    gates.Sort();
    return gates;
}

} // namespace

class TestGateDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(LoadResources()); }

    void init()
    {
        m_backing = std::make_unique<CScriptedBacking>();
        CBackingRecords records;
        records.gates = BoardGates();
        m_backing->SetRecords(records);
        CDialogOptions options;
        options.pFallback = &m_config;
        m_dialog = std::make_unique<CQuillonGatesModesDialog>(m_backing.get(), options);
        m_dialog->show();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_backing.reset();
    }

    void showingReadsTheGatesAndSelectsTheFirstRow()
    {
        m_dialog->Refresh();
        QVERIFY(m_dialog->IsBusy());
        QCOMPARE(m_dialog->GetNote(), QString("Reading the gates from the board..."));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(m_dialog->GetNote(), QString());
        QCOMPARE(m_dialog->RowTexts().size(), 5);
        QCOMPARE(m_dialog->RowTexts().at(2),
                 QString(" S-2\t   3.0\t   4.0\t  -\t0.500\t10.0\t12.0\tOFF"));
        QCOMPARE(m_dialog->GetSelectedRow(), 0);
        QCOMPARE(Text(*m_dialog, kStartA), QString("1.0"));
        QCOMPARE(Text(*m_dialog, kAlpha), QString("0.500"));
        QCOMPARE(Combo(*m_dialog, kMode)->count(), 23);
        QCOMPARE(Combo(*m_dialog, kOperator)->count(), 5);
        QCOMPARE(m_dialog->GetFormulaText(), QString("A - 0.500B"));

        // Selecting a row shows its gate; a later fill selects the last row.
        m_dialog->SelectRow(3);
        QCOMPARE(Text(*m_dialog, kStartA), QString("4.0"));
        QCOMPARE(Combo(*m_dialog, kMode)->currentText(), QString("N"));
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(m_dialog->GetSelectedRow(), 4);
    }

    void fillsWhileHiddenLeaveTheFirstShownFillAtRowZero()
    {
        CQuillonGatesModesDialog hidden(m_backing.get(), CDialogOptions());
        hidden.SetGateParameters(BoardGates()); // the start-up read
        hidden.SetGateParameters(BoardGates());
        hidden.show();
        hidden.Refresh();
        QVERIFY(WaitIdle(hidden));
        QCOMPARE(hidden.GetSelectedRow(), 0);
        hidden.Refresh();
        QVERIFY(WaitIdle(hidden));
        QCOMPARE(hidden.GetSelectedRow(), 4);
    }

    void formulaFollowsOperatorAndAlpha()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        Combo(*m_dialog, kOperator)->setCurrentIndex(GO_DIVIDE);
        SetText(*m_dialog, kAlpha, "1.23456789012345");
        QCOMPARE(m_dialog->GetFormulaText(), QString("A / 1.2345678901B"));
    }

    void changeStoresTheFieldsIntoTheSelectedGate()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        m_dialog->SelectRow(1);
        Combo(*m_dialog, kMode)->setCurrentIndex(GM_S); // a third S: numbered after the others
        SetText(*m_dialog, kStartA, "2.5");
        SetText(*m_dialog, kStopA, "7.25abc"); // the number the text starts with
        SetText(*m_dialog, kAlpha, "not a number");
        SetText(*m_dialog, kStartB, "24.9");
        SetText(*m_dialog, kStopB, "24.9");
        Combo(*m_dialog, kOperator)->setCurrentIndex(GO_PLUS);
        CResourceLibrary::Control<QCheckBox>(m_dialog->Form(), kSqrt)->setChecked(true);
        QVERIFY(Click(*m_dialog, kChange));

        const CGateParameter& g = m_dialog->GetGateParameters()[1];
        QCOMPARE(g.GetType(), (unsigned short)GM_S);
        QCOMPARE(g.GetModeText(), std::string("S-2"));
        QCOMPARE(m_dialog->GetGateParameters()[2].GetModeText(), std::string("S-3"));
        QCOMPARE(g.GetStartA(), 2.5);
        QCOMPARE(g.GetStopA(), 7.25);
        QCOMPARE(g.GetAlpha(), 0.0);
        QCOMPARE(g.GetOperator(), (unsigned short)GO_PLUS);
        QCOMPARE(g.GetSqroot(), (unsigned short)1);
        QCOMPARE(m_dialog->GetSelectedRow(), 1);
        QCOMPARE(m_dialog->RowTexts().at(1),
                 QString(" S-2\t   2.5\t   7.2\t  +\t0.000\t24.9\t24.9\tON"));
        // Nothing reaches the backing before OK.
        QCOMPARE(m_backing->CountOf(BackingOperation::WriteGates), 0);
    }

    void changeRefusesWindowsOutsideThePulse_data()
    {
        QTest::addColumn<QString>("startA");
        QTest::addColumn<QString>("stopA");
        QTest::addColumn<QString>("startB");
        QTest::addColumn<QString>("stopB");
        QTest::newRow("start A below zero") << "-1"
                                            << "2"
                                            << "3"
                                            << "4";
        QTest::newRow("stop A past the pulse") << "1"
                                               << "25"
                                               << "3"
                                               << "4";
        QTest::newRow("stop A before start") << "5"
                                             << "4"
                                             << "3"
                                             << "4";
        QTest::newRow("stop B past the pulse") << "1"
                                               << "2"
                                               << "3"
                                               << "30";
        QTest::newRow("stop B before start") << "1"
                                             << "2"
                                             << "9"
                                             << "8";
    }

    void changeRefusesWindowsOutsideThePulse()
    {
        QFETCH(QString, startA);
        QFETCH(QString, stopA);
        QFETCH(QString, startB);
        QFETCH(QString, stopB);
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        const CGateParameters before = m_dialog->GetGateParameters();
        SetText(*m_dialog, kStartA, startA);
        SetText(*m_dialog, kStopA, stopA);
        SetText(*m_dialog, kStartB, startB);
        SetText(*m_dialog, kStopB, stopB);
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kChange));
        QCOMPARE(messages.Count(), size_t(1));
        QVERIFY(MessageTexts(messages).at(0).startsWith("Window "));
        QVERIFY(m_dialog->GetGateParameters() == before);
    }

    void changeWithoutARowAsksForOne()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        CResourceLibrary::Control<QListWidget>(m_dialog->Form(), kList)->clearSelection();
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kChange));
        QCOMPARE(MessageTexts(messages), QStringList{"Please Select any row before Change."});
    }

    void gatesWithoutModeTextAreNotListedAndRowsStillNameTheirGates()
    {
        CBackingRecords records;
        records.gates = BoardGates();
        records.gates[1].SetType(30); // no text: not listed
        m_backing->SetRecords(records);
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(m_dialog->RowTexts().size(), 4);
        m_dialog->SelectRow(1); // gate 2
        SetText(*m_dialog, kStartA, "0.5");
        QVERIFY(Click(*m_dialog, kChange));
        QCOMPARE(m_dialog->GetGateParameters()[2].GetStartA(), 0.5);
        QCOMPARE(m_dialog->GetGateParameters()[1].GetStartA(), 2.0);
    }

    void okSendsTheGatesAndAnnouncesThem()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        SetText(*m_dialog, kStopB, "20");
        QVERIFY(Click(*m_dialog, kChange));
        QSignalSpy sent(m_dialog.get(), &CQuillonGatesModesDialog::gatesSent);
        QVERIFY(Click(*m_dialog, kOk));
        QVERIFY(m_dialog->isVisible());
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(sent.count(), 1);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_backing->CountOf(BackingOperation::WriteGates), 1);
        QCOMPARE(m_backing->GetRecords().gates[0].GetStopB(), 20.0);
    }

    void aFailedSendIsReportedAndTheDialogStaysWithItsEdits()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        SetText(*m_dialog, kStartA, "0.7");
        QVERIFY(Click(*m_dialog, kChange));
        m_backing->SetScript(BackingOperation::WriteGates, {true, "No answer.", 0, false, 0});
        CMessageRecorder messages;
        QSignalSpy sent(m_dialog.get(), &CQuillonGatesModesDialog::gatesSent);
        QVERIFY(Click(*m_dialog, kOk));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(MessageTexts(messages),
                 QStringList{"Could not send the gates to the board.\nNo answer."});
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(sent.count(), 0);
        QCOMPARE(m_dialog->GetGateParameters()[0].GetStartA(), 0.7);
        QCOMPARE(Text(*m_dialog, kStartA), QString("0.7"));
        QCOMPARE(m_dialog->GetNoteKind(), CParameterDialog::NoteKind::Failure);
    }

    void anUnreadableBoardShowsTheConfigurationFilesGates()
    {
        CGateParameters fileGates;
        fileGates[0].SetType(GM_W);
        fileGates[0].SetStartA(9.5);
        m_config.SetGateParameters(fileGates);
        m_backing->SetScript(BackingOperation::ReadGates, {true, "Silent.", 0, false, 0});
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        QVERIFY(m_dialog->IsShowingFallback());
        QCOMPARE(m_dialog->GetNoteKind(), CParameterDialog::NoteKind::Fallback);
        QVERIFY(m_dialog->GetNote().contains("not the board's"));
        QVERIFY(m_dialog->RowTexts().at(0).startsWith("   W\t   9.5"));
        QCOMPARE(m_backing->CountOf(BackingOperation::WriteGates), 0);
    }

    void whileWaitingOnlyCancelWorksAndCancelStopsWaiting()
    {
        m_backing->SetScript(BackingOperation::ReadGates, {false, "", 0, true, 0});
        m_dialog->Refresh();
        QVERIFY(m_dialog->IsBusy());
        QVERIFY(!IsEnabled(*m_dialog, kOk));
        QVERIFY(!IsEnabled(*m_dialog, kChange));
        QVERIFY(!IsEnabled(*m_dialog, kStartA));
        QVERIFY(IsEnabled(*m_dialog, kCancel));
        QVERIFY(Click(*m_dialog, kCancel));
        QVERIFY(!m_dialog->IsBusy());
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_backing->GetPendingCount(), 0);
        // The answer that comes afterwards changes nothing.
        m_backing->ReleaseHeld();
        QTest::qWait(0);
        QCoreApplication::processEvents();
        QCOMPARE(m_dialog->RowTexts().size(), 0);
        m_dialog->show();
        QVERIFY(IsEnabled(*m_dialog, kOk));
    }

    void theAnalyzersCopyHasAnExportButton()
    {
        CDialogOptions options;
        options.variant = DialogVariant::Analyzer;
        CQuillonGatesModesDialog analyzer(m_backing.get(), options);
        QVERIFY(!CResourceLibrary::Control<QWidget>(analyzer.Form(), kExportAia)->isHidden());
        QVERIFY(IsEnabled(analyzer, kExportAia));
        QVERIFY(CResourceLibrary::Control<QWidget>(m_dialog->Form(), kExportAia)->isHidden());
        QSignalSpy requested(&analyzer, &CQuillonGatesModesDialog::exportAiaRequested);
        CResourceLibrary::Control<QPushButton>(analyzer.Form(), kExportAia)->click();
        QCOMPARE(requested.size(), 1);
    }

    void theExportTakesTheSelectedGateAndWhatTheControlsShow()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        m_dialog->SelectRow(3);
        // Edited but not changed: the export takes the controls' texts as they stand.
        SetText(*m_dialog, kStartA, "4.5");
        Combo(*m_dialog, kOperator)->setCurrentIndex(GO_PLUS);
        CResourceLibrary::Control<QCheckBox>(m_dialog->Form(), kSqrt)->setChecked(true);
        const CQuillonGatesModesDialog::CExportTexts texts = m_dialog->GetExportTexts();
        QCOMPARE(texts.gate, 3);
        QCOMPARE(texts.mode, std::string("N"));
        QCOMPARE(texts.startA, std::string("4.5"));
        QCOMPARE(texts.stopA, std::string("5.0"));
        QCOMPARE(texts.op, std::string("+"));
        QCOMPARE(texts.alpha, std::string("0.500"));
        QCOMPARE(texts.startB, std::string("10.0"));
        QCOMPARE(texts.stopB, std::string("12.0"));
        QVERIFY(texts.squareRoot);

        CResourceLibrary::Control<QListWidget>(m_dialog->Form(), kList)->clearSelection();
        QCOMPARE(m_dialog->GetSelectedGate(), -1);
        QCOMPARE(m_dialog->GetExportTexts().gate, -1);
    }

private:
    CConfigFile m_config;
    std::unique_ptr<CScriptedBacking> m_backing;
    std::unique_ptr<CQuillonGatesModesDialog> m_dialog;
};

QTEST_MAIN(TestGateDialog)
#include "tst_gatedialog.moc"
