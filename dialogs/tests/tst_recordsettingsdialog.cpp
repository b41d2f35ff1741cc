// The data-settings dialog: the settings file shown, the arrows' search for
// the next free name, Browse through the file-dialog service, and OK with
// its overwrite question, its checks and the settings file it writes.

#include "DataSettings.h"
#include "DialogRecordSettings.h"
#include "DialogTestSupport.h"
#include "FileDialogService.h"

#include <QScrollBar>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

using namespace dialogtest;

namespace {

enum { kFolder = 1082, kBrowse = 1083, kPrefix = 1040, kIndex = 1080, kArrows = 1061, kOk = 1060 };

void Touch(const QString& path)
{
    std::ofstream(path.toStdString()) << "x";
}

CDataSettings ReadSettings(const std::string& path)
{
    CDataSettings settings;
    std::string message;
    settings.LoadFromFile(path, message);
    return settings;
}

} // namespace

class TestRecordSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(LoadResources()); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_settings = m_dir->filePath("Config/TarvolinMonitorDataSettings.cfg").toStdString();
        m_data = m_dir->filePath("data").toStdString();
        std::filesystem::create_directories(m_data);
    }

    void showsTheKeptSettingsOrTheDefaults()
    {
        {
            CDataRecorder recorder;
            CDialogRecordSettings dialog(recorder, m_settings, "Tarvolin Monitor");
            QCOMPARE(dialog.windowTitle(), QString("Data Settings"));
            QCOMPARE(Text(dialog, kFolder), QString());
            QCOMPARE(Text(dialog, kPrefix), QString());
            QCOMPARE(Text(dialog, kIndex), QString("001"));
        }
        CDataSettings kept;
        kept.SetFilePath(m_data + "/");
        kept.SetLeftFilePath("gc");
        kept.SetPosition(7);
        std::filesystem::create_directories(std::filesystem::path(m_settings).parent_path());
        std::string message;
        QVERIFY(kept.SaveToFile(m_settings, message));
        CDataRecorder recorder;
        CDialogRecordSettings dialog(recorder, m_settings, "Tarvolin Monitor");
        QCOMPARE(Text(dialog, kFolder), QString::fromStdString(m_data + "/"));
        QCOMPARE(Text(dialog, kPrefix), QString("gc"));
        QCOMPARE(Text(dialog, kIndex), QString("007"));
        QCOMPARE(QString::fromStdString(recorder.GetFileName()), QString("gc007.KLYN"));
    }

    void arrowsStepToTheNextFreeName_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("index");
        const struct {
            const char* name;
            QStringList existing;
            const char* typed;
            int step;
            const char* index;
        } rows[] = {
            {"up past a name in use", {"r002.KLYN"}, "001", 1, "003"},
            {"down at 1 stays 1", {"r001.KLYN"}, "001", -1, "001"},
            {"down past names in use", {"r004.KLYN", "r003.KLYN"}, "005", -1, "002"},
            {"down stops at 1 in use", {"r001.KLYN", "r002.KLYN"}, "003", -1, "001"},
            {"the typed index is where it starts", {}, "7", 1, "008"},
            {"four digits after 999", {}, "999", 1, "1000"},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name)
                << row.existing << QString(row.typed) << row.step << QString(row.index);
    }
    void arrowsStepToTheNextFreeName()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, typed);
        QFETCH(int, step);
        QFETCH(QString, index);
        for (const QString& name : existing)
            Touch(QString::fromStdString(m_data) + "/" + name);
        CDataRecorder recorder;
        CDialogRecordSettings dialog(recorder, m_settings, "Tarvolin Monitor");
        SetText(dialog, kFolder, QString::fromStdString(m_data));
        SetText(dialog, kPrefix, "r");
        SetText(dialog, kIndex, typed);
        auto* arrows = CResourceLibrary::Control<QScrollBar>(dialog.Form(), kArrows);
        QVERIFY(arrows);
        // The upper arrow is "up", as on the index's own arrows.
        arrows->triggerAction(step > 0 ? QAbstractSlider::SliderSingleStepSub
                                       : QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(Text(dialog, kIndex), index);
        QCOMPARE(QString::fromStdString(recorder.GetFileName()), "r" + index + ".KLYN");
        // The arrows rest where they were: a second press steps again.
        QCOMPARE(arrows->value(), 500);
    }

    void browseTakesTheChosenFolder()
    {
        CDataRecorder recorder;
        CDialogRecordSettings dialog(recorder, m_settings, "Tarvolin Monitor");
        SetText(dialog, kPrefix, "typed");
        CFileDialogRecorder files;
        files.QueueCancel();
        QVERIFY(Click(dialog, kBrowse));
        QCOMPARE(Text(dialog, kFolder), QString());
        files.QueueAnswer(m_data);
        QVERIFY(Click(dialog, kBrowse));
        QCOMPARE(Text(dialog, kFolder), QString::fromStdString(m_data + "/"));
        // What was typed stays.
        QCOMPARE(Text(dialog, kPrefix), QString("typed"));
        const auto requests = files.Requests();
        QCOMPARE(requests.size(), size_t(2));
        QCOMPARE(requests[0].kind, FileDialogKind::Folder);
        QCOMPARE(QString::fromStdString(requests[0].title),
                 QString("Please select a folder for storing received files :"));
        QCOMPARE(requests[0].flags, 0x49u);
    }

    void okAsksBeforeReplacingAndKeepsTheSettings_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("index");
        QTest::newRow("No moves to the next free index") << int(IDNO) << QString("002");
        QTest::newRow("Yes keeps the name") << int(IDYES) << QString("001");
    }
    void okAsksBeforeReplacingAndKeepsTheSettings()
    {
        QFETCH(int, answer);
        QFETCH(QString, index);
        Touch(QString::fromStdString(m_data + "/gc001.KLYN"));
        CDataRecorder recorder;
        CDialogRecordSettings dialog(recorder, m_settings, "Tarvolin Monitor");
        dialog.show();
        SetText(dialog, kFolder, QString::fromStdString(m_data));
        SetText(dialog, kPrefix, "gc");
        SetText(dialog, kIndex, "001");
        CMessageRecorder messages;
        messages.QueueAnswer(answer);
        QSignalSpy prepared(&dialog, &CDialogRecordSettings::prepared);
        QVERIFY(Click(dialog, kOk));
        QCOMPARE(messages.Count(), size_t(1));
        const auto question = messages.Messages()[0];
        QCOMPARE(QString::fromStdString(question.caption), QString("Tarvolin Monitor  Warning"));
        QCOMPARE(QString::fromStdString(question.text),
                 QString::fromStdString("The file " + m_data +
                                        "/gc001.KLYN already exists.\n\n"
                                        "Do you want to replace it?"));
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(prepared.count(), 1);
        QCOMPARE(prepared[0][0].toBool(), answer == IDYES);
        QCOMPARE(Text(dialog, kIndex), index);
        const CDataSettings kept = ReadSettings(m_settings);
        QCOMPARE(QString::fromStdString(kept.GetFilePathe()), QString::fromStdString(m_data + "/"));
        QCOMPARE(QString::fromStdString(kept.GetLeftFilePathe()), QString("gc"));
        QCOMPARE(kept.GetPosition(), index.toInt());
    }

    void okTakesTheTypedIndexAsTheNumber()
    {
        CDataRecorder recorder;
        CDialogRecordSettings dialog(recorder, m_settings, "Tarvolin Monitor");
        SetText(dialog, kFolder, QString::fromStdString(m_data));
        SetText(dialog, kPrefix, "gc");
        SetText(dialog, kIndex, "12");
        QVERIFY(Click(dialog, kOk));
        QCOMPARE(ReadSettings(m_settings).GetPosition(), 12);
        QCOMPARE(QString::fromStdString(recorder.GetFileName()), QString("gc12.KLYN"));
        // Text that is no number is used as typed; the number stays.
        SetText(dialog, kIndex, "12b");
        QVERIFY(Click(dialog, kOk));
        QCOMPARE(ReadSettings(m_settings).GetPosition(), 12);
        QCOMPARE(QString::fromStdString(recorder.GetFileName()), QString("gc12b.KLYN"));
    }

    void okWithoutAFolderTakesTheInstrumentsDataFolder()
    {
        CDataRecorder recorder;
        const std::string data = m_dir->filePath("GC1/Data").toStdString();
        recorder.SetDefaultFolder(data);
        CDialogRecordSettings dialog(recorder, m_settings, "Tarvolin Monitor");
        QVERIFY(Click(dialog, kOk));
        QCOMPARE(Text(dialog, kFolder), QString::fromStdString(data + "/"));
        QCOMPARE(Text(dialog, kPrefix), QString("file"));
        QVERIFY(std::filesystem::is_directory(data));
        QCOMPARE(QString::fromStdString(recorder.GetFullPath()),
                 QString::fromStdString(data + "/file001.KLYN"));
    }

    void aNameThatLeavesTheFolderIsRefused_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("index");
        QTest::newRow("prefix with a folder") << QString("../x") << QString("001");
        QTest::newRow("index with a folder") << QString("x") << QString("1/../../2");
    }
    void aNameThatLeavesTheFolderIsRefused()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, index);
        CDataRecorder recorder;
        CDialogRecordSettings dialog(recorder, m_settings, "Tarvolin Monitor");
        dialog.show();
        SetText(dialog, kFolder, QString::fromStdString(m_data));
        SetText(dialog, kPrefix, prefix);
        SetText(dialog, kIndex, index);
        CMessageRecorder messages;
        QVERIFY(Click(dialog, kOk));
        QCOMPARE(messages.Count(), size_t(1));
        QVERIFY2(QString::fromStdString(messages.Messages()[0].text).contains("cannot be used"),
                 messages.Messages()[0].text.c_str());
        QVERIFY(dialog.isVisible());
        QVERIFY(!std::filesystem::exists(m_settings));
        QCOMPARE(QString::fromStdString(recorder.GetPrefix()), QString());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::string m_settings;
    std::string m_data;
};

QTEST_MAIN(TestRecordSettingsDialog)
#include "tst_recordsettingsdialog.moc"
