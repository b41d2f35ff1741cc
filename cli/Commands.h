#pragma once
// The command-line tool's commands, callable from tests without a process.

#include "CommandSet.h"

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// Every command of `tarvolin`, declared once; its usage is generated from them.
const CCommandSet& Commands();

// Exit codes: 0 done, 1 the command failed (one line on err says why),
// 2 the command line was wrong (the reason and the usage on err).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace cli
