#pragma once
// `tarvolin record`: records the pulses of an instrument, headless.
//
// By hand (the default): one recording into the next free data file, from
// now until a time is up or Ctrl+C.
// --auto: follows the board's timed-event program with the Monitor's rules
// ("Record" on and off, "Reset to Ready"): one numbered file per run, until
// Ctrl+C, --seconds or --runs files. Nobody is there to answer a question,
// so an existing file is never replaced: the next free name is used.

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
    bool m_bAuto = false;
    int m_nRuns = 0; // --auto: files to record, 0 until Ctrl+C
};

} // namespace cli
