#pragma once
// `tarvolin config save --port N FILE.cnfg`: reads the set-up the instrument
// holds (gates, board and channel records, timed events) and writes it as a
// set-up file, replacing the file whole or leaving an earlier one untouched.

#include "Command.h"
#include "PortSettings.h"

#include <string>

namespace cli {

class CConfigSaveCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    int m_nPort = 1;
    int m_nBaud = CPortSettings::kDefaultBaud;
    std::string m_strPath;
};

} // namespace cli
