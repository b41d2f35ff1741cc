// Tarvolin Analyzer: open recorded runs, see their chromatograms and the pulses behind them.
#include "DVApp.h"

int main(int argc, char** argv)
{
    return ODVApp::Run(argc, argv);
}
