#include "BarControl.h"

#include <QPaintEvent>
#include <QPainter>

CBarControl::CBarControl(QWidget* parent) : QWidget(parent)
{
    // Every pixel is painted, so Qt need not clear the area first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CBarControl::SetColor(QColor colour)
{
    m_clrColor = colour;
    update();
}

void CBarControl::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), m_clrColor);
}
