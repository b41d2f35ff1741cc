#include "ImageButton.h"

CImageButton::CImageButton(QWidget* parent) : CCustomButtonBase(parent)
{
}

CImageButton::CImageButton(unsigned buttonId, unsigned bitmapId, unsigned toolTipId,
                           QWidget* parent)
    : CCustomButtonBase(buttonId, bitmapId, toolTipId, parent)
{
}

int CImageButton::SetBitmap(const QImage& picture, QColor background, QColor transparent)
{
    SetBackgroundColor(background);
    SetTransparentColor(transparent);
    CreateBackground();
    Initialize();
    if (picture.isNull()) {
        CreateDCW();
        return 0;
    }
    return SetForeground(picture);
}

int CImageButton::SetBitmap(const QPixmap& picture, QColor background, QColor transparent)
{
    return SetBitmap(picture.toImage(), background, transparent);
}

int CImageButton::SetBitmap(unsigned bitmapId, QColor background, QColor transparent)
{
    SetBitmapId(bitmapId);
    return SetBitmap(LoadImage(bitmapId), background, transparent);
}

void CImageButton::UpdateInfo()
{
    CCustomButtonBase::UpdateInfo();
    if (GetBitmapId() != 0) {
        SetBitmap(GetBitmapId(), GetBackgroundColor(), GetTransparentColor());
    }
}
