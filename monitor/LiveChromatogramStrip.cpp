#include "LiveChromatogramStrip.h"

#include "LiveChromatogram.h"
#include "TracePainter.h"

#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace {

// The first minute of a run shows at once. The time axis keeps the last
// fifth free ahead of the newest point and then grows by half; a value
// above the top grows the values' axis by a quarter, so the top fifth
// stays free for the legend's row.
constexpr double kInitialSeconds = 60.0;
constexpr double kFreeAhead = 0.8;
constexpr double kXGrowth = 1.5;
constexpr double kYGrowth = 1.25;

} // namespace

CLiveChromatogramStrip::CLiveChromatogramStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LiveChromatogramStrip"));
    m_pPlot = new QCustomPlot(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pPlot);

    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 1.0));
    m_pPlot->xAxis->setLabel(QStringLiteral("Run time (s)"));
    m_pPlot->yAxis->setLabel(QStringLiteral("Gate value"));
    for (QCPAxis* axis : {m_pPlot->xAxis, m_pPlot->yAxis}) {
        axis->setLabelFont(small);
        axis->setTickLabelFont(small);
    }
    m_pPlot->xAxis->setRange(0.0, kInitialSeconds);
    m_pPlot->yAxis->setRange(0.0, 1.0);
    m_pPlot->legend->setVisible(true);
    m_pPlot->legend->setFont(small);
    m_pPlot->legend->setBrush(QColor(255, 255, 255, 210));
    // One row of names at the top: the values' axis keeps its top fifth
    // free (see Grow), so even a low strip has the row clear of the trace.
    m_pPlot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    m_pPlot->legend->setWrap(OLiveChromatogram::kGates);
    m_pPlot->legend->setRowSpacing(0);
    m_pPlot->legend->setColumnSpacing(4);
    m_pPlot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    m_pPlot->setPlottingHint(QCP::phCacheLabels, true);
    for (size_t m = 0; m < m_graphs.size(); ++m) {
        QCPGraph* graph = m_pPlot->addGraph();
        graph->setPen(QPen(OTracePainter::GateColor(static_cast<int>(m)), 1.0));
        // A long run holds many points per pixel: drawn as their extremes per pixel.
        graph->setAdaptiveSampling(true);
        graph->setAntialiased(false);
        graph->setVisible(false);
        graph->removeFromLegend();
        m_graphs[m] = graph;
    }
    connect(m_pPlot, &QCustomPlot::afterReplot, this, [this] { ++m_nReplots; });
}

void CLiveChromatogramStrip::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A tick about every 35 pixels: a low strip would crowd its numbers.
    const int ticks = std::max(2, height() / 35);
    m_pPlot->yAxis->ticker()->setTickCount(ticks);
}

QSize CLiveChromatogramStrip::sizeHint() const
{
    return {600, 170};
}

QSize CLiveChromatogramStrip::minimumSizeHint() const
{
    return {200, 90};
}

QCPGraph* CLiveChromatogramStrip::Graph(int trace) const
{
    return trace >= 0 && trace < m_nTraces ? m_graphs[static_cast<size_t>(trace)] : nullptr;
}

void CLiveChromatogramStrip::Rebuild(const OLiveChromatogram& chromatogram)
{
    m_nTraces = chromatogram.GetGateCount();
    m_pPlot->legend->clearItems();
    float last = 0.0f;
    for (int m = 0; m < static_cast<int>(m_graphs.size()); ++m) {
        QCPGraph* graph = m_graphs[static_cast<size_t>(m)];
        const bool used = m < m_nTraces;
        graph->setVisible(used);
        if (!used) {
            graph->data()->clear();
            continue;
        }
        graph->setName(QString::fromStdString(chromatogram.GetGateName(m)));
        const OLiveChromatogram::Trace& trace = chromatogram.GetTrace(m);
        QVector<QCPGraphData> points(static_cast<qsizetype>(trace.times.size()));
        for (size_t k = 0; k < trace.times.size(); ++k)
            points[static_cast<qsizetype>(k)] = QCPGraphData(trace.times[k], trace.values[k]);
        graph->data()->set(points, true);
        if (!trace.times.empty())
            last = std::max(last, trace.times.back());
        graph->addToLegend();
        if (auto* item = m_pPlot->legend->itemWithPlottable(graph))
            item->setTextColor(graph->pen().color());
    }
    // A new run starts from the first minute again.
    m_pPlot->xAxis->setRange(0.0, kInitialSeconds);
    m_pPlot->yAxis->setRange(0.0, 1.0);
    Grow(last, chromatogram.GetMaximum());
    QueueReplot();
}

void CLiveChromatogramStrip::AppendLast(const OLiveChromatogram& chromatogram)
{
    if (chromatogram.GetPulseCount() == 0)
        return;
    const double time = chromatogram.GetLastTime();
    const OGateCalculator::Values& values = chromatogram.GetLastValues();
    for (int m = 0; m < m_nTraces; ++m)
        m_graphs[static_cast<size_t>(m)]->addData(time, values[static_cast<size_t>(m)]);
    Grow(chromatogram.GetLastTime(), chromatogram.GetMaximum());
    QueueReplot();
}

void CLiveChromatogramStrip::Grow(float time, float maximum)
{
    const double right = m_pPlot->xAxis->range().upper;
    if (time > right * kFreeAhead)
        m_pPlot->xAxis->setRange(0.0, std::ceil(time * kXGrowth / 10.0) * 10.0);
    const double top = m_pPlot->yAxis->range().upper;
    if (maximum > top)
        m_pPlot->yAxis->setRange(0.0, maximum * kYGrowth);
}

void CLiveChromatogramStrip::QueueReplot()
{
    // Queued replots of one event-loop turn are merged into one.
    m_pPlot->replot(QCustomPlot::rpQueuedReplot);
}

void CLiveChromatogramStrip::ReplotNow()
{
    m_pPlot->replot(QCustomPlot::rpImmediateRefresh);
}

int CLiveChromatogramStrip::GetTraceCount() const
{
    return m_nTraces;
}

int CLiveChromatogramStrip::GetPointCount(int trace) const
{
    const QCPGraph* graph = Graph(trace);
    return graph ? graph->dataCount() : 0;
}

QString CLiveChromatogramStrip::GetTraceName(int trace) const
{
    const QCPGraph* graph = Graph(trace);
    return graph ? graph->name() : QString();
}

QColor CLiveChromatogramStrip::GetTraceColor(int trace) const
{
    const QCPGraph* graph = Graph(trace);
    return graph ? graph->pen().color() : QColor();
}

double CLiveChromatogramStrip::GetLastKey(int trace) const
{
    const QCPGraph* graph = Graph(trace);
    return graph && graph->dataCount() > 0 ? (graph->data()->constEnd() - 1)->key : 0.0;
}

double CLiveChromatogramStrip::GetLastValue(int trace) const
{
    const QCPGraph* graph = Graph(trace);
    return graph && graph->dataCount() > 0 ? (graph->data()->constEnd() - 1)->value : 0.0;
}

double CLiveChromatogramStrip::GetXUpper() const
{
    return m_pPlot->xAxis->range().upper;
}

double CLiveChromatogramStrip::GetYUpper() const
{
    return m_pPlot->yAxis->range().upper;
}
