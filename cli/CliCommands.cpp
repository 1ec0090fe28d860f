#include "cli/CliCommands.h"

#include "engine/ConversionJob.h"
#include "marketdata/Dates.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/MasterReader.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "settings/ProfileStore.h"
#include "settings/SettingsRules.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tavrix::cli {
namespace {
const char* const kColumnNames[kFieldCount] = {"Date", "Open", "High", "Low", "Close", "Volume", "OpenInterest"};

// A date value such as 1000103 as 2000-01-03; "-" for a value that names no day.
std::string IsoDate(float dateValue)
{
    const long value = static_cast<long>(dateValue);
    const long month = value / 100 % 100;
    const long day = value % 100;
    if (value <= 0 || static_cast<float>(value) != dateValue || month < 1 || month > 12 || day < 1 || day > 31)
        return "-";
    char text[48];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", value / 10000 + 1900, month, day);
    return text;
}

// The shortest text that reads back as the same single.
std::string ShortestText(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::vector<Field> FieldsOf(const std::string& directory, const MasterRecord& record)
{
    std::vector<Field> fields;
    const std::string layout = platform::PathNoCase(directory, "F" + std::to_string(record[kRecFileNumber]) + ".DOP");
    if (ReadFieldLayoutFile(layout, &fields) == kStatusOk && static_cast<int>(fields.size()) == record[kRecFieldCount])
        return fields;
    return DefaultFieldsForCount(record[kRecFieldCount]);
}

std::string FieldLabels(const std::vector<Field>& fields, int fieldCount)
{
    if (fields.empty())
        return std::to_string(fieldCount) + " fields";
    std::string labels;
    for (const Field field : fields)
        labels += (labels.empty() ? "" : " ") + std::string(kColumnNames[field]);
    return labels;
}

std::string PriceFileOf(const std::string& directory, const MasterRecord& record)
{
    return platform::PathNoCase(directory, "F" + std::to_string(record[kRecFileNumber]) + ".DAT");
}
} // namespace

int RunConvert(ConvertOptions options, std::ostream& out, std::ostream& err)
{
    const std::string problem = rules::CheckSettings(options.settings);
    if (!problem.empty())
    {
        err << problem << "\n";
        return kExitUsage;
    }
    const int dateFormat = DateFormatCode(options.settings.m_strDateFormat.c_str());

    std::unique_ptr<ProfileStore> store;
    std::string settingsError;
    if (options.saveSettings)
    {
        store = CreateProfileStore();
        settingsError = options.settings.Save(*store);
    }
    ConversionJob job(store.get());
    options.settings.ApplyToJob(job, options.input, dateFormat);
    job.m_nLeftOutPolicy = options.strict ? ConversionJob::kRefuseLeftOut : ConversionJob::kConvertOthers;
    job.m_onWaitForLock = [&err, &job] {
        err << "Waiting for another conversion into " << job.m_szPath << " to finish..." << std::endl;
    };
    const int result = job.Run();
    if (result != 0)
    {
        err << "Conversion failed.\n";
        return kExitFailed;
    }
    if (!job.m_strLeftOutReport.empty())
        err << job.m_strLeftOutReport << "\n";
    out << "Conversion completed successfully!\n" << job.Summary() << "\n";
    if (settingsError.empty())
        settingsError = job.m_strSettingsError;
    if (!settingsError.empty())
    {
        err << settingsError << "\n";
        return kExitFailed;
    }
    return kExitSuccess;
}

int RunList(const std::string& directory, std::ostream& out, std::ostream& err)
{
    std::vector<ListedSecurity> securities;
    const Status status = ListSecurities(directory, &securities);
    if (status != kStatusOk)
    {
        err << "Cannot read the Master file in " << directory << ": " << StatusText(status) << "\n";
        return kExitFailed;
    }
    out << "File\tSymbol\tName\tFields\tFirst\tLast\tRecords\tDirectory\n";
    for (const ListedSecurity& security : securities)
    {
        const MasterRecord& record = security.record;
        std::string records = "-";
        platform::FilePtr data = platform::OpenFile(PriceFileOf(security.directory, record), "rb");
        std::uint8_t header[4];
        if (data && std::fread(header, 1, 4, data.get()) == 4 && PriceFileCountWord(header) > 0)
            records = std::to_string(PriceFileCountWord(header) - 1);
        out << "F" << static_cast<int>(record[kRecFileNumber]) << "\t"
            << platform::Latin1ToUtf8(RecordSymbol(record.data())) << "\t"
            << platform::Latin1ToUtf8(RecordName(record.data())) << "\t"
            << FieldLabels(FieldsOf(security.directory, record), record[kRecFieldCount]) << "\t"
            << IsoDate(FromMbf(&record[kRecFirstDate])) << "\t" << IsoDate(FromMbf(&record[kRecLastDate])) << "\t"
            << records << "\t" << security.directory << "\n";
    }
    return kExitSuccess;
}

int RunExport(const std::string& directory, const std::string& symbol, std::ostream& out, std::ostream& err)
{
    MasterRecord record{};
    std::string found;
    std::string key;
    if (!rules::ToMasterText(symbol, &key).empty())
        key = symbol;
    const Status status = FindSecurity(directory, key.c_str(), record.data(), &found);
    if (status != kStatusOk)
    {
        err << "No security " << symbol << " in " << directory << ": " << StatusText(status) << "\n";
        return kExitFailed;
    }
    const std::vector<Field> fields = FieldsOf(found, record);
    if (fields.empty())
    {
        err << "Security " << symbol << " has " << static_cast<int>(record[kRecFieldCount])
            << " fields per record, which this program does not read.\n";
        return kExitFailed;
    }
    PriceFileContents contents;
    const std::string dataPath = PriceFileOf(found, record);
    const Status read = ReadPriceFile(dataPath, fields, &contents);
    if (read != kStatusOk)
    {
        err << "Cannot read " << dataPath << ": " << StatusText(read) << "\n";
        return kExitFailed;
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        out << (i ? "," : "") << kColumnNames[fields[i]];
    out << "\n";
    for (const PriceRow& row : contents.rows)
    {
        for (std::size_t i = 0; i < fields.size(); ++i)
        {
            const float value = row.values[fields[i]];
            out << (i ? "," : "") << (fields[i] == kFieldDate ? IsoDate(value) : ShortestText(value));
        }
        out << "\n";
    }
    return kExitSuccess;
}
} // namespace tavrix::cli
