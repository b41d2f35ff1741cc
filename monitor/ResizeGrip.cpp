#include "ResizeGrip.h"

#include <QMouseEvent>
#include <QWindow>

namespace {

Qt::CursorShape CursorFor(Qt::Edges edges)
{
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling =
            edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

} // namespace

CResizeGrip::CResizeGrip(Qt::Edges edges, QWidget* window) : QWidget(window), m_edges(edges)
{
    setCursor(CursorFor(edges));
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

QRect CResizeGrip::Resized(const QRect& start, const QPoint& delta, Qt::Edges edges,
                           const QSize& minimum)
{
    QRect r = start;
    if (edges & Qt::LeftEdge)
        r.setLeft(std::min(start.left() + delta.x(), start.right() - minimum.width() + 1));
    if (edges & Qt::RightEdge)
        r.setRight(std::max(start.right() + delta.x(), start.left() + minimum.width() - 1));
    if (edges & Qt::TopEdge)
        r.setTop(std::min(start.top() + delta.y(), start.bottom() - minimum.height() + 1));
    if (edges & Qt::BottomEdge)
        r.setBottom(std::max(start.bottom() + delta.y(), start.top() + minimum.height() - 1));
    return r;
}

void CResizeGrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    event->accept();
    QWidget* top = window();
    // The window system resizes (and knows the screen's edges); by hand only where it cannot.
    if (top->windowHandle() && top->windowHandle()->startSystemResize(m_edges))
        return;
    m_bManual = true;
    m_pressGlobal = event->globalPosition().toPoint();
    m_startGeometry = top->geometry();
}

void CResizeGrip::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_bManual)
        return;
    QWidget* top = window();
    top->setGeometry(Resized(m_startGeometry, event->globalPosition().toPoint() - m_pressGlobal,
                             m_edges, top->minimumSize()));
}

void CResizeGrip::mouseReleaseEvent(QMouseEvent*)
{
    m_bManual = false;
}
