#include "TracePainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

struct Range {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    void Add(double v)
    {
        if (std::isfinite(v)) {
            min = std::min(min, v);
            max = std::max(max, v);
        }
    }
    bool Valid() const { return min <= max; }
};

QString TickText(double value, double step)
{
    const int decimals =
        step >= 1.0 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
    return QString::number(std::abs(value) < step * 1e-9 ? 0.0 : value, 'f', decimals);
}

} // namespace

QColor OTracePainter::GateColor(int mode)
{
    // Five colours that stay apart on screen and on a grey-scale printout.
    static const std::array<QColor, 5> colors = {QColor(31, 119, 180), QColor(214, 39, 40),
                                                 QColor(44, 160, 44), QColor(148, 103, 189),
                                                 QColor(255, 127, 14)};
    return colors[static_cast<size_t>(std::clamp(mode, 0, 4))];
}

std::vector<double> OTracePainter::Ticks(double min, double max, int count)
{
    std::vector<double> ticks;
    if (!(max > min) || !std::isfinite(min) || !std::isfinite(max) || count < 1)
        return ticks;
    const double raw = (max - min) / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double f : {1.0, 2.0, 5.0, 10.0})
        if (f * power >= raw) {
            step = f * power;
            break;
        }
    for (double t = std::ceil(min / step) * step; t <= max + step * 1e-9; t += step)
        ticks.push_back(t);
    return ticks;
}

void OTracePainter::Paint(QPainter& painter, const QRect& target, const OTraceChart& chart)
{
    Range xs, ys;
    for (const OTraceSeries& s : chart.series) {
        for (double v : s.x)
            xs.Add(v);
        for (double v : s.y)
            ys.Add(v);
    }
    if (!xs.Valid())
        xs = Range{0.0, 1.0};
    if (!ys.Valid())
        ys = Range{0.0, 1.0};
    if (chart.fromZero)
        ys.min = std::min(ys.min, 0.0);
    ys.max += (ys.max - ys.min) * 0.05;
    if (!(xs.max > xs.min))
        xs.max = xs.min + 1.0;
    if (!(ys.max > ys.min))
        ys.max = ys.min + 1.0;

    painter.save();
    QFont font = painter.font();
    font.setBold(false);
    font.setPointSizeF(std::max(4.0, font.pointSizeF() * 0.8));
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const std::vector<double> yTicks = Ticks(ys.min, ys.max, 6);
    const std::vector<double> xTicks = Ticks(xs.min, xs.max, 8);
    const double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1.0;
    const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1.0;
    double labelWidth = 0.0;
    for (double t : yTicks)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(TickText(t, yStep)));

    const double line = metrics.height();
    const QRectF plot(target.left() + labelWidth + line * 2.0, target.top() + line * 0.5,
                      target.width() - labelWidth - line * 3.0, target.height() - line * 3.5);
    if (plot.width() <= 1.0 || plot.height() <= 1.0) {
        painter.restore();
        return;
    }
    const auto px = [&](double x) {
        return plot.left() + (x - xs.min) / (xs.max - xs.min) * plot.width();
    };
    const auto py = [&](double y) {
        return plot.bottom() - (y - ys.min) / (ys.max - ys.min) * plot.height();
    };

    const double thin = std::max(1.0, line / 14.0);
    painter.setPen(QPen(QColor(220, 220, 220), thin));
    for (double t : xTicks)
        painter.drawLine(QPointF(px(t), plot.top()), QPointF(px(t), plot.bottom()));
    for (double t : yTicks)
        painter.drawLine(QPointF(plot.left(), py(t)), QPointF(plot.right(), py(t)));
    painter.setPen(QPen(Qt::black, thin));
    for (double t : xTicks) {
        const QString text = TickText(t, xStep);
        painter.drawText(QPointF(px(t) - metrics.horizontalAdvance(text) / 2.0,
                                 plot.bottom() + line * 0.2 + metrics.ascent()),
                         text);
    }
    for (double t : yTicks) {
        const QString text = TickText(t, yStep);
        painter.drawText(QPointF(plot.left() - line * 0.3 - metrics.horizontalAdvance(text),
                                 py(t) + metrics.ascent() / 2.0),
                         text);
    }
    painter.drawText(QPointF(plot.center().x() - metrics.horizontalAdvance(chart.xTitle) / 2.0,
                             plot.bottom() + line * 1.4 + metrics.ascent()),
                     chart.xTitle);
    painter.save();
    painter.translate(target.left() + metrics.ascent(),
                      plot.center().y() + metrics.horizontalAdvance(chart.yTitle) / 2.0);
    painter.rotate(-90.0);
    painter.drawText(QPointF(0.0, 0.0), chart.yTitle);
    painter.restore();

    painter.setClipRect(plot);
    for (const OTraceSeries& s : chart.series) {
        QPainterPath path;
        bool open = false;
        const size_t n = std::min(s.x.size(), s.y.size());
        for (size_t i = 0; i < n; ++i) {
            if (!std::isfinite(s.x[i]) || !std::isfinite(s.y[i])) {
                open = false;
                continue;
            }
            const QPointF p(px(s.x[i]), py(s.y[i]));
            if (open)
                path.lineTo(p);
            else
                path.moveTo(p);
            open = true;
        }
        painter.setPen(QPen(s.color, thin * 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    painter.setClipping(false);
    painter.setPen(QPen(Qt::black, thin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);

    // The legend, inside the frame's upper right corner.
    double legendWidth = 0.0;
    for (const OTraceSeries& s : chart.series)
        legendWidth = std::max(legendWidth, metrics.horizontalAdvance(s.name));
    double y = plot.top() + line * 0.4;
    const double x = plot.right() - legendWidth - line * 2.0;
    for (const OTraceSeries& s : chart.series) {
        if (s.name.isEmpty())
            continue;
        painter.setPen(QPen(s.color, thin * 3.0));
        painter.drawLine(QPointF(x, y + line / 2.0), QPointF(x + line, y + line / 2.0));
        painter.setPen(QPen(Qt::black, thin));
        painter.drawText(QPointF(x + line * 1.4, y + metrics.ascent()), s.name);
        y += line;
    }
    painter.restore();
}
