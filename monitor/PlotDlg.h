#pragma once
// The Monitor's live pulse plot: the newest pulse, up to two held reference
// pulses, four draggable limit lines persisted in the instrument's
// "GeneralSettings.cfg", the trigger level and the three baseline markers,
// zoom boxes with a history of ten views, zoom out and zoom to fit.
//
// Beyond that: the live trace can be paused while pulses keep arriving into
// a history of the last 500, stepped back and forth and resumed; and a cursor
// readout shows time and counts under the mouse and the difference to a
// clicked base point.
//
// The first pulse is fitted (the view starts at the INI ranges, which may be
// far too wide to see a pulse); with Follow on, every pulse is, until the
// operator zooms.
//
// Mouse and keys on the plot:
//   left drag                zoom box (clamped to the INI plot ranges; refused
//                            when under 1 ms or 1 count)
//   wheel                    zooms about the cursor
//   right drag, Shift + left drag
//                            pans
//   right click              the plot's menu (Shift + right click when the
//                            right button is the zoom-out button)
//   left drag on a limit     moves it; its position is saved on release
//   zoom-out click           the button named by the INI key "ZoomOutShortCutKey":
//                            1 left, 2 right, 4 middle (the default)
//   left click               sets the readout's base point (with Shift when the
//                            left button is the zoom-out button); Esc clears it
//   Space, Left, Right       pause or resume, step back, step forward

#include "CursorReadout.h"
#include "LimitSettings.h"
#include "PulseHistory.h"
#include "ZoomHistory.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <array>
#include <vector>

class CiPlotXControl;
class CPulseData;
class QAction;
class QLabel;
class QMenu;
class QToolButton;

class CPlotDlg : public QWidget {
    Q_OBJECT

public:
    enum { kLiveTrace = 0, kReference1 = 1, kReference2 = 2, kTraceCount = 3 };
    static constexpr double kSampleStepMs = 0.1;
    static constexpr double kMarkerLengthMs = 0.175;

    explicit CPlotDlg(QWidget* parent = nullptr);
    ~CPlotDlg() override;

    // nTrace 0 live, 1 and 2 references. While paused a live pulse only goes
    // into the history.
    void DrawPulse(const CPulseData& pulse, int nTrace);
    // DrawPulse and a replot before returning, so that the cost of one pulse
    // can be timed.
    void DrawPulseAndReplotNow(const CPulseData& pulse, int nTrace = kLiveTrace);
    // n = 1 or 2.
    void ClearReference(int n);
    void ZoomOut();
    void ZoomToFit();
    // Follow: every pulse refits the view; a zoom by the operator ends it.
    void SetFollow(bool bFollow);
    bool IsFollow() const { return m_bFollow; }
    // The plot's menu, with the actions a window added after a separator.
    QMenu* CreateContextMenu(QWidget* parent);
    void AddMenuActions(const QList<QAction*>& actions) { m_extraActions += actions; }
    // The mouse gestures, as the tool tip and the README give them.
    QString GetGestureText() const;
    void SetTriggerLevel(double dLevel);

    // Where the limit positions are kept; reads the file (missing or damaged:
    // the default positions).
    void SetLimitSettingsPath(const QString& path);
    QString GetLimitSettingsPath() const { return m_strLimitSettingsPath; }
    // Limit n (0..3) in milliseconds, and whether it is shown.
    double GetLimitPosition(int n) const { return m_limits.GetPosition(n); }
    bool IsLimitShown(int n) const;

    // While paused a "PAUSED" badge sits on the plot.
    void SetPaused(bool bPaused);
    bool IsPaused() const { return m_bPaused; }
    bool IsPausedBadgeShown() const;
    // The pulse shown while paused; nullptr when live.
    const CPulseData* GetViewedPulse() const;
    // 1 when the view moved. Stepping back from live pauses first.
    int StepBack();
    int StepForward();
    const CPulseHistory& GetPulseHistory() const { return m_history; }
    QString GetViewStateText() const;

    const CZoomHistory& GetZoomHistory() const { return m_zoomHistory; }
    int GetZoomOutKey() const { return m_nZoomOutKey; }
    QString GetReadoutText() const;
    void ClearBasePoint();

    CiPlotXControl* PlotControl() const { return m_pChart; }

signals:
    // A short status line while paused, "" when live.
    void viewStateChanged(const QString& text);
    void followChanged(bool bFollow);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawTrace(const CPulseData& pulse, int nTrace);
    void Redraw();
    void ApplyRanges(const CAxisRanges& ranges);
    void PlaceLimits();
    void UpdateMarkerLength();
    void ShowViewedPulse();
    void EmitViewState();

    void OnZoomBoxAboutToApply(CAxisRanges& box, bool& cancel);
    void OnZoomApplied();
    void OnChartMouseEvent(int nButton, int nShift, double dX, double dY);
    void OnLimitDragStarted(int nLimit);
    void OnLimitDragEnded(int nLimit, int nCode);
    void OnCursorMoved(double dX, double dY, bool bInside);
    void OnCursorLeft();

    void PlaceBadges();
    void OnViewAboutToChange();
    void OnViewChangedByUser();
    void ShowContextMenu(const QPoint& globalPos);

    CiPlotXControl* m_pChart = nullptr;
    QLabel* m_pPausedBadge = nullptr;
    QToolButton* m_pFollowButton = nullptr;
    QList<QAction*> m_extraActions;
    bool m_bFollow = false;
    bool m_bFirstPulseFitted = false;

    std::vector<double> m_x;
    std::array<std::vector<double>, kTraceCount> m_samples;
    std::array<int, kTraceCount> m_nPointCount{};
    std::array<int, kTraceCount> m_nBaselineMarker{};
    int m_nTriggerMarker = -1;

    CAxisRanges m_iniRanges;
    CZoomHistory m_zoomHistory;
    CAxisRanges m_targetRanges;
    CAxisRanges m_beforeZoom;
    bool m_bRefitPending = false;
    bool m_bLimitsMoving = false;
    bool m_bLimitsNeedUpdate = false;
    bool m_bMarkerLengthSet = false;
    int m_nZoomOutKey = 4;

    CLimitSettings m_limits;
    QString m_strLimitSettingsPath;

    CPulseHistory m_history;
    bool m_bPaused = false;
    QString m_strViewState;

    CCursorReadout m_readout;
    bool m_bCursorInside = false;
    double m_dCursorX = 0.0;
    double m_dCursorY = 0.0;
};
