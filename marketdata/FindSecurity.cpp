#include "marketdata/FindSecurity.h"

#include "marketdata/DirectoryTree.h"

#include <cstring>

namespace tavrix {
Status FindSecurity(const std::string& directory, const char* key, std::uint8_t* record, std::string* foundDirectory)
{
    if (!key || !record || TreeStart(directory).size() > kMaxWalkDirectory)
        return kStatusInvalidParm;
    bool found = false;
    WalkDirectoryTree(directory, [&](const TreeDirectory& visited) {
        const std::size_t visible = VisibleRecords(visited.master);
        for (std::size_t i = 0; i < visible && !found; ++i)
        {
            MasterRecord candidate = visited.master.records[i];
            if (IsDirectoryEntry(candidate.data()) || !RecordMatchesKey(candidate.data(), key))
                continue;
            MbfToIeee(&candidate[kRecFirstDate], &candidate[kRecFirstDate]);
            MbfToIeee(&candidate[kRecLastDate], &candidate[kRecLastDate]);
            std::memcpy(record, candidate.data(), kMasterRecordSize);
            if (foundDirectory)
                *foundDirectory = visited.path;
            found = true;
        }
        return found;
    });
    return found ? kStatusOk : kStatusFileNotFound;
}
} // namespace tavrix
