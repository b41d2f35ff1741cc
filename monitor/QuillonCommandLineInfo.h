#pragma once
// The Monitor's command line: h:<instrument name> and -MCP:COM<port> (or
// /MCP:COM<port>), as the Launcher passes them. Unknown arguments are ignored.

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

private:
    std::string m_strInstrumentName;
    unsigned short m_nMonitorComPort = 0;
};
