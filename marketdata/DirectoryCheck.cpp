#include "marketdata/DirectoryCheck.h"

#include "marketdata/DirectoryTree.h"
#include "marketdata/Emaster.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/Master.h"
#include "marketdata/PriceFile.h"
#include "marketdata/Xmaster.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <map>
#include <sys/stat.h>

namespace tavrix {
namespace {
std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string Quoted(const std::string& latin1)
{
    return "'" + platform::Latin1ToUtf8(latin1) + "'";
}

// A date value YYYMMDD as 2010-01-04, or the number itself when it names no day.
std::string DateText(double value)
{
    const std::string iso = IsoDateText(value);
    return iso.empty() ? Number(value) : iso;
}

// The views of a record that readers which go by the field count take; "" stands for a refusal.
std::vector<std::string> ReaderViews(int count, char period)
{
    const bool intraday = period == 'I';
    switch (count)
    {
    case 4:
        return {intraday ? "date time high low" : "date high low close", "", "4 unnamed columns"};
    case 5:
        return {intraday ? "date time high low close" : "date high low close volume", "", "date open high low close"};
    case 6:
        return {intraday ? "date time high low close volume" : "date open high low close volume", "",
                "date open high low close volume"};
    case 7:
        return {intraday ? "date time open high low close volume" : "date open high low close volume open interest",
                "date open high low close volume open interest"};
    case 8:
        return {"date time open high low close volume open interest"};
    default:
        return {};
    }
}

// `held` (the fields as they are) is left out of the views named.
std::string ViewsText(int count, char period, const std::string& held = "")
{
    std::vector<std::string> views = ReaderViews(count, period);
    if (views.empty())
        return "no reader is known to read " + std::to_string(count) + " fields by their count";
    bool refused = false;
    std::vector<std::string> shown;
    for (const std::string& view : views)
        if (view.empty())
            refused = true;
        else if (view != held && std::find(shown.begin(), shown.end(), view) == shown.end())
            shown.push_back(view);
    if (shown.empty())
        return "readers that go by the field count refuse it";
    std::string text = "readers that go by the field count show ";
    for (std::size_t i = 0; i < shown.size(); ++i)
        text += (i == 0 ? "" : (i + 1 == shown.size() && !refused ? " or " : ", ")) + ("\"" + shown[i] + "\"");
    return text + (refused ? " or refuse it" : "");
}

// The entries of one directory, looked up as the program looks up names: the exact name, else
// the smallest name that matches without regard to letter case.
class CEntries
{
public:
    explicit CEntries(const std::string& directory)
    {
        if (DIR* handle = ::opendir(directory.c_str()))
        {
            while (const dirent* entry = ::readdir(handle))
                m_names.emplace_back(entry->d_name);
            ::closedir(handle);
        }
        std::sort(m_names.begin(), m_names.end());
    }

    std::string Find(const std::string& name) const
    {
        if (std::binary_search(m_names.begin(), m_names.end(), name))
            return name;
        for (const std::string& entry : m_names)
            if (entry.size() == name.size() && platform::_stricmp(entry.c_str(), name.c_str()) == 0)
                return entry;
        return "";
    }

    const std::vector<std::string>& Names() const { return m_names; }

private:
    std::vector<std::string> m_names;
};

class CDirectoryChecker
{
public:
    void CheckDirectory(const TreeDirectory& directory);
    void DeadEntry(const TreeDirectory& parent, std::size_t record, const std::string& why);
    CheckResult m_result;

private:
    void Problem(const std::string& file, const std::string& text) { m_result.findings.push_back({false, file, text}); }
    void Note(const std::string& file, const std::string& text) { m_result.findings.push_back({true, file, text}); }

    void CheckSecurity(const std::string& directory, const CEntries& entries, const std::string& masterPath,
                       const MasterRecord& record, const std::string& where);
    void CheckPriceFile(const std::string& path, const RecordLayout& layout, double first, double last,
                        const std::string& firstFrom);
    void CheckEmaster(const std::string& path, const MasterHeader& header, const std::vector<MasterRecord>& records);
    void CheckXmaster(const std::string& directory, const CEntries& entries, const std::string& path,
                      std::map<int, std::string>* numbers);
    // `all` holds MASTER's and XMASTER's file numbers.
    void CheckUnlisted(const std::string& directory, const CEntries& entries, const std::map<int, std::string>& master,
                       const std::map<int, std::string>& all);
};

void CDirectoryChecker::CheckDirectory(const TreeDirectory& directory)
{
    ++m_result.directories;
    if (directory.masterPath.empty())
    {
        Problem(directory.path, "no MASTER file");
        return;
    }
    const std::string& masterPath = directory.masterPath;
    if (!directory.masterError.empty())
    {
        const bool short_ = directory.masterError.rfind("shorter", 0) == 0;
        Problem(masterPath, (short_ ? "" : "cannot be read: ") + directory.masterError);
        return;
    }
    const CEntries entries(directory.path);
    const MasterFile& file = directory.master;
    if (file.extraBytes)
        Problem(masterPath, std::to_string(file.extraBytes) + " bytes after the last whole record");
    const MasterHeader header = ReadMasterHeader(file.header.data());
    const std::vector<MasterRecord>& records = file.records;
    const auto count = static_cast<std::uint16_t>(header.count);
    const auto count2 = static_cast<std::uint16_t>(header.count2);
    if (count != records.size())
        Problem(masterPath, "the header counts " + std::to_string(count) + " records, the file holds " +
                                std::to_string(records.size()));

    std::map<int, std::string> numbers; // file number -> where it is listed
    int highest = 0;
    for (std::size_t i = 0; i < records.size(); ++i)
    {
        const MasterRecord& record = records[i];
        const std::string where = "record " + std::to_string(i + 1);
        const int number = record[kRecFileNumber];
        // A <DIR> entry's number byte is taken too: readers that go by the numbers see it.
        if (IsDirectoryEntry(record.data()))
        {
            if (number != 0 && !numbers.emplace(number, "MASTER " + where).second)
                Problem(masterPath, where + " (<DIR>) takes file number " + std::to_string(number) + " again (" +
                                        numbers[number] + ")");
            continue;
        }
        highest = std::max(highest, number);
        ++m_result.securities;
        if (number == 0)
        {
            Problem(masterPath, where + " (" + Quoted(RecordSymbol(record.data())) + ") has file number 0");
            continue;
        }
        const auto taken = numbers.emplace(number, "MASTER " + where);
        if (!taken.second)
        {
            Problem(masterPath,
                    where + " takes file number " + std::to_string(number) + " again (" + taken.first->second + ")");
            continue;
        }
        CheckSecurity(directory.path, entries, masterPath, record, where);
    }
    // Our files keep both counters equal; vendor files keep the highest file number in the second.
    if (count2 != records.size() && count2 != highest)
        Problem(masterPath, "the second header counter " + std::to_string(count2) +
                                " is neither the record count nor the highest file number (" + std::to_string(highest) +
                                ")");

    const std::string emasterName = entries.Find(kEmasterFileName);
    if (!emasterName.empty())
        CheckEmaster(directory.path + emasterName, header, records);
    std::map<int, std::string> xnumbers = numbers;
    const std::string xmasterName = entries.Find(kXmasterFileName);
    if (!xmasterName.empty())
        CheckXmaster(directory.path, entries, directory.path + xmasterName, &xnumbers);
    CheckUnlisted(directory.path, entries, numbers, xnumbers);
}

void CDirectoryChecker::DeadEntry(const TreeDirectory& parent, std::size_t record, const std::string& why)
{
    const std::string name = DirectoryEntryName(parent.master.records[record].data());
    Problem(parent.masterPath, "record " + std::to_string(record + 1) + " (<DIR> " + Quoted(name) + ") " + why);
}

void CDirectoryChecker::CheckSecurity(const std::string& directory, const CEntries& entries,
                                      const std::string& masterPath, const MasterRecord& record,
                                      const std::string& where)
{
    const int number = record[kRecFileNumber];
    const std::string text = where + " (F" + std::to_string(number) + " " + Quoted(RecordSymbol(record.data())) + ")";
    const std::uint8_t type1 = record[kRecFileType];
    const std::uint8_t type2 = record[kRecFileType + 1];
    if (!((type1 == kFileTypeByte && type2 == 0) || (type1 == 0 && type2 == kFileTypeByte)))
    {
        char bytes[16];
        std::snprintf(bytes, sizeof bytes, "%02X %02X", type1, type2);
        Problem(masterPath, text + " has file-type bytes " + bytes + ", neither 65 00 nor 00 65");
    }
    const int fieldCount = record[kRecFieldCount];
    if (record[kRecRecordLength] != 4 * fieldCount)
        Problem(masterPath, text + " has record length " + std::to_string(record[kRecRecordLength]) + " for " +
                                std::to_string(fieldCount) + " fields");
    const char period = static_cast<char>(record[kRecPeriod]);
    if (std::string("DIWMQY").find(period) == std::string::npos)
        Problem(masterPath, text + " has period " + Quoted(std::string(1, period)));
    const std::string symbol = RecordSymbol(record.data());
    if (symbol.size() > static_cast<std::size_t>(kShownSymbolWidth))
        Note(masterPath, text + ": the symbol has " + std::to_string(symbol.size()) + " characters; readers show " +
                             Quoted(symbol.substr(0, kShownSymbolWidth)));
    if (fieldCount < 2 || fieldCount > 8)
    {
        Problem(masterPath, text + " has " + std::to_string(fieldCount) + " fields, which no reader decodes");
        return;
    }

    RecordLayout layout = DefaultLayoutForCount(fieldCount);
    const std::string layoutName = entries.Find("F" + std::to_string(number) + ".DOP");
    if (!layoutName.empty())
    {
        std::vector<Field> fields;
        if (!ReadFieldLayoutFile(directory + layoutName, &fields).empty())
            Problem(directory + layoutName, "names no field layout this program reads");
        else if (static_cast<int>(fields.size()) != fieldCount)
            Problem(directory + layoutName, "lists " + std::to_string(fields.size()) + " fields; MASTER " + text +
                                                " has " + std::to_string(fieldCount));
        else
        {
            layout = MasterRecordLayout(directory, record);
            if (const std::string note = MisreadFieldsNote(fields, period); !note.empty())
                Note(masterPath, text + " holds " + FieldWords(fields) + " (" + layoutName + "); " + note);
        }
    }
    else if (fieldCount != 6 && fieldCount != 8 && !(fieldCount == 7 && period != 'I'))
        Note(masterPath, text + " has " + std::to_string(fieldCount) + " fields and no F" + std::to_string(number) +
                             ".DOP; " + ViewsText(fieldCount, period));

    const std::string dataName = entries.Find("F" + std::to_string(number) + ".DAT");
    if (dataName.empty())
    {
        Problem(masterPath, text + " has no price file F" + std::to_string(number) + ".DAT");
        return;
    }
    layout.fieldCount = fieldCount; // the check reads what MASTER says a record is, known fields or not
    CheckPriceFile(directory + dataName, layout, FromMbf(&record[kRecFirstDate]), FromMbf(&record[kRecLastDate]),
                   "MASTER");
}

void CDirectoryChecker::CheckPriceFile(const std::string& path, const RecordLayout& layout, double first, double last,
                                       const std::string& firstFrom)
{
    std::vector<std::uint8_t> bytes;
    const std::string error = platform::ReadRegularFile(path, kMaxPriceFileBytes, &bytes);
    if (!error.empty())
    {
        Problem(path, "cannot be read: " + error);
        return;
    }
    const std::size_t length = static_cast<std::size_t>(kPriceFieldSize) * layout.fieldCount;
    if (bytes.size() < length)
    {
        Problem(path, "shorter than its " + std::to_string(length) + "-byte header record");
        return;
    }
    if (bytes.size() % length)
        Problem(path, std::to_string(bytes.size() % length) + " bytes after the last whole " + std::to_string(length) +
                          "-byte record");
    const std::size_t bars = bytes.size() / length - 1;
    const std::uint16_t countWord = PriceFileCountWord(bytes.data());
    if (countWord != bars + 1)
        Problem(path, "the header's count word is " + std::to_string(countWord) + ", the file holds " +
                          std::to_string(bars) + " records (count word " + std::to_string(bars + 1) + ")");
    if (bars == 0)
        return;
    bool badDate = false;
    bool badOrder = false;
    double previousDate = 0;
    double previousTime = 0;
    for (std::size_t i = 1; i <= bars; ++i)
    {
        const std::uint8_t* bar = &bytes[i * length];
        const double date = FromMbf(bar);
        const double time = layout.hasTime ? FromMbf(bar + kPriceFieldSize) : 0.0;
        const bool day = !IsoDateText(date).empty();
        const bool timeOfDay = !TimeText(time).empty();
        if (!badDate && !day)
            Problem(path,
                    "record " + std::to_string(i) + " has the date value " + DateText(date) + ", which names no day");
        else if (!badDate && !timeOfDay)
            Problem(path, "record " + std::to_string(i) + " has the time value " + Number(time) +
                              ", which names no time of day");
        badDate = badDate || !day || !timeOfDay;
        if (!badOrder && i > 1 && (date < previousDate || (date == previousDate && time <= previousTime)))
        {
            badOrder = true;
            Problem(path, "record " + std::to_string(i) + " (" + DateText(date) + ") does not come after record " +
                              std::to_string(i - 1) + " (" + DateText(previousDate) + ")");
        }
        previousDate = date;
        previousTime = time;
    }
    const double firstBar = FromMbf(&bytes[length]);
    const double lastBar = FromMbf(&bytes[bars * length]);
    if (first != firstBar || last != lastBar)
        Problem(path, firstFrom + " gives " + DateText(first) + " to " + DateText(last) + ", the records " +
                          DateText(firstBar) + " to " + DateText(lastBar));
}

void CDirectoryChecker::CheckEmaster(const std::string& path, const MasterHeader& header,
                                     const std::vector<MasterRecord>& records)
{
    EmasterFile emaster;
    const std::string error = ReadRecordFile(path, kEmasterMaxRecords, &emaster);
    if (!error.empty())
    {
        Problem(path, error.rfind("shorter", 0) == 0 ? error : "cannot be read: " + error);
        return;
    }
    if (emaster.extraBytes)
        Problem(path, std::to_string(emaster.extraBytes) + " bytes after the last whole record");
    for (const std::string& difference : CompareEmasterWithMaster(emaster, header, records))
        Problem(path, "disagrees with MASTER: " + difference);
}

void CDirectoryChecker::CheckXmaster(const std::string& directory, const CEntries& entries, const std::string& path,
                                     std::map<int, std::string>* numbers)
{
    XmasterFile xmaster;
    const std::string error = ReadRecordFile(path, kXmasterMaxRecords, &xmaster);
    if (!error.empty())
    {
        Problem(path, error.rfind("shorter", 0) == 0 ? error : "cannot be read: " + error);
        return;
    }
    if (!HasXmasterSignature(xmaster.header))
        Problem(path, "does not begin with 5D FE 58 4D");
    if (xmaster.extraBytes)
        Problem(path, std::to_string(xmaster.extraBytes) + " bytes after the last whole record");
    if (XmasterCount(xmaster.header) != xmaster.records.size() ||
        XmasterCount2(xmaster.header) != xmaster.records.size())
        Problem(path, "the header counts " + std::to_string(XmasterCount(xmaster.header)) + " and " +
                          std::to_string(XmasterCount2(xmaster.header)) + " records, the file holds " +
                          std::to_string(xmaster.records.size()));
    int highest = 0;
    for (std::size_t i = 0; i < xmaster.records.size(); ++i)
    {
        const XmasterSecurity security = DecodeXmasterRecord(xmaster.records[i]);
        const std::string where = "record " + std::to_string(i + 1);
        const std::string text =
            where + " (F" + std::to_string(security.fileNumber) + " " + Quoted(security.symbol) + ")";
        ++m_result.securities;
        highest = std::max(highest, security.fileNumber);
        // Below 256 it names F<n>.DAT, which a MASTER record of that number names too.
        const auto taken = numbers->emplace(security.fileNumber, "XMASTER " + where);
        if (security.fileNumber <= kMasterMaxSecurities)
        {
            Problem(path, text + " has a file number below 256" +
                              (taken.second ? "" : " that " + taken.first->second + " takes too"));
            continue;
        }
        if (!taken.second)
        {
            Problem(path, where + " takes file number " + std::to_string(security.fileNumber) + " again (" +
                              taken.first->second + ")");
            continue;
        }
        if (security.layout.fieldCount < 2 || !security.layout.Known())
        {
            Problem(path, text + " has field bits " + std::to_string(security.fieldBits) +
                              ", which name no record this program reads");
            continue;
        }
        const std::string dataName = entries.Find(security.priceFile);
        if (dataName.empty())
        {
            Problem(path, text + " has no price file " + security.priceFile);
            continue;
        }
        CheckPriceFile(directory + dataName, security.layout,
                       security.firstDate - static_cast<double>(kDateValueToYyyymmdd),
                       security.lastDate - static_cast<double>(kDateValueToYyyymmdd), "XMASTER");
    }
    if (XmasterNextNumber(xmaster.header) <= highest)
        Problem(path, "the next file number " + std::to_string(XmasterNextNumber(xmaster.header)) +
                          " is already taken (highest " + std::to_string(highest) + ")");
}

void CDirectoryChecker::CheckUnlisted(const std::string& directory, const CEntries& entries,
                                      const std::map<int, std::string>& master, const std::map<int, std::string>& all)
{
    for (const std::string& name : entries.Names())
    {
        const std::string upper = platform::UpperAscii(name);
        const std::size_t dot = upper.find('.');
        if (upper.size() < 6 || upper[0] != 'F' || dot == std::string::npos || dot < 2 ||
            upper.find_first_not_of("0123456789", 1) != dot)
            continue;
        const std::string extension = upper.substr(dot);
        if (extension != ".DAT" && extension != ".DOP" && extension != ".MWD")
            continue;
        const std::string digits = upper.substr(1, dot - 1);
        const bool canonical = digits.size() <= 5 && digits[0] != '0';
        const int number = canonical ? std::stoi(digits) : -1;
        const bool listed = extension == ".MWD" ? number > kMasterMaxSecurities && all.count(number)
                                                : (extension == ".DOP" ? all.count(number) : master.count(number));
        const std::string opened = entries.Find("F" + digits + extension);
        if (!listed)
            Problem(directory + name, "is a price file that no master file lists");
        else if (opened != name)
            Problem(directory + name, "is another spelling of " + opened + ", which is the one read");
    }
}
} // namespace

int CheckResult::Problems() const
{
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), [](const auto& f) { return !f.note; }));
}

int CheckResult::Notes() const
{
    return static_cast<int>(findings.size()) - Problems();
}

CheckResult CheckDirectoryTree(const std::string& directory)
{
    CDirectoryChecker checker;
    WalkDirectoryTree(
        directory,
        [&checker](const TreeDirectory& found) {
            checker.CheckDirectory(found);
            return false;
        },
        [&checker](const TreeDirectory& parent, std::size_t record, const std::string& why) {
            checker.DeadEntry(parent, record, why);
        });
    return checker.m_result;
}

std::string MisreadFieldsNote(const std::vector<Field>& fields, char period)
{
    if (period != 'I' && (fields == DefaultLayoutForCount(7).fields || fields == DefaultLayoutForCount(6).fields))
        return "";
    return ViewsText(static_cast<int>(fields.size()), period, FieldWords(fields));
}
} // namespace tavrix
