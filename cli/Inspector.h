#pragma once
// `tarvolin inspect`: recognises a Tarvolin file by its content and prints
// every field by name.

#include <ostream>
#include <string>

namespace cli {

// 1 after printing the file; 0 with one line in error saying why it cannot be read.
int InspectFile(const std::string& path, std::ostream& out, std::string& error);

} // namespace cli
