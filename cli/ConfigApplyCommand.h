#pragma once
// `tarvolin config apply --port N FILE.cnfg`: sends a set-up file to the
// instrument in the order the board expects (the Monitor's Open Config
// sends it the same way): clear the timed events, the board and channel
// records, the timed events, the gates. A step that fails is named, the
// command ends with status 1 and warns that the board may now hold a
// mixture of the old and the new set-up. A file that cannot be read, is
// damaged or is no set-up file is refused before anything is sent.

#include "Command.h"
#include "PortSettings.h"

#include <string>

namespace cli {

class CConfigApplyCommand : public CCommand {
public:
    // Set-up files are 404 bytes and 32 per event; anything this large is not one.
    static constexpr size_t kMaxFileBytes = 1u << 20;

    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    int m_nPort = 1;
    int m_nBaud = CPortSettings::kDefaultBaud;
    std::string m_strPath;
};

} // namespace cli
