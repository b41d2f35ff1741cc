#pragma once
// An invisible strip along an edge or a corner of a frameless window: the
// mouse there resizes the window through the window system, or by hand
// where the window system does not offer that.

#include <QPoint>
#include <QRect>
#include <QWidget>

class CResizeGrip : public QWidget {
    Q_OBJECT
public:
    CResizeGrip(Qt::Edges edges, QWidget* window);
    Qt::Edges GetEdges() const { return m_edges; }
    // The window's geometry after dragging this grip by delta from start,
    // kept at or above the minimum size (the opposite edges stay put).
    static QRect Resized(const QRect& start, const QPoint& delta, Qt::Edges edges,
                         const QSize& minimum);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Qt::Edges m_edges;
    bool m_bManual = false;
    QPoint m_pressGlobal;
    QRect m_startGeometry;
};
