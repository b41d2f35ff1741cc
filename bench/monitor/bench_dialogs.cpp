// The parameter dialogs of the Monitor, measured without a display against
// the board simulator at 57600 baud:
//
//  button to filled  from pressing a dialog's toolbar button to the dialog
//                    filled with what the board holds, against the wire time
//                    of the exchanges it needs (request and reply bytes at 10
//                    bits per byte). Target: a ratio under 1.2 (median).
//
// The presses fall at every phase of the status poll (it keeps running), so
// a press may find the link in the middle of a status exchange.
#include "BoardSimulator.h"
#include "CoreInterface.h"
#include "FilePaths.h"
#include "Hardware.h"
#include "QuillonApp.h"
#include "QuillonBoardChanDialog.h"
#include "QuillonDlg.h"
#include "QuillonGatesModesDialog.h"
#include "QuillonSetEventDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

constexpr int kBaud = 57600;
constexpr int kPresses = 40;
constexpr int kFrame = CHardwareBase::kFrameSize;
constexpr int kEvents = 6;

double WireMs(int bytes)
{
    return bytes * 10.0 * 1000.0 / kBaud;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t at = std::min(
        values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
    return values[at];
}

// Runs the event loop until the dialog's requests are done; false after 10 s.
bool WaitUntilIdle(CParameterDialog* dialog)
{
    if (!dialog->IsBusy())
        return true;
    QEventLoop loop;
    QObject::connect(dialog, &CParameterDialog::idle, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return !dialog->IsBusy();
}

void Pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The link alone: from Submit to the completion on the link thread.
double LinkMs(LinkOperation operation)
{
    std::mutex lock;
    std::condition_variable changed;
    bool done = false;
    QElapsedTimer timer;
    timer.start();
    CLinkRequest request;
    request.eOperation = operation;
    CCoreInterface::Submit(request, [&](const CLinkResult&) {
        std::lock_guard guard(lock);
        done = true;
        changed.notify_all();
    });
    std::unique_lock guard(lock);
    changed.wait(guard, [&] { return done; });
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Quiet(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // The offscreen platform's notes on what it cannot do say nothing here.
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

struct DialogCase {
    const char* name;
    unsigned button;
    CParameterDialog* dialog;
    int wireBytes; // every request and reply the dialog needs, frames included
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folder;
    qputenv("TARVOLIN_COMMON_DATA", folder.filePath("common").toUtf8());
    qputenv("TARVOLIN_PORTS_DIR", folder.filePath("ports").toUtf8());
    qInstallMessageHandler(Quiet);
    QApplication app(argc, argv);
    if (!CQuillonApp::LoadResources(TARVOLIN_RESOURCE_FILE)) {
        std::fprintf(stderr, "bench_dialogs: cannot load %s\n", TARVOLIN_RESOURCE_FILE);
        return 1;
    }

    CSimOptions options;
    options.port = 3;
    options.portsDir = folder.filePath("ports").toStdString();
    options.baud = kBaud;
    CBoardSimulator sim(options);
    std::string error;
    if (!sim.Start(error)) {
        std::fprintf(stderr, "bench_dialogs: %s\n", error.c_str());
        return 1;
    }
    CTimedEvent events;
    for (int i = 0; i < kEvents; ++i) {
        CTimedEventData event;
        event.SetEventTime(1.0 + i);
        event.SetEventCode(EC_SCALAR);
        event.SetEventChannel(static_cast<unsigned char>(i % 2));
        event.SetEventValue(4);
        events.AddTimedEvent(event);
    }
    sim.SetTimedEvents(events);

    CQuillonApp::ApplyCommandLine({"h:Bench", "-MCP:COM3"});
    CCoreInterface::Initialize();
    int status = 0;
    {
        CQuillonDlg window;
        window.Initialize();
        window.show();
        while (window.IsReadingStartUpSetUp())
            Pause(5);

        const int gates = kFrame + kFrame + CHardware::kGateBlockSize;
        const int board = kFrame + kFrame + CHardware::kBoardChannelBlockSize;
        const int eventBlock = kFrame + kFrame + 2 + CHardware::kEventSize * kEvents;
        const DialogCase cases[] = {
            {"gate dialog", 1013, window.GateDialog(), gates},
            {"board/channel dialog", 1012, window.BoardDialog(), gates + board},
            {"timed-events dialog", 1015, window.EventDialog(), gates + eventBlock},
        };
        std::printf("dialog                 wire ms   median ms   p90 ms   ratio (median, "
                    "target < 1.2)   ratio p90\n");
        for (const DialogCase& c : cases) {
            std::vector<double> times;
            for (int i = 0; i < kPresses; ++i) {
                c.dialog->hide();
                // Presses at different moments of the 100 ms poll period.
                Pause(20 + (i * 37) % 100);
                QElapsedTimer timer;
                timer.start();
                window.OnButtonClicked(c.button);
                if (!WaitUntilIdle(c.dialog) || c.dialog->IsShowingFallback()) {
                    std::fprintf(stderr, "bench_dialogs: the %s was not filled from the board\n",
                                 c.name);
                    status = 1;
                    break;
                }
                times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            }
            c.dialog->hide();
            if (times.empty())
                continue;
            const double wire = WireMs(c.wireBytes);
            const double median = Percentile(times, 0.5);
            const double p90 = Percentile(times, 0.9);
            std::printf("%-22s %7.1f   %9.1f   %6.1f   %6.3f                          %6.3f\n",
                        c.name, wire, median, p90, median / wire, p90 / wire);
        }
        // Where the time goes: the link alone, without the window.
        std::vector<double> link;
        for (int i = 0; i < kPresses; ++i) {
            Pause(20 + (i * 37) % 100);
            link.push_back(LinkMs(LinkOperation::ReadGates));
        }
        const double wire = WireMs(kFrame + kFrame + CHardware::kGateBlockSize);
        std::printf("%-22s %7.1f   %9.1f   %6.1f   %6.3f                          %6.3f\n",
                    "gates, link alone", wire, Percentile(link, 0.5), Percentile(link, 0.9),
                    Percentile(link, 0.5) / wire, Percentile(link, 0.9) / wire);
    }
    CCoreInterface::Cleanup();
    sim.Stop();
    return status;
}
