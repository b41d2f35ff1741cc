#include "iPlotXControl.h"

#include <qcustomplot.h>

#include <QPicture>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

const char* const kOverlayLayer = "overlay";
const char* const kBeneathLayer = "beneath";

// Limit lines sit in percent of the visible x span, counted from its minimum.
double FromPercent(double dPercent, double dXMin, double dSpan)
{
    return dSpan > 0.0 ? dXMin + dPercent * dSpan / 100.0 : dXMin;
}

double ToPercent(double dX, double dXMin, double dSpan)
{
    return dSpan > 0.0 ? (dX - dXMin) * 100.0 / dSpan : 0.0;
}

template <class T> bool Valid(const std::vector<T>& items, int n)
{
    return n >= 0 && n < static_cast<int>(items.size());
}

template <class T> T& At(std::vector<T>& items, int n)
{
    return items[static_cast<size_t>(n)];
}

template <class T> const T& At(const std::vector<T>& items, int n)
{
    return items[static_cast<size_t>(n)];
}

} // namespace

// The charting component. Mouse input reaches it only through the wrapper,
// which decides what a gesture means before handing it on.
class CiPlotXControl::CChartSurface : public QCustomPlot {
public:
    using QCustomPlot::QCustomPlot;
    void Press(QMouseEvent* event) { QCustomPlot::mousePressEvent(event); }
    void Move(QMouseEvent* event) { QCustomPlot::mouseMoveEvent(event); }
    void Release(QMouseEvent* event) { QCustomPlot::mouseReleaseEvent(event); }
    void Wheel(QWheelEvent* event) { QCustomPlot::wheelEvent(event); }
};

struct CiPlotXControl::CItems {
    struct Channel {
        QCPGraph* graph = nullptr;
        QSharedPointer<QCPGraphDataContainer> data;
    };
    struct Marker {
        QCPItemLine* line = nullptr;
        int nChannel = 0;
    };
    std::vector<Channel> channels;
    std::vector<QCPItemStraightLine*> limits;
    std::vector<QCPItemText*> limitLabels; // null where a limit has none
    std::vector<Marker> markers;
    std::vector<QCPItemStraightLine*> xMarkers;
    std::vector<QCPItemRect*> bands;
    QCPItemText* cornerText = nullptr;
    QCPItemTracer* baseMark = nullptr;
    QCPItemStraightLine* crossX = nullptr; // vertical line of the crosshair
    QCPItemStraightLine* crossY = nullptr;
    QCPItemTracer* pointMark = nullptr;
    QCPItemLine* rubberLine = nullptr; // DrawLine mode's line while the button is down
    std::vector<QCPItemLine*> segments;
    std::vector<QCPItemText*> labels;
};

CiPlotXControl::CiPlotXControl(QWidget* parent)
    : QWidget(parent), m_pItems(std::make_unique<CItems>())
{
    m_pSurface = new CChartSurface(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pSurface);
    m_pSurface->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The chart paints every pixel (background, then its buffers): nothing
    // needs to be cleared under it first.
    m_pSurface->setAttribute(Qt::WA_OpaquePaintEvent);

    // A pulse is a few hundred points redrawn several times a second; the
    // cheap polyline path and cached tick labels keep that well inside a
    // frame. Smooth traces cost next to nothing at that size; the straight
    // limit lines and ticks stay crisp without smoothing.
    m_pSurface->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    m_pSurface->setNotAntialiasedElements(QCP::aeItems);
    m_pSurface->setInteractions(QCP::Interactions());
    m_pSurface->setSelectionRectMode(QCP::srmCustom);
    m_pSurface->selectionRect()->setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
    m_pSurface->selectionRect()->setBrush(QColor(0, 76, 154, 30));
    connect(m_pSurface->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& rect, QMouseEvent*) { OnSelectionAccepted(rect); });
    connect(m_pSurface->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& range) { emit xAxisChanged(range.lower, range.upper); });
    connect(m_pSurface, &QCustomPlot::afterReplot, this, [this] {
        m_bReplotted = true;
        emit replotted();
    });
    m_pSurface->legend->setVisible(false);
    m_pSurface->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    // The chart's overlay layer has its own paint buffer, so the readout can
    // be redrawn without drawing the traces again.

    auto* text = new QCPItemText(m_pSurface);
    text->setLayer(kOverlayLayer);
    text->position->setType(QCPItemPosition::ptAxisRectRatio);
    text->position->setAxisRect(m_pSurface->axisRect());
    text->position->setCoords(1.0, 0.0);
    text->setPositionAlignment(Qt::AlignRight | Qt::AlignTop);
    text->setTextAlignment(Qt::AlignRight);
    text->setPadding(QMargins(6, 3, 6, 3));
    text->setBrush(QColor(255, 255, 255, 220));
    text->setPen(QPen(QColor(160, 160, 160)));
    text->setVisible(false);
    m_pItems->cornerText = text;

    auto* mark = new QCPItemTracer(m_pSurface);
    mark->setLayer(kOverlayLayer);
    mark->setStyle(QCPItemTracer::tsPlus);
    mark->setSize(11);
    mark->setPen(QPen(QColor(40, 40, 40), 1));
    mark->setVisible(false);
    m_pItems->baseMark = mark;

    const QPen crossPen(QColor(90, 90, 90, 170), 1, Qt::DotLine);
    for (QCPItemStraightLine** line : {&m_pItems->crossX, &m_pItems->crossY}) {
        *line = new QCPItemStraightLine(m_pSurface);
        (*line)->setLayer(kOverlayLayer);
        (*line)->setPen(crossPen);
        (*line)->setSelectable(false);
        (*line)->setVisible(false);
    }

    auto* point = new QCPItemTracer(m_pSurface);
    point->setLayer(kOverlayLayer);
    point->setStyle(QCPItemTracer::tsCircle);
    point->setSize(9);
    point->setPen(QPen(QColor(20, 20, 20), 1.5));
    point->setVisible(false);
    m_pItems->pointMark = point;

    auto* rubber = new QCPItemLine(m_pSurface);
    rubber->setLayer(kOverlayLayer);
    rubber->setPen(QPen(QColor(20, 20, 20), 1.5, Qt::DashLine));
    rubber->setSelectable(false);
    rubber->setVisible(false);
    m_pItems->rubberLine = rubber;
}

CiPlotXControl::~CiPlotXControl() = default;

// ---- axes ----

void CiPlotXControl::SetXAxisTitle(const QString& title)
{
    m_pSurface->xAxis->setLabel(title);
}

void CiPlotXControl::SetYAxisTitle(const QString& title)
{
    m_pSurface->yAxis->setLabel(title);
}

QString CiPlotXControl::GetXAxisTitle() const
{
    return m_pSurface->xAxis->label();
}

QString CiPlotXControl::GetYAxisTitle() const
{
    return m_pSurface->yAxis->label();
}

void CiPlotXControl::SetXAxisMinSpan(double dMin, double dSpan)
{
    m_pSurface->xAxis->setRange(dMin, dMin + dSpan);
}

void CiPlotXControl::SetYAxisMinSpan(double dMin, double dSpan)
{
    m_pSurface->yAxis->setRange(dMin, dMin + dSpan);
}

double CiPlotXControl::GetXAxisMin() const
{
    return m_pSurface->xAxis->range().lower;
}

double CiPlotXControl::GetXAxisMax() const
{
    return m_pSurface->xAxis->range().upper;
}

double CiPlotXControl::GetXAxisSpan() const
{
    return m_pSurface->xAxis->range().size();
}

double CiPlotXControl::GetYAxisMin() const
{
    return m_pSurface->yAxis->range().lower;
}

double CiPlotXControl::GetYAxisMax() const
{
    return m_pSurface->yAxis->range().upper;
}

double CiPlotXControl::GetYAxisSpan() const
{
    return m_pSurface->yAxis->range().size();
}

CAxisRanges CiPlotXControl::GetRanges() const
{
    return {GetXAxisMin(), GetXAxisMax(), GetYAxisMin(), GetYAxisMax()};
}

void CiPlotXControl::SetRanges(const CAxisRanges& ranges)
{
    m_pSurface->xAxis->setRange(ranges.dXMin, ranges.dXMax);
    m_pSurface->yAxis->setRange(ranges.dYMin, ranges.dYMax);
}

double CiPlotXControl::PixelToX(double dPixel) const
{
    return m_pSurface->xAxis->pixelToCoord(dPixel);
}

double CiPlotXControl::PixelToY(double dPixel) const
{
    return m_pSurface->yAxis->pixelToCoord(dPixel);
}

double CiPlotXControl::XToPixel(double dX) const
{
    return m_pSurface->xAxis->coordToPixel(dX);
}

double CiPlotXControl::YToPixel(double dY) const
{
    return m_pSurface->yAxis->coordToPixel(dY);
}

QRect CiPlotXControl::GetPlotArea() const
{
    return m_pSurface->axisRect()->rect();
}

void CiPlotXControl::FitToData()
{
    m_pSurface->rescaleAxes(true);
}

void CiPlotXControl::SetGridVisible(bool bVisible)
{
    m_pSurface->xAxis->grid()->setVisible(bVisible);
    m_pSurface->yAxis->grid()->setVisible(bVisible);
}

bool CiPlotXControl::IsGridVisible() const
{
    return m_pSurface->xAxis->grid()->visible();
}

int CiPlotXControl::DecimalsForStep(double dStep)
{
    dStep = std::abs(dStep);
    if (!(dStep > 0.0) || !std::isfinite(dStep))
        return 0;
    constexpr int kMaxDecimals = 9;
    double scaled = dStep;
    for (int places = 0; places < kMaxDecimals; ++places) {
        if (std::abs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, scaled))
            return places;
        scaled *= 10.0;
    }
    return kMaxDecimals;
}

namespace {

// The step between the ticks the axis drew last; a fifth of its range
// before the first replot.
double TickStep(const QCPAxis* axis)
{
    const QVector<double> ticks = axis->tickVector();
    if (ticks.size() >= 2)
        return ticks[1] - ticks[0];
    return axis->range().size() / 5.0;
}

} // namespace

int CiPlotXControl::GetXAxisDecimals() const
{
    return DecimalsForStep(TickStep(m_pSurface->xAxis));
}

int CiPlotXControl::GetYAxisDecimals() const
{
    return DecimalsForStep(TickStep(m_pSurface->yAxis));
}

// ---- channels ----

int CiPlotXControl::AddChannel(const QColor& color)
{
    CItems::Channel channel;
    channel.graph = m_pSurface->addGraph();
    channel.graph->setPen(QPen(color, 1));
    channel.graph->setAdaptiveSampling(false); // at most a few hundred points
    channel.data = QSharedPointer<QCPGraphDataContainer>::create();
    channel.graph->setData(channel.data);
    channel.graph->setVisible(false);
    channel.graph->removeFromLegend();
    m_pItems->channels.push_back(channel);
    return GetChannelCount() - 1;
}

int CiPlotXControl::GetChannelCount() const
{
    return static_cast<int>(m_pItems->channels.size());
}

void CiPlotXControl::SetChannelColor(int nChannel, const QColor& color)
{
    if (Valid(m_pItems->channels, nChannel))
        At(m_pItems->channels, nChannel).graph->setPen(QPen(color, 1));
}

QColor CiPlotXControl::GetChannelColor(int nChannel) const
{
    return Valid(m_pItems->channels, nChannel)
               ? At(m_pItems->channels, nChannel).graph->pen().color()
               : QColor();
}

void CiPlotXControl::SetChannelName(int nChannel, const QString& name)
{
    if (!Valid(m_pItems->channels, nChannel))
        return;
    QCPGraph* graph = At(m_pItems->channels, nChannel).graph;
    graph->setName(name);
    // Unnamed or hidden channels stay out of the legend.
    if (!name.isEmpty() && graph->visible())
        graph->addToLegend();
    else
        graph->removeFromLegend();
}

QString CiPlotXControl::GetChannelName(int nChannel) const
{
    return Valid(m_pItems->channels, nChannel) ? At(m_pItems->channels, nChannel).graph->name()
                                               : QString();
}

void CiPlotXControl::SetChannelData(int nChannel, const double* x, const double* y, int nCount)
{
    if (!Valid(m_pItems->channels, nChannel))
        return;
    QCPGraphDataContainer& data = *At(m_pItems->channels, nChannel).data;
    nCount = std::max(nCount, 0);
    At(m_pItems->channels, nChannel).graph->setAdaptiveSampling(nCount > kAdaptivePoints);
    if (data.size() == nCount) {
        auto it = data.begin();
        for (int i = 0; i < nCount; ++i, ++it) {
            it->key = x[i];
            it->value = y[i];
        }
        return;
    }
    QVector<QCPGraphData> points(nCount);
    for (int i = 0; i < nCount; ++i)
        points[i] = QCPGraphData(x[i], y[i]);
    data.set(points, true);
}

int CiPlotXControl::GetChannelPointCount(int nChannel) const
{
    return Valid(m_pItems->channels, nChannel) ? At(m_pItems->channels, nChannel).data->size() : 0;
}

void CiPlotXControl::GetChannelData(int nChannel, std::vector<double>& x,
                                    std::vector<double>& y) const
{
    x.clear();
    y.clear();
    if (!Valid(m_pItems->channels, nChannel))
        return;
    for (const QCPGraphData& point : *At(m_pItems->channels, nChannel).data) {
        x.push_back(point.key);
        y.push_back(point.value);
    }
}

bool CiPlotXControl::GetChannelPoint(int nChannel, int nIndex, double& dX, double& dY) const
{
    if (!Valid(m_pItems->channels, nChannel))
        return false;
    const QCPGraphDataContainer& data = *At(m_pItems->channels, nChannel).data;
    if (nIndex < 0 || nIndex >= data.size())
        return false;
    const QCPGraphData& point = *(data.constBegin() + nIndex);
    dX = point.key;
    dY = point.value;
    return true;
}

void CiPlotXControl::SetChannelWidth(int nChannel, double dWidth)
{
    if (!Valid(m_pItems->channels, nChannel))
        return;
    QCPGraph* graph = At(m_pItems->channels, nChannel).graph;
    QPen pen = graph->pen();
    pen.setWidthF(dWidth);
    graph->setPen(pen);
}

void CiPlotXControl::SetChannelStyle(int nChannel, Qt::PenStyle style)
{
    if (!Valid(m_pItems->channels, nChannel))
        return;
    QCPGraph* graph = At(m_pItems->channels, nChannel).graph;
    QPen pen = graph->pen();
    pen.setStyle(style);
    graph->setPen(pen);
}

Qt::PenStyle CiPlotXControl::GetChannelStyle(int nChannel) const
{
    return Valid(m_pItems->channels, nChannel)
               ? At(m_pItems->channels, nChannel).graph->pen().style()
               : Qt::NoPen;
}

int CiPlotXControl::GetNearestPoint(int nChannel, double dX) const
{
    if (!Valid(m_pItems->channels, nChannel))
        return -1;
    const QCPGraphDataContainer& data = *At(m_pItems->channels, nChannel).data;
    if (data.isEmpty() || std::isnan(dX))
        return -1;
    // The first point at or after dX, and the one before it: the nearer of
    // the two, the earlier on a tie, and of equal keys the first.
    const auto keyLess = [](const QCPGraphData& point, double key) { return point.key < key; };
    const auto begin = data.constBegin();
    const auto end = data.constEnd();
    const auto after = std::lower_bound(begin, end, dX, keyLess);
    auto best = after;
    if (after == end)
        best = after - 1;
    else if (after != begin && std::abs((after - 1)->key - dX) <= std::abs(after->key - dX))
        best = after - 1;
    best = std::lower_bound(begin, best + 1, best->key, keyLess);
    return static_cast<int>(best - begin);
}

void CiPlotXControl::SetChannelVisible(int nChannel, bool bVisible)
{
    if (!Valid(m_pItems->channels, nChannel))
        return;
    QCPGraph* graph = At(m_pItems->channels, nChannel).graph;
    graph->setVisible(bVisible);
    if (bVisible && !graph->name().isEmpty())
        graph->addToLegend();
    else
        graph->removeFromLegend();
}

bool CiPlotXControl::IsChannelVisible(int nChannel) const
{
    return Valid(m_pItems->channels, nChannel) && At(m_pItems->channels, nChannel).graph->visible();
}

void CiPlotXControl::SetChannelBeneath(int nChannel, bool bBeneath)
{
    if (!Valid(m_pItems->channels, nChannel))
        return;
    // Between the grid (and the bands on it) and the channels' own layer.
    if (bBeneath && !m_pSurface->layer(kBeneathLayer))
        m_pSurface->addLayer(kBeneathLayer, m_pSurface->layer(QStringLiteral("main")),
                             QCustomPlot::limBelow);
    At(m_pItems->channels, nChannel).graph->setLayer(bBeneath ? kBeneathLayer : "main");
}

bool CiPlotXControl::IsChannelBeneath(int nChannel) const
{
    if (!Valid(m_pItems->channels, nChannel))
        return false;
    const QCPLayer* layer = At(m_pItems->channels, nChannel).graph->layer();
    return layer && layer->name() == QLatin1String(kBeneathLayer);
}

void CiPlotXControl::SetLegendVisible(bool bVisible)
{
    m_pSurface->legend->setVisible(bVisible);
}

bool CiPlotXControl::IsLegendVisible() const
{
    return m_pSurface->legend->visible();
}

// ---- limit lines ----

int CiPlotXControl::AddLimit(double dPercent, const QColor& color)
{
    auto* line = new QCPItemStraightLine(m_pSurface);
    line->setPen(QPen(color, 1, Qt::DashLine));
    line->setSelectable(false);
    line->point1->setType(QCPItemPosition::ptPlotCoords);
    line->point2->setType(QCPItemPosition::ptPlotCoords);
    m_pItems->limits.push_back(line);
    m_pItems->limitLabels.push_back(nullptr);
    const int n = GetLimitCount() - 1;
    SetLimitPercent(n, dPercent);
    return n;
}

int CiPlotXControl::GetLimitCount() const
{
    return static_cast<int>(m_pItems->limits.size());
}

void CiPlotXControl::SetLimitPercent(int nLimit, double dPercent)
{
    if (!Valid(m_pItems->limits, nLimit))
        return;
    const double x = FromPercent(dPercent, GetXAxisMin(), GetXAxisSpan());
    QCPItemStraightLine* line = At(m_pItems->limits, nLimit);
    line->point1->setCoords(x, 0.0);
    line->point2->setCoords(x, 1.0);
}

double CiPlotXControl::GetLimitPercent(int nLimit) const
{
    if (!Valid(m_pItems->limits, nLimit))
        return 0.0;
    return ToPercent(At(m_pItems->limits, nLimit)->point1->coords().x(), GetXAxisMin(),
                     GetXAxisSpan());
}

void CiPlotXControl::SetLimitColor(int nLimit, const QColor& color)
{
    if (!Valid(m_pItems->limits, nLimit))
        return;
    QPen pen = At(m_pItems->limits, nLimit)->pen();
    pen.setColor(color);
    At(m_pItems->limits, nLimit)->setPen(pen);
}

QColor CiPlotXControl::GetLimitColor(int nLimit) const
{
    return Valid(m_pItems->limits, nLimit) ? At(m_pItems->limits, nLimit)->pen().color() : QColor();
}

void CiPlotXControl::SetLimitVisible(int nLimit, bool bVisible)
{
    if (!Valid(m_pItems->limits, nLimit))
        return;
    At(m_pItems->limits, nLimit)->setVisible(bVisible);
    if (QCPItemText* label = At(m_pItems->limitLabels, nLimit))
        label->setVisible(bVisible && !label->text().isEmpty());
}

void CiPlotXControl::SetLimitLabel(int nLimit, const QString& text)
{
    if (!Valid(m_pItems->limits, nLimit))
        return;
    QCPItemStraightLine* line = At(m_pItems->limits, nLimit);
    QCPItemText*& label = m_pItems->limitLabels[static_cast<size_t>(nLimit)];
    if (!label) {
        label = new QCPItemText(m_pSurface);
        label->setSelectable(false);
        label->setClipToAxisRect(true);
        // x follows the line; y sits at the top of the plot.
        label->position->setParentAnchorX(line->point1);
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        label->position->setAxisRect(m_pSurface->axisRect());
        label->position->setCoords(3.0, 0.0);
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        QFont font = label->font();
        font.setPointSizeF(std::max(6.0, font.pointSizeF() * 0.8));
        label->setFont(font);
    }
    label->setColor(line->pen().color());
    label->setText(text);
    label->setVisible(line->visible() && !text.isEmpty());
}

QString CiPlotXControl::GetLimitLabel(int nLimit) const
{
    if (!Valid(m_pItems->limits, nLimit) || !At(m_pItems->limitLabels, nLimit))
        return QString();
    return At(m_pItems->limitLabels, nLimit)->text();
}

bool CiPlotXControl::IsLimitVisible(int nLimit) const
{
    return Valid(m_pItems->limits, nLimit) && At(m_pItems->limits, nLimit)->visible();
}

// ---- markers ----

int CiPlotXControl::AddMarker(const QColor& color, int nChannel)
{
    // The left end sits on the axis rect's left edge (the x minimum), the
    // right end a fixed number of pixels further, so the tick keeps its size
    // whatever the zoom.
    auto* line = new QCPItemLine(m_pSurface);
    line->setPen(QPen(color, 2));
    line->setSelectable(false);
    QCPAxis* valueAxis = Valid(m_pItems->channels, nChannel)
                             ? At(m_pItems->channels, nChannel).graph->valueAxis()
                             : m_pSurface->yAxis;
    line->start->setAxes(m_pSurface->xAxis, valueAxis);
    line->start->setAxisRect(m_pSurface->axisRect());
    line->start->setTypeX(QCPItemPosition::ptAxisRectRatio);
    line->start->setTypeY(QCPItemPosition::ptPlotCoords);
    line->start->setCoords(0.0, 0.0);
    line->end->setParentAnchor(line->start);
    line->end->setType(QCPItemPosition::ptAbsolute);
    line->end->setCoords(m_dMarkerPixels, 0.0);
    m_pItems->markers.push_back({line, nChannel});
    return static_cast<int>(m_pItems->markers.size()) - 1;
}

void CiPlotXControl::SetMarkerY(int nMarker, double dY)
{
    if (Valid(m_pItems->markers, nMarker))
        At(m_pItems->markers, nMarker).line->start->setCoords(0.0, dY);
}

double CiPlotXControl::GetMarkerY(int nMarker) const
{
    return Valid(m_pItems->markers, nMarker)
               ? At(m_pItems->markers, nMarker).line->start->coords().y()
               : 0.0;
}

void CiPlotXControl::SetMarkerVisible(int nMarker, bool bVisible)
{
    if (Valid(m_pItems->markers, nMarker))
        At(m_pItems->markers, nMarker).line->setVisible(bVisible);
}

bool CiPlotXControl::IsMarkerVisible(int nMarker) const
{
    return Valid(m_pItems->markers, nMarker) && At(m_pItems->markers, nMarker).line->visible();
}

QColor CiPlotXControl::GetMarkerColor(int nMarker) const
{
    return Valid(m_pItems->markers, nMarker) ? At(m_pItems->markers, nMarker).line->pen().color()
                                             : QColor();
}

void CiPlotXControl::SetMarkerPixelLength(double dPixels)
{
    m_dMarkerPixels = dPixels;
    for (CItems::Marker& marker : m_pItems->markers)
        marker.line->end->setCoords(dPixels, 0.0);
}

// ---- x markers and bands ----

int CiPlotXControl::AddXMarker(const QColor& color)
{
    auto* line = new QCPItemStraightLine(m_pSurface);
    line->setLayer(kOverlayLayer);
    line->setPen(QPen(color, 1.5));
    line->setSelectable(false);
    line->point1->setType(QCPItemPosition::ptPlotCoords);
    line->point2->setType(QCPItemPosition::ptPlotCoords);
    m_pItems->xMarkers.push_back(line);
    const int n = static_cast<int>(m_pItems->xMarkers.size()) - 1;
    SetXMarker(n, 0.0);
    return n;
}

void CiPlotXControl::SetXMarker(int nMarker, double dX)
{
    if (!Valid(m_pItems->xMarkers, nMarker))
        return;
    At(m_pItems->xMarkers, nMarker)->point1->setCoords(dX, 0.0);
    At(m_pItems->xMarkers, nMarker)->point2->setCoords(dX, 1.0);
}

double CiPlotXControl::GetXMarker(int nMarker) const
{
    return Valid(m_pItems->xMarkers, nMarker)
               ? At(m_pItems->xMarkers, nMarker)->point1->coords().x()
               : 0.0;
}

void CiPlotXControl::SetXMarkerVisible(int nMarker, bool bVisible)
{
    if (Valid(m_pItems->xMarkers, nMarker))
        At(m_pItems->xMarkers, nMarker)->setVisible(bVisible);
}

bool CiPlotXControl::IsXMarkerVisible(int nMarker) const
{
    return Valid(m_pItems->xMarkers, nMarker) && At(m_pItems->xMarkers, nMarker)->visible();
}

int CiPlotXControl::AddBand(const QColor& color)
{
    auto* band = new QCPItemRect(m_pSurface);
    band->setLayer(QStringLiteral("grid"));
    band->setPen(Qt::NoPen);
    QColor fill = color;
    if (fill.alpha() == 255)
        fill.setAlpha(60);
    band->setBrush(fill);
    band->setSelectable(false);
    for (QCPItemPosition* corner : {band->topLeft, band->bottomRight}) {
        corner->setAxisRect(m_pSurface->axisRect());
        corner->setTypeX(QCPItemPosition::ptPlotCoords);
        corner->setTypeY(QCPItemPosition::ptAxisRectRatio);
    }
    band->setVisible(false);
    m_pItems->bands.push_back(band);
    const int n = static_cast<int>(m_pItems->bands.size()) - 1;
    SetBand(n, 0.0, 0.0);
    return n;
}

void CiPlotXControl::SetBand(int nBand, double dX1, double dX2)
{
    if (!Valid(m_pItems->bands, nBand))
        return;
    At(m_pItems->bands, nBand)->topLeft->setCoords(std::min(dX1, dX2), 0.0);
    At(m_pItems->bands, nBand)->bottomRight->setCoords(std::max(dX1, dX2), 1.0);
}

void CiPlotXControl::GetBand(int nBand, double& dX1, double& dX2) const
{
    dX1 = dX2 = 0.0;
    if (!Valid(m_pItems->bands, nBand))
        return;
    dX1 = At(m_pItems->bands, nBand)->topLeft->coords().x();
    dX2 = At(m_pItems->bands, nBand)->bottomRight->coords().x();
}

void CiPlotXControl::SetBandVisible(int nBand, bool bVisible)
{
    if (Valid(m_pItems->bands, nBand))
        At(m_pItems->bands, nBand)->setVisible(bVisible);
}

bool CiPlotXControl::IsBandVisible(int nBand) const
{
    return Valid(m_pItems->bands, nBand) && At(m_pItems->bands, nBand)->visible();
}

// ---- annotations ----

void CiPlotXControl::SetAnnotations(const std::vector<CPlotSegment>& segments,
                                    const std::vector<CPlotLabel>& labels)
{
    for (QCPItemLine* line : m_pItems->segments)
        m_pSurface->removeItem(line);
    for (QCPItemText* text : m_pItems->labels)
        m_pSurface->removeItem(text);
    m_pItems->segments.clear();
    m_pItems->labels.clear();
    for (const CPlotSegment& s : segments) {
        auto* line = new QCPItemLine(m_pSurface);
        line->setPen(QPen(s.color, s.width, s.style));
        line->setSelectable(false);
        line->start->setCoords(s.x1, s.y1);
        line->end->setCoords(s.x2, s.y2);
        m_pItems->segments.push_back(line);
    }
    for (const CPlotLabel& l : labels) {
        auto* text = new QCPItemText(m_pSurface);
        text->setSelectable(false);
        text->setClipToAxisRect(true);
        text->position->setCoords(l.x, l.y);
        // A label above a point at the top of the view would be cut off by
        // the axes: it goes beside the point instead.
        const double span = GetYAxisSpan();
        if (span > 0.0 && l.y > GetYAxisMax() - 0.08 * span) {
            text->setPositionAlignment(Qt::AlignTop | Qt::AlignLeft);
            text->setPadding(QMargins(6, 0, 0, 0));
        } else {
            text->setPositionAlignment(Qt::AlignBottom | Qt::AlignHCenter);
            text->setPadding(QMargins(0, 0, 0, 3));
        }
        text->setColor(l.color);
        QFont font = text->font();
        font.setBold(l.bold);
        text->setFont(font);
        text->setText(l.text);
        m_pItems->labels.push_back(text);
    }
}

int CiPlotXControl::GetAnnotationSegmentCount() const
{
    return static_cast<int>(m_pItems->segments.size());
}

int CiPlotXControl::GetAnnotationLabelCount() const
{
    return static_cast<int>(m_pItems->labels.size());
}

QStringList CiPlotXControl::GetAnnotationTexts() const
{
    QStringList texts;
    for (const QCPItemText* text : m_pItems->labels)
        texts << text->text();
    return texts;
}

// ---- overlay ----

void CiPlotXControl::SetCornerText(const QString& text)
{
    m_pItems->cornerText->setText(text);
    m_pItems->cornerText->setVisible(!text.isEmpty());
}

QString CiPlotXControl::GetCornerText() const
{
    return m_pItems->cornerText->visible() ? m_pItems->cornerText->text() : QString();
}

void CiPlotXControl::SetBasePointMark(bool bShown, double dX, double dY)
{
    m_pItems->baseMark->position->setCoords(dX, dY);
    m_pItems->baseMark->setVisible(bShown);
}

bool CiPlotXControl::IsBasePointMarkShown() const
{
    return m_pItems->baseMark->visible();
}

void CiPlotXControl::SetCrosshair(bool bShown, double dX, double dY)
{
    m_pItems->crossX->point1->setCoords(dX, 0.0);
    m_pItems->crossX->point2->setCoords(dX, 1.0);
    m_pItems->crossY->point1->setCoords(0.0, dY);
    m_pItems->crossY->point2->setCoords(1.0, dY);
    m_pItems->crossX->setVisible(bShown);
    m_pItems->crossY->setVisible(bShown);
}

bool CiPlotXControl::IsCrosshairShown() const
{
    return m_pItems->crossX->visible();
}

void CiPlotXControl::SetPointMark(bool bShown, double dX, double dY)
{
    m_pItems->pointMark->position->setCoords(dX, dY);
    m_pItems->pointMark->setVisible(bShown);
}

bool CiPlotXControl::IsPointMarkShown() const
{
    return m_pItems->pointMark->visible();
}

void CiPlotXControl::RefreshOverlay()
{
    // The layer has no buffer of its own before the chart's first replot.
    if (!m_bReplotted) {
        Replot();
        return;
    }
    m_pSurface->layer(kOverlayLayer)->replot();
}

// ---- output ----

void CiPlotXControl::Replot(bool bImmediate)
{
    m_pSurface->replot(bImmediate ? QCustomPlot::rpImmediateRefresh : QCustomPlot::rpQueuedReplot);
}

void CiPlotXControl::Render(QPainter& painter, const QRect& target)
{
    // The chart draws itself at its screen size into a picture, which then
    // scales without losing its vectors.
    const int width = std::max(1, this->width());
    const int height = std::max(1, this->height());
    QPicture picture;
    {
        QCPPainter chartPainter(&picture);
        m_pSurface->toPainter(&chartPainter, width, height);
    }
    const double scale = std::min(target.width() / double(width), target.height() / double(height));
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

namespace {
// The painters BeginPagePainter made (the chart's own kind), by address:
// only those can take the chart's drawing directly.
std::set<const QPainter*>& PagePainters()
{
    static std::set<const QPainter*> painters;
    return painters;
}
} // namespace

CiPlotXControl::PagePainter CiPlotXControl::BeginPagePainter(QPaintDevice* device)
{
    const auto release = [](QPainter* painter) {
        PagePainters().erase(painter);
        delete static_cast<QCPPainter*>(painter);
    };
    auto* painter = new QCPPainter();
    if (!device || !painter->begin(device)) {
        delete painter;
        return PagePainter(nullptr, release);
    }
    PagePainters().insert(painter);
    return PagePainter(painter, release);
}

void CiPlotXControl::RenderPage(QPainter& painter, const QRectF& target, double dDotsPerPixel)
{
    auto* chartPainter =
        PagePainters().count(&painter) ? static_cast<QCPPainter*>(&painter) : nullptr;
    if (!chartPainter) {
        Render(painter, target.toRect());
        return;
    }
    const double scale = dDotsPerPixel > 0.0 ? dDotsPerPixel : 1.0;
    const int width = std::max(1, static_cast<int>(target.width() / scale));
    const int height = std::max(1, static_cast<int>(target.height() / scale));

    // Fonts given in points would be sized for the page's resolution and
    // then scaled once more: for the drawing, each gets its screen size in pixels.
    const double screenDpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
    const auto toPixels = [screenDpi](QFont font) {
        if (font.pointSizeF() > 0)
            font.setPixelSize(
                std::max(1, static_cast<int>(std::lround(font.pointSizeF() * screenDpi / 72.0))));
        return font;
    };
    struct SavedAxis {
        QCPAxis* axis;
        QFont label, tickLabel, selectedLabel, selectedTickLabel;
    };
    std::vector<SavedAxis> axes;
    for (QCPAxis* axis : m_pSurface->axisRect()->axes()) {
        axes.push_back({axis, axis->labelFont(), axis->tickLabelFont(), axis->selectedLabelFont(),
                        axis->selectedTickLabelFont()});
        axis->setLabelFont(toPixels(axis->labelFont()));
        axis->setTickLabelFont(toPixels(axis->tickLabelFont()));
        axis->setSelectedLabelFont(toPixels(axis->selectedLabelFont()));
        axis->setSelectedTickLabelFont(toPixels(axis->selectedTickLabelFont()));
    }
    std::vector<std::pair<QCPItemText*, QFont>> texts;
    for (int i = 0; i < m_pSurface->itemCount(); ++i)
        if (auto* text = qobject_cast<QCPItemText*>(m_pSurface->item(i))) {
            texts.emplace_back(text, text->font());
            text->setFont(toPixels(text->font()));
        }
    const QFont legendFont = m_pSurface->legend->font();
    m_pSurface->legend->setFont(toPixels(legendFont));

    chartPainter->save();
    chartPainter->translate(target.topLeft());
    chartPainter->scale(scale, scale);
    chartPainter->setMode(QCPPainter::pmVectorized);
    chartPainter->setMode(QCPPainter::pmNoCaching);
    m_pSurface->toPainter(chartPainter, width, height);
    chartPainter->restore();

    for (const SavedAxis& saved : axes) {
        saved.axis->setLabelFont(saved.label);
        saved.axis->setTickLabelFont(saved.tickLabel);
        saved.axis->setSelectedLabelFont(saved.selectedLabel);
        saved.axis->setSelectedTickLabelFont(saved.selectedTickLabel);
    }
    for (const auto& [text, font] : texts)
        text->setFont(font);
    m_pSurface->legend->setFont(legendFont);
    // toPainter laid the chart out at the page's size; the screen needs its own again.
    Replot();
}

QImage CiPlotXControl::ToImage()
{
    return m_pSurface->toPixmap(std::max(1, width()), std::max(1, height())).toImage();
}

void CiPlotXControl::SetMouseMode(MouseMode mode)
{
    m_eMouseMode = mode;
    switch (mode) {
    case MouseMode::ZoomBox:
        m_pSurface->setInteractions(QCP::Interactions());
        m_pSurface->setSelectionRectMode(QCP::srmCustom);
        break;
    case MouseMode::Scroll:
        m_pSurface->setSelectionRectMode(QCP::srmNone);
        m_pSurface->setInteractions(QCP::iRangeDrag);
        break;
    case MouseMode::ZoomAxes:
        m_pSurface->setSelectionRectMode(QCP::srmNone);
        m_pSurface->setInteractions(QCP::iRangeZoom);
        break;
    case MouseMode::DrawLine:
        m_pSurface->setSelectionRectMode(QCP::srmNone);
        m_pSurface->setInteractions(QCP::Interactions());
        break;
    }
}

// ---- zoom box ----

int CiPlotXControl::ZoomBox(const QRect& pixelRect)
{
    const QRect rect = pixelRect.normalized();
    if (rect.width() < kClickSlop && rect.height() < kClickSlop)
        return 0;
    CAxisRanges box{PixelToX(rect.left()), PixelToX(rect.right()), PixelToY(rect.bottom()),
                    PixelToY(rect.top())};
    bool cancel = false;
    emit zoomBoxAboutToApply(box, cancel);
    if (cancel) {
        // The box's frame goes at once, not at the next pulse.
        Replot();
        return 0;
    }
    SetRanges(box);
    emit zoomApplied();
    Replot();
    return 1;
}

void CiPlotXControl::OnSelectionAccepted(const QRect& rect)
{
    ZoomBox(rect);
}

// ---- mouse ----

int CiPlotXControl::ButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int CiPlotXControl::ShiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

int CiPlotXControl::LimitAt(const QPoint& pos) const
{
    if (!GetPlotArea().contains(pos))
        return -1;
    int nearest = -1;
    double nearestDistance = kLimitGrabPixels + 0.5;
    for (int n = 0; n < GetLimitCount(); ++n) {
        if (!IsLimitVisible(n))
            continue;
        const double distance =
            std::abs(XToPixel(At(m_pItems->limits, n)->point1->coords().x()) - pos.x());
        if (distance < nearestDistance) {
            nearest = n;
            nearestDistance = distance;
        }
    }
    return nearest;
}

void CiPlotXControl::MoveDraggedLimit(const QPoint& pos)
{
    const QRect area = GetPlotArea();
    const int px = std::clamp(pos.x(), area.left(), area.right());
    const double x = PixelToX(px);
    QCPItemStraightLine* line = At(m_pItems->limits, m_nDragLimit);
    line->point1->setCoords(x, 0.0);
    line->point2->setCoords(x, 1.0);
    Replot();
}

void CiPlotXControl::mousePressEvent(QMouseEvent* event)
{
    m_pressPos = event->pos();
    m_pressButton = event->button();
    if (event->button() == Qt::LeftButton) {
        const int limit = LimitAt(event->pos());
        if (limit >= 0) {
            m_nDragLimit = limit;
            emit limitDragStarted(limit);
            event->accept();
            return;
        }
    }
    const bool panButton =
        event->button() == Qt::RightButton ||
        (event->button() == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier));
    if (m_bNavigation && m_eMouseMode == MouseMode::ZoomBox && panButton &&
        GetPlotArea().contains(event->pos())) {
        m_bPanning = true;
        m_bPanMoved = false;
        m_panStart = GetRanges();
        event->accept();
        return;
    }
    if (m_eMouseMode == MouseMode::DrawLine && event->button() == Qt::LeftButton &&
        GetPlotArea().contains(event->pos())) {
        m_bDrawingLine = true;
        m_lineStart = QPointF(PixelToX(event->position().x()), PixelToY(event->position().y()));
        m_pItems->rubberLine->start->setCoords(m_lineStart);
        m_pItems->rubberLine->end->setCoords(m_lineStart);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        // Only the left button draws zoom boxes or moves the axes.
        if (m_eMouseMode == MouseMode::Scroll && GetPlotArea().contains(event->pos()))
            emit viewAboutToChange();
        m_pSurface->Press(event);
        return;
    }
    event->accept();
}

void CiPlotXControl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bPanning) {
        const QPoint moved = event->pos() - m_pressPos;
        if (m_bPanMoved || moved.manhattanLength() >= kClickSlop) {
            if (!m_bPanMoved) {
                m_bPanMoved = true;
                setCursor(Qt::ClosedHandCursor);
                emit viewAboutToChange();
            }
            PanBy(m_panStart, QPointF(moved));
            emit viewChangedByUser();
        }
    } else if (m_nDragLimit >= 0) {
        MoveDraggedLimit(event->pos());
        event->accept();
    } else if (m_bDrawingLine) {
        const QRect area = GetPlotArea();
        const QPoint end(std::clamp(event->pos().x(), area.left(), area.right()),
                         std::clamp(event->pos().y(), area.top(), area.bottom()));
        m_pItems->rubberLine->end->setCoords(PixelToX(end.x()), PixelToY(end.y()));
        m_pItems->rubberLine->setVisible(true);
        RefreshOverlay();
        event->accept();
    } else {
        m_pSurface->Move(event);
        if (event->buttons() == Qt::NoButton)
            setCursor(LimitAt(event->pos()) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
    }
    const QPointF pos = event->position();
    emit cursorMoved(PixelToX(pos.x()), PixelToY(pos.y()), GetPlotArea().contains(event->pos()));
}

void CiPlotXControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool isPressedButton = event->button() == m_pressButton;
    const bool click =
        isPressedButton && (event->pos() - m_pressPos).manhattanLength() < kClickSlop;
    if (m_bPanning && isPressedButton) {
        m_bPanning = false;
        event->accept();
        setCursor(Qt::ArrowCursor);
        if (!m_bPanMoved)
            emit chartMouseEvent(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                                 PixelToX(event->pos().x()), PixelToY(event->pos().y()));
        m_pressButton = Qt::NoButton;
        return;
    }
    if (m_bDrawingLine && event->button() == Qt::LeftButton) {
        m_bDrawingLine = false;
        m_pItems->rubberLine->setVisible(false);
        RefreshOverlay();
        event->accept();
        const int shift = ShiftCode(event->modifiers());
        if (click) {
            emit chartMouseEvent(1, shift, m_lineStart.x(), m_lineStart.y());
        } else {
            // The release ends the line even when no move was reported before it.
            const QRect area = GetPlotArea();
            const double x = PixelToX(std::clamp(event->pos().x(), area.left(), area.right()));
            const double y = PixelToY(std::clamp(event->pos().y(), area.top(), area.bottom()));
            emit lineDrawn(m_lineStart.x(), m_lineStart.y(), x, y, shift);
        }
    } else if (m_nDragLimit >= 0 && event->button() == Qt::LeftButton) {
        const int limit = m_nDragLimit;
        MoveDraggedLimit(event->pos());
        m_nDragLimit = -1;
        emit limitDragEnded(limit, 1);
        event->accept();
    } else if (event->button() == Qt::LeftButton) {
        m_pSurface->Release(event);
        if (click)
            emit chartMouseEvent(1, ShiftCode(event->modifiers()), PixelToX(event->pos().x()),
                                 PixelToY(event->pos().y()));
    } else {
        event->accept();
        if (click && ButtonCode(event->button()) != 0)
            emit chartMouseEvent(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                                 PixelToX(event->pos().x()), PixelToY(event->pos().y()));
    }
    if (isPressedButton)
        m_pressButton = Qt::NoButton;
}

void CiPlotXControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click: counted as a press of its own, so
    // two quick zoom-out clicks zoom out twice.
    m_pressPos = event->pos();
    m_pressButton = event->button();
    event->accept();
    if (event->button() == Qt::LeftButton && GetPlotArea().contains(event->pos()))
        emit chartDoubleClicked(PixelToX(event->position().x()), PixelToY(event->position().y()));
}

void CiPlotXControl::ZoomAbout(const QPointF& pixel, double dSteps)
{
    // 15 % a notch, about the axis position under the cursor.
    const double factor = std::pow(0.85, dSteps);
    const double x = PixelToX(pixel.x());
    const double y = PixelToY(pixel.y());
    const CAxisRanges r = GetRanges();
    SetRanges({x - (x - r.dXMin) * factor, x + (r.dXMax - x) * factor, y - (y - r.dYMin) * factor,
               y + (r.dYMax - y) * factor});
    Replot();
}

void CiPlotXControl::PanBy(const CAxisRanges& from, const QPointF& pixels)
{
    const QRect area = GetPlotArea();
    if (area.width() <= 0 || area.height() <= 0)
        return;
    const double dx = pixels.x() * (from.dXMax - from.dXMin) / area.width();
    const double dy = pixels.y() * (from.dYMax - from.dYMin) / area.height();
    SetRanges({from.dXMin - dx, from.dXMax - dx, from.dYMin + dy, from.dYMax + dy});
    Replot();
}

void CiPlotXControl::wheelEvent(QWheelEvent* event)
{
    if (m_bNavigation && m_eMouseMode == MouseMode::ZoomBox) {
        const double steps = event->angleDelta().y() / 120.0;
        if (steps == 0.0 || !GetPlotArea().contains(event->position().toPoint())) {
            event->ignore();
            return;
        }
        emit viewAboutToChange();
        ZoomAbout(event->position(), steps);
        emit viewChangedByUser();
        event->accept();
    } else if (m_eMouseMode == MouseMode::ZoomAxes) {
        emit viewAboutToChange();
        m_pSurface->Wheel(event);
    } else {
        event->ignore();
    }
}

void CiPlotXControl::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_nDragLimit < 0)
        setCursor(Qt::ArrowCursor);
    emit cursorLeft();
}
