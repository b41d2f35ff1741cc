#include "ConfigShowCommand.h"

#include "FileKind.h"
#include "Inspector.h"

namespace cli {

void CConfigShowCommand::DeclareOptions(COptionTable& options)
{
    options.Positional("FILE.cnfg", m_strPath, "the set-up file to print").What("the set-up file");
}

int CConfigShowCommand::Run(std::ostream& out, std::string& error)
{
    FileKind kind = FileKind::Other;
    uint64_t size = 0;
    if (!CFileKind::RecogniseFile(m_strPath, kind, size, error))
        return 0;
    // Both tagged formats are set-ups; inspect tells a damaged one in set-up terms.
    if (kind != FileKind::ConfigFile && kind != FileKind::CompactConfigRecord) {
        error = m_strPath + " is not a set-up file (.cnfg)";
        error += kind == FileKind::Other
                     ? " nor any other Tarvolin file"
                     : ": it is " + CFileKind::Describe(kind) + "; 'tarvolin inspect' prints it";
        return 0;
    }
    return InspectFile(m_strPath, out, error);
}

} // namespace cli
