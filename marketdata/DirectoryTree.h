#pragma once

#include "marketdata/Master.h"
#include "marketdata/RecordFile.h"

#include <functional>
#include <string>

namespace tavrix {
using MasterFile = RecordFile<kMasterRecordSize>;

// Reads a MASTER file whole (never more than the largest sound one): "" on success, else why not.
std::string ReadMasterFile(const std::string& path, MasterFile* file);
// The records readers visit: as many as the header counts, never more than the file holds.
std::size_t VisibleRecords(const MasterFile& file);

// Longest directory text a walk builds (with the separator at its end).
constexpr std::size_t kMaxWalkDirectory = 303;

// The directory a walk starts from: "." for "", always ending in '/'.
std::string TreeStart(const std::string& directory);

// One directory of a tree, as a walk meets it.
struct TreeDirectory
{
    std::string path;        // ends in '/'
    std::string masterPath;  // MASTER as it is spelled there; "" when there is none
    std::string masterError; // why MASTER could not be read; "" when it was
    MasterFile master;
};

// Visits `start`, then the sub-directory of each <DIR> entry among the visible records of a MASTER
// read, depth-first in record order, until `visit` returns true. Each directory is entered once
// (entries that lead back up or loop through links are passed over), and no path grows past
// kMaxWalkDirectory, so the walk always ends. `deadEntry` (optional) hears of each <DIR> entry
// that leads nowhere, with the record's index and why.
using TreeVisitor = std::function<bool(const TreeDirectory& directory)>;
using DeadEntryHandler = std::function<void(const TreeDirectory& parent, std::size_t record, const std::string& why)>;
void WalkDirectoryTree(const std::string& start, const TreeVisitor& visit, const DeadEntryHandler& deadEntry = {});
} // namespace tavrix
