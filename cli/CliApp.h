#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tavrix::cli {
// Parses a command line (arguments after the program's name) and runs one command, writing to
// `out` and `err`; returns the process's exit status.
int Main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
} // namespace tavrix::cli
