#include "InspectCommand.h"

#include "Inspector.h"

namespace cli {

void CInspectCommand::DeclareOptions(COptionTable& options)
{
    options.Positional("FILE", m_strPath, "the file to print").What("the file to inspect");
}

int CInspectCommand::Run(std::ostream& out, std::string& error)
{
    return InspectFile(m_strPath, out, error);
}

} // namespace cli
