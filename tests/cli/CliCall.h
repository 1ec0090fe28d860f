#pragma once

#include "cli/CliApp.h"

#include <sstream>
#include <string>
#include <vector>

namespace testing_support {
// The command line run in-process, as the program's main would run it.
struct CliResult
{
    int status;
    std::string out, err;
};

inline CliResult Cli(const std::vector<std::string>& arguments)
{
    std::ostringstream out, err;
    const int status = tavrix::cli::Main(arguments, out, err);
    return {status, out.str(), err.str()};
}

inline const std::string kDownloads = std::string(TAVRIX_FIXTURES) + "/downloads/";
} // namespace testing_support
