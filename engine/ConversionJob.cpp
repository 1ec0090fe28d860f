#include "engine/ConversionJob.h"

#include "engine/DirectoryChange.h"
#include "marketdata/Securities.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "settings/ProfileStore.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace tavrix {
namespace {
// A path with room for "/MASTER" within the 300 characters a directory file's path may have.
constexpr std::size_t kMaxOutputDirectory = 300 - 7;

// The absolute, resolved path of an existing directory; "" when there is none.
std::string ResolveDirectory(const std::string& path)
{
    char resolved[PATH_MAX];
    struct stat st
    {
    };
    if (path.empty() || !::realpath(path.c_str(), resolved) || ::stat(resolved, &st) != 0 || !S_ISDIR(st.st_mode))
        return "";
    return resolved;
}
} // namespace

ConversionJob::ConversionJob(ProfileStore* store) : m_pProfileStore(store) {}

ConversionJob::~ConversionJob() = default;

std::string ConversionJob::Symbol() const
{
    return m_settings.m_strSymbol.substr(0, kRecTextWidth);
}

std::string ConversionJob::Name() const
{
    return m_settings.m_strName.substr(0, kRecTextWidth);
}

int ConversionJob::Fail(JobError error)
{
    if (!m_error.Failed())
        m_error = std::move(error);
    return 1;
}

int ConversionJob::Run()
{
    m_error = {};
    m_strSettingsError.clear();
    if (!m_lines)
        m_leftOut = {}; // else the input was read already (Inspect) and its report stands
    const int result = [this] {
        if ((!m_lines && ReadInput()) || PrepareOutputDirectory() || CheckFieldCount() || CheckDuplicateSymbol() ||
            AddSecurity())
            return 1;
        if (m_pProfileStore)
        {
            const std::pair<const char*, std::string> entries[] = {
                {"Path", m_strPath}, {"Symbol", Symbol()}, {"Name", Name()}};
            for (const auto& [entry, text] : entries)
                if (!m_pProfileStore->WriteString("Setting", entry, text.c_str()) && m_strSettingsError.empty())
                    m_strSettingsError = m_pProfileStore->LastWriteError();
        }
        return ConvertInput();
    }();
    m_lock.Release();
    return result;
}

int ConversionJob::PrepareOutputDirectory()
{
    // Windows ignores blanks at the end of a path; the dialog hands them on, so do the same.
    const std::string given = m_settings.m_strPath;
    // A directory named for a new MASTER is made when its parent is there, without the blanks.
    const std::string trimmed = platform::TrimRight(given, " \t");
    if (m_settings.m_nExist != MasterChoice::kUseExisting && ResolveDirectory(given).empty() &&
        ResolveDirectory(trimmed).empty() && ::mkdir(trimmed.c_str(), 0777) != 0 && errno != EEXIST && errno != ENOENT)
        return Fail(FileError("Cannot make the directory", trimmed));
    m_strPath = ResolveDirectory(given);
    if (m_strPath.empty())
        m_strPath = ResolveDirectory(trimmed);
    if (m_strPath.empty())
    {
        JobError error;
        error.what = msg::kPathDoesNotExist;
        error.path = given;
        return Fail(error);
    }
    if (platform::CharacterCount(m_strPath) > kMaxOutputDirectory)
    {
        JobError error;
        error.what = "Path is too long";
        error.path = m_strPath;
        error.reason =
            "(the output directory may have at most " + std::to_string(kMaxOutputDirectory) + " characters).";
        return Fail(error);
    }

    // One writer at a time; the lock is held until the run ends. A batch has taken it already.
    if (!m_bLockHeldByCaller && !m_pSharedEdit && !m_lock.Acquire(m_strPath, m_onWaitForLock))
        return Fail(FileError("Cannot lock the output directory", m_strPath, m_lock.Error()));
    if (JobError problem = m_pSharedEdit ? JobError{} : DirectoryChange(m_strPath).Recover(); problem.Failed())
        return Fail(problem);
    if (m_pSharedEdit)
    {
        // The batch has read the master files and made a new MASTER where it was to.
        m_settings.m_nExist = m_pSharedEdit->MasterExisted() ? MasterChoice::kUseExisting : MasterChoice::kMakeNew;
        // Its name as the batch found it: looking again reads the whole directory, once per file.
        m_strMasterName = m_pSharedEdit->MasterName();
        m_strMasterPath = platform::JoinPath(m_strPath, m_strMasterName);
        return 0;
    }

    m_strMasterName = platform::FindNameNoCase(m_strPath, kMasterFileName);
    m_bMasterExists = !m_strMasterName.empty();
    if (!m_bMasterExists)
        m_strMasterName = kMasterFileName;
    m_strMasterPath = platform::JoinPath(m_strPath, m_strMasterName);
    switch (m_settings.m_nExist)
    {
    case MasterChoice::kAutomatic:
        m_settings.m_nExist = m_bMasterExists ? MasterChoice::kUseExisting : MasterChoice::kMakeNew;
        return 0;
    case MasterChoice::kUseExisting:
        if (m_bMasterExists)
            return 0;
        {
            JobError error;
            error.what = msg::kNoMasterFile;
            error.path = m_strPath;
            error.desktopAdvice = "\"Make New Master\" creates one.";
            error.commandLineAdvice = "--new-master makes one.";
            return Fail(error);
        }
    default:
        m_settings.m_nExist = MasterChoice::kMakeNew;
        if (!m_bMasterExists)
            return 0;
        {
            JobError error;
            error.what = msg::kMasterExists;
            error.path = m_strMasterPath;
            error.desktopAdvice = "\"Use Existing Master\" adds to it.";
            error.commandLineAdvice = "Leave out --new-master to add to it.";
            return Fail(error);
        }
    }
}

int ConversionJob::CheckFieldCount()
{
    if (m_fields.empty())
        m_fields = m_settings.FieldsOn();
    m_nFieldCount = static_cast<int>(m_fields.size());
    if (m_nFieldCount > 1)
        return 0;
    JobError error;
    error.what = msg::kMoreColumns;
    return Fail(error);
}

int ConversionJob::CheckDuplicateSymbol()
{
    const std::string symbol = Symbol();
    // A batch's securities so far are in its edit, not yet on disk.
    std::vector<Security> securities;
    if (m_pSharedEdit)
        for (const SecurityRef& ref : m_pSharedEdit->Matching(symbol))
            securities.push_back(m_pSharedEdit->Describe(ref));
    if (!UsesExistingMaster() && securities.empty())
        return 0;
    if (UsesExistingMaster())
    {
        std::vector<Security> listed;
        ListSecurities(m_strPath, &listed, false);
        securities.insert(securities.end(), listed.begin(), listed.end());
    }
    const Security* named = SecurityNamedBy(securities, symbol.c_str());
    if (!named)
        return 0;
    std::string where = named->directory;
    if (where.size() > 1 && where.back() == platform::kPathSeparator)
        where.pop_back();
    JobError error;
    error.what = msg::kDuplicateSymbol;
    error.reason = platform::Latin1ToUtf8(symbol) + " is already the symbol or name of a security in\n" + where;
    return Fail(error);
}

void ConversionJob::WarnAboutEmaster() const
{
    if (m_edit && !m_edit->EmasterWarning().empty() && m_onWarning)
        m_onWarning(m_edit->EmasterWarning());
}

std::string ConversionJob::PriceFileName() const
{
    return "F" + std::to_string(m_nFileNumber) + (m_nFileNumber > kMasterMaxSecurities ? ".MWD" : ".DAT");
}

std::string ConversionJob::Summary() const
{
    const std::string symbol = platform::Latin1ToUtf8(Symbol());
    if (m_nLineCount == 0)
        return symbol + ": no price records";
    return symbol + ": " + std::to_string(m_nLineCount) + (m_nLineCount == 1 ? " price record, " : " price records, ") +
           IsoDayText(m_nFirstDay) + " to " + IsoDayText(m_nLastDay) + ", " + PriceFileName() + " in " + m_strPath;
}
} // namespace tavrix
