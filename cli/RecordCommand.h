#pragma once
// `tarvolin record`: records the pulses of an instrument into the next free
// data file, headless; and `tarvolin repair`: rewrites the pulse count of a
// recording that did not finish.

#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct RecordOptions {
    int port = 1;
    int baud = 57600;
    double seconds = 0;      // 0: until Ctrl+C
    std::string folder = ".";
    std::string prefix = "run";
    bool progress = false;   // one line per pulse written
};

bool ParseRecordOptions(const std::vector<std::string>& args, RecordOptions& options,
                        std::string& error);
int RunRecord(const RecordOptions& options, std::ostream& out, std::string& error);
// Writes the corrected count into path (inPlace) or into <stem>-repaired.KLYN.
int RunRepair(const std::string& path, bool inPlace, std::ostream& out, std::string& error);

} // namespace cli
