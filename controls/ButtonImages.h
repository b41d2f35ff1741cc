#pragma once
// The pictures of an image button, composed without a window: the default
// backgrounds of the four states, the picture merged onto them, and the
// greyed look of a disabled button.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <array>

namespace ButtonImages {

// Per cent of the button's width (height) kept free on each side of a
// picture that has to be shrunk.
constexpr double kDefaultForegroundMargin = 3.0;
// The face of a pressed button.
inline QColor PressedFaceColor()
{
    return QColor(240, 240, 245);
}
// Pixels of this colour in a picture are left out, so the background shows.
inline QColor DefaultTransparentColor()
{
    return QColor(255, 0, 255);
}
// Width of the raised and sunken edges.
constexpr int kEdgeWidth = 2;

using StateImages = std::array<QImage, 4>;

// The default backgrounds, indexed by ButtonState: normal, hover, pressed and
// fourth. Normal and fourth are plain background; hover has a black right and
// bottom edge (raised); pressed has the pressed face with a black top and left
// edge (sunken). An empty size gives 1 x 1 images.
StateImages CreateBackground(QSize size, QColor background);

// Where a picture of size `foreground` lands on a target of size `target`
// (before any shift): centred at its own size when that keeps the margins
// (target size x margin / 100, truncated, on each side), else stretched to the
// target less the margins.
QRect ForegroundPlacement(QSize target, QSize foreground,
                          double marginPercent = kDefaultForegroundMargin);

// Copies the picture onto `target` at its placement moved by the shift,
// leaving out pixels of the transparent colour and fully transparent pixels;
// partly transparent pixels are blended. Pixels that fall outside the target
// are dropped.
void MargeForeground(QImage& target, const QImage& foreground, int xShift, int yShift,
                     QColor transparent, double marginPercent = kDefaultForegroundMargin);

// The four state images: each background (all scaled to the size of the
// first) with the picture merged in, moved up-left under the mouse and
// down-right when pressed. A null foreground leaves the backgrounds plain.
StateImages BuildStateImages(const StateImages& backgrounds, const QImage& foreground,
                             QColor transparent, double marginPercent = kDefaultForegroundMargin);

// A washed-out grey copy of a picture, for disabled buttons; pixels of the
// transparent colour and the alpha channel are kept as they are.
QImage MakeDisabledPicture(const QImage& picture, QColor transparent);

// What a disabled button shows: the normal background with the greyed
// picture, unshifted; without a picture, the greyed background itself (the
// background colour keeps a panel's look around a greyed picture).
QImage BuildDisabledImage(const QImage& normalBackground, const QImage& foreground,
                          QColor transparent, double marginPercent = kDefaultForegroundMargin);

// The shift of the picture in each state's image.
QPoint ForegroundShift(int state);

} // namespace ButtonImages
