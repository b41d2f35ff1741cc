#include "ReportPrinter.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace {

QFont FixedFont(double points)
{
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(points);
    return font;
}

} // namespace

OReportPrinter::OReportPrinter(std::vector<std::string> lines, std::vector<OReportPicture> pictures)
    : m_lines(std::move(lines)), m_pictures(std::move(pictures))
{
}

QFont OReportPrinter::ReportFont(const QPagedPaintDevice& device, double width)
{
    QFont font = FixedFont(kPointSize);
    const QString line(kLineWidth, QLatin1Char('M'));
    // Glyph advances do not scale exactly with the size: shrink until it fits.
    for (int step = 0; step < 40 && width > 0.0; ++step) {
        const double needed = QFontMetricsF(font, &device).horizontalAdvance(line);
        if (needed <= width || font.pointSizeF() <= 4.0)
            break;
        font.setPointSizeF(std::max(4.0, font.pointSizeF() * std::min(0.98, width / needed)));
    }
    return font;
}

int OReportPrinter::Print(QPagedPaintDevice& device) const
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const int pages = Paint(painter, device);
    painter.end();
    return pages;
}

int OReportPrinter::Paint(QPainter& painter, QPagedPaintDevice& device) const
{
    const QRect area = painter.viewport();
    const QFont font = ReportFont(device, area.width());
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font, &device);
    const double advance = metrics.height() + metrics.leading();

    int pages = 1;
    double y = area.top();
    for (const std::string& line : m_lines) {
        if (y + metrics.height() > area.bottom() && y > area.top()) {
            device.newPage();
            ++pages;
            y = area.top();
        }
        if (!line.empty())
            painter.drawText(QPointF(area.left(), y + metrics.ascent()),
                             QString::fromStdString(line));
        y += advance;
    }
    if (!m_pictures.empty()) {
        device.newPage();
        ++pages;
        PaintPictures(painter, area);
    }
    return pages;
}

void OReportPrinter::PaintPictures(QPainter& painter, const QRect& area) const
{
    QFont captionFont = painter.font();
    captionFont.setBold(true);
    const QFontMetricsF metrics(captionFont, painter.device());
    const int count = static_cast<int>(m_pictures.size());
    const int gap = static_cast<int>(metrics.height());
    const int slot = (area.height() - gap * (count - 1)) / count;
    int top = area.top();
    for (const OReportPicture& picture : m_pictures) {
        painter.save();
        painter.setFont(captionFont);
        painter.drawText(QPointF(area.left(), top + metrics.ascent()), picture.caption);
        painter.restore();
        const int captionHeight = static_cast<int>(metrics.height() * 1.5);
        const QRect target(area.left(), top + captionHeight, area.width(),
                           std::max(1, slot - captionHeight));
        if (picture.paint) {
            painter.save();
            painter.setClipRect(target);
            picture.paint(painter, target);
            painter.restore();
        }
        top += slot + gap;
    }
}
