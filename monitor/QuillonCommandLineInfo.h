#pragma once
// The Monitor's command line: h:<instrument name> and -MCP:COM<port> (or
// /MCP:COM<port>), as the Launcher passes them. Parse records what the
// arguments say; Check decides whether the Monitor can start with them.

#include <string>
#include <vector>

class CQuillonCommandLineInfo {
public:
    // Parses the arguments after the program name.
    void Parse(const std::vector<std::string>& args);
    // One argument; flag says it began with "-" or "/", which param no longer holds.
    void ParseParam(const std::string& param, bool flag);

    const std::string& GetInstrumentName() const { return m_strInstrumentName; }
    unsigned short GetMonitorComPort() const { return m_nMonitorComPort; }

    // 1 when the Monitor can start: an instrument name that is one folder
    // name of its own, a port from 1 on given as a whole number, no other
    // argument and no request for help. 0 with the reason in error (empty
    // when the help was asked for).
    int Check(std::string& error) const;
    static std::string Usage();

private:
    std::string m_strInstrumentName;
    unsigned short m_nMonitorComPort = 0;
    bool m_bNameGiven = false;
    bool m_bPortGiven = false;
    bool m_bPortValid = false;
    std::string m_strPortText;
    bool m_bHelp = false;
    std::vector<std::string> m_unknown;
};
