#include "CustomButtonBase.h"

#include "ButtonPannel.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPointer>

#include <utility>

namespace {

CCustomButtonBase::ImageProvider& ImageProviderSlot()
{
    static CCustomButtonBase::ImageProvider provider;
    return provider;
}

CCustomButtonBase::StringProvider& StringProviderSlot()
{
    static CCustomButtonBase::StringProvider provider;
    return provider;
}

// The nearest panel the button sits in, without leaving the button's window.
CButtonPannel* EnclosingPannel(QWidget* button)
{
    for (QWidget* w = button->parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (auto* panel = qobject_cast<CButtonPannel*>(w)) {
            return panel;
        }
        if (w->isWindow()) {
            break;
        }
    }
    return nullptr;
}

} // namespace

CCustomButtonBase::CCustomButtonBase(QWidget* parent) : CCustomButtonBase(0, 0, 0, parent)
{
}

CCustomButtonBase::CCustomButtonBase(unsigned buttonId, unsigned bitmapId, unsigned toolTipId,
                                     QWidget* parent)
    : QWidget(parent), m_nButtonId(buttonId), m_nBitmapId(bitmapId), m_nToolTipId(toolTipId)
{
    // Hover images need moves without a button held.
    setMouseTracking(true);
    // Reached with Tab only: a focus frame on every clicked toolbar button
    // would be noise, but keyboard users must be able to get here.
    setFocusPolicy(Qt::TabFocus);
}

CCustomButtonBase::~CCustomButtonBase() = default;

void CCustomButtonBase::SetImageProvider(ImageProvider provider)
{
    ImageProviderSlot() = std::move(provider);
}

void CCustomButtonBase::SetStringProvider(StringProvider provider)
{
    StringProviderSlot() = std::move(provider);
}

QImage CCustomButtonBase::LoadImage(unsigned bitmapId)
{
    const ImageProvider& provider = ImageProviderSlot();
    return provider ? provider(bitmapId) : QImage();
}

QString CCustomButtonBase::LoadString(unsigned stringId)
{
    const StringProvider& provider = StringProviderSlot();
    return provider ? provider(stringId) : QString();
}

void CCustomButtonBase::Initialize()
{
    if (!m_bInitialized) {
        CreateDCW();
    }
}

void CCustomButtonBase::CreateBackground()
{
    m_rcClient = rect();
    m_imgState = ButtonImages::CreateBackground(m_rcClient.size(), m_clrBackground);
    m_imgDisabled = ButtonImages::MakeDisabledPicture(m_imgState[0], QColor());
    update();
}

int CCustomButtonBase::SetBackgrounds(const QImage& normal, const QImage& hover,
                                      const QImage& pressed, const QImage& fourth)
{
    if (normal.isNull() || hover.isNull() || pressed.isNull() || fourth.isNull()) {
        return 0;
    }
    m_bmpBackground = {normal, hover, pressed, fourth};
    m_bBackgroundsLoaded = 1;
    CreateDCW();
    updateGeometry();
    return 1;
}

int CCustomButtonBase::SetBackgrounds(unsigned normalId, unsigned hoverId, unsigned pressedId,
                                      unsigned fourthId)
{
    return SetBackgrounds(LoadImage(normalId), LoadImage(hoverId), LoadImage(pressedId),
                          LoadImage(fourthId));
}

void CCustomButtonBase::ClearBackgrounds()
{
    m_bmpBackground = {};
    m_bBackgroundsLoaded = 0;
    if (m_bInitialized) {
        CreateDCW();
    }
    updateGeometry();
}

int CCustomButtonBase::SetForeground(const QImage& picture)
{
    if (picture.isNull()) {
        return 0;
    }
    m_bmpForeground = picture;
    m_bForegroundLoaded = 1;
    CreateDCW();
    updateGeometry();
    return 1;
}

int CCustomButtonBase::SetForeground(unsigned bitmapId)
{
    return SetForeground(LoadImage(bitmapId));
}

void CCustomButtonBase::ClearForeground()
{
    m_bmpForeground = QImage();
    m_bForegroundLoaded = 0;
    if (m_bInitialized) {
        CreateDCW();
    }
    updateGeometry();
}

int CCustomButtonBase::CreateDCW()
{
    RebuildImages();
    update();
    return (m_bBackgroundsLoaded || m_bForegroundLoaded) ? 1 : 0;
}

void CCustomButtonBase::RebuildImages()
{
    m_rcClient = rect();
    const ButtonImages::StateImages backgrounds =
        m_bBackgroundsLoaded ? m_bmpBackground
                             : ButtonImages::CreateBackground(m_rcClient.size(), m_clrBackground);
    const QImage foreground = m_bForegroundLoaded ? m_bmpForeground : QImage();
    m_imgState = ButtonImages::BuildStateImages(backgrounds, foreground, m_clrTransparent,
                                                m_dForegroundMargin);
    QImage normalBackground = backgrounds[0];
    if (normalBackground.size() != m_imgState[0].size()) {
        normalBackground = m_imgState[0];
    }
    m_imgDisabled = ButtonImages::BuildDisabledImage(normalBackground, foreground, m_clrTransparent,
                                                     m_dForegroundMargin);
    m_bInitialized = 1;
}

void CCustomButtonBase::ChangeState(ButtonState state)
{
    m_stateMachine.ChangeState(state);
    update();
}

void CCustomButtonBase::SetBackgroundColor(QColor colour)
{
    m_clrBackground = colour;
    if (m_bInitialized) {
        CreateDCW();
    }
}

void CCustomButtonBase::SetTransparentColor(QColor colour)
{
    m_clrTransparent = colour;
    if (m_bInitialized) {
        CreateDCW();
    }
}

void CCustomButtonBase::SetToolTip(const QString& text)
{
    if (accessibleName().isEmpty() || accessibleName() == m_strToolTip) {
        setAccessibleName(text);
    }
    m_strToolTip = text;
    setToolTip(text);
}

void CCustomButtonBase::SetToolTip(unsigned stringId)
{
    const QString text = LoadString(stringId);
    if (!text.isEmpty()) {
        SetToolTip(text);
    }
}

void CCustomButtonBase::UpdateInfo()
{
    if (m_nToolTipId != 0) {
        SetToolTip(m_nToolTipId);
    }
}

QImage CCustomButtonBase::GetDisplayImage() const
{
    if (!isEnabled()) {
        return m_imgDisabled;
    }
    return GetStateImage(GetCurrentState());
}

QImage CCustomButtonBase::GetStateImage(ButtonState state) const
{
    const int index = static_cast<int>(state);
    if (index < 0 || index > 3) {
        return QImage();
    }
    return m_imgState[static_cast<size_t>(index)];
}

QSize CCustomButtonBase::sizeHint() const
{
    if (m_bBackgroundsLoaded) {
        return m_bmpBackground[0].size();
    }
    if (m_bForegroundLoaded) {
        // Room for the edges and the one-pixel shifts without shrinking the
        // picture.
        return m_bmpForeground.size() + QSize(8, 8);
    }
    return QSize(32, 32);
}

QSize CCustomButtonBase::minimumSizeHint() const
{
    return QSize(2 * ButtonImages::kEdgeWidth + 4, 2 * ButtonImages::kEdgeWidth + 4);
}

void CCustomButtonBase::SendMessageToParent(CustomButtonMsg code)
{
    // A handler may close the window that holds this button.
    const QPointer<CCustomButtonBase> self(this);
    const unsigned id = m_nButtonId;
    if (CButtonPannel* panel = EnclosingPannel(this)) {
        panel->OnButtonMessage(code, id);
    }
    if (self) {
        emit notify(code, id);
    }
    if (self && code == CBM_BUTTON_UP) {
        emit clicked(id);
    }
}

void CCustomButtonBase::paintEvent(QPaintEvent* /*event*/)
{
    if (!m_bInitialized || m_rcClient.size() != size()) {
        // Nothing asked for the images yet, or the size changed before the
        // resize reached us: build them now, without asking for another paint.
        RebuildImages();
    }
    QPainter painter(this);
    const QImage image = GetDisplayImage();
    if (image.size() == size()) {
        painter.drawImage(QPoint(0, 0), image);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), image);
    }
    if (hasFocus()) {
        const bool dark = m_clrBackground.lightness() < 128;
        QPen pen(dark ? Qt::white : Qt::black, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void CCustomButtonBase::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_bInitialized) {
        CreateDCW();
    }
}

void CCustomButtonBase::ShowChange(bool changed)
{
    if (changed) {
        update();
    }
}

void CCustomButtonBase::mouseMoveEvent(QMouseEvent* event)
{
    const bool inside = rect().contains(event->position().toPoint());
    ShowChange(m_stateMachine.OnMouseMove(inside));
    event->accept();
    SendMessageToParent(CBM_MOUSE_MOVE);
}

void CCustomButtonBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_bKeyPressed) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    m_bMousePressed = true;
    ShowChange(m_stateMachine.OnLeftButtonDown());
    SendMessageToParent(CBM_BUTTON_DOWN);
}

void CCustomButtonBase::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_bMousePressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    m_bMousePressed = false;
    const bool inside = rect().contains(event->position().toPoint());
    m_stateMachine.OnLeftButtonUp(inside);
    update();
    if (inside) {
        SendMessageToParent(CBM_BUTTON_UP);
    }
}

void CCustomButtonBase::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    // While a button is held the moves outside arrive here anyway and decide.
    if (m_bMousePressed) {
        return;
    }
    const bool hadCapture = m_stateMachine.HasCapture();
    ShowChange(m_stateMachine.OnMouseMove(false));
    if (hadCapture) {
        SendMessageToParent(CBM_MOUSE_MOVE);
    }
}

void CCustomButtonBase::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool isClickKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!isClickKey) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || m_bMousePressed || m_bKeyPressed) {
        return;
    }
    PressFromKeyboard();
    // Enter clicks at once; Space clicks on release, as push buttons do.
    if (key != Qt::Key_Space) {
        ReleaseFromKeyboard();
    }
}

void CCustomButtonBase::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space || !m_bKeyPressed) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!event->isAutoRepeat()) {
        ReleaseFromKeyboard();
    }
}

void CCustomButtonBase::PressFromKeyboard()
{
    m_bKeyPressed = true;
    ShowChange(m_stateMachine.OnLeftButtonDown());
    SendMessageToParent(CBM_BUTTON_DOWN);
}

void CCustomButtonBase::ReleaseFromKeyboard()
{
    if (!m_bKeyPressed) {
        return;
    }
    m_bKeyPressed = false;
    m_stateMachine.OnLeftButtonUp(true);
    // Hover means the mouse is over the button; after a key it may not be.
    if (GetCurrentState() == BUTTON_STATE_HOVER && !underMouse()) {
        m_stateMachine.ChangeState(BUTTON_STATE_NORMAL);
    }
    update();
    SendMessageToParent(CBM_BUTTON_UP);
}

void CCustomButtonBase::CancelPress()
{
    if (m_bMousePressed || m_bKeyPressed) {
        m_bMousePressed = false;
        m_bKeyPressed = false;
        ShowChange(m_stateMachine.OnLeftButtonUp(false));
    }
    ShowChange(m_stateMachine.OnCaptureLost());
    if (GetCurrentState() == BUTTON_STATE_HOVER) {
        ShowChange(m_stateMachine.ChangeState(BUTTON_STATE_NORMAL));
    }
}

void CCustomButtonBase::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void CCustomButtonBase::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (m_bMousePressed || m_bKeyPressed) {
        CancelPress();
    }
    update();
}

void CCustomButtonBase::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    CancelPress();
}

void CCustomButtonBase::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            CancelPress();
        }
        update();
        break;
    case QEvent::ActivationChange:
        // A window that comes up during a press takes the release with it.
        if (!isActiveWindow() && (m_bMousePressed || m_bKeyPressed)) {
            CancelPress();
        }
        break;
    default:
        break;
    }
}
