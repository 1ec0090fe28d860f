#pragma once

namespace tavrix::cli {
// Parses the command line and runs one command; returns the process's exit status.
int Main(int argc, char** argv);
} // namespace tavrix::cli
