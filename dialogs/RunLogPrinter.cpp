#include "RunLogPrinter.h"

#include "RunLogText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <ctime>

namespace {

// Maps the page's 1000 x 1000 logical units onto the device (anisotropic:
// the whole printable area), while fonts keep their true point sizes.
class CPageMap {
public:
    CPageMap(double width, double height) : m_dWidth(width), m_dHeight(height) {}
    double X(double units) const { return units * m_dWidth / CRunLogText::kPageUnits; }
    double Y(double units) const { return units * m_dHeight / CRunLogText::kPageUnits; }
    double UnitsX(double pixels) const { return pixels * CRunLogText::kPageUnits / m_dWidth; }
    double UnitsY(double pixels) const { return pixels * CRunLogText::kPageUnits / m_dHeight; }

private:
    double m_dWidth;
    double m_dHeight;
};

void DrawCentred(QPainter& painter, const CPageMap& map, const QFont& font, double yUnits,
                 const QString& text)
{
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double width = metrics.horizontalAdvance(text);
    painter.drawText(
        QPointF(map.X(CRunLogText::kCentreX) - width / 2, map.Y(yUnits) + metrics.ascent()), text);
}

QFont Courier(int points)
{
    QFont font(QStringLiteral("Courier"), points);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

} // namespace

QString CRunLogPrinter::Today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return QString::fromStdString(CRunLogText::DateText(local));
}

int CRunLogPrinter::Print(QPagedPaintDevice& device, const QStringList& lines, const QString& date,
                          int lastPage)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const QRect area = painter.viewport();
    const CPageMap map(area.width(), area.height());
    const QFont titleFont = Courier(14), dateFont = Courier(12), lineFont = Courier(10);
    const QFontMetricsF titleMetrics(titleFont, &device), dateMetrics(dateFont, &device),
        lineMetrics(lineFont, &device);
    const double titleHeight = map.UnitsY(titleMetrics.height());
    const double dateHeight = map.UnitsY(dateMetrics.height());
    const double lineHeight = map.UnitsY(lineMetrics.height());

    int pages = 1; // the page the painter opened
    int page = 0;  // the page being printed, from 1
    double y = 0;
    int counter = 0;
    for (const QString& line : lines) {
        if (counter % CRunLogText::kLinesPerPage == 0) {
            if (lastPage > 0 && page + 1 > lastPage)
                break;
            if (page > 0) {
                device.newPage();
                ++pages;
            }
            ++page;
            DrawCentred(painter, map, titleFont, CRunLogText::kTitleY,
                        QString::fromLatin1(CRunLogText::kTitle));
            DrawCentred(painter, map, dateFont, titleHeight + CRunLogText::kDateGap, date);
            y = titleHeight + 2 * dateHeight + CRunLogText::kFirstLineGap;
        }
        painter.setFont(lineFont);
        const auto pieces =
            CRunLogText::TabbedPieces(line.toStdString(), [&](const std::string& piece) {
                return map.UnitsX(lineMetrics.horizontalAdvance(QString::fromStdString(piece)));
            });
        for (const auto& [x, piece] : pieces)
            painter.drawText(QPointF(map.X(x), map.Y(y) + lineMetrics.ascent()),
                             QString::fromStdString(piece));
        ++counter;
        if (counter % CRunLogText::kLinesPerPage != 0)
            y += lineHeight + CRunLogText::kLineGap;
        else
            DrawCentred(painter, map, lineFont, CRunLogText::kFooterY,
                        QString::fromStdString(CRunLogText::FooterText(page)));
    }
    if (counter % CRunLogText::kLinesPerPage != 0)
        DrawCentred(painter, map, lineFont, CRunLogText::kFooterY,
                    QString::fromStdString(CRunLogText::FooterText(page)));
    painter.end();
    return pages;
}
