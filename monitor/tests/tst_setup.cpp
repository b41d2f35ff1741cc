// The Monitor's set-up against the board simulator on a pseudo-terminal:
// Open Config applies a file in the board's order with the right bytes,
// Save Config writes what the board holds, a board that stops answering
// half way gives the failure, and the parameter dialogs work through the
// toolbar with their instrument backing.

#include "BoardSimulator.h"
#include "ConfigFile.h"
#include "CoreInterface.h"
#include "FileDialogService.h"
#include "FilePaths.h"
#include "Hardware.h"
#include "Logs.h"
#include "MessageService.h"
#include "PlotDlg.h"
#include "QuillonApp.h"
#include "QuillonBoardChanDialog.h"
#include "QuillonDlg.h"
#include "QuillonGatesModesDialog.h"
#include "QuillonIniConfig.h"
#include "QuillonRunLogDialog.h"
#include "QuillonSetEventDialog.h"
#include "iPlotXControl.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <mutex>

namespace {

enum {
    kOpenConfig = 1027,
    kSaveConfig = 1008,
    kGateParams = 1013,
    kBoardParams = 1012,
    kTimedEvents = 1015,
    kViewRunLog = 1025
};

const char kApplied[] = "Configuration file has been successfully opened and applied";
const char kSaved[] = "Configuration file has been successfully Saved";
constexpr int kDeadlineMs = 60000;

CTimedEventData Event(double minutes, int code, unsigned char channel, double value)
{
    CTimedEventData e;
    e.SetEventTime(minutes);
    e.SetEventCode(static_cast<EventCode>(code));
    e.SetEventChannel(channel);
    e.SetEventValue(value);
    return e;
}

// A set-up whose every value survives the board's encodings.
CConfigFile SetUp(int seed)
{
    CConfigFile file;
    CGateParameters gates;
    const unsigned short modes[] = {GM_P, GM_S, GM_P, GM_N, GM_Si};
    for (int i = 0; i < 5; ++i) {
        gates[i].SetType(modes[i]);
        gates[i].SetStartA(0.5 * i + seed * 0.1);
        gates[i].SetStopA(3.0 + i);
        gates[i].SetStartB(10.0);
        gates[i].SetStopB(12.5);
        gates[i].SetOperator(GO_MINUS);
        gates[i].SetAlpha(0.25);
        gates[i].SetSqroot(i % 2);
    }
    gates.Sort();
    file.SetGateParameters(gates);
    CBoardParameters board;
    board.SetIgnitor(static_cast<unsigned short>(2500 + seed));
    board.SetpmtVolts(650);
    board.SetTriggerLevel(12);
    board.SetAdcTriggerLevel(150000 + seed);
    file.SetBoardParameters(board);
    CChannelParameters channels;
    channels[0].SetGateIndex(1);
    channels[0].SetInterpolation(1);
    channels[0].SetScalarChannel(64);
    channels[0].SetChannelZero(-20);
    channels[1].SetGateIndex(3);
    channels[1].SetScalarChannel(2);
    channels[1].SetChannelZero(450);
    file.SetChannelParameters(channels);
    CTimedEvent events;
    events.AddTimedEvent(Event(0.5, EC_GATE_SELECTION, 0, 2));
    events.AddTimedEvent(Event(1.25, EC_RECORD, 0, 1));
    events.AddTimedEvent(Event(2.0, EC_IGNITOR_CURRENT, 0, 2.5));
    events.AddTimedEvent(Event(8.0, EC_RECORD, 0, 0));
    file.SetTimedEvent(events);
    return file;
}

struct Request {
    int command;
    QString payload;
};

// The set-up commands in the simulator's request log, in the order received.
QList<Request> SetUpRequests(const QString& logPath)
{
    static const QRegularExpression line(QStringLiteral("^\\S+ 0x([0-9a-f]{2}) \\d+ (\\S+)$"));
    QList<Request> requests;
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return requests;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const auto match = line.match(QString::fromLatin1(raw));
        if (!match.hasMatch())
            continue;
        const int command = match.captured(1).toInt(nullptr, 16);
        if (command >= 0x10 && command <= 0x22)
            requests.push_back({command, match.captured(2)});
    }
    return requests;
}

QList<int> Commands(const QList<Request>& requests)
{
    QList<int> commands;
    for (const Request& r : requests)
        commands << r.command;
    return commands;
}

QString Hex(const CByteArray& bytes)
{
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())).toHex());
}

QStringList Texts(const CMessageRecorder& messages)
{
    QStringList texts;
    for (const auto& m : messages.Messages())
        texts << QString::fromStdString(m.text);
    return texts;
}

} // namespace

class TestSetUp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("TARVOLIN_COMMON_DATA", m_folder.filePath("common").toUtf8());
        qputenv("TARVOLIN_PORTS_DIR", m_folder.filePath("ports").toUtf8());
        QVERIFY(CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE));
        CQuillonApp::ApplyCommandLine({"h:Bench", "-MCP:COM7"});
        // Online: Save Config reads the board first.
        const QString config = QString::fromStdString(CFilePaths::GetConfigPath());
        QVERIFY(QDir().mkpath(config));
        QFile ini(config + "/TarvolinMonitorIniSettings.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings]\nIsOnline=1\nEnableDebugLog=1\n");
        ini.close();
        CDebugLog::SetSink([this](const std::string& line) {
            std::lock_guard guard(m_debugLock);
            m_debugLines << QString::fromStdString(line);
        });
    }

    void cleanupTestCase() { CDebugLog::SetSink(nullptr); }

    void init()
    {
        m_requestLog = m_folder.filePath(QStringLiteral("requests-%1.log").arg(m_nRun++));
        CSimOptions options;
        options.port = 7;
        options.portsDir = m_folder.filePath("ports").toStdString();
        options.requestLogPath = m_requestLog.toStdString();
        m_sim = std::make_unique<CBoardSimulator>(options);
        std::string error;
        QVERIFY2(m_sim->Start(error), error.c_str());
        CCoreInterface::Initialize();
        QVERIFY(CQuillonIniConfig::IsOnline());
        {
            std::lock_guard guard(m_debugLock);
            m_debugLines.clear();
        }
        m_window = std::make_unique<CQuillonDlg>();
        m_window->Initialize();
        m_window->show();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->IsReadingStartUpSetUp(), kDeadlineMs);
    }

    void cleanup()
    {
        m_window.reset();
        CCoreInterface::Cleanup();
        m_sim.reset();
    }

    void openConfigClearsTheEventsFirstAndSendsEveryRecordWithItsBytes()
    {
        const CConfigFile file = SetUp(1);
        const QString path = WriteConfig("setup.cnfg", file);
        CFileDialogRecorder files;
        files.QueueAnswer(path.toStdString());
        CMessageRecorder messages;
        const int before = SetUpRequests(m_requestLog).size();

        m_window->OnButtonClicked(kOpenConfig);
        QCOMPARE(files.Count(), size_t(1));
        const CFileDialogRequest request = files.Requests()[0];
        QCOMPARE(QString::fromStdString(request.filter),
                 QString("Tarvolin Monitor (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||"));
        QCOMPARE(QString::fromStdString(request.initialName), QString("*.cnfg"));
        QCOMPARE(request.flags, 0x1004u);
        QCOMPARE(m_window->GetBusyText(),
                 QString("Applying the configuration file to the board..."));
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        QCOMPARE(Texts(messages).at(0), QString(kApplied));
        QCOMPARE(m_window->GetBusyText(), QString());
        QVERIFY(DebugLogHas(kApplied));

        const QList<Request> sent = SetUpRequests(m_requestLog).mid(before);
        QCOMPARE(Commands(sent), (QList<int>{0x22, 0x12, 0x20, 0x10}));
        QCOMPARE(sent[1].payload, Hex(CHardware::EncodeBoardAndChannel(
                                      file.GetBoardParameters(), file.GetChannelParameters())));
        QCOMPARE(sent[2].payload, Hex(CHardware::EncodeEvents(file.GetTimedEvent())));
        QCOMPARE(sent[3].payload, Hex(CHardware::EncodeGates(file.GetGateParameters())));
        // The board decodes them (with its own code) into the file's records.
        const CSimParameterSet board = m_sim->GetState().current;
        QVERIFY(board.Gates() == file.GetGateParameters());
        QVERIFY(board.Board() == file.GetBoardParameters());
        QVERIFY(board.Events() == file.GetTimedEvent());
        QCOMPARE(board.ChannelZero(1), -20);
        QCOMPARE(board.ChannelZero(2), 450);

        // The file is now the window's configuration object and the dialogs' records.
        QVERIFY(m_window->ConfigFile().GetGateParameters() == file.GetGateParameters());
        QVERIFY(m_window->GateDialog()->GetGateParameters() == file.GetGateParameters());
        QVERIFY(m_window->BoardDialog()->GetBoardParameters() == file.GetBoardParameters());
        QVERIFY(m_window->EventDialog()->GetAppliedEvents() == file.GetTimedEvent());
        QCOMPARE(m_window->Plot()->PlotControl()->GetMarkerY(0),
                 double(file.GetBoardParameters().GetAdcTriggerLevel()));
    }

    void aFileWithoutEventsStillClearsTheBoardsEvents()
    {
        m_sim->SetTimedEvents(SetUp(0).GetTimedEvent());
        CConfigFile file = SetUp(2);
        file.SetTimedEvent(CTimedEvent());
        CFileDialogRecorder files;
        files.QueueAnswer(WriteConfig("no-events.cnfg", file).toStdString());
        CMessageRecorder messages;
        const int before = SetUpRequests(m_requestLog).size();
        m_window->OnButtonClicked(kOpenConfig);
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        QCOMPARE(Texts(messages).at(0), QString(kApplied));
        QCOMPARE(Commands(SetUpRequests(m_requestLog).mid(before)), (QList<int>{0x22, 0x12, 0x10}));
        QCOMPARE(m_sim->GetState().current.Events().GetCount(), 0);
    }

    void aBoardThatStopsAnsweringHalfWayGivesTheFailedStep()
    {
        CSimFaultRule silence;
        silence.kind = SimFault::Silence;
        silence.command = 0x20;
        m_sim->AddFault(silence);
        CFileDialogRecorder files;
        files.QueueAnswer(WriteConfig("half.cnfg", SetUp(3)).toStdString());
        CMessageRecorder messages;
        const int before = SetUpRequests(m_requestLog).size();
        m_window->OnButtonClicked(kOpenConfig);
        // The window goes on while the board keeps silent.
        bool ticked = false;
        QTimer::singleShot(50, this, [&] { ticked = true; });
        QTRY_VERIFY_WITH_TIMEOUT(ticked, kDeadlineMs);
        QCOMPARE(messages.Count(), size_t(0));
        QCOMPARE(m_window->GetBusyText(),
                 QString("Applying the configuration file to the board..."));
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        const QString text = Texts(messages).at(0);
        QVERIFY2(text.contains("could not be applied"), qPrintable(text));
        QVERIFY2(text.contains("Step 3 of 4, sending the timed events, failed"), qPrintable(text));
        QVERIFY2(text.contains("The board may now hold a mixture of the old and the new set-up."),
                 qPrintable(text));
        QCOMPARE(messages.Messages()[0].icon, MessageIcon::Error);
        QVERIFY(!DebugLogHas(kApplied));
        // The gates were never sent.
        const QList<int> sent = Commands(SetUpRequests(m_requestLog).mid(before));
        QVERIFY(!sent.contains(0x10));
        QCOMPARE(sent.first(), 0x22);
    }

    void saveConfigWritesWhatTheBoardHolds()
    {
        const CConfigFile board = SetUp(4);
        m_sim->SetGates(board.GetGateParameters());
        m_sim->SetBoardAndChannel(board.GetBoardParameters(), board.GetChannelParameters());
        m_sim->SetTimedEvents(board.GetTimedEvent());
        const QString path = m_folder.filePath("saved");
        CFileDialogRecorder files;
        files.QueueAnswer(path.toStdString());
        CMessageRecorder messages;
        m_window->OnButtonClicked(kSaveConfig);
        QTRY_COMPARE_WITH_TIMEOUT(files.Count(), size_t(1), kDeadlineMs);
        QCOMPARE(QString::fromStdString(files.Requests()[0].defaultExtension), QString("cnfg"));
        QTRY_VERIFY_WITH_TIMEOUT(DebugLogHas(kSaved), kDeadlineMs);
        QCOMPARE(messages.Count(), size_t(0));

        // What the board holds, as it decodes it; zero channels are never exchanged.
        const CSimParameterSet held = m_sim->GetState().current;
        CConfigFile expected;
        expected.SetGateParameters(held.Gates());
        expected.SetBoardParameters(held.Board());
        expected.SetChannelParameters(held.Channels());
        expected.SetTimedEvent(held.Events());
        std::vector<uint8_t> image;
        expected.AppendImage(image);
        QFile saved(path + ".cnfg");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(),
                 QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
        QVERIFY(expected.GetGateParameters() == board.GetGateParameters());
        QVERIFY(expected.GetTimedEvent() == board.GetTimedEvent());
    }

    void offlineSaveTakesTheDialogsValuesNotTheBoards()
    {
        // What the dialogs hold: the start-up read of the board's defaults.
        const CGateParameters dialogs = m_window->GateDialog()->GetGateParameters();
        m_sim->SetGates(SetUp(8).GetGateParameters());
        SetOnline(false);
        const QString path = m_folder.filePath("offline.cnfg");
        CFileDialogRecorder files;
        files.QueueAnswer(path.toStdString());
        const uint64_t reads = m_sim->GetRequestCount(0x11);
        m_window->OnButtonClicked(kSaveConfig);
        SetOnline(true);
        QVERIFY(DebugLogHas(kSaved));
        QCOMPARE(m_sim->GetRequestCount(0x11), reads);
        CConfigFile saved;
        std::string message;
        QVERIFY(saved.Open(path.toStdString(), message));
        QVERIFY(saved.GetGateParameters() == dialogs);
    }

    void anUnreadableBoardAsksBeforeSavingTheDialogsValues()
    {
        CSimFaultRule refuse;
        refuse.kind = SimFault::WrongCode;
        refuse.command = 0x13;
        m_sim->AddFault(refuse);
        const QString path = m_folder.filePath("asked.cnfg");
        CFileDialogRecorder files;
        files.QueueAnswer(path.toStdString());
        CMessageRecorder messages;
        messages.QueueAnswer(IDNO);
        m_window->OnButtonClicked(kSaveConfig);
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        QCOMPARE(messages.Messages()[0].buttons, MessageButtons::YesNo);
        QVERIFY(Texts(messages).at(0).startsWith("The set-up could not be read from the board."));
        QCOMPARE(files.Count(), size_t(0));

        messages.QueueAnswer(IDYES);
        m_window->OnButtonClicked(kSaveConfig);
        QTRY_VERIFY_WITH_TIMEOUT(DebugLogHas(kSaved), kDeadlineMs);
        QCOMPARE(files.Count(), size_t(1));
        QVERIFY(QFile::exists(path));
    }

    void viewRunLogListsTheRunLog()
    {
        CRunLog::AddEntry("Manual Recording Start");
        m_window->OnButtonClicked(kViewRunLog);
        CQuillonRunLogDialog* log = m_window->RunLogDialog();
        QVERIFY(log->isVisible());
        QVERIFY(!log->Lines().isEmpty());
        QVERIFY(log->Lines().last().endsWith("Manual Recording Start"));
        QCOMPARE(QString::fromStdString(log->GetLogPath()), QString::fromStdString(CRunLog::GetFilePath()));
    }

    void aFileThatCannotBeWrittenIsReportedByName()
    {
        const QString path = m_folder.filePath("missing-folder/setup.cnfg");
        CFileDialogRecorder files;
        files.QueueAnswer(path.toStdString());
        CMessageRecorder messages;
        m_window->OnButtonClicked(kSaveConfig);
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        QVERIFY(Texts(messages).at(0).contains(path));
        QCOMPARE(messages.Messages()[0].icon, MessageIcon::Error);
        QVERIFY(!DebugLogHas(kSaved));
    }

    void damagedOrForeignFilesAreRefusedAndNothingIsSent()
    {
        CConfigFile file = SetUp(5);
        std::vector<uint8_t> image;
        file.AppendImage(image);
        const QString damaged =
            WriteBytes("cut.cnfg", QByteArray(reinterpret_cast<const char*>(image.data()), 300));
        const QString foreign = WriteBytes("foreign.cnfg", QByteArray("not a set-up at all"));
        CFileDialogRecorder files;
        files.QueueAnswer(damaged.toStdString());
        files.QueueAnswer(foreign.toStdString());
        CMessageRecorder messages;
        const int before = SetUpRequests(m_requestLog).size();
        m_window->OnButtonClicked(kOpenConfig);
        m_window->OnButtonClicked(kOpenConfig);
        QCOMPARE(messages.Count(), size_t(2));
        QVERIFY(Texts(messages).at(0).contains("damaged"));
        QVERIFY(Texts(messages).at(1).contains("is not a configuration file"));
        QTest::qWait(0);
        QCOMPARE(SetUpRequests(m_requestLog).size(), before);
        QVERIFY(!DebugLogHas(kApplied));
    }

    void theParameterDialogsWorkThroughTheToolbar()
    {
        const CConfigFile board = SetUp(6);
        m_sim->SetGates(board.GetGateParameters());
        m_sim->SetBoardAndChannel(board.GetBoardParameters(), board.GetChannelParameters());
        m_sim->SetTimedEvents(board.GetTimedEvent());

        m_window->OnButtonClicked(kBoardParams);
        CQuillonBoardChanDialog* boardDialog = m_window->BoardDialog();
        QVERIFY(boardDialog->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!boardDialog->IsBusy(), kDeadlineMs);
        auto* trigger = boardDialog->findChild<QLineEdit*>("ctl1006");
        QCOMPARE(trigger->text(), QString::number(board.GetBoardParameters().GetAdcTriggerLevel()));

        // Apply moves the trigger line to what the board took.
        trigger->setText("222222");
        boardDialog->Apply();
        QTRY_VERIFY_WITH_TIMEOUT(!boardDialog->IsBusy(), kDeadlineMs);
        QCOMPARE(m_sim->GetState().current.Board().GetAdcTriggerLevel(), 222222u);
        QCOMPARE(m_window->Plot()->PlotControl()->GetMarkerY(0), 222222.0);

        // Gates sent by the gate dialog rename the board dialog's modes.
        m_window->OnButtonClicked(kGateParams);
        CQuillonGatesModesDialog* gateDialog = m_window->GateDialog();
        QTRY_VERIFY_WITH_TIMEOUT(!gateDialog->IsBusy(), kDeadlineMs);
        QCOMPARE(gateDialog->RowTexts().size(), 5);
        gateDialog->SelectRow(0);
        gateDialog->findChild<QComboBox*>("ctl1029")->setCurrentIndex(GM_W);
        gateDialog->Change();
        gateDialog->Ok();
        auto* mode1 = boardDialog->findChild<QComboBox*>("ctl1009");
        QTRY_COMPARE_WITH_TIMEOUT(mode1->itemText(0), QString("W"), kDeadlineMs);
        QCOMPARE(m_sim->GetState().current.Gates()[0].GetType(), (unsigned short)GM_W);

        m_window->OnButtonClicked(kTimedEvents);
        CQuillonSetEventDialog* eventDialog = m_window->EventDialog();
        QTRY_VERIFY_WITH_TIMEOUT(!eventDialog->IsBusy() && eventDialog->RowTexts().size() == 4,
                                 kDeadlineMs);
        QVERIFY(eventDialog->RowTexts().at(2).contains("Ignitor Current"));
    }

    void anUnreadableBoardShowsTheFileInTheBoardDialogAndSendsNothing()
    {
        // Remember a set-up as the configuration object, then lose the board.
        const CConfigFile file = SetUp(7);
        CFileDialogRecorder files;
        files.QueueAnswer(WriteConfig("remembered.cnfg", file).toStdString());
        CMessageRecorder messages;
        m_window->OnButtonClicked(kOpenConfig);
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        CSimFaultRule silence;
        silence.kind = SimFault::WrongCode;
        m_sim->AddFault(silence);
        const uint64_t sentBefore = m_sim->GetRequestCount(0x12);

        m_window->OnButtonClicked(kBoardParams);
        CQuillonBoardChanDialog* boardDialog = m_window->BoardDialog();
        QTRY_VERIFY_WITH_TIMEOUT(!boardDialog->IsBusy(), kDeadlineMs);
        QVERIFY(boardDialog->IsShowingFallback());
        QVERIFY(boardDialog->GetNote().contains("not the board's"));
        QCOMPARE(boardDialog->findChild<QLineEdit*>("ctl1001")->text(), QString("650"));
        QCOMPARE(m_sim->GetRequestCount(0x12), sentBefore);
    }

private:
    QString WriteConfig(const QString& name, const CConfigFile& file)
    {
        std::vector<uint8_t> image;
        file.AppendImage(image);
        return WriteBytes(
            name, QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
    }

    QString WriteBytes(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_folder.filePath(name);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(bytes);
        return path;
    }

    void SetOnline(bool online)
    {
        const std::string path = CFilePaths::GetConfigPath() + "/TarvolinMonitorIniSettings.ini";
        QFile ini(QString::fromStdString(path));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(online ? "[Settings]\nIsOnline=1\nEnableDebugLog=1\n" : "[Settings]\nIsOnline=0\nEnableDebugLog=1\n");
        ini.close();
        CQuillonIniConfig::Initialize(path);
        QCOMPARE(CQuillonIniConfig::IsOnline(), online);
    }

    bool DebugLogHas(const char* text)
    {
        std::lock_guard guard(m_debugLock);
        return m_debugLines.contains(QString::fromLatin1(text));
    }

    QTemporaryDir m_folder;
    QString m_requestLog;
    int m_nRun = 0;
    std::unique_ptr<CBoardSimulator> m_sim;
    std::unique_ptr<CQuillonDlg> m_window;
    std::mutex m_debugLock;
    QStringList m_debugLines;
};

QTEST_MAIN(TestSetUp)
#include "tst_setup.moc"
