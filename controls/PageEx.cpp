#include "PageEx.h"

#include "ButtonPannel.h"

CPageEx::CPageEx(QWidget* parent) : CPageEx(0, parent)
{
}

CPageEx::CPageEx(unsigned templateId, QWidget* parent) : QWidget(parent), m_nTemplateId(templateId)
{
}

void CPageEx::SetButtonPannel(CButtonPannel* panel, int location)
{
    if (location < 0 || location >= kButtonPannelLocationCount) {
        return;
    }
    QPointer<CButtonPannel>& slot = m_pButtonPannels[static_cast<size_t>(location)];
    if (slot && slot != panel && slot->GetTargetPage() == this) {
        slot->SetTargetPage(nullptr);
    }
    slot = panel;
    if (panel != nullptr) {
        panel->SetTargetPage(this);
    }
}

CButtonPannel* CPageEx::GetButtonPannel(int location) const
{
    if (location < 0 || location >= kButtonPannelLocationCount) {
        return nullptr;
    }
    return m_pButtonPannels[static_cast<size_t>(location)].data();
}

void CPageEx::OnButtonClicked(unsigned /*id*/)
{
}

void CPageEx::ShowMe()
{
    show();
}

void CPageEx::HideMe()
{
    hide();
}

int CPageEx::UpdateSelfWithBroadcastData()
{
    return 0;
}

void CPageEx::OnSizeChanged()
{
}

void CPageEx::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSizeChanged();
}
