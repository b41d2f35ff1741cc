#pragma once
// Start-up of the Launcher: the window system, the message boxes, the
// resources, the first-start provisioning of the instrument list and its
// template folder, then the main window until it is closed.

class CTarvolinLauncherApp {
public:
    static constexpr int kUsageExit = 2;
    static int Run(int argc, char** argv);
};
