// The board/channel dialog on a scripted backing: the records shown, the
// range checks, Apply and OK, Zero and Set, the fallback that is shown but
// not sent, and the Analyzer's copy.

#include "ConfigFile.h"
#include "DialogTestSupport.h"
#include "QuillonBoardChanDialog.h"
#include "ScriptedBacking.h"

using namespace dialogtest;

namespace {

enum {
    kPmt = 1001,
    kIgnitor = 1003,
    kTrigger = 1006,
    kMode1 = 1009,
    kInterp1 = 1010,
    kMult1 = 1011,
    kOut1 = 1013,
    kZero1 = 1012,
    kSet1 = 1015,
    kMode2 = 1016,
    kInterp2 = 1017,
    kMult2 = 1018,
    kOut2 = 1021,
    kZero2 = 1019,
    kSet2 = 1020,
    kApply = 1023,
    kOk = 1026
};

CBackingRecords BoardRecords()
{
    CBackingRecords r;
    const unsigned short modes[] = {GM_S, GM_P, GM_C, GM_N, GM_UD};
    for (int i = 0; i < 5; ++i)
        r.gates[i].SetType(modes[i]);
    r.board.SetIgnitor(2500);
    r.board.SetpmtVolts(650);
    r.board.SetTriggerLevel(42);
    r.board.SetAdcTriggerLevel(120000);
    r.channels[0].SetGateIndex(1);
    r.channels[0].SetInterpolation(1);
    r.channels[0].SetScalarChannel(64);
    r.channels[0].SetChannelZero(-15);
    r.channels[0].SetZeroChannel(7);
    r.channels[1].SetGateIndex(4);
    r.channels[1].SetInterpolation(0);
    r.channels[1].SetScalarChannel(3); // not in the list
    r.channels[1].SetChannelZero(300);
    return r;
}

} // namespace

class TestBoardChanDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(LoadResources()); }

    void init()
    {
        m_backing = std::make_unique<CScriptedBacking>();
        m_backing->SetRecords(BoardRecords());
        m_config = CConfigFile();
        CDialogOptions options;
        options.pFallback = &m_config;
        m_dialog = std::make_unique<CQuillonBoardChanDialog>(m_backing.get(), options);
        m_dialog->show();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_backing.reset();
    }

    void showsWhatTheBoardHolds()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(Text(*m_dialog, kIgnitor), QString("2.5"));
        QCOMPARE(Text(*m_dialog, kPmt), QString("650"));
        QCOMPARE(Text(*m_dialog, kTrigger), QString("120000"));
        QCOMPARE(Combo(*m_dialog, kMode1)->count(), 5);
        QCOMPARE(Combo(*m_dialog, kMode1)->currentText(), QString("P"));
        QCOMPARE(Combo(*m_dialog, kMode2)->currentText(), QString("UD"));
        QCOMPARE(Combo(*m_dialog, kInterp1)->currentText(), QString("Spline"));
        QCOMPARE(Combo(*m_dialog, kInterp2)->currentText(), QString("Linear"));
        QCOMPARE(Combo(*m_dialog, kMult1)->count(), 13);
        QCOMPARE(Combo(*m_dialog, kMult1)->currentText(), QString("64"));
        QCOMPARE(Combo(*m_dialog, kMult2)->currentIndex(), -1); // 3 is no multiplier of the list
        QCOMPARE(Text(*m_dialog, kOut1), QString("-15"));
        QCOMPARE(Text(*m_dialog, kOut2), QString("300"));
        QVERIFY(m_dialog->GetBoardParameters() == BoardRecords().board);
    }

    void applySendsTheFieldsAndKeepsTheTriggerLevel()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        SetText(*m_dialog, kIgnitor, "2.5");
        SetText(*m_dialog, kPmt, "1000");
        SetText(*m_dialog, kTrigger, "8000000");
        Combo(*m_dialog, kMode1)->setCurrentIndex(3);
        Combo(*m_dialog, kInterp2)->setCurrentIndex(1);
        SetText(*m_dialog, kOut2, "-7");
        QSignalSpy applied(m_dialog.get(), &CQuillonBoardChanDialog::applied);
        QVERIFY(Click(*m_dialog, kApply));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(applied.count(), 1);
        QVERIFY(m_dialog->isVisible());

        const CBackingRecords& sent = m_backing->Log().back().records;
        QCOMPARE(m_backing->Log().back().operation, BackingOperation::WriteBoardAndChannels);
        QCOMPARE(sent.board.GetIgnitor(), (unsigned short)2500);
        QCOMPARE(sent.board.GetPmtVolts(), (unsigned short)1000);
        QCOMPARE(sent.board.GetAdcTriggerLevel(), 8000000u);
        QCOMPARE(sent.board.GetTriggerLevel(), (unsigned short)42);
        QCOMPARE(sent.channels[0].GetGateIndex(), 3);
        QCOMPARE(sent.channels[0].GetZeroChannel(), 7); // kept, never edited
        QCOMPARE(sent.channels[1].GetInterpolation(), 1);
        QCOMPARE(sent.channels[1].GetChannelZero(), -7);
        QCOMPARE(sent.channels[1].GetScalarChannel(), 0); // nothing chosen
        QVERIFY(m_dialog->GetBoardParameters() == sent.board);

        QVERIFY(Click(*m_dialog, kOk));
        QVERIFY(WaitIdle(*m_dialog));
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(applied.count(), 2);
    }

    void fieldsOutOfRangeAreRefusedWithTheFrameworksMessage_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("PMT over 1000") << int(kPmt) << "1001"
                                       << "Please enter an integer between 0 and 1000.";
        QTest::newRow("PMT not a number") << int(kPmt) << "high"
                                          << "Please enter a positive integer.";
        QTest::newRow("ignitor beyond the record") << int(kIgnitor) << "65.536"
                                                   << "Please enter a number between 0 and 65.535.";
        QTest::newRow("ignitor of the old field's top")
            << int(kIgnitor) << "3100"
            << "Please enter a number between 0 and 65.535.";
        QTest::newRow("trigger over 8000000") << int(kTrigger) << "8000001"
                                              << "Please enter an integer between 0 and 8000000.";
        QTest::newRow("output not an integer") << int(kOut1) << "1.5"
                                               << "Please enter an integer.";
    }

    void fieldsOutOfRangeAreRefusedWithTheFrameworksMessage()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        SetText(*m_dialog, field, text);
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kOk));
        QCOMPARE(MessageTexts(messages), QStringList{message});
        QVERIFY(!m_dialog->IsBusy());
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_backing->CountOf(BackingOperation::WriteBoardAndChannels), 0);
    }

    void aFailedApplyIsReportedAndKeepsTheEdits()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        m_backing->SetScript(BackingOperation::WriteBoardAndChannels,
                             {true, "Timed out.", 0, false, 0});
        SetText(*m_dialog, kPmt, "900");
        CMessageRecorder messages;
        QSignalSpy applied(m_dialog.get(), &CQuillonBoardChanDialog::applied);
        QVERIFY(Click(*m_dialog, kOk));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(MessageTexts(messages),
                 QStringList{
                     "Could not send the board and channel parameters to the board.\nTimed out."});
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(applied.count(), 0);
        QCOMPARE(Text(*m_dialog, kPmt), QString("900"));
        QCOMPARE(m_dialog->GetBoardParameters().GetPmtVolts(), (unsigned short)650);
    }

    void anUnreadableBoardShowsTheFileWithANoteAndSendsNothing()
    {
        CBackingRecords file = BoardRecords();
        file.board.SetpmtVolts(111);
        file.board.SetTriggerLevel(9);
        m_config.SetBoardParameters(file.board);
        m_config.SetChannelParameters(file.channels);
        m_config.SetGateParameters(file.gates);
        m_backing->SetScript(BackingOperation::ReadBoardAndChannels,
                             {true, "No answer.", 0, false, 0});
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(Text(*m_dialog, kPmt), QString("111"));
        QVERIFY(m_dialog->IsShowingFallback());
        QCOMPARE(m_dialog->GetNoteKind(), CParameterDialog::NoteKind::Fallback);
        QVERIFY(m_dialog->GetNote().contains("not the board's"));
        QVERIFY(m_dialog->GetNote().contains("No answer."));
        // Opening the dialog sent nothing; the working copies are untouched.
        QCOMPARE(m_backing->CountOf(BackingOperation::WriteBoardAndChannels), 0);
        QCOMPARE(m_dialog->GetBoardParameters().GetPmtVolts(), (unsigned short)0);

        // Applying sends them, with the file's trigger level.
        QVERIFY(Click(*m_dialog, kApply));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(m_backing->CountOf(BackingOperation::WriteBoardAndChannels), 1);
        QCOMPARE(m_backing->GetRecords().board.GetPmtVolts(), (unsigned short)111);
        QCOMPARE(m_backing->GetRecords().board.GetTriggerLevel(), (unsigned short)9);
        QVERIFY(!m_dialog->IsShowingFallback());
        QCOMPARE(m_dialog->GetNote(), QString());
    }

    void zeroReadsAndSetSendsOneChannel()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        CBackingRecords board = m_backing->GetRecords();
        board.channels[1].SetChannelZero(4444);
        m_backing->SetRecords(board);
        QVERIFY(Click(*m_dialog, kZero2));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(Text(*m_dialog, kOut2), QString("4444"));
        QCOMPARE(Text(*m_dialog, kOut1), QString("-15"));
        QCOMPARE(m_backing->Log().back().records.nChannel, 2);

        SetText(*m_dialog, kOut1, "55");
        QVERIFY(Click(*m_dialog, kSet1));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(m_backing->Log().back().operation, BackingOperation::WriteChannelZero);
        QCOMPARE(m_backing->Log().back().records.nChannel, 1);
        QCOMPARE(m_backing->GetRecords().channels[0].GetChannelZero(), 55);
        QCOMPARE(m_dialog->GetChannelParameters()[0].GetChannelZero(), 55);
    }

    void gatesNameTheModesAgainAfterTheyChanged()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        CBackingRecords board = m_backing->GetRecords();
        board.gates[1].SetType(GM_Si);
        m_backing->SetRecords(board);
        m_dialog->RefreshGates();
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(Combo(*m_dialog, kMode1)->itemText(1), QString("Si"));
        QCOMPARE(Combo(*m_dialog, kMode1)->currentIndex(), 1);
    }

    void theAnalyzersZeroAndSetDoNothing()
    {
        CDialogOptions options;
        options.variant = DialogVariant::Analyzer;
        CQuillonBoardChanDialog analyzer(m_backing.get(), options);
        for (int id : {kZero1, kSet1, kZero2, kSet2})
            QVERIFY(!IsEnabled(analyzer, id));
        analyzer.Zero(1);
        analyzer.SetZero(2);
        QCOMPARE(m_backing->Log().size(), size_t(0));
    }

private:
    CConfigFile m_config;
    std::unique_ptr<CScriptedBacking> m_backing;
    std::unique_ptr<CQuillonBoardChanDialog> m_dialog;
};

QTEST_MAIN(TestBoardChanDialog)
#include "tst_boardchandialog.moc"
