#pragma once
// A button drawn from four pictures, one per state (normal, hover, pressed
// and a fourth one that only a program shows), that tells its parent about
// presses, releases and mouse moves.
//
// Notifications: every press, release inside the button and mouse move is
// sent as notify(code, buttonId) with a CustomButtonMsg code, and, when the
// button sits inside a CButtonPannel, to the nearest such panel's
// OnButtonMessage(code, buttonId) first; after a button-up, clicked(buttonId)
// follows. A release outside the button is no click and sends nothing.
//
// Pictures come from the program's resources, which this library does not
// know: the program installs an image provider and a string provider once at
// start, and buttons ask them for their bitmap and tool-tip ids.

#include "ButtonImages.h"
#include "ButtonStateMachine.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class CCustomButtonBase : public QWidget {
    Q_OBJECT
    // Settable from a form, so a loader can give a button its ids by name.
    Q_PROPERTY(uint buttonId READ GetButtonId WRITE SetButtonId)
    Q_PROPERTY(uint bitmapId READ GetBitmapId WRITE SetBitmapId)
    Q_PROPERTY(uint toolTipId READ GetToolTipId WRITE SetToolTipId)

public:
    using ImageProvider = std::function<QImage(unsigned bitmapId)>;
    using StringProvider = std::function<QString(unsigned stringId)>;

    explicit CCustomButtonBase(QWidget* parent = nullptr);
    CCustomButtonBase(unsigned buttonId, unsigned bitmapId, unsigned toolTipId,
                      QWidget* parent = nullptr);
    ~CCustomButtonBase() override;

    // Where bitmap and string ids are looked up; an empty function (the
    // default) makes every lookup fail quietly. Set once before the first
    // window opens; shared by every button.
    static void SetImageProvider(ImageProvider provider);
    static void SetStringProvider(StringProvider provider);
    static QImage LoadImage(unsigned bitmapId);
    static QString LoadString(unsigned stringId);

    // Makes sure the images exist; repeated calls do nothing.
    void Initialize();
    // Redraws the default backgrounds of the four states in the background colour.
    void CreateBackground();

    // Four pictures (normal, hover, pressed, fourth) replacing the default
    // backgrounds; the button's image size becomes that of the first, and
    // painting stretches it to the button. 0 when any picture is null.
    int SetBackgrounds(const QImage& normal, const QImage& hover, const QImage& pressed,
                       const QImage& fourth);
    int SetBackgrounds(unsigned normalId, unsigned hoverId, unsigned pressedId, unsigned fourthId);
    void ClearBackgrounds();
    // The picture drawn on every state. 0 when the picture is null.
    int SetForeground(const QImage& picture);
    int SetForeground(unsigned bitmapId);
    void ClearForeground();
    // Rebuilds the four state images for the current size; 0 when neither
    // backgrounds nor a foreground are loaded (the default backgrounds are
    // still drawn), else 1.
    int CreateDCW();

    void ChangeState(ButtonState state);
    ButtonState GetCurrentState() const { return m_stateMachine.GetState(); }
    void SetMode(StateChangeMode mode) { m_stateMachine.SetMode(mode); }
    StateChangeMode GetMode() const { return m_stateMachine.GetMode(); }

    void SetButtonId(unsigned id) { m_nButtonId = id; }
    unsigned GetButtonId() const { return m_nButtonId; }
    void SetBitmapId(unsigned id) { m_nBitmapId = id; }
    unsigned GetBitmapId() const { return m_nBitmapId; }
    void SetToolTipId(unsigned id) { m_nToolTipId = id; }
    unsigned GetToolTipId() const { return m_nToolTipId; }

    void SetBackgroundColor(QColor colour);
    QColor GetBackgroundColor() const { return m_clrBackground; }
    void SetTransparentColor(QColor colour);
    QColor GetTransparentColor() const { return m_clrTransparent; }

    // Also the button's accessible name unless a form gave it one.
    void SetToolTip(const QString& text);
    void SetToolTip(unsigned stringId);

    // Fills in what the ids name: here the tool tip from the tool-tip id.
    virtual void UpdateInfo();

    // What painting shows now (the current state's image, or the greyed one
    // while disabled), and each state's image; at the image size, before the
    // stretch to the button.
    QImage GetDisplayImage() const;
    QImage GetStateImage(ButtonState state) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // code is a CustomButtonMsg value.
    void notify(unsigned code, unsigned buttonId);
    // A release inside the button after a press on it (mouse, Space or Enter).
    void clicked(unsigned buttonId);

protected:
    void SendMessageToParent(CustomButtonMsg code);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RebuildImages();
    void ShowChange(bool changed);
    void PressFromKeyboard();
    void ReleaseFromKeyboard();
    void CancelPress();

    unsigned m_nButtonId = 0;
    unsigned m_nBitmapId = 0;
    unsigned m_nToolTipId = 0;
    CButtonStateMachine m_stateMachine;
    QRect m_rcClient;
    int m_bBackgroundsLoaded = 0;
    int m_bForegroundLoaded = 0;
    ButtonImages::StateImages m_bmpBackground;
    QImage m_bmpForeground;
    ButtonImages::StateImages m_imgState;
    QImage m_imgDisabled;
    double m_dForegroundMargin = ButtonImages::kDefaultForegroundMargin;
    int m_bInitialized = 0;
    QColor m_clrBackground{255, 255, 255};
    QColor m_clrTransparent = ButtonImages::DefaultTransparentColor();
    QString m_strToolTip;
    bool m_bMousePressed = false;
    bool m_bKeyPressed = false;
};
