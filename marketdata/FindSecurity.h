#pragma once

#include "marketdata/Master.h"
#include "marketdata/Status.h"

#include <string>

namespace tavrix {
// Searches `directory`'s MASTER, then the sub-directories its <DIR> entries lead to, depth-first,
// for a security whose symbol equals `key` without regard to case; when none does, for the first
// whose name or leading symbol words do.
// 0: found; `record` gets the record with its two dates turned into IEEE singles and
// `foundDirectory` (optional) the directory, ending in '/'. -8: not found. -1: no key or record,
// or a starting directory too long to walk. The walk is WalkDirectoryTree's, so it always ends.
Status FindSecurity(const std::string& directory, const char* key, std::uint8_t* record,
                    std::string* foundDirectory = nullptr);
} // namespace tavrix
