// The export dialog on an Analyzer document - its fields for a run from
// 12.00 s to 612.00 s, the recomputations, Save As with the profile and the
// file read back through netCDF-C, the refusals - and the configuration
// report printed, previewed and written as a PDF with the panes' pictures.

#include "AiaSettingsProfile.h"
#include "AnalyzerTestSupport.h"
#include "DVDoc.h"
#include "DVFrame.h"
#include "ExportAIA.h"
#include "GraphToolbar.h"
#include "NcFile.h"
#include "PrintDialogService.h"
#include "QuillonGatesModesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

using namespace analyzertest;

namespace {

// 601 pulses a second apart, from 12.00 s to 612.00 s.
QString Example(CWorld& world, const std::string& name,
                CDataFileHeader header = Header({Gate(GM_S, 1.0, 2.0)}))
{
    std::vector<CPulseData> pulses;
    for (int k = 0; k <= 600; ++k)
        pulses.push_back(Pulse(k, 1200 + 100 * k, [k](int i) { return 100 + k % 50 + i; }));
    Write(world.dir.File(name), header, pulses);
    return world.File(name);
}

// The gate dialog of child with its gates read and row selected.
CQuillonGatesModesDialog* Gates(CMainFrame& frame, ODVFrame* child, int row = 0)
{
    frame.Execute(CMainFrame::kGateMode);
    CQuillonGatesModesDialog* gates = child->GateDialog();
    if (!QTest::qWaitFor([gates] { return !gates->RowTexts().isEmpty(); }, 10000))
        return nullptr;
    gates->SelectRow(row);
    return gates;
}

OExportAIA* OpenExport(CQuillonGatesModesDialog* gates, ODVFrame* child)
{
    gates->Control<QPushButton>(1088)->click();
    return child->ExportDialog();
}

QComboBox* Combo(OExportAIA* dialog, int id)
{
    return dialog->Control<QComboBox>(id);
}

int PageCount(const QString& pdf)
{
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString bytes = QString::fromLatin1(file.readAll());
    return static_cast<int>(bytes.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

// The text of page first..last; null when pdftotext is not installed.
QString PdfText(const QString& pdf, int first = 1, int last = 99)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QString();
    QProcess process;
    process.start(tool, {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(first),
                         QStringLiteral("-l"), QString::number(last), pdf, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void theFieldsOfARunFrom12To612Seconds()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        const QString path = Example(world, "example.KLYN");
        ODVFrame* child = frame->OpenDocumentFile(path);
        QVERIFY(child);
        CQuillonGatesModesDialog* gates = Gates(*frame, child);
        QVERIFY(gates);
        // The gate parameters text is made of what the controls show.
        gates->Control<QLineEdit>(1032)->setText("1.0");
        gates->Control<QLineEdit>(1025)->setText("2.0");
        QComboBox* op = gates->Control<QComboBox>(1030);
        op->setCurrentIndex(op->findText("-"));
        gates->Control<QLineEdit>(1031)->setText("0.5");
        gates->Control<QLineEdit>(1026)->setText("3.0");
        gates->Control<QLineEdit>(1027)->setText("4.0");
        gates->Control<QCheckBox>(1028)->setChecked(false);
        OExportAIA* dialog = OpenExport(gates, child);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QString("Export AIA Data"));
        QCOMPARE(dialog->GetText(OExportAIA::kGateParameters),
                 QString("<1.0,2.0><-><0.5><3.0,4.0><sqrt OFF>"));
        QCOMPARE(dialog->GetText(OExportAIA::kDetectorMode),
                 gates->Control<QComboBox>(1029)->currentText());
        QCOMPARE(dialog->GetText(OExportAIA::kDetectorMethod), path);
        QCOMPARE(dialog->GetText(OExportAIA::kInjectionTimeStamp),
                 QString("May 06, 2024 at 09:30"));
        QVERIFY(!dialog->GetText(OExportAIA::kDatasetTimeStamp).isEmpty());
        const ODVDocData& data = child->GetDocument()->Data();
        QCOMPARE(dialog->GetText(OExportAIA::kMaximumValue),
                 QString::number(data.GetHighestSample()));
        QCOMPARE(dialog->GetText(OExportAIA::kMinimumValue),
                 QString::number(data.GetLowestSample()));
        QCOMPARE(dialog->GetText(OExportAIA::kSampleType), QString("unknown"));
        QCOMPARE(dialog->GetText(OExportAIA::kUnits), QString("nA"));
        QCOMPARE(dialog->GetNote(), QString());

        // 10 Hz and seconds unless the profile says otherwise.
        QCOMPARE(dialog->GetText(OExportAIA::kSamplingRate), QString("10"));
        QCOMPARE(dialog->GetText(OExportAIA::kRetentionUnit), QString("sec"));
        QCOMPARE(dialog->GetText(OExportAIA::kNumberOfPoints), QString("6001"));
        QCOMPARE(dialog->GetText(OExportAIA::kDelayTime), QString("12"));
        QCOMPARE(dialog->GetText(OExportAIA::kActualRunTime), QString("600"));

        const struct {
            int unit;
            const char* delay;
            const char* run;
        } units[] = {{1, "0.2", "10"}, {0, "12", "600"}, {1, "0.2", "10"}};
        for (const auto& u : units) {
            Combo(dialog, OExportAIA::kRetentionUnit)->setCurrentIndex(u.unit);
            QCOMPARE(dialog->GetText(OExportAIA::kDelayTime), QString(u.delay));
            QCOMPARE(dialog->GetText(OExportAIA::kActualRunTime), QString(u.run));
            QCOMPARE(dialog->GetText(OExportAIA::kNumberOfPoints), QString("6001"));
        }
        const struct {
            int rate;
            const char* points;
        } rates[] = {{2, "12001"}, {0, "3001"}, {3, "30001"}, {1, "6001"}};
        for (const auto& r : rates) {
            Combo(dialog, OExportAIA::kSamplingRate)->setCurrentIndex(r.rate);
            QCOMPARE(dialog->GetText(OExportAIA::kNumberOfPoints), QString(r.points));
            QCOMPARE(dialog->GetText(OExportAIA::kActualRunTime), QString("10"));
        }
        QCOMPARE(world.messages.Count(), size_t(0));
        dialog->reject();
        QTRY_VERIFY(!child->ExportDialog());
    }

    void saveAsWritesTheFileAndKeepsTheFieldsInTheProfile()
    {
        CWorld world;
        auto frame = world.MakeFrame(true);
        ODVFrame* child = frame->OpenDocumentFile(Example(world, "saved.KLYN"));
        QVERIFY(child);
        CQuillonGatesModesDialog* gates = Gates(*frame, child);
        QVERIFY(gates);
        OExportAIA* dialog = OpenExport(gates, child);
        QVERIFY(dialog);
        dialog->Control<QLineEdit>(OExportAIA::kExperimentTitle)->setText("Calibration");
        dialog->Control<QLineEdit>(OExportAIA::kOperatorName)->setText("J. Doe");
        dialog->Control<QLineEdit>(OExportAIA::kInjectionVolume)->setText("1.5");
        Combo(dialog, OExportAIA::kUnits)->setCurrentIndex(1);
        Combo(dialog, OExportAIA::kRetentionUnit)->setCurrentIndex(1);
        const QString cdf = world.File("saved.cdf");
        world.files.QueueAnswer(cdf.toStdString());
        QSignalSpy finished(dialog, &QDialog::finished);
        dialog->Control<QPushButton>(OExportAIA::kSaveAs)->click();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toInt(), OExportAIA::kSaveAs);
        QCOMPARE(world.messages.Count(), size_t(0));

        const CFileDialogRequest request = world.files.Requests().back();
        QVERIFY(request.kind == FileDialogKind::Save);
        QCOMPARE(request.defaultExtension, std::string("cdf"));
        QCOMPARE(request.initialName, std::string("*.cdf"));
        QCOMPARE(request.flags, unsigned(OFN_READONLY_HIDDEN | OFN_PROMPT_OVERWRITE));

        const NcFile file(cdf.toStdString());
        QVERIFY(file.Ok());
        QCOMPARE(file.Format(), NC_FORMAT_CLASSIC);
        QCOMPARE(file.DimensionLength("point_number"), size_t(6001));
        QCOMPARE(file.Text("retention_unit"), std::string("minutes"));
        QCOMPARE(file.Text("experiment_title"), std::string("Calibration"));
        QCOMPARE(file.Text("operator_name"), std::string("J. Doe"));
        QCOMPARE(file.Text("detector_unit"), std::string("uV"));
        QCOMPARE(file.Text("source_file_reference"), world.File("saved.KLYN").toStdString());
        QCOMPARE(file.FloatAttribute("sample_injection_volume"), 1.5f);
        QVERIFY(qAbs(file.Scalar("actual_delay_time") - 0.2f) < 1e-6f);
        // The last point's time: 0.2 min + 6000 x (0.1 s in minutes).
        QVERIFY(qAbs(file.Scalar("actual_run_time_length") - 10.2f) < 1e-4f);

        {
            const QSettings profile(world.File("profile.ini"), QSettings::IniFormat);
            const struct {
                const char* key;
                QString value;
            } kept[] = {{"AIA/ExpTitle", "Calibration"},
                        {"AIA/Operator", "J. Doe"},
                        {"AIA/InjectionVolume", "   1.500"},
                        {"AIA/Units", "1"},
                        {"AIA/RetentionUnit", "1"},
                        {"AIA/ActualSplInterval", "1"},
                        {"AIA/SampleName", ""},
                        {"AIA/FileDir", world.File("")}};
            for (const auto& k : kept)
                QCOMPARE(profile.value(k.key).toString(), k.value);
        }

        // The next export starts from what was kept, in the folder of the last.
        dialog = OpenExport(gates, child);
        QVERIFY(dialog);
        QCOMPARE(dialog->GetText(OExportAIA::kExperimentTitle), QString("Calibration"));
        QCOMPARE(dialog->GetText(OExportAIA::kInjectionVolume), QString("1.5"));
        QCOMPARE(dialog->GetText(OExportAIA::kRetentionUnit), QString("min"));
        QCOMPARE(dialog->GetText(OExportAIA::kUnits), QString("uV"));
        QCOMPARE(dialog->GetText(OExportAIA::kDelayTime), QString("0.2"));
        world.files.QueueCancel();
        dialog->Control<QPushButton>(OExportAIA::kSaveAs)->click();
        QCOMPARE(world.files.Requests().back().initialName, world.File("*.cdf").toStdString());
        QCOMPARE(world.files.Requests().back().initialFolder, world.File("").toStdString());
        QVERIFY(dialog->isVisible()); // a cancelled Save As leaves the dialog open
        dialog->reject();
    }

    void theProfileIsWrittenInTheOrderOfTheFields()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("order.KLYN", 20));
        QVERIFY(child);
        OAiaMapProfile profile;
        OExportAIA dialog(child->GetDocument(),
                          OAiaExportModel::InputsFrom(child->GetDocument()->Data(), 0), 0, profile);
        world.files.QueueAnswer(world.dir.File("order.cdf"));
        QCOMPARE(dialog.SaveAs(), 1);
        QCOMPARE(dialog.result(), OExportAIA::kSaveAs);
        const std::vector<std::string> order = {
            "FileDir",        "ExpTitle",        "DatasetOrigin",     "DatasetOwner",  "Operator",
            "CompMethodName", "CompMethodID",    "ActualSplInterval", "RetentionUnit", "SampleID",
            "SampleName",     "InjectionVolume", "RawDataTableName",  "SampleComment", "Units"};
        QVERIFY(profile.Order() == order);
        QVERIFY(NcFile(world.dir.File("order.cdf")).Ok());
    }

    void refusalsAreMessagesAndTheDialogStaysOpen()
    {
        CWorld world;
        auto frame = world.MakeFrame(true);
        {
            QSettings profile(world.File("profile.ini"), QSettings::IniFormat);
            profile.setValue("AIA/ActualSplInterval", "7");
        }
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("refused.KLYN", 20));
        QVERIFY(child);
        CQuillonGatesModesDialog* gates = Gates(*frame, child);
        QVERIFY(gates);

        // No row selected: which trace to export is not guessed.
        gates->Control<QListWidget>(1085)->clearSelection();
        QVERIFY(!OpenExport(gates, child));
        QCOMPARE(world.Messages(), QStringList{OAiaExportModel::kNoGate});

        // A rate index the list does not have: said at opening, and no export with rate 0.
        gates->SelectRow(0);
        OExportAIA* dialog = OpenExport(gates, child);
        QVERIFY(dialog);
        QCOMPARE(world.Messages().last(), QString("Wrong actual sample interval."));
        QCOMPARE(world.messages.Messages().back().icon, MessageIcon::Error);
        QCOMPARE(dialog->GetText(OExportAIA::kSamplingRate), QString());
        world.files.QueueAnswer(world.dir.File("rate.cdf"));
        QCOMPARE(dialog->SaveAs(), 0);
        QCOMPARE(world.Messages().last(), QString("Wrong Actual sample interval."));
        QVERIFY(!QFileInfo::exists(world.File("rate.cdf")));
        Combo(dialog, OExportAIA::kSamplingRate)->setCurrentIndex(1);

        // A volume that is not a number is not exported as 0.
        const size_t asked = world.files.Count();
        dialog->Control<QLineEdit>(OExportAIA::kInjectionVolume)->setText("abc");
        QCOMPARE(dialog->SaveAs(), 0);
        QCOMPARE(world.Messages().last(), QString("Injection Volume: \"abc\" is not a number."));
        QCOMPARE(world.files.Count(), asked);
        dialog->Control<QLineEdit>(OExportAIA::kInjectionVolume)->setText("");

        // A folder where the file should go.
        QDir(world.File("")).mkdir("folder.cdf");
        world.files.QueueAnswer(world.dir.File("folder.cdf"));
        const size_t shown = world.messages.Count();
        QCOMPARE(dialog->SaveAs(), 0);
        QCOMPARE(world.messages.Count(), shown + 1);
        QCOMPARE(world.messages.Messages().back().icon, MessageIcon::Error);
        QVERIFY(dialog->isVisible());
        QVERIFY(QFileInfo(world.File("folder.cdf")).isDir());

        world.files.QueueAnswer(world.dir.File("good.cdf"));
        QCOMPARE(dialog->SaveAs(), 1);
        QVERIFY(NcFile(world.dir.File("good.cdf")).Ok());
    }

    void anUnknownRecordingStartOpensWithANote()
    {
        CWorld world;
        CDataFileHeader header = Header({Gate(GM_S, 1.0, 2.0)});
        header.year = 0;
        header.hour = -1;
        Write(world.dir.File("clockless.KLYN"), header, Ramps(20));
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.File("clockless.KLYN"));
        QVERIFY(child);
        OExportAIA* dialog = OpenExport(Gates(*frame, child), child);
        QVERIFY(dialog);
        QCOMPARE(dialog->GetText(OExportAIA::kInjectionTimeStamp), QString());
        QCOMPARE(dialog->GetNote(), QString(OAiaExportModel::kUnknownStartNote));
        world.files.QueueAnswer(world.dir.File("clockless.cdf"));
        QCOMPARE(dialog->SaveAs(), 1);
        const NcFile file(world.dir.File("clockless.cdf"));
        QVERIFY(file.Ok());
        QVERIFY(!file.HasAttribute("injection_date_time_stamp"));
        QVERIFY(file.HasAttribute("dataset_date_time_stamp"));
        QCOMPARE(world.messages.Count(), size_t(0));
    }

    void thePanesPrintTheReport()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("print.KLYN", 20));
        QVERIFY(child);
        const QString pdf = world.File("printed.pdf");
        CPdfPrintAnswer answer(pdf);
        frame->Execute(CMainFrame::kPrint);
        QCOMPARE(answer.Count(), 1);
        QCOMPARE(PageCount(pdf), 1);
        // Each pane's Print button prints the same report.
        QFile::remove(pdf);
        child->PulseToolBar()->Button(OToolIcons::Kind::Print)->trigger();
        child->ChromatogramToolBar()->Button(OToolIcons::Kind::Print)->trigger();
        QCOMPARE(answer.Count(), 3);
        QCOMPARE(PageCount(pdf), 1);
        // Cancelled: nothing printed.
        QFile::remove(pdf);
        answer.SetCancel(true);
        frame->Execute(CMainFrame::kPrint);
        QVERIFY(!QFileInfo::exists(pdf));
        answer.SetCancel(false);

        frame->Execute(CMainFrame::kPrintPreview);
        QCOMPARE(answer.PreviewCount(), 1);
        QCOMPARE(PageCount(pdf), 1);
        QCOMPARE(world.messages.Count(), size_t(0));

        const QString text = PdfText(pdf);
        if (text.isEmpty())
            QSKIP("pdftotext is not installed");
        for (const char* line : {"Tarvolin Configuration Report", "File Name:", "print.KLYN",
                                 "Interpolation Mode", "A-Start", "Event Type"})
            QVERIFY2(text.contains(line), line);
    }

    void exportPdfAddsAPageOfPictures()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        frame->show();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("archive.KLYN", 20));
        QVERIFY(child);
        const QString pdf = world.File("archive.pdf");
        world.files.QueueAnswer(pdf.toStdString());
        frame->Execute(CMainFrame::kExportPdf);
        const CFileDialogRequest request = world.files.Requests().back();
        QCOMPARE(request.defaultExtension, std::string("pdf"));
        QCOMPARE(request.initialName, std::string("archive.pdf"));
        QCOMPARE(world.messages.Count(), size_t(0));
        QCOMPARE(PageCount(pdf), 2);

        // Somewhere that cannot take it: said, and nothing written.
        QDir(world.File("")).mkdir("folder.pdf");
        world.files.QueueAnswer(world.dir.File("folder.pdf"));
        QCOMPARE(frame->ExportPdf(), 0);
        QCOMPARE(world.messages.Count(), size_t(1));
        QCOMPARE(world.messages.Messages()[0].icon, MessageIcon::Error);
        QVERIFY(world.Messages()[0].contains("is not a regular file"));

        const QString second = PdfText(pdf, 2, 2);
        if (second.isEmpty())
            QSKIP("pdftotext is not installed");
        QVERIFY2(second.contains("Chromatogram - archive.KLYN"), qPrintable(second));
        QVERIFY2(second.contains("Pulse 1"), qPrintable(second));
        QVERIFY(PdfText(pdf, 1, 1).contains("Tarvolin Configuration Report"));
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
