#pragma once
// CLiveChromatogramStrip: the live chromatogram under the Monitor's pulse
// plot - run time (s) on x, gate value on y, one trace per gate in use in the
// gate's colour (the Analyzer's and the report's), a legend with the gate
// names.
//
// Points are appended to the traces as pulses arrive; the drawing is queued,
// so however many pulses one turn of the event loop brings, the strip is
// replotted once. The axes grow in steps, so a run does not rescale them on
// every pulse.

#include <QWidget>

#include <array>

class OLiveChromatogram;
class QCPGraph;
class QCustomPlot;

class CLiveChromatogramStrip : public QWidget {
    Q_OBJECT
public:
    explicit CLiveChromatogramStrip(QWidget* parent = nullptr);

    // Everything again from the chromatogram: its gates, names and points
    // (a new run, a change of the gate set-up).
    void Rebuild(const OLiveChromatogram& chromatogram);
    // The chromatogram's newest pulse added to every trace.
    void AppendLast(const OLiveChromatogram& chromatogram);

    // What the strip shows (tests and the benchmark read it).
    int GetTraceCount() const;
    int GetPointCount(int trace) const;
    QString GetTraceName(int trace) const;
    QColor GetTraceColor(int trace) const;
    double GetLastKey(int trace) const;
    double GetLastValue(int trace) const;
    // The visible ranges.
    double GetXUpper() const;
    double GetYUpper() const;
    // Replots done so far.
    int GetReplotCount() const { return m_nReplots; }
    // Draws now instead of at the next turn of the event loop.
    void ReplotNow();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QCPGraph* Graph(int trace) const;
    // Widens the axes when the newest point lies outside them.
    void Grow(float time, float maximum);
    void QueueReplot();

    QCustomPlot* m_pPlot = nullptr;
    std::array<QCPGraph*, 5> m_graphs{};
    int m_nTraces = 0;
    int m_nReplots = 0;
};
