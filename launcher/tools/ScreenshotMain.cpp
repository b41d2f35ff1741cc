// Takes the documentation's picture of the Launcher: a few instruments in a
// scratch common data folder, one of them selected.
// Usage: launcher-screenshot OUT.png  (under a display, e.g. Xvfb)
#include "ConnectionsListCtrl.h"
#include "InstrumentConnections.h"
#include "LauncherResources.h"
#include "TarvolinLauncherDlg.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: launcher-screenshot OUT.png\n");
        return 2;
    }
    QTemporaryDir common;
    ::setenv("TARVOLIN_COMMON_DATA", common.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    CLauncherResources::Initialize();

    CInstrumentConnections connections;
    std::string msg;
    const struct {
        const char* name;
        int port;
    } instruments[] = {{"GC Lab 1", 1}, {"GC Lab 2", 2}, {"Sulphur line", 3}, {"Pesticides", 5}};
    for (const auto& i : instruments) {
        if (!connections.Add(i.name, i.port, msg)) {
            std::fprintf(stderr, "launcher-screenshot: %s\n", msg.c_str());
            return 1;
        }
    }

    CTarvolinLauncherDlg window(connections, CProgramStarter());
    window.Initialize();
    window.resize(900, 560);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, 10000))
        std::fprintf(stderr, "launcher-screenshot: the window was not shown in time\n");
    window.GetList()->SelectName(QStringLiteral("GC Lab 2"));
    window.activateWindow();
    // Let the selection and the window manager's frame be drawn.
    QTest::qWait(500);
    const QRect frame = window.frameGeometry();
    QPixmap picture =
        window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (picture.isNull())
        picture = window.grab();
    if (!picture.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "launcher-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
