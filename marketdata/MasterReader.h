#pragma once

#include "marketdata/Master.h"
#include "marketdata/Status.h"

#include <string>
#include <vector>

namespace tavrix {
// Reads a directory file whole: its header and every complete record after it, whatever the
// header's counters say. kStatusFileOpen, or kStatusFileRead when it is shorter than its header.
// `extraBytes` (optional) gets the length of a cut-off piece after the last whole record.
Status ReadMasterFile(const std::string& path, MasterHeader* header, std::vector<MasterRecord>* records,
                      std::size_t* extraBytes = nullptr);

struct ListedSecurity
{
    std::string directory; // ends in '/'
    MasterRecord record;   // as stored (dates still MBF)
};

// Every security of a directory tree in the order a search visits them: the records within the
// header's count in file order, then each <DIR> sub-directory in turn. Unreadable sub-directories
// are passed over; the starting directory's MASTER must be readable.
Status ListSecurities(const std::string& directory, std::vector<ListedSecurity>* securities);
} // namespace tavrix
