#include "QuillonCommandLineInfo.h"

#include "FilePaths.h"
#include "PortSettings.h"

#include <algorithm>
#include <cstdlib>

void CQuillonCommandLineInfo::Parse(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        const bool flag = !arg.empty() && (arg[0] == '-' || arg[0] == '/');
        ParseParam(flag ? arg.substr(1) : arg, flag);
    }
}

void CQuillonCommandLineInfo::ParseParam(const std::string& param, bool flag)
{
    if (!flag && param.rfind("h:", 0) == 0) {
        m_strInstrumentName = param.substr(2);
        m_bNameGiven = true;
        return;
    }
    // "MCP:COM<n>": the number starts at the eighth character; the letters
    // COM themselves are not looked at.
    if (flag && param.size() >= 3 && param[0] == 'M' && param[1] == 'C' && param[2] == 'P') {
        m_bPortGiven = true;
        m_strPortText = param.size() > 7 ? param.substr(7) : std::string();
        const long port = param.size() > 7 ? std::strtol(param.c_str() + 7, nullptr, 10) : 0;
        m_nMonitorComPort = port > 0 && port <= 0xFFFF ? static_cast<unsigned short>(port) : 0;
        m_bPortValid = !m_strPortText.empty() && m_strPortText.size() <= 4 &&
                       std::all_of(m_strPortText.begin(), m_strPortText.end(),
                                   [](unsigned char c) { return c >= '0' && c <= '9'; }) &&
                       port >= CPortSettings::kFirstPort && port <= CPortSettings::kLastPort;
        return;
    }
    if (flag && (param == "-help" || param == "help" || param == "h" || param == "?")) {
        m_bHelp = true;
        return;
    }
    m_unknown.push_back((flag ? "-" : "") + param);
}

int CQuillonCommandLineInfo::Check(std::string& error) const
{
    error.clear();
    std::string why;
    if (m_bHelp)
        return 0;
    if (!m_unknown.empty())
        error = "unknown argument \"" + m_unknown.front() + "\"";
    else if (!m_bNameGiven)
        error = "no instrument named (h:NAME)";
    else if (!CFilePaths::IsSinglePathComponent(m_strInstrumentName, why))
        error = "the instrument name must be one folder name of its own: " + why;
    else if (!m_bPortGiven)
        error = "no port given (-MCP:COMn)";
    else if (!m_bPortValid)
        error = "the port must be a number from " + std::to_string(CPortSettings::kFirstPort) +
                " to " + std::to_string(CPortSettings::kLastPort) + ", not \"" + m_strPortText +
                "\"";
    else
        return 1;
    return 0;
}

std::string CQuillonCommandLineInfo::Usage()
{
    return "usage: tarvolin-monitor h:NAME -MCP:COMn\n"
           "  h:NAME      the instrument's name; its settings and logs are kept in a folder\n"
           "              of that name below the Monitor's database folder\n"
           "  -MCP:COMn   the instrument's serial port, COM1 to COM9999 (also /MCP:COMn)\n"
           "The Launcher starts the Monitor this way for each instrument of its list.\n";
}
