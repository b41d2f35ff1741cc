#include "ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

const QColor kInk(35, 55, 85);
const QColor kAccent(0, 110, 200);
const QColor kRed(200, 40, 40);

void Magnifier(QPainter& p)
{
    p.drawEllipse(QRectF(3, 3, 10, 10));
    p.drawLine(QPointF(11.5, 11.5), QPointF(17, 17));
}

void Arrow(QPainter& p, bool right)
{
    QPainterPath path;
    if (right) {
        path.moveTo(6, 4);
        path.lineTo(14, 10);
        path.lineTo(6, 16);
    } else {
        path.moveTo(14, 4);
        path.lineTo(6, 10);
        path.lineTo(14, 16);
    }
    p.drawPath(path);
}

void Trace(QPainter& p)
{
    QPainterPath path;
    path.moveTo(2, 16);
    path.cubicTo(6, 16, 6, 4, 9, 4);
    path.cubicTo(12, 4, 12, 14, 18, 14);
    p.drawPath(path);
}

void Draw(QPainter& p, OToolIcons::Kind kind)
{
    using K = OToolIcons::Kind;
    QPen pen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (kind) {
    case K::ZoomIn:
        Magnifier(p);
        p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
        p.drawLine(QPointF(8, 5.5), QPointF(8, 10.5));
        break;
    case K::ZoomOut:
        Magnifier(p);
        p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
        break;
    case K::ZoomToFit:
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        p.setPen(QPen(kAccent, 1.6));
        Trace(p);
        break;
    case K::Previous:
        Arrow(p, false);
        break;
    case K::Next:
        Arrow(p, true);
        break;
    case K::Restore: {
        p.drawArc(QRectF(3, 3, 14, 14), 90 * 16, 270 * 16);
        p.drawLine(QPointF(10, 3), QPointF(13, 1));
        p.drawLine(QPointF(10, 3), QPointF(13, 5.5));
        break;
    }
    case K::Grid:
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        p.setPen(QPen(kInk, 1.0, Qt::DotLine));
        for (double v : {7.5, 12.5}) {
            p.drawLine(QPointF(v, 3), QPointF(v, 17));
            p.drawLine(QPointF(3, v), QPointF(17, v));
        }
        break;
    case K::SnapToTrace:
        p.setPen(QPen(kAccent, 1.6));
        Trace(p);
        p.setPen(QPen(kRed, 1.6));
        p.drawEllipse(QRectF(6, 1.5, 6, 6));
        break;
    case K::Copy:
        p.drawRect(QRectF(6.5, 2.5, 10, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 5.5, 10, 12));
        break;
    case K::Print:
        p.drawRect(QRectF(5.5, 2.5, 9, 5));
        p.drawRect(QRectF(2.5, 7.5, 15, 7));
        p.drawRect(QRectF(5.5, 12.5, 9, 5));
        break;
    case K::ScrollAxes:
        p.drawLine(QPointF(10, 2), QPointF(10, 18));
        p.drawLine(QPointF(2, 10), QPointF(18, 10));
        for (auto [x, y, dx, dy] :
             {std::array<double, 4>{10, 2, 2.5, 2.5}, std::array<double, 4>{10, 18, 2.5, -2.5}}) {
            p.drawLine(QPointF(x, y), QPointF(x - dx, y + dy));
            p.drawLine(QPointF(x, y), QPointF(x + dx, y + dy));
        }
        for (auto [x, y, dx, dy] :
             {std::array<double, 4>{2, 10, 2.5, 2.5}, std::array<double, 4>{18, 10, -2.5, 2.5}}) {
            p.drawLine(QPointF(x, y), QPointF(x + dx, y - dy));
            p.drawLine(QPointF(x, y), QPointF(x + dx, y + dy));
        }
        break;
    case K::ZoomAxes:
        Magnifier(p);
        p.drawLine(QPointF(2, 19), QPointF(19, 19));
        p.drawLine(QPointF(1, 2), QPointF(1, 19));
        break;
    case K::ZoomBox:
        p.setPen(QPen(kInk, 1.4, Qt::DashLine));
        p.drawRect(QRectF(2.5, 4.5, 12, 9));
        p.setPen(pen);
        p.drawLine(QPointF(12, 11), QPointF(18, 17));
        break;
    case K::Recalculate: {
        p.drawArc(QRectF(3, 3, 14, 14), 30 * 16, 300 * 16);
        p.drawLine(QPointF(15.5, 6), QPointF(16.5, 2));
        p.drawLine(QPointF(15.5, 6), QPointF(11.5, 5.5));
        break;
    }
    case K::PreviousView:
        p.drawLine(QPointF(4, 8), QPointF(13, 8));
        p.drawArc(QRectF(8, 8, 9, 9), 90 * 16, -180 * 16);
        p.drawLine(QPointF(4, 8), QPointF(7.5, 4.5));
        p.drawLine(QPointF(4, 8), QPointF(7.5, 11.5));
        break;
    case K::Open:
        p.drawPolyline(QPolygonF({QPointF(2.5, 16.5), QPointF(2.5, 4.5), QPointF(7.5, 4.5),
                                  QPointF(9, 6.5), QPointF(16.5, 6.5), QPointF(16.5, 9)}));
        p.setBrush(QColor(255, 214, 120));
        p.drawPolygon(
            QPolygonF({QPointF(2.5, 16.5), QPointF(5, 9), QPointF(18.5, 9), QPointF(16, 16.5)}));
        break;
    case K::SaveCfg:
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        p.drawRect(QRectF(5.5, 2.5, 9, 5));
        p.drawRect(QRectF(5.5, 11.5, 9, 6));
        break;
    case K::OpenCfg:
        p.drawRect(QRectF(3.5, 2.5, 13, 15));
        for (double y : {6.5, 9.5, 12.5})
            p.drawLine(QPointF(6, y), QPointF(14, y));
        break;
    case K::Gates:
        p.setPen(QPen(kAccent, 1.6));
        Trace(p);
        p.setPen(QPen(kRed, 1.2));
        p.drawLine(QPointF(7, 2), QPointF(7, 18));
        p.drawLine(QPointF(11, 2), QPointF(11, 18));
        break;
    case K::BoardChannel:
        p.drawRect(QRectF(3.5, 3.5, 13, 13));
        for (double v : {6.5, 10.0, 13.5}) {
            p.drawLine(QPointF(v, 1), QPointF(v, 3.5));
            p.drawLine(QPointF(v, 16.5), QPointF(v, 19));
        }
        break;
    case K::TimedEvents:
        p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
        p.drawLine(QPointF(10, 10), QPointF(10, 5));
        p.drawLine(QPointF(10, 10), QPointF(14, 12));
        break;
    case K::RunLog:
        p.drawRect(QRectF(3.5, 2.5, 13, 15));
        for (double y : {6.0, 9.0, 12.0, 15.0})
            p.drawLine(QPointF(6, y), QPointF(12 + (static_cast<int>(y) % 2), y));
        break;
    case K::About:
        p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
        p.drawLine(QPointF(10, 9), QPointF(10, 14.5));
        p.setBrush(kInk);
        p.drawEllipse(QPointF(10, 6), 0.8, 0.8);
        break;
    }
}

QPixmap Render(OToolIcons::Kind kind, int size, bool disabled)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 20.0, size / 20.0);
    if (disabled)
        painter.setOpacity(0.35);
    Draw(painter, kind);
    return pixmap;
}

} // namespace

QIcon OToolIcons::Icon(Kind kind)
{
    QIcon icon;
    for (int size : {20, 40}) {
        icon.addPixmap(Render(kind, size, false), QIcon::Normal);
        icon.addPixmap(Render(kind, size, true), QIcon::Disabled);
    }
    return icon;
}
