#include "ConfigSaveCommand.h"

#include "Archive.h"
#include "ConfigFile.h"
#include "Instrument.h"

namespace cli {

void CConfigSaveCommand::DeclareOptions(COptionTable& options)
{
    DeclarePortOptions(options, m_nPort, m_nBaud);
    options
        .Positional("FILE.cnfg", m_strPath,
                    "the set-up file to write (an existing file is replaced whole)")
        .What("the set-up file");
}

int CConfigSaveCommand::Run(std::ostream& out, std::string& error)
{
    const std::string port = "COM" + std::to_string(m_nPort);
    CCliHardware hardware;
    if (!hardware.Connect(m_nPort, m_nBaud)) {
        error = "cannot open " + port + " (" + hardware.GetLastError() + ")";
        return 0;
    }
    CInstrumentSetup setup;
    if (!ReadSetup(hardware, m_nPort, setup, error))
        return 0;

    CConfigFile file;
    file.SetGateParameters(setup.gates);
    file.SetBoardParameters(setup.board);
    file.SetChannelParameters(setup.channels);
    file.SetTimedEvent(setup.events);
    std::vector<uint8_t> image;
    file.AppendImage(image);
    std::string why;
    if (!WriteFileBytes(m_strPath, image, why)) {
        error = "the set-up of " + port + " could not be saved into \"" + m_strPath + "\": " + why;
        return 0;
    }
    out << "Saved the set-up of " << port << " into " << m_strPath << " (" << image.size()
        << " bytes): 5 gates, the board and channel parameters, " << setup.events.GetCount()
        << (setup.events.GetCount() == 1 ? " timed event" : " timed events") << "\n";
    return 1;
}

} // namespace cli
