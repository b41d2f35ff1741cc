#include "DVPlot.h"

#include <array>

ODVPlot::ODVPlot(ODVDoc* doc, const QString& title, const QString& unit, QWidget* parent)
    : OPlot(parent), m_pDoc(doc), m_strTitle(title), m_strUnit(unit)
{
    SetAxisTitles(unit);
}

QColor ODVPlot::GateColor(int mode)
{
    // Five colours that stay apart on screen and on a grey-scale printout.
    static const std::array<QColor, 5> colors = {QColor(31, 119, 180), QColor(214, 39, 40),
                                                 QColor(44, 160, 44), QColor(148, 103, 189),
                                                 QColor(255, 127, 14)};
    return colors[static_cast<size_t>(mode < 0 ? 0 : mode % 5)];
}
