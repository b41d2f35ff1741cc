// Documents in the Analyzer's window: what opens and what does not, with
// which message; notes of salvaged recordings; each document's own
// configuration; the four-document limit on every way in; the intermediate
// file; the configuration files and the parameter dialogs on a document.

#include "AnalyzerTestSupport.h"
#include "AnalyzerTitleBar.h"
#include "ByteOrder.h"
#include "DVDoc.h"
#include "DVFrame.h"
#include "QuillonBoardChanDialog.h"
#include "QuillonGatesModesDialog.h"
#include "QuillonRunLogDialog.h"
#include "QuillonSetEventDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>

#include <filesystem>

using namespace analyzertest;

namespace {

float FirstValue(const ODVFrame* frame, int trace = 0)
{
    return frame->GetDocument()->Data().GetChromatogram().traces[static_cast<size_t>(trace)][0];
}

} // namespace

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void ninePulsesAreRefusedTenOpen()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        QVERIFY(!frame->OpenDocumentFile(world.Ramps("nine.KLYN", 9)));
        QCOMPARE(world.Messages(), QStringList{"Problem reading document."});
        QCOMPARE(world.messages.Messages()[0].icon, MessageIcon::Warning);
        QCOMPARE(frame->GetOpenDocumentCount(), 0);
        // The reason is in the status bar, and nothing is left behind.
        QVERIFY(frame->GetStatusText().contains("10"));
        QVERIFY(!QFileInfo::exists(world.File("nine.INTN")));

        ODVFrame* ten = frame->OpenDocumentFile(world.Ramps("ten.KLYN", 10));
        QVERIFY(ten);
        QCOMPARE(world.messages.Count(), size_t(1));
        QCOMPARE(frame->GetOpenDocumentCount(), 1);
        QCOMPARE(ten->windowTitle(), QString("ten.KLYN"));
        QCOMPARE(frame->TitleBar()->GetText(), QString(" Tarvolin Analyzer - [ten.KLYN]"));
        QCOMPARE(ten->GetDocument()->Data().GetPulseCount(), 10);
        QCOMPARE(frame->GetNoteText(), QString());
        QCOMPARE(frame->GetStatusText(), QString("Ready"));
    }

    void whatIsNotARecordingCannotBeOpened()
    {
        CWorld world;
        testsupport::WriteBytes(world.dir.File("notes.KLYN"), {'h', 'e', 'l', 'l', 'o'});
        auto frame = world.MakeFrame();
        QVERIFY(!frame->OpenDocumentFile(world.File("notes.KLYN")));
        QVERIFY(!frame->OpenDocumentFile(world.File("missing.KLYN")));
        QCOMPARE(world.Messages(),
                 (QStringList{"Could not open the document.", "Could not open the document."}));
        QCOMPARE(frame->GetOpenDocumentCount(), 0);
    }

    void theIntermediateFileLivesAsLongAsTheDocument()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        QVERIFY(frame->OpenDocumentFile(world.Ramps("run.KLYN", 12)));
        QVERIFY(QFileInfo::exists(world.File("run.INTN")));
        frame->Execute(CMainFrame::kFileClose);
        QCOMPARE(frame->GetOpenDocumentCount(), 0);
        QVERIFY(!QFileInfo::exists(world.File("run.INTN")));
        QTRY_COMPARE(frame->TitleBar()->GetText(), QString(" Tarvolin Analyzer"));
        QVERIFY(!frame->Action(CMainFrame::kGateMode)->isEnabled());
    }

    void aSalvagedRecordingOpensWithItsNote()
    {
        CWorld world;
        const std::string path = world.dir.File("crashed.KLYN");
        const CDataFileHeader header = Header({Gate(GM_S, 1.0, 2.0)});
        QVERIFY(Write(path, header, Ramps(14)));
        // The count was never written: the recorder stopped before its end.
        std::vector<uint8_t> bytes = testsupport::ReadBytes(path);
        le::Put32(&bytes[header.CountPosition()], 0);
        testsupport::WriteBytes(path, bytes);

        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(QString::fromStdString(path));
        QVERIFY(child);
        QCOMPARE(world.messages.Count(), size_t(0));
        QCOMPARE(child->GetDocument()->Data().GetPulseCount(), 14);
        const QString note = frame->GetNoteText();
        QVERIFY(!note.isEmpty());
        QCOMPARE(note, QString::fromStdString(child->GetDocument()->Data().GetSalvageNote()));
        QVERIFY(note.contains("14"));
    }

    void aRebuiltTimeAxisIsNoted()
    {
        CWorld world;
        std::vector<CPulseData> pulses = Ramps(12);
        for (CPulseData& p : pulses)
            p.SetPulseTime(0); // a board that stamped nothing outside a run
        QVERIFY(Write(world.dir.File("manual.KLYN"), Header({Gate(GM_S, 1.0, 2.0)}), pulses));
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.File("manual.KLYN"));
        QVERIFY(child);
        QVERIFY(frame->GetNoteText().contains("rebuilt"));
        const std::vector<float>& times = child->GetDocument()->Data().GetChromatogram().times;
        QVERIFY(times.back() > times.front());
    }

    void twoDocumentsKeepTheirOwnConfigurations()
    {
        CWorld world;
        // Same pulses; one file subtracts half of window B, the other adds it.
        const std::vector<CPulseData> pulses = Ramps(10);
        QVERIFY(Write(world.dir.File("minus.KLYN"),
                      Header({Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_MINUS, 0.5)}), pulses));
        QVERIFY(Write(world.dir.File("plus.KLYN"),
                      Header({Gate(GM_S, 1.0, 2.0, 3.0, 4.0, GO_PLUS, 0.5)}), pulses));
        auto frame = world.MakeFrame();
        ODVFrame* minus = frame->OpenDocumentFile(world.File("minus.KLYN"));
        QVERIFY(minus);
        const float before = FirstValue(minus);
        // A = mean of 110..120 = 115, B = mean of 130..140 = 135.
        QCOMPARE(before, 115.0f - 0.5f * 135.0f);
        ODVFrame* plus = frame->OpenDocumentFile(world.File("plus.KLYN"));
        QVERIFY(plus);
        QCOMPARE(FirstValue(plus), 115.0f + 0.5f * 135.0f);

        // Recalculating the first one still subtracts.
        frame->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(minus->parentWidget()));
        QCOMPARE(frame->ActiveFrame(), minus);
        frame->Execute(CMainFrame::kRecalculate);
        QCOMPARE(FirstValue(minus), before);
        QCOMPARE(
            minus->GetDocument()->Data().GetWorkingConfiguration().GetGateModeData(0).GetOperator(),
            short(0));
        QCOMPARE(world.messages.Count(), size_t(0));
    }

    void theFifthDocumentIsRefusedHoweverItIsOpened()
    {
        CWorld world;
        QStringList paths;
        for (int n = 1; n <= 5; ++n)
            paths << world.Ramps("run" + std::to_string(n) + ".KLYN", 10);
        const QString limit = QString::fromLatin1(CMainFrame::kTooManyDocuments);

        // The command line opens four and refuses the fifth, once.
        {
            auto frame = world.MakeFrame();
            QCOMPARE(frame->OpenFiles(paths), 4);
            QCOMPARE(frame->GetOpenDocumentCount(), 4);
            QCOMPARE(world.Messages(), QStringList{limit});
        }
        world.messages.Clear();

        auto frame = world.MakeFrame(true);
        for (int n = 0; n < 4; ++n)
            QVERIFY(frame->OpenDocumentFile(paths[n]));
        // The fifth file on top of the recent list (as another session may leave it).
        frame->AddToRecentFileList(paths[4]);
        QCOMPARE(frame->RecentFiles().Files().first(), QFileInfo(paths[4]).absoluteFilePath());

        // Open: refused before any file dialog.
        frame->Execute(CMainFrame::kFileOpen);
        QCOMPARE(world.files.Count(), size_t(0));
        QCOMPARE(world.Messages(), QStringList{limit});

        // The recent list: refused, and the entry stays.
        QVERIFY(!frame->OpenRecentFile(0));
        QCOMPARE(world.Messages(), (QStringList{limit, limit}));
        QCOMPARE(frame->RecentFiles().Files().first(), QFileInfo(paths[4]).absoluteFilePath());

        // A drop on the window.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(paths[4])});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(frame.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(frame.get(), &drop);
        QTRY_COMPARE(world.Messages(), (QStringList{limit, limit, limit}));
        QCOMPARE(frame->GetOpenDocumentCount(), 4);

        // A file already open is brought forward, not refused.
        QCOMPARE(frame->OpenDocumentFile(paths[0]), frame->Frames()[0]);
        QCOMPARE(world.messages.Count(), size_t(3));
        QCOMPARE(frame->GetOpenDocumentCount(), 4);
    }

    void openAndRecentFilesGoThroughTheFileDialogAndTheProfile()
    {
        CWorld world;
        const QString path = world.Ramps("picked.KLYN", 10);
        {
            auto frame = world.MakeFrame(true);
            world.files.QueueAnswer(path.toStdString());
            QVERIFY(frame->OnFileOpen());
            const CFileDialogRequest request = world.files.Requests().at(0);
            QCOMPARE(request.kind, FileDialogKind::Open);
            QCOMPARE(request.filter, std::string(CMainFrame::kOpenFilter));
        }
        // The next session offers it in the File menu.
        auto frame = world.MakeFrame(true);
        QCOMPARE(frame->RecentFiles().Files(), QStringList{QFileInfo(path).absoluteFilePath()});
        QVERIFY(frame->OpenRecentFile(0));
        // A recent file that has gone away leaves the list.
        frame->Execute(CMainFrame::kFileClose);
        QFile::remove(path);
        QVERIFY(!frame->OpenRecentFile(0));
        QCOMPARE(world.Messages(), QStringList{"Could not open the document."});
        QVERIFY(frame->RecentFiles().Files().isEmpty());
    }

    void aGateEditInTheDialogRecalculates()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("gates.KLYN", 10));
        QVERIFY(child);
        QCOMPARE(FirstValue(child), 115.0f);
        frame->Execute(CMainFrame::kGateMode);
        CQuillonGatesModesDialog* dialog = child->GateDialog();
        QVERIFY(dialog->isVisible());
        QTRY_COMPARE(dialog->RowTexts().size(), 1);
        // "Export AIA..." is there.
        auto* exportAia = dialog->Control<QPushButton>(1088);
        QVERIFY(exportAia && !exportAia->isHidden() && exportAia->isEnabled());

        dialog->SelectRow(0);
        dialog->Control<QLineEdit>(1032)->setText("2.0"); // window A from 2.0 ms
        dialog->Control<QLineEdit>(1025)->setText("3.0");
        dialog->Change();
        QCOMPARE(FirstValue(child), 115.0f); // not before OK
        dialog->Ok();
        // Samples 20 to 30 of pulse 0: 120 to 130.
        QTRY_COMPARE(FirstValue(child), 125.0f);
        QTRY_VERIFY(!dialog->isVisible());
        QCOMPARE(child->GetDocument()->Data().GetRecords().gates[0].GetStartA(), 2.0);
        QCOMPARE(world.messages.Count(), size_t(0));
    }

    void boardChannelEditsTheDocumentWithoutZeroAndSet()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("zero.KLYN", 10));
        QVERIFY(child);
        frame->Execute(CMainFrame::kBoardChannel);
        CQuillonBoardChanDialog* dialog = child->BoardDialog();
        QVERIFY(dialog->isVisible());
        for (int id : {1012, 1015, 1019, 1020})
            QVERIFY(!dialog->Control<QPushButton>(id)->isEnabled());
        QTRY_VERIFY(!dialog->IsBusy());
        // Channel 2 zeroes the first gate by 15 counts.
        dialog->Control<QLineEdit>(1021)->setText("15");
        dialog->Ok();
        QTRY_COMPARE(FirstValue(child), 100.0f);
        QCOMPARE(child->GetDocument()->Data().GetRecords().channels[1].GetChannelZero(), 15);
    }

    void timedEventsGoIntoTheDocument()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("events.KLYN", 10));
        QVERIFY(child);
        frame->Execute(CMainFrame::kTimedEvents);
        CQuillonSetEventDialog* dialog = child->EventDialog();
        QTRY_VERIFY(!dialog->IsBusy());
        QCOMPARE(dialog->RowTexts().size(), 0);
        dialog->Control<QLineEdit>(1024)->setText("1.5");
        dialog->Add();
        QCOMPARE(dialog->RowTexts().size(), 1);
        dialog->Ok();
        QTRY_COMPARE(child->GetDocument()->Data().GetRecords().events.GetCount(), 1);
        QTRY_VERIFY(!dialog->isVisible());
    }

    void configurationFilesThroughTheFileDialogs()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("cfg.KLYN", 10));
        QVERIFY(child);
        const QString saved = world.File("setup.cnfg");
        world.files.QueueAnswer(saved.toStdString());
        frame->Execute(CMainFrame::kSaveCfgFile);
        QVERIFY(QFileInfo::exists(saved));
        QCOMPARE(world.files.Requests().back().filter,
                 std::string("Tarvolin Monitor (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||"));

        CGateParameters gates = child->GetDocument()->Data().GetRecords().gates;
        gates[0].SetStartA(3.0);
        gates[0].SetStopA(4.0);
        QVERIFY(child->GetDocument()->ApplyGates(gates));
        QCOMPARE(FirstValue(child), 135.0f);

        world.files.QueueAnswer(saved.toStdString());
        frame->Execute(CMainFrame::kOpenCfgFile);
        QCOMPARE(world.files.Requests().back().filter,
                 std::string("Tarvolin Analyzer (*.cnfg)|*.cnfg*|All Files (*.*)|*.*||"));
        QCOMPARE(FirstValue(child), 115.0f);

        // Not a configuration file: said so, and nothing changes.
        testsupport::WriteBytes(world.dir.File("junk.cnfg"), std::vector<uint8_t>(400, 9));
        world.files.QueueAnswer(world.dir.File("junk.cnfg"));
        frame->Execute(CMainFrame::kOpenCfgFile);
        QCOMPARE(world.messages.Count(), size_t(1));
        QCOMPARE(world.messages.Messages()[0].icon, MessageIcon::Warning);
        QCOMPARE(FirstValue(child), 115.0f);
    }

    void theLogListsWhatWasAnalysed()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        QVERIFY(!frame->Action(CMainFrame::kLog)->isEnabled());
        QVERIFY(frame->OpenDocumentFile(world.Ramps("logged.KLYN", 10)));
        frame->Execute(CMainFrame::kLog);
        CQuillonRunLogDialog* log = frame->RunLogDialog();
        QVERIFY(log->isVisible());
        QCOMPARE(log->GetLogPath(), world.dir.File("analyzer.log"));
        // The list breaks long lines into pieces; joined they are the log.
        const QString text = log->Lines().join(QString());
        QVERIFY(text.contains("Opened " + world.File("logged.KLYN") + " (10 pulses)"));
        const int lines = log->Lines().size();
        log->Clear();
        QCOMPARE(world.Messages(), QStringList{"Not implimented"});
        QCOMPARE(log->Lines().size(), lines);
    }

    void printingNeedsADocument()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        for (CMainFrame::Command id :
             {CMainFrame::kPrint, CMainFrame::kPrintPreview, CMainFrame::kExportPdf})
            QVERIFY(!frame->Action(id)->isEnabled());
        QVERIFY(frame->OpenDocumentFile(world.Ramps("print.KLYN", 10)));
        for (CMainFrame::Command id : {CMainFrame::kPrint, CMainFrame::kPrintPreview,
                                       CMainFrame::kPrintSetup, CMainFrame::kExportPdf})
            QVERIFY(frame->Action(id)->isEnabled());
    }
};

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
