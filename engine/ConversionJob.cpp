#include "engine/ConversionJob.h"

#include "engine/DirectoryChange.h"
#include "engine/EngineMessages.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/Xmaster.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/Strings.h"
#include "settings/ProfileStore.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace tavrix {
namespace {
template <std::size_t N> void CopyBounded(char (&target)[N], const std::string& text)
{
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

// A path with room for "/MASTER" and its terminator in the 301-character path texts.
constexpr std::size_t kMaxOutputDirectory = 300 - 7;

std::string TrimTrailingBlanks(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

} // namespace

ConversionJob::ConversionJob(ProfileStore* store) : m_pProfileStore(store) {}

ConversionJob::~ConversionJob() = default;

void ConversionJob::SetPath(const std::string& path)
{
    CopyBounded(m_szPath, path);
}

void ConversionJob::SetSymbol(const std::string& symbol)
{
    CopyBounded(m_szSymbol, symbol);
}

void ConversionJob::SetName(const std::string& name)
{
    CopyBounded(m_szName, name);
}

int ConversionJob::Fail(const std::string& message)
{
    if (m_strFailure.empty())
        m_strFailure = message;
    return ReportFailure(message);
}

int ConversionJob::Run()
{
    m_strFailure.clear();
    m_strSettingsError.clear();
    m_strLeftOutReport.clear();
    const int result = [this] {
        if (PrepareOutputDirectory() || CheckFieldCount() || CheckDuplicateSymbol() || AddSecurity())
            return 1;
        if (m_pProfileStore)
        {
            const std::pair<const char*, const char*> entries[] = {
                {"Path", m_szPath}, {"Symbol", m_szSymbol}, {"Name", m_szName}};
            for (const auto& entry : entries)
                if (!m_pProfileStore->WriteString("Setting", entry.first, entry.second) && m_strSettingsError.empty())
                    m_strSettingsError = m_pProfileStore->LastWriteError();
        }
        return ConvertInput();
    }();
    m_lock.Release();
    return result;
}

int ConversionJob::PrepareOutputDirectory()
{
    // The job makes the output directory current, so a relative input path must be fixed first.
    if (!m_strInputPath.empty() && m_strInputPath != "-" && m_strInputPath[0] != platform::kPathSeparator)
    {
        char current[4096];
        if (platform::GetCurrentDirectoryA(sizeof current, current) < sizeof current)
            m_strInputPath = platform::JoinPath(current, m_strInputPath);
    }

    // Windows ignores blanks at the end of a path; the dialog hands them on, so do the same.
    if (!platform::SetCurrentDirectoryA(m_szPath) &&
        !platform::SetCurrentDirectoryA(TrimTrailingBlanks(m_szPath).c_str()))
        return Fail(std::string(msg::kPathDoesNotExist) + "\n" + m_szPath);

    char current[sizeof m_szPath];
    const platform::DWORD length = platform::GetCurrentDirectoryA(sizeof current, current);
    if (length == 0 || length >= sizeof current || length > kMaxOutputDirectory)
        return Fail(msg::kPathTooLong);
    std::memcpy(m_szPath, current, length + 1);

    // One writer at a time; the lock is held until the run ends.
    if (!m_bLockHeldByCaller && !m_lock.Acquire(m_szPath, m_onWaitForLock))
        return Fail("Cannot lock the output directory\n" + std::string(m_szPath) + "\n" + m_lock.Error());
    DirectoryChange(m_szPath).RemoveLeftovers();

    m_strMasterName = platform::FindNameNoCase(m_szPath, kMasterFileName);
    const bool exists = !m_strMasterName.empty();
    if (!exists)
        m_strMasterName = kMasterFileName;
    CopyBounded(m_szMasterPath, platform::JoinPath(m_szPath, m_strMasterName));
    if (m_bUseExistingMaster)
        return exists
                   ? 0
                   : Fail(std::string(msg::kNoMasterFile) + "\n\"Make New Master\" creates one in " + m_szPath + ".");
    if (exists)
        return Fail(std::string(msg::kMasterExists) + "\n" + m_szMasterPath);
    return 0;
}

int ConversionJob::CheckFieldCount()
{
    m_nFieldCount = 0;
    for (const int on : m_bFieldOn)
        m_nFieldCount += on != 0;
    return m_nFieldCount > 1 ? 0 : Fail(msg::kMoreColumns);
}

int ConversionJob::CheckDuplicateSymbol()
{
    if (!m_bUseExistingMaster)
        return 0;
    MasterRecord record{};
    std::string found;
    XmasterSecurity above{};
    if (FindSecurity(m_szPath, m_szSymbol, record.data(), &found) != kStatusOk &&
        FindXmasterSecurity(m_szPath, m_szSymbol, &above, &found) != kStatusOk)
        return 0;
    if (found.size() > 1 && found.back() == platform::kPathSeparator)
        found.pop_back();
    return Fail(std::string(msg::kDuplicateSymbol) + "\n" + platform::Latin1ToUtf8(m_szSymbol) +
                " is already the symbol or name of a security in\n" + found);
}

void ConversionJob::WarnAboutEmaster() const
{
    if (!m_image.emasterWarning.empty())
        platform::AfxMessageBox(m_image.emasterWarning, platform::MB_OK | platform::MB_ICONWARNING);
}

std::string ConversionJob::FileName(const char* extension) const
{
    return "F" + std::to_string(m_nFileNumber) + extension;
}

std::string ConversionJob::Summary() const
{
    if (m_nLineCount == 0)
        return platform::Latin1ToUtf8(m_szSymbol) + ": no price records";
    return platform::Latin1ToUtf8(m_szSymbol) + ": " + std::to_string(m_nLineCount) +
           (m_nLineCount == 1 ? " price record, " : " price records, ") + IsoDayText(m_nFirstDay) + " to " +
           IsoDayText(m_nLastDay) + ", " + FileName(".DAT") + " in " + m_szPath;
}
} // namespace tavrix
