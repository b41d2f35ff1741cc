#pragma once
// A button panel built from a form of the resource library: every
// CImageButton of the form is registered with its control id ("ctl<id>"),
// its picture ("bitmapId") and its tool tip ("toolTipId").

#include "ButtonPannel.h"

class QLabel;

class CFormPannel : public CButtonPannel {
    Q_OBJECT
public:
    CFormPannel(int templateId, QWidget* parent);
    QWidget* Form() const { return m_pForm; }
    QLabel* Label(int id) const;

    // The control id of a form widget named "ctl<id>", 0 for any other name.
    static unsigned ControlId(const QObject* object);

protected:
    void CreateButtons() override;

private:
    int m_nTemplateId;
    QWidget* m_pForm = nullptr;
};
