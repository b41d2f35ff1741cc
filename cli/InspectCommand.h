#pragma once
// `tarvolin inspect FILE`: prints any Tarvolin file readably.

#include "Command.h"

namespace cli {

class CInspectCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    std::string m_strPath;
};

} // namespace cli
