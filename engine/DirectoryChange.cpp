#include "engine/DirectoryChange.h"

#include "marketdata/DirectoryTree.h"
#include "marketdata/Emaster.h"
#include "marketdata/Master.h"
#include "marketdata/Securities.h"
#include "marketdata/Xmaster.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tavrix {
namespace {
constexpr const char* kJournalHeader = "tavrix change journal 2";
// A journal of a change to every security a directory can hold, with room to spare.
constexpr std::size_t kMaxJournalBytes = 64u << 20;

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

// A name that stays inside the directory: no separator, no blank or control character, not "." or "..".
bool IsPlainName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.size() > 255)
        return false;
    for (const char c : name)
        if (c == '/' || static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
            return false;
    return true;
}

bool IsTemporaryName(const std::string& name)
{
    return IsPlainName(name) && name.rfind(kTemporaryPrefix, 0) == 0 && name != DirectoryChange::kJournalName;
}

bool IsMasterFileName(const std::string& name)
{
    for (const char* master : {kMasterFileName, kEmasterFileName, kXmasterFileName, "MASTER.BAK"})
        if (platform::_stricmp(name.c_str(), master) == 0)
            return true;
    return false;
}

// One line of a journal, as the change wrote it.
struct Entry
{
    char kind = 0; // 'C' create, 'R' replace, 'D' delete
    std::string temp;
    unsigned long long inode = 0;
    std::string keep = "-";
    unsigned long long keepInode = 0;
    std::string name;
};

// Reads and checks a journal's form; "" when it checks out.
std::string ParseJournal(const std::string& text, std::vector<Entry>* entries)
{
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kJournalHeader)
        return "it is not a journal this program wrote";
    while (std::getline(lines, line))
    {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "end")
        {
            std::size_t count = 0;
            std::string rest;
            if (!(fields >> count) || (fields >> rest) || count != entries->size() || std::getline(lines, line))
                return "its end does not match its entries";
            return "";
        }
        Entry entry;
        entry.kind = kind.size() == 1 ? kind[0] : 0;
        bool read = false;
        if (entry.kind == 'C')
            read = static_cast<bool>(fields >> entry.temp >> entry.inode >> entry.name);
        else if (entry.kind == 'R')
            read =
                static_cast<bool>(fields >> entry.temp >> entry.inode >> entry.keep >> entry.keepInode >> entry.name);
        else if (entry.kind == 'D')
            read = static_cast<bool>(fields >> entry.inode >> entry.name);
        std::string rest;
        if (!read || (fields >> rest))
            return "a line is not one this program writes: " + line.substr(0, 80);
        if (!IsPlainName(entry.name) || (entry.kind != 'D' && !IsTemporaryName(entry.temp)) ||
            (entry.keep != "-" && !IsTemporaryName(entry.keep)))
            return "it names a file outside the directory or one of its own files: " + line.substr(0, 80);
        // A change writes master files and price and layout files, and deletes only the latter.
        if (PriceFileNumber(entry.name.c_str()) == 0 && (entry.kind == 'D' || !IsMasterFileName(entry.name)))
            return "it names a file no change " + std::string(entry.kind == 'D' ? "deletes" : "writes") + ": " +
                   line.substr(0, 80);
        entries->push_back(entry);
    }
    return "it is cut off";
}

unsigned long long InodeOf(const std::string& path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// The file numbers the master files at these paths list ("" for none): numbers whose price and
// layout files no change may delete.
std::set<int> ListedNumbers(const std::string& master, const std::string& xmaster)
{
    std::set<int> listed;
    MasterFile file;
    if (!master.empty() && ReadMasterFile(master, &file).empty())
        for (const MasterRecord& record : file.records)
            if (record[kRecFileNumber] != 0)
                listed.insert(record[kRecFileNumber]);
    XmasterFile above;
    if (!xmaster.empty() && ReadRecordFile(xmaster, kXmasterMaxRecords, &above).empty())
        for (const XmasterRecord& record : above.records)
            listed.insert(XmasterFileNumber(record));
    return listed;
}

// The file that stands as `master` once the change is put right: the one there now when it is
// finished; after a roll-back, the copy a replace kept, or none where it removes the change's own.
std::string MasterAfter(const std::string& directory, const std::vector<Entry>& entries, bool committed,
                        const char* master)
{
    const std::string found = platform::FindNameNoCase(directory, master);
    std::string path = found.empty() ? "" : platform::JoinPath(directory, found);
    if (committed)
        return path;
    unsigned long long inode = InodeOf(path);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    {
        if (it->kind == 'D' || platform::_stricmp(it->name.c_str(), master) != 0)
            continue;
        const std::string keep = platform::JoinPath(directory, it->keep);
        if (it->kind == 'R' && it->keep != "-")
        {
            if (InodeOf(keep) == it->keepInode)
                path = keep, inode = it->keepInode;
        }
        else if (inode != 0 && inode == it->inode)
            path.clear(), inode = 0;
    }
    return path;
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

bool DirectoryChange::ChangeWasCutOff(const std::string& directory)
{
    struct stat st
    {
    };
    return ::lstat(platform::JoinPath(directory, kJournalName).c_str(), &st) == 0;
}

JobError DirectoryChange::Recover() const
{
    const std::string journalPath = PathOf(kJournalName);
    std::vector<std::uint8_t> bytes;
    const bool haveJournal = ChangeWasCutOff(m_directory);
    std::string problem = haveJournal ? platform::ReadRegularFile(journalPath, kMaxJournalBytes, &bytes) : "";
    std::vector<Entry> entries;
    if (haveJournal && problem.empty())
        problem = ParseJournal(std::string(bytes.begin(), bytes.end()), &entries);

    // The last rename decides: once MASTER (the last file staged) is in place the change is whole.
    const Entry* last = nullptr;
    for (const Entry& entry : entries)
        if (entry.kind != 'D')
            last = &entry;
    const bool committed = last && InodeOf(PathOf(last->name)) == last->inode;
    if (haveJournal && problem.empty())
    {
        // The files the master files list once the change is put right: a journal that would
        // delete one of those is not ours to follow.
        const std::string master = MasterAfter(m_directory, entries, committed, kMasterFileName);
        const std::set<int> listed =
            ListedNumbers(master, MasterAfter(m_directory, entries, committed, kXmasterFileName));
        for (const Entry& entry : entries)
        {
            const bool ours = InodeOf(PathOf(entry.name)) == entry.inode;
            const bool deletes = committed ? entry.kind == 'D' : entry.kind == 'C';
            if (deletes && ours && listed.count(PriceFileNumber(entry.name.c_str())))
                problem = "it would delete " + entry.name + ", which the directory's master files list";
        }
        // MASTER goes in last, so a change cut off before it never touched it.
        if (!committed && InodeOf(master) != InodeOf(platform::PathNoCase(m_directory, kMasterFileName)))
            problem = "it would take away or replace MASTER, which the change never reached";
    }
    if (!problem.empty())
    {
        JobError error;
        error.what = "The directory holds an unfinished change that does not check out, so nothing is done:";
        error.path = journalPath;
        error.reason = problem + ".\nIf you know the directory is whole, delete that file.";
        return error;
    }

    if (committed)
        for (const Entry& entry : entries)
        {
            if (entry.kind == 'R' && entry.keep != "-" && InodeOf(PathOf(entry.keep)) == entry.keepInode)
                ::unlink(PathOf(entry.keep).c_str());
            if (entry.kind == 'D' && InodeOf(PathOf(entry.name)) == entry.inode)
                ::unlink(PathOf(entry.name).c_str());
        }
    else
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        {
            // A replaced file comes back from its link; a file the change made goes, if it is ours.
            if (it->kind == 'R' && it->keep != "-")
            {
                if (InodeOf(PathOf(it->keep)) == it->keepInode)
                    ::rename(PathOf(it->keep).c_str(), PathOf(it->name).c_str());
            }
            else if (it->kind != 'D' && InodeOf(PathOf(it->name)) == it->inode)
                ::unlink(PathOf(it->name).c_str());
        }
    if (haveJournal)
    {
        platform::SyncDirectory(m_directory);
        ::unlink(journalPath.c_str());
    }

    // Temporary files of killed runs: staged copies and links to replaced files no journal needs.
    if (DIR* handle = ::opendir(m_directory.c_str()))
    {
        std::vector<std::string> leftovers;
        while (const dirent* entry = ::readdir(handle))
            if (std::strncmp(entry->d_name, kTemporaryPrefix, std::strlen(kTemporaryPrefix)) == 0)
                leftovers.emplace_back(entry->d_name);
        ::closedir(handle);
        for (const std::string& name : leftovers)
            ::unlink(PathOf(name).c_str());
    }
    if (haveJournal)
        platform::SyncDirectory(m_directory);
    return {};
}

bool DirectoryChange::Step(const std::string& step)
{
    if (!m_stepHook || m_stepHook(step))
        return true;
    errno = EIO;
    return false;
}

bool DirectoryChange::Fail(const std::string& action, const std::string& what, const std::string& name)
{
    m_error = FileError(action + " " + what, PathOf(name));
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
        return Fail("Cannot write", what, name);
    struct stat st
    {
    };
    if (::fstat(fd, &st) == 0)
        file.inode = st.st_ino;
    m_staged.push_back(file);
    bool ok = Step("write " + name) && platform::WriteAll(fd, content.data(), content.size());
    // Start writing it out now; Commit waits for all of them at once.
    if (ok)
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    const int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (!ok)
    {
        errno = savedErrno ? savedErrno : errno;
        return Fail("Cannot write", what, name);
    }
    return true;
}

void DirectoryChange::StageRemoval(const std::string& name, const std::string& what)
{
    m_removals.push_back({name, what, 0});
}

bool DirectoryChange::FlushStaged()
{
    // What the change wrote, not the whole file system: other programs' unwritten data is theirs.
    // A few flushes at a time, so the file system can take them in one go rather than one by one.
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> failed{m_staged.size()};
    std::atomic<int> failedErrno{0};
    const auto flush = [&] {
        for (std::size_t i; (i = next++) < m_staged.size() && failed == m_staged.size();)
        {
            const int fd = ::open(PathOf(m_staged[i].temp).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            const bool ok = fd >= 0 && ::fdatasync(fd) == 0;
            const int error = errno;
            if (fd >= 0)
                ::close(fd);
            if (!ok)
            {
                failedErrno = error;
                failed = i;
            }
        }
    };
    std::vector<std::thread> workers;
    for (std::size_t i = 1; i < std::min<std::size_t>(m_staged.size(), 8); ++i)
        workers.emplace_back(flush);
    flush();
    for (std::thread& worker : workers)
        worker.join();
    if (failed == m_staged.size())
        return true;
    errno = failedErrno;
    const Staged& file = m_staged[failed];
    return Fail("Cannot write", file.what, file.name);
}

std::string DirectoryChange::JournalText() const
{
    std::string text = std::string(kJournalHeader) + "\n";
    std::size_t entries = 0;
    for (const Mode pass : {kCreate, kReplace})
        for (const Staged& file : m_staged)
            if (file.mode == pass)
            {
                text += pass == kCreate ? "C " + file.temp + " " + std::to_string(file.inode) + " " + file.name + "\n"
                                        : "R " + file.temp + " " + std::to_string(file.inode) + " " +
                                              (file.keep.empty() ? "-" : file.keep) + " " +
                                              std::to_string(file.keepInode) + " " + file.name + "\n";
                ++entries;
            }
    for (const Removal& removal : m_removals)
    {
        text += "D " + std::to_string(removal.inode) + " " + removal.name + "\n";
        ++entries;
    }
    return text + "end " + std::to_string(entries) + "\n";
}

bool DirectoryChange::WriteJournal(const std::string& text)
{
    // Written beside its name and renamed into place: the journal is there whole, or not at all.
    const std::string temp = PathOf(UniqueTemporaryName("journal"));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && Step("write journal") && platform::WriteAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    if (fd >= 0)
        ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), PathOf(kJournalName).c_str()) == 0;
    if (!ok)
    {
        const int error = errno ? errno : savedErrno;
        ::unlink(temp.c_str());
        errno = error;
        m_error = FileError("Cannot write the change journal", PathOf(kJournalName));
        Abandon();
        return false;
    }
    platform::SyncDirectory(m_directory);
    return true;
}

bool DirectoryChange::Commit()
{
    // Old files are kept as links until the last rename, and the journal names every step, so a
    // run killed half-way is put right by the next one (Recover).
    for (Staged& file : m_staged)
        if (file.mode == kReplace)
        {
            const std::string keep = UniqueTemporaryName(file.name + ".old");
            if (::link(PathOf(file.name).c_str(), PathOf(keep).c_str()) == 0)
            {
                file.keep = keep;
                file.keepInode = InodeOf(PathOf(keep));
            }
            else if (errno != ENOENT)
                return Fail("Cannot replace", file.what, file.name);
        }
    for (Removal& removal : m_removals)
    {
        // Only a price file is deleted: a directory, device or anything else of that name stays,
        // and so does everything else, since nothing is done.
        struct stat st
        {
        };
        if (::lstat(PathOf(removal.name).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        {
            m_error = FileError("Will not delete " + removal.what, PathOf(removal.name),
                                "It is not a regular file; nothing was changed.");
            Abandon();
            return false;
        }
        removal.inode = st.st_ino;
    }
    if (!FlushStaged() || !WriteJournal(JournalText()))
        return false;

    std::vector<Staged*> order;
    for (const Mode pass : {kCreate, kReplace})
        for (Staged& file : m_staged)
            if (file.mode == pass)
                order.push_back(&file);
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
        // Put back what was moved: the journal says what, and the directory is ours under the lock.
        for (std::size_t i = done; i-- > 0;)
        {
            const Staged& file = *order[i];
            if (!file.keep.empty())
                ::rename(PathOf(file.keep).c_str(), PathOf(file.name).c_str());
            else if (InodeOf(PathOf(file.name)) == file.inode)
                ::unlink(PathOf(file.name).c_str());
        }
        ::unlink(PathOf(kJournalName).c_str());
        platform::SyncDirectory(m_directory);
        errno = savedErrno;
        return Fail(failed.mode == kCreate ? (errno == EEXIST ? "Will not overwrite" : "Cannot create")
                                           : "Cannot replace",
                    failed.what, failed.name);
    }
    platform::SyncDirectory(m_directory);
    for (const Staged& file : m_staged)
        if (!file.keep.empty())
            ::unlink(PathOf(file.keep).c_str());
    m_staged.clear();
    // A file that could not be deleted keeps the journal, so the next job finishes the change.
    bool deleted = true;
    for (const Removal& removal : m_removals)
        if (InodeOf(PathOf(removal.name)) == removal.inode)
            deleted = Step("delete " + removal.name) && ::unlink(PathOf(removal.name).c_str()) == 0 && deleted;
    m_removals.clear();
    // Not flushed: a journal that comes back after a crash names a whole change, which the next
    // job only finishes.
    if (deleted)
        ::unlink(PathOf(kJournalName).c_str());
    return true;
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
