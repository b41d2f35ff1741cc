#include "ConfigApplyCommand.h"

#include "Archive.h"
#include "ConfigFile.h"
#include "HardwareSetUpLink.h"
#include "Instrument.h"
#include "SetUpSequence.h"

namespace cli {

namespace {

const char kNothingSent[] = "Nothing was sent to the board.";

} // namespace

void CConfigApplyCommand::DeclareOptions(COptionTable& options)
{
    DeclarePortOptions(options, m_nPort, m_nBaud);
    options.Positional("FILE.cnfg", m_strPath, "the set-up file to send").What("the set-up file");
}

int CConfigApplyCommand::Run(std::ostream& out, std::string& error)
{
    const std::string quoted = "\"" + m_strPath + "\"";
    std::vector<uint8_t> bytes;
    std::string why;
    CConfigFile file;
    if (!ReadFileBytes(m_strPath, bytes, why, kMaxFileBytes) || !file.Parse(bytes, why)) {
        error = "the configuration file " + quoted + " could not be opened: " + why + ". " +
                kNothingSent;
        return 0;
    }
    if (file.GetTag() != CConfigFile::kTag) {
        error = quoted +
                " is not a configuration file: it does not start with the "
                "configuration tag. " +
                std::string(kNothingSent);
        return 0;
    }
    CSetUpRecords records;
    records.gates = file.GetGateParameters();
    records.board = file.GetBoardParameters();
    records.channels = file.GetChannelParameters();
    records.events = file.GetTimedEvent();
    if (!CSetUpSequence::Check(records, why)) {
        error = "the configuration file " + quoted + " could not be applied. " + why;
        return 0;
    }

    const std::string port = "COM" + std::to_string(m_nPort);
    CCliHardware hardware;
    if (!hardware.Connect(m_nPort, m_nBaud)) {
        error = "cannot open " + port + " (" + hardware.GetLastError() + "). " + kNothingSent;
        return 0;
    }
    out << "Applying " << m_strPath << " to " << port << "\n" << std::flush;
    CHardwareSetUpLink link(hardware);
    CSetUpSequence::Options options;
    options.nTries = kTries;
    options.onStep = [&](int step) {
        if (step == 3 && records.events.GetCount() == 0) {
            out << "  Step 3 of 4: no timed events to send\n" << std::flush;
            return;
        }
        out << "  Step " << step << " of " << CSetUpSequence::kSteps << ": "
            << CSetUpSequence::StepText(step) << "\n"
            << std::flush;
    };
    CSetUpSequence::Result result;
    if (!CSetUpSequence::Apply(link, records, result, options)) {
        error = "the configuration file " + quoted + " could not be applied to " + port + ". " +
                result.strMessage + " " + CSetUpSequence::kMixtureText;
        return 0;
    }
    out << "Configuration file has been successfully opened and applied\n";
    return 1;
}

} // namespace cli
