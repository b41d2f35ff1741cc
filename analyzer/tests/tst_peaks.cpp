// Peaks in the Analyzer: the peak table (rows, sorting by value, copy, CSV),
// the chromatogram view's labels and highlight following the table and the
// other way round, hand integration by gesture and by command, the
// parameters dialog, and the AIA file and report carrying the list.

#include "AnalyzerTestSupport.h"
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewScan.h"
#include "ExportAIA.h"
#include "NcFile.h"
#include "PeakOverlay.h"
#include "PeakParametersDialog.h"
#include "PeakTableCsv.h"
#include "PeakTableDock.h"
#include "PeakTableModel.h"
#include "QuillonGatesModesDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>

#include <cmath>

using namespace analyzertest;

namespace {

struct Gauss {
    double centre;
    double height;
};

// 600 pulses 0.2 s apart from 10 s on, every sample 100 plus three peaks of
// sigma 2 s: at 30 s (400), 60 s (1000) and 90 s (200), and a little noise
// (up to 4 counts either way; without any, the detector would take the
// peaks' own slopes for the noise). Nothing after 100 s.
QString ThreePeaks(CWorld& world, const std::string& name)
{
    const Gauss peaks[] = {{30.0, 400.0}, {60.0, 1000.0}, {90.0, 200.0}};
    std::vector<CPulseData> pulses;
    uint32_t state = 12345;
    for (int k = 0; k < 600; ++k) {
        const int time = 1000 + 20 * k;
        const double t = time / 100.0;
        state = state * 1664525u + 1013904223u;
        double level = 100.0 + static_cast<double>(state >> 24) / 32.0 - 4.0;
        for (const Gauss& g : peaks)
            level += g.height * std::exp(-(t - g.centre) * (t - g.centre) / 8.0);
        const int sample = static_cast<int>(std::lround(level));
        pulses.push_back(Pulse(k, time, [sample](int) { return sample; }));
    }
    Write(world.dir.File(name), Header({Gate(GM_S, 1.0, 2.0)}), pulses);
    return world.File(name);
}

double Number(const QString& text)
{
    return text.toDouble();
}

} // namespace

class PeaksTest : public QObject {
    Q_OBJECT

private:
    // A main window with the three peaks open and the table shown.
    struct Open {
        std::unique_ptr<CMainFrame> main;
        ODVFrame* frame = nullptr;
        OPeakTableDock* dock = nullptr;
        ODocPeaks* peaks = nullptr;
        OPeakOverlay* overlay = nullptr;
    };
    Open OpenThree(CWorld& world)
    {
        Open o;
        o.main = world.MakeFrame();
        o.main->show();
        o.frame = o.main->OpenDocumentFile(ThreePeaks(world, "three.KLYN"));
        if (!o.frame)
            return o;
        o.main->Execute(CMainFrame::kPeakTable);
        o.dock = o.main->PeakTable();
        o.peaks = o.frame->GetDocument()->Peaks();
        o.overlay = o.frame->ScanView()->Peaks();
        return o;
    }

    static QString Cell(OPeakTableDock* dock, int row, int column)
    {
        return dock->Proxy()->index(row, column).data().toString();
    }

private slots:
    // Shown or hidden by the operator, the table is so again at the next start;
    // the window's closing (which hides every dock) does not count.
    void tableVisibilityIsKeptInTheProfile()
    {
        CWorld world;
        for (bool shown : {true, false}) {
            {
                std::unique_ptr<CMainFrame> main = world.MakeFrame(true);
                main->show();
                if (main->PeakTable()->isVisible() != shown)
                    main->Execute(CMainFrame::kPeakTable);
                QCOMPARE(main->PeakTable()->isVisible(), shown);
                main->close();
            }
            std::unique_ptr<CMainFrame> again = world.MakeFrame(true);
            again->show();
            QCOMPARE(again->PeakTable()->isVisible(), shown);
        }
        // Without a profile it starts hidden.
        std::unique_ptr<CMainFrame> plain = world.MakeFrame();
        plain->show();
        QVERIFY(!plain->PeakTable()->isVisible());
    }

    void tableShowsTheTracesPeaksSortedByValue()
    {
        CWorld world;
        Open o = OpenThree(world);
        QVERIFY(o.frame);
        QVERIFY(o.dock->isVisible());
        QVERIFY(o.main->Action(CMainFrame::kPeakTable)->isChecked());
        QCOMPARE(o.dock->TraceBox()->count(), 1);
        QVERIFY(o.dock->TraceBox()->currentText().startsWith(QStringLiteral("Gate 1: ")));

        QAbstractItemModel* table = o.dock->Proxy();
        QCOMPARE(table->columnCount(), 10);
        QStringList headings;
        for (int c = 0; c < table->columnCount(); ++c)
            headings << table->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headings, QStringList({"#", "RT (s)", "Start (s)", "End (s)", "Height", "Area",
                                        "Area %", "Width 1/2 (s)", "S/N", "Type"}));
        QCOMPARE(table->rowCount(), 3);
        const double rts[] = {30.0, 60.0, 90.0};
        double percent = 0.0;
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(Cell(o.dock, row, OPeakTableModel::kNumber), QString::number(row + 1));
            QVERIFY2(std::abs(Number(Cell(o.dock, row, OPeakTableModel::kRetentionTime)) -
                              rts[row]) < 0.1,
                     qPrintable(Cell(o.dock, row, OPeakTableModel::kRetentionTime)));
            QCOMPARE(Cell(o.dock, row, OPeakTableModel::kType), QStringLiteral("auto"));
            percent += Number(Cell(o.dock, row, OPeakTableModel::kAreaPercent));
        }
        QVERIFY(std::abs(percent - 100.0) < 0.05);

        // Heights 400, 1000, 200 (times the gate's width): as text "1..." would sort first.
        o.dock->Table()->sortByColumn(OPeakTableModel::kHeight, Qt::AscendingOrder);
        QCOMPARE(Cell(o.dock, 0, OPeakTableModel::kNumber), QStringLiteral("3"));
        QCOMPARE(Cell(o.dock, 1, OPeakTableModel::kNumber), QStringLiteral("1"));
        QCOMPARE(Cell(o.dock, 2, OPeakTableModel::kNumber), QStringLiteral("2"));
        o.dock->Table()->sortByColumn(OPeakTableModel::kRetentionTime, Qt::DescendingOrder);
        QCOMPARE(Cell(o.dock, 0, OPeakTableModel::kNumber), QStringLiteral("3"));

        // The view labels every peak with its retention time.
        const QStringList labels = o.overlay->Labels();
        QCOMPARE(labels.size(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(std::abs(labels[i].toDouble() - rts[i]) < 0.1, qPrintable(labels[i]));

        // Closing the document empties the table without touching what is gone.
        o.frame->parentWidget()->close();
        QTRY_COMPARE(o.dock->Proxy()->rowCount(), 0);
        QCOMPARE(o.dock->TraceBox()->count(), 0);
    }

    void copyAndExportWriteTheTable()
    {
        CWorld world;
        Open o = OpenThree(world);
        QVERIFY(o.frame);
        QTableView* view = o.dock->Table();
        view->selectionModel()->select(o.dock->Proxy()->index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view->selectionModel()->select(o.dock->Proxy()->index(0, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const QStringList lines = o.dock->SelectedText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4); // a header, two rows, and the end of the last line
        QCOMPARE(lines[0], QStringLiteral("#\tRT (s)\tStart (s)\tEnd (s)\tHeight\tArea\tArea %\t"
                                          "Width 1/2 (s)\tS/N\tType"));
        const QStringList first = lines[1].split(QLatin1Char('\t'));
        const QStringList last = lines[2].split(QLatin1Char('\t'));
        QCOMPARE(first.size(), 10);
        QCOMPARE(first[0], QStringLiteral("1"));
        QVERIFY(std::abs(first[1].toDouble() - 30.0) < 0.1);
        QCOMPARE(last[0], QStringLiteral("3"));
        QVERIFY(std::abs(last[1].toDouble() - 90.0) < 0.1);
        QCOMPARE(last[9], QStringLiteral("auto"));
        QVERIFY(lines[3].isEmpty());
        view->setFocus();
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), o.dock->SelectedText());

        const std::vector<OPeak>& peaks = o.peaks->GetPeaks(0);
        const QString csv = world.File("table.csv");
        world.files.QueueAnswer(csv.toStdString());
        QCOMPARE(o.dock->ExportCsv(), 1);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), OPeakTableCsv::Text(peaks));
        const CFileDialogRequest request = world.files.Requests().back();
        QCOMPARE(request.kind, FileDialogKind::Save);
        QCOMPARE(request.defaultExtension, std::string("csv"));
        QCOMPARE(request.initialName, std::string("three-gate1-peaks.csv"));

        // A file that cannot be written is refused with a message; cancel writes nothing.
        world.files.QueueAnswer(world.dir.File("no/such/folder/table.csv"));
        QCOMPARE(o.dock->ExportCsv(), 0);
        QCOMPARE(world.Messages().size(), 1);
        world.files.QueueCancel();
        QCOMPARE(o.dock->ExportCsv(), 0);
        QCOMPARE(world.Messages().size(), 1);
    }

    void tableAndViewShareThePickedPeak()
    {
        CWorld world;
        Open o = OpenThree(world);
        QVERIFY(o.frame);
        CiPlotXControl* chart = o.frame->ScanView()->Chart();
        const int band = o.overlay->GetHighlightBand();
        QVERIFY(!chart->IsBandVisible(band));

        // Sorted so that the table's rows are not the list's order.
        o.dock->Table()->sortByColumn(OPeakTableModel::kHeight, Qt::DescendingOrder);
        o.dock->Table()->selectRow(1); // 30 s, the second highest
        QCOMPARE(o.peaks->GetSelectedIndex(), 0);
        QVERIFY(chart->IsBandVisible(band));
        double from = 0.0;
        double to = 0.0;
        chart->GetBand(band, from, to);
        const OPeak& first = o.peaks->GetPeaks(0)[0];
        QCOMPARE(from, first.startTime);
        QCOMPARE(to, first.endTime);

        // A click on the 90 s peak in the view selects its row.
        QVERIFY(QTest::qWaitForWindowExposed(o.main.get()));
        QTRY_VERIFY(!chart->GetPlotArea().isEmpty());
        const OPeak& third = o.peaks->GetPeaks(0)[2];
        const QPoint apex(static_cast<int>(chart->XToPixel(third.retentionTime)),
                          static_cast<int>(chart->YToPixel(third.BaselineAt(third.retentionTime) +
                                                           third.height)));
        QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, apex);
        QCOMPARE(o.peaks->GetSelectedIndex(), 2);
        const QModelIndexList rows = o.dock->Table()->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].row(), 2); // the lowest, last in descending height
        // A click where no peak is clears the pick everywhere.
        QVERIFY(o.overlay->PickAt(5.0, 0.0) == 0);
        QCOMPARE(o.peaks->GetSelectedIndex(), -1);
        QVERIFY(o.dock->Table()->selectionModel()->selectedRows().isEmpty());
        QVERIFY(!chart->IsBandVisible(band));
    }

    void handIntegrationChangesTheTableAtOnce()
    {
        CWorld world;
        Open o = OpenThree(world);
        QVERIFY(o.frame);
        QAbstractItemModel* table = o.dock->Proxy();
        o.main->Execute(CMainFrame::kManualIntegration);
        QVERIFY(o.overlay->IsManualIntegration());
        QVERIFY(o.main->Action(CMainFrame::kManualIntegration)->isChecked());

        // A baseline dragged over the empty stretch after 100 s adds a manual peak.
        QVERIFY(QTest::qWaitForWindowExposed(o.main.get()));
        CiPlotXControl* chart = o.frame->ScanView()->Chart();
        QTRY_VERIFY(!chart->GetPlotArea().isEmpty());
        const int y = static_cast<int>(chart->YToPixel(50.0));
        QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier,
                          QPoint(static_cast<int>(chart->XToPixel(105.0)), y));
        QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier,
                            QPoint(static_cast<int>(chart->XToPixel(115.0)), y));
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(o.dock->Model()->index(3, OPeakTableModel::kType).data().toString(),
                 QStringLiteral("manual"));
        QCOMPARE(o.peaks->GetSelectedIndex(), 3); // the new peak is the picked one

        // Drawn over a peak it is refused, and the status bar says why.
        const OPeak& second = o.peaks->GetPeaks(0)[1];
        QSignalSpy refused(o.overlay, &OPeakOverlay::refused);
        QCOMPARE(o.overlay->DrawBaseline(second.startTime, 100.0, second.endTime, 100.0, false), 0);
        QCOMPARE(refused.size(), 1);
        QCOMPARE(o.main->statusBar()->currentMessage(), refused[0][0].toString());
        QCOMPARE(table->rowCount(), 4);
        // With Ctrl it replaces the peaks under it.
        QCOMPARE(o.overlay->DrawBaseline(20.0, 100.0, 70.0, 100.0, true), 1);
        QCOMPARE(table->rowCount(), 3);

        // Split, then delete the picked peak with the Delete key.
        QCOMPARE(o.overlay->SplitAt(45.0), 1);
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(o.overlay->SplitAt(200.0), 0);
        QCOMPARE(refused.size(), 2);
        o.dock->Table()->selectRow(0);
        QCOMPARE(o.peaks->GetSelectedIndex(), 0);
        chart->setFocus();
        QTest::keyClick(chart, Qt::Key_Delete);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(o.overlay->DeleteSelected(), 0); // nothing picked any more
        QCOMPARE(o.overlay->DeleteAt(90.0), 1);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(o.overlay->Labels().size(), 2);

        // A recalculation finds the peaks afresh: the hand edits are gone.
        o.frame->ScanView()->Recalculate();
        QCOMPARE(table->rowCount(), 3);
        o.main->Execute(CMainFrame::kManualIntegration);
        QVERIFY(!o.overlay->IsManualIntegration());
    }

    void parametersDialogRefusesAndApplies()
    {
        CWorld world;
        Open o = OpenThree(world);
        QVERIFY(o.frame);
        OPeakParametersDialog dialog(o.peaks);
        QVERIFY(dialog.Field("threshold"));
        QVERIFY(dialog.Field("min-width"));
        QCOMPARE(dialog.Field("threshold")->text(),
                 QString::fromStdString(o.peaks->GetParameters().Get("threshold")));
        QVERIFY(!dialog.Field("threshold")->toolTip().isEmpty());

        const OPeakParameters before = o.peaks->GetParameters();
        dialog.Field("threshold")->setText(QStringLiteral("0"));
        QCOMPARE(dialog.Apply(), 0);
        QCOMPARE(world.Messages().size(), 1);
        OPeakParameters probe;
        std::string expected;
        QCOMPARE(probe.Set("threshold", "0", expected), 0);
        QCOMPARE(world.Messages()[0].toStdString(), expected);
        QVERIFY(o.peaks->GetParameters() == before);
        dialog.Field("threshold")->setText(QStringLiteral("abc"));
        QCOMPARE(dialog.Apply(), 0);
        QCOMPARE(world.Messages().size(), 2);

        // Wider than every peak at half height (about 4.7 s): none is left, at once.
        dialog.ShowDefaults();
        dialog.Field("min-width")->setText(QStringLiteral("6"));
        QCOMPARE(dialog.Apply(), 1);
        QCOMPARE(o.peaks->GetParameters().minimumWidth, 6.0);
        QCOMPARE(o.dock->Proxy()->rowCount(), 0);
        QCOMPARE(o.overlay->Labels().size(), 0);
        dialog.ShowDefaults();
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(o.dock->Proxy()->rowCount(), 3);
    }

    void aiaExportAndReportCarryTheEditedList()
    {
        CWorld world;
        Open o = OpenThree(world);
        QVERIFY(o.frame);
        QCOMPARE(o.overlay->SplitAt(60.5), 1); // four peaks, two of them manual

        o.main->Execute(CMainFrame::kGateMode);
        CQuillonGatesModesDialog* gates = o.frame->GateDialog();
        QVERIFY(QTest::qWaitFor([gates] { return !gates->RowTexts().isEmpty(); }, 10000));
        gates->SelectRow(0);
        gates->Control<QPushButton>(1088)->click();
        OExportAIA* dialog = o.frame->ExportDialog();
        QVERIFY(dialog);
        const std::string cdf = world.dir.File("three.cdf");
        world.files.QueueAnswer(cdf);
        QCOMPARE(dialog->SaveAs(), 1);

        NcFile file(cdf);
        QVERIFY(file.Ok());
        QCOMPARE(file.DimensionLength("peak_number"), size_t(4));
        std::vector<float> rt(4);
        QCOMPARE(nc_get_var_float(file.Id(), file.Var("peak_retention_time"), rt.data()),
                 NC_NOERR);
        const std::vector<OPeak>& peaks = o.peaks->GetPeaks(0);
        for (size_t i = 0; i < 4; ++i)
            QCOMPARE(rt[i], static_cast<float>(peaks[i].retentionTime));
        std::vector<short> manual(4);
        QCOMPARE(nc_get_var_short(file.Id(), file.Var("manually_reintegrated_peaks"),
                                  manual.data()),
                 NC_NOERR);
        QCOMPARE(manual, std::vector<short>({0, 1, 1, 0}));
        QVERIFY(file.Text("peak_processing_results_comments").find("by hand") !=
                std::string::npos);

        const std::vector<std::string> lines = o.frame->Report(false).Lines();
        const auto heading = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("Peaks of gate 1 (", 0) == 0;
        });
        QVERIFY(heading != lines.end());
        QVERIFY(heading->find(": 4 peaks") != std::string::npos);
        QCOMPARE(std::count_if(lines.begin(), lines.end(),
                               [](const std::string& l) {
                                   return l.find(" manual") != std::string::npos;
                               }),
                 2L);
        for (const std::string& line : lines)
            QVERIFY2(line.size() <= 80, line.c_str());
    }
};

QTEST_MAIN(PeaksTest)
#include "tst_peaks.moc"
