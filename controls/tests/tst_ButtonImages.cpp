// Composition of the button images on small pictures, checked pixel by pixel.

#include "ButtonImages.h"

#include <QTest>

using namespace ButtonImages;

namespace {

const QColor kRed(255, 0, 0);
const QColor kMagenta(255, 0, 255);
const QColor kBlue(0, 76, 154);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

QImage Solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QColor At(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// The smallest rectangle holding every pixel of the colour.
QRect Extent(const QImage& image, QColor colour)
{
    QRect extent;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (At(image, x, y) == colour) {
                extent |= QRect(x, y, 1, 1);
            }
        }
    }
    return extent;
}

} // namespace

class TestButtonImages : public QObject {
    Q_OBJECT

private slots:
    void defaultBackgrounds_data();
    void defaultBackgrounds();
    void placement_data();
    void placement();
    void keyColourLeavesTheBackground();
    void otherKeyColour();
    void alphaPixels();
    void shrunkKeyedPictureStaysCrisp();
    void shiftsOfTheStateImages_data();
    void shiftsOfTheStateImages();
    void shiftsAreClippedAtTheEdges();
    void loadedBackgroundsTakeTheFirstSize();
    void disabledPicture();
};

void TestButtonImages::defaultBackgrounds_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("colour");

    // A 10 x 8 button in the panel colour.
    const QColor face = PressedFaceColor();
    QTest::newRow("normal is plain") << 0 << QPoint(9, 7) << kBlue;
    QTest::newRow("fourth is plain") << 3 << QPoint(0, 0) << kBlue;
    QTest::newRow("hover top edge in the background") << 1 << QPoint(4, 0) << kBlue;
    QTest::newRow("hover left column is plain") << 1 << QPoint(0, 4) << kBlue;
    QTest::newRow("hover right edge, outer") << 1 << QPoint(9, 3) << kBlack;
    QTest::newRow("hover right edge, inner") << 1 << QPoint(8, 3) << kBlack;
    QTest::newRow("hover inside the right edge") << 1 << QPoint(7, 3) << kBlue;
    QTest::newRow("hover bottom edge") << 1 << QPoint(3, 6) << kBlack;
    QTest::newRow("hover above the bottom edge") << 1 << QPoint(3, 5) << kBlue;
    QTest::newRow("hover top-right corner is black") << 1 << QPoint(9, 0) << kBlack;
    QTest::newRow("pressed top edge") << 2 << QPoint(5, 1) << kBlack;
    QTest::newRow("pressed left edge") << 2 << QPoint(1, 5) << kBlack;
    QTest::newRow("pressed face") << 2 << QPoint(2, 2) << face;
    QTest::newRow("pressed has no right or bottom edge") << 2 << QPoint(9, 7) << face;
}

void TestButtonImages::defaultBackgrounds()
{
    QFETCH(int, state);
    QFETCH(QPoint, pixel);
    QFETCH(QColor, colour);
    const StateImages images = CreateBackground(QSize(10, 8), kBlue);
    for (const QImage& image : images) {
        QCOMPARE(image.size(), QSize(10, 8));
    }
    QCOMPARE(At(images[static_cast<size_t>(state)], pixel.x(), pixel.y()), colour);
}

void TestButtonImages::placement_data()
{
    QTest::addColumn<QSize>("target");
    QTest::addColumn<QSize>("foreground");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("small picture centred")
        << QSize(100, 100) << QSize(32, 32) << QRect(34, 34, 32, 32);
    QTest::newRow("picture exactly inside the margins")
        << QSize(100, 100) << QSize(94, 94) << QRect(3, 3, 94, 94);
    QTest::newRow("one pixel too big is shrunk")
        << QSize(100, 100) << QSize(95, 95) << QRect(3, 3, 94, 94);
    QTest::newRow("larger than the button is shrunk")
        << QSize(100, 100) << QSize(200, 150) << QRect(3, 3, 94, 94);
    QTest::newRow("too wide only is still fitted")
        << QSize(100, 60) << QSize(98, 20) << QRect(3, 1, 94, 58);
    QTest::newRow("margin of 1.5 truncates to 1, centred")
        << QSize(50, 50) << QSize(48, 48) << QRect(1, 1, 48, 48);
    QTest::newRow("margin of 1.5 truncates to 1, shrunk")
        << QSize(50, 50) << QSize(49, 49) << QRect(1, 1, 48, 48);
    QTest::newRow("odd gap puts the extra pixel right")
        << QSize(40, 40) << QSize(31, 31) << QRect(4, 4, 31, 31);
    QTest::newRow("no margin on a tiny button")
        << QSize(20, 20) << QSize(20, 20) << QRect(0, 0, 20, 20);
}

void TestButtonImages::placement()
{
    QFETCH(QSize, target);
    QFETCH(QSize, foreground);
    QFETCH(QRect, expected);
    QCOMPARE(ForegroundPlacement(target, foreground), expected);

    QImage canvas = Solid(target, kWhite);
    MargeForeground(canvas, Solid(foreground, kRed), 0, 0, kMagenta);
    QCOMPARE(Extent(canvas, kRed), expected);
}

void TestButtonImages::keyColourLeavesTheBackground()
{
    QImage picture = Solid(QSize(4, 4), kRed);
    picture.setPixelColor(0, 0, kMagenta);
    picture.setPixelColor(3, 2, kMagenta);
    QImage canvas = Solid(QSize(20, 20), kBlue);
    MargeForeground(canvas, picture, 0, 0, kMagenta);

    QCOMPARE(At(canvas, 8, 8), kBlue);
    QCOMPARE(At(canvas, 11, 10), kBlue);
    QCOMPARE(At(canvas, 9, 8), kRed);
    QCOMPARE(At(canvas, 11, 11), kRed);
    QCOMPARE(At(canvas, 7, 7), kBlue);
    QCOMPARE(At(canvas, 12, 12), kBlue);
}

void TestButtonImages::otherKeyColour()
{
    const QColor green(0, 255, 0);
    QImage picture = Solid(QSize(2, 1), green);
    picture.setPixelColor(1, 0, kMagenta);
    QImage canvas = Solid(QSize(10, 10), kWhite);
    MargeForeground(canvas, picture, 0, 0, green);
    QCOMPARE(At(canvas, 4, 4), kWhite);
    QCOMPARE(At(canvas, 5, 4), kMagenta);
}

void TestButtonImages::alphaPixels()
{
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(0, 255, 0, 0));
    picture.setPixel(1, 0, qRgba(255, 0, 0, 128));
    picture.setPixel(2, 0, qRgba(0, 0, 255, 255));
    QImage canvas = Solid(QSize(11, 11), kWhite);
    MargeForeground(canvas, picture, 0, 0, kMagenta);

    QCOMPARE(At(canvas, 4, 5), kWhite);
    QCOMPARE(At(canvas, 5, 5), QColor(255, 127, 127));
    QCOMPARE(At(canvas, 6, 5), QColor(0, 0, 255));
}

void TestButtonImages::shrunkKeyedPictureStaysCrisp()
{
    // A keyed picture bigger than the button: half key colour, half red.
    QImage picture = Solid(QSize(40, 40), kRed);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 20; ++x) {
            picture.setPixelColor(x, y, kMagenta);
        }
    }
    QImage canvas = Solid(QSize(34, 34), kBlue);
    MargeForeground(canvas, picture, 0, 0, kMagenta);
    // Blending would leave pinkish pixels that match neither colour.
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const QColor c = At(canvas, x, y);
            QVERIFY2(c == kBlue || c == kRed, qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
        }
    }
    const QRect red = Extent(canvas, kRed);
    QCOMPARE(red.right(), 32);
    QCOMPARE(red.top(), 1);
    QCOMPARE(red.bottom(), 32);
}

void TestButtonImages::shiftsOfTheStateImages_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QRect>("picture");

    QTest::newRow("normal") << 0 << QRect(8, 8, 4, 4);
    QTest::newRow("hover moves up-left") << 1 << QRect(7, 7, 4, 4);
    QTest::newRow("pressed moves down-right") << 2 << QRect(9, 9, 4, 4);
    QTest::newRow("fourth") << 3 << QRect(8, 8, 4, 4);
}

void TestButtonImages::shiftsOfTheStateImages()
{
    QFETCH(int, state);
    QFETCH(QRect, picture);
    const StateImages images = BuildStateImages(CreateBackground(QSize(20, 20), kBlue),
                                                Solid(QSize(4, 4), kRed), kMagenta);
    const QImage& image = images[static_cast<size_t>(state)];
    QCOMPARE(image.size(), QSize(20, 20));
    QCOMPARE(Extent(image, kRed), picture);
}

void TestButtonImages::shiftsAreClippedAtTheEdges()
{
    // No margin on a 10 x 10 button, so the shifted picture leaves the image.
    const StateImages images = BuildStateImages(CreateBackground(QSize(10, 10), kBlue),
                                                Solid(QSize(10, 10), kRed), kMagenta);
    QCOMPARE(Extent(images[1], kRed), QRect(0, 0, 9, 9));
    QCOMPARE(At(images[1], 9, 5), kBlack);
    QCOMPARE(Extent(images[2], kRed), QRect(1, 1, 9, 9));
    QCOMPARE(At(images[2], 0, 5), kBlack);
}

void TestButtonImages::loadedBackgroundsTakeTheFirstSize()
{
    const StateImages backgrounds{Solid(QSize(12, 12), kWhite), Solid(QSize(24, 24), kBlue),
                                  Solid(QSize(6, 6), kBlack), Solid(QSize(12, 12), kBlue)};
    const StateImages images = BuildStateImages(backgrounds, QImage(), kMagenta);
    for (const QImage& image : images) {
        QCOMPARE(image.size(), QSize(12, 12));
    }
    QCOMPARE(At(images[1], 6, 6), kBlue);
    QCOMPARE(At(images[2], 6, 6), kBlack);
}

void TestButtonImages::disabledPicture()
{
    QImage picture = Solid(QSize(4, 4), kRed);
    picture.setPixelColor(0, 0, kMagenta);
    const QImage image = BuildDisabledImage(Solid(QSize(20, 20), kBlue), picture, kMagenta);

    QCOMPARE(At(image, 8, 8), kBlue);
    // Grey faded into the background: neither the picture nor the background.
    const QColor grey = At(image, 9, 9);
    QVERIFY(grey != kBlue && grey != kRed);
    QVERIFY(grey.red() >= 128 * 2 / 5 - 1);
    // The same grey added to every channel of the background.
    QVERIFY(qAbs((grey.green() - kBlue.green() * 3 / 5) - grey.red()) <= 2);
    QCOMPARE(At(image, 7, 7), kBlue);

    // Without a picture the whole face goes grey.
    const QImage plain = BuildDisabledImage(Solid(QSize(4, 4), kBlue), QImage(), kMagenta);
    const QColor face = At(plain, 1, 1);
    QCOMPARE(face.red(), face.blue());
}

QTEST_APPLESS_MAIN(TestButtonImages)
#include "tst_ButtonImages.moc"
