#pragma once

#include "settings/ConversionSettings.h"
#include "text/PriceLines.h"

#include <ostream>
#include <string>
#include <vector>

namespace tavrix {
class ConversionJob;
}

namespace tavrix::cli {
enum ExitCode
{
    kExitSuccess = 0,
    kExitFailed = 1,
    kExitUsage = 2,
};

struct ConvertOptions
{
    std::string input;
    ConversionSettings settings;
    bool saveSettings = false;
    bool strict = false;  // any row left out fails the conversion
    bool replace = false; // update: rewrite days whose values differ
};

// Says once on `err` that another conversion holds `directory` and this one waits for it.
void SayWaiting(std::ostream& err, const std::string& directory);
// The job's left-out rows policy (--strict or not), its notice of waiting for the directory and its warnings.
void SetUpJob(ConversionJob& job, bool strict, std::ostream& err);
// Why the job failed, in command-line words.
void PrintFailure(const ConversionJob& job, std::ostream& err);
// The rows left out, and the rows kept whose prices do not fit their own high and low.
void PrintReport(const PriceLineReport& report, std::ostream& err);
// The settings' date-format code, or ConversionJob::kAutoDateFormat.
int DateFormatOf(const ConversionSettings& settings);

// The date layout "auto": found from the rows.
constexpr const char* kAutoDateFormatName = "auto";

// Checks the settings as the dialog does, runs one conversion and reports the result line.
int RunConvert(ConvertOptions options, std::ostream& out, std::ostream& err);
// One conversion per input under one lock, each file's symbol taken from its name; a table at the end.
int RunConvertMany(ConvertOptions options, const std::vector<std::string>& inputs, std::ostream& out,
                   std::ostream& err);
// How an input would be read, and its first rows as they would be stored; changes nothing.
int RunInspect(ConvertOptions options, std::ostream& out, std::ostream& err);
// A file of many securities: new tickers become securities, held ones get their new days; a table at the end.
int RunMarket(ConvertOptions options, std::ostream& out, std::ostream& err);
// Adds an input's new days to an existing security.
int RunUpdate(ConvertOptions options, std::ostream& out, std::ostream& err);
// Removes one security and its files.
int RunRemove(const std::string& directory, const std::string& symbol, std::ostream& out, std::ostream& err);
// The securities of a directory tree, one line each.
int RunList(const std::string& directory, std::ostream& out, std::ostream& err);
// One security's price records as CSV with ISO dates.
int RunExport(const std::string& directory, const std::string& symbol, std::ostream& out, std::ostream& err);

} // namespace tavrix::cli
