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
#include "marketdata/DirectoryTree.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/Securities.h"
#include "marketdata/Xmaster.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace tavrix;
using testing_support::Bytes;

namespace {
// The first <DIR> entry's name, when the file system holds it as one entry the walk would follow.
std::string FirstDirectoryName(const Bytes& master)
{
    std::size_t at = kMasterRecordSize;
    while (at + kMasterRecordSize <= master.size() && !IsDirectoryEntry(&master[at]))
        at += kMasterRecordSize;
    const std::string name = at + kMasterRecordSize <= master.size() ? DirectoryEntryName(&master[at]) : "";
    // A folder called MASTER beside the file of that name in another case is no real directory,
    // and one called XMASTER is an XMASTER that cannot be read, which refuses the listing.
    const bool usable = name != "." && name != ".." && name.find('/') == std::string::npos &&
                        platform::_stricmp(name.c_str(), kMasterFileName) != 0 &&
                        platform::_stricmp(name.c_str(), kXmasterFileName) != 0;
    return usable ? name : "";
}

// A MASTER that the reader takes: at least its header, at most 255 records and a cut-off piece.
bool Readable(const Bytes& bytes)
{
    return bytes.size() >= kMasterRecordSize && bytes.size() < kMasterRecordSize * (kMasterMaxSecurities + 2);
}

// The reader gives the header and every whole record exactly as the file holds them.
void CheckRead(const std::string& path, const Bytes& bytes)
{
    MasterFile file;
    const std::string error = ReadMasterFile(path, &file);
    if (!Readable(bytes))
    {
        FUZZ_CHECK(!error.empty(), "a file shorter than its header, or longer than any MASTER, was read");
        return;
    }
    FUZZ_CHECK(error.empty() && std::memcmp(file.header.data(), bytes.data(), kMasterRecordSize) == 0,
               "header misread");
    FUZZ_CHECK(file.records.size() == bytes.size() / kMasterRecordSize - 1, "records lost or invented");
    for (std::size_t i = 0; i < file.records.size(); ++i)
        FUZZ_CHECK(std::memcmp(file.records[i].data(), &bytes[(i + 1) * kMasterRecordSize], kMasterRecordSize) == 0,
                   "a record misread");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const int flags = data[0];
    const std::size_t topSize = std::min<std::size_t>(data[1] | data[2] << 8, size - 3);
    const Bytes top(data + 3, data + 3 + topSize);
    const Bytes sub(data + 3 + topSize, data + size);

    testing_support::TempDir dir;
    const std::string topPath = dir / ((flags & 1) ? "master" : "MASTER");
    testing_support::WriteBytes(topPath, top);
    const std::string subName = (flags & 2) ? FirstDirectoryName(top) : "";
    if (!subName.empty() && ::mkdir((dir / subName).c_str(), 0755) == 0)
    {
        testing_support::WriteBytes(dir / subName + "/MASTER", sub);
        const std::string linkName = (flags & 4) ? FirstDirectoryName(sub) : "";
        if (!linkName.empty())
            ::symlink((flags & 8) ? "." : "..", (dir / subName + "/" + linkName).c_str());
        CheckRead(dir / subName + "/MASTER", sub);
    }
    CheckRead(topPath, top);

    std::vector<Security> listed;
    const std::string listError = ListSecurities(dir.path(), &listed);
    FUZZ_CHECK(listError.empty() == Readable(top), "listing refused a sound MASTER or took an unsound one");

    // Keys: the symbols of the first listed securities, each of which must be found (another may
    // answer first), and the symbols and names of the first records of each file, listed or not.
    std::vector<std::pair<std::string, bool>> keys;
    for (std::size_t i = 0; i < listed.size() && i < 6; ++i)
        keys.push_back({listed[i].symbol, true});
    for (const Bytes* file : {&top, &sub})
        for (std::size_t at = kMasterRecordSize; at + kMasterRecordSize <= file->size() && at < 5 * kMasterRecordSize;
             at += kMasterRecordSize)
            keys.insert(keys.end(), {{RecordSymbol(&(*file)[at]), false}, {RecordName(&(*file)[at]), false}});
    for (const auto& [key, mustFind] : keys)
    {
        bool answered = mustFind;
        for (const Security& security : listed)
            answered = answered || SecurityMatchesKey(security, key.c_str());
        MasterRecord found{};
        std::string foundDirectory;
        const Status status = FindSecurity(dir.path(), key.c_str(), found.data(), &foundDirectory);
        // Whatever is found is listed, so it answers the key too: a search finds exactly when one answers.
        FUZZ_CHECK(status == (answered ? kStatusOk : kStatusFileNotFound),
                   "search status " + std::to_string(status) + " for '" + key + "'");
        if (status != kStatusOk)
            continue;
        FUZZ_CHECK(RecordMatchesKey(found.data(), key.c_str()), "found a security that does not match '" + key + "'");
        const auto isFound = [&](const Security& s) {
            return s.source == Security::kMaster && s.directory == foundDirectory &&
                   s.fileNumber == found[kRecFileNumber] && s.symbol == RecordSymbol(found.data());
        };
        FUZZ_CHECK(std::any_of(listed.begin(), listed.end(), isFound), "found an unlisted security by '" + key + "'");
    }
    std::ostringstream out;
    const int checked = cli::RunCheck(dir.path(), out, out);
    FUZZ_CHECK(checked == 0 || checked == 1, "check ended with " + std::to_string(checked));
    return 0;
}
