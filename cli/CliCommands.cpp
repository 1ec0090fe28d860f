#include "cli/CliCommands.h"

#include "engine/ConversionJob.h"
#include "engine/MarketConversion.h"
#include "engine/DirectoryReading.h"
#include "engine/SecurityExport.h"
#include "marketdata/Dates.h"
#include "marketdata/Securities.h"
#include "platform/Strings.h"
#include "settings/ProfileStore.h"
#include "settings/SettingsRules.h"

#include <algorithm>
#include <memory>
#include <sstream>

namespace tavrix::cli {
namespace {
std::string DateOrDash(double dateValue)
{
    const std::string iso = IsoDateText(dateValue);
    return iso.empty() ? "-" : iso;
}

// "Date Open High ..." for a listing, or "N fields" when the records are not known.
std::string FieldLabels(const RecordLayout& layout)
{
    if (!layout.Known())
        return std::to_string(layout.fieldCount) + " fields";
    std::string labels;
    for (const Field field : layout.fields)
    {
        labels += (labels.empty() ? "" : " ") + std::string(NamesOf(field).column);
        if (field == kFieldDate && layout.hasTime)
            labels += " Time";
    }
    return labels;
}

// The bar count a price file's header gives, or "-".
std::string RecordCountText(const Security& security)
{
    const long count = StoredRecordCount(security);
    return count < 0 ? "-" : std::to_string(count);
}
} // namespace

void SayWaiting(std::ostream& err, const std::string& directory)
{
    err << "Waiting for another job on " << directory << " to finish..." << std::endl;
}

void SetUpJob(ConversionJob& job, bool strict, std::ostream& err)
{
    job.m_nLeftOutPolicy = strict ? ConversionJob::kRefuseLeftOut : ConversionJob::kConvertOthers;
    job.m_onWaitForLock = [&err, &job] { SayWaiting(err, job.m_strPath); };
    job.m_onWarning = [&err](const std::string& warning) { err << warning << "\n"; };
}

void PrintFailure(const ConversionJob& job, std::ostream& err)
{
    err << job.m_error.Text(Audience::kCommandLine) << "\n";
}

void PrintReport(const PriceLineReport& report, std::ostream& err)
{
    if (report.leftOut > 0)
        err << report.Text() << "\n";
    if (const std::string range = report.OutsideRangeText(); !range.empty())
        err << range << "\n";
}

int DateFormatOf(const ConversionSettings& settings)
{
    return settings.m_strDateFormat == kAutoDateFormatName ? ConversionJob::kAutoDateFormat
                                                           : DateFormatCode(settings.m_strDateFormat.c_str());
}

int RunConvert(ConvertOptions options, std::ostream& out, std::ostream& err)
{
    const std::string problem = rules::CheckSettings(options.settings);
    if (!problem.empty())
    {
        err << problem << "\n";
        return kExitUsage;
    }
    std::unique_ptr<ProfileStore> store;
    if (options.saveSettings)
        store = CreateProfileStore();
    ConversionJob job(store.get());
    options.settings.ApplyToJob(job, options.input, DateFormatOf(options.settings));
    SetUpJob(job, options.strict, err);
    const int result = job.Run();
    if (!job.ReadAs().empty())
        err << job.ReadAs() << "\n";
    if (result != 0)
    {
        PrintFailure(job, err);
        err << "Conversion failed.\n";
        return kExitFailed;
    }
    if (const std::string note = rules::FieldSetNote(job.m_fields, job.Symbol()); !note.empty())
        err << note << "\n";
    PrintReport(job.m_leftOut, err);
    out << "Conversion completed successfully!\n" << job.Summary() << "\n";
    std::string settingsError;
    if (store)
    {
        // The desktop program keeps a layout by name: the one the rows were read with.
        options.settings.m_strDateFormat = DateFormatName(job.m_nDateFormat);
        settingsError = options.settings.Save(*store);
    }
    if (settingsError.empty())
        settingsError = job.m_strSettingsError;
    if (!settingsError.empty())
    {
        err << settingsError << "\n";
        return kExitFailed;
    }
    return kExitSuccess;
}

int RunInspect(ConvertOptions options, std::ostream& out, std::ostream& err)
{
    MarketConversion market;
    market.m_strInputPath = options.input;
    market.m_settings = options.settings;
    market.m_nDateFormat = DateFormatOf(options.settings);
    if (options.input != "-" && market.Inspect() == 0)
    {
        // A file of many securities: its tickers and their rows, then the first one's rows as stored.
        out << market.m_reading.description << "\n\nTicker\tName\tRows\tPeriod\n";
        for (const MarketConversion::Ticker& ticker : market.Tickers())
            out << platform::Latin1ToUtf8(ticker.symbol) << "\t" << platform::Latin1ToUtf8(ticker.name) << "\t"
                << ticker.rows.size() << "\t" << (ticker.problem.empty() ? ticker.period : "refused") << "\n";
        out << market.Tickers().size() << (market.Tickers().size() == 1 ? " ticker" : " tickers") << "\n";
        PriceLineRules rules = market.m_reading.rules;
        rules.skipRows = 0;
        PriceLineReader reader(rules);
        for (const long index : market.Tickers().front().rows)
        {
            const TextRow row = market.Row(static_cast<std::size_t>(index));
            reader.AddRowAt(row.text, row.length, index + 1);
        }
        RecordLayout layout;
        for (int field = 0; field < kFieldCount; ++field)
            if (rules.column[field] >= 0)
                layout.fields.push_back(static_cast<Field>(field));
        layout.fieldCount = static_cast<int>(layout.fields.size());
        const std::vector<PriceLine>& lines = reader.Lines();
        out << "\n" << platform::Latin1ToUtf8(market.Tickers().front().symbol) << ":\n";
        WriteBarsCsv(
            layout, std::vector<PriceBar>(lines.begin(), lines.begin() + std::min<std::size_t>(10, lines.size())), out);
        PrintReport(reader.Report(), out);
        return kExitSuccess;
    }
    ConversionJob job;
    options.settings.ApplyToJob(job, options.input, DateFormatOf(options.settings));
    const int result = job.Inspect();
    if (!job.ReadAs().empty())
        out << job.ReadAs() << "\n";
    if (result != 0)
    {
        PrintFailure(job, err);
        return kExitFailed;
    }
    // The first records as they would be stored, in the columns an export of the security has.
    const RecordLayout layout = job.Layout();
    const std::vector<PriceBar>& lines = job.Bars();
    out << "\n";
    WriteBarsCsv(layout, std::vector<PriceBar>(lines.begin(), lines.begin() + std::min<std::size_t>(10, lines.size())),
                 out);
    if (lines.size() > 10)
        out << "... " << lines.size() << " price records in all, " << IsoDayText(lines.front().day) << " to "
            << IsoDayText(lines.back().day) << "\n";
    PrintReport(job.m_leftOut, out);
    return kExitSuccess;
}

namespace {
// The directory tree's securities, read under its shared lock (held until `reading` goes); false
// after saying why not.
bool ReadListing(const std::string& directory, std::ostream& err, ReadingLock* reading,
                 std::vector<Security>* securities)
{
    if (const JobError problem = reading->Acquire(directory, [&] { SayWaiting(err, directory); }); problem.Failed())
    {
        err << problem.Text(Audience::kCommandLine) << "\n";
        return false;
    }
    if (const std::string error = ListSecurities(directory, securities); !error.empty())
    {
        err << error << "\n";
        return false;
    }
    return true;
}
} // namespace

int RunList(const std::string& directory, std::ostream& out, std::ostream& err)
{
    ReadingLock reading;
    std::vector<Security> securities;
    if (!ReadListing(directory, err, &reading, &securities))
        return kExitFailed;
    out << "File\tSymbol\tName\tFields\tFirst\tLast\tRecords\tDirectory\n";
    for (const Security& security : securities)
        out << "F" << security.fileNumber << "\t" << platform::Latin1ToUtf8(security.symbol) << "\t"
            << platform::Latin1ToUtf8(security.name) << "\t" << FieldLabels(security.layout) << "\t"
            << DateOrDash(security.firstDate) << "\t" << DateOrDash(security.lastDate) << "\t"
            << RecordCountText(security) << "\t" << security.directory << "\n";
    return kExitSuccess;
}

int RunExport(const std::string& directory, const std::string& symbol, std::ostream& out, std::ostream& err)
{
    std::string key;
    if (!rules::ToMasterText(symbol, &key).empty())
        key = symbol;
    ReadingLock reading;
    std::vector<Security> securities;
    if (!ReadListing(directory, err, &reading, &securities))
        return kExitFailed;
    const Security* found = SecurityNamedBy(securities, key.c_str());
    if (!found)
    {
        err << "No security " << symbol << " in " << directory << " or the directories it leads to.\n";
        return kExitFailed;
    }
    std::ostringstream csv;
    if (const std::string readError = WriteSecurityCsv(*found, csv); !readError.empty())
    {
        err << "Cannot read the prices of " << symbol << " in " << found->PriceFilePath() << ": " << readError << "\n";
        return kExitFailed;
    }
    out << csv.str();
    return kExitSuccess;
}
} // namespace tavrix::cli
