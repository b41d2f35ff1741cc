#pragma once
// `tarvolin export-aia FILE.KLYN --gate N [--rate HZ] [--unit sec|min]
// [--cnfg SETUP.cnfg] [--field NAME=VALUE ...] OUT.cdf`: the Analyzer's
// "Export AIA Data" without its window. The trace of gate N is resampled
// onto the rate's grid and written as an AIA (ANDI) chromatography file;
// the descriptive fields (experiment title, operator, sample ...) are set by
// their profile names. Nothing is read from or written to the Analyzer's
// profile: a script gets the same file whatever was typed in the dialog.

#include "Command.h"

#include <string>
#include <vector>

namespace cli {

class CExportAiaCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

    // The fields --field may set, in the dialog's order.
    static std::vector<std::string> FieldNames();
    // NAME=VALUE of a field --field may set, with a value the field takes:
    // true, or false with the reason.
    static bool CheckField(const std::string& assignment, std::string& why);

private:
    std::string m_strPath;
    std::string m_strCnfg;
    std::string m_strOut;
    int m_nGate = 0;
    int m_nRate = 10;
    std::string m_strUnit = "sec";
    std::vector<std::string> m_fields;
};

} // namespace cli
