#include "engine/ConversionJob.h"

#include "engine/EngineMessages.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/Master.h"
#include "platform/FileOps.h"
#include "platform/ReplacementFile.h"
#include "settings/ProfileStore.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool IsReadableFile(const std::string& path)
{
    platform::FilePtr file = platform::OpenFile(path, "rb");
    struct stat st
    {
    };
    return file && ::fstat(::fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode);
}

std::string TrimTrailingBlanks(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}
} // namespace

ConversionJob::ConversionJob(ProfileStore* store) : m_pProfileStore(store) {}

ConversionJob::~ConversionJob()
{
    ClosePriceFile();
}

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

int ConversionJob::Run()
{
    if (PrepareOutputDirectory() || CheckFieldCount() || CheckDuplicateSymbol() || AddSecurity())
        return 1;
    if (m_pProfileStore)
    {
        m_pProfileStore->WriteString("Setting", "Path", m_szPath);
        m_pProfileStore->WriteString("Setting", "Symbol", m_szSymbol);
        m_pProfileStore->WriteString("Setting", "Name", m_szName);
    }
    if (m_bUseExistingMaster)
    {
        // Taken after the new record went in, so it already lists the new security.
        const std::string backup = std::string(m_szMasterPath) + ".BAK";
        platform::CopyFileA(m_szMasterPath, backup.c_str(), platform::FALSE);
    }
    return ConvertInput();
}

int ConversionJob::PrepareOutputDirectory()
{
    // The job makes the output directory current, so a relative input path must be fixed first.
    if (!m_strInputPath.empty() && m_strInputPath[0] != platform::kPathSeparator)
    {
        char current[4096];
        if (platform::GetCurrentDirectoryA(sizeof current, current) < sizeof current)
            m_strInputPath = platform::JoinPath(current, m_strInputPath);
    }

    // Windows ignores blanks at the end of a path; the dialog hands them on, so do the same.
    if (!platform::SetCurrentDirectoryA(m_szPath) &&
        !platform::SetCurrentDirectoryA(TrimTrailingBlanks(m_szPath).c_str()))
        return ReportFailure(msg::kPathDoesNotExist);

    char current[sizeof m_szPath];
    const platform::DWORD length = platform::GetCurrentDirectoryA(sizeof current, current);
    if (length == 0 || length >= sizeof current || length > kMaxOutputDirectory)
        return ReportFailure(msg::kPathTooLong);
    std::memcpy(m_szPath, current, length + 1);
    CopyBounded(m_szMasterPath, platform::PathNoCase(m_szPath, kMasterFileName));

    const bool exists = IsReadableFile(m_szMasterPath);
    if (m_bUseExistingMaster)
        return exists ? 0 : ReportFailure(msg::kNoMasterFile);
    if (exists || platform::FindNameNoCase(m_szPath, kMasterFileName) != "")
        return ReportFailure(msg::kMasterExists);

    const MasterRecord empty{};
    platform::ReplacementFile master(m_szMasterPath, std::string(m_szMasterPath) + ".~NU");
    if (!master.Open() || !master.Write(empty.data(), empty.size()) || !master.Commit())
        return ReportFailure("Cannot create the Master file\n" + std::string(m_szMasterPath) + "\n" + master.Error());
    return 0;
}

int ConversionJob::CheckFieldCount()
{
    m_nFieldCount = 0;
    for (const int on : m_bFieldOn)
        m_nFieldCount += on != 0;
    return m_nFieldCount > 1 ? 0 : ReportFailure(msg::kMoreColumns);
}

int ConversionJob::CheckDuplicateSymbol()
{
    if (!m_bUseExistingMaster)
        return 0;
    MasterRecord record{};
    return FindSecurity(m_szPath, m_szSymbol, record.data()) == kStatusOk ? ReportFailure(msg::kDuplicateSymbol) : 0;
}

std::string ConversionJob::PriceFilePath(std::uint8_t fileNumber, const char* extension) const
{
    // An F<n>.DAT copied from Windows may be spelled f3.dat; it is the same file.
    return platform::PathNoCase(m_szPath, "F" + std::to_string(fileNumber) + extension);
}

bool ConversionJob::OpenPriceFileForAppend(const std::string& path)
{
    ClosePriceFile();
    m_priceFile = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    return m_priceFile >= 0;
}

bool ConversionJob::AppendPriceRecord(const std::string&, const std::uint8_t* record, std::size_t size)
{
    while (size > 0)
    {
        const ssize_t written = ::write(m_priceFile, record, size);
        if (written <= 0)
            return false;
        record += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void ConversionJob::ClosePriceFile()
{
    if (m_priceFile >= 0)
        ::close(m_priceFile);
    m_priceFile = -1;
}
} // namespace tavrix

namespace tavrix {
std::string ConversionJob::Summary() const
{
    return std::string(m_szSymbol) + ": " + std::to_string(m_nLineCount) + " price records";
}
} // namespace tavrix
