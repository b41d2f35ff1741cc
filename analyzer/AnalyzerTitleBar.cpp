#include "AnalyzerTitleBar.h"

#include "ImageButton.h"
#include "ResourceLibrary.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace {

const QColor kBarColour(0, 76, 154);
const QColor kButtonColour(136, 210, 255);
const QColor kKeyColour(255, 0, 255);

// The window buttons: control id, picture, tool tip.
struct WindowButton {
    unsigned id;
    unsigned bitmap;
    const char* tip;
};
constexpr WindowButton kMinimise{1004, 132, "Minimize"};
constexpr WindowButton kMaximise{1003, 131, "Maximize"};
constexpr WindowButton kClose{1002, 130, "Close"};

} // namespace

CAnalyzerTitleBar::CAnalyzerTitleBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AnalyzerTitleBar"));
    setFixedHeight(40);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 3, 6, 3);
    layout->setSpacing(8);

    auto* icon = new QLabel(this);
    icon->setPixmap(CResourceLibrary::AppIcon().pixmap(24, 24));
    layout->addWidget(icon);
    m_pTitle = new QLabel(QString::fromLatin1(kTitle), this);
    m_pTitle->setStyleSheet(QStringLiteral("color: white; font-size: 17px; font-weight: bold;"));
    layout->addWidget(m_pTitle, 1);

    auto* buttons = new QWidget(this);
    buttons->setStyleSheet(QStringLiteral("background: rgb(136, 210, 255); border-radius: 4px;"));
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    for (const WindowButton& b : {kMinimise, kMaximise, kClose}) {
        auto* button = new CImageButton(b.id, b.bitmap, 0, buttons);
        button->setFixedSize(28, 28);
        button->SetBitmap(b.bitmap, kButtonColour, kKeyColour);
        button->SetToolTip(QString::fromLatin1(b.tip));
        connect(button, &CCustomButtonBase::clicked, this, [this](unsigned id) {
            if (id == kMinimise.id)
                emit minimiseRequested();
            else if (id == kMaximise.id)
                emit maximiseRequested();
            else
                emit closeRequested();
        });
        row->addWidget(button);
    }
    layout->addWidget(buttons);
}

void CAnalyzerTitleBar::SetDocumentTitle(const QString& document)
{
    m_pTitle->setText(document.isEmpty() ? QString::fromLatin1(kTitle)
                                         : QString::fromLatin1(kTitle) + QStringLiteral(" - [") +
                                               document + QLatin1Char(']'));
}

QString CAnalyzerTitleBar::GetText() const
{
    return m_pTitle->text();
}

void CAnalyzerTitleBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBarColour);
}

void CAnalyzerTitleBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    QWidget* top = window();
    // The window manager moves the window where it can (Wayland needs it).
    if (top->windowHandle() && top->windowHandle()->startSystemMove())
        return;
    m_dragOffset = event->globalPosition().toPoint() - top->frameGeometry().topLeft();
    m_bDragging = true;
}

void CAnalyzerTitleBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bDragging && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - m_dragOffset);
}

void CAnalyzerTitleBar::mouseReleaseEvent(QMouseEvent*)
{
    m_bDragging = false;
}

void CAnalyzerTitleBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit maximiseRequested();
}
