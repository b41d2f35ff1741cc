#pragma once
// What the analysis commands (analyze, export-aia, report) share: the
// recording and the set-up file options, opening the recording as the
// Analyzer opens a document, and the names of its traces.

#include "DVDocData.h"
#include "OptionTable.h"
#include "PeakParameters.h"

#include <string>

namespace cli {

// FILE.KLYN and --cnfg SETUP.cnfg, bound to path and cnfg.
void DeclareRecordingOptions(COptionTable& options, std::string& path, std::string& cnfg);
// The two alone, for commands that place other options between them.
void DeclareRecording(COptionTable& options, std::string& path);
void DeclareSetUpFile(COptionTable& options, std::string& cnfg);

// Opens path into document and computes its chromatogram; with cnfg, the
// set-up file's records then replace the recording's, as Open cfg File does
// in the Analyzer, and the chromatogram is computed again. Progress goes to
// standard error when that is a terminal. 1, or 0 with error naming the file
// and the reason.
int OpenRecording(ODVDocData& document, const std::string& path, const std::string& cnfg,
                  std::string& error);
// The same with the progress reported to progress (none when null): a batch
// opens several recordings at once and shows no bars.
int OpenRecording(ODVDocData& document, const std::string& path, const std::string& cnfg,
                  IProgress* progress, std::string& error);

// --threshold X, --min-width S, --smoothing N: the peak detection's
// parameters from their table, bound to parameters (check them before use:
// the smoothing must be odd).
void DeclarePeakParameters(COptionTable& options, OPeakParameters& parameters);

// The name of trace m (0..4) as the Analyzer's legend shows it ("Mode S");
// "Gate <m + 1>" for a gate the configuration does not use.
std::string TraceName(const ODVDocData& document, int m);

} // namespace cli
