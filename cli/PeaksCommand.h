#pragma once
// `tarvolin peaks FILE.KLYN --gate N [--cnfg SETUP.cnfg] [--csv OUT.csv]
// [--threshold X] [--min-width S] [--smoothing N]`: the peak table of one
// gate's trace, found as the Analyzer finds it, printed in columns - the
// columns of the peak table's CSV file, its three flags in one column (M set
// by hand, |< and >| a perpendicular dropped at the start or the end).
// --csv writes that file too.

#include "Command.h"
#include "PeakParameters.h"

#include <ostream>
#include <string>
#include <vector>

struct OPeak;

namespace cli {

class CPeaksCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

    // The table as printed: a heading line, then one line per peak.
    static std::string Table(const std::vector<OPeak>& peaks);

private:
    std::string m_strPath;
    std::string m_strCnfg;
    std::string m_strCsv;
    int m_nGate = 0;
    OPeakParameters m_parameters;
};

} // namespace cli
