#include "SampleConfigCommand.h"

#include "SampleConfig.h"

namespace cli {

void CSampleConfigCommand::DeclareOptions(COptionTable& options)
{
    options.Positional("FILE", m_strPath, "where to write it").What("the file to write");
}

int CSampleConfigCommand::Run(std::ostream& out, std::string& error)
{
    if (!WriteSampleConfig(m_strPath, error))
        return 0;
    out << "wrote " << m_strPath << "\n";
    return 1;
}

} // namespace cli
