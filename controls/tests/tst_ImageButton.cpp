// Image buttons, panels and pages driven by real mouse and key events on
// shown windows.

// Mouse events go through the window system layer, so enter/leave and the
// implicit grab of a press happen as with a real mouse.
#define QTEST_QPA_MOUSE_HANDLING

#include "BarControl.h"
#include "ButtonPannel.h"
#include "ImageButton.h"
#include "PageEx.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QColor kPanelColour(0, 76, 154);
const QColor kRed(255, 0, 0);
const QColor kMagenta(255, 0, 255);
const QPoint kCentre(20, 20);

// A 16 x 16 red picture with a key-coloured top-left pixel.
QImage Picture()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(kRed);
    image.setPixelColor(0, 0, kMagenta);
    return image;
}

class RecordingPage : public CPageEx {
public:
    using CPageEx::CPageEx;
    void OnButtonClicked(unsigned id) override { m_clicks.append(id); }
    void OnSizeChanged() override { ++m_nResizes; }
    QList<unsigned> m_clicks;
    int m_nResizes = 0;
};

// Three 40 x 40 buttons side by side, ids 11, 12, 13, pictures 101..103,
// tool tips 201..203.
class ThreeButtonPannel : public CButtonPannel {
public:
    explicit ThreeButtonPannel(StateChangeMode mode) : m_eInitialMode(mode) { resize(200, 60); }
    void CreateButtons() override
    {
        ++m_nCreated;
        for (unsigned i = 0; i < 3; ++i) {
            auto* button = new CImageButton(this);
            button->setGeometry(10 + static_cast<int>(i) * 50, 10, 40, 40);
            InitializeButton(button, 11 + i, 101 + i, 201 + i);
        }
        SetMode(m_eInitialMode);
    }
    CCustomButtonBase* Button(unsigned id) const { return GetButton(id); }
    StateChangeMode m_eInitialMode;
    int m_nCreated = 0;
};

QList<unsigned> Codes(const QSignalSpy& spy, bool withMoves)
{
    QList<unsigned> codes;
    for (const QList<QVariant>& args : spy) {
        const unsigned code = args.at(0).toUInt();
        if (withMoves || code != CBM_MOUSE_MOVE) {
            codes.append(code);
        }
    }
    return codes;
}

void Click(QWidget* button)
{
    const QPoint centre = button->rect().center();
    QTest::mouseMove(button, centre);
    QTest::mousePress(button, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(button, Qt::LeftButton, {}, centre);
}

} // namespace

class TestImageButton : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void panelSetsButtonsUpFromTheProviders();
    void pushClickSendsDownThenUpAndStaysHover();
    void releaseOutsideIsNoClick();
    void stickyPanelBehavesLikeRadioButtons();
    void disabledButtonIgnoresClicks();
    void keyboardClicks();
    void standaloneButtonRebuildsOnResize();
    void pageKeepsFourPanelSlots();
    void barPaintsItsColour();
};

void TestImageButton::initTestCase()
{
    CImageButton::SetImageProvider(
        [](unsigned id) { return id >= 101 && id <= 103 ? Picture() : QImage(); });
    CImageButton::SetStringProvider(
        [](unsigned id) { return id >= 201 && id <= 203 ? QString("Tip %1").arg(id) : QString(); });
}

void TestImageButton::cleanupTestCase()
{
    CImageButton::SetImageProvider({});
    CImageButton::SetStringProvider({});
}

void TestImageButton::panelSetsButtonsUpFromTheProviders()
{
    ThreeButtonPannel panel(STATE_CHANGE_PUSH);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    panel.hide();
    panel.show();
    QCOMPARE(panel.m_nCreated, 1);
    QCOMPARE(panel.GetButtonCount(), 3);
    QVERIFY(panel.Button(14) == nullptr);

    CCustomButtonBase* button = panel.Button(12);
    QVERIFY(button != nullptr);
    QCOMPARE(button->toolTip(), QString("Tip 202"));
    QCOMPARE(button->accessibleName(), QString("Tip 202"));
    QCOMPARE(button->GetBackgroundColor(), kPanelColour);
    QCOMPARE(button->GetBitmapId(), 102u);

    // The 16 x 16 picture centred on 40 x 40, its key pixel showing the panel.
    const QImage image = button->GetDisplayImage();
    QCOMPARE(image.size(), QSize(40, 40));
    QCOMPARE(QColor(image.pixel(12, 12)), kPanelColour);
    QCOMPARE(QColor(image.pixel(13, 12)), kRed);
    QCOMPARE(QColor(image.pixel(27, 27)), kRed);
    QCOMPARE(QColor(image.pixel(28, 28)), kPanelColour);
    // What is painted is what was composed.
    QCOMPARE(QColor(button->grab().toImage().pixel(13, 12)), kRed);
}

void TestImageButton::pushClickSendsDownThenUpAndStaysHover()
{
    ThreeButtonPannel panel(STATE_CHANGE_PUSH);
    RecordingPage page;
    page.SetButtonPannel(&panel, PANNEL_LOCATION_TOP);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    CCustomButtonBase* button = panel.Button(11);
    QSignalSpy notifications(button, &CCustomButtonBase::notify);
    QSignalSpy clicks(&panel, &CButtonPannel::buttonClicked);

    QTest::mouseMove(button, kCentre);
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_HOVER);
    QCOMPARE(notifications.last().at(0).toUInt(), unsigned(CBM_MOUSE_MOVE));
    QCOMPARE(notifications.last().at(1).toUInt(), 11u);

    QTest::mousePress(button, Qt::LeftButton, {}, kCentre);
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_PRESSED);
    // The pressed face, with the picture one pixel down-right.
    QCOMPARE(QColor(button->GetDisplayImage().pixel(13, 13)), QColor(240, 240, 245));
    QCOMPARE(QColor(button->GetDisplayImage().pixel(14, 13)), kRed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, kCentre);
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_HOVER);

    const QList<unsigned> expected{CBM_BUTTON_DOWN, CBM_BUTTON_UP};
    QCOMPARE(Codes(notifications, false), expected);
    QCOMPARE(page.m_clicks, QList<unsigned>{11});
    QCOMPARE(clicks.size(), 1);

    // Leaving for the panel's own area shows the normal image.
    QTest::mouseMove(&panel, QPoint(190, 55));
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_NORMAL);
}

void TestImageButton::releaseOutsideIsNoClick()
{
    ThreeButtonPannel panel(STATE_CHANGE_PUSH);
    RecordingPage page;
    page.SetButtonPannel(&panel, PANNEL_LOCATION_LEFT);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    CCustomButtonBase* button = panel.Button(11);
    QSignalSpy notifications(button, &CCustomButtonBase::notify);

    QTest::mouseMove(button, kCentre);
    QTest::mousePress(button, Qt::LeftButton, {}, kCentre);
    // Dragged into the gap between the first two buttons.
    const QPoint outside(45, 20);
    QTest::mouseMove(button, outside);
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_NORMAL);
    QTest::mouseRelease(button, Qt::LeftButton, {}, outside);
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_NORMAL);
    QCOMPARE(Codes(notifications, false), QList<unsigned>{CBM_BUTTON_DOWN});
    QVERIFY(page.m_clicks.isEmpty());
}

void TestImageButton::stickyPanelBehavesLikeRadioButtons()
{
    ThreeButtonPannel panel(STATE_CHANGE_STICKY);
    RecordingPage page;
    page.SetButtonPannel(&panel, PANNEL_LOCATION_RIGHT);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    CCustomButtonBase* a = panel.Button(11);
    CCustomButtonBase* b = panel.Button(12);
    CCustomButtonBase* c = panel.Button(13);
    QCOMPARE(a->GetCurrentState(), BUTTON_STATE_PRESSED);
    QCOMPARE(b->GetMode(), STATE_CHANGE_STICKY);

    Click(b);
    QCOMPARE(b->GetCurrentState(), BUTTON_STATE_PRESSED);
    QCOMPARE(a->GetCurrentState(), BUTTON_STATE_NORMAL);
    QCOMPARE(c->GetCurrentState(), BUTTON_STATE_NORMAL);
    QCOMPARE(page.m_clicks, QList<unsigned>{12});

    // Leaving keeps the selection; clicking it again reports it again.
    QTest::mouseMove(&panel, QPoint(190, 55));
    QCOMPARE(b->GetCurrentState(), BUTTON_STATE_PRESSED);
    Click(b);
    QCOMPARE(b->GetCurrentState(), BUTTON_STATE_PRESSED);
    QCOMPARE(page.m_clicks, (QList<unsigned>{12, 12}));

    Click(c);
    QCOMPARE(c->GetCurrentState(), BUTTON_STATE_PRESSED);
    QCOMPARE(b->GetCurrentState(), BUTTON_STATE_NORMAL);
    QCOMPARE(page.m_clicks, (QList<unsigned>{12, 12, 13}));
}

void TestImageButton::disabledButtonIgnoresClicks()
{
    ThreeButtonPannel panel(STATE_CHANGE_PUSH);
    RecordingPage page;
    page.SetButtonPannel(&panel, PANNEL_LOCATION_TOP);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    CCustomButtonBase* button = panel.Button(13);
    QSignalSpy notifications(button, &CCustomButtonBase::notify);

    panel.EnableControl(13, 0);
    QVERIFY(!button->isEnabled());
    Click(button);
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_NORMAL);
    QVERIFY(notifications.isEmpty());
    QVERIFY(page.m_clicks.isEmpty());

    // A faded grey picture on the panel colour.
    const QImage image = button->GetDisplayImage();
    QCOMPARE(QColor(image.pixel(12, 12)), kPanelColour);
    const QColor grey(image.pixel(20, 20));
    QVERIFY(grey != kPanelColour);
    QVERIFY(grey.red() > kPanelColour.red());

    panel.EnableControl(13, 1);
    Click(button);
    QCOMPARE(page.m_clicks, QList<unsigned>{13});
}

void TestImageButton::keyboardClicks()
{
    ThreeButtonPannel panel(STATE_CHANGE_PUSH);
    RecordingPage page;
    page.SetButtonPannel(&panel, PANNEL_LOCATION_TOP);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QTest::mouseMove(&panel, QPoint(190, 55));
    CCustomButtonBase* button = panel.Button(12);
    QSignalSpy notifications(button, &CCustomButtonBase::notify);

    QTest::keyPress(button, Qt::Key_Space);
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_PRESSED);
    QVERIFY(page.m_clicks.isEmpty());
    QTest::keyRelease(button, Qt::Key_Space);
    // The mouse is elsewhere, so no hover image.
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_NORMAL);
    QCOMPARE(page.m_clicks, QList<unsigned>{12});

    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(page.m_clicks, (QList<unsigned>{12, 12}));
    const QList<unsigned> expected{CBM_BUTTON_DOWN, CBM_BUTTON_UP, CBM_BUTTON_DOWN, CBM_BUTTON_UP};
    QCOMPARE(Codes(notifications, true), expected);

    // A press that loses the keyboard focus is dropped.
    button->setFocus();
    QTest::keyPress(button, Qt::Key_Space);
    panel.Button(13)->setFocus();
    button->clearFocus();
    QTest::keyRelease(button, Qt::Key_Space);
    QCOMPARE(button->GetCurrentState(), BUTTON_STATE_NORMAL);
    QCOMPARE(page.m_clicks.size(), 2);
}

void TestImageButton::standaloneButtonRebuildsOnResize()
{
    CImageButton button;
    // Forms give ids by property name.
    QVERIFY(button.setProperty("buttonId", 7));
    QCOMPARE(button.GetButtonId(), 7u);
    QSignalSpy clicks(&button, &CCustomButtonBase::clicked);
    button.resize(40, 40);
    QCOMPARE(button.SetBitmap(QPixmap::fromImage(Picture()), Qt::white, kMagenta), 1);
    QCOMPARE(button.sizeHint(), QSize(24, 24));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    // A 16 x 16 picture on 16 x 16 has no margin and fills the button.
    button.resize(16, 16);
    QTRY_COMPARE(button.GetDisplayImage().size(), QSize(16, 16));
    QCOMPARE(QColor(button.GetDisplayImage().pixel(1, 0)), kRed);
    QCOMPARE(QColor(button.GetDisplayImage().pixel(0, 0)), QColor(Qt::white));

    // A null picture keeps the old one.
    QCOMPARE(button.SetBitmap(QImage(), Qt::white, kMagenta), 0);
    QCOMPARE(QColor(button.GetDisplayImage().pixel(1, 0)), kRed);

    Click(&button);
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.first().at(0).toUInt(), 7u);
}

void TestImageButton::pageKeepsFourPanelSlots()
{
    RecordingPage page;
    CButtonPannel first;
    CButtonPannel second;

    page.SetButtonPannel(&first, 4);
    page.SetButtonPannel(&first, -1);
    for (int location = 0; location < kButtonPannelLocationCount; ++location) {
        QVERIFY(page.GetButtonPannel(location) == nullptr);
    }
    QVERIFY(first.GetTargetPage() == nullptr);
    QVERIFY(page.GetButtonPannel(4) == nullptr);

    page.SetButtonPannel(&first, PANNEL_LOCATION_BOTTOM);
    QCOMPARE(page.GetButtonPannel(PANNEL_LOCATION_BOTTOM), &first);
    QCOMPARE(first.GetTargetPage(), &page);

    // A replaced panel no longer sends its clicks here.
    page.SetButtonPannel(&second, PANNEL_LOCATION_BOTTOM);
    QVERIFY(first.GetTargetPage() == nullptr);
    QCOMPARE(second.GetTargetPage(), &page);
    first.OnButtonMessage(CBM_BUTTON_UP, 5);
    second.OnButtonMessage(CBM_BUTTON_DOWN, 6);
    second.OnButtonMessage(CBM_BUTTON_UP, 7);
    QCOMPARE(page.m_clicks, QList<unsigned>{7});

    page.resize(300, 200);
    page.ShowMe();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    const int before = page.m_nResizes;
    page.resize(320, 220);
    QTRY_VERIFY(page.m_nResizes > before);
    page.HideMe();
    QVERIFY(!page.isVisible());
    QCOMPARE(page.UpdateSelfWithBroadcastData(), 0);
}

void TestImageButton::barPaintsItsColour()
{
    CBarControl bar;
    bar.resize(30, 6);
    bar.SetColor(QColor(0, 76, 154));
    QCOMPARE(bar.GetColor(), QColor(0, 76, 154));
    QCOMPARE(QColor(bar.grab().toImage().pixel(29, 5)), QColor(0, 76, 154));
}

QTEST_MAIN(TestImageButton)
#include "tst_ImageButton.moc"
