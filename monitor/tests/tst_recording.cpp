// The Monitor's recording against the board simulator on a pseudo-terminal:
// two runs recorded by their timed "Record" events into two files holding
// exactly the pulses of their windows, the run log's entries, the record and
// stop buttons with the status lines, a board whose set-up cannot be read,
// a timed start that fails and a write error, each said plainly.

#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "DataFile.h"
#include "DialogRecordSettings.h"
#include "FilePaths.h"
#include "Logs.h"
#include "MessageService.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"
#include "QuillonSetEventDialog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {

constexpr int kDeadlineMs = 60000;
enum { kRecording = 1065, kRecordFile = 1069, kWritten = 1068, kStatus = 1063 };

CTimedEvent Program(std::initializer_list<std::pair<double, double>> records)
{
    CTimedEvent events;
    for (const auto& [minutes, value] : records) {
        CTimedEventData event;
        event.SetEventTime(minutes);
        event.SetEventCode(EC_RECORD);
        event.SetEventValue(value);
        events.AddTimedEvent(event);
    }
    return events;
}

struct Recorded {
    int ok = 0;
    CDataFileHeader header;
    std::vector<CPulseData> pulses;
    CSalvageReport report;
    std::string message;
};

Recorded Read(const std::string& path)
{
    Recorded r;
    r.ok = CDataFileReader::ReadAll(path, r.header, r.pulses, r.report, r.message);
    return r;
}

QStringList RunLogEntries(const QString& path)
{
    QStringList entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty())
            entries << QString::fromUtf8(line);
    return entries;
}

// The pulses a window from the due pulse (time >= on; not in the file) to
// the stop pulse (time >= off; in the file) holds, from what the board sent.
std::vector<CSimSentPulse> Window(const std::vector<CSimSentPulse>& run, int32_t on, int32_t off)
{
    std::vector<CSimSentPulse> window;
    bool started = false;
    for (const CSimSentPulse& p : run) {
        if (started) {
            window.push_back(p);
            if (p.time >= off)
                break;
        } else if (p.time >= on) {
            started = true;
        }
    }
    return window;
}

std::vector<CSimSentPulse> Sent(const std::vector<CPulseData>& pulses)
{
    std::vector<CSimSentPulse> sent;
    for (const CPulseData& p : pulses)
        sent.push_back(
            {static_cast<uint32_t>(p.GetPulseIndex()), static_cast<int32_t>(p.GetPulseTime())});
    return sent;
}

QString Describe(const std::vector<CSimSentPulse>& pulses)
{
    QStringList parts;
    for (const CSimSentPulse& p : pulses)
        parts << QStringLiteral("%1@%2").arg(p.index).arg(p.time);
    return parts.join(' ');
}

} // namespace

class TestRecording : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("TARVOLIN_COMMON_DATA", m_folder.filePath("common").toUtf8());
        qputenv("TARVOLIN_PORTS_DIR", m_folder.filePath("ports").toUtf8());
        QVERIFY(CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE));
        CQuillonApp::ApplyCommandLine({"h:Recorder", "-MCP:COM4"});
        m_data = QString::fromStdString(CFilePaths::GetDataPath());
    }

    void init()
    {
        // Each test begins as a first start ever: no data settings, no data folder.
        std::filesystem::remove_all(CFilePaths::GetInstrumentFolder());
        m_runLog = m_folder.filePath(QStringLiteral("run-%1.log").arg(m_nTest++));
        CRunLog::SetFilePath(m_runLog.toStdString());
    }

    void cleanup()
    {
        m_window.reset();
        CCoreInterface::Cleanup();
        m_sim.reset();
        CRunLog::SetFilePath("");
    }

    void twoRunsAreRecordedBetweenTheirRecordEvents()
    {
        // 2.5 pulses a real second, 12 in each window of 0.1 to 0.3 min.
        StartBoard(5.0, 0.5, 24.0);
        m_sim->SetTimedEvents(Program({{0.1, 1}, {0.3, 0}}));
        StartWindow();
        QVERIFY(m_window->EventDialog()->GetAppliedEvents() == Program({{0.1, 1}, {0.3, 0}}));
        CMessageRecorder messages;

        for (int run = 1; run <= 2; ++run) {
            m_sim->StartRun();
            QTRY_VERIFY_WITH_TIMEOUT(m_window->Recording().GetFinishedCount() == run, kDeadlineMs);
            QVERIFY(m_sim->WaitFor(
                [run](const CSimCounters& c) { return c.runsEnded >= uint64_t(run); },
                std::chrono::milliseconds(kDeadlineMs)));
            // The window has seen the run end, and its last pulse, before the
            // next one begins: a pulse fetched after the next run's start would
            // be taken for that run's (the link polls once per cycle).
            QTRY_VERIFY_WITH_TIMEOUT(!m_window->Recording().Rules().GetLastRunState(), kDeadlineMs);
            QTRY_VERIFY_WITH_TIMEOUT(static_cast<uint64_t>(m_window->LivePulse().GetPulseIndex()) ==
                                         m_sim->GetCounters().pulsesFired,
                                     kDeadlineMs);
        }
        QCOMPARE(messages.Count(), size_t(0));

        // The board's log of pulses sent, cut into its two runs.
        std::vector<std::vector<CSimSentPulse>> runs;
        int32_t last = -1;
        for (const CSimSentPulse& p : m_sim->GetSentPulses()) {
            if (runs.empty() || p.time < last)
                runs.emplace_back();
            runs.back().push_back(p);
            last = p.time;
        }
        QCOMPARE(runs.size(), size_t(2));
        for (int run = 0; run < 2; ++run) {
            const std::string path =
                (m_data + QStringLiteral("/file%1.KLYN").arg(run + 1, 3, 10, QChar('0')))
                    .toStdString();
            const Recorded file = Read(path);
            QVERIFY2(file.ok, file.message.c_str());
            QVERIFY2(file.report.Clean(), file.report.Text().c_str());
            const std::vector<CSimSentPulse> expected = Window(runs[run], 600, 1800);
            QVERIFY(expected.size() >= 5);
            QCOMPARE(Describe(Sent(file.pulses)), Describe(expected));
            QVERIFY(file.header.config.events == Program({{0.1, 1}, {0.3, 0}}));
        }
        QVERIFY(!QFile::exists(m_data + "/file003.KLYN"));

        const QStringList entries = RunLogEntries(m_runLog);
        QCOMPARE(entries.size(), 4);
        const char* expected[] = {"Auto Recording Event Start", "Auto Recording Event Stop",
                                  "Auto Recording Event Start", "Auto Recording Event Stop"};
        for (int i = 0; i < 4; ++i)
            QVERIFY2(entries[i].endsWith(QString("  ") + expected[i]), qPrintable(entries[i]));
        QCOMPARE(m_window->StatusLine(kRecording), QString("Stopped"));
        QCOMPARE(m_window->StatusLine(kRecordFile), m_data + "/file002.KLYN");
    }

    void theRecordButtonsShowTheFileItsSizeAndItsPulses()
    {
        StartBoard(5.0, 2.0, 0.0);
        m_sim->StartRun();
        StartWindow();
        CMessageRecorder messages;
        QVERIFY(!m_window->IsStatusLineVisible(kRecordFile));
        QVERIFY(!m_window->IsStatusLineVisible(kWritten));

        m_window->OnRecordStart();
        // The set-up is read first, without blocking the window.
        QVERIFY(m_window->IsStartingRecording());
        QTRY_VERIFY_WITH_TIMEOUT(m_window->IsRecording(), kDeadlineMs);
        QCOMPARE(m_window->StatusLine(kRecording), QString("In Progress"));
        QCOMPARE(m_window->StatusLine(kRecordFile), m_data + "/file001.KLYN");
        // Record is off while recording, stop is on; the line says how long.
        QVERIFY(!m_window->CurrentData()->findChild<QWidget*>("ctl1058")->isEnabled());
        QVERIFY(m_window->CurrentData()->findChild<QWidget*>("ctl1059")->isEnabled());
        QVERIFY2(m_window->StatusLine(kWritten).endsWith(" so far"), qPrintable(m_window->StatusLine(kWritten)));
        QVERIFY(m_window->IsStatusLineVisible(kWritten));
        QTRY_VERIFY_WITH_TIMEOUT(m_window->Recording().GetPulsesWritten() >= 3, kDeadlineMs);
        m_window->OnRecordStop();
        QCOMPARE(m_window->StatusLine(kRecording), QString("Stopped"));
        QVERIFY(m_window->CurrentData()->findChild<QWidget*>("ctl1058")->isEnabled());
        QVERIFY(!m_window->CurrentData()->findChild<QWidget*>("ctl1059")->isEnabled());
        const int written = m_window->Recording().GetPulsesWritten();
        const QString shown = m_window->StatusLine(kWritten);
        QVERIFY2(shown.startsWith(QStringLiteral("%1 pulses, ").arg(written)), qPrintable(shown));
        QVERIFY2(shown.endsWith(" KB"), qPrintable(shown));
        // The file's line stays with the last file.
        QVERIFY(m_window->IsStatusLineVisible(kRecordFile));

        const Recorded file = Read((m_data + "/file001.KLYN").toStdString());
        QVERIFY2(file.ok, file.message.c_str());
        QCOMPARE(int(file.pulses.size()), written);
        const QStringList entries = RunLogEntries(m_runLog);
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries[0].endsWith("Manual Recording Start"));
        QVERIFY(entries[1].endsWith("Manual Recording Stop"));
        QCOMPARE(messages.Count(), size_t(0));
        // The next recording gets the next name, shown in the data settings.
        QCOMPARE(QString::fromStdString(m_window->Recorder().GetIndexText()), QString("002"));
    }

    void aBoardWhoseSetUpCannotBeReadIsSaidBeforeRecording()
    {
        StartBoard(5.0, 2.0, 0.0);
        m_sim->StartRun();
        StartWindow();
        CSimFaultRule silent;
        silent.kind = SimFault::Silence;
        silent.command = 0x11; // the gates
        m_sim->AddFault(silent);
        CMessageRecorder messages;
        messages.QueueAnswer(IDNO);
        m_window->OnRecordStart();
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        QVERIFY(QString::fromStdString(messages.Messages()[0].text)
                    .startsWith("The board's set-up could not be read"));
        QCOMPARE(messages.Messages()[0].buttons, MessageButtons::YesNo);
        QVERIFY(!m_window->IsRecording());
        QVERIFY(!QFile::exists(m_data + "/file001.KLYN"));

        messages.QueueAnswer(IDYES);
        m_window->OnRecordStart();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->IsRecording(), kDeadlineMs);
        QVERIFY2(
            m_window->StatusLine(kWritten).contains("header holds the parameter dialogs' values"),
            qPrintable(m_window->StatusLine(kWritten)));
        const QStringList entries = RunLogEntries(m_runLog);
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries[0].endsWith("Manual Recording Start"));
        QVERIFY(entries[1].contains("header holds the parameter dialogs' values"));
        m_window->OnRecordStop();
    }

    void aTimedStartThatFailsIsSaidWithoutABox()
    {
        StartBoard(5.0, 0.5, 0.0);
        m_sim->SetTimedEvents(Program({{0.1, 1}, {0.3, 0}}));
        StartWindow();
        // A folder below a file can never be made.
        QFile blocker(m_folder.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_window->Recorder().SetFolder(m_folder.filePath("blocker/data").toStdString());
        CMessageRecorder messages;
        m_sim->StartRun();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->IsStatusLineVisible(kWritten), kDeadlineMs);
        QVERIFY2(m_window->StatusLine(kWritten).startsWith("The timed start failed: cannot create"),
                 qPrintable(m_window->StatusLine(kWritten)));
        QCOMPARE(m_window->StatusLine(kRecording), QString("Stopped"));
        QCOMPARE(messages.Count(), size_t(0));
        const QStringList entries = RunLogEntries(m_runLog);
        QCOMPARE(entries.size(), 1);
        QVERIFY2(entries[0].contains("Auto Recording Event Start failed: cannot create"),
                 qPrintable(entries[0]));
    }

    void aWriteErrorStopsTheRecordingAndSaysSo()
    {
        StartBoard(5.0, 2.0, 0.0);
        m_sim->StartRun();
        StartWindow();
        m_window->OnRecordStart();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->Recording().GetPulsesWritten() >= 2, kDeadlineMs);
        CMessageRecorder messages;
        // A file size limit just past what is written stands in for a full disk.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = static_cast<rlim_t>(m_window->Recording().GetBytesWritten() + 1500);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool stopped = QTest::qWaitFor([&] { return !m_window->IsRecording(); }, kDeadlineMs);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(stopped);
        QCOMPARE(m_window->StatusLine(kRecording), QString("Stopped"));
        QTRY_COMPARE_WITH_TIMEOUT(messages.Count(), size_t(1), kDeadlineMs);
        QVERIFY2(
            QString::fromStdString(messages.Messages()[0].text).startsWith("Recording stopped: "),
            messages.Messages()[0].text.c_str());
        QCOMPARE(messages.Messages()[0].icon, MessageIcon::Error);
        QVERIFY(m_window->StatusLine(kWritten).contains("Recording stopped: "));
        const QStringList entries = RunLogEntries(m_runLog);
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries[1].contains("Recording stopped: "));
        const Recorded file = Read((m_data + "/file001.KLYN").toStdString());
        QVERIFY2(file.ok, file.message.c_str());
        QVERIFY2(file.report.Clean(), file.report.Text().c_str());
        QCOMPARE(int(file.pulses.size()), m_window->Recording().GetPulsesWritten());
    }

    void theDataSettingsButtonShowsTheDialogCentredEvenWhenOpen()
    {
        StartBoard(1.0, 1.0, 0.0);
        StartWindow();
        CDialogRecordSettings* dialog = m_window->DataSettingsDialog();
        QVERIFY(!dialog->isVisible());
        m_window->OnButtonClicked(1029);
        QVERIFY(dialog->isVisible());
        dialog->move(0, 0);
        m_window->OnButtonClicked(1029);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->pos() != QPoint(0, 0));
        QCOMPARE(dialog->windowTitle(), QString("Data Settings"));
    }

private:
    void StartBoard(double speed, double rate, double runLength)
    {
        CSimOptions options;
        options.port = 4;
        options.portsDir = m_folder.filePath("ports").toStdString();
        options.clockSpeed = speed;
        options.pulseRate = rate;
        options.runLengthSeconds = runLength;
        m_sim = std::make_unique<CBoardSimulator>(options);
        std::string error;
        QVERIFY2(m_sim->Start(error), error.c_str());
    }

    void StartWindow()
    {
        CCoreInterface::Initialize();
        m_window = std::make_unique<CQuillonDlg>();
        m_window->Initialize();
        m_window->show();
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->IsReadingStartUpSetUp(), kDeadlineMs);
    }

    QTemporaryDir m_folder;
    QString m_data;
    QString m_runLog;
    int m_nTest = 0;
    std::unique_ptr<CBoardSimulator> m_sim;
    std::unique_ptr<CQuillonDlg> m_window;
};

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
