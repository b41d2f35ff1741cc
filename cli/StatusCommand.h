#pragma once
// `tarvolin status`: what an instrument holds, read over its serial port, and
// with --watch the live pulses as the status poller fetches them.

#include "Command.h"
#include "PortSettings.h"

#include <string>

namespace cli {

class CCliHardware;

class CStatusCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    // 1 when the instrument answered; 0 with the reason in error.
    int Run(std::ostream& out, std::string& error) override;

    // "0x0905 (status bits 0x09, error bits 0x05), GC Running"
    static std::string StatusLine(unsigned short status);

private:
    int Watch(CCliHardware& hardware, std::ostream& out);

    int m_nPort = 1;
    int m_nBaud = CPortSettings::kDefaultBaud;
    bool m_bWatch = false;
    int m_nPulseLimit = 0;      // --count: stop watching after this many pulses (0: no limit)
    double m_dSecondsLimit = 0; // --seconds: stop watching after this long (0: no limit)
};

} // namespace cli
