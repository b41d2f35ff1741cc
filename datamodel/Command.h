#pragma once
// One command of a program with several (tarvolin inspect, tarvolin record):
// it declares its options, bound to its own members, and runs.

#include "OptionTable.h"

#include <ostream>
#include <string>

class CCommand {
public:
    virtual ~CCommand() = default;
    // Declares every option and positional argument of the command.
    virtual void DeclareOptions(COptionTable& options) = 0;
    // Runs after a clean parse: 1 when done, 0 with one line in error saying why not.
    virtual int Run(std::ostream& out, std::string& error) = 0;
};
