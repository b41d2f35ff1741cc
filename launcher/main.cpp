// Tarvolin Launcher: the workstation's instruments; opens an instrument's
// Monitor, the Analyzer and the user's manual.
#include "TarvolinLauncherApp.h"

int main(int argc, char** argv)
{
    return CTarvolinLauncherApp::Run(argc, argv);
}
