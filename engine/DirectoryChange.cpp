#include "engine/DirectoryChange.h"

#include "platform/FileOps.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrix {
namespace {
// Moves `from` to `to` only when nothing of that name exists; links are not followed.
bool RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a hard link fails on any existing name, link or not.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

std::string UniqueTemporaryName(const std::string& name)
{
    static std::atomic<unsigned> counter{0};
    return std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" + std::to_string(++counter) + "-" + name;
}
} // namespace

DirectoryChange::DirectoryChange(std::string directory) : m_directory(std::move(directory)) {}

DirectoryChange::~DirectoryChange()
{
    Abandon();
}

std::string DirectoryChange::PathOf(const std::string& name) const
{
    return platform::JoinPath(m_directory, name);
}

void DirectoryChange::RemoveLeftovers() const
{
    const std::string journalPath = PathOf(std::string(kTemporaryPrefix) + "journal");
    std::ifstream journal(journalPath);
    if (journal)
    {
        std::stringstream text;
        text << journal.rdbuf();
        RollBack(text.str());
    }
    DIR* handle = ::opendir(m_directory.c_str());
    if (!handle)
        return;
    const std::size_t prefixLength = std::strlen(kTemporaryPrefix);
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(handle))
        if (std::strncmp(entry->d_name, kTemporaryPrefix, prefixLength) == 0)
            leftovers.emplace_back(entry->d_name);
    ::closedir(handle);
    for (const std::string& name : leftovers)
        ::unlink(PathOf(name).c_str());
}

bool DirectoryChange::Step(const std::string& step)
{
    if (!m_stepHook || m_stepHook(step))
        return true;
    errno = EIO;
    return false;
}

bool DirectoryChange::Fail(const std::string& action, const Staged& file)
{
    m_error = FileError(action + " " + file.what, PathOf(file.name));
    Abandon();
    return false;
}

bool DirectoryChange::Stage(const std::string& name, const std::string& what, const std::vector<std::uint8_t>& content,
                            Mode mode)
{
    Staged file;
    file.name = name;
    file.what = what;
    file.temp = UniqueTemporaryName(name);
    file.mode = mode;
    const std::string temp = PathOf(file.temp);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return Fail("Cannot write", file);
    struct stat st
    {
    };
    if (::fstat(fd, &st) == 0)
        file.inode = st.st_ino;
    m_staged.push_back(file);
    // Flushed to disk with the journal in one go, at Commit.
    bool ok = Step("write " + name) && platform::WriteAll(fd, content.data(), content.size());
    const int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok)
    {
        errno = savedErrno ? savedErrno : errno;
        return Fail("Cannot write", file);
    }
    return true;
}

void DirectoryChange::StageRemoval(const std::string& name)
{
    m_removals.push_back(name);
}

bool DirectoryChange::Commit()
{
    // Old files are kept as links until the last rename, and the journal names every step, so a
    // run killed half-way is rolled back by the next one (RemoveLeftovers).
    for (Staged& file : m_staged)
        if (file.mode == kReplace)
        {
            const std::string keep = UniqueTemporaryName(file.name + ".old");
            if (::link(PathOf(file.name).c_str(), PathOf(keep).c_str()) == 0)
                file.keep = keep;
            else if (errno != ENOENT)
                return Fail("Cannot replace", file);
        }
    std::vector<Staged*> order;
    for (const Mode pass : {kCreate, kReplace})
        for (Staged& file : m_staged)
            if (file.mode == pass)
                order.push_back(&file);
    std::string journal;
    for (const Staged* file : order)
        journal += (file->mode == kCreate ? "C " : "R ") + std::to_string(file->inode) + " " +
                   (file->keep.empty() ? "-" : file->keep) + " " + file->name + "\n";
    const std::string journalPath = PathOf(std::string(kTemporaryPrefix) + "journal");
    if (!order.empty() && !WriteJournal(journalPath, journal))
        return Fail("Cannot write", *order.front());

    std::size_t done = 0;
    for (; done < order.size(); ++done)
    {
        Staged& file = *order[done];
        const std::string target = PathOf(file.name);
        const bool moved = Step("rename " + file.name) &&
                           (file.mode == kCreate ? RenameNoReplace(PathOf(file.temp), target)
                                                 : ::rename(PathOf(file.temp).c_str(), target.c_str()) == 0);
        if (!moved)
            break;
    }
    if (done < order.size())
    {
        const Staged& failed = *order[done];
        const int savedErrno = errno;
        RollBack(journal);
        ::unlink(journalPath.c_str());
        errno = savedErrno;
        return Fail(failed.mode == kCreate ? (errno == EEXIST ? "Will not overwrite" : "Cannot create")
                                           : "Cannot replace",
                    failed);
    }
    for (const Staged& file : m_staged)
        if (!file.keep.empty())
            ::unlink(PathOf(file.keep).c_str());
    m_staged.clear();
    for (const std::string& name : m_removals)
        ::unlink(PathOf(name).c_str());
    m_removals.clear();
    ::unlink(journalPath.c_str());
    platform::SyncDirectory(m_directory);
    return true;
}

bool DirectoryChange::WriteJournal(const std::string& path, const std::string& text) const
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = platform::WriteAll(fd, text.data(), text.size());
    ok = ::close(fd) == 0 && ok;
    // One flush for the staged files and the journal: they are on disk before anything is renamed.
    const int dir = ::open(m_directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ok = dir >= 0 && ::syncfs(dir) == 0 && ok;
    if (dir >= 0)
        ::close(dir);
    return ok;
}

void DirectoryChange::RollBack(const std::string& journal) const
{
    struct Entry
    {
        char mode;
        unsigned long long inode;
        std::string keep;
        std::string name;
    };
    std::vector<Entry> entries;
    std::istringstream lines(journal);
    std::string line;
    while (std::getline(lines, line))
    {
        std::istringstream fields(line);
        Entry entry{};
        fields >> entry.mode >> entry.inode >> entry.keep;
        fields.get();
        std::getline(fields, entry.name);
        if (fields.fail() && !fields.eof())
            return; // a torn journal: leave everything as it is
        if (entry.name.empty() || entry.name.find('/') != std::string::npos)
            return;
        entries.push_back(entry);
    }
    const auto inodeOf = [this](const std::string& name) -> unsigned long long {
        struct stat st
        {
        };
        return ::lstat(PathOf(name).c_str(), &st) == 0 ? st.st_ino : 0;
    };
    // The last rename decides: once it happened the change is whole and stays.
    if (entries.empty() || inodeOf(entries.back().name) == entries.back().inode)
        return;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    {
        if (it->keep != "-" && inodeOf(it->keep) != 0)
            ::rename(PathOf(it->keep).c_str(), PathOf(it->name).c_str());
        else if (inodeOf(it->name) == it->inode)
            ::unlink(PathOf(it->name).c_str());
    }
    platform::SyncDirectory(m_directory);
}

void DirectoryChange::Abandon()
{
    for (const Staged& file : m_staged)
    {
        ::unlink(PathOf(file.temp).c_str());
        if (!file.keep.empty())
            ::unlink(PathOf(file.keep).c_str());
    }
    m_staged.clear();
    m_removals.clear();
}
} // namespace tavrix
