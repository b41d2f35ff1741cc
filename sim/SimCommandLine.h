#pragma once
// The command line of tarvolin-boardsim.

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
        bool help = false;
    };

    // 1 with args filled, or 0 with error naming the offending argument.
    static int Parse(const std::vector<std::string>& arguments, CArgs& args, std::string& error);
    static std::string Usage();
};
