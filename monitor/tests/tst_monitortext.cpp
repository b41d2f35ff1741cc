// The Monitor's command line and the texts of its status area.
#include "MonitorText.h"
#include "QuillonCommandLineInfo.h"

#include <QtTest>

class TestMonitorText : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("port");
        QTest::newRow("none") << QStringList{} << "" << 0;
        QTest::newRow("launcher") << QStringList{"h:GC1", "-MCP:COM3"} << "GC1" << 3;
        QTest::newRow("name alone") << QStringList{"h:"} << "" << 0;
        QTest::newRow("name with a blank") << QStringList{"h:Lab 2"} << "Lab 2" << 0;
        QTest::newRow("two-digit port") << QStringList{"-MCP:COM12"} << "" << 12;
        QTest::newRow("slash flag") << QStringList{"/MCP:COM3"} << "" << 3;
        QTest::newRow("not a number") << QStringList{"-MCP:COMx"} << "" << 0;
        QTest::newRow("letters not examined") << QStringList{"-MCP:XYZ7"} << "" << 7;
        QTest::newRow("h: as a flag is not a name") << QStringList{"-h:GC9"} << "" << 0;
        QTest::newRow("unknown arguments")
            << QStringList{"--verbose", "file.cnfg", "h:B"} << "B" << 0;
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, name);
        QFETCH(int, port);
        std::vector<std::string> list;
        for (const QString& a : args)
            list.push_back(a.toStdString());
        CQuillonCommandLineInfo info;
        info.Parse(list);
        QCOMPARE(QString::fromStdString(info.GetInstrumentName()), name);
        QCOMPARE(int(info.GetMonitorComPort()), port);
    }

    void startsOnlyWithAUsableCommandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::newRow("launcher") << QStringList{"h:GC1", "-MCP:COM3"} << "";
        QTest::newRow("slash flag") << QStringList{"/MCP:COM12", "h:Lab 2"} << "";
        QTest::newRow("letters not examined") << QStringList{"h:A", "-MCP:XYZ7"} << "";
        QTest::newRow("none") << QStringList{} << "no instrument named (h:NAME)";
        QTest::newRow("help") << QStringList{"--help"} << "";
        QTest::newRow("port zero") << QStringList{"h:A", "-MCP:COM0"}
                                   << "the port must be a number from 1 to 9999, not \"0\"";
        QTest::newRow("port not a number") << QStringList{"h:A", "-MCP:COMx"}
                                           << "the port must be a number from 1 to 9999, not \"x\"";
        QTest::newRow("port with a tail") << QStringList{"h:A", "-MCP:COM3a"}
                                          << "the port must be a number from 1 to 9999, not \"3a\"";
        QTest::newRow("no port") << QStringList{"h:A"} << "no port given (-MCP:COMn)";
        QTest::newRow("unknown switch")
            << QStringList{"h:A", "-MCP:COM1", "--verbose"} << "unknown argument \"--verbose\"";
        QTest::newRow("empty name")
            << QStringList{"h:", "-MCP:COM1"}
            << "the instrument name must be one folder name of its own: it is empty";
        QTest::newRow("name leaving the database") << QStringList{"h:../../x", "-MCP:COM1"}
                                                   << "the instrument name must be one folder name "
                                                      "of its own: \"../../x\" contains \"/\"; it "
                                                      "must name no folder";
        QTest::newRow("name of the folder above")
            << QStringList{"h:..", "-MCP:COM1"}
            << "the instrument name must be one folder name of its "
               "own: \"..\" would name a folder above or at this one";
    }
    void startsOnlyWithAUsableCommandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        std::vector<std::string> list;
        for (const QString& a : args)
            list.push_back(a.toStdString());
        CQuillonCommandLineInfo info;
        info.Parse(list);
        std::string why;
        const bool usable = args.size() >= 2 && error.isEmpty();
        QCOMPARE(info.Check(why), usable ? 1 : 0);
        QCOMPARE(QString::fromStdString(why), error);
    }

    void elapsedTime_data()
    {
        QTest::addColumn<int>("hundredths");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0 << "00:00:0.00";
        QTest::newRow("12 min 30 s") << 75000 << "00:00:12.50";
        QTest::newRow("one hour") << 360000 << "00:01:0.00";
        QTest::newRow("one day") << 8640000 << "01:00:0.00";
        QTest::newRow("1 h 59 min 59 s") << 719900 << "00:01:59.98";
    }
    void elapsedTime()
    {
        QFETCH(int, hundredths);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(monitor::ElapsedTimeText(hundredths)), text);
    }

    void statusTexts()
    {
        QCOMPARE(QString::fromStdString(monitor::RecordingText(false)), QString("Stopped"));
        QCOMPARE(QString::fromStdString(monitor::RecordingText(true)), QString("In Progress"));
        QCOMPARE(QString::fromStdString(monitor::InstrumentText("")), QString("()"));
        QCOMPARE(
            QString::fromStdString(monitor::FrequencyText(monitor::CorrectedFrequency(1.5f, 7.0))),
            QString("10.50"));
        QCOMPARE(
            QString::fromStdString(monitor::FrequencyText(monitor::CorrectedFrequency(0.0f, 7.0))),
            QString("7.00"));
    }

    void wordsDurationsAndTheLinksToolTip()
    {
        QCOMPARE(QString::fromStdString(monitor::StatusWordText(0x0800)), QString("0x0800"));
        QCOMPARE(QString::fromStdString(monitor::StatusWordText(0x0001)), QString("0x0001"));
        QCOMPARE(QString::fromStdString(monitor::StatusWordText(0x1ABCD)), QString("0xABCD"));
        QCOMPARE(QString::fromStdString(monitor::DurationText(0)), QString("00:00:00"));
        QCOMPARE(QString::fromStdString(monitor::DurationText(3725)), QString("01:02:05"));
        QCOMPARE(QString::fromStdString(monitor::DurationText(-5)), QString("00:00:00"));
        QCOMPARE(QString::fromStdString(monitor::DurationText(100 * 3600)), QString("100:00:00"));
        CLinkStatus link;
        link.SetPortNumber(4);
        QCOMPARE(QString::fromStdString(monitor::LinkToolTip(link)),
                 QString("COM4 names no device"));
        link.SetDevicePath("/dev/ttyS3");
        link.SetDetail("Permission denied");
        QCOMPARE(QString::fromStdString(monitor::LinkToolTip(link)),
                 QString("COM4 is /dev/ttyS3\nPermission denied"));
    }
};

QTEST_APPLESS_MAIN(TestMonitorText)
#include "tst_monitortext.moc"
