// Takes the Analyzer's picture for the documentation: two runs recorded from
// the board simulator's run model, both open side by side - the pulse with
// its gate spans above, the chromatogram with its peaks below - and, when a
// second picture is asked for, the export dialog on the first run's gate 1.
// Usage: analyzer-screenshot OUTPUT.png [EXPORT.png]  (under a display, e.g. Xvfb)
#include "DVApp.h"
#include "DVDoc.h"
#include "DVFrame.h"
#include "DVViewPulse.h"
#include "DVViewScan.h"
#include "DataFile.h"
#include "ExportAIA.h"
#include "GcRun.h"
#include "MainFrame.h"
#include "PulseGenerator.h"
#include "QuillonGatesModesDialog.h"
#include "ResourceLibrary.h"
#include "SimOptions.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

CGateParameter Gate(unsigned short mode, double startA, double stopA)
{
    CGateParameter gate;
    gate.SetType(mode);
    gate.SetStartA(startA);
    gate.SetStopA(stopA);
    gate.SetStartB(20.0);
    gate.SetStopB(24.0);
    gate.SetOperator(GO_MINUS);
    gate.SetAlpha(0.0);
    return gate;
}

// A run of the simulator's model written as the recorder writes it: 7
// pulses a second, each stamped with its run time.
bool Record(const std::string& path, const std::vector<CSimCompound>& program, uint32_t seed,
            double seconds)
{
    CDataFileHeader header;
    header.StampNow();
    CGateParameters& gates = header.config.gates;
    gates[0] = Gate(GM_S, 0.1, 1.0);  // the fast light
    gates[1] = Gate(GM_P, 1.5, 4.0);  // the medium light
    gates[2] = Gate(GM_C, 6.0, 14.0); // the slow light
    for (int g = 3; g < 5; ++g)
        gates[g].SetType(static_cast<unsigned short>(40 + g)); // not in use
    // Above the dark level: the gates follow the pulse's rising edge.
    header.config.board.SetTriggerLevel(2300);
    header.config.board.SetAdcTriggerLevel(2300);
    CDataFileWriter writer;
    std::string message;
    if (!writer.Create(path, header, message))
        return false;
    const double rate = 7.0;
    const CPulseGenerator generator(program, seed);
    for (uint32_t k = 1; k <= static_cast<uint32_t>(seconds * rate); ++k) {
        const double t = k / rate;
        const CSimPulse sim = generator.Generate(k, CGcRun::Hundredths(t), t);
        CPulseData pulse;
        pulse.SetPulseIndex(static_cast<long>(sim.index));
        pulse.SetPulseTime(sim.time);
        pulse.SetCh1Offset(sim.ch1Offset);
        pulse.SetCh2Offset(sim.ch2Offset);
        pulse.SetTDelay(sim.tDelay);
        pulse.SetDarkCurrent(sim.darkCurrent);
        pulse.SetFrequencyPulse(rate);
        for (uint32_t sample : sim.samples)
            pulse.AddData(static_cast<int>(sample));
        if (!writer.Append(pulse, message))
            return false;
    }
    return writer.Close(message) == 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: analyzer-screenshot OUTPUT.png\n");
        return 2;
    }
    QTemporaryDir folder;
    qputenv("TARVOLIN_COMMON_DATA", folder.filePath("common").toUtf8());
    const std::unique_ptr<OCalculationLog> log = ODVApp::InitializeSettings();
    if (!ODVApp::LoadResources()) {
        std::fprintf(stderr, "analyzer-screenshot: the program's resources are missing\n");
        return 1;
    }
    QApplication::setWindowIcon(CResourceLibrary::AppIcon());

    const std::string first = folder.filePath("run-0001.KLYN").toStdString();
    const std::string second = folder.filePath("run-0002.KLYN").toStdString();
    std::vector<CSimCompound> later = CSimOptions::DefaultProgram();
    for (CSimCompound& compound : later)
        compound.retentionSeconds += 3.0;
    later[1].response = {40000.0, 60000.0, 90000.0};
    if (!Record(first, CSimOptions::DefaultProgram(), 1, 34.0) || !Record(second, later, 2, 34.0)) {
        std::fprintf(stderr, "analyzer-screenshot: the recordings could not be written\n");
        return 1;
    }

    CMainFrame::Options options;
    options.document.cacheFolder = folder.filePath("cache").toStdString();
    CMainFrame frame(options);
    frame.resize(1440, 900);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        std::fprintf(stderr, "analyzer-screenshot: the window was not shown\n");
    frame.OpenFiles({QString::fromStdString(first), QString::fromStdString(second)});
    frame.MdiArea()->tileSubWindows();
    QTest::qWait(200);

    // Each run at the top of its first compound's peak, the snap-to-trace
    // cursor reading the second run's chromatogram.
    const QList<ODVFrame*> frames = frame.Frames();
    if (frames.size() == 2) {
        frames[0]->GetDocument()->GoToPulse(42);
        frames[1]->GetDocument()->GoToPulse(63);
        ODVViewScan* scan = frames[1]->ScanView();
        frames[1]->SetSnapToTrace(1, true);
        scan->Chart()->Replot(true);
        scan->MoveCursor(12.0 + 3.0, 80000.0, true);
    }
    QTest::qWait(400);
    bool saved = frame.grab().save(QString::fromLocal8Bit(argv[1]));
    std::printf("analyzer-screenshot: %s %s\n", argv[1],
                saved ? "written" : "could not be written");
    if (argc > 2 && frames.size() == 2) {
        frames[0]->ShowGateDialog();
        CQuillonGatesModesDialog* gates = frames[0]->GateDialog();
        if (!QTest::qWaitFor([gates] { return !gates->RowTexts().isEmpty(); }, 5000))
            std::fprintf(stderr, "analyzer-screenshot: the gates were not read\n");
        gates->SelectRow(0);
        OExportAIA* dialog = frames[0]->ShowExportDialog();
        bool exported = false;
        if (dialog) {
            dialog->Control<QLineEdit>(OExportAIA::kExperimentTitle)->setText("Calibration");
            dialog->Control<QLineEdit>(OExportAIA::kOperatorName)->setText("J. Doe");
            dialog->Control<QLineEdit>(OExportAIA::kSampleName)->setText("Mix 3");
            QTest::qWait(300);
            exported = dialog->grab().save(QString::fromLocal8Bit(argv[2]));
        }
        std::printf("analyzer-screenshot: %s %s\n", argv[2],
                    exported ? "written" : "could not be written");
        saved = saved && exported;
    }
    return saved ? 0 : 1;
}
