#include "cli/CliCommands.h"

#include "engine/ConversionJob.h"
#include "marketdata/Dates.h"
#include "marketdata/DirectoryCheck.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/MasterReader.h"
#include "marketdata/Xmaster.h"
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
    if (!(dateValue > 0 && dateValue < 1e7f)) // also keeps the cast below defined
        return "-";
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

// A time value such as 91600 as 09:16:00; "-" for a value that names no time of day.
std::string TimeText(float timeValue)
{
    if (!(timeValue >= 0 && timeValue < 240000))
        return "-";
    const long value = static_cast<long>(timeValue);
    if (static_cast<float>(value) != timeValue || value / 100 % 100 > 59 || value % 100 > 59)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", value / 10000, value / 100 % 100, value % 100);
    return text;
}

// The values of a price record in order: a Field, or kTimeColumn for the time after the date.
constexpr int kTimeColumn = -1;

struct RecordLayout
{
    std::vector<int> columns; // empty when the record's fields are unknown
    int fieldCount = 0;       // 4-byte values per record
};

RecordLayout MakeLayout(const std::vector<Field>& fields, bool hasTime, int fieldCount)
{
    RecordLayout layout{{}, fieldCount};
    // A record begins with its date; without one we cannot tell what it holds.
    if (fields.empty() || fields.front() != kFieldDate || static_cast<int>(fields.size()) + hasTime != fieldCount)
        return layout;
    for (const Field field : fields)
    {
        layout.columns.push_back(field);
        if (field == kFieldDate && hasTime)
            layout.columns.push_back(kTimeColumn);
    }
    return layout;
}

RecordLayout LayoutOf(const std::string& directory, const MasterRecord& record)
{
    const int count = record[kRecFieldCount];
    const std::vector<Field> fields = FieldsOf(directory, record);
    // Eight fields are date, time and the other six, as vendors write intraday data.
    if (fields.empty() && count == 8)
        return MakeLayout(DefaultFieldsForCount(7), true, count);
    return MakeLayout(fields, false, count);
}

RecordLayout LayoutOf(const XmasterSecurity& security)
{
    return MakeLayout(security.fields, security.hasTime, security.fieldCount);
}

const char* ColumnName(int column)
{
    return column == kTimeColumn ? "Time" : kColumnNames[column];
}

std::string FieldLabels(const RecordLayout& layout)
{
    if (layout.columns.empty())
        return std::to_string(layout.fieldCount) + " fields";
    std::string labels;
    for (const int column : layout.columns)
        labels += (labels.empty() ? "" : " ") + std::string(ColumnName(column));
    return labels;
}

std::string PriceFileOf(const std::string& directory, const MasterRecord& record)
{
    return platform::PathNoCase(directory, "F" + std::to_string(record[kRecFileNumber]) + ".DAT");
}

// The bar count a price file's header gives, or "-".
std::string RecordCountText(const std::string& path)
{
    platform::FilePtr data = platform::OpenFile(path, "rb");
    std::uint8_t header[4];
    if (data && std::fread(header, 1, 4, data.get()) == 4 && PriceFileCountWord(header) > 0)
        return std::to_string(PriceFileCountWord(header) - 1);
    return "-";
}

// The values of every whole record after the header record, `perRecord` to a record.
Status ReadRecordValues(const std::string& path, std::size_t perRecord, std::vector<float>* values)
{
    platform::FilePtr file = platform::OpenFile(path, "rb");
    if (!file)
        return kStatusFileOpen;
    std::vector<std::uint8_t> record(kPriceFieldSize * perRecord);
    if (std::fread(record.data(), 1, record.size(), file.get()) != record.size())
        return kStatusFileRead;
    while (std::fread(record.data(), 1, record.size(), file.get()) == record.size())
        for (std::size_t i = 0; i < perRecord; ++i)
            values->push_back(FromMbf(&record[kPriceFieldSize * i]));
    return std::ferror(file.get()) ? kStatusFileRead : kStatusOk;
}
} // namespace

void SayWaiting(std::ostream& err, const std::string& directory)
{
    err << "Waiting for another conversion into " << directory << " to finish..." << std::endl;
}

void SetUpJob(ConversionJob& job, bool strict, std::ostream& err)
{
    job.m_nLeftOutPolicy = strict ? ConversionJob::kRefuseLeftOut : ConversionJob::kConvertOthers;
    job.m_onWaitForLock = [&err, &job] { SayWaiting(err, job.m_szPath); };
}

int RunConvert(ConvertOptions options, std::ostream& out, std::ostream& err)
{
    const std::string problem = rules::CheckSettings(options.settings);
    if (!problem.empty())
    {
        err << problem << "\n";
        return kExitUsage;
    }
    const bool automatic = options.settings.m_strDateFormat == kAutoDateFormatName;
    if (automatic && options.saveSettings)
    {
        err << "--save-settings needs a date layout by name, not auto.\n";
        return kExitUsage;
    }
    const std::string note = rules::FieldSetNote(options.settings);
    if (!note.empty())
        err << note << "\n";

    std::unique_ptr<ProfileStore> store;
    std::string settingsError;
    if (options.saveSettings)
    {
        store = CreateProfileStore();
        settingsError = options.settings.Save(*store);
    }
    ConversionJob job(store.get());
    options.settings.ApplyToJob(job, options.input,
                                automatic ? ConversionJob::kAutoDateFormat
                                          : DateFormatCode(options.settings.m_strDateFormat.c_str()));
    SetUpJob(job, options.strict, err);
    const int result = job.Run();
    if (result != 0)
    {
        err << "Conversion failed.\n";
        return kExitFailed;
    }
    if (automatic)
        err << "Date layout found: " << DateFormatName(job.m_nDateFormat) << "\n";
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
        out << "F" << static_cast<int>(record[kRecFileNumber]) << "\t"
            << platform::Latin1ToUtf8(RecordSymbol(record.data())) << "\t"
            << platform::Latin1ToUtf8(RecordName(record.data())) << "\t"
            << FieldLabels(LayoutOf(security.directory, record)) << "\t" << IsoDate(FromMbf(&record[kRecFirstDate]))
            << "\t" << IsoDate(FromMbf(&record[kRecLastDate])) << "\t"
            << RecordCountText(PriceFileOf(security.directory, record)) << "\t" << security.directory << "\n";
    }
    // Numbers above 255 are listed in XMASTER only, with their prices in F<n>.MWD.
    std::vector<ListedXmasterSecurity> more;
    ListXmasterSecurities(directory, &more);
    const auto isoDate = [](std::int32_t yyyymmdd) {
        return IsoDate(static_cast<float>(static_cast<std::int64_t>(yyyymmdd) - 19000000));
    };
    for (const auto& [where, security] : more)
    {
        out << "F" << security.fileNumber << "\t" << platform::Latin1ToUtf8(security.symbol) << "\t"
            << platform::Latin1ToUtf8(security.name) << "\t" << FieldLabels(LayoutOf(security)) << "\t"
            << isoDate(security.firstDate) << "\t" << isoDate(security.lastDate) << "\t"
            << RecordCountText(platform::PathNoCase(where, security.priceFile)) << "\t" << where << "\n";
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
    // MASTER's securities come first, as in the listing; then those only XMASTER holds.
    RecordLayout layout;
    std::string dataPath;
    Status status = FindSecurity(directory, key.c_str(), record.data(), &found);
    if (status == kStatusOk)
    {
        layout = LayoutOf(found, record);
        dataPath = PriceFileOf(found, record);
    }
    else if (status == kStatusFileNotFound)
    {
        XmasterSecurity security;
        status = FindXmasterSecurity(directory, key.c_str(), &security, &found);
        layout = LayoutOf(security);
        dataPath = platform::PathNoCase(found, security.priceFile);
    }
    if (status != kStatusOk)
    {
        err << "No security " << symbol << " in " << directory << ": " << StatusText(status) << "\n";
        return kExitFailed;
    }
    if (layout.columns.empty())
    {
        err << "Security " << symbol << " has " << layout.fieldCount
            << " fields per record, which this program does not read.\n";
        return kExitFailed;
    }
    std::vector<float> values;
    const Status read = ReadRecordValues(dataPath, layout.columns.size(), &values);
    if (read != kStatusOk)
    {
        err << "Cannot read " << dataPath << ": " << StatusText(read) << "\n";
        return kExitFailed;
    }
    const std::size_t width = layout.columns.size();
    for (std::size_t i = 0; i < width; ++i)
        out << (i ? "," : "") << ColumnName(layout.columns[i]);
    out << "\n";
    for (std::size_t row = 0; row < values.size(); row += width)
    {
        for (std::size_t i = 0; i < width; ++i)
        {
            const float value = values[row + i];
            const int column = layout.columns[i];
            out << (i ? "," : "")
                << (column == kFieldDate    ? IsoDate(value)
                    : column == kTimeColumn ? TimeText(value)
                                            : ShortestText(value));
        }
        out << "\n";
    }
    return kExitSuccess;
}

} // namespace tavrix::cli
