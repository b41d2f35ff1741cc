// Takes the documentation's pictures of the gate dialog and the timed-events
// dialog, opened from the Monitor's toolbar and filled from a simulated board.
// Usage: monitor-dialogs-screenshot GATES.png EVENTS.png  (under a display, e.g. Xvfb)
#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "QuillonApp.h"
#include "QuillonDlg.h"
#include "QuillonGatesModesDialog.h"
#include "QuillonSetEventDialog.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

CTimedEventData Event(double minutes, EventCode code, unsigned char channel, double value)
{
    CTimedEventData e;
    e.SetEventTime(minutes);
    e.SetEventCode(code);
    e.SetEventChannel(channel);
    e.SetEventValue(value);
    return e;
}

// A set-up as a laboratory might run it: sulphur and phosphorus gates and a
// short program that records the first ten minutes.
void PresetBoard(CBoardSimulator& sim)
{
    CGateParameters gates;
    const struct {
        unsigned short mode, op;
        double startA, stopA, alpha, startB, stopB;
        unsigned short sqrt;
    } rows[] = {{GM_S, GO_MINUS, 2.0, 6.5, 0.85, 14.0, 20.0, 1},
                {GM_P, GO_MINUS, 1.0, 3.5, 0.40, 14.0, 20.0, 0},
                {GM_S, GO_NONE, 6.5, 12.0, 0.0, 0.0, 0.0, 1},
                {GM_C, GO_DIVIDE, 0.5, 2.0, 1.25, 2.0, 6.0, 0},
                {GM_N, GO_PLUS, 3.0, 9.0, 0.10, 18.0, 24.0, 0}};
    for (int i = 0; i < 5; ++i) {
        gates[i].SetType(rows[i].mode);
        gates[i].SetOperator(rows[i].op);
        gates[i].SetStartA(rows[i].startA);
        gates[i].SetStopA(rows[i].stopA);
        gates[i].SetAlpha(rows[i].alpha);
        gates[i].SetStartB(rows[i].startB);
        gates[i].SetStopB(rows[i].stopB);
        gates[i].SetSqroot(rows[i].sqrt);
    }
    gates.Sort();
    sim.SetGates(gates);

    CTimedEvent events;
    events.AddTimedEvent(Event(0.0, EC_GATE_SELECTION, 0, 1));
    events.AddTimedEvent(Event(0.5, EC_AUTOZERO, 0, 1));
    events.AddTimedEvent(Event(1.0, EC_RECORD, 0, 1));
    events.AddTimedEvent(Event(4.25, EC_IGNITOR_CURRENT, 0, 2.5));
    events.AddTimedEvent(Event(6.0, EC_SCALAR, 1, 16));
    events.AddTimedEvent(Event(10.0, EC_RECORD, 0, 0));
    events.AddTimedEvent(Event(12.0, EC_RESET_TO_READY, 0, 0));
    sim.SetTimedEvents(events);
}

// Waits for the event, or reports that it did not come.
void WaitFor(bool happened, const char* what)
{
    if (!happened)
        std::fprintf(stderr, "monitor-dialogs-screenshot: %s did not happen in time\n", what);
}

bool Save(QWidget* dialog, const char* path)
{
    // The frame as the window manager draws it, when there is one.
    const QRect frame = dialog->frameGeometry();
    const QPixmap picture = dialog->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool ok = !picture.isNull() ? picture.save(QString::fromLocal8Bit(path)) : dialog->grab().save(path);
    std::printf("monitor-dialogs-screenshot: %s %s\n", path, ok ? "written" : "could not be written");
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: monitor-dialogs-screenshot GATES.png EVENTS.png\n");
        return 2;
    }
    QTemporaryDir folder;
    qputenv("TARVOLIN_COMMON_DATA", folder.filePath("common").toUtf8());
    qputenv("TARVOLIN_PORTS_DIR", folder.filePath("ports").toUtf8());
    if (!CQuillonApp::LoadResources(QCoreApplication::applicationDirPath() + "/QuillonRes0409.rcc")) {
        std::fprintf(stderr, "monitor-dialogs-screenshot: %s\n", CQuillonApp::kMissingResources);
        return 1;
    }
    CSimOptions options;
    options.port = 1;
    options.portsDir = folder.filePath("ports").toStdString();
    CBoardSimulator sim(options);
    std::string error;
    if (!sim.Start(error)) {
        std::fprintf(stderr, "monitor-dialogs-screenshot: %s\n", error.c_str());
        return 1;
    }
    PresetBoard(sim);
    CQuillonApp::ApplyCommandLine({"h:GC1", "-MCP:COM1"});
    CCoreInterface::Initialize();
    int result = 1;
    {
        CQuillonDlg window;
        window.Initialize();
        window.resize(1180, 760);
        window.move(20, 20);
        window.show();
        WaitFor(QTest::qWaitForWindowExposed(&window), "showing the window");
        WaitFor(QTest::qWaitFor([&] { return !window.IsReadingStartUpSetUp(); }, 10000), "reading the board");

        window.OnButtonClicked(1013); // Gate Params
        CQuillonGatesModesDialog* gates = window.GateDialog();
        WaitFor(QTest::qWaitFor([&] { return !gates->IsBusy(); }, 10000), "reading the gates");
        gates->SelectRow(0);
        WaitFor(QTest::qWaitForWindowExposed(gates), "showing the gate dialog");
        QTest::qWait(400);
        const bool gatesSaved = Save(gates, argv[1]);
        gates->hide();

        window.OnButtonClicked(1015); // Timed Events
        CQuillonSetEventDialog* events = window.EventDialog();
        WaitFor(QTest::qWaitFor([&] { return !events->IsBusy(); }, 10000), "reading the timed events");
        events->SelectRow(3);
        WaitFor(QTest::qWaitForWindowExposed(events), "showing the timed-events dialog");
        QTest::qWait(400);
        const bool eventsSaved = Save(events, argv[2]);
        result = gatesSaved && eventsSaved ? 0 : 1;
    }
    CCoreInterface::Cleanup();
    return result;
}
