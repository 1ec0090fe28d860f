#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <sys/types.h>
#include <utility>

namespace tavrix {
// Longest directory text a walk builds (with the separator at its end).
constexpr std::size_t kMaxWalkDirectory = 303;

// Remembers the directories a walk through <DIR> entries has entered, so that each is entered
// at most once: entries that lead back up or loop through links would otherwise never end.
class DirectoryWalkGuard
{
public:
    explicit DirectoryWalkGuard(const std::string& start);

    // The sub-directory that the <DIR> entry `record` of `directory` leads to, ending in '/',
    // matched without regard to case; "" when the entry names no sub-directory (".", "..", a
    // name with '/'), the path is longer than a walk holds, or it was entered before.
    std::string Enter(const std::string& directory, const std::uint8_t* record);

private:
    bool Remember(const std::string& path);

    std::set<std::pair<dev_t, ino_t>> m_visited;
};
} // namespace tavrix
