#pragma once
// OTracePainter: draws traces as a plain chart - frame, grid, ticks with
// their numbers, axis titles, the lines and a legend - onto any painter.
// The command line draws a report's pictures with it, where no chart
// window exists; the colours are the Analyzer's gate colours.

#include <QColor>
#include <QString>

#include <vector>

class QPainter;
class QRect;

struct OTraceSeries {
    QString name;
    QColor color;
    std::vector<double> x;
    std::vector<double> y;
};

struct OTraceChart {
    QString xTitle;
    QString yTitle;
    std::vector<OTraceSeries> series;
    // The y axis starts at 0 unless a value lies below it.
    bool fromZero = true;
};

class OTracePainter {
public:
    // Gate mode 0..4's colour (the same in the Analyzer's views).
    static QColor GateColor(int mode);
    static void Paint(QPainter& painter, const QRect& target, const OTraceChart& chart);
    // Tick positions between min and max at a step of 1, 2 or 5 times a
    // power of ten, about count of them.
    static std::vector<double> Ticks(double min, double max, int count);
};
