#pragma once
// `tarvolin config show FILE.cnfg`: prints a set-up file as `inspect` does,
// and refuses a file that is not one, saying what it is.

#include "Command.h"

#include <string>

namespace cli {

class CConfigShowCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    std::string m_strPath;
};

} // namespace cli
