#pragma once

#include "engine/JobError.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavrix {
// The one way a job changes an output directory: every new or changed file is written in full
// under a temporary name unique to the run, then renamed into place, new files first and the
// replaced ones in the order they were staged (MASTER last), and files to go are deleted after.
// Until Commit nothing the directory's readers see has changed; a failed Commit puts back what it
// had already moved. A journal written whole before the first rename lets the next job that opens
// the directory undo a change that was cut off, or finish one whose MASTER was already in place.
class DirectoryChange
{
public:
    enum Mode
    {
        kCreate,  // the name must not exist (nor a link of that name); never replaces anything
        kReplace, // takes the place of the file of that name, or creates it
    };

    explicit DirectoryChange(std::string directory);
    ~DirectoryChange();
    DirectoryChange(const DirectoryChange&) = delete;
    DirectoryChange& operator=(const DirectoryChange&) = delete;

    // Whether a cut-off change is waiting in `directory` (a journal is there): readers that may
    // not write must not show the directory then.
    static bool ChangeWasCutOff(const std::string& directory);
    // Puts right what a killed change left: rolls it back, or finishes it when its MASTER was
    // already in place, then deletes temporary files. Only safe under the directory's lock. A
    // journal that does not check out (a name outside the directory or not one a change writes, an
    // inode that is not the one it names, a file the master files list once it is put right) is
    // never acted on: the error says why, and nothing is touched.
    JobError Recover() const;

    // `name` is the final name inside the directory; `what` names the file in messages.
    bool Stage(const std::string& name, const std::string& what, const std::vector<std::uint8_t>& content, Mode mode);
    // Deleted after the staged files are in place (a security's files after MASTER no longer lists it).
    void StageRemoval(const std::string& name, const std::string& what);
    bool Commit();
    // Deletes the staged copies; the directory stays as it was.
    void Abandon();

    // What it could not do, naming the final file (never a temporary one), and why.
    const JobError& Error() const { return m_error; }

    // Test seam, asked before each step ("write F1.DAT", "rename MASTER", "delete F2.DAT",
    // "write journal"); false makes it fail.
    std::function<bool(const std::string& step)> m_stepHook;

    static constexpr const char* kJournalName = ".~tavrix-journal";

private:
    struct Staged
    {
        std::string name;
        std::string what;
        std::string temp;
        Mode mode;
        unsigned long long inode = 0;
        std::string keep; // a link to the file replaced, until the change is whole
        unsigned long long keepInode = 0;
    };
    struct Removal
    {
        std::string name;
        std::string what;
        unsigned long long inode = 0;
    };

    bool Step(const std::string& step);
    bool Fail(const std::string& action, const std::string& what, const std::string& name);
    std::string PathOf(const std::string& name) const;
    std::string JournalText() const;
    bool WriteJournal(const std::string& text);
    bool FlushStaged();

    std::string m_directory;
    std::vector<Staged> m_staged;
    std::vector<Removal> m_removals;
    JobError m_error;
};

// The prefix of every temporary name, so the next run can tell a leftover from a user's file.
constexpr const char* kTemporaryPrefix = ".~tavrix-";
} // namespace tavrix
