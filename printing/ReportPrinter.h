#pragma once
// OReportPrinter: lays out a document's configuration report on pages - a
// printer's, a print preview's or a PDF file's. Every line of the report is
// drawn at the left of the printable area from the top down, advancing by
// the font's character height plus its external leading for every line,
// empty lines included; a line that would not fit on the page starts the
// next one. The font is fixed-pitch, 10 points, smaller when 80 characters
// (the report's width) would not fit across the page.
//
// Pictures, when given, follow on a page of their own: each under its
// caption, sharing the page's height (the chromatogram above the pulse).
// A picture paints itself into the rectangle it is given, so a chart can
// draw its vectors there rather than a bitmap.

#include <QFont>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QRect;

struct OReportPicture {
    QString caption;
    std::function<void(QPainter& painter, const QRect& target)> paint;
};

class OReportPrinter {
public:
    static constexpr double kPointSize = 10.0;
    static constexpr int kLineWidth = 80;

    explicit OReportPrinter(std::vector<std::string> lines,
                            std::vector<OReportPicture> pictures = {});

    // Paints every page onto device. The number of pages, 0 when the device
    // cannot be painted on.
    int Print(QPagedPaintDevice& device) const;
    // The same with a painter already active on device (a preview's).
    int Paint(QPainter& painter, QPagedPaintDevice& device) const;

    // The report's font on device: fixed pitch, kPointSize or less so that
    // kLineWidth characters fit into width device pixels.
    static QFont ReportFont(const QPagedPaintDevice& device, double width);

    const std::vector<std::string>& Lines() const { return m_lines; }
    const std::vector<OReportPicture>& Pictures() const { return m_pictures; }

private:
    void PaintPictures(QPainter& painter, const QRect& area) const;

    std::vector<std::string> m_lines;
    std::vector<OReportPicture> m_pictures;
};
