#pragma once
// The printed page of the live plot: a header (instrument, date and time,
// run state, the pulse shown) over the plot, which fills the rest of the
// printable area at the page's own resolution with fonts as on the screen.

#include <QRectF>
#include <QString>
#include <QStringList>

class CiPlotXControl;
class QPainter;
class QPagedPaintDevice;

struct CPlotPageHeader {
    QString instrument;
    QString printedAt; // date and time of printing
    QString runState;
    QString pulse; // "Pulse 1234 at 00:00:12.50", or "No pulse yet"
};

class CPlotPage {
public:
    // The header's lines, first line in bold on the page.
    static QStringList HeaderLines(const CPlotPageHeader& header);
    // Where the plot goes on a page of paintRect at dpi: below the header.
    static QRectF PlotRect(const QRectF& paintRect, double dpi, int headerLines);
    // Draws the page with painter (from CiPlotXControl::BeginPagePainter)
    // into paintRect; returns the plot's rectangle.
    static QRectF Paint(QPainter& painter, const QRectF& paintRect, double dpi,
                        const CPlotPageHeader& header, CiPlotXControl& chart);
    // One page on device (a QPrinter, a PDF writer). 1 printed, 0 when the
    // device could not be painted on.
    static int Print(QPagedPaintDevice& device, const CPlotPageHeader& header,
                     CiPlotXControl& chart);
};
