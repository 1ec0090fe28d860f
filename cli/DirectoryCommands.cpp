#include "cli/CliCommands.h"

#include "engine/ConversionJob.h"
#include "marketdata/Dates.h"
#include "platform/DirectoryLock.h"
#include "platform/Strings.h"
#include "settings/SettingsRules.h"

#include <climits>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace tavrix::cli {
namespace {

int DateFormatOf(const ConversionSettings& settings)
{
    return settings.m_strDateFormat == kAutoDateFormatName ? ConversionJob::kAutoDateFormat
                                                           : DateFormatCode(settings.m_strDateFormat.c_str());
}

// The file's name without its folder and last extension, upper-cased, as a symbol.
std::string SymbolOfFile(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return platform::UpperLatin1(name);
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}
} // namespace

int RunConvertMany(ConvertOptions options, const std::vector<std::string>& inputs, std::ostream& out, std::ostream& err)
{
    if (options.saveSettings)
    {
        err << "--save-settings takes one input file.\n";
        return kExitUsage;
    }
    char resolved[PATH_MAX];
    const std::string directory =
        ::realpath(options.settings.m_strPath.c_str(), resolved) ? resolved : options.settings.m_strPath;
    platform::DirectoryLock lock;
    if (!lock.Acquire(directory, [&err, &directory] { SayWaiting(err, directory); }))
    {
        err << "Cannot use the output directory\n" << directory << "\n" << lock.Error() << "\n";
        return kExitFailed;
    }
    const bool progress = ::isatty(STDERR_FILENO) == 1;
    bool newMaster = options.settings.m_nExist == MasterChoice::kMakeNew;
    int converted = 0;
    std::vector<std::vector<std::string>> table;
    for (std::size_t i = 0; i < inputs.size(); ++i)
    {
        const std::string& input = inputs[i];
        if (progress)
            err << "\rConverting " << i + 1 << " of " << inputs.size() << ": " << input << "\x1b[K" << std::flush;
        ConversionSettings settings = options.settings;
        settings.m_strPath = directory;
        settings.m_strName.clear();
        settings.m_nExist = newMaster ? MasterChoice::kMakeNew : MasterChoice::kUseExisting;
        std::string symbol;
        std::string problem = rules::ToMasterText(SymbolOfFile(input), &symbol);
        settings.m_strSymbol = symbol;
        if (problem.empty())
            problem = rules::CheckSettings(settings);
        std::vector<std::string> row = {input, platform::Latin1ToUtf8(settings.m_strSymbol), "-", "-", "-"};
        if (!problem.empty())
        {
            row.push_back("skipped: " + FirstLine(problem));
            table.push_back(row);
            continue;
        }
        std::ostringstream messages;
        ConversionJob job;
        settings.ApplyToJob(job, input, DateFormatOf(settings));
        SetUpJob(job, options.strict, messages);
        job.m_bLockHeldByCaller = true;
        if (job.Run() == 0)
        {
            ++converted;
            newMaster = false;
            row[2] = std::to_string(job.m_nLineCount);
            row[3] = IsoDayText(job.m_nFirstDay);
            row[4] = IsoDayText(job.m_nLastDay);
            const PriceLineReport& leftOut = job.m_leftOut;
            row.push_back(leftOut.leftOut == 0 ? "converted"
                                               : "converted; " + std::to_string(leftOut.leftOut) + " of " +
                                                     std::to_string(leftOut.rows) + " rows left out");
            if (leftOut.leftOut > 0)
                messages << leftOut.Text() << "\n";
        }
        else
        {
            row.push_back("failed: " + FirstLine(job.m_error.what));
            PrintFailure(job, messages);
        }
        std::istringstream lines(messages.str());
        for (std::string line; std::getline(lines, line);)
            err << (progress ? "\r\x1b[K" : "") << input << ": " << line << "\n";
        table.push_back(row);
    }
    if (progress)
        err << "\r\x1b[K" << std::flush;
    out << "File\tSymbol\tRecords\tFirst\tLast\tResult\n";
    for (const auto& row : table)
        for (std::size_t column = 0; column < row.size(); ++column)
            out << row[column] << (column + 1 < row.size() ? "\t" : "\n");
    out << converted << " of " << inputs.size() << " files converted into " << directory << "\n";
    return converted == static_cast<int>(inputs.size()) ? kExitSuccess : kExitFailed;
}

int RunUpdate(ConvertOptions options, std::ostream& out, std::ostream& err)
{
    ConversionSettings& settings = options.settings;
    settings.m_nExist = MasterChoice::kUseExisting;
    const std::string problem = rules::CheckSettings(settings);
    if (!problem.empty())
    {
        err << problem << "\n";
        return kExitUsage;
    }
    ConversionJob job;
    settings.ApplyToJob(job, options.input, DateFormatOf(settings));
    SetUpJob(job, options.strict, err);
    if (job.Update(options.replace) != 0)
    {
        PrintFailure(job, err);
        err << "Update failed.\n";
        return kExitFailed;
    }
    if (settings.m_strDateFormat == kAutoDateFormatName)
        err << "Date layout found: " << DateFormatName(job.m_nDateFormat) << "\n";
    if (job.m_leftOut.leftOut > 0)
        err << job.m_leftOut.Text() << "\n";
    out << platform::Latin1ToUtf8(job.Symbol()) << ": " << job.m_nAdded
        << (job.m_nAdded == 1 ? " record added" : " records added");
    if (job.m_nAdded > 0)
        out << ", " << IsoDayText(job.m_nFirstDay) << " to " << IsoDayText(job.m_nLastDay);
    out << "; " << job.m_nAlreadyPresent << (job.m_nAlreadyPresent == 1 ? " row was" : " rows were")
        << " already present";
    if (job.m_nReplaced > 0)
        out << "; " << job.m_nReplaced << (job.m_nReplaced == 1 ? " day replaced" : " days replaced");
    out << "\n";
    return kExitSuccess;
}

int RunRemove(const std::string& directory, const std::string& symbol, std::ostream& out, std::ostream& err)
{
    std::string key;
    const std::string problem = rules::ToMasterText(symbol, &key);
    if (!problem.empty())
    {
        err << problem << "\n";
        return kExitUsage;
    }
    ConversionJob job;
    job.m_settings.m_strPath = directory;
    job.m_settings.m_strSymbol = key;
    SetUpJob(job, false, err);
    if (job.Remove() != 0)
    {
        PrintFailure(job, err);
        err << "Nothing was removed.\n";
        return kExitFailed;
    }
    out << "Removed " << symbol << " (F" << static_cast<int>(job.m_nFileNumber) << ") from " << job.m_strPath << "\n";
    return kExitSuccess;
}
} // namespace tavrix::cli
