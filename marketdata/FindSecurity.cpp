#include "marketdata/FindSecurity.h"

#include "marketdata/DirectoryWalk.h"
#include "platform/FileOps.h"

#include <cstring>
#include <vector>

namespace tavrix {
namespace {
struct Level
{
    std::size_t directoryLength; // length of the walk text at this level
    long position;               // 0: not scanned; else the record where the search for entries goes on
    long records = -1;           // the records the first scan found, when fewer than the header counts
};

bool ReadRecord(std::FILE* file, std::uint8_t* record)
{
    return std::fread(record, 1, kMasterRecordSize, file) == static_cast<std::size_t>(kMasterRecordSize);
}

void ReturnFound(std::uint8_t* found, std::uint8_t* record, const std::string& directory, std::string* foundDirectory)
{
    MbfToIeee(&found[kRecFirstDate], &found[kRecFirstDate]);
    MbfToIeee(&found[kRecLastDate], &found[kRecLastDate]);
    std::memcpy(record, found, kMasterRecordSize);
    if (foundDirectory)
        *foundDirectory = directory;
}
} // namespace

Status FindSecurity(const std::string& directory, const char* key, std::uint8_t* record, std::string* foundDirectory,
                    const WalkObserver& observer)
{
    if (!key || !record)
        return kStatusInvalidParm;
    std::string walk = directory;
    if (!walk.empty() && walk.back() != platform::kPathSeparator)
        walk.push_back(platform::kPathSeparator);
    if (walk.size() > kMaxWalkDirectory)
        return kStatusInvalidParm;

    DirectoryWalkGuard guard(walk);

    std::vector<Level> levels{{walk.size(), 0, -1}};
    std::uint8_t buffer[kMasterRecordSize];
    for (;;)
    {
        long count = 0;
        long position = levels.back().position;
        const std::string masterPath = platform::PathNoCase(walk, kMasterFileName);
        if (observer)
            observer(masterPath);
        platform::FilePtr file = platform::OpenFile(masterPath, "rb");
        if (!file || !ReadRecord(file.get(), buffer))
        {
            file.reset();
            position = 1;
        }
        else
        {
            // A negative counter visits nothing, as a loop up to it would.
            count = ReadMasterHeader(buffer).count;
            if (count < 0)
                count = 0;
            // A header that counts more records than the file holds counts only those, as the
            // listing reads it; the first scan learnt how many there are.
            if (levels.back().records >= 0 && levels.back().records < count)
                count = levels.back().records;
            if (position == 0)
            {
                for (long n = 1; n <= count; ++n)
                {
                    if (!ReadRecord(file.get(), buffer))
                    {
                        count = levels.back().records = n - 1;
                        break;
                    }
                    if (IsDirectoryEntry(buffer))
                    {
                        if (position == 0)
                            position = n;
                    }
                    else if (RecordMatchesKey(buffer, key))
                    {
                        ReturnFound(buffer, record, walk, foundDirectory);
                        return kStatusOk;
                    }
                }
                if (file && position == 0)
                    position = count + 1;
            }
            if (file && position <= count)
            {
                if (std::fseek(file.get(), static_cast<long>(kMasterRecordSize) * position, SEEK_SET) != 0)
                    return kStatusFileRead;
                bool descended = false;
                while (!descended && position <= count)
                {
                    if (!ReadRecord(file.get(), buffer))
                        return kStatusFileRead;
                    ++position;
                    if (!IsDirectoryEntry(buffer))
                        continue;
                    const std::string sub = guard.Enter(walk, buffer);
                    if (sub.empty())
                        continue;
                    walk = sub;
                    descended = true;
                }
            }
        }
        file.reset();
        levels.back().position = position;
        if (walk.size() != levels.back().directoryLength)
        {
            levels.push_back({walk.size(), 0, -1}); // open the sub-directory's file next
            continue;
        }
        if (position > count)
        {
            if (levels.size() == 1)
                return kStatusFileNotFound;
            levels.pop_back();
            walk.resize(levels.back().directoryLength);
        }
    }
}
} // namespace tavrix
