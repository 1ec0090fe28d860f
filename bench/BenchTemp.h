#pragma once

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace bench {
// One scratch directory per benchmark program, made on first use.
inline const std::string& TempRoot()
{
    static const std::string root = [] {
        std::string pattern = "/tmp/tavrix-bench-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return root;
}
} // namespace bench
