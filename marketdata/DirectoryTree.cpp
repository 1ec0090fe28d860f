#include "marketdata/DirectoryTree.h"

#include "platform/FileOps.h"

#include <set>
#include <sys/stat.h>
#include <utility>

namespace tavrix {
namespace {
class Walk
{
public:
    Walk(const TreeVisitor& visit, const DeadEntryHandler& deadEntry) : m_visit(visit), m_deadEntry(deadEntry) {}

    bool Remember(const std::string& path)
    {
        struct stat st
        {
        };
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
        return m_visited.insert({st.st_dev, st.st_ino}).second;
    }

    // True when the walk is to stop.
    bool Visit(const std::string& path)
    {
        TreeDirectory directory;
        directory.path = path;
        const std::string name = platform::FindNameNoCase(path, kMasterFileName);
        if (name.empty())
            directory.masterError = "there is no MASTER file";
        else
        {
            directory.masterPath = path + name;
            directory.masterError = ReadMasterFile(directory.masterPath, &directory.master);
        }
        if (m_visit(directory))
            return true;
        if (!directory.masterError.empty())
            return false;
        const std::size_t visible = VisibleRecords(directory.master);
        for (std::size_t i = 0; i < visible; ++i)
        {
            const MasterRecord& record = directory.master.records[i];
            if (!IsDirectoryEntry(record.data()))
                continue;
            std::string why;
            const std::string sub = Enter(path, record, &why);
            if (sub.empty())
            {
                if (m_deadEntry)
                    m_deadEntry(directory, i, why);
                continue;
            }
            if (Visit(sub))
                return true;
        }
        return false;
    }

private:
    std::string Enter(const std::string& directory, const MasterRecord& record, std::string* why)
    {
        const std::string name = DirectoryEntryName(record.data());
        if (name.empty() || name == "." || name == ".." || name.find(platform::kPathSeparator) != std::string::npos)
        {
            *why = "names no sub-directory";
            return {};
        }
        const std::string actual = platform::FindNameNoCase(directory, name);
        struct stat st
        {
        };
        const std::string sub = directory + (actual.empty() ? name : actual) + platform::kPathSeparator;
        if (actual.empty() || ::stat(sub.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            *why = "leads to no directory";
        else if (sub.size() > kMaxWalkDirectory || !Remember(sub))
            *why = "leads back to a directory already visited, or its path is too long";
        else
            return sub;
        return {};
    }

    const TreeVisitor& m_visit;
    const DeadEntryHandler& m_deadEntry;
    std::set<std::pair<dev_t, ino_t>> m_visited;
};
} // namespace

std::string ReadMasterFile(const std::string& path, MasterFile* file)
{
    return ReadRecordFile(path, kMasterMaxSecurities, file);
}

std::size_t VisibleRecords(const MasterFile& file)
{
    const MasterHeader header = ReadMasterHeader(file.header.data());
    return header.count < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(header.count), file.records.size());
}

std::string TreeStart(const std::string& directory)
{
    std::string start = directory.empty() ? "." : directory;
    if (start.back() != platform::kPathSeparator)
        start.push_back(platform::kPathSeparator);
    return start;
}

void WalkDirectoryTree(const std::string& start, const TreeVisitor& visit, const DeadEntryHandler& deadEntry)
{
    Walk walk(visit, deadEntry);
    const std::string path = TreeStart(start);
    walk.Remember(path);
    walk.Visit(path);
}
} // namespace tavrix
