#include "engine/ConversionJob.h"

#include "engine/DirectoryChange.h"
#include "engine/EngineMessages.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/FindSecurity.h"
#include "marketdata/Xmaster.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <cmath>
#include <map>

namespace tavrix {
namespace {
const char* const kFieldWords[kFieldCount] = {"date", "open", "high", "low", "close", "volume", "open interest"};

std::string FieldWords(const std::vector<Field>& fields)
{
    std::string words;
    for (const Field field : fields)
        words += (words.empty() ? "" : " ") + std::string(kFieldWords[field]);
    return words;
}

// A stored date value (YYYMMDD) as a day number; 0 when it names no day.
DayNumber DayOfDateValue(float value)
{
    if (!(value > 0.0f && value < 3000000.0f) || std::floor(value) != value)
        return 0;
    const auto number = static_cast<long>(value);
    return MakeDayNumber(static_cast<std::int16_t>(number / 10000), static_cast<std::int16_t>(number / 100 % 100),
                         static_cast<std::int16_t>(number % 100));
}

} // namespace

int ConversionJob::FindOwnSecurity(std::size_t* index)
{
    const std::string symbol = platform::Latin1ToUtf8(m_szSymbol);
    const std::vector<std::size_t> found = m_image.Matching(m_szSymbol);
    if (found.size() == 1)
    {
        *index = found.front();
        return 0;
    }
    if (found.size() > 1)
    {
        std::string list;
        for (const std::size_t i : found)
            list += "\nF" + std::to_string(m_image.records[i][kRecFileNumber]) + " " +
                    platform::Latin1ToUtf8(RecordSymbol(m_image.records[i].data())) + " (" +
                    platform::Latin1ToUtf8(RecordName(m_image.records[i].data())) + ")";
        return Fail(symbol + " names " + std::to_string(found.size()) + " securities in " + m_szMasterPath + ":" +
                    list + "\nName one by its full symbol or name.");
    }
    XmasterSecurity above{};
    MasterRecord record{};
    std::string where;
    if (FindXmasterSecurity(m_szPath, m_szSymbol, &above, &where) == kStatusOk && where == std::string(m_szPath) + "/")
        return Fail(symbol + " is listed in XMASTER (F" + std::to_string(above.fileNumber) +
                    ".MWD), which this program reads but does not change.");
    if (FindSecurity(m_szPath, m_szSymbol, record.data(), &where) == kStatusOk)
        return Fail("No security " + symbol + " in " + m_szMasterPath + "\nThere is one in " + where +
                    "; name that directory instead.");
    return Fail("No security " + symbol + " in " + m_szMasterPath);
}

int ConversionJob::Update(bool replace)
{
    m_strFailure.clear();
    m_nAdded = m_nAlreadyPresent = m_nReplaced = 0;
    m_bUseExistingMaster = 1;
    std::size_t index = 0;
    const int result = [&] {
        if (PrepareOutputDirectory() || CheckFieldCount())
            return 1;
        const std::string problem = m_image.Load(m_szPath, m_strMasterName);
        if (!problem.empty())
            return Fail(problem);
        if (FindOwnSecurity(&index))
            return 1;
        MasterRecord& record = m_image.records[index];
        m_nFileNumber = record[kRecFileNumber];
        m_nFieldCount = record[kRecFieldCount];

        // The input must give the security's own fields, as its layout file or its count says.
        std::vector<Field> fields;
        const std::string layoutName = platform::FindNameNoCase(m_szPath, FileName(".DOP"));
        if (layoutName.empty() || ReadFieldLayoutFile(platform::JoinPath(m_szPath, layoutName), &fields) != kStatusOk ||
            static_cast<int>(fields.size()) != m_nFieldCount)
            fields = DefaultFieldsForCount(m_nFieldCount);
        std::vector<Field> given;
        for (int field = 0; field < kFieldCount; ++field)
            if (m_bFieldOn[field])
                given.push_back(static_cast<Field>(field));
        if (fields.empty() || given != fields)
            return Fail("The input gives " + FieldWords(given) + ",\nbut " + platform::Latin1ToUtf8(m_szSymbol) +
                        " holds " +
                        (fields.empty() ? std::to_string(m_nFieldCount) + " fields this program does not know"
                                        : FieldWords(fields)) +
                        ".");

        const std::string dataName = platform::FindNameNoCase(m_szPath, FileName(".DAT"));
        const std::string dataPath = platform::JoinPath(m_szPath, dataName.empty() ? FileName(".DAT") : dataName);
        PriceFileContents stored;
        if (ReadPriceFile(dataPath, fields, &stored) != kStatusOk)
            return Fail(FileErrorMessage("Cannot read the price file", dataPath));
        if (stored.trailingBytes != 0 || stored.countWord != stored.rows.size() + 1)
            return Fail("The price file is damaged:\n" + dataPath + "\nIts header counts " +
                        std::to_string(stored.countWord ? stored.countWord - 1 : 0) + " records, but it holds " +
                        std::to_string(stored.rows.size()) + (stored.trailingBytes ? " and some bytes more." : "."));
        std::map<DayNumber, PriceLine> days;
        for (const PriceRow& row : stored.rows)
        {
            PriceLine line;
            line.day = DayOfDateValue(row.values[kFieldDate]);
            line.values = row.values;
            if (line.day == 0 || (!days.empty() && line.day <= days.rbegin()->first))
                return Fail("The price file is damaged:\n" + dataPath + "\nIts dates are not valid or do not rise.");
            days[line.day] = line;
        }
        const DayNumber lastStored = days.empty() ? 0 : days.rbegin()->first;

        std::unique_ptr<PriceLineReader> lines;
        if (ReadPriceLines(&lines) || AcceptLeftOutRows(lines->Lines().size()))
            return 1;
        std::vector<std::string> conflicts;
        for (const PriceLine& line : lines->Lines())
        {
            PriceLine value = line;
            value.values[kFieldDate] = 0;
            if (line.day > lastStored)
            {
                days[line.day] = value;
                if (m_nAdded++ == 0)
                    m_nFirstDay = line.day;
                m_nLastDay = line.day;
                continue;
            }
            const auto old = days.find(line.day);
            std::string difference;
            if (old == days.end())
                difference = "not in the price file";
            else
                for (const Field field : fields)
                    if (field != kFieldDate && old->second.values[field] != line.values[field] && difference.empty())
                    {
                        char text[120];
                        std::snprintf(text, sizeof text, "%s is %.9g in the price file, %.9g in the input",
                                      kFieldWords[field], static_cast<double>(old->second.values[field]),
                                      static_cast<double>(line.values[field]));
                        difference = text;
                    }
            if (difference.empty())
            {
                ++m_nAlreadyPresent;
                continue;
            }
            conflicts.push_back(IsoDayText(line.day) + ": " + difference);
            days[line.day] = value;
        }
        if (!conflicts.empty() && !replace)
        {
            std::string list;
            for (std::size_t i = 0; i < conflicts.size() && i < 5; ++i)
                list += "\n" + conflicts[i];
            if (conflicts.size() > 5)
                list += "\nand " + std::to_string(conflicts.size() - 5) + " more.";
            return Fail(std::to_string(conflicts.size()) + (conflicts.size() == 1 ? " day differs" : " days differ") +
                        " from the price file:" + list + "\nNothing was changed; --replace rewrites these days.");
        }
        m_nReplaced = static_cast<int>(conflicts.size());
        if (days.size() > static_cast<std::size_t>(kMaxPriceRecords))
            return Fail("The price file would hold " + std::to_string(days.size()) +
                        " records,\nbut it holds at most " + std::to_string(kMaxPriceRecords) +
                        ". Nothing was changed.");
        if (m_nAdded == 0 && m_nReplaced == 0)
            return 0;

        std::vector<std::uint8_t> priceFile = MakePriceFileHeader(m_nFieldCount);
        std::array<MbfBytes, kFieldCount> values{};
        std::uint8_t bytes[kFieldCount * kPriceFieldSize];
        std::array<int, kFieldCount> fieldOn{};
        for (const Field field : fields)
            fieldOn[field] = 1;
        for (const auto& day : days)
        {
            values[kFieldDate] = DayToDateValue(day.first);
            for (int field = kFieldOpen; field < kFieldCount; ++field)
                values[field] = ToMbf(day.second.values[field]);
            const std::size_t size = BuildPriceRecord(values, fieldOn, bytes);
            priceFile.insert(priceFile.end(), bytes, bytes + size);
        }
        UpdatePriceFileHeader(static_cast<std::uint16_t>(days.size()), &priceFile);
        m_image.SetDates(index, DayToDateValue(days.begin()->first), DayToDateValue(days.rbegin()->first));
        WarnAboutEmaster();

        DirectoryChange change(m_szPath);
        change.m_stepHook = m_stepHook;
        if (!change.Stage(dataName.empty() ? FileName(".DAT") : dataName, "the price file", priceFile,
                          DirectoryChange::kReplace) ||
            !m_image.Stage(&change, false) || !change.Commit())
            return Fail(change.Error());
        m_nLineCount = static_cast<int>(days.size());
        return 0;
    }();
    m_lock.Release();
    return result;
}

int ConversionJob::Remove()
{
    m_strFailure.clear();
    m_bUseExistingMaster = 1;
    const int result = [&] {
        if (PrepareOutputDirectory())
            return 1;
        const std::string problem = m_image.Load(m_szPath, m_strMasterName);
        if (!problem.empty())
            return Fail(problem);
        std::size_t index = 0;
        if (FindOwnSecurity(&index))
            return 1;
        m_nFileNumber = m_image.records[index][kRecFileNumber];
        m_image.Remove(index);
        WarnAboutEmaster();
        DirectoryChange change(m_szPath);
        change.m_stepHook = m_stepHook;
        // MASTER stops naming the security first; its files go after, so no record names a missing file.
        for (const char* extension : {".DAT", ".DOP"})
        {
            const std::string name = platform::FindNameNoCase(m_szPath, FileName(extension));
            if (!name.empty())
                change.StageRemoval(name);
        }
        if (!m_image.Stage(&change, false) || !change.Commit())
            return Fail(change.Error());
        return 0;
    }();
    m_lock.Release();
    return result;
}
} // namespace tavrix
