#pragma once
// `tarvolin repair FILE [--in-place]`: gives a recording that did not finish
// the pulse count of the pulses it holds, into FILE-repaired.KLYN or in place.

#include "Command.h"

namespace cli {

class CRepairCommand : public CCommand {
public:
    void DeclareOptions(COptionTable& options) override;
    int Run(std::ostream& out, std::string& error) override;

private:
    std::string m_strPath;
    bool m_bInPlace = false;
};

} // namespace cli
