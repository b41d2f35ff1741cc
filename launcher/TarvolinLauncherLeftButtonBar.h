#pragma once
// The button bar along the Launcher's right edge (template 131): the user's
// manual (1021) and the Analyzer (1022).

#include "LauncherPannel.h"

class CTarvolinLauncherLeftButtonBar : public CLauncherPannel {
    Q_OBJECT

public:
    static constexpr unsigned kManualButton = 1021;
    static constexpr unsigned kAnalyzerButton = 1022;

    explicit CTarvolinLauncherLeftButtonBar(QWidget* parent)
        : CLauncherPannel(131, QColor(0, 76, 154), parent)
    {
    }
};
