#pragma once
// `tarvolin instruments list|add NAME --port N|modify NAME --port N|remove NAME|repair`:
// the workstation's instrument list without a window, for the scripts that
// set up many workstations. The same operations, checks and messages as the
// Launcher's (CInstrumentConnections), on the same list and folders.

#include "Command.h"

namespace cli {

class CInstrumentsCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    std::string m_strAction;
    std::string m_strName;
    bool m_bNameGiven = false;
    int m_nPort = 0;
    bool m_bPortGiven = false;
};

} // namespace cli
