#pragma once
// The toolbars of the two panes: a title and a row of tool buttons, each an
// action with its picture and tool tip. The pane connects the actions.
//
//   pulse         Zoom in, Zoom Out, Zoom to Fit, Previous, Next, Restore,
//                 Grid, Snap to Trace, Pulse Send to Clipboard, Print
//   chromatogram  Scroll (Axes), Zoom (Axes), Zoom Box, Zoom to Fit,
//                 Recalculate, Previous View, Restore, Grid, Snap to Trace,
//                 Chromatogram Send to Clipboard, Print
//
// The three mouse modes of the chromatogram are exclusive; Zoom Box is the
// mode a pane starts in. Print prints the configuration report.

#include "ToolIcons.h"

#include <QToolBar>

class QAction;

class CGraphToolbar : public QToolBar {
    Q_OBJECT
public:
    CGraphToolbar(const QString& title, QWidget* parent = nullptr);

    QAction* AddButton(OToolIcons::Kind kind, const QString& toolTip, bool bCheckable = false);
    QAction* Button(OToolIcons::Kind kind) const;
};

class CPulseToolBar : public CGraphToolbar {
    Q_OBJECT
public:
    explicit CPulseToolBar(QWidget* parent = nullptr);
};

class CChromatogramToolBar : public CGraphToolbar {
    Q_OBJECT
public:
    explicit CChromatogramToolBar(QWidget* parent = nullptr);
};
