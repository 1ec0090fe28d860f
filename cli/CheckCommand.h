#pragma once

#include <ostream>
#include <string>

namespace tavrix::cli {
// `tavrix-cli check DIR`: one line per problem and per note on `out`, then a summary line.
// Returns 0 when there is no problem (notes allowed), 1 when there are problems, 2 when DIR is
// no directory. Changes nothing.
int RunCheck(const std::string& dir, std::ostream& out, std::ostream& err);
} // namespace tavrix::cli
