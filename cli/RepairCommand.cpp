#include "RepairCommand.h"

#include "DataFile.h"
#include "FileKind.h"

#include <filesystem>

namespace cli {

void CRepairCommand::DeclareOptions(COptionTable& options)
{
    options.Positional("FILE", m_strPath, "the recording to repair").What("the file to repair");
    options.Switch("--in-place", m_bInPlace,
                   "write the count into FILE itself (a count that goes down keeps the original "
                   "as FILE.bak)");
}

int CRepairCommand::Run(std::ostream& out, std::string& error)
{
    // Only a data file has a pulse count to mend; say what anything else is.
    FileKind kind = FileKind::Other;
    uint64_t size = 0;
    if (!CFileKind::RecogniseFile(m_strPath, kind, size, error))
        return 0;
    if (kind != FileKind::DataFile) {
        error = m_strPath + " is " + CFileKind::Describe(kind) +
                ", not a recording (.KLYN data file); there is no pulse count to repair";
        return 0;
    }
    const std::filesystem::path p(m_strPath);
    const std::string copy =
        m_bInPlace ? std::string()
                   : (p.parent_path() / (p.stem().string() + "-repaired" + p.extension().string()))
                         .string();
    CSalvageReport report;
    if (!CDataFileReader::Repair(m_strPath, copy, report, error))
        return 0;
    const std::string target = m_bInPlace ? m_strPath : copy;
    if (report.storedCount == report.foundCount)
        out << m_strPath << ": the pulse count (" << report.foundCount << ") was already right"
            << (m_bInPlace ? "" : "; copied to " + copy);
    else
        out << "Wrote " << target << ": pulse count " << report.storedCount << " corrected to "
            << report.foundCount;
    out << "\n";
    if (!report.originalKeptAs.empty())
        out << "The original, with its count of " << report.storedCount << ", is kept as "
            << report.originalKeptAs << "\n";
    if (report.tornBytes > 0)
        out << report.Text() << "\n";
    return 1;
}

} // namespace cli
