#pragma once
// The command line of tarvolin-boardsim, declared once in an option table that
// parses it and prints its --help.

#include "OptionTable.h"
#include "SimOptions.h"

#include <string>
#include <vector>

class CSimCommandLine {
public:
    struct CArgs {
        CSimOptions options;
        double durationSeconds = -1;  // exit after this many real seconds; < 0: until a signal
        double dropAfterSeconds = -1; // unplug the board once after this many real seconds
        int dropMs = 1000;            // how long it stays unplugged
        int stickyStatus = 0;         // status bits reported on every status request
        bool help = false;
    };

    // 1 with args filled, or 0 with error naming the offending argument.
    static int Parse(const std::vector<std::string>& arguments, CArgs& args, std::string& error);
    static std::string Usage();

private:
    // The table bound to parsed; faults collects the fault switches as given.
    struct CBinding {
        CArgs parsed;
        std::vector<CSimFaultRule> faults;
        int splitPause = 100;
        long long faultCommand = -1;
        bool idle = false;
        bool runAtStart = false;
    };
    static void Declare(COptionTable& table, CBinding& b);
};
