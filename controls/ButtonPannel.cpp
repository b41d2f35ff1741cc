#include "ButtonPannel.h"

#include "ImageButton.h"
#include "PageEx.h"

#include <QPalette>

CButtonPannel::CButtonPannel(QWidget* parent) : CButtonPannel(0, parent)
{
}

CButtonPannel::CButtonPannel(unsigned templateId, QWidget* parent)
    : QWidget(parent), m_nTemplateId(templateId)
{
    ApplyBackground();
}

int CButtonPannel::Initialize()
{
    if (m_bInitialized) {
        return 1;
    }
    m_bInitialized = true;
    CreateButtons();
    for (CCustomButtonBase* button : GetButtonInfos()) {
        button->UpdateInfo();
        // Children created under a panel already on screen stay hidden
        // unless shown; those a derived panel hid on purpose stay hidden.
        if (isVisible() && !button->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
            button->show();
        }
    }
    return 1;
}

int CButtonPannel::GetButtonCount() const
{
    return static_cast<int>(GetButtonInfos().size());
}

QList<CCustomButtonBase*> CButtonPannel::GetButtonInfos() const
{
    QList<CCustomButtonBase*> buttons;
    for (const QPointer<CCustomButtonBase>& button : m_buttons) {
        if (button) {
            buttons.append(button.data());
        }
    }
    return buttons;
}

void CButtonPannel::CreateButtons()
{
}

void CButtonPannel::OnButtonClicked(unsigned id)
{
    const QPointer<CButtonPannel> self(this);
    if (m_pTargetPage) {
        m_pTargetPage->OnButtonClicked(id);
    }
    if (!self || m_eMode != STATE_CHANGE_STICKY) {
        return;
    }
    for (CCustomButtonBase* button : GetButtonInfos()) {
        if (button->GetButtonId() != id && button->GetCurrentState() == BUTTON_STATE_PRESSED) {
            button->ChangeState(BUTTON_STATE_NORMAL);
        }
    }
}

QColor CButtonPannel::GetTransparentColor() const
{
    return QColor(255, 0, 255);
}

int CButtonPannel::RegisterButton(CCustomButtonBase* button)
{
    if (button == nullptr || GetButtonInfos().contains(button)) {
        return 0;
    }
    m_buttons.append(button);
    button->SetMode(m_eMode);
    return 1;
}

void CButtonPannel::InitializeButton(CImageButton* button, unsigned id, unsigned bitmapId,
                                     unsigned toolTipStringId)
{
    InitializeButton(button, id, bitmapId, toolTipStringId, GetTransparentColor());
}

void CButtonPannel::InitializeButton(CImageButton* button, unsigned id, unsigned bitmapId,
                                     unsigned toolTipStringId, QColor transparent)
{
    if (button == nullptr) {
        return;
    }
    RegisterButton(button);
    button->SetButtonId(id);
    button->SetToolTipId(toolTipStringId);
    button->SetBitmap(bitmapId, GetBackgroundColor(), transparent);
    button->SetToolTip(toolTipStringId);
}

CCustomButtonBase* CButtonPannel::GetButton(unsigned id) const
{
    for (CCustomButtonBase* button : GetButtonInfos()) {
        if (button->GetButtonId() == id) {
            return button;
        }
    }
    return nullptr;
}

void CButtonPannel::EnableControl(unsigned id, int enable)
{
    if (CCustomButtonBase* button = GetButton(id)) {
        button->setEnabled(enable != 0);
        button->update();
    }
}

void CButtonPannel::SetBackgroundColor(QColor colour)
{
    m_clrBackground = colour;
    ApplyBackground();
    for (CCustomButtonBase* button : GetButtonInfos()) {
        button->SetBackgroundColor(colour);
    }
    update();
}

void CButtonPannel::SetMode(StateChangeMode mode)
{
    m_eMode = mode;
    const QList<CCustomButtonBase*> buttons = GetButtonInfos();
    for (CCustomButtonBase* button : buttons) {
        button->SetMode(mode);
    }
    if (mode == STATE_CHANGE_STICKY && !buttons.isEmpty()) {
        buttons.first()->ChangeState(BUTTON_STATE_PRESSED);
    }
}

void CButtonPannel::SetTargetPage(CPageEx* page)
{
    m_pTargetPage = page;
}

CPageEx* CButtonPannel::GetTargetPage() const
{
    return m_pTargetPage.data();
}

int CButtonPannel::OnButtonMessage(unsigned code, unsigned id)
{
    if (code == CBM_BUTTON_UP) {
        const QPointer<CButtonPannel> self(this);
        OnButtonClicked(id);
        if (self) {
            emit buttonClicked(id);
        }
    }
    return 0;
}

void CButtonPannel::setVisible(bool visible)
{
    // Before the show reaches the children, so buttons created now appear.
    if (visible) {
        Initialize();
    }
    QWidget::setVisible(visible);
}

void CButtonPannel::ApplyBackground()
{
    // The palette reaches child labels and group boxes too, so captions sit
    // on the panel colour without each being told.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_clrBackground);
    setPalette(pal);
    setAutoFillBackground(true);
}
