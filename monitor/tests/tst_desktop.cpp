// The Monitor on a real X display with a window manager, driven as a user
// drives it: a virtual display (Xvfb) smaller than the Monitor's preferred
// size, the openbox window manager, and xdotool for the keyboard and mouse.
// Space at start does not minimise the window; the window fits the screen;
// its bottom-right corner resizes it. Skipped where those programs are absent.

#include "TempFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

constexpr int kDeadlineMs = 30000;
// Lower than the Monitor's preferred 720 lines (it must fit), wide enough
// that it can be made narrower than it starts.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 720;

struct CGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

    QString m_display;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_wm;
    std::unique_ptr<QProcess> m_monitor;
    testsupport::CTempDir m_data{"tarvolin-desktop"};

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("QT_SCALE_FACTOR");
        env.insert("TARVOLIN_COMMON_DATA", QString::fromStdString(m_data.Path().string()));
        env.insert("TARVOLIN_PORTS_DIR", QString::fromStdString(m_data.File("ports")));
        return env;
    }

    // Runs a short tool on the display; its output, "" when it failed.
    QString Tool(const QString& program, const QStringList& args, int timeoutMs = 10000) const
    {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(program, args);
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            return QString();
        }
        return process.exitCode() == 0 ? QString::fromLocal8Bit(process.readAllStandardOutput())
                                       : QString();
    }

    CGeometry Geometry(const QString& window) const
    {
        CGeometry g;
        const QString text = Tool("xdotool", {"getwindowgeometry", "--shell", window});
        for (const QString& line : text.split('\n')) {
            const QStringList kv = line.split('=');
            if (kv.size() != 2)
                continue;
            const int value = kv[1].toInt();
            if (kv[0] == "X")
                g.x = value;
            else if (kv[0] == "Y")
                g.y = value;
            else if (kv[0] == "WIDTH")
                g.width = value;
            else if (kv[0] == "HEIGHT")
                g.height = value;
        }
        return g;
    }

    static void Stop(std::unique_ptr<QProcess>& process)
    {
        if (!process)
            return;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
        process.reset();
    }

private slots:
    void initTestCase()
    {
        for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(QString("%1 is not installed").arg(tool)));

        // A display number nobody uses: no lock file and no socket.
        for (int n = 87; n < 120 && m_display.isEmpty(); ++n)
            if (!QFileInfo::exists(QString("/tmp/.X%1-lock").arg(n)) &&
                !QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(n)))
                m_display = QString(":%1").arg(n);
        if (m_display.isEmpty())
            QSKIP("no free X display number");

        m_xvfb = std::make_unique<QProcess>();
        m_xvfb->start("Xvfb", {m_display, "-screen", "0",
                               QString("%1x%2x24").arg(kScreenWidth).arg(kScreenHeight),
                               "-nolisten", "tcp"});
        QVERIFY(m_xvfb->waitForStarted(kDeadlineMs));
        const QString socket = QString("/tmp/.X11-unix/X%1").arg(m_display.mid(1));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket) || m_xvfb->state() != QProcess::Running,
                                 kDeadlineMs);
        if (m_xvfb->state() != QProcess::Running)
            QSKIP("Xvfb did not start");

        m_wm = std::make_unique<QProcess>();
        m_wm->setProcessEnvironment(Environment());
        m_wm->start("openbox", {});
        QVERIFY(m_wm->waitForStarted(kDeadlineMs));
        // The window manager is ready once it has announced itself on the root window.
        // One that never gets there says nothing about the Monitor: the check is skipped
        // with what the window manager said.
        QElapsedTimer waited;
        waited.start();
        while (!Tool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id")) {
            if (m_wm->state() != QProcess::Running || waited.elapsed() > kDeadlineMs)
                QSKIP(qPrintable("openbox did not take the display: " +
                                 QString::fromLocal8Bit(m_wm->readAllStandardError())));
            QTest::qWait(100);
        }
    }

    void cleanupTestCase()
    {
        Stop(m_monitor);
        Stop(m_wm);
        Stop(m_xvfb);
    }

    void spaceDoesNotMinimiseAndTheWindowFitsAndResizes()
    {
        m_monitor = std::make_unique<QProcess>();
        m_monitor->setProcessEnvironment(Environment());
        m_monitor->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_monitor->start(TARVOLIN_MONITOR_PATH, {"h:Desk", "-MCP:COM9"});
        QVERIFY(m_monitor->waitForStarted(kDeadlineMs));

        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(window = Tool("xdotool", {"search", "--onlyvisible", "--name", "Tarvolin Monitor"})
                           .split('\n')
                           .value(0))
                 .isEmpty(),
            kDeadlineMs);

        // The start size fits the screen, and the minimum the window asks for too.
        CGeometry g = Geometry(window);
        QVERIFY2(g.width > 0 && g.width <= kScreenWidth && g.height <= kScreenHeight,
                 qPrintable(QString("%1x%2").arg(g.width).arg(g.height)));
        QVERIFY2(g.x >= 0 && g.y >= 0 && g.x + g.width <= kScreenWidth &&
                     g.y + g.height <= kScreenHeight,
                 qPrintable(QString("%1,%2").arg(g.x).arg(g.y)));
        const QString hints = Tool("xprop", {"-id", window, "WM_NORMAL_HINTS"});
        QVERIFY2(hints.contains("minimum size"), qPrintable(hints));

        // Space, as the first key of the day: the window stays.
        Tool("xdotool", {"windowactivate", "--sync", window});
        Tool("xdotool", {"key", "--clearmodifiers", "space"});
        Tool("xdotool", {"key", "--clearmodifiers", "space"});
        const QString state = Tool("xprop", {"-id", window, "_NET_WM_STATE"});
        QVERIFY2(!state.contains("_NET_WM_STATE_HIDDEN"), qPrintable(state));
        QVERIFY(
            !Tool("xdotool", {"search", "--onlyvisible", "--name", "Tarvolin Monitor"}).isEmpty());

        // The bottom-right corner resizes it (smaller: it started as large as fits).
        g = Geometry(window);
        const int cornerX = g.x + g.width - 2;
        const int cornerY = g.y + g.height - 2;
        Tool("xdotool",
             {"mousemove", "--sync", QString::number(cornerX), QString::number(cornerY)});
        Tool("xdotool", {"mousedown", "1"});
        // The window manager holds the pointer while it resizes: no --sync here.
        Tool("xdotool",
             {"mousemove", QString::number(cornerX - 10), QString::number(cornerY - 30)});
        // A loaded window manager may take the grab after those moves: the
        // pointer goes on moving (a pixel to and fro) until the window follows.
        int wiggle = 0;
        const auto moved = [&] {
            Tool("xdotool", {"mousemove", QString::number(cornerX - 20),
                             QString::number(cornerY - 80 - (wiggle++ % 2))});
            return Geometry(window).height < g.height;
        };
        QTRY_VERIFY_WITH_TIMEOUT(moved(), kDeadlineMs);
        Tool("xdotool", {"mouseup", "1"});
        QTRY_VERIFY_WITH_TIMEOUT(Geometry(window).width < g.width, kDeadlineMs);
        QVERIFY(m_monitor->state() == QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
