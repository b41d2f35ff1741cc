// The tarvolin-launcher program as a user starts it: the first start on a
// bare workstation sets up the list and the template before anyone clicks;
// without a display, or with arguments it does not take, it says so.
#include "ChildProcess.h"
#include "InstrumentConnections.h"
#include "TarvolinLauncherApp.h"
#include "TempFolder.h"

#include <QtTest>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

class TestLauncherProgram : public QObject {
    Q_OBJECT

private slots:
    void theFirstStartSetsUpTheListAndTheTemplate()
    {
        testsupport::CTempDir common;
        const fs::path database = common.Path() / "Corvanth/Tarvolin/Tarvolin Monitor/Database";
        testsupport::CChildProcess launcher;
        QVERIFY(launcher.Start({TARVOLIN_LAUNCHER_PATH},
                               {"QT_QPA_PLATFORM=offscreen",
                                "TARVOLIN_COMMON_DATA=" + common.Path().string()}));
        const fs::path list = database / "Common/General Config/GeneralSettings.cfg";
        const fs::path ini = database / "Default/Config/TarvolinMonitorIniSettings.ini";
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(list) && fs::exists(ini), 30000);
        QCOMPARE(testsupport::ReadBytes(list.string()), (std::vector<uint8_t>{0x00, 0x00}));
        QCOMPARE(testsupport::ReadBytes(ini.string()).size(),
                 CInstrumentConnections::TemplateIniText().size());
        // The window is up and waits for the user; nothing has gone wrong.
        QVERIFY(launcher.Signal(SIGTERM));
        QCOMPARE(launcher.Wait(), 128 + SIGTERM);
        QVERIFY2(launcher.Err().find("cannot") == std::string::npos, launcher.Err().c_str());
    }

    void whatItCannotDoItSays_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        QTest::newRow("help") << QStringList{"--help"} << "" << 0 << "usage: tarvolin-launcher";
        QTest::newRow("an argument it does not take")
            << QStringList{"GC1"} << "offscreen" << int(CTarvolinLauncherApp::kUsageExit)
            << "usage: tarvolin-launcher";
        QTest::newRow("no display") << QStringList{} << "" << 1 << "no display";
    }
    void whatItCannotDoItSays()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, platform);
        QFETCH(int, code);
        QFETCH(QString, said);
        testsupport::CTempDir common;
        std::vector<std::string> argv{TARVOLIN_LAUNCHER_PATH};
        for (const QString& a : args)
            argv.push_back(a.toStdString());
        // No display of any kind unless the row gives a platform.
        std::vector<std::string> env{"DISPLAY=", "WAYLAND_DISPLAY=",
                                     "QT_QPA_PLATFORM=" + platform.toStdString(),
                                     "TARVOLIN_COMMON_DATA=" + common.Path().string()};
        const testsupport::CProgramResult r = testsupport::RunProgram(argv, env);
        QCOMPARE(r.code, code);
        const std::string all = r.out + r.err;
        QVERIFY2(all.find(said.toStdString()) != std::string::npos, all.c_str());
        QVERIFY(!fs::exists(common.Path() / "Corvanth"));
    }
};

QTEST_MAIN(TestLauncherProgram)
#include "tst_launcherprogram.moc"
