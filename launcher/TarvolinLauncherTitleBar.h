#pragma once
// The Launcher's title bar (template 129): "Tarvolin" and the subtitle in the
// panel blue on light grey, and the close button (1004). Dragging it moves
// the window.

#include "LauncherPannel.h"

#include <QPoint>

class CTarvolinLauncherTitleBar : public CLauncherPannel {
    Q_OBJECT

public:
    static constexpr unsigned kCloseButton = 1004;

    explicit CTarvolinLauncherTitleBar(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint m_dragOffset;
    bool m_bDragging = false;
};
