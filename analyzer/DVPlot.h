#pragma once
// ODVPlot: a plot that shows a document - the pulse pane or the chromatogram
// pane of a child window. It knows its title and x unit ("Pulse", "msec";
// "Chromatogram", "Seconds") and redraws from the document when told.

#include "Plot.h"

#include <QColor>

class ODVDoc;

class ODVPlot : public OPlot {
    Q_OBJECT
public:
    ODVPlot(ODVDoc* doc, const QString& title, const QString& unit, QWidget* parent = nullptr);

    ODVDoc* GetDocument() const { return m_pDoc; }
    const QString& GetTitle() const { return m_strTitle; }
    const QString& GetUnit() const { return m_strUnit; }

    // Everything again from the document (after opening, a recalculation, a gate change).
    virtual void OnUpdate() = 0;

    // The colours of the five gate modes, shared by both panes.
    static QColor GateColor(int mode);

protected:
    ODVDoc* m_pDoc;

private:
    QString m_strTitle;
    QString m_strUnit;
};
