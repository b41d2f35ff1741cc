#include "PlotPage.h"

#include "iPlotXControl.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <memory>

namespace {

constexpr double kHeaderPoints = 10.0;
constexpr double kTitlePoints = 13.0;
constexpr double kScreenDpi = 96.0;

QFont PageFont(double points, double dpi, bool bold)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(std::max(1, static_cast<int>(points * dpi / 72.0 + 0.5)));
    font.setBold(bold);
    return font;
}

double HeaderHeight(double dpi, int lines)
{
    if (lines <= 0)
        return 0.0;
    const double title = QFontMetricsF(PageFont(kTitlePoints, dpi, true)).lineSpacing();
    const double line = QFontMetricsF(PageFont(kHeaderPoints, dpi, false)).lineSpacing();
    // A gap of a quarter inch under the header.
    return title + (lines - 1) * line + dpi / 4.0;
}

} // namespace

QStringList CPlotPage::HeaderLines(const CPlotPageHeader& header)
{
    return {QStringLiteral("Tarvolin Monitor, instrument %1").arg(header.instrument),
            QStringLiteral("Printed %1").arg(header.printedAt),
            QStringLiteral("Run state: %1")
                .arg(header.runState.isEmpty() ? QStringLiteral("unknown") : header.runState),
            header.pulse};
}

QRectF CPlotPage::PlotRect(const QRectF& paintRect, double dpi, int headerLines)
{
    const double top = HeaderHeight(dpi, headerLines);
    return QRectF(paintRect.left(), paintRect.top() + top, paintRect.width(),
                  std::max(1.0, paintRect.height() - top));
}

QRectF CPlotPage::Paint(QPainter& painter, const QRectF& paintRect, double dpi,
                        const CPlotPageHeader& header, CiPlotXControl& chart)
{
    const QStringList lines = HeaderLines(header);
    double y = paintRect.top();
    for (int i = 0; i < lines.size(); ++i) {
        const QFont font =
            i == 0 ? PageFont(kTitlePoints, dpi, true) : PageFont(kHeaderPoints, dpi, false);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QFontMetricsF metrics(font);
        painter.drawText(QPointF(paintRect.left(), y + metrics.ascent()), lines[i]);
        y += metrics.lineSpacing();
    }
    const QRectF plot = PlotRect(paintRect, dpi, static_cast<int>(lines.size()));
    chart.RenderPage(painter, plot, dpi / kScreenDpi);
    return plot;
}

int CPlotPage::Print(QPagedPaintDevice& device, const CPlotPageHeader& header,
                     CiPlotXControl& chart)
{
    const CiPlotXControl::PagePainter painter = CiPlotXControl::BeginPagePainter(&device);
    if (!painter)
        return 0;
    const double dpi = device.logicalDpiY();
    // The painter's origin is the printable area's corner.
    const QRectF paintRect(QPointF(0, 0),
                           device.pageLayout().paintRectPixels(static_cast<int>(dpi)).size());
    Paint(*painter, paintRect, dpi, header, chart);
    painter->end();
    return 1;
}
