#pragma once
// What the Analyzer's window tests share: recordings written with the
// recorder's own writer, and a scratch world for one test - a folder, the
// run log inside it, the message and file-dialog services captured, and a
// main window opening documents with intermediate files kept there.

#include "DVApp.h"
#include "DataFile.h"
#include "FileDialogService.h"
#include "MainFrame.h"
#include "MessageService.h"
#include "RunLog.h"
#include "TempFolder.h"

#include <QString>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace analyzertest {

inline CGateParameter Gate(unsigned short mode, double startA, double stopA, double startB = 0.0,
                           double stopB = 0.0, unsigned short op = GO_MINUS, double alpha = 0.0)
{
    CGateParameter g;
    g.SetType(mode);
    g.SetStartA(startA);
    g.SetStopA(stopA);
    g.SetStartB(startB);
    g.SetStopB(stopB);
    g.SetOperator(op);
    g.SetAlpha(alpha);
    return g;
}

// A header whose gates are all unused but those given.
inline CDataFileHeader Header(const std::vector<CGateParameter>& gates,
                              unsigned short triggerLevel = 1)
{
    CDataFileHeader header;
    header.year = 2024;
    header.month = 5;
    header.day = 6;
    header.hour = 9;
    header.minute = 30;
    for (int g = 0; g < 5; ++g)
        header.config.gates[g].SetType(static_cast<unsigned short>(40 + g));
    for (size_t g = 0; g < gates.size() && g < 5; ++g)
        header.config.gates[static_cast<int>(g)] = gates[g];
    header.config.board.SetTriggerLevel(triggerLevel);
    return header;
}

// One pulse: samples from fill(i), time in hundredths, index k + 1.
inline CPulseData Pulse(int k, int time, const std::function<int(int)>& fill)
{
    CPulseData p;
    p.SetPulseIndex(k + 1);
    p.SetPulseTime(time);
    p.SetTDelay(0.0);
    p.SetDarkCurrent(0);
    p.SetFrequencyPulse(7.0);
    for (int i = 0; i < 250; ++i)
        p.AddData(fill(i));
    return p;
}

// n pulses a second apart from 10 s on; pulse k a ramp from 100 (k + 1).
inline std::vector<CPulseData> Ramps(int n)
{
    std::vector<CPulseData> pulses;
    for (int k = 0; k < n; ++k)
        pulses.push_back(Pulse(k, 1000 + 100 * k, [k](int i) { return 100 * (k + 1) + i; }));
    return pulses;
}

// Writes a finished recording; false (with a warning) when it could not.
inline bool Write(const std::string& path, const CDataFileHeader& header,
                  const std::vector<CPulseData>& pulses)
{
    CDataFileWriter writer;
    std::string message;
    bool ok = writer.Create(path, header, message) == 1;
    for (const CPulseData& p : pulses)
        ok = ok && writer.Append(p, message) == 1;
    ok = ok && writer.Close(message) == 1;
    if (!ok)
        qWarning("cannot write %s: %s", path.c_str(), message.c_str());
    return ok;
}

// The scratch world of one test.
class CWorld {
public:
    CWorld()
    {
        ORunLog::SetFilePath(dir.File("analyzer.log"));
        static const bool loaded = ODVApp::LoadResources();
        if (!loaded)
            qWarning("the Analyzer's resources did not load");
    }
    ~CWorld() { ORunLog::SetFilePath({}); }

    QString File(const std::string& name) const { return QString::fromStdString(dir.File(name)); }

    // A recording of n ramps (gate S over samples 10 to 20) named name.
    QString Ramps(const std::string& name, int n)
    {
        const std::string path = dir.File(name);
        Write(path, Header({Gate(GM_S, 1.0, 2.0)}), analyzertest::Ramps(n));
        return QString::fromStdString(path);
    }

    std::unique_ptr<CMainFrame> MakeFrame(bool withProfile = false)
    {
        CMainFrame::Options options;
        options.document.cacheFolder = dir.File("cache");
        if (withProfile)
            options.profilePath = File("profile.ini");
        auto frame = std::make_unique<CMainFrame>(options);
        frame->resize(1200, 860);
        return frame;
    }

    // The texts of the messages shown so far.
    QStringList Messages() const
    {
        QStringList texts;
        for (const CMessageRecorder::Message& m : messages.Messages())
            texts << QString::fromStdString(m.text);
        return texts;
    }

    testsupport::CTempDir dir{"tarvolin-analyzer"};
    CMessageRecorder messages;
    CFileDialogRecorder files;
};

} // namespace analyzertest
