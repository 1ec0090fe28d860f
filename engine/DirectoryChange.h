#pragma once

#include "engine/JobError.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavrix {
// The one way a job changes an output directory: every new or changed file is written in full
// under a temporary name unique to the run, then renamed into place, new files first and the
// replaced ones in the order they were staged (MASTER last). Until Commit nothing the directory's
// readers see has changed; a failed Commit puts back what it had already moved.
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

    // Deletes temporary files that killed runs left behind; only safe under the directory's lock.
    void RemoveLeftovers() const;

    // `name` is the final name inside the directory; `what` names the file in messages.
    bool Stage(const std::string& name, const std::string& what, const std::vector<std::uint8_t>& content, Mode mode);
    // Deleted after the staged files are in place (a security's files after MASTER no longer lists it).
    void StageRemoval(const std::string& name);
    bool Commit();
    // Deletes the staged copies; the directory stays as it was.
    void Abandon();

    // What it could not do, naming the final file (never a temporary one), and why.
    const JobError& Error() const { return m_error; }

    // Test seam, asked before each step ("write F1.DAT", "rename MASTER"); false makes it fail.
    std::function<bool(const std::string& step)> m_stepHook;

private:
    struct Staged
    {
        std::string name;
        std::string what;
        std::string temp;
        Mode mode;
        unsigned long long inode = 0;
        std::string keep; // a link to the file replaced, until the change is whole
    };

    bool Step(const std::string& step);
    bool Fail(const std::string& action, const Staged& file);
    std::string PathOf(const std::string& name) const;
    bool WriteJournal(const std::string& path, const std::string& text) const;
    // Undoes the renames of a change its journal describes, unless its last rename happened.
    void RollBack(const std::string& journal) const;

    std::string m_directory;
    std::vector<Staged> m_staged;
    std::vector<std::string> m_removals;
    JobError m_error;
};

// The prefix of every temporary name, so the next run can tell a leftover from a user's file.
constexpr const char* kTemporaryPrefix = ".~tavrix-";
} // namespace tavrix
