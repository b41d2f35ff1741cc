// The Launcher's window as an operator meets it: the first start on a bare
// workstation, the list as the file holds it, the Add and Modify dialogs with
// their messages and refusals, Delete with its question, a damaged list, and
// the list following changes made by a script. Messages are captured;
// modal dialogs are driven once they are up.
#include "AddDeviceDlg.h"
#include "ConnectionsListCtrl.h"
#include "CustomButtonBase.h"
#include "InstrumentConnections.h"
#include "LauncherMessages.h"
#include "LauncherResources.h"
#include "ModifyDialog.h"
#include "TarvolinLauncherDlg.h"
#include "TarvolinLauncherLeftButtonBar.h"
#include "TarvolinLauncherRightButtonBar.h"
#include "TempFolder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

// Runs act on the modal dialog of type T once it is up (polling, with a
// deadline); a dialog that never comes fails the test instead of hanging it.
template <class T> void WhenModal(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    auto deadline = std::make_shared<QDeadlineTimer>(30000);
    QObject::connect(timer, &QTimer::timeout, [timer, act, deadline] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (deadline->hasExpired()) {
            timer->stop();
            timer->deleteLater();
            QFAIL("the dialog did not come up");
        }
    });
    timer->start(10);
}

QStringList Texts(const CMessageRecorder& messages)
{
    QStringList texts;
    for (const CMessageRecorder::Message& m : messages.Messages())
        texts.append(QString::fromStdString(m.text));
    return texts;
}

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT

    testsupport::CTempDir m_dir;
    std::string m_database;
    std::unique_ptr<CInstrumentConnections> m_connections;
    std::unique_ptr<CTarvolinLauncherDlg> m_window;
    int m_nCase = 0;

    CTarvolinLauncherDlg& Window()
    {
        m_window = std::make_unique<CTarvolinLauncherDlg>(
            *m_connections, CProgramStarter(QString::fromStdString(m_database + "/no-programs")));
        m_window->Initialize();
        return *m_window;
    }
    CGeneralPCSettings ListNow()
    {
        CGeneralPCSettings list;
        std::string msg;
        [&] { QVERIFY2(m_connections->List(list, msg), msg.c_str()); }();
        return list;
    }
    void Add(const char* name, int port)
    {
        std::string msg;
        QVERIFY2(m_connections->Add(name, port, msg), msg.c_str());
    }

private slots:
    void initTestCase() { CLauncherResources::Initialize(); }

    void init()
    {
        m_database = (m_dir.Path() / ("case" + std::to_string(++m_nCase)) / "Database").string();
        m_connections = std::make_unique<CInstrumentConnections>(m_database);
    }
    void cleanup() { m_window.reset(); }

    void theFirstStartIsReadyForTheFirstAdd()
    {
        CMessageRecorder messages;
        std::string msg;
        QVERIFY(m_connections->Provision(msg));
        CTarvolinLauncherDlg& window = Window();
        QCOMPARE(window.GetList()->count(), 0);
        QVERIFY(window.GetList()->GetEmptyText().startsWith("No instruments yet."));
        QCOMPARE(testsupport::ReadBytes(m_connections->GetListPath()), (Bytes{0x00, 0x00}));
        QVERIFY(fs::is_regular_file(m_database + "/Default/Config/TarvolinMonitorIniSettings.ini"));
        QCOMPARE(messages.Count(), size_t(0));
        QCOMPARE(window.windowTitle(), QStringLiteral("Tarvolin Launcher"));
        // The bars carry their buttons, with the pictures and tool tips of the text.
        const struct {
            CButtonPannel* bar;
            unsigned id;
            const char* tip;
        } buttons[] = {{window.GetCommandBar(), 1005, "Add"},
                       {window.GetCommandBar(), 1007, "Edit"},
                       {window.GetCommandBar(), 1006, "Delete"},
                       {window.GetProgramBar(), 1021, "Help"},
                       {window.GetProgramBar(), 1022, "Tarvolin Analyzer"}};
        for (const auto& b : buttons) {
            CCustomButtonBase* button = b.bar->GetButton(b.id);
            QVERIFY2(button, qPrintable(QString::number(b.id)));
            QCOMPARE(button->toolTip(), QString::fromLatin1(b.tip));
            QVERIFY(!CLauncherResources::Bitmap(static_cast<int>(button->GetBitmapId())).isNull());
        }
        QCOMPARE(CLauncherResources::Bitmap(147).size(), QSize(100, 144));
    }

    void theListShowsNamesTrimmedInFileOrder()
    {
        std::string msg;
        QVERIFY(m_connections->Provision(msg));
        CGeneralPCSettings list;
        for (const char* name : {"  GC1 ", "", "   ", "Line B", "gerät 3"})
            list.Add({"2", name});
        QVERIFY(CGeneralPCSettingsHandler(m_connections->GetListPath()).Write(list, msg));
        CTarvolinLauncherDlg& window = Window();
        QCOMPARE(window.GetList()->GetNames(), (QStringList{"GC1", "Line B", "gerät 3"}));
        QCOMPARE(window.GetList()->item(1)->toolTip(), QStringLiteral("Line B on COM2"));
    }

    void addSaysWhatHappened_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("portIndex");
        QTest::addColumn<bool>("added");
        QTest::addColumn<QString>("said");
        QTest::newRow("a new instrument on COM8")
            << "GC Lab 2" << 7 << true << CLauncherMessages::kCreated;
        QTest::newRow("COM1 preselected")
            << "GC Lab 2" << -1 << true << CLauncherMessages::kCreated;
        QTest::newRow("empty") << "  " << 0 << false << "Please enter an Instrument ID.";
        QTest::newRow("into the folder above")
            << "../x" << 0 << false << "cannot contain \"/\" or \"\\\"";
        QTest::newRow("the template's name") << "default" << 0 << false << "is reserved";
        QTest::newRow("a name in the list in another case")
            << "gc lab 1" << 0 << false
            << "An instrument named \"gc lab 1\" is already in the list (as \"GC Lab 1\").";
    }
    void addSaysWhatHappened()
    {
        QFETCH(QString, name);
        QFETCH(int, portIndex);
        QFETCH(bool, added);
        QFETCH(QString, said);
        Add("GC Lab 1", 1);
        const Bytes before = testsupport::ReadBytes(m_connections->GetListPath());
        CMessageRecorder messages;
        CAddDeviceDlg dialog(*m_connections, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add New Tarvolin Monitor"));
        QCOMPARE(dialog.GetPortList()->count(), 8);
        QCOMPARE(dialog.GetPortList()->currentText(), QStringLiteral("COM1"));
        QCOMPARE(dialog.GetPortList()->itemText(7), QStringLiteral("COM8"));
        dialog.GetNameEdit()->setText(name);
        if (portIndex >= 0)
            dialog.GetPortList()->setCurrentIndex(portIndex);
        dialog.show();

        QTest::mouseClick(dialog.GetAddButton(), Qt::LeftButton);
        QCOMPARE(messages.Count(), size_t(1));
        const CMessageRecorder::Message m = messages.Messages().front();
        QVERIFY2(QString::fromStdString(m.text).contains(said), m.text.c_str());
        QCOMPARE(m.icon, added ? MessageIcon::Information : MessageIcon::Warning);
        QCOMPARE(dialog.result(), added ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dialog.isVisible(), !added);
        if (added) {
            CDeviceConnection connection;
            std::string msg;
            QVERIFY(m_connections->Find(name.toStdString(), connection, msg));
            QCOMPARE(connection.GetPortNumber(), portIndex < 0 ? 1 : portIndex + 1);
            QVERIFY(fs::is_directory(m_database + "/" + name.toStdString() + "/Config"));
        } else {
            QCOMPARE(testsupport::ReadBytes(m_connections->GetListPath()), before);
            QCOMPARE(dialog.GetNameEdit()->text(), name); // what was typed stays
        }
    }

    void addThatCannotWriteKeepsTheDialogOpenAndSaysWhy()
    {
        std::string msg;
        QVERIFY(m_connections->Provision(msg));
        // Something in the list file's place that cannot be read.
        fs::remove(m_connections->GetListPath());
        fs::create_directories(m_connections->GetListPath());
        CMessageRecorder messages;
        CAddDeviceDlg dialog(*m_connections, nullptr);
        dialog.GetNameEdit()->setText(QStringLiteral("GC1"));
        QCOMPARE(dialog.OnAdd(), 0);
        QCOMPARE(messages.Count(), size_t(1));
        const CMessageRecorder::Message m = messages.Messages().front();
        QVERIFY2(m.text.rfind(CLauncherMessages::kConnectionFailed, 0) == 0, m.text.c_str());
        QVERIFY2(m.text.find(m_connections->GetListPath()) != std::string::npos, m.text.c_str());
        QCOMPARE(m.icon, MessageIcon::Error);
        QCOMPARE(m.caption, std::string(CLauncherMessages::kCaption));
        QVERIFY(dialog.result() != QDialog::Accepted);
    }

    void addFromTheButtonBarRefillsTheList()
    {
        std::string msg;
        QVERIFY(m_connections->Provision(msg));
        CMessageRecorder messages;
        CTarvolinLauncherDlg& window = Window();
        WhenModal<CAddDeviceDlg>([](CAddDeviceDlg* dialog) {
            dialog->GetNameEdit()->setText(QStringLiteral("Line B"));
            dialog->GetPortList()->setCurrentIndex(2);
            QTest::mouseClick(dialog->GetAddButton(), Qt::LeftButton);
        });
        window.OnButtonClicked(CTarvolinLauncherRightButtonBar::kAddButton);
        QCOMPARE(window.GetList()->GetNames(), QStringList{"Line B"});
        QCOMPARE(Texts(messages), QStringList{CLauncherMessages::kCreated});
        QCOMPARE(ListNow().GetAt(0), CDeviceConnection("3", "Line B"));
    }

    void modifyAndDeleteNeedASelection()
    {
        Add("GC1", 1);
        CMessageRecorder messages;
        CTarvolinLauncherDlg& window = Window();
        window.GetList()->clearSelection();
        window.OnButtonClicked(CTarvolinLauncherRightButtonBar::kModifyButton);
        window.OnButtonClicked(CTarvolinLauncherRightButtonBar::kDeleteButton);
        QCOMPARE(Texts(messages),
                 (QStringList{CLauncherMessages::kNoSelection, CLauncherMessages::kNoSelection}));
        QCOMPARE(ListNow().GetCount(), 1);
    }

    void modifyShowsTheStoredConnectionAndSavesThePort()
    {
        Add("GC1", 1);
        Add(" Line B ", 3);
        CMessageRecorder messages;
        CTarvolinLauncherDlg& window = Window();
        window.GetList()->SelectName(QStringLiteral("Line B"));
        WhenModal<CModifyDialog>([](CModifyDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Modify Tarvolin Monitor Settings"));
            QCOMPARE(dialog->GetNameEdit()->text(), QStringLiteral("Line B"));
            QVERIFY(!dialog->GetNameEdit()->isEnabled());
            QCOMPARE(dialog->GetPortList()->currentText(), QStringLiteral("COM3"));
            dialog->GetPortList()->setCurrentIndex(6);
            QTest::mouseClick(dialog->GetSaveButton(), Qt::LeftButton);
        });
        window.OnButtonClicked(CTarvolinLauncherRightButtonBar::kModifyButton);
        QCOMPARE(Texts(messages), QStringList{CLauncherMessages::kModified});
        QCOMPARE(ListNow().GetAt(1), CDeviceConnection("7", "Line B"));
        QCOMPARE(ListNow().GetAt(0), CDeviceConnection("1", "GC1"));
    }

    void modifyOfAPortBeyondTheListShowsIt()
    {
        std::string msg;
        QVERIFY(m_connections->Provision(msg));
        CGeneralPCSettings list;
        list.Add({"12", "Far"});
        QVERIFY(CGeneralPCSettingsHandler(m_connections->GetListPath()).Write(list, msg));
        CModifyDialog dialog(*m_connections, QStringLiteral("far"), nullptr);
        QVERIFY(dialog.IsFound());
        QCOMPARE(dialog.GetPortList()->currentText(), QStringLiteral("COM12"));
        // Kept as it is, it is refused: the dialogs offer COM1 to COM8.
        CMessageRecorder messages;
        QCOMPARE(dialog.OnSave(), 0);
        QCOMPARE(Texts(messages), QStringList{"The port must be COM1 to COM8."});
        dialog.GetPortList()->setCurrentIndex(1);
        QCOMPARE(dialog.OnSave(), 1);
        QCOMPARE(ListNow().GetAt(0), CDeviceConnection("2", "Far"));
    }

    void modifyOfAnInstrumentGoneMeanwhileShowsNoDialog()
    {
        Add("GC1", 1);
        CMessageRecorder messages;
        CModifyDialog dialog(*m_connections, QStringLiteral("GC2"), nullptr);
        QVERIFY(!dialog.IsFound());
        QCOMPARE(messages.Count(), size_t(0));
    }

    void deleteAsksWithNoPreselected()
    {
        // An older list may hold a name twice, in two spellings.
        std::string msg;
        QVERIFY(m_connections->Provision(msg));
        CGeneralPCSettings list;
        for (const char* name : {"GC1", "Line B", "gc1 "})
            list.Add({"1", name});
        QVERIFY(CGeneralPCSettingsHandler(m_connections->GetListPath()).Write(list, msg));
        CMessageRecorder messages;
        CTarvolinLauncherDlg& window = Window();
        window.GetList()->SelectName(QStringLiteral("GC1"));

        messages.QueueAnswer(IDNO);
        window.OnButtonClicked(CTarvolinLauncherRightButtonBar::kDeleteButton);
        QCOMPARE(ListNow().GetCount(), 3);
        const CMessageRecorder::Message question = messages.Messages().front();
        QCOMPARE(question.text, std::string(CLauncherMessages::kDeleteQuestion));
        QCOMPARE(question.buttons, MessageButtons::YesNoDefaultNo);
        QCOMPARE(question.icon, MessageIcon::Error);

        // Unanswered (no one to ask), the question takes its default: No.
        window.OnButtonClicked(CTarvolinLauncherRightButtonBar::kDeleteButton);
        QCOMPARE(ListNow().GetCount(), 3);

        messages.QueueAnswer(IDYES);
        window.OnButtonClicked(CTarvolinLauncherRightButtonBar::kDeleteButton);
        QCOMPARE(window.GetList()->GetNames(), QStringList{"Line B"});
        QCOMPARE(messages.Count(), size_t(3));
        QCOMPARE(ListNow().GetCount(), 1);
    }

    void aDamagedListIsReportedAndRepairedOnRequest_data()
    {
        QTest::addColumn<bool>("repair");
        QTest::newRow("kept as it is") << false;
        QTest::newRow("repaired") << true;
    }
    void aDamagedListIsReportedAndRepairedOnRequest()
    {
        QFETCH(bool, repair);
        Add("GC1", 1);
        Add("GC2", 2);
        Bytes damaged = testsupport::ReadBytes(m_connections->GetListPath());
        damaged.resize(damaged.size() - 2);
        testsupport::WriteBytes(m_connections->GetListPath(), damaged);

        CMessageRecorder messages;
        messages.QueueAnswer(repair ? IDYES : IDNO);
        CTarvolinLauncherDlg& window = Window();
        const CMessageRecorder::Message question = messages.Messages().front();
        QVERIFY2(question.text.find(m_connections->GetListPath() + "\" is damaged") !=
                     std::string::npos,
                 question.text.c_str());
        QVERIFY(question.text.find("connection failed") == std::string::npos);
        QCOMPARE(question.buttons, MessageButtons::YesNoDefaultNo);
        if (!repair) {
            QCOMPARE(messages.Count(), size_t(1));
            QCOMPARE(window.GetList()->count(), 0);
            QVERIFY(window.GetList()->GetEmptyText().contains("is damaged"));
            QCOMPARE(testsupport::ReadBytes(m_connections->GetListPath()), damaged);
            // Add then says the same, and the file stays as it is.
            messages.QueueAnswer(IDNO);
            CAddDeviceDlg dialog(*m_connections, nullptr);
            dialog.GetNameEdit()->setText(QStringLiteral("GC3"));
            QCOMPARE(dialog.OnAdd(), 0);
            QVERIFY(Texts(messages).last().contains("is damaged"));
            QCOMPARE(testsupport::ReadBytes(m_connections->GetListPath()), damaged);
        } else {
            QCOMPARE(window.GetList()->GetNames(), QStringList{"GC1"});
            QVERIFY(Texts(messages).last().contains(".damaged\"."));
            QCOMPARE(testsupport::ReadBytes(m_connections->GetListPath() + ".damaged"), damaged);
        }
    }

    void theListFollowsChangesMadeElsewhere()
    {
        Add("GC1", 1);
        CTarvolinLauncherDlg& window = Window();
        QCOMPARE(window.GetList()->GetNames(), QStringList{"GC1"});
        // As `tarvolin instruments` in a script would, through another object.
        CInstrumentConnections other(m_database);
        std::string msg;
        QVERIFY(other.Add("Line B", 4, msg));
        QTRY_COMPARE_WITH_TIMEOUT(window.GetList()->GetNames(), (QStringList{"GC1", "Line B"}),
                                  30000);
        QVERIFY(other.Delete("gc1", msg));
        QTRY_COMPARE_WITH_TIMEOUT(window.GetList()->GetNames(), QStringList{"Line B"}, 30000);
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
