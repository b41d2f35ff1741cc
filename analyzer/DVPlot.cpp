#include "DVPlot.h"

#include "TracePainter.h"

ODVPlot::ODVPlot(ODVDoc* doc, const QString& title, const QString& unit, QWidget* parent)
    : OPlot(parent), m_pDoc(doc), m_strTitle(title), m_strUnit(unit)
{
    SetAxisTitles(unit);
}

QColor ODVPlot::GateColor(int mode)
{
    // The report's pictures draw the gates in the same colours.
    return OTracePainter::GateColor(mode < 0 ? 0 : mode % 5);
}
