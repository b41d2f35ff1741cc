#include "LauncherPannel.h"

#include "FormPannel.h"
#include "ImageButton.h"
#include "LauncherResources.h"
#include "ResourceLibrary.h"

#include <QLabel>
#include <QVBoxLayout>

CLauncherPannel::CLauncherPannel(unsigned templateId, QColor background, QWidget* parent)
    : CButtonPannel(templateId, parent)
{
    SetBackgroundColor(background);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pForm = CLauncherResources::LoadForm(static_cast<int>(templateId), this);
    if (m_pForm)
        layout->addWidget(m_pForm);
}

QLabel* CLauncherPannel::Label(int id) const
{
    return CResourceLibrary::Control<QLabel>(m_pForm, id);
}

void CLauncherPannel::CreateButtons()
{
    if (!m_pForm)
        return;
    for (CImageButton* button : m_pForm->findChildren<CImageButton*>())
        InitializeButton(button, CFormPannel::ControlId(button),
                         button->property("bitmapId").toUInt(),
                         button->property("toolTipId").toUInt());
}
