#pragma once
// A button panel of the Launcher built from one of its forms: every
// CImageButton of the form is registered with its control id ("ctl<id>"),
// its picture ("bitmapId") and its tool tip ("toolTipId"), drawn on the
// panel's colour.

#include "ButtonPannel.h"

class QLabel;

class CLauncherPannel : public CButtonPannel {
    Q_OBJECT

public:
    CLauncherPannel(unsigned templateId, QColor background, QWidget* parent);
    QWidget* Form() const { return m_pForm; }
    QLabel* Label(int id) const;

protected:
    void CreateButtons() override;

private:
    QWidget* m_pForm = nullptr;
};
