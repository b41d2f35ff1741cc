#pragma once
// `tarvolin status`: what an instrument holds, read over its serial port, and
// with --watch the live pulses as the status poller fetches them.

#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct StatusOptions {
    int port = 1;
    int baud = 57600;
    bool watch = false;
    int pulseLimit = 0;      // --count: stop watching after this many pulses (0: no limit)
    double secondsLimit = 0; // --seconds: stop watching after this long (0: no limit)
};

// Parses the arguments after "status"; false with the reason in error.
bool ParseStatusOptions(const std::vector<std::string>& args, StatusOptions& options,
                        std::string& error);
// 1 when the instrument answered; 0 with the reason in error.
int RunStatus(const StatusOptions& options, std::ostream& out, std::string& error);

} // namespace cli
