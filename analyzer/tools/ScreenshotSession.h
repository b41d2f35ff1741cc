#pragma once
// What every picture tool of the Analyzer does before it opens its window:
// settings and resources in a scratch folder of its own (nothing of the
// user's is read or changed), the program's icon, and the simulated runs it
// shows written there. Messages name the tool.
#include "CalculationLog.h"
#include "DVApp.h"
#include "MainFrame.h"
#include "ResourceLibrary.h"
#include "SimRecording.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>

namespace screenshot {

class CSession {
public:
    explicit CSession(const char* tool) : m_tool(tool)
    {
        qputenv("TARVOLIN_COMMON_DATA", m_folder.filePath("common").toUtf8());
        m_log = ODVApp::InitializeSettings();
        m_ok = ODVApp::LoadResources();
        if (m_ok)
            QApplication::setWindowIcon(CResourceLibrary::AppIcon());
        else
            Fail("the program's resources are missing");
    }

    bool Ok() const { return m_ok; }
    std::string Path(const char* name) const { return m_folder.filePath(name).toStdString(); }
    // Documents keep their intermediate files in the scratch folder.
    CMainFrame::Options FrameOptions() const
    {
        CMainFrame::Options options;
        options.document.cacheFolder = Path("cache");
        return options;
    }
    // Two runs of the simulator's model: run-0001.KLYN as it is, and
    // run-0002.KLYN injected three seconds later and richer in its second
    // compound. 0 (with a message) when they cannot be written.
    bool RecordTwoRuns()
    {
        std::vector<CSimCompound> later = CSimOptions::DefaultProgram();
        for (CSimCompound& compound : later)
            compound.retentionSeconds += 3.0;
        later[1].response = {40000.0, 60000.0, 90000.0};
        if (Record(Path("run-0001.KLYN"), CSimOptions::DefaultProgram(), 1, 34.0) &&
            Record(Path("run-0002.KLYN"), later, 2, 34.0))
            return true;
        Fail("the recordings could not be written");
        return false;
    }
    void Fail(const char* why) const { std::fprintf(stderr, "%s: %s\n", m_tool, why); }

private:
    const char* m_tool;
    QTemporaryDir m_folder;
    std::unique_ptr<OCalculationLog> m_log;
    bool m_ok = false;
};

} // namespace screenshot
