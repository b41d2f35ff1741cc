#pragma once
// A row of image buttons on a coloured background that passes their clicks
// on to a page. Derived panels create and register their buttons in
// CreateButtons(), which runs once, from Initialize(): called when the panel
// is first made visible (before its children are shown), or earlier by the
// program when it needs the buttons before that. A derived panel that wants
// sticky mode calls SetMode after registering its buttons.

#include "ButtonStateMachine.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QWidget>

class CCustomButtonBase;
class CImageButton;
class CPageEx;

class CButtonPannel : public QWidget {
    Q_OBJECT

public:
    explicit CButtonPannel(QWidget* parent = nullptr);
    // The template id names the form the derived panel is built from.
    CButtonPannel(unsigned templateId, QWidget* parent);

    unsigned GetTemplateId() const { return m_nTemplateId; }

    // CreateButtons(), then UpdateInfo() of every registered button; once.
    // Returns 1.
    int Initialize();
    bool IsInitialized() const { return m_bInitialized; }

    // The buttons that take part in clicks, modes and radio behaviour, in
    // the order registered.
    virtual int GetButtonCount() const;
    virtual QList<CCustomButtonBase*> GetButtonInfos() const;
    // Empty here; derived panels create and register their buttons.
    virtual void CreateButtons();
    // The target page's OnButtonClicked first; then, in sticky mode, every
    // other pressed button goes back to normal.
    virtual void OnButtonClicked(unsigned id);
    virtual QColor GetBackgroundColor() const { return m_clrBackground; }
    // Always magenta: the key colour of the program's button pictures.
    virtual QColor GetTransparentColor() const;

    // Adds a button once (null and repeats are ignored) and gives it the
    // panel's mode. 1 when it was added.
    int RegisterButton(CCustomButtonBase* button);
    // Registers the button and gives it its ids, the picture of the bitmap
    // in the panel's colours and the tool tip of the string id.
    void InitializeButton(CImageButton* button, unsigned id, unsigned bitmapId,
                          unsigned toolTipStringId);
    void InitializeButton(CImageButton* button, unsigned id, unsigned bitmapId,
                          unsigned toolTipStringId, QColor transparent);
    CCustomButtonBase* GetButton(unsigned id) const;
    // Enables or disables the registered button with that id.
    void EnableControl(unsigned id, int enable);

    // Repaints the panel and gives its buttons the new colour.
    void SetBackgroundColor(QColor colour);
    // Stored in the panel and every button; in sticky mode the first button
    // is shown pressed.
    void SetMode(StateChangeMode mode);
    StateChangeMode GetMode() const { return m_eMode; }
    void SetTargetPage(CPageEx* page);
    CPageEx* GetTargetPage() const;

    // Where the buttons' notifications arrive (code is a CustomButtonMsg):
    // a button-up is a click. Returns 0.
    virtual int OnButtonMessage(unsigned code, unsigned id);

    // Initializes on the first show.
    void setVisible(bool visible) override;

signals:
    // After OnButtonClicked has run for a click on a button of this panel.
    void buttonClicked(unsigned id);

private:
    void ApplyBackground();

    unsigned m_nTemplateId = 0;
    QPointer<CPageEx> m_pTargetPage;
    QColor m_clrBackground{0, 76, 154};
    StateChangeMode m_eMode = STATE_CHANGE_PUSH;
    QList<QPointer<CCustomButtonBase>> m_buttons;
    bool m_bInitialized = false;
};
