#pragma once
// `tarvolin record`: records the pulses of an instrument into the next free
// data file, headless, until a time is up or Ctrl+C.

#include "Command.h"
#include "PortSettings.h"

#include <string>

namespace cli {

class CRecordCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    int m_nPort = 1;
    int m_nBaud = CPortSettings::kDefaultBaud;
    double m_dSeconds = 0; // 0: until Ctrl+C
    std::string m_strFolder = ".";
    std::string m_strPrefix = "run";
    bool m_bProgress = false; // one line per pulse written
};

} // namespace cli
