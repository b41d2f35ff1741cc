#include "TarvolinLauncherTitleBar.h"

#include "LauncherResources.h"

#include <QLabel>
#include <QMouseEvent>
#include <QWindow>

CTarvolinLauncherTitleBar::CTarvolinLauncherTitleBar(QWidget* parent)
    : CLauncherPannel(129, QColor(218, 218, 218), parent)
{
    if (QLabel* title = Label(1000))
        title->setText(CLauncherResources::String(102));
    if (QLabel* subtitle = Label(1001))
        subtitle->setText(CLauncherResources::String(103));
}

void CTarvolinLauncherTitleBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    QWidget* top = window();
    // The window system moves it when it can; otherwise we follow the mouse.
    if (top->windowHandle() && top->windowHandle()->startSystemMove())
        return;
    m_dragOffset = event->globalPosition().toPoint() - top->frameGeometry().topLeft();
    m_bDragging = true;
}

void CTarvolinLauncherTitleBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bDragging && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - m_dragOffset);
}

void CTarvolinLauncherTitleBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_bDragging = false;
}
