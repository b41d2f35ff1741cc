#pragma once
// The chart of the programs' plots. It offers the roles the plots rely on
// and keeps the charting component itself out of sight, so a plot never
// touches the chart's items and the component can change without them.
//
//   axes        titles; minimum and span; read minimum, maximum, span;
//               pixel <-> axis position; fit to the data; grid lines
//   channels    one trace each: colour, name, XY data, shown or hidden, drawn
//               above or beneath the others; nearest point to an x value; an
//               optional legend of the names
//   limit lines vertical, placed in percent of the visible x span, draggable
//   markers     short horizontal ticks at the left edge of the plot, each bound
//               to a channel's axes; their left end follows the x minimum
//   x markers   vertical lines at an x value (the marked pulse of a chromatogram),
//               on the overlay layer: moving one never replots the traces
//   bands       shaded x spans (gate windows over a pulse)
//   annotations straight segments and short texts in axis units above the
//               traces, replaced as a whole (a peak list's baselines and labels)
//   overlay     a corner text, a base-point mark, a crosshair and a point mark,
//               redrawn on their own layer so that mouse tracking never
//               replots the traces
//   output      replot (queued or at once), render onto any painter (printing,
//               PDF), an image of the chart (clipboard)
//
// Mouse gestures, by mouse mode:
//   ZoomBox (default)  left drag: zoom box (zoomBoxAboutToApply, then zoomApplied)
//   Scroll             left drag moves both axes
//   ZoomAxes           the wheel zooms both axes about the cursor
//   DrawLine           left drag draws a rubber line from the press; on release
//                      lineDrawn(x1, y1, x2, y2, shift) (manual baselines)
//   in every mode      left drag on a limit line moves it (limitDragStarted/Ended);
//                      a click of any button: chartMouseEvent(button, shift, x, y);
//                      a left double click: chartDoubleClicked(x, y)
//   with navigation on (SetNavigation), in ZoomBox mode as well:
//                      the wheel zooms both axes about the cursor;
//                      right drag or Shift + left drag pans both axes
//                      (a right or Shift + left click stays a click)
// Before a scroll drag, a pan or a wheel zoom changes the axes,
// viewAboutToChange is emitted (once per press, once per wheel step), so
// that a plot can keep the view it may want to go back to; after each change
// of a pan or wheel zoom, viewChangedByUser.
//
// Button and shift codes of chartMouseEvent are the chart's own: button
// 1 left, 2 right, 4 middle; shift is a mask of 1 Shift, 2 Ctrl, 4 Alt. A
// press and release less than kClickSlop pixels apart is a click, not a drag.

#include "AxisRanges.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;

// An annotation's line from (x1, y1) to (x2, y2) in axis units.
struct CPlotSegment {
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    QColor color;
    double width = 1.0;
    Qt::PenStyle style = Qt::SolidLine;
};

// An annotation's text, centred above (x, y).
struct CPlotLabel {
    double x = 0.0;
    double y = 0.0;
    QString text;
    QColor color;
    bool bold = false;
};

class CiPlotXControl : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClickSlop = 4;
    static constexpr int kLimitGrabPixels = 4;

    enum class MouseMode { ZoomBox, Scroll, ZoomAxes, DrawLine };

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
    // Widget pixel to axis position and back.
    double PixelToX(double dPixel) const;
    double PixelToY(double dPixel) const;
    double XToPixel(double dX) const;
    double YToPixel(double dY) const;
    // The rectangle inside the axes, in widget pixels; empty before the first replot.
    QRect GetPlotArea() const;
    // Both axes to the shown channels' data; nothing changes without data.
    void FitToData();
    void SetGridVisible(bool bVisible);
    bool IsGridVisible() const;
    // Decimal places the axis labels show, from the tick step of the last
    // replot (0.25 -> 2, 0.5 -> 1, 2 -> 0).
    int GetXAxisDecimals() const;
    int GetYAxisDecimals() const;
    // The places a label needs to show multiples of dStep exactly (at most 9).
    static int DecimalsForStep(double dStep);

    // Channels. Index as returned by AddChannel; bad indexes are ignored.
    int AddChannel(const QColor& color);
    int GetChannelCount() const;
    void SetChannelColor(int nChannel, const QColor& color);
    QColor GetChannelColor(int nChannel) const;
    void SetChannelName(int nChannel, const QString& name);
    QString GetChannelName(int nChannel) const;
    // x must be ascending. Reuses the channel's buffer when the point count
    // has not changed, which is the case for every live pulse.
    // Channels of more than kAdaptivePoints points are drawn with adaptive
    // sampling (a long chromatogram stays smooth to scroll).
    static constexpr int kAdaptivePoints = 2000;
    void SetChannelData(int nChannel, const double* x, const double* y, int nCount);
    int GetChannelPointCount(int nChannel) const;
    // Point nIndex of a channel; false for a bad channel or index.
    bool GetChannelPoint(int nChannel, int nIndex, double& dX, double& dY) const;
    void SetChannelWidth(int nChannel, double dWidth);
    // Solid, dashed, dotted: traces told apart without their colours.
    void SetChannelStyle(int nChannel, Qt::PenStyle style);
    Qt::PenStyle GetChannelStyle(int nChannel) const;
    // A copy of the channel's points (empty for a bad index).
    void GetChannelData(int nChannel, std::vector<double>& x, std::vector<double>& y) const;
    // The index of the point whose x is nearest dX (the first on a tie), -1
    // without points. A binary search: the keys are ascending.
    int GetNearestPoint(int nChannel, double dX) const;
    void SetChannelVisible(int nChannel, bool bVisible);
    bool IsChannelVisible(int nChannel) const;
    // Draws the channel beneath every channel that is not (runs laid under
    // a view's own traces); channels beneath keep their order among themselves.
    void SetChannelBeneath(int nChannel, bool bBeneath);
    bool IsChannelBeneath(int nChannel) const;
    // A legend of the named, shown channels in the plot's top-left corner.
    void SetLegendVisible(bool bVisible);
    bool IsLegendVisible() const;

    // Limit lines
    int AddLimit(double dPercent, const QColor& color);
    int GetLimitCount() const;
    void SetLimitPercent(int nLimit, double dPercent);
    double GetLimitPercent(int nLimit) const;
    void SetLimitColor(int nLimit, const QColor& color);
    QColor GetLimitColor(int nLimit) const;
    void SetLimitVisible(int nLimit, bool bVisible);
    // A small label at the top of the line, in its colour; it moves and
    // hides with the line.
    void SetLimitLabel(int nLimit, const QString& text);
    QString GetLimitLabel(int nLimit) const;
    bool IsLimitVisible(int nLimit) const;
    bool IsDraggingLimit() const { return m_nDragLimit >= 0; }

    // Markers: a tick from the x minimum, a fixed number of pixels long, at height dY.
    int AddMarker(const QColor& color, int nChannel);
    void SetMarkerY(int nMarker, double dY);
    double GetMarkerY(int nMarker) const;
    void SetMarkerVisible(int nMarker, bool bVisible);
    bool IsMarkerVisible(int nMarker) const;
    QColor GetMarkerColor(int nMarker) const;
    void SetMarkerPixelLength(double dPixels);
    double GetMarkerPixelLength() const { return m_dMarkerPixels; }

    // Vertical lines at an x value, across the whole plot.
    int AddXMarker(const QColor& color);
    void SetXMarker(int nMarker, double dX);
    double GetXMarker(int nMarker) const;
    void SetXMarkerVisible(int nMarker, bool bVisible);
    bool IsXMarkerVisible(int nMarker) const;

    // Shaded spans from dX1 to dX2 across the whole plot (hidden when created).
    int AddBand(const QColor& color);
    void SetBand(int nBand, double dX1, double dX2);
    void GetBand(int nBand, double& dX1, double& dX2) const;
    void SetBandVisible(int nBand, bool bVisible);
    bool IsBandVisible(int nBand) const;

    // Annotations: the given ones replace those shown (drawn at the next replot).
    void SetAnnotations(const std::vector<CPlotSegment>& segments,
                        const std::vector<CPlotLabel>& labels);
    int GetAnnotationSegmentCount() const;
    int GetAnnotationLabelCount() const;
    // The texts of the labels shown, in the order given.
    QStringList GetAnnotationTexts() const;

    // Overlay
    void SetCornerText(const QString& text);
    QString GetCornerText() const;
    void SetBasePointMark(bool bShown, double dX = 0.0, double dY = 0.0);
    bool IsBasePointMarkShown() const;
    // Thin lines across the plot through (dX, dY): the measurement cursor.
    void SetCrosshair(bool bShown, double dX = 0.0, double dY = 0.0);
    bool IsCrosshairShown() const;
    // A small ring on a trace point (where the cursor snapped to).
    void SetPointMark(bool bShown, double dX = 0.0, double dY = 0.0);
    bool IsPointMarkShown() const;
    // Redraws the overlay layer only (a full replot before the first one).
    void RefreshOverlay();

    void SetMouseMode(MouseMode mode);
    MouseMode GetMouseMode() const { return m_eMouseMode; }
    void SetNavigation(bool bOn) { m_bNavigation = bOn; }
    bool IsNavigation() const { return m_bNavigation; }
    // What the wheel does: zooms both axes about the pixel (steps > 0 in).
    void ZoomAbout(const QPointF& pixel, double dSteps);
    // Moves both axes as a pan drag by (dx, dy) pixels does.
    void PanBy(const CAxisRanges& from, const QPointF& pixels);

    // What a zoom box drawn over pixelRect does: 1 when the zoom was applied,
    // 0 when it was refused or is too small to be anything but a click.
    int ZoomBox(const QRect& pixelRect);

    // Redraws the chart: queued (merged with other requests) or before returning.
    void Replot(bool bImmediate = false);
    // Draws the chart as it is now into target on any painter (a printer's,
    // a PDF writer's), scaled to fit.
    void Render(QPainter& painter, const QRect& target);
    // Draws the chart filling target on a page: laid out as on a screen of
    // dDotsPerPixel device dots per screen pixel (printer dpi / 96), with
    // its fonts at their sizes on that screen, so that labels are as
    // readable on paper as on the screen and nothing is scaled afterwards.
    // The painter must come from BeginPagePainter; any other painter gets the
    // chart through a picture, scaled (as Render).
    void RenderPage(QPainter& painter, const QRectF& target, double dDotsPerPixel);
    // A painter on device that the chart can draw on directly (begun; null
    // when the device cannot be painted on).
    using PagePainter = std::unique_ptr<QPainter, void (*)(QPainter*)>;
    static PagePainter BeginPagePainter(QPaintDevice* device);
    // The chart as a picture of its current size (for the clipboard).
    QImage ToImage();

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
    void chartDoubleClicked(double dX, double dY);
    // DrawLine mode: a left drag from (dX1, dY1) ended at (dX2, dY2); nShift as chartMouseEvent's.
    void lineDrawn(double dX1, double dY1, double dX2, double dY2, int nShift);
    void viewAboutToChange();
    void viewChangedByUser();
    // The mouse over the plot, in axis units; inside is false outside the axes.
    void cursorMoved(double dX, double dY, bool bInside);
    void cursorLeft();
    // After every replot; pixel positions mean something from the first one on.
    void replotted();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    class CChartSurface;
    struct CItems;

    void OnSelectionAccepted(const QRect& rect);
    int LimitAt(const QPoint& pos) const;
    void MoveDraggedLimit(const QPoint& pos);
    static int ButtonCode(Qt::MouseButton button);
    static int ShiftCode(Qt::KeyboardModifiers modifiers);

    CChartSurface* m_pSurface = nullptr;
    std::unique_ptr<CItems> m_pItems;
    double m_dMarkerPixels = 0.0;
    MouseMode m_eMouseMode = MouseMode::ZoomBox;
    bool m_bReplotted = false;

    QPoint m_pressPos;
    Qt::MouseButton m_pressButton = Qt::NoButton;
    int m_nDragLimit = -1;
    bool m_bNavigation = false;
    bool m_bPanning = false;
    bool m_bDrawingLine = false;
    QPointF m_lineStart; // axis units
    bool m_bPanMoved = false;
    CAxisRanges m_panStart;
};
