#include "ButtonImages.h"

#include <algorithm>

namespace ButtonImages {

namespace {

// Fills the part of `rect` that lies inside the image, exactly (no painter,
// so no antialiasing or pen rules can move an edge by a pixel).
void FillRect(QImage& image, QRect rect, QColor colour)
{
    const QRect clipped = rect.intersected(image.rect());
    const QRgb value = colour.rgba();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line + clipped.left(), line + clipped.right() + 1, value);
    }
}

QImage PlainImage(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool SameColour(QRgb pixel, QRgb key)
{
    return (pixel & RGB_MASK) == (key & RGB_MASK);
}

bool ContainsColour(const QImage& image, QRgb key)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (SameColour(line[x], key) && qAlpha(line[x]) != 0) {
                return true;
            }
        }
    }
    return false;
}

// Resizes a picture for its placement. Colour-keyed pictures are resized
// pixel by pixel: smoothing would blend the key colour into the edges and
// leave a coloured fringe that no longer matches the key. Pictures with real
// transparency and no key colour are smoothed.
QImage FitPicture(const QImage& picture, QSize size, QRgb key)
{
    if (picture.size() == size) {
        return picture;
    }
    const bool smooth = picture.hasAlphaChannel() && !ContainsColour(picture, key);
    return picture
        .scaled(size, Qt::IgnoreAspectRatio,
                smooth ? Qt::SmoothTransformation : Qt::FastTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

QRgb Blend(QRgb source, QRgb target)
{
    const int a = qAlpha(source);
    const auto mix = [a](int s, int t) { return (s * a + t * (255 - a) + 127) / 255; };
    const int outAlpha = a + (qAlpha(target) * (255 - a) + 127) / 255;
    return qRgba(mix(qRed(source), qRed(target)), mix(qGreen(source), qGreen(target)),
                 mix(qBlue(source), qBlue(target)), outAlpha);
}

QImage Opaque(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32) {
        return image;
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

StateImages CreateBackground(QSize size, QColor background)
{
    const QSize imageSize(std::max(size.width(), 1), std::max(size.height(), 1));
    const int w = imageSize.width();
    const int h = imageSize.height();
    StateImages images{PlainImage(imageSize, background), PlainImage(imageSize, background),
                       PlainImage(imageSize, PressedFaceColor()),
                       PlainImage(imageSize, background)};

    const QColor black(0, 0, 0);
    QImage& hover = images[1];
    FillRect(hover, QRect(0, 0, w, kEdgeWidth), background);
    FillRect(hover, QRect(w - kEdgeWidth, 0, kEdgeWidth, h), black);
    FillRect(hover, QRect(0, h - kEdgeWidth, w, kEdgeWidth), black);

    QImage& pressed = images[2];
    FillRect(pressed, QRect(0, 0, w, kEdgeWidth), black);
    FillRect(pressed, QRect(0, 0, kEdgeWidth, h), black);
    return images;
}

QRect ForegroundPlacement(QSize target, QSize foreground, double marginPercent)
{
    const int xMargin = static_cast<int>(target.width() * marginPercent / 100.0);
    const int yMargin = static_cast<int>(target.height() * marginPercent / 100.0);
    const int x = (target.width() - foreground.width()) / 2;
    const int y = (target.height() - foreground.height()) / 2;
    // Centring puts the larger gap on the right and bottom, so the left and
    // top gaps decide whether the margins hold.
    if (x >= xMargin && y >= yMargin) {
        return QRect(QPoint(x, y), foreground);
    }
    return QRect(xMargin, yMargin, std::max(target.width() - 2 * xMargin, 1),
                 std::max(target.height() - 2 * yMargin, 1));
}

void MargeForeground(QImage& target, const QImage& foreground, int xShift, int yShift,
                     QColor transparent, double marginPercent)
{
    if (target.isNull() || foreground.isNull()) {
        return;
    }
    target = Opaque(target);
    const QRgb key = transparent.rgb();
    const QRect place = ForegroundPlacement(target.size(), foreground.size(), marginPercent);
    const QImage picture =
        FitPicture(foreground.convertToFormat(QImage::Format_ARGB32), place.size(), key);

    const QRect dest =
        QRect(place.topLeft() + QPoint(xShift, yShift), place.size()).intersected(target.rect());
    const int xOffset = place.left() + xShift;
    const int yOffset = place.top() + yShift;
    for (int y = dest.top(); y <= dest.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y - yOffset));
        auto* to = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = dest.left(); x <= dest.right(); ++x) {
            const QRgb pixel = from[x - xOffset];
            const int alpha = qAlpha(pixel);
            if (alpha == 0 || SameColour(pixel, key)) {
                continue;
            }
            to[x] = alpha == 255 ? (pixel | 0xff000000u) : Blend(pixel, to[x]);
        }
    }
}

QPoint ForegroundShift(int state)
{
    switch (state) {
    case 1:
        return QPoint(-1, -1);
    case 2:
        return QPoint(1, 1);
    default:
        return QPoint(0, 0);
    }
}

StateImages BuildStateImages(const StateImages& backgrounds, const QImage& foreground,
                             QColor transparent, double marginPercent)
{
    StateImages images;
    const QSize size = backgrounds[0].size();
    for (int state = 0; state < 4; ++state) {
        QImage image = backgrounds[static_cast<size_t>(state)];
        if (image.isNull()) {
            image = PlainImage(size.isEmpty() ? QSize(1, 1) : size, QColor(255, 255, 255));
        } else if (image.size() != size && !size.isEmpty()) {
            image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        image = Opaque(image);
        if (!foreground.isNull()) {
            const QPoint shift = ForegroundShift(state);
            MargeForeground(image, foreground, shift.x(), shift.y(), transparent, marginPercent);
        }
        images[static_cast<size_t>(state)] = image;
    }
    return images;
}

QImage MakeDisabledPicture(const QImage& picture, QColor transparent)
{
    if (picture.isNull()) {
        return picture;
    }
    QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.isValid() ? transparent.rgb() : 0;
    const bool keyed = transparent.isValid();
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            if (keyed && SameColour(line[x], key)) {
                continue;
            }
            // Grey, and faded into the background: a picture that is white
            // already would otherwise look the same enabled and disabled.
            const int value = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(value, value, value, qAlpha(line[x]) * 2 / 5);
        }
    }
    return grey;
}

QImage BuildDisabledImage(const QImage& normalBackground, const QImage& foreground,
                          QColor transparent, double marginPercent)
{
    QImage image = Opaque(normalBackground);
    if (foreground.isNull()) {
        // A face without a picture stays opaque; only its colour goes grey.
        return Opaque(MakeDisabledPicture(image, QColor()));
    }
    MargeForeground(image, MakeDisabledPicture(foreground, transparent), 0, 0, transparent,
                    marginPercent);
    return image;
}

} // namespace ButtonImages
