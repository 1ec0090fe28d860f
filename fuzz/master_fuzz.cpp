// A fuzzed MASTER and, below it, the sub-directory its first <DIR> entry names with a MASTER of its
// own. Reading, the security search, the listing and the check must end, and the search and the
// listing must agree: a key that some listed security answers is found, and whatever is found is
// listed.
//
// Input: a flag byte, the top file's length (two bytes, little-endian), the top file, the sub-file.
// Flags: 1 spell the top file "master"; 2 make the sub-directory; 4 put a link named by the
// sub-file's first <DIR> entry in it, leading back up (or, with 8, to itself).
#include "FuzzSupport.h"
#include "cli/CheckCommand.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/MasterReader.h"
#include "platform/Strings.h"

#include <cstring>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrix;

namespace {
// A name the file system can hold as one directory entry, and the walk would follow.
std::string FirstDirectoryName(const fuzz_support::Bytes& master)
{
    for (std::size_t offset = kMasterRecordSize; offset + kMasterRecordSize <= master.size();
         offset += kMasterRecordSize)
    {
        if (!IsDirectoryEntry(&master[offset]))
            continue;
        const std::string name = DirectoryEntryName(&master[offset]);
        // A folder called MASTER beside the file of that name in another case is no real directory.
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
            platform::_stricmp(name.c_str(), kMasterFileName) == 0)
            return "";
        return name;
    }
    return "";
}

void CheckReadMasterFile(const std::string& path, const fuzz_support::Bytes& bytes)
{
    MasterHeader header{};
    std::vector<MasterRecord> records;
    const Status status = ReadMasterFile(path, &header, &records);
    if (bytes.size() < static_cast<std::size_t>(kMasterRecordSize))
    {
        FUZZ_CHECK(status == kStatusFileRead, "a file shorter than its header was read");
        return;
    }
    FUZZ_CHECK(status == kStatusOk, "a whole header was not read");
    FUZZ_CHECK(records.size() == bytes.size() / kMasterRecordSize - 1, "records lost or invented");
    const MasterHeader expected = ReadMasterHeader(bytes.data());
    FUZZ_CHECK(header.count == expected.count && header.count2 == expected.count2, "header counters misread");
    for (std::size_t i = 0; i < records.size(); ++i)
        FUZZ_CHECK(std::memcmp(records[i].data(), &bytes[(i + 1) * kMasterRecordSize], kMasterRecordSize) == 0,
                   "a record reads back differently");
}

// More search keys: the symbols and names of the first records of each file, listed or not.
void AddKeys(const fuzz_support::Bytes& master, std::vector<std::pair<std::string, bool>>* keys)
{
    for (std::size_t offset = kMasterRecordSize, n = 0; offset + kMasterRecordSize <= master.size() && n < 4;
         offset += kMasterRecordSize, ++n)
    {
        keys->push_back({RecordSymbol(&master[offset]), false});
        keys->push_back({RecordName(&master[offset]), false});
    }
}

bool SameSecurity(const ListedSecurity& listed, const std::string& directory, const MasterRecord& found)
{
    MasterRecord record = listed.record;
    MbfToIeee(&record[kRecFirstDate], &record[kRecFirstDate]);
    MbfToIeee(&record[kRecLastDate], &record[kRecLastDate]);
    return listed.directory == directory && record == found;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const int flags = data[0];
    const std::size_t topSize = std::min<std::size_t>(data[1] | data[2] << 8, size - 3);
    const fuzz_support::Bytes top(data + 3, data + 3 + topSize);
    const fuzz_support::Bytes sub(data + 3 + topSize, data + size);

    fuzz_support::ScratchDir dir;
    const std::string topPath = dir / ((flags & 1) ? "master" : "MASTER");
    fuzz_support::WriteFile(topPath, top.data(), top.size());
    const std::string subName = (flags & 2) ? FirstDirectoryName(top) : "";
    if (!subName.empty() && ::mkdir((dir / subName).c_str(), 0755) == 0)
    {
        fuzz_support::WriteFile(dir / subName + "/MASTER", sub.data(), sub.size());
        const std::string linkName = (flags & 4) ? FirstDirectoryName(sub) : "";
        if (!linkName.empty())
            ::symlink((flags & 8) ? "." : "..", (dir / subName + "/" + linkName).c_str());
        CheckReadMasterFile(dir / subName + "/MASTER", sub);
    }
    CheckReadMasterFile(topPath, top);

    std::vector<ListedSecurity> listed;
    const Status listStatus = ListSecurities(dir.path(), &listed);
    FUZZ_CHECK(listStatus == (top.size() < static_cast<std::size_t>(kMasterRecordSize) ? kStatusFileRead : kStatusOk),
               "listing status " + std::to_string(listStatus));

    // Each listed security must be found by its own symbol (another one may answer first).
    std::vector<std::pair<std::string, bool>> keys;
    for (std::size_t i = 0; i < listed.size() && i < 6; ++i)
        keys.push_back({RecordSymbol(listed[i].record.data()), true});
    AddKeys(top, &keys);
    AddKeys(sub, &keys);
    for (const auto& [key, mustFind] : keys)
    {
        bool answered = mustFind;
        for (const ListedSecurity& security : listed)
            answered = answered || RecordMatchesKey(security.record.data(), key.c_str());
        MasterRecord found{};
        std::string foundDirectory;
        const Status status = FindSecurity(dir.path(), key.c_str(), found.data(), &foundDirectory);
        FUZZ_CHECK(status == kStatusOk || status == kStatusFileNotFound,
                   "search status " + std::to_string(status) + " for key '" + key + "'");
        FUZZ_CHECK(!answered || status == kStatusOk,
                   "a listed security is not found by key '" + key + "'");
        if (status != kStatusOk)
            continue;
        FUZZ_CHECK(RecordMatchesKey(found.data(), key.c_str()),
                   "found a security that does not match '" + key + "'");
        bool isListed = false;
        for (const ListedSecurity& security : listed)
            isListed = isListed || SameSecurity(security, foundDirectory, found);
        FUZZ_CHECK(isListed, "found a security that is not listed, key '" + key + "' in " +
                                 foundDirectory);
    }
    std::ostringstream out;
    std::ostringstream err;
    const int checked = cli::RunCheck(dir.path(), out, err);
    FUZZ_CHECK(checked == 0 || checked == 1, "check of a directory ended with " + std::to_string(checked));
    return 0;
}
