#include "marketdata/FindSecurity.h"

#include "marketdata/DirectoryTree.h"

#include <cstring>

namespace tavrix {
Status FindSecurity(const std::string& directory, const char* key, std::uint8_t* record, std::string* foundDirectory)
{
    if (!key || !record || TreeStart(directory).size() > kMaxWalkDirectory)
        return kStatusInvalidParm;
    // The first record whose symbol is the key, anywhere in the tree; else the first that matches.
    MasterRecord found{};
    std::string where;
    bool exact = false;
    WalkDirectoryTree(directory, [&](const TreeDirectory& visited) {
        const std::size_t visible = VisibleRecords(visited.master);
        for (std::size_t i = 0; i < visible && !exact; ++i)
        {
            const MasterRecord& candidate = visited.master.records[i];
            if (IsDirectoryEntry(candidate.data()) || !RecordMatchesKey(candidate.data(), key))
                continue;
            exact = SymbolIsKey(RecordSymbol(candidate.data()), key);
            if (exact || where.empty())
                found = candidate, where = visited.path;
        }
        return exact;
    });
    if (where.empty())
        return kStatusFileNotFound;
    MbfToIeee(&found[kRecFirstDate], &found[kRecFirstDate]);
    MbfToIeee(&found[kRecLastDate], &found[kRecLastDate]);
    std::memcpy(record, found.data(), kMasterRecordSize);
    if (foundDirectory)
        *foundDirectory = where;
    return kStatusOk;
}
} // namespace tavrix
