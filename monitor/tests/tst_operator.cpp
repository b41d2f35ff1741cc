// The Monitor as an operator meets it, on the offscreen platform with the
// message service captured: the link's state in the status area, the
// window's keys and the PAUSED badge, the record and stop buttons, the
// questions before a running recording is ended, the first pulse fitted and
// Follow, the window's sizes and the printed page.

#include "CoreInterface.h"
#include "CustomButtonBase.h"
#include "FileDialogService.h"
#include "FilePaths.h"
#include "MessageService.h"
#include "MonitorPanels.h"
#include "PlotDlg.h"
#include "PlotPage.h"
#include "PulseData.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"
#include "ResizeGrip.h"
#include "iPlotXControl.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPaintEngine>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

enum { kElapsed = 1041, kStatus = 1063, kLink = 1091 };

CLinkStatus Link(LinkCondition condition, int port = 7, const std::string& device = "/dev/ttyUSB3",
                 const std::string& detail = "")
{
    CLinkStatus link;
    link.SetCondition(condition);
    link.SetPortNumber(port);
    link.SetDevicePath(device);
    link.SetDetail(detail);
    return link;
}

CPulseData Pulse(long index, double frequency = 7.0, int peak = 3000)
{
    CPulseData pulse;
    pulse.SetPulseIndex(index);
    pulse.SetPulseTime(index * 14);
    pulse.SetFrequencyPulse(frequency);
    for (int i = 0; i < 250; ++i)
        pulse.AddData(200 + (i > 40 && i < 80 ? peak : 0) + i % 7);
    return pulse;
}

// A page that keeps the texts drawn on it and their fonts' pixel sizes.
class CTextRecorder : public QPaintDevice {
public:
    CTextRecorder(int dpi, QSizeF size) : m_nDpi(dpi), m_size(size) {}
    ~CTextRecorder() override = default;
    QPaintEngine* paintEngine() const override { return &m_engine; }
    QSizeF Size() const { return m_size; }
    QStringList Texts() const { return m_engine.texts; }
    int PixelSize(const QString& text) const { return m_engine.sizes.value(text); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return int(m_size.width());
        case PdmHeight:
            return int(m_size.height());
        case PdmWidthMM:
            return int(m_size.width() * 25.4 / m_nDpi);
        case PdmHeightMM:
            return int(m_size.height() * 25.4 / m_nDpi);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_nDpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 32;
        }
    }

private:
    struct CEngine : QPaintEngine {
        CEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override
        {
            // The size on the page: the font's pixels through the painter's scale.
            const double scale = painter()->transform().m22();
            texts << item.text();
            sizes.insert(item.text(), int(item.font().pixelSize() > 0
                                              ? item.font().pixelSize() * scale
                                              : item.font().pointSizeF() * 600 / 72.0 * scale));
        }
        Type type() const override { return QPaintEngine::User; }
        QStringList texts;
        QHash<QString, int> sizes;
    };
    int m_nDpi;
    QSizeF m_size;
    mutable CEngine m_engine;
};

} // namespace

class TestOperator : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    CLinkStatus m_link;

    std::unique_ptr<CQuillonDlg> MakeWindow()
    {
        auto window = std::make_unique<CQuillonDlg>();
        window->SetLinkStatusSource([this] { return m_link; });
        window->Initialize();
        return window;
    }

    // Shown and active: the window's keys need an active window.
    static bool Activate(CQuillonDlg& window)
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        qputenv("TARVOLIN_COMMON_DATA", m_folder.filePath("common").toUtf8());
        qputenv("TARVOLIN_PORTS_DIR", m_folder.filePath("ports").toUtf8());
        QVERIFY(CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE));
        CQuillonApp::ApplyCommandLine({"h:Bench 3", "-MCP:COM7"});
    }

    // ---- the link's state ----

    void statusAreaSaysWhatTheLinkDoes_data()
    {
        QTest::addColumn<int>("condition");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valuesKept");
        QTest::newRow("connected") << int(LINK_CONNECTED) << "Connected on COM7" << true;
        QTest::newRow("no response") << int(LINK_NO_RESPONSE) << "No response since " << false;
        QTest::newRow("busy") << int(LINK_BUSY) << "Port COM7 is used by another program" << false;
        QTest::newRow("absent") << int(LINK_NOT_PRESENT) << "Port COM7 not present" << false;
    }
    void statusAreaSaysWhatTheLinkDoes()
    {
        QFETCH(int, condition);
        QFETCH(QString, text);
        QFETCH(bool, valuesKept);
        CMessageRecorder messages;
        m_link = Link(LINK_CONNECTED);
        auto window = MakeWindow();
        QCOMPARE(window->StatusLine(kLink), QString("Connected on COM7"));
        QVERIFY2(window->StatusToolTip(kLink).contains("/dev/ttyUSB3"),
                 qPrintable(window->StatusToolTip(kLink)));
        QCOMPARE(window->StatusLine(kStatus), QString("Ready"));
        // What a running board showed last.
        window->CurrentData()->SetFrequency(0, "7.00");

        m_link = Link(LinkCondition(condition));
        m_link.SetNoResponseSince(CLinkStatus::WallClock::now());
        window->OnStatusUpdate();
        QVERIFY2(window->StatusLine(kLink).startsWith(text), qPrintable(window->StatusLine(kLink)));
        if (condition == LINK_NO_RESPONSE)
            QVERIFY(QRegularExpression("^No response since \\d\\d:\\d\\d:\\d\\d$")
                        .match(window->StatusLine(kLink))
                        .hasMatch());
        QCOMPARE(window->IsLinkUp(), valuesKept);
        QCOMPARE(window->CurrentData()->GetFrequency(0).isEmpty(), !valuesKept);
        QCOMPARE(window->StatusLine(kStatus).isEmpty(), !valuesKept);
        QCOMPARE(window->StatusLine(kElapsed), QString());

        // Back again by itself: the next status update that finds the board.
        m_link = Link(LINK_CONNECTED);
        window->OnStatusUpdate();
        QCOMPARE(window->StatusLine(kLink), QString("Connected on COM7"));
        QCOMPARE(window->StatusLine(kStatus), QString("Ready"));
        QVERIFY(window->IsLinkUp());
        QCOMPARE(messages.Count(), size_t(0)); // said in the status area, not in boxes
    }

    void theSystemsReasonIsInTheToolTip()
    {
        m_link = Link(LINK_NOT_PRESENT, 7, "/dev/ttyS6", "No such file or directory");
        auto window = MakeWindow();
        QCOMPARE(window->StatusLine(kLink), QString("Port COM7 not present"));
        QCOMPARE(window->StatusToolTip(kLink),
                 QString("COM7 is /dev/ttyS6\nNo such file or directory"));
    }

    // ---- keys and the paused view ----

    void spaceAtStartPausesAndDoesNotMinimise()
    {
        CMessageRecorder messages;
        m_link = Link(LINK_CONNECTED);
        auto window = MakeWindow();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QVERIFY2(window->Plot()->isAncestorOf(focus) || focus == window->Plot(),
                 focus->metaObject()->className());
        // No title-bar button takes the focus.
        for (unsigned id : {1002u, 1003u, 1004u}) {
            auto* button = window->findChild<QWidget*>(QStringLiteral("ctl%1").arg(id));
            QVERIFY(button);
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }

        QTest::keyClick(focus, Qt::Key_Space);
        QVERIFY(!window->isMinimized());
        QVERIFY(window->Plot()->IsPaused());
        QVERIFY(window->Plot()->IsPausedBadgeShown());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(!window->Plot()->IsPaused());
        QVERIFY(!window->Plot()->IsPausedBadgeShown());
    }

    void keysWorkWhereverTheFocusIs()
    {
        m_link = Link(LINK_CONNECTED);
        auto window = MakeWindow();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        for (long n = 1; n <= 5; ++n)
            window->Plot()->DrawPulse(Pulse(n, 6.0 + double(n)), 0);
        // The focus on a toolbar button: the window's keys still work.
        auto* toolbarButton = window->findChild<QWidget*>("ctl1027");
        QVERIFY(toolbarButton);
        toolbarButton->setFocus();
        QTest::keyClick(toolbarButton, Qt::Key_Space);
        QVERIFY(window->Plot()->IsPaused());
        QTest::keyClick(toolbarButton, Qt::Key_Left);
        QTest::keyClick(toolbarButton, Qt::Key_Left);
        QCOMPARE(window->Plot()->GetViewedPulse()->GetPulseIndex(), 3L);
        // The fields show the viewed pulse, marked as such.
        QCOMPARE(window->CurrentData()->GetFrequency(0), QString("9.00"));
        QCOMPARE(window->CurrentData()->GetLiveCaption(), QString("Viewed Pulse (paused)"));
        QVERIFY2(window->StatusLine(kElapsed).contains("pulse 3, paused"),
                 qPrintable(window->StatusLine(kElapsed)));
        // New pulses do not move the view, its count or the fields.
        const QString before = window->StatusLine(kStatus);
        QVERIFY2(before.contains("(2 of 5 back)"), qPrintable(before));
        window->Plot()->DrawPulse(Pulse(6, 13.0), 0);
        window->Plot()->DrawPulse(Pulse(7, 14.0), 0);
        QCOMPARE(window->StatusLine(kStatus), before);
        QCOMPARE(window->CurrentData()->GetFrequency(0), QString("9.00"));
        QTest::keyClick(toolbarButton, Qt::Key_Right);
        QCOMPARE(window->Plot()->GetViewedPulse()->GetPulseIndex(), 4L);
        QTest::keyClick(toolbarButton, Qt::Key_Space);
        QVERIFY(!window->Plot()->IsPaused());
        QCOMPARE(window->CurrentData()->GetLiveCaption(), QString("Current Data"));
        // F zooms to fit: the history of zooms is emptied.
        QTest::keyClick(toolbarButton, Qt::Key_F);
        QVERIFY(window->Plot()->GetZoomHistory().IsEmpty());
    }

    // ---- recording ----

    void recordAndStopShowTheStateAndEndingARecordingIsAsked()
    {
        CMessageRecorder messages;
        m_link = Link(LINK_CONNECTED);
        auto window = MakeWindow();
        QVERIFY(Activate(*window));
        auto* record = window->CurrentData()->findChild<QWidget*>("ctl1058");
        auto* stop = window->CurrentData()->findChild<QWidget*>("ctl1059");
        QVERIFY(record && stop);
        QVERIFY(record->isEnabled());
        QVERIFY(!stop->isEnabled());
        QCOMPARE(record->toolTip(), QString("Start recording (Ctrl+R)"));
        QCOMPARE(stop->toolTip(), QString("Stop recording (Ctrl+S)"));

        // No board here: the set-up cannot be read, and the operator records anyway.
        messages.QueueAnswer(IDYES);
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(window->IsRecording(), 10000);
        QVERIFY(!record->isEnabled());
        QVERIFY(stop->isEnabled());
        QVERIFY2(
            window->StatusLine(1069).startsWith(QString::fromStdString(CFilePaths::GetDataPath())),
            qPrintable(window->StatusLine(1069)));

        // Close and Reset to Ready ask first, with No as the default.
        messages.Clear();
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QVERIFY(window->IsRecording());
        window->OnButtonClicked(1016);
        QVERIFY(window->IsRecording());
        const auto asked = messages.Messages();
        QCOMPARE(asked.size(), size_t(2));
        for (const auto& question : asked) {
            QCOMPARE(question.buttons, MessageButtons::YesNoDefaultNo);
            QVERIFY2(question.text.find("A recording is in progress:\n" +
                                        window->Recording().GetFilePath()) == 0,
                     question.text.c_str());
        }
        QVERIFY(asked[0].text.find("Close the Monitor?") != std::string::npos);
        QVERIFY(asked[1].text.find("Send Reset to Ready?") != std::string::npos);

        messages.QueueAnswer(IDYES);
        QVERIFY(window->close());
        QVERIFY(!window->IsRecording());
        QVERIFY(record->isEnabled());
        QVERIFY(!stop->isEnabled());
    }

    // ---- the view ----

    void theFirstPulseIsFittedAndFollowRefitsUntilTheOperatorZooms()
    {
        CPlotDlg plot;
        plot.resize(800, 500);
        plot.show();
        CiPlotXControl* chart = plot.PlotControl();
        chart->Replot(true);
        // No INI file: the wide ranges, where a pulse is a dot.
        QCOMPARE(chart->GetRanges(), (CAxisRanges{0, 1000000, 0, 1000000}));
        plot.DrawPulse(Pulse(1, 7.0, 3000), 0);
        CAxisRanges fitted = chart->GetRanges();
        QCOMPARE(fitted.dXMax, 25.0);
        QVERIFY2(fitted.dYMax >= 3200 && fitted.dYMax < 4000,
                 qPrintable(QString::number(fitted.dYMax)));
        // Without Follow the next pulse keeps the view.
        plot.DrawPulse(Pulse(2, 7.0, 9000), 0);
        QCOMPARE(chart->GetRanges(), fitted);

        QSignalSpy follow(&plot, &CPlotDlg::followChanged);
        plot.SetFollow(true);
        QCOMPARE(follow.count(), 1);
        QVERIFY(chart->GetYAxisMax() >= 9000); // refitted at once
        plot.DrawPulse(Pulse(3, 7.0, 500), 0);
        QVERIFY2(chart->GetYAxisMax() < 1000, qPrintable(QString::number(chart->GetYAxisMax())));
        auto* followButton = plot.findChild<QToolButton*>("followButton");
        QVERIFY(followButton && followButton->isChecked());

        // A wheel step zooms about the cursor and ends Follow; zoom out comes back.
        const CAxisRanges before = chart->GetRanges();
        const QPoint centre = chart->GetPlotArea().center();
        const double xAtCursor = chart->PixelToX(centre.x());
        QWheelEvent wheel(QPointF(centre), QPointF(chart->mapToGlobal(centre)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart, &wheel);
        QVERIFY(!plot.IsFollow());
        QVERIFY(!followButton->isChecked());
        QVERIFY(chart->GetXAxisSpan() < before.dXMax - before.dXMin);
        QVERIFY(std::abs(chart->PixelToX(centre.x()) - xAtCursor) < 0.2);
        plot.DrawPulse(Pulse(4, 7.0, 9000), 0);
        QVERIFY(chart->GetYAxisMax() < 1000);
        // Zoom out from the last view kept fits the data (the pulse of now).
        plot.ZoomOut();
        QVERIFY(chart->GetYAxisMax() >= 9000);
        QVERIFY(plot.GetZoomHistory().IsEmpty());

        // A right drag pans; a right click without moving opens the menu (not zoom out).
        const CAxisRanges beforePan = chart->GetRanges();
        QTest::mousePress(chart, Qt::RightButton, Qt::NoModifier, centre);
        QTest::mouseMove(chart, centre + QPoint(80, 0));
        QTest::mouseRelease(chart, Qt::RightButton, Qt::NoModifier, centre + QPoint(80, 0));
        QVERIFY(chart->GetXAxisMin() < beforePan.dXMin);
        QCOMPARE(chart->GetXAxisSpan(), beforePan.dXMax - beforePan.dXMin);
        QCOMPARE(plot.GetZoomHistory().GetCount(), 1);
    }

    void theMenuOffersTheViewsCommandsAndTheToolTipTheGestures()
    {
        m_link = Link(LINK_CONNECTED);
        auto window = MakeWindow();
        std::unique_ptr<QMenu> menu(window->Plot()->CreateContextMenu(nullptr));
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text();
        QCOMPARE(texts,
                 (QStringList{"Pause", "Step Back", "Step Forward", "Zoom Out", "Zoom to Fit",
                              "Follow", "Clear Base Point", "Print...", "Print to PDF..."}));
        const QString tip = window->Plot()->PlotControl()->toolTip();
        for (const char* gesture : {"Left drag: zoom box", "Wheel: zoom about the cursor",
                                    "Right drag or Shift + left drag: pan",
                                    "Middle click: zoom out", "Right click: this plot's menu"})
            QVERIFY2(tip.contains(gesture), qPrintable(tip));
    }

    // ---- the window ----

    void aGripResizesFromItsEdgesAndKeepsTheMinimum_data()
    {
        QTest::addColumn<int>("edges");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("right wider")
            << int(Qt::RightEdge) << QPoint(50, 30) << QRect(100, 100, 850, 600);
        QTest::newRow("left wider, right edge stays")
            << int(Qt::LeftEdge) << QPoint(-50, 0) << QRect(50, 100, 850, 600);
        QTest::newRow("bottom-right corner") << int(Qt::BottomEdge | Qt::RightEdge)
                                             << QPoint(-100, -50) << QRect(100, 100, 700, 550);
        QTest::newRow("not under the minimum") << int(Qt::RightEdge | Qt::BottomEdge)
                                               << QPoint(-600, -500) << QRect(100, 100, 640, 480);
        QTest::newRow("top under the minimum, bottom stays")
            << int(Qt::TopEdge) << QPoint(0, 300) << QRect(100, 220, 800, 480);
    }
    void aGripResizesFromItsEdgesAndKeepsTheMinimum()
    {
        QFETCH(int, edges);
        QFETCH(QPoint, delta);
        QFETCH(QRect, expected);
        QCOMPARE(CResizeGrip::Resized(QRect(100, 100, 800, 600), delta, Qt::Edges(edges),
                                      QSize(640, 480)),
                 expected);
    }

    void theWindowFitsTheScreenAndItsMinimumSizeKeepsEveryLineReadable()
    {
        CMessageRecorder messages;
        m_link = Link(LINK_CONNECTED);
        auto window = MakeWindow();
        QVERIFY(Activate(*window));
        const QRect available = window->screen()->availableGeometry();
        QVERIFY2(available.contains(window->frameGeometry()),
                 qPrintable(QString("%1,%2 %3x%4 in %5x%6, minimum %7x%8")
                                .arg(window->frameGeometry().x())
                                .arg(window->frameGeometry().y())
                                .arg(window->frameGeometry().width())
                                .arg(window->frameGeometry().height())
                                .arg(available.width())
                                .arg(available.height())
                                .arg(window->GetReadableMinimumSize().width())
                                .arg(window->GetReadableMinimumSize().height())));
        // The minimum is the readable one wherever the screen is large enough.
        const QSize minimum = window->GetReadableMinimumSize();
        QCOMPARE(window->minimumSize(), minimum.boundedTo(available.size()));
        QVERIFY2(minimum.width() > 600 && minimum.width() < 900 && minimum.height() > 400 &&
                     minimum.height() < 650,
                 qPrintable(QString("%1x%2").arg(minimum.width()).arg(minimum.height())));

        // A recording into a deep folder, so that its path cannot fit.
        const QString deep = m_folder.filePath("recordings/of/the/calibration/runs/on/the/second/"
                                               "detector/in/the/east/laboratory");
        QVERIFY(QDir().mkpath(deep));
        window->Recorder().SetFolder(deep.toStdString());
        messages.QueueAnswer(IDYES);
        window->OnRecordStart();
        QTRY_VERIFY_WITH_TIMEOUT(window->IsRecording(), 10000);

        window->resize(minimum);
        QCOMPARE(window->size(), minimum);
        // At its narrowest the toolbar drops its captions; wide, it has them.
        QVERIFY2(window->findChild<CToolbarButtonDialog*>()->IsCompact(),
                 qPrintable(QString("%1x%2").arg(minimum.width()).arg(minimum.height())));
        const QString path = window->StatusLine(1069);
        QVERIFY(path.startsWith(deep));
        QVERIFY(window->ShownStatusLine(1069).contains(QChar(0x2026)));
        QCOMPARE(window->StatusToolTip(1069), path);
        // Every line of the status area is inside it, beside the bar, and uncut.
        QWidget* bar = window->CurrentData();
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(window.get()) || !label->objectName().startsWith("ctl10") ||
                bar->isAncestorOf(label) || label->wordWrap())
                continue;
            const QRect inWindow(label->mapTo(window.get(), QPoint(0, 0)), label->size());
            if (!window->rect().contains(inWindow))
                continue; // title bar and toolbar labels are checked by their own forms
            QVERIFY2(inWindow.bottom() < window->height(), qPrintable(label->objectName()));
            QVERIFY2(!inWindow.intersects(bar->geometry()), qPrintable(label->objectName()));
            QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <=
                         label->contentsRect().width() + 1,
                     qPrintable(label->objectName() + ": " + label->text()));
        }
        window->resize(1400, 900);
        QVERIFY(!window->findChild<CToolbarButtonDialog*>()->IsCompact());
        messages.QueueAnswer(IDYES);
        window->close();
    }

    void aLongInstrumentNameIsCutAndShownWholeInItsToolTip()
    {
        CTitleBarDlg bar(nullptr);
        bar.Initialize();
        const QString name = "(Gas chromatograph 3 in the east laboratory, second floor, bench 12)";
        bar.SetInstrumentText(name);
        bar.resize(520, bar.sizeHint().height());
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        auto* label = bar.findChild<QLabel*>("ctl1074");
        QTRY_VERIFY(label->text().endsWith(QChar(0x2026)));
        QCOMPARE(label->toolTip(), name);
        QCOMPARE(bar.GetInstrumentText(), name);
        bar.resize(1600, bar.sizeHint().height());
        QTRY_COMPARE(label->text(), name);
        QCOMPARE(label->toolTip(), QString());
    }

    void titleBarButtonsSayWhatTheyDoAndMaximiseBecomesRestore()
    {
        m_link = Link(LINK_CONNECTED);
        auto window = MakeWindow();
        QVERIFY(Activate(*window));
        const auto tip = [&](const char* name) {
            return window->findChild<QWidget*>(name)->toolTip();
        };
        QCOMPARE(tip("ctl1002"), QString("Close"));
        QCOMPARE(tip("ctl1004"), QString("Minimize"));
        QCOMPARE(tip("ctl1003"), QString("Maximize"));
        window->OnButtonClicked(1003);
        QTRY_VERIFY(window->isMaximized());
        QCOMPARE(tip("ctl1003"), QString("Restore"));
        window->OnButtonClicked(1003);
        QTRY_VERIFY(!window->isMaximized());
        QCOMPARE(tip("ctl1003"), QString("Maximize"));
        // The about box names the version.
        QVERIFY(window->About()->GetVersionText().startsWith("Tarvolin Monitor, version "));
    }

    // ---- the printed page ----

    void thePrintedPageHasAHeaderAxisTitlesAndThePlotFillsIt()
    {
        m_link = Link(LINK_CONNECTED);
        auto window = MakeWindow();
        window->show();
        window->Plot()->DrawPulse(Pulse(1234, 7.0, 3000), 0);
        const CPlotPageHeader header = window->GetPrintHeader();
        QCOMPARE(header.instrument, QString("Bench 3"));
        QCOMPARE(header.runState, QString("Ready"));
        QCOMPARE(header.pulse, QString("No pulse yet")); // the window has taken none from the link

        CPlotPageHeader given = header;
        given.pulse = "Pulse 1234 at 00:00:2.88";
        CTextRecorder page(600, QSizeF(11.69 * 600 - 600, 8.27 * 600 - 600));
        {
            auto painter = CiPlotXControl::BeginPagePainter(&page);
            QVERIFY(painter);
            const QRectF paper(QPointF(0, 0), page.Size());
            const QRectF plot =
                CPlotPage::Paint(*painter, paper, 600, given, *window->Plot()->PlotControl());
            // The plot takes the page's width and all its height but the header's.
            QCOMPARE(plot.width(), paper.width());
            QVERIFY2(plot.height() * plot.width() > 0.75 * paper.height() * paper.width(),
                     qPrintable(QString("%1 x %2").arg(plot.width()).arg(plot.height())));
        }
        for (const QString& line : CPlotPage::HeaderLines(given))
            QVERIFY2(page.Texts().contains(line), qPrintable(page.Texts().join(" | ")));
        QVERIFY(page.Texts().contains("Time (msec)"));
        QVERIFY(page.Texts().contains("Counts"));
        QVERIFY(page.Texts().contains("Run state: Ready"));
        // Tick labels as on the screen: between 6 and 14 points on paper.
        QVERIFY(page.Texts().contains("20"));
        const double points = page.PixelSize("20") * 72.0 / 600.0;
        QVERIFY2(points >= 6.0 && points <= 14.0, qPrintable(QString::number(points)));

        // Print to PDF: a file, without a printer.
        CFileDialogRecorder dialogs;
        const QString pdf = m_folder.filePath("pulse.pdf");
        dialogs.QueueAnswer(pdf.toStdString());
        CMessageRecorder messages;
        window->PrintPlotToPdf();
        QCOMPARE(messages.Count(), size_t(0));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
    }
};

QTEST_MAIN(TestOperator)
#include "tst_operator.moc"
