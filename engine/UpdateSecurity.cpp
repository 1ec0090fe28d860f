#include "engine/ConversionJob.h"

#include "engine/DirectoryChange.h"
#include "marketdata/FieldLayout.h"
#include "marketdata/Securities.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <cstdio>
#include <map>

namespace tavrix {
namespace {
JobError Plain(const std::string& what, const std::string& reason = "")
{
    JobError error;
    error.what = what;
    error.reason = reason;
    return error;
}
} // namespace

int ConversionJob::FindOwnSecurity(std::size_t* index)
{
    const std::string key = Symbol();
    const std::string symbol = platform::Latin1ToUtf8(key);
    const std::vector<std::size_t> found = m_image.Matching(key.c_str());
    if (found.size() == 1)
    {
        // A price file another record names too is not this security's alone to change or delete.
        const int number = m_image.records[found.front()][kRecFileNumber];
        std::string others;
        for (std::size_t i = 0; i < m_image.records.size(); ++i)
            if (i != found.front() && m_image.records[i][kRecFileNumber] == number)
                others += "\nrecord " + std::to_string(i + 1) + ": " +
                          platform::Latin1ToUtf8(IsDirectoryEntry(m_image.records[i].data())
                                                     ? "<DIR> " + DirectoryEntryName(m_image.records[i].data())
                                                     : RecordSymbol(m_image.records[i].data()));
        if (!others.empty())
            return Fail(Plain(symbol + " shares its file number " + std::to_string(number) +
                                  " with another record of " + m_strMasterPath + ":",
                              "record " + std::to_string(found.front() + 1) + ": " + symbol + others +
                                  "\nNothing was changed; " + "tavrix-cli check tells what else is wrong there."));
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
        return Fail(Plain(symbol + " names " + std::to_string(found.size()) + " securities in " + m_strMasterPath + ":",
                          list.substr(1) + "\nName one by its full symbol or name."));
    }
    std::vector<Security> securities;
    ListSecurities(m_strPath, &securities, false);
    for (const Security& security : securities)
    {
        if (!SecurityMatchesKey(security, key.c_str()))
            continue;
        if (security.source == Security::kXmaster && security.directory == m_strPath + "/")
            return Fail(Plain(symbol + " is listed in XMASTER (" + security.PriceFileName() +
                              "), which this program reads but does not change."));
        return Fail(Plain("No security " + symbol + " in " + m_strMasterPath,
                          "There is one in " + security.directory + "; name that directory instead."));
    }
    return Fail(Plain("No security " + symbol + " in " + m_strMasterPath));
}

int ConversionJob::Update(bool replace)
{
    m_error = {};
    m_leftOut = {};
    m_differences.clear();
    m_nAdded = m_nAlreadyPresent = m_nReplaced = 0;
    m_settings.m_nExist = MasterChoice::kUseExisting;
    std::size_t index = 0;
    const int result = [&] {
        if (ReadInput() || PrepareOutputDirectory() || CheckFieldCount())
            return 1;
        if (JobError problem = m_image.Load(m_strPath, m_strMasterName); problem.Failed())
            return Fail(problem);
        if (FindOwnSecurity(&index))
            return 1;
        const MasterRecord& record = m_image.records[index];
        m_nFileNumber = record[kRecFileNumber];
        m_nFieldCount = record[kRecFieldCount];

        // The input must give the security's own fields, as its layout file or its count says.
        const RecordLayout layout = MasterRecordLayout(m_strPath, record);
        const std::vector<Field>& given = m_fields;
        if (!layout.Known() || layout.hasTime || given != layout.fields)
            return Fail(Plain("The input gives " + FieldWords(given) + ",",
                              "but " + platform::Latin1ToUtf8(Symbol()) + " holds " +
                                  (layout.Known() && !layout.hasTime
                                       ? FieldWords(layout.fields)
                                       : std::to_string(m_nFieldCount) + " fields this program does not know") +
                                  "."));

        const std::string dataName = platform::FindNameNoCase(m_strPath, FileName(".DAT"));
        const std::string dataPath = platform::JoinPath(m_strPath, dataName.empty() ? FileName(".DAT") : dataName);
        PriceFileContents stored;
        if (const std::string error = ReadPriceFile(dataPath, layout, &stored); !error.empty())
            return Fail(FileError("Cannot read the price file", dataPath, error));
        if (stored.trailingBytes != 0 || stored.countWord != stored.bars.size() + 1)
            return Fail(FileError("The price file is damaged:", dataPath,
                                  "Its header counts " + std::to_string(stored.countWord ? stored.countWord - 1 : 0) +
                                      " records, but it holds " + std::to_string(stored.bars.size()) +
                                      (stored.trailingBytes ? " and some bytes more." : ".")));
        std::map<DayNumber, PriceBar> days;
        for (const StoredBar& bar : stored.bars)
        {
            const DayNumber day = DayOfDateValue(bar.date);
            if (day == 0 || (!days.empty() && day <= days.rbegin()->first))
                return Fail(
                    FileError("The price file is damaged:", dataPath, "Its dates are not valid or do not rise."));
            days[day] = PriceBar{day, -1, bar.values};
        }
        const DayNumber lastStored = days.empty() ? 0 : days.rbegin()->first;

        if (AcceptLeftOutRows(m_lines->Lines().size()))
            return 1;
        std::vector<std::string> conflicts;
        for (const PriceLine& line : m_lines->Lines())
        {
            const PriceBar value{line.day, -1, line.values};
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
                for (const Field field : layout.fields)
                    if (field != kFieldDate && old->second.values[field] != line.values[field] && difference.empty())
                    {
                        char text[120];
                        std::snprintf(text, sizeof text, "%s is %.9g in the price file, %.9g in the input",
                                      NamesOf(field).word, static_cast<double>(old->second.values[field]),
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
            m_differences = conflicts;
            std::string list;
            for (std::size_t i = 0; i < conflicts.size() && i < 5; ++i)
                list += "\n" + conflicts[i];
            if (conflicts.size() > 5)
                list += "\nand " + std::to_string(conflicts.size() - 5) + " more.";
            JobError error =
                Plain(std::to_string(conflicts.size()) + (conflicts.size() == 1 ? " day differs" : " days differ") +
                          " from the price file:",
                      list.substr(1) + "\nNothing was changed.");
            error.commandLineAdvice = "--replace rewrites these days.";
            return Fail(error);
        }
        m_nReplaced = static_cast<int>(conflicts.size());
        if (days.size() > static_cast<std::size_t>(kMaxPriceRecords))
            return Fail(Plain("The price file would hold " + std::to_string(days.size()) + " records,",
                              "but it holds at most " + std::to_string(kMaxPriceRecords) + ". Nothing was changed."));
        if (m_nAdded == 0 && m_nReplaced == 0)
            return 0;

        std::vector<PriceBar> bars;
        bars.reserve(days.size());
        for (const auto& day : days)
            bars.push_back(day.second);
        const std::vector<std::uint8_t> priceFile = BuildPriceFile(layout, bars);
        m_image.SetDates(index, DayToDateValue(days.begin()->first), DayToDateValue(days.rbegin()->first));
        WarnAboutEmaster();

        DirectoryChange change(m_strPath);
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
    m_error = {};
    m_settings.m_nExist = MasterChoice::kUseExisting;
    const int result = [&] {
        if (PrepareOutputDirectory())
            return 1;
        if (JobError problem = m_image.Load(m_strPath, m_strMasterName); problem.Failed())
            return Fail(problem);
        std::size_t index = 0;
        if (FindOwnSecurity(&index))
            return 1;
        m_nFileNumber = m_image.records[index][kRecFileNumber];
        m_image.Remove(index);
        WarnAboutEmaster();
        DirectoryChange change(m_strPath);
        change.m_stepHook = m_stepHook;
        // MASTER stops naming the security first; its files go after, so no record names a missing file.
        for (const auto& [extension, what] : {std::pair{".DAT", "the price file"}, {".DOP", "the field layout file"}})
        {
            const std::string name = platform::FindNameNoCase(m_strPath, FileName(extension));
            if (!name.empty())
                change.StageRemoval(name, what);
        }
        if (!m_image.Stage(&change, false) || !change.Commit())
            return Fail(change.Error());
        return 0;
    }();
    m_lock.Release();
    return result;
}
} // namespace tavrix
