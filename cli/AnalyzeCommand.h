#pragma once
// `tarvolin analyze FILE.KLYN [--cnfg SETUP.cnfg] [--csv OUT.csv]`: computes
// the recording's chromatogram as the Analyzer does and prints its summary:
// pulses, time span, each trace's minimum and maximum, and what the Analyzer
// would note (a salvaged recording, a rebuilt time axis, gates clamped to the
// pulse). --csv writes the time and the five traces as comma-separated text.

#include "Command.h"

#include <ostream>
#include <string>

class ODVDocData;

namespace cli {

class CAnalyzeCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

    // The summary lines of an open document; setUp: the set-up file it was
    // computed with, if any.
    static void PrintSummary(const ODVDocData& document, const std::string& setUp,
                             std::ostream& out);

private:
    std::string m_strPath;
    std::string m_strCnfg;
    std::string m_strCsv;
};

} // namespace cli
