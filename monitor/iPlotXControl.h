#pragma once
// The chart of the live plot: a QCustomPlot that offers the roles the plot
// dialog relies on, so that the dialog never touches the chart's items itself.
//
//   axes        titles; minimum and span; read minimum, maximum, span;
//               pixel to axis position; fit to the data
//   channels    one graph each: colour, XY data, shown or hidden
//   limit lines vertical, placed in percent of the visible x span, draggable
//   markers     short horizontal ticks at the left edge of the plot, each bound
//               to a channel's axes; their left end follows the x minimum
//   overlay     a corner text and a base-point mark, redrawn on their own layer
//               so that mouse tracking never replots the traces
//
// Mouse gestures:
//   left drag on the plot          zoom box (zoomBoxAboutToApply, then zoomApplied)
//   left drag on a limit line      moves the line (limitDragStarted/Ended)
//   click of any button            chartMouseEvent(button, shift, x, y)
//
// Button and shift codes of chartMouseEvent are the chart's own: button
// 1 left, 2 right, 4 middle; shift is a mask of 1 Shift, 2 Ctrl, 4 Alt. A
// press and release less than kClickSlop pixels apart is a click, not a drag.

#include "ZoomHistory.h"

#include <qcustomplot.h>

#include <QColor>
#include <QPoint>
#include <QString>
#include <QVector>

#include <vector>

class CiPlotXControl : public QCustomPlot {
    Q_OBJECT

public:
    static constexpr int kClickSlop = 4;
    static constexpr int kLimitGrabPixels = 4;

    explicit CiPlotXControl(QWidget* parent = nullptr);
    ~CiPlotXControl() override;

    // Axes
    void SetXAxisTitle(const QString& title);
    void SetYAxisTitle(const QString& title);
    QString GetXAxisTitle() const;
    QString GetYAxisTitle() const;
    void SetXAxisMinSpan(double dMin, double dSpan);
    void SetYAxisMinSpan(double dMin, double dSpan);
    double GetXAxisMin() const;
    double GetXAxisMax() const;
    double GetXAxisSpan() const;
    double GetYAxisMin() const;
    double GetYAxisMax() const;
    double GetYAxisSpan() const;
    CAxisRanges GetRanges() const;
    // Both axes exactly as given (a saved view coming back).
    void SetRanges(const CAxisRanges& ranges);
    // Widget pixel to axis position.
    double PixelToX(double dPixel) const;
    double PixelToY(double dPixel) const;
    double XToPixel(double dX) const;
    double YToPixel(double dY) const;
    // Both axes to the shown channels' data; nothing changes without data.
    void FitToData();

    // Channels. Index as returned by AddChannel; bad indexes are ignored.
    int AddChannel(const QColor& color);
    int GetChannelCount() const { return static_cast<int>(m_channels.size()); }
    void SetChannelColor(int nChannel, const QColor& color);
    QColor GetChannelColor(int nChannel) const;
    // x must be ascending. Reuses the channel's buffer when the point count
    // has not changed, which is the case for every live pulse.
    void SetChannelData(int nChannel, const double* x, const double* y, int nCount);
    int GetChannelPointCount(int nChannel) const;
    void SetChannelVisible(int nChannel, bool bVisible);
    bool IsChannelVisible(int nChannel) const;

    // Limit lines
    int AddLimit(double dPercent, const QColor& color);
    int GetLimitCount() const { return static_cast<int>(m_limits.size()); }
    void SetLimitPercent(int nLimit, double dPercent);
    double GetLimitPercent(int nLimit) const;
    void SetLimitColor(int nLimit, const QColor& color);
    QColor GetLimitColor(int nLimit) const;
    void SetLimitVisible(int nLimit, bool bVisible);
    bool IsLimitVisible(int nLimit) const;
    bool IsDraggingLimit() const { return m_nDragLimit >= 0; }

    // Markers: a tick from the x minimum, nPixels long, at height dY.
    int AddMarker(const QColor& color, int nChannel);
    void SetMarkerY(int nMarker, double dY);
    double GetMarkerY(int nMarker) const;
    void SetMarkerVisible(int nMarker, bool bVisible);
    bool IsMarkerVisible(int nMarker) const;
    QColor GetMarkerColor(int nMarker) const;
    void SetMarkerPixelLength(double dPixels);
    double GetMarkerPixelLength() const { return m_dMarkerPixels; }

    // Overlay
    void SetCornerText(const QString& text);
    QString GetCornerText() const;
    void SetBasePointMark(bool bShown, double dX = 0.0, double dY = 0.0);
    bool IsBasePointMarkShown() const;
    // Redraws the overlay layer only (a full replot before the first one).
    void RefreshOverlay();

    // What a zoom box drawn over pixelRect does: 1 when the zoom was applied,
    // 0 when it was refused or is too small to be anything but a click.
    int ZoomBox(const QRect& pixelRect);

signals:
    // About to zoom to box (axis units, normalised). A handler may change the
    // box or set cancel; connect directly, the arguments are references.
    void zoomBoxAboutToApply(CAxisRanges& box, bool& cancel);
    void zoomApplied();
    void xAxisChanged(double dMin, double dMax);
    void limitDragStarted(int nLimit);
    // nCode 1: the drag ended with the button released.
    void limitDragEnded(int nLimit, int nCode);
    // A click; x, y in axis units.
    void chartMouseEvent(int nButton, int nShift, double dX, double dY);
    // The mouse over the plot, in axis units; inside is false outside the axes.
    void cursorMoved(double dX, double dY, bool bInside);
    void cursorLeft();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Channel {
        QCPGraph* graph = nullptr;
        QSharedPointer<QCPGraphDataContainer> data;
    };
    struct Marker {
        QCPItemLine* line = nullptr;
        int nChannel = 0;
    };

    void OnSelectionAccepted(const QRect& rect, QMouseEvent* event);
    int LimitAt(const QPoint& pos) const;
    void MoveDraggedLimit(const QPoint& pos);
    static int ButtonCode(Qt::MouseButton button);
    static int ShiftCode(Qt::KeyboardModifiers modifiers);
    bool ValidChannel(int n) const { return n >= 0 && n < GetChannelCount(); }
    bool ValidLimit(int n) const { return n >= 0 && n < GetLimitCount(); }
    bool ValidMarker(int n) const { return n >= 0 && n < static_cast<int>(m_markers.size()); }

    std::vector<Channel> m_channels;
    std::vector<QCPItemStraightLine*> m_limits;
    std::vector<Marker> m_markers;
    QCPItemText* m_pCornerText = nullptr;
    QCPItemTracer* m_pBaseMark = nullptr;
    double m_dMarkerPixels = 0.0;

    QPoint m_pressPos;
    Qt::MouseButton m_pressButton = Qt::NoButton;
    int m_nDragLimit = -1;
};
