#include "cli/CliCommands.h"

#include "engine/BatchConversion.h"
#include "engine/ConversionJob.h"
#include "engine/MarketConversion.h"
#include "marketdata/Dates.h"
#include "platform/Strings.h"
#include "settings/SettingsRules.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace tavrix::cli {
namespace {

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}
} // namespace

int RunConvertMany(ConvertOptions options, const std::vector<std::string>& inputs, std::ostream& out, std::ostream& err)
{
    if (std::find(inputs.begin(), inputs.end(), "-") != inputs.end())
    {
        err << "Standard input (-) cannot be one of several files: it has no name to give its symbol.\n";
        return kExitUsage;
    }
    if (options.saveSettings)
    {
        err << "--save-settings takes one input file.\n";
        return kExitUsage;
    }
    BatchConversion batch;
    batch.m_settings = options.settings;
    batch.m_nDateFormat = DateFormatOf(options.settings);
    batch.m_nLeftOutPolicy = options.strict ? ConversionJob::kRefuseLeftOut : ConversionJob::kConvertOthers;
    batch.m_onWaitForLock = [&err, &batch] { SayWaiting(err, batch.m_strPath); };
    const bool progress = ::isatty(STDERR_FILENO) == 1;
    if (progress)
        batch.m_onProgress = [&err](std::size_t index, std::size_t count, const std::string& input) {
            err << "\rConverting " << index + 1 << " of " << count << ": " << input << "\x1b[K" << std::flush;
        };
    std::string warnings;
    batch.m_onWarning = [&warnings](const std::string& warning) { warnings += warning + "\n"; };
    for (const std::string& input : inputs)
    {
        std::string symbol;
        const std::string problem = rules::ToMasterText(SymbolOfFile(input), &symbol);
        batch.m_files.push_back({input, problem.empty() ? symbol : SymbolOfFile(input), ""});
    }
    if (batch.Run() != 0 && batch.m_error.Failed())
    {
        err << batch.m_error.Text(Audience::kCommandLine) << "\n";
        return kExitFailed;
    }
    if (progress)
        err << "\r\x1b[K" << std::flush;
    if (!warnings.empty())
        err << warnings;
    out << "File\tSymbol\tRecords\tFirst\tLast\tResult\n";
    for (const BatchOutcome& outcome : batch.m_outcomes)
    {
        out << outcome.input << "\t" << platform::Latin1ToUtf8(outcome.symbol) << "\t";
        if (outcome.converted)
            out << outcome.records << "\t" << IsoDayText(outcome.firstDay) << "\t" << IsoDayText(outcome.lastDay)
                << "\t" << outcome.ConvertedText() << "\n";
        else
            out << "-\t-\t-\t" << (outcome.skipped ? "skipped: " : "failed: ") << FirstLine(outcome.error.what) << "\n";
    }
    out << batch.Converted() << " of " << inputs.size() << " files converted into " << batch.m_strPath << "\n";
    // How the files were read: once when all were read alike, else with each file's name.
    const std::string shared = batch.SharedReading();
    if (!shared.empty())
        err << shared << "\n";
    // The reasons, after the table's own words, each line led by its file's name.
    for (const BatchOutcome& outcome : batch.m_outcomes)
    {
        const std::string reason = outcome.converted ? (outcome.leftOut.leftOut ? outcome.leftOut.Text() : "")
                                                     : outcome.error.Text(Audience::kCommandLine);
        const std::string readAs = shared.empty() ? outcome.readAs : "";
        const std::string text = readAs + (readAs.empty() || reason.empty() ? "" : "\n") + reason;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            err << outcome.input << ": " << line << "\n";
    }
    return batch.Converted() == static_cast<int>(inputs.size()) ? kExitSuccess : kExitFailed;
}

int RunMarket(ConvertOptions options, std::ostream& out, std::ostream& err)
{
    if (options.saveSettings)
    {
        err << "--save-settings takes a file of one security.\n";
        return kExitUsage;
    }
    MarketConversion market;
    market.m_strInputPath = options.input;
    market.m_settings = options.settings;
    market.m_nDateFormat = DateFormatOf(options.settings);
    market.m_bReplace = options.replace;
    market.m_bStrict = options.strict;
    market.m_onWaitForLock = [&err, &market] { SayWaiting(err, market.m_strPath); };
    market.m_onWarning = [&err](const std::string& warning) { err << warning << "\n"; };
    const bool progress = ::isatty(STDERR_FILENO) == 1;
    if (progress)
        market.m_onProgress = [&err](std::size_t index, std::size_t count, const std::string& ticker) {
            err << "\rReading " << index + 1 << " of " << count << ": " << ticker << "\x1b[K" << std::flush;
        };
    const int result = market.Run();
    if (progress)
        err << "\r\x1b[K" << std::flush;
    if (!market.m_reading.description.empty())
        err << market.m_reading.description << "\n";
    if (market.m_error.Failed())
    {
        err << market.m_error.Text(Audience::kCommandLine) << "\n";
        if (market.m_error.what.rfind("The input names no securities", 0) == 0)
        {
            err << "--symbol is required for a file of one security.\n";
            return kExitUsage;
        }
        return kExitFailed;
    }
    out << "Ticker\tChange\tRecords\tFirst\tLast\tResult\n";
    for (const TickerOutcome& outcome : market.m_outcomes)
    {
        out << platform::Latin1ToUtf8(outcome.ticker) << "\t"
            << (outcome.change == TickerOutcome::kNew     ? "new"
                : outcome.change == TickerOutcome::kAdded ? "added"
                                                          : "-")
            << "\t";
        if (outcome.converted)
            out << outcome.records << "\t" << IsoDayText(outcome.firstDay) << "\t" << IsoDayText(outcome.lastDay)
                << "\t" << outcome.ConvertedText() << "\n";
        else
            out << "-\t-\t-\tfailed: " << FirstLine(outcome.error.what) << "\n";
    }
    out << market.Converted() << " of " << market.m_outcomes.size() << " tickers went into " << market.m_strPath
        << "\n";
    for (const TickerOutcome& outcome : market.m_outcomes)
    {
        std::string text = outcome.converted ? "" : outcome.error.Text(Audience::kCommandLine);
        if (outcome.converted && outcome.leftOut.leftOut > 0)
            text = outcome.leftOut.Text();
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            err << platform::Latin1ToUtf8(outcome.ticker) << ": " << line << "\n";
    }
    return result == 0 ? kExitSuccess : kExitFailed;
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
    const int result = job.Update(options.replace);
    if (!job.ReadAs().empty())
        err << job.ReadAs() << "\n";
    if (result != 0)
    {
        PrintFailure(job, err);
        err << "Update failed.\n";
        return kExitFailed;
    }
    PrintReport(job.m_leftOut, err);
    out << platform::Latin1ToUtf8(job.Symbol()) << ": " << job.UpdateSummary() << "\n";
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
