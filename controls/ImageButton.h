#pragma once
// The image button of the panels: a CCustomButtonBase whose picture comes
// from its bitmap id, drawn on the default backgrounds in the colours given.

#include "CustomButtonBase.h"

#include <QPixmap>

class CImageButton : public CCustomButtonBase {
    Q_OBJECT

public:
    explicit CImageButton(QWidget* parent = nullptr);
    CImageButton(unsigned buttonId, unsigned bitmapId, unsigned toolTipId,
                 QWidget* parent = nullptr);

    // Stores both colours, redraws the default backgrounds and merges the
    // picture onto them. 0 when the picture is null (the colours still apply
    // and an earlier picture stays).
    int SetBitmap(const QImage& picture, QColor background, QColor transparent);
    int SetBitmap(const QPixmap& picture, QColor background, QColor transparent);
    // The picture from the image provider; also becomes the button's bitmap id.
    int SetBitmap(unsigned bitmapId, QColor background, QColor transparent);

    // The tool tip as the base does, then the picture of the bitmap id in the
    // stored colours.
    void UpdateInfo() override;
};
