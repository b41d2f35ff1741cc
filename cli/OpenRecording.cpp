#include "OpenRecording.h"

#include "FileKind.h"
#include "TerminalProgress.h"

namespace cli {

void DeclareRecordingOptions(COptionTable& options, std::string& path, std::string& cnfg)
{
    DeclareRecording(options, path);
    DeclareSetUpFile(options, cnfg);
}

void DeclareRecording(COptionTable& options, std::string& path)
{
    options.Positional("FILE.KLYN", path, "the recording").What("the recording");
}

void DeclareSetUpFile(COptionTable& options, std::string& cnfg)
{
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
    return OpenRecording(document, path, cnfg, progress.get(), error);
}

int OpenRecording(ODVDocData& document, const std::string& path, const std::string& cnfg,
                  IProgress* progress, std::string& error)
{
    // The Analyzer reads any file as a recording; one that carries the tag of
    // another format (a set-up given by mistake) is better named for what it is.
    FileKind kind = FileKind::Other;
    uint64_t size = 0;
    std::string why;
    if (CFileKind::RecogniseFile(path, kind, size, why) &&
        (kind == FileKind::ConfigFile || kind == FileKind::CompactConfigRecord ||
         kind == FileKind::CompactDataFile)) {
        error = path + " is not a recording (.KLYN): it is " + CFileKind::Describe(kind);
        return 0;
    }
    std::string message;
    if (!document.Open(path, message, progress)) {
        const std::string& detail = document.GetLastError();
        error = path + ": " + message + (detail.empty() ? "" : " (" + detail + ")");
        return 0;
    }
    if (!cnfg.empty() && !document.OpenCfgFile(cnfg, message, progress)) {
        // The document's messages about a set-up file name it already.
        const std::string& detail = document.GetLastError();
        error = (message.find(cnfg) == std::string::npos ? cnfg + ": " : std::string()) + message;
        if (detail.find(cnfg) != std::string::npos && message.find(detail) == std::string::npos)
            error += " (" + detail + ")";
        return 0;
    }
    return 1;
}

void DeclarePeakParameters(COptionTable& options, OPeakParameters& parameters)
{
    for (const OPeakParameters::Entry& entry : OPeakParameters::Table()) {
        const std::string name = std::string("--") + entry.name;
        std::string help = entry.help;
        if (*entry.unit)
            help += std::string(" (") + entry.unit + ")";
        if (entry.kind == OPeakParameters::Kind::Real)
            options.Real(name, parameters.*entry.real, entry.minimum, entry.maximum, "X", help);
        else
            options.Integer(name, parameters.*entry.whole, static_cast<long long>(entry.minimum),
                            static_cast<long long>(entry.maximum), "N", help);
    }
}

std::string TraceName(const ODVDocData& document, int m)
{
    const std::string& name = document.GetGateDescriptors()[m].name;
    return name.empty() ? "Gate " + std::to_string(m + 1) : name;
}

} // namespace cli
