#include "QuillonCommandLineInfo.h"

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
        return;
    }
    // "MCP:COM<n>": the number starts at the eighth character; the letters
    // COM themselves are not looked at.
    if (flag && param.size() >= 3 && param[0] == 'M' && param[1] == 'C' && param[2] == 'P') {
        const long port = param.size() > 7 ? std::strtol(param.c_str() + 7, nullptr, 10) : 0;
        m_nMonitorComPort = port > 0 && port <= 0xFFFF ? static_cast<unsigned short>(port) : 0;
    }
}
