// Runs laid over the active chromatogram through the Overlay menu, on the
// offscreen platform: the entries for the other documents, the gate submenu
// built afresh on every opening, each run drawn beneath the view's own
// traces and named in the legend, a closed document's run gone, a damaged
// reference file refused with one message, and the readout naming the run
// under the cursor.

#include "AnalyzerTestSupport.h"
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewScan.h"
#include "OverlayMenu.h"
#include "OverlaySet.h"

#include <QMdiArea>
#include <QMdiSubWindow>

using namespace analyzertest;

namespace {

constexpr int kFirstOverlay = ODVViewScan::kTraces;

QStringList Texts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        texts << action->text();
    return texts;
}

// The recording's first trace as the chart holds it.
std::vector<double> OwnValues(const ODVDoc* doc)
{
    const std::vector<float>& v = doc->Data().GetChromatogram().traces[0];
    return {v.begin(), v.end()};
}

} // namespace

class TestOverlay : public QObject {
    Q_OBJECT
private slots:
    void listsEveryOtherOpenDocument()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        QVERIFY(frame->OpenDocumentFile(world.Ramps("a.KLYN", 12)));
        QVERIFY(frame->OpenDocumentFile(world.Ramps("b.KLYN", 14)));
        ODVFrame* c = frame->OpenDocumentFile(world.Ramps("c.KLYN", 16));
        QVERIFY(c);
        OOverlayMenu* menu = frame->OverlayMenu();
        menu->Rebuild();
        QCOMPARE(Texts(menu->DocumentActions()), (QStringList{"Overlay a.KLYN", "Overlay b.KLYN"}));
        QVERIFY(menu->AddReferenceAction()->isEnabled());
        QVERIFY2(!menu->ClearAction()->isEnabled(), "nothing to clear yet");

        menu->DocumentActions()[1]->trigger();
        menu->Rebuild();
        QCOMPARE(c->ScanView()->Overlays()->GetCount(), 1);
        QVERIFY(menu->DocumentActions()[1]->isChecked());
        QVERIFY(!menu->DocumentActions()[0]->isChecked());
        QVERIFY(menu->ClearAction()->isEnabled());
    }

    void withoutAWindowEveryEntryIsDisabled()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        OOverlayMenu* menu = frame->OverlayMenu();
        menu->Rebuild();
        QVERIFY(menu->DocumentActions().isEmpty());
        for (QAction* action : {menu->AddReferenceAction(), menu->AlignAction(),
                                menu->NormaliseAction(), menu->ClearAction()})
            QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
        QVERIFY(!menu->GateMenu()->isEnabled());
    }

    void theGateSubmenuIsBuiltAfreshOnEveryOpening()
    {
        CWorld world;
        const std::string path = world.dir.File("two-gates.KLYN");
        QVERIFY(Write(path, Header({Gate(GM_S, 1.0, 2.0), Gate(GM_P, 20.0, 24.0)}), Ramps(12)));
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(QString::fromStdString(path));
        QVERIFY(child);
        OOverlayMenu* menu = frame->OverlayMenu();
        emit menu->aboutToShow();
        const int before = static_cast<int>(menu->findChildren<QAction*>().size());
        for (int i = 0; i < 5; ++i)
            emit menu->aboutToShow();
        QCOMPARE(menu->GateMenu()->actions().size(), 2);
        QCOMPARE(static_cast<int>(menu->findChildren<QAction*>().size()), before);
        QVERIFY(menu->GateMenu()->actions()[0]->isChecked());

        menu->GateMenu()->actions()[1]->trigger();
        QCOMPARE(child->ScanView()->Overlays()->GetGate(), 1);
        emit menu->aboutToShow();
        QCOMPARE(menu->GateMenu()->actions().size(), 2);
        QVERIFY(menu->GateMenu()->actions()[1]->isChecked());
        QVERIFY(!menu->GateMenu()->actions()[0]->isChecked());
    }

    void eachRunIsItsOwnGraphBeneathTheViewsTraces()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        // A run started ten seconds later than the view's.
        std::vector<CPulseData> late;
        for (int k = 0; k < 12; ++k)
            late.push_back(Pulse(k, 2000 + 100 * k, [k](int i) { return 50 * (k + 1) + i; }));
        const std::string path = world.dir.File("a.KLYN");
        QVERIFY(Write(path, Header({Gate(GM_S, 1.0, 2.0)}), late));
        ODVFrame* a = frame->OpenDocumentFile(QString::fromStdString(path));
        ODVFrame* b = frame->OpenDocumentFile(world.Ramps("b.KLYN", 14));
        QVERIFY(a && b);
        OOverlayMenu* menu = frame->OverlayMenu();
        menu->Rebuild();
        menu->DocumentActions()[0]->trigger();

        ODVViewScan* view = b->ScanView();
        CiPlotXControl* chart = view->Chart();
        QVERIFY(view->HasTrace(kFirstOverlay));
        QCOMPARE(view->Legend()->GetText(kFirstOverlay), QString("a.KLYN"));
        QCOMPARE(chart->GetChannelName(kFirstOverlay), QString("a.KLYN"));
        QCOMPARE(chart->GetChannelColor(kFirstOverlay), view->Overlays()->GetColor(0));
        QVERIFY(chart->IsChannelBeneath(kFirstOverlay));
        QVERIFY2(!chart->IsChannelBeneath(0), "the view's own trace stays on top");
        std::vector<double> x;
        std::vector<double> y;
        chart->GetChannelData(kFirstOverlay, x, y);
        QCOMPARE(y, OwnValues(a->GetDocument()));
        QCOMPARE(x.front(), 20.0);

        // Normalised: a's highest value becomes b's.
        menu->Rebuild();
        menu->NormaliseAction()->trigger();
        chart->GetChannelData(kFirstOverlay, x, y);
        const std::vector<double> own = OwnValues(b->GetDocument());
        QCOMPARE(OOverlaySet::Highest(y), OOverlaySet::Highest(own));
        // Aligned: a's first point at b's start time.
        menu->AlignAction()->trigger();
        chart->GetChannelData(kFirstOverlay, x, y);
        QCOMPARE(x.front(), 10.0);
        QCOMPARE(x.back(), 21.0);

        menu->Rebuild();
        menu->ClearAction()->trigger();
        QVERIFY(!view->HasTrace(kFirstOverlay));
        QVERIFY(!view->Legend()->HasEntry(kFirstOverlay));
    }

    void theFullExtentTakesInALongerRun()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        QVERIFY(frame->OpenDocumentFile(world.Ramps("long.KLYN", 40)));
        ODVFrame* shorter = frame->OpenDocumentFile(world.Ramps("short.KLYN", 12));
        QVERIFY(shorter);
        ODVViewScan* view = shorter->ScanView();
        const double ownEnd = view->Chart()->GetXAxisMax();
        frame->OverlayMenu()->Rebuild();
        frame->OverlayMenu()->DocumentActions()[0]->trigger();
        view->Restore();
        QVERIFY(view->Chart()->GetXAxisMax() > ownEnd);
        QVERIFY(view->Chart()->GetXAxisMax() >= 10.0 + 39.0);
    }

    void closingADocumentTakesItsRunOffEveryView()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* a = frame->OpenDocumentFile(world.Ramps("a.KLYN", 12));
        ODVFrame* b = frame->OpenDocumentFile(world.Ramps("b.KLYN", 14));
        ODVFrame* c = frame->OpenDocumentFile(world.Ramps("c.KLYN", 16));
        QVERIFY(a && b && c);
        b->ScanView()->Overlays()->AddDocument(a->GetDocument());
        c->ScanView()->Overlays()->AddDocument(a->GetDocument());
        c->ScanView()->Overlays()->AddDocument(b->GetDocument());
        QCOMPARE(c->ScanView()->Legend()->GetText(kFirstOverlay + 1), QString("b.KLYN"));
        const QColor bColour = c->ScanView()->Overlays()->GetColor(1);

        for (QMdiSubWindow* window : frame->MdiArea()->subWindowList())
            if (window->widget() == a)
                window->close();
        QCOMPARE(b->ScanView()->Overlays()->GetCount(), 0);
        QVERIFY(!b->ScanView()->HasTrace(kFirstOverlay));
        QCOMPARE(c->ScanView()->Overlays()->GetCount(), 1);
        QCOMPARE(c->ScanView()->Legend()->GetText(kFirstOverlay), QString("b.KLYN"));
        QCOMPARE(c->ScanView()->Chart()->GetChannelColor(kFirstOverlay), bColour);
        QVERIFY(!c->ScanView()->HasTrace(kFirstOverlay + 1));
        // The window's deferred deletion changes nothing more.
        QTRY_COMPARE(frame->Frames().size(), 2);
        QCOMPARE(c->ScanView()->Overlays()->GetCount(), 1);
        frame->OverlayMenu()->Rebuild();
        QCOMPARE(Texts(frame->OverlayMenu()->DocumentActions()), QStringList{"Overlay b.KLYN"});
    }

    void aReferenceFileIsLaidOverTheView()
    {
        CWorld world;
        const QString reference = world.Ramps("reference.KLYN", 20);
        auto frame = world.MakeFrame();
        ODVFrame* child = frame->OpenDocumentFile(world.Ramps("run.KLYN", 12));
        QVERIFY(child);
        world.files.QueueAnswer(reference.toStdString());
        QCOMPARE(frame->OverlayMenu()->AddReferenceFile(), 1);
        QVERIFY(world.files.Requests().back().filter == OOverlayMenu::kFilter);
        QCOMPARE(child->ScanView()->Legend()->GetText(kFirstOverlay), QString("reference.KLYN"));
        QCOMPARE(child->ScanView()->Chart()->GetChannelPointCount(kFirstOverlay), 20);
        QVERIFY(!QFileInfo::exists(world.File("reference.INTN")));
        QVERIFY(world.Messages().isEmpty());

        // Its menu entry is the only way to let it go on its own.
        OOverlayMenu* menu = frame->OverlayMenu();
        menu->Rebuild();
        QCOMPARE(Texts(menu->DocumentActions()), QStringList{"Overlay reference.KLYN (reference)"});
        QVERIFY(menu->DocumentActions()[0]->isChecked());
        menu->DocumentActions()[0]->trigger();
        QCOMPARE(child->ScanView()->Overlays()->GetCount(), 0);
        QVERIFY(!child->ScanView()->HasTrace(kFirstOverlay));
    }

    void aDamagedReferenceFileGivesOneMessageAndChangesNothing()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* a = frame->OpenDocumentFile(world.Ramps("a.KLYN", 12));
        ODVFrame* b = frame->OpenDocumentFile(world.Ramps("b.KLYN", 14));
        QVERIFY(a && b);
        ODVViewScan* view = b->ScanView();
        view->Overlays()->AddDocument(a->GetDocument());
        std::vector<double> x0;
        std::vector<double> y0;
        view->Chart()->GetChannelData(kFirstOverlay, x0, y0);

        testsupport::WriteText(world.dir.File("damaged.KLYN"), std::string(3000, '\x7f'));
        world.files.QueueAnswer(world.dir.File("damaged.KLYN"));
        QCOMPARE(frame->OverlayMenu()->AddReferenceFile(), 0);
        QCOMPARE(world.Messages().size(), 1);
        QVERIFY2(world.Messages()[0].startsWith("damaged.KLYN cannot be overlaid."),
                 qPrintable(world.Messages()[0]));
        QCOMPARE(view->Overlays()->GetCount(), 1);
        QVERIFY(!view->HasTrace(kFirstOverlay + 1));
        std::vector<double> x1;
        std::vector<double> y1;
        view->Chart()->GetChannelData(kFirstOverlay, x1, y1);
        QCOMPARE(x1, x0);
        QCOMPARE(y1, y0);

        // Cancelling the dialog is no failure: no message.
        world.files.QueueCancel();
        QCOMPARE(frame->OverlayMenu()->AddReferenceFile(), 0);
        QCOMPARE(world.Messages().size(), 1);
    }

    void theReadoutNamesTheRunUnderTheCursor()
    {
        CWorld world;
        auto frame = world.MakeFrame();
        ODVFrame* a = frame->OpenDocumentFile(world.Ramps("a.KLYN", 12));
        ODVFrame* b = frame->OpenDocumentFile(world.Ramps("b.KLYN", 24));
        QVERIFY(a && b);
        ODVViewScan* view = b->ScanView();
        view->Chart()->Replot(true);
        const std::vector<double> own = OwnValues(b->GetDocument());
        view->MoveCursor(12.0, own[2], true);
        QVERIFY2(!frame->GetStatusText().contains("b.KLYN"), qPrintable(frame->GetStatusText()));

        view->Overlays()->AddDocument(a->GetDocument());
        // Scaled up to b's highest value, a's trace lies well apart from b's.
        view->Overlays()->SetNormalise(true);
        std::vector<double> x;
        std::vector<double> y;
        view->Chart()->GetChannelData(kFirstOverlay, x, y);
        view->MoveCursor(12.0, own[2], true);
        QVERIFY2(frame->GetStatusText().contains("   b.KLYN (Mode S): "),
                 qPrintable(frame->GetStatusText()));
        view->MoveCursor(12.0, y[2], true);
        QVERIFY2(frame->GetStatusText().contains("   a.KLYN (Mode S): "),
                 qPrintable(frame->GetStatusText()));
    }
};

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
