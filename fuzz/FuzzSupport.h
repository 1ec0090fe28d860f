#pragma once

#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz_support {
[[noreturn]] inline void Fail(const std::string& what, const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "fuzz check failed: %s (%s) at %s:%d\n", what.c_str(), condition, file, line);
    std::abort();
}
} // namespace fuzz_support

// A broken rule is a finding: say which, then abort so libFuzzer keeps the input.
#define FUZZ_CHECK(condition, what) ((condition) ? void() : fuzz_support::Fail(what, #condition, __FILE__, __LINE__))
