// The tarvolin-monitor program as a user starts it: a command line it cannot
// use gives the usage and a non-zero status, and a missing resource file ends
// it with the message, without a box where no one can see one.
#include "ChildProcess.h"
#include "QuillonApp.h"
#include "TempFolder.h"

#include <QtTest>

#include <filesystem>

namespace {

testsupport::CProgramResult RunMonitor(const QStringList& args,
                                       const std::string& program = TARVOLIN_MONITOR_PATH,
                                       const char* platform = "offscreen")
{
    std::vector<std::string> argv{program};
    for (const QString& a : args)
        argv.push_back(a.toStdString());
    return testsupport::RunProgram(argv, {std::string("QT_QPA_PLATFORM=") + platform});
}

} // namespace

class TestMonitorProgram : public QObject {
    Q_OBJECT
private slots:
    void refusesACommandLineItCannotUse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("no arguments") << QStringList{} << "no instrument named (h:NAME)";
        QTest::newRow("help") << QStringList{"--help"} << "";
        QTest::newRow("port zero")
            << QStringList{"h:GC1", "-MCP:COM0"} << "the port must be a number";
        QTest::newRow("port not a number")
            << QStringList{"h:GC1", "-MCP:COMx"} << "the port must be a number";
        QTest::newRow("unknown switch")
            << QStringList{"h:GC1", "-MCP:COM1", "-verbose"} << "unknown argument \"-verbose\"";
        QTest::newRow("name outside the database")
            << QStringList{"h:../x", "-MCP:COM1"} << "one folder name of its own";
    }
    void refusesACommandLineItCannotUse()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        const testsupport::CProgramResult r = RunMonitor(args);
        QCOMPARE(r.code, CQuillonApp::kUsageExit);
        const std::string all = r.out + r.err;
        QVERIFY2(all.find("usage: tarvolin-monitor h:NAME -MCP:COMn") != std::string::npos,
                 all.c_str());
        QVERIFY2(r.err.find(said.toStdString()) != std::string::npos, r.err.c_str());
    }

    void withoutItsResourceFileItSaysSoAndEnds_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::newRow("offscreen") << "offscreen";
        QTest::newRow("minimal") << "minimal";
    }
    void withoutItsResourceFileItSaysSoAndEnds()
    {
        QFETCH(QString, platform);
        // The program alone in a folder, without the resource file beside it.
        testsupport::CTempDir dir;
        const std::string copy = dir.File("tarvolin-monitor");
        std::filesystem::copy_file(TARVOLIN_MONITOR_PATH, copy);
        const testsupport::CProgramResult r =
            RunMonitor({"h:GC1", "-MCP:COM1"}, copy, platform.toLatin1().constData());
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.find("Unable to find the resource library.") != std::string::npos,
                 r.err.c_str());
    }
};

QTEST_MAIN(TestMonitorProgram)
#include "tst_monitorprogram.moc"
