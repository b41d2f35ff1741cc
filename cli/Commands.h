#pragma once
// The command-line tool's commands, callable from tests without a process.

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// Exit codes: 0 done, 1 the command failed (one line on err says why),
// 2 the command line was wrong (usage on err).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace cli
