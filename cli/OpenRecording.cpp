#include "OpenRecording.h"

#include "TerminalProgress.h"

namespace cli {

void DeclareRecordingOptions(COptionTable& options, std::string& path, std::string& cnfg)
{
    options.Positional("FILE.KLYN", path, "the recording").What("the recording");
    options
        .Text("--cnfg", cnfg, "SETUP.cnfg",
              "compute with the gates, channels and board values of this set-up file instead "
              "of the recording's own")
        .What("the set-up file");
}

int OpenRecording(ODVDocData& document, const std::string& path, const std::string& cnfg,
                  std::string& error)
{
    const std::unique_ptr<IProgress> progress = CTerminalProgress::ForStandardError();
    std::string message;
    if (!document.Open(path, message, progress.get())) {
        const std::string& detail = document.GetLastError();
        error = path + ": " + message + (detail.empty() ? "" : " (" + detail + ")");
        return 0;
    }
    if (!cnfg.empty() && !document.OpenCfgFile(cnfg, message, progress.get())) {
        // The document's messages about a set-up file name it already.
        const std::string& detail = document.GetLastError();
        error = (message.find(cnfg) == std::string::npos ? cnfg + ": " : std::string()) + message;
        if (detail.find(cnfg) != std::string::npos && message.find(detail) == std::string::npos)
            error += " (" + detail + ")";
        return 0;
    }
    return 1;
}

std::string TraceName(const ODVDocData& document, int m)
{
    const std::string& name = document.GetGateDescriptors()[m].name;
    return name.empty() ? "Gate " + std::to_string(m + 1) : name;
}

} // namespace cli
