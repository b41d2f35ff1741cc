// What the Launcher starts, and with what: the Monitor gets exactly two
// arguments, the name whole whatever it holds (checked through a stand-in
// program that records its arguments), the Analyzer none; a program that is
// not installed, and a manual that is not there or has no viewer, are said
// so instead of the click doing nothing.
#include "InstrumentConnections.h"
#include "LauncherResources.h"
#include "MessageService.h"
#include "ProgramStarter.h"
#include "TarvolinLauncherDlg.h"
#include "TempFolder.h"
#include "UsersManual.h"

#include <QtTest>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// A program that writes its argument count and arguments, each ended by a
// NUL, to "<itself>.args", whole or not at all.
void MakeStandIn(const fs::path& path)
{
    testsupport::WriteText(path.string(),
                           "#!/bin/sh\n"
                           "{ printf '%d\\n' $#; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; }"
                           " > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n");
    ::chmod(path.c_str(), 0755);
}

// The arguments the stand-in recorded, once it has run.
QStringList RecordedArguments(const fs::path& program)
{
    const std::string path = program.string() + ".args";
    if (!fs::exists(path))
        return {QStringLiteral("<not run>")};
    const std::vector<uint8_t> bytes = testsupport::ReadBytes(path);
    const QByteArray all(reinterpret_cast<const char*>(bytes.data()),
                         static_cast<qsizetype>(bytes.size()));
    const qsizetype newline = all.indexOf('\n');
    const int count = all.left(newline).toInt();
    QStringList args;
    for (const QByteArray& a : all.mid(newline + 1).split('\0'))
        args.append(QString::fromUtf8(a));
    args.removeLast(); // after the last NUL
    if (args.size() != count)
        return {QStringLiteral("<%1 arguments, %2 read>").arg(count).arg(args.size())};
    return args;
}

} // namespace

class TestProgramStarter : public QObject {
    Q_OBJECT

    testsupport::CTempDir m_dir;
    fs::path m_programs;
    std::unique_ptr<CInstrumentConnections> m_connections;
    int m_nCase = 0;

private slots:
    void initTestCase() { CLauncherResources::Initialize(); }

    // Every case, every row of a table too, in folders of its own.
    void init()
    {
        const fs::path folder = m_dir.Path() / ("case" + std::to_string(++m_nCase));
        m_programs = folder / "lib";
        fs::create_directories(m_programs);
        m_connections = std::make_unique<CInstrumentConnections>((folder / "Database").string());
    }

    void theMonitorGetsTheNameWhole_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("blanks") << "GC Lab 1" << 3 << "GC Lab 1"
                                << QStringList{"h:GC Lab 1", "-MCP:COM3"};
        QTest::newRow("quotes") << "Lab \"North\" 'B'" << 8 << "Lab \"North\" 'B'"
                                << QStringList{"h:Lab \"North\" 'B'", "-MCP:COM8"};
        QTest::newRow("non-ASCII")
            << "Gerät Süd µ" << 2 << "Gerät Süd µ" << QStringList{"h:Gerät Süd µ", "-MCP:COM2"};
        QTest::newRow("shell characters")
            << "$(touch x); `y` | z & *" << 1 << "$(touch x); `y` | z & *"
            << QStringList{"h:$(touch x); `y` | z & *", "-MCP:COM1"};
        QTest::newRow("a leading dash")
            << "-MCP:COM5" << 4 << "-MCP:COM5" << QStringList{"h:-MCP:COM5", "-MCP:COM4"};
        QTest::newRow("percent signs")
            << "A %1 %s %%" << 6 << "A %1 %s %%" << QStringList{"h:A %1 %s %%", "-MCP:COM6"};
        // Stored padded, listed and started trimmed; looked up in any case.
        QTest::newRow("padded, clicked in another case")
            << "  Line B  " << 7 << "LINE b" << QStringList{"h:Line B", "-MCP:COM7"};
    }
    void theMonitorGetsTheNameWhole()
    {
        QFETCH(QString, stored);
        QFETCH(int, port);
        QFETCH(QString, clicked);
        QFETCH(QStringList, expected);
        const fs::path monitor = m_programs / "tarvolin-monitor";
        MakeStandIn(monitor);
        std::string msg;
        QVERIFY2(m_connections->Add(stored.toStdString(), port, msg), msg.c_str());

        CMessageRecorder messages;
        CTarvolinLauncherDlg window(*m_connections,
                                    CProgramStarter(QString::fromStdString(m_programs.string())));
        window.Initialize();
        QCOMPARE(window.OnStartMonitor(clicked), 1);
        QTRY_COMPARE_WITH_TIMEOUT(RecordedArguments(monitor), expected, 30000);
        QCOMPARE(messages.Count(), size_t(0));
        // Nothing the name holds was run by a shell.
        QVERIFY(!fs::exists(fs::current_path() / "x"));
    }

    void theArgumentsAreBuiltAsTheMonitorReadsThem()
    {
        QCOMPARE(CProgramStarter::MonitorArguments(QStringLiteral("GC1"), 8),
                 (QStringList{"h:GC1", "-MCP:COM8"}));
        QCOMPARE(CProgramStarter::MonitorArguments(QString(), 1), (QStringList{"h:", "-MCP:COM1"}));
    }

    void whatCannotBeStartedIsSaid_data()
    {
        QTest::addColumn<bool>("monitorInstalled");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("said");
        QTest::newRow("no Monitor beside the Launcher") << false << "GC1"
                                                        << "is not installed beside the Launcher";
        QTest::newRow("gone from the list") << true << "GC9"
                                            << "No instrument named \"GC9\"";
    }
    void whatCannotBeStartedIsSaid()
    {
        QFETCH(bool, monitorInstalled);
        QFETCH(QString, clicked);
        QFETCH(QString, said);
        if (monitorInstalled)
            MakeStandIn(m_programs / "tarvolin-monitor");
        std::string msg;
        QVERIFY2(m_connections->Add("GC1", 1, msg), msg.c_str());
        CMessageRecorder messages;
        CTarvolinLauncherDlg window(*m_connections,
                                    CProgramStarter(QString::fromStdString(m_programs.string())));
        window.Initialize();
        QCOMPARE(window.OnStartMonitor(clicked), 0);
        QCOMPARE(messages.Count(), size_t(1));
        const CMessageRecorder::Message m = messages.Messages().front();
        QVERIFY2(m.text.find(said.toStdString()) != std::string::npos, m.text.c_str());
        QVERIFY(!fs::exists(m_programs / "tarvolin-monitor.args"));
    }

    void aNameFromAnOlderListThatCannotNameAFolderIsNotStarted()
    {
        MakeStandIn(m_programs / "tarvolin-monitor");
        std::string msg;
        QVERIFY(m_connections->Provision(msg));
        CGeneralPCSettings list;
        list.Add({"2", "../elsewhere"});
        QVERIFY(CGeneralPCSettingsHandler(m_connections->GetListPath()).Write(list, msg));
        CMessageRecorder messages;
        CTarvolinLauncherDlg window(*m_connections,
                                    CProgramStarter(QString::fromStdString(m_programs.string())));
        window.Initialize();
        QCOMPARE(window.OnStartMonitor(QStringLiteral("../elsewhere")), 0);
        QCOMPARE(messages.Count(), size_t(1));
        QVERIFY(messages.Messages().front().text.find("Delete it and add it again") !=
                std::string::npos);
        QVERIFY(!fs::exists(m_programs / "tarvolin-monitor.args"));
    }

    void theAnalyzerStartsWithoutArguments()
    {
        const fs::path analyzer = m_programs / "tarvolin-analyzer";
        CMessageRecorder messages;
        CTarvolinLauncherDlg window(*m_connections,
                                    CProgramStarter(QString::fromStdString(m_programs.string())));
        window.Initialize();
        window.OnButtonClicked(1022);
        QCOMPARE(messages.Count(), size_t(1));
        QVERIFY(messages.Messages().front().text.find("Tarvolin Analyzer is not installed") !=
                std::string::npos);

        MakeStandIn(analyzer);
        window.OnButtonClicked(1022);
        QTRY_COMPARE_WITH_TIMEOUT(RecordedArguments(analyzer), QStringList(), 30000);
        QCOMPARE(messages.Count(), size_t(1));
    }

    void theManualIsOpenedOrItsAbsenceSaid()
    {
        const fs::path program = m_dir.Path() / "manual" / "prefix" / "lib" / "tarvolin";
        const fs::path common = m_dir.Path() / "manual" / "common";
        fs::create_directories(program);
        QList<QUrl> opened;
        bool viewer = true;
        const CUsersManual::Opener open = [&](const QUrl& url) {
            opened.append(url);
            return viewer;
        };
        const QString programFolder = QString::fromStdString(program.string());
        const QString commonFolder = QString::fromStdString(common.string());
        CMessageRecorder messages;

        QCOMPARE(CUsersManual::Open(programFolder, commonFolder, open), 0);
        QVERIFY(opened.isEmpty());
        QCOMPARE(messages.Count(), size_t(1));
        const std::string said = messages.Messages().back().text;
        QVERIFY2(said.find("was not found") != std::string::npos, said.c_str());
        QVERIFY2(said.find((common / "Corvanth/Tarvolin/Tarvolin_Users_Manual.pdf").string()) !=
                     std::string::npos,
                 said.c_str());

        const fs::path installed =
            m_dir.Path() / "manual" / "prefix" / "share" / "tarvolin" / "Tarvolin_Users_Manual.pdf";
        fs::create_directories(installed.parent_path());
        testsupport::WriteText(installed.string(), "%PDF-1.4\n");
        QCOMPARE(CUsersManual::Open(programFolder, commonFolder, open), 1);
        QCOMPARE(opened,
                 (QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(installed.string()))}));
        QCOMPARE(messages.Count(), size_t(1));

        viewer = false;
        QCOMPARE(CUsersManual::Open(programFolder, commonFolder, open), 0);
        QCOMPARE(messages.Count(), size_t(2));
        QVERIFY(messages.Messages().back().text.find("no program to show PDF files") !=
                std::string::npos);
    }
};

QTEST_MAIN(TestProgramStarter)
#include "tst_programstarter.moc"
