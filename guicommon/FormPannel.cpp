#include "FormPannel.h"

#include "ImageButton.h"
#include "ResourceLibrary.h"

#include <QLabel>
#include <QVBoxLayout>

CFormPannel::CFormPannel(int templateId, QWidget* parent)
    : CButtonPannel(parent), m_nTemplateId(templateId)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pForm = CResourceLibrary::LoadForm(m_nTemplateId, this);
    if (m_pForm)
        layout->addWidget(m_pForm);
}

unsigned CFormPannel::ControlId(const QObject* object)
{
    const QString name = object->objectName();
    return name.startsWith(QLatin1String("ctl")) ? name.mid(3).toUInt() : 0;
}

void CFormPannel::CreateButtons()
{
    if (!m_pForm)
        return;
    for (CImageButton* button : m_pForm->findChildren<CImageButton*>()) {
        InitializeButton(button, ControlId(button), button->property("bitmapId").toUInt(),
                         button->property("toolTipId").toUInt());
    }
}

QLabel* CFormPannel::Label(int id) const
{
    return CResourceLibrary::Control<QLabel>(m_pForm, id);
}
