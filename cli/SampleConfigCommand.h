#pragma once
// `tarvolin sample-config FILE`: writes a sample board set-up (.cnfg).

#include "Command.h"

namespace cli {

class CSampleConfigCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    std::string m_strPath;
};

} // namespace cli
