#include "TarvolinLauncherApp.h"

#include "InstrumentConnections.h"
#include "LauncherMessages.h"
#include "LauncherResources.h"
#include "QtMessageSink.h"
#include "TarvolinLauncherDlg.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

constexpr const char* kUsage =
    "usage: tarvolin-launcher\n"
    "Shows the workstation's instruments; a double click opens an instrument's Monitor.\n"
    "'tarvolin instruments' edits the same list without a window.\n";

} // namespace

int CTarvolinLauncherApp::Run(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const bool help = std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
        // Qt's own options (-platform, -style, ...) are left to Qt.
        if (help || argv[i][0] != '-') {
            std::fputs(kUsage, help ? stdout : stderr);
            return help ? 0 : kUsageExit;
        }
    }
    if (!HasDisplay()) {
        std::fputs("tarvolin-launcher: no display to show the window on\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvolin Launcher"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tarvolin-launcher"));
    CLauncherResources::Initialize();
    QApplication::setWindowIcon(CLauncherResources::AppIcon());

    CQtMessageSink sink;
    CMessageService::SetSink(&sink);

    // A fresh workstation gets an empty list and the template "Default", so
    // that the first Add works.
    CInstrumentConnections connections;
    std::string provisionError;
    const int provisioned = connections.Provision(provisionError);
    int result = 0;
    {
        CTarvolinLauncherDlg window(connections, CProgramStarter());
        sink.SetParent(&window);
        window.Initialize();
        window.show();
        if (!provisioned)
            CLauncherMessages::Show("The instrument list cannot be set up. " + provisionError,
                                    MessageIcon::Error);
        result = QApplication::exec();
        sink.SetParent(nullptr);
    }
    CMessageService::SetSink(nullptr);
    return result;
}
