#include "iPlotXControl.h"

#include "LimitSettings.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kOverlayLayer = "overlay";

} // namespace

CiPlotXControl::CiPlotXControl(QWidget* parent) : QCustomPlot(parent)
{
    // A pulse is a few hundred points redrawn several times a second; the
    // cheap polyline path and cached tick labels keep that well inside a
    // frame. Smooth traces cost next to nothing at that size; the straight
    // limit lines and ticks stay crisp without smoothing.
    setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    setNotAntialiasedElements(QCP::aeItems);
    setInteractions(QCP::Interactions());
    setSelectionRectMode(QCP::srmCustom);
    selectionRect()->setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
    selectionRect()->setBrush(QColor(0, 76, 154, 30));
    connect(selectionRect(), &QCPSelectionRect::accepted, this, &CiPlotXControl::OnSelectionAccepted);
    connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& range) { emit xAxisChanged(range.lower, range.upper); });
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    // The overlay layer has its own paint buffer, so the readout can be
    // redrawn without drawing the traces again.
    m_pCornerText = new QCPItemText(this);
    m_pCornerText->setLayer(kOverlayLayer);
    m_pCornerText->position->setType(QCPItemPosition::ptAxisRectRatio);
    m_pCornerText->position->setAxisRect(axisRect());
    m_pCornerText->position->setCoords(1.0, 0.0);
    m_pCornerText->setPositionAlignment(Qt::AlignRight | Qt::AlignTop);
    m_pCornerText->setTextAlignment(Qt::AlignRight);
    m_pCornerText->setPadding(QMargins(6, 3, 6, 3));
    m_pCornerText->setBrush(QColor(255, 255, 255, 220));
    m_pCornerText->setPen(QPen(QColor(160, 160, 160)));
    m_pCornerText->setVisible(false);

    m_pBaseMark = new QCPItemTracer(this);
    m_pBaseMark->setLayer(kOverlayLayer);
    m_pBaseMark->setStyle(QCPItemTracer::tsPlus);
    m_pBaseMark->setSize(11);
    m_pBaseMark->setPen(QPen(QColor(40, 40, 40), 1));
    m_pBaseMark->setVisible(false);
}

CiPlotXControl::~CiPlotXControl() = default;

// ---- axes ----

void CiPlotXControl::SetXAxisTitle(const QString& title)
{
    xAxis->setLabel(title);
}

void CiPlotXControl::SetYAxisTitle(const QString& title)
{
    yAxis->setLabel(title);
}

QString CiPlotXControl::GetXAxisTitle() const
{
    return xAxis->label();
}

QString CiPlotXControl::GetYAxisTitle() const
{
    return yAxis->label();
}

void CiPlotXControl::SetXAxisMinSpan(double dMin, double dSpan)
{
    xAxis->setRange(dMin, dMin + dSpan);
}

void CiPlotXControl::SetYAxisMinSpan(double dMin, double dSpan)
{
    yAxis->setRange(dMin, dMin + dSpan);
}

double CiPlotXControl::GetXAxisMin() const
{
    return xAxis->range().lower;
}

double CiPlotXControl::GetXAxisMax() const
{
    return xAxis->range().upper;
}

double CiPlotXControl::GetXAxisSpan() const
{
    return xAxis->range().size();
}

double CiPlotXControl::GetYAxisMin() const
{
    return yAxis->range().lower;
}

double CiPlotXControl::GetYAxisMax() const
{
    return yAxis->range().upper;
}

double CiPlotXControl::GetYAxisSpan() const
{
    return yAxis->range().size();
}

CAxisRanges CiPlotXControl::GetRanges() const
{
    return {GetXAxisMin(), GetXAxisMax(), GetYAxisMin(), GetYAxisMax()};
}

void CiPlotXControl::SetRanges(const CAxisRanges& ranges)
{
    xAxis->setRange(ranges.dXMin, ranges.dXMax);
    yAxis->setRange(ranges.dYMin, ranges.dYMax);
}

double CiPlotXControl::PixelToX(double dPixel) const
{
    return xAxis->pixelToCoord(dPixel);
}

double CiPlotXControl::PixelToY(double dPixel) const
{
    return yAxis->pixelToCoord(dPixel);
}

double CiPlotXControl::XToPixel(double dX) const
{
    return xAxis->coordToPixel(dX);
}

double CiPlotXControl::YToPixel(double dY) const
{
    return yAxis->coordToPixel(dY);
}

void CiPlotXControl::FitToData()
{
    rescaleAxes(true);
}

// ---- channels ----

int CiPlotXControl::AddChannel(const QColor& color)
{
    Channel channel;
    channel.graph = addGraph();
    channel.graph->setPen(QPen(color, 1));
    channel.graph->setAdaptiveSampling(false); // at most a few hundred points
    channel.data = QSharedPointer<QCPGraphDataContainer>::create();
    channel.graph->setData(channel.data);
    channel.graph->setVisible(false);
    m_channels.push_back(channel);
    return GetChannelCount() - 1;
}

void CiPlotXControl::SetChannelColor(int nChannel, const QColor& color)
{
    if (ValidChannel(nChannel))
        m_channels[static_cast<size_t>(nChannel)].graph->setPen(QPen(color, 1));
}

QColor CiPlotXControl::GetChannelColor(int nChannel) const
{
    return ValidChannel(nChannel) ? m_channels[static_cast<size_t>(nChannel)].graph->pen().color() : QColor();
}

void CiPlotXControl::SetChannelData(int nChannel, const double* x, const double* y, int nCount)
{
    if (!ValidChannel(nChannel))
        return;
    QCPGraphDataContainer& data = *m_channels[static_cast<size_t>(nChannel)].data;
    nCount = std::max(nCount, 0);
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
    return ValidChannel(nChannel) ? m_channels[static_cast<size_t>(nChannel)].data->size() : 0;
}

void CiPlotXControl::SetChannelVisible(int nChannel, bool bVisible)
{
    if (ValidChannel(nChannel))
        m_channels[static_cast<size_t>(nChannel)].graph->setVisible(bVisible);
}

bool CiPlotXControl::IsChannelVisible(int nChannel) const
{
    return ValidChannel(nChannel) && m_channels[static_cast<size_t>(nChannel)].graph->visible();
}

// ---- limit lines ----

int CiPlotXControl::AddLimit(double dPercent, const QColor& color)
{
    auto* line = new QCPItemStraightLine(this);
    line->setPen(QPen(color, 1, Qt::DashLine));
    line->setSelectable(false);
    line->point1->setType(QCPItemPosition::ptPlotCoords);
    line->point2->setType(QCPItemPosition::ptPlotCoords);
    m_limits.push_back(line);
    const int n = GetLimitCount() - 1;
    SetLimitPercent(n, dPercent);
    return n;
}

void CiPlotXControl::SetLimitPercent(int nLimit, double dPercent)
{
    if (!ValidLimit(nLimit))
        return;
    const double x = CLimitSettings::FromPercent(dPercent, GetXAxisMin(), GetXAxisSpan());
    QCPItemStraightLine* line = m_limits[static_cast<size_t>(nLimit)];
    line->point1->setCoords(x, 0.0);
    line->point2->setCoords(x, 1.0);
}

double CiPlotXControl::GetLimitPercent(int nLimit) const
{
    if (!ValidLimit(nLimit))
        return 0.0;
    const double x = m_limits[static_cast<size_t>(nLimit)]->point1->coords().x();
    return CLimitSettings::ToPercent(x, GetXAxisMin(), GetXAxisSpan());
}

void CiPlotXControl::SetLimitColor(int nLimit, const QColor& color)
{
    if (!ValidLimit(nLimit))
        return;
    QPen pen = m_limits[static_cast<size_t>(nLimit)]->pen();
    pen.setColor(color);
    m_limits[static_cast<size_t>(nLimit)]->setPen(pen);
}

QColor CiPlotXControl::GetLimitColor(int nLimit) const
{
    return ValidLimit(nLimit) ? m_limits[static_cast<size_t>(nLimit)]->pen().color() : QColor();
}

void CiPlotXControl::SetLimitVisible(int nLimit, bool bVisible)
{
    if (ValidLimit(nLimit))
        m_limits[static_cast<size_t>(nLimit)]->setVisible(bVisible);
}

bool CiPlotXControl::IsLimitVisible(int nLimit) const
{
    return ValidLimit(nLimit) && m_limits[static_cast<size_t>(nLimit)]->visible();
}

// ---- markers ----

int CiPlotXControl::AddMarker(const QColor& color, int nChannel)
{
    // The left end sits on the axis rect's left edge (the x minimum), the
    // right end a fixed number of pixels further, so the tick keeps its size
    // whatever the zoom.
    auto* line = new QCPItemLine(this);
    line->setPen(QPen(color, 2));
    line->setSelectable(false);
    QCPAxis* valueAxis = ValidChannel(nChannel) ? m_channels[static_cast<size_t>(nChannel)].graph->valueAxis() : yAxis;
    line->start->setAxes(xAxis, valueAxis);
    line->start->setAxisRect(axisRect());
    line->start->setTypeX(QCPItemPosition::ptAxisRectRatio);
    line->start->setTypeY(QCPItemPosition::ptPlotCoords);
    line->start->setCoords(0.0, 0.0);
    line->end->setParentAnchor(line->start);
    line->end->setType(QCPItemPosition::ptAbsolute);
    line->end->setCoords(m_dMarkerPixels, 0.0);
    m_markers.push_back({line, nChannel});
    return static_cast<int>(m_markers.size()) - 1;
}

void CiPlotXControl::SetMarkerY(int nMarker, double dY)
{
    if (ValidMarker(nMarker))
        m_markers[static_cast<size_t>(nMarker)].line->start->setCoords(0.0, dY);
}

double CiPlotXControl::GetMarkerY(int nMarker) const
{
    return ValidMarker(nMarker) ? m_markers[static_cast<size_t>(nMarker)].line->start->coords().y() : 0.0;
}

void CiPlotXControl::SetMarkerVisible(int nMarker, bool bVisible)
{
    if (ValidMarker(nMarker))
        m_markers[static_cast<size_t>(nMarker)].line->setVisible(bVisible);
}

bool CiPlotXControl::IsMarkerVisible(int nMarker) const
{
    return ValidMarker(nMarker) && m_markers[static_cast<size_t>(nMarker)].line->visible();
}

QColor CiPlotXControl::GetMarkerColor(int nMarker) const
{
    return ValidMarker(nMarker) ? m_markers[static_cast<size_t>(nMarker)].line->pen().color() : QColor();
}

void CiPlotXControl::SetMarkerPixelLength(double dPixels)
{
    m_dMarkerPixels = dPixels;
    for (Marker& marker : m_markers)
        marker.line->end->setCoords(dPixels, 0.0);
}

// ---- overlay ----

void CiPlotXControl::SetCornerText(const QString& text)
{
    m_pCornerText->setText(text);
    m_pCornerText->setVisible(!text.isEmpty());
}

QString CiPlotXControl::GetCornerText() const
{
    return m_pCornerText->visible() ? m_pCornerText->text() : QString();
}

void CiPlotXControl::SetBasePointMark(bool bShown, double dX, double dY)
{
    m_pBaseMark->position->setCoords(dX, dY);
    m_pBaseMark->setVisible(bShown);
}

bool CiPlotXControl::IsBasePointMarkShown() const
{
    return m_pBaseMark->visible();
}

void CiPlotXControl::RefreshOverlay()
{
    layer(kOverlayLayer)->replot();
}

// ---- zoom box ----

int CiPlotXControl::ZoomBox(const QRect& pixelRect)
{
    const QRect rect = pixelRect.normalized();
    if (rect.width() < kClickSlop && rect.height() < kClickSlop)
        return 0;
    CAxisRanges box{PixelToX(rect.left()), PixelToX(rect.right()), PixelToY(rect.bottom()), PixelToY(rect.top())};
    bool cancel = false;
    emit zoomBoxAboutToApply(box, cancel);
    if (cancel)
        return 0;
    SetRanges(box);
    emit zoomApplied();
    replot(rpQueuedReplot);
    return 1;
}

void CiPlotXControl::OnSelectionAccepted(const QRect& rect, QMouseEvent* /*event*/)
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
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

int CiPlotXControl::LimitAt(const QPoint& pos) const
{
    if (!axisRect()->rect().contains(pos))
        return -1;
    int nearest = -1;
    double nearestDistance = kLimitGrabPixels + 0.5;
    for (int n = 0; n < GetLimitCount(); ++n) {
        if (!IsLimitVisible(n))
            continue;
        const double distance = std::abs(XToPixel(m_limits[static_cast<size_t>(n)]->point1->coords().x()) - pos.x());
        if (distance < nearestDistance) {
            nearest = n;
            nearestDistance = distance;
        }
    }
    return nearest;
}

void CiPlotXControl::MoveDraggedLimit(const QPoint& pos)
{
    const QRect area = axisRect()->rect();
    const int px = std::clamp(pos.x(), area.left(), area.right());
    const double x = PixelToX(px);
    QCPItemStraightLine* line = m_limits[static_cast<size_t>(m_nDragLimit)];
    line->point1->setCoords(x, 0.0);
    line->point2->setCoords(x, 1.0);
    replot(rpQueuedReplot);
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
        // Only the left button draws zoom boxes.
        QCustomPlot::mousePressEvent(event);
        return;
    }
    event->accept();
}

void CiPlotXControl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_nDragLimit >= 0) {
        MoveDraggedLimit(event->pos());
        event->accept();
    } else {
        QCustomPlot::mouseMoveEvent(event);
        if (event->buttons() == Qt::NoButton)
            setCursor(LimitAt(event->pos()) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
    }
    const QPointF pos = event->position();
    emit cursorMoved(PixelToX(pos.x()), PixelToY(pos.y()), axisRect()->rect().contains(event->pos()));
}

void CiPlotXControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool isPressedButton = event->button() == m_pressButton;
    const bool click = isPressedButton && (event->pos() - m_pressPos).manhattanLength() < kClickSlop;
    if (m_nDragLimit >= 0 && event->button() == Qt::LeftButton) {
        const int limit = m_nDragLimit;
        MoveDraggedLimit(event->pos());
        m_nDragLimit = -1;
        emit limitDragEnded(limit, 1);
        event->accept();
    } else if (event->button() == Qt::LeftButton) {
        QCustomPlot::mouseReleaseEvent(event);
        if (click)
            emit chartMouseEvent(1, ShiftCode(event->modifiers()), PixelToX(event->pos().x()), PixelToY(event->pos().y()));
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
}

void CiPlotXControl::leaveEvent(QEvent* event)
{
    QCustomPlot::leaveEvent(event);
    if (m_nDragLimit < 0)
        setCursor(Qt::ArrowCursor);
    emit cursorLeft();
}
