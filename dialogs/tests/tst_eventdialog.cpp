// The timed-events dialog on a scripted backing: the list, the value
// controls each event code uses, Add, Change and Delete with their checks
// and limits, the recording rules of OK, sending and its failure.

#include "ConfigFile.h"
#include "DialogTestSupport.h"
#include "QuillonSetEventDialog.h"
#include "ScriptedBacking.h"

#include <QLabel>
#include <QListWidget>

using namespace dialogtest;

namespace {

enum {
    kList = 1023,
    kTime = 1024,
    kCode = 1028,
    kChannel = 1027,
    kValueList = 1071,
    kValueEdit = 1072,
    kUnit = 1073,
    kNa = 1005,
    kAdd = 4,
    kChange = 5,
    kDelete = 6,
    kOk = 1
};

CTimedEventData Event(double minutes, int code, unsigned char channel, double value)
{
    CTimedEventData e;
    e.SetEventTime(minutes);
    e.SetEventCode(static_cast<EventCode>(code));
    e.SetEventChannel(channel);
    e.SetEventValue(value);
    return e;
}

CBackingRecords Program(int count)
{
    CBackingRecords r;
    for (int i = 0; i < 5; ++i)
        r.gates[i].SetType(static_cast<unsigned short>(GM_P + i));
    for (int i = 0; i < count; ++i)
        r.events.AddTimedEvent(Event(i + 1.0, EC_NA, 0, 0));
    return r;
}

bool Shown(CQuillonSetEventDialog& dialog, int id)
{
    auto* widget = CResourceLibrary::Control<QWidget>(dialog.Form(), id);
    return widget && !widget->isHidden();
}

} // namespace

class TestEventDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(LoadResources()); }

    void init()
    {
        m_backing = std::make_unique<CScriptedBacking>();
        CBackingRecords records = Program(0);
        records.events.AddTimedEvent(Event(0.5, EC_GATE_SELECTION, 0, 2));
        records.events.AddTimedEvent(Event(1.0, EC_RECORD, 0, 1));
        records.events.AddTimedEvent(Event(9.0, EC_RECORD, 0, 0));
        m_backing->SetRecords(records);
        m_config = CConfigFile();
        CDialogOptions options;
        options.pFallback = &m_config;
        m_dialog = std::make_unique<CQuillonSetEventDialog>(m_backing.get(), options);
        m_dialog->show();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_backing.reset();
    }

    void showingReadsTheProgram()
    {
        m_dialog->Refresh();
        QCOMPARE(m_dialog->GetNote(), QString("Reading the gates from the board..."));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(
            m_dialog->RowTexts(),
            (QStringList{"         0.50\tGate Selection      \t           1\t              C",
                         "         1.00\tRecord              \t           1\t             ON",
                         "         9.00\tRecord              \t           1\t            OFF"}));
        QCOMPARE(m_dialog->GetAppliedEvents().GetCount(), 3);
        QCOMPARE(Combo(*m_dialog, kChannel)->count(), 2);
        // The value controls are those of the last event's code.
        QCOMPARE(Combo(*m_dialog, kCode)->currentText(), QString("Record"));
        QVERIFY(Shown(*m_dialog, kValueList));
    }

    void eachCodeShowsItsValueControl_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("channelEnabled");
        QTest::addColumn<int>("choices");
        QTest::newRow("Gate Selection") << 1 << int(kValueList) << false << 5;
        QTest::newRow("Record") << 2 << int(kValueList) << false << 2;
        QTest::newRow("Ignitor Current") << 3 << int(kValueEdit) << false << 0;
        QTest::newRow("n/a") << 4 << int(kNa) << true << 0;
        QTest::newRow("AutoZero") << 5 << int(kValueList) << true << 2;
        QTest::newRow("Reset to Ready") << 6 << int(kNa) << true << 0;
        QTest::newRow("Scalar") << 7 << int(kValueList) << true << 13;
    }

    void eachCodeShowsItsValueControl()
    {
        QFETCH(int, code);
        QFETCH(int, shown);
        QFETCH(bool, channelEnabled);
        QFETCH(int, choices);
        QComboBox* combo = Combo(*m_dialog, kCode);
        combo->setCurrentIndex(code - 1);
        emit combo->activated(code - 1);
        for (int id : {int(kValueList), int(kValueEdit), int(kNa)})
            QCOMPARE(Shown(*m_dialog, id), id == shown);
        QCOMPARE(Shown(*m_dialog, kUnit), shown == kValueEdit);
        QCOMPARE(IsEnabled(*m_dialog, kChannel), channelEnabled);
        if (choices > 0)
            QCOMPARE(Combo(*m_dialog, kValueList)->count(), choices);
        if (shown == kNa)
            QVERIFY(!IsEnabled(*m_dialog, kNa));
    }

    void addPlacesByTimeAndStoresTheChannelPerCode()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        QComboBox* code = Combo(*m_dialog, kCode);
        code->setCurrentIndex(EC_SCALAR - 1);
        emit code->activated(EC_SCALAR - 1);
        Combo(*m_dialog, kValueList)->setCurrentIndex(12);
        Combo(*m_dialog, kChannel)->setCurrentIndex(1);
        SetText(*m_dialog, kTime, "0.75");
        QVERIFY(Click(*m_dialog, kAdd));
        QCOMPARE(m_dialog->GetSelectedRow(), 1);
        const CTimedEventData& scalar = m_dialog->GetEditEvents()[1];
        QCOMPARE(scalar.GetEventCode(), EC_SCALAR);
        QCOMPARE(scalar.GetEventValue(), 4096.0);
        QCOMPARE(scalar.GetEventChannel(), (unsigned char)1);

        // AutoZero keeps channel 0 whatever the list says.
        code->setCurrentIndex(EC_AUTOZERO - 1);
        emit code->activated(EC_AUTOZERO - 1);
        Combo(*m_dialog, kChannel)->setCurrentIndex(1);
        SetText(*m_dialog, kTime, "20");
        QVERIFY(Click(*m_dialog, kAdd));
        QCOMPARE(m_dialog->GetEditEvents()[4].GetEventChannel(), (unsigned char)0);
        // The applied list is the board's until OK.
        QCOMPARE(m_dialog->GetAppliedEvents().GetCount(), 3);
    }

    void anIgnitorCurrentOfTwoAndAHalfIsStoredAsTyped()
    {
        QComboBox* code = Combo(*m_dialog, kCode);
        code->setCurrentIndex(EC_IGNITOR_CURRENT - 1);
        emit code->activated(EC_IGNITOR_CURRENT - 1);
        SetText(*m_dialog, kValueEdit, "2.5");
        SetText(*m_dialog, kTime, "3");
        QVERIFY(Click(*m_dialog, kAdd));
        QCOMPARE(m_dialog->GetEditEvents()[0].GetEventValue(), 2.5);
        QVERIFY(m_dialog->RowTexts().at(0).endsWith("          2.500"));
    }

    void valuesAreCheckedBeforeAdd_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("ignitor over 3") << int(EC_IGNITOR_CURRENT) << "3.5"
                                        << "Enter a number between 0 and 3";
        QTest::newRow("ignitor not a number") << int(EC_IGNITOR_CURRENT) << "lots"
                                              << "Please enter a number.";
    }

    void valuesAreCheckedBeforeAdd()
    {
        QFETCH(int, code);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QComboBox* combo = Combo(*m_dialog, kCode);
        combo->setCurrentIndex(code - 1);
        emit combo->activated(code - 1);
        SetText(*m_dialog, kValueEdit, value);
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kAdd));
        QCOMPARE(MessageTexts(messages), QStringList{message});
        QCOMPARE(m_dialog->GetEditEvents().GetCount(), 0);
    }

    void aGateSelectionOfSixIsRefusedOnChange()
    {
        CBackingRecords records = Program(0);
        records.events.AddTimedEvent(Event(1.0, EC_GATE_SELECTION, 0, 6)); // as a board may hold it
        m_backing->SetRecords(records);
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        m_dialog->SelectRow(0);
        QCOMPARE(Combo(*m_dialog, kValueList)->currentIndex(), -1);
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kChange));
        QCOMPARE(MessageTexts(messages), QStringList{"Enter a number between 1 and 5"});
    }

    void theThirteenthAddIsIgnored()
    {
        m_backing->SetRecords(Program(11));
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        SetText(*m_dialog, kTime, "30");
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kAdd));
        QCOMPARE(m_dialog->GetEditEvents().GetCount(), 12);
        QVERIFY(Click(*m_dialog, kAdd));
        QCOMPARE(m_dialog->GetEditEvents().GetCount(), 12);
        QCOMPARE(m_dialog->RowTexts().size(), 12);
        QCOMPARE(messages.Count(), size_t(0));
    }

    void aProgramOfThirteenShowsAnEmptyList()
    {
        m_backing->SetRecords(Program(13));
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(m_dialog->RowTexts().size(), 0);
        QCOMPARE(m_dialog->GetEditEvents().GetCount(), 13);
    }

    void changeMovesTheEventToItsTimeAndDeleteSelectsThePreviousRow()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        m_dialog->SelectRow(0);
        SetText(*m_dialog, kTime, "5");
        QVERIFY(Click(*m_dialog, kChange));
        QCOMPARE(m_dialog->GetSelectedRow(), 1);
        QCOMPARE(m_dialog->GetEditEvents()[1].GetEventTime(), 5.0);

        QVERIFY(Click(*m_dialog, kDelete));
        QCOMPARE(m_dialog->GetEditEvents().GetCount(), 2);
        QCOMPARE(m_dialog->GetSelectedRow(), 0);
        QVERIFY(Click(*m_dialog, kDelete));
        QCOMPARE(m_dialog->GetSelectedRow(), 0);

        CResourceLibrary::Control<QListWidget>(m_dialog->Form(), kList)->clearSelection();
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kDelete));
        QVERIFY(Click(*m_dialog, kChange));
        QCOMPARE(MessageTexts(messages), (QStringList{"Please Select a row before delete.",
                                                      "Please Select a row before Change."}));
    }

    void okChecksTheRecordingRulesThenSends()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        m_dialog->SelectRow(2); // the stop
        QVERIFY(Click(*m_dialog, kDelete));
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kOk));
        QCOMPARE(
            MessageTexts(messages),
            QStringList{"Record Start must always have a following Record Stop or Reset to Ready"});
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_backing->CountOf(BackingOperation::WriteTimedEvents), 0);

        QComboBox* code = Combo(*m_dialog, kCode);
        code->setCurrentIndex(EC_RESET_TO_READY - 1);
        emit code->activated(EC_RESET_TO_READY - 1);
        SetText(*m_dialog, kTime, "12");
        QVERIFY(Click(*m_dialog, kAdd));
        QSignalSpy sent(m_dialog.get(), &CQuillonSetEventDialog::eventsSent);
        QVERIFY(Click(*m_dialog, kOk));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(sent.count(), 1);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_backing->GetRecords().events.GetCount(), 3);
        QVERIFY(m_dialog->GetAppliedEvents() == m_backing->GetRecords().events);
    }

    void aFailedSendKeepsTheDialogAndTheAppliedList()
    {
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        SetText(*m_dialog, kTime, "3");
        QVERIFY(Click(*m_dialog, kAdd));
        m_backing->SetScript(BackingOperation::WriteTimedEvents,
                             {true, "Silent board.", 0, false, 0});
        CMessageRecorder messages;
        QVERIFY(Click(*m_dialog, kOk));
        QVERIFY(WaitIdle(*m_dialog));
        QCOMPARE(messages.Count(), size_t(1));
        QVERIFY(MessageTexts(messages).at(0).startsWith(
            "Could not send the timed events to the board.\nSilent board."));
        QVERIFY(MessageTexts(messages).at(0).contains("may have been cleared"));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_dialog->GetEditEvents().GetCount(), 4);
        QCOMPARE(m_dialog->GetAppliedEvents().GetCount(), 3);
    }

    void anUnreadableBoardShowsTheFilesProgramButKeepsTheAppliedList()
    {
        CTimedEvent file;
        file.AddTimedEvent(Event(7.0, EC_AUTOZERO, 0, 1));
        m_config.SetTimedEvent(file);
        m_backing->SetScript(BackingOperation::ReadTimedEvents, {true, "", 0, false, 0});
        m_dialog->Refresh();
        QVERIFY(WaitIdle(*m_dialog));
        QVERIFY(m_dialog->IsShowingFallback());
        QCOMPARE(m_dialog->RowTexts().size(), 1);
        QVERIFY(m_dialog->RowTexts().at(0).contains("Autozero"));
        QCOMPARE(m_dialog->GetAppliedEvents().GetCount(), 0);
        QCOMPARE(m_backing->CountOf(BackingOperation::WriteTimedEvents), 0);
    }

private:
    CConfigFile m_config;
    std::unique_ptr<CScriptedBacking> m_backing;
    std::unique_ptr<CQuillonSetEventDialog> m_dialog;
};

QTEST_MAIN(TestEventDialog)
#include "tst_eventdialog.moc"
