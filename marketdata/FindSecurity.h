#pragma once

#include "marketdata/Master.h"
#include "marketdata/Status.h"

#include <functional>
#include <string>

namespace tavrix {
// Called with each directory file's path just before it is opened; a seam for tests.
using WalkObserver = std::function<void(const std::string& masterPath)>;

// Searches `directory`'s MASTER, then the sub-directories its <DIR> entries lead to, depth-first,
// for a security whose name or leading symbol words equal `key` without regard to case.
// 0: found; `record` gets the record with its two dates turned into IEEE singles and
// `foundDirectory` (optional) the directory, ending in '/'. -4: a record failed to read while
// moving on to directory entries. -8: not found. -1: a starting directory too long to walk.
// Entries that name no sub-directory (".", "..", names with '/'), directories already visited
// (links back up), and paths longer than the walk's text are passed over, so the walk always ends.
Status FindSecurity(const std::string& directory, const char* key, std::uint8_t* record,
                    std::string* foundDirectory = nullptr, const WalkObserver& observer = {});
} // namespace tavrix
