#pragma once
// A complete, plausible board set-up: a starting point for a new method and
// the demonstration file of `make run`.

#include "ConfigFile.h"

#include <string>

namespace cli {

CConfigFile MakeSampleConfig();
// 1 when written; 0 with the reason in error.
int WriteSampleConfig(const std::string& path, std::string& error);

} // namespace cli
