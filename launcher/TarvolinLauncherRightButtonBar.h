#pragma once
// The button bar along the Launcher's left edge (template 130): Add (1005),
// Modify (1007) and Delete (1006).

#include "LauncherPannel.h"

class CTarvolinLauncherRightButtonBar : public CLauncherPannel {
    Q_OBJECT

public:
    static constexpr unsigned kAddButton = 1005;
    static constexpr unsigned kDeleteButton = 1006;
    static constexpr unsigned kModifyButton = 1007;

    explicit CTarvolinLauncherRightButtonBar(QWidget* parent)
        : CLauncherPannel(130, QColor(0, 76, 154), parent)
    {
    }
};
