#include "marketdata/MasterReader.h"

#include "marketdata/DirectoryWalk.h"
#include "marketdata/RecordFile.h"
#include "platform/FileOps.h"

#include <algorithm>

namespace tavrix {
namespace {
void ListDirectory(const std::string& directory, DirectoryWalkGuard* guard, std::vector<ListedSecurity>* out)
{
    MasterHeader header{};
    std::vector<MasterRecord> records;
    if (ReadMasterFile(platform::PathNoCase(directory, kMasterFileName), &header, &records) != kStatusOk)
        return;
    const std::size_t visible = header.count < 0 ? 0 : std::min<std::size_t>(header.count, records.size());
    for (std::size_t i = 0; i < visible; ++i)
        if (!IsDirectoryEntry(records[i].data()))
            out->push_back({directory, records[i]});
    for (std::size_t i = 0; i < visible; ++i)
    {
        if (!IsDirectoryEntry(records[i].data()))
            continue;
        const std::string sub = guard->Enter(directory, records[i].data());
        if (!sub.empty())
            ListDirectory(sub, guard, out);
    }
}
} // namespace

Status ReadMasterFile(const std::string& path, MasterHeader* header, std::vector<MasterRecord>* records,
                      std::size_t* extraBytes)
{
    RecordFile<kMasterRecordSize> file;
    const Status status = ReadRecordFile(path, &file);
    *header = ReadMasterHeader(file.header.data());
    *records = std::move(file.records);
    if (extraBytes)
        *extraBytes = file.extraBytes;
    return status;
}

Status ListSecurities(const std::string& directory, std::vector<ListedSecurity>* securities)
{
    std::string start = directory.empty() ? "./" : directory;
    if (start.back() != '/')
        start.push_back('/');
    MasterHeader header{};
    std::vector<MasterRecord> records;
    const Status status = ReadMasterFile(platform::PathNoCase(start, kMasterFileName), &header, &records);
    if (status != kStatusOk)
        return status;
    securities->clear();
    DirectoryWalkGuard guard(start);
    ListDirectory(start, &guard, securities);
    return kStatusOk;
}
} // namespace tavrix
