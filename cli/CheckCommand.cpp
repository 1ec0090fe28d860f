#include "cli/CheckCommand.h"

#include "engine/DirectoryReading.h"
#include "marketdata/DirectoryCheck.h"

#include <sys/stat.h>

namespace tavrix::cli {
int RunCheck(const std::string& dir, std::ostream& out, std::ostream& err)
{
    struct stat st
    {
    };
    if (dir.empty() || ::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    {
        err << "check: " << dir << " is no directory\n";
        return 2;
    }
    // A cut-off change is put right first; one that cannot be is the first problem found.
    ReadingLock reading;
    CheckResult result;
    if (const JobError problem = reading.Acquire(dir); problem.Failed())
        result.findings.push_back({false, problem.path, problem.what + " " + problem.reason});
    const CheckResult tree = CheckDirectoryTree(dir);
    result.findings.insert(result.findings.end(), tree.findings.begin(), tree.findings.end());
    result.directories = tree.directories;
    result.securities = tree.securities;
    for (const CheckFinding& finding : result.findings)
        out << finding.file << ": " << (finding.note ? "note: " : "") << finding.text << "\n";
    const int problems = result.Problems();
    const int notes = result.Notes();
    out << result.securities << (result.securities == 1 ? " security" : " securities") << " in " << result.directories
        << (result.directories == 1 ? " directory" : " directories") << ": "
        << (problems == 0 ? "no" : std::to_string(problems)) << (problems == 1 ? " problem" : " problems") << ", "
        << notes << (notes == 1 ? " note" : " notes") << "\n";
    return problems == 0 ? 0 : 1;
}
} // namespace tavrix::cli
