#include "engine/DirectoryEdit.h"

#include "marketdata/FieldLayout.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <map>

namespace tavrix {
namespace {
std::int32_t Yyyymmdd(DayNumber day)
{
    return static_cast<std::int32_t>(DateValueOfDay(day) + kDateValueToYyyymmdd);
}

JobError Refusal(const std::string& what, const std::string& reason = "")
{
    JobError error;
    error.what = what;
    error.reason = reason;
    return error;
}
} // namespace

int BarMinutesOf(const std::vector<PriceBar>& bars)
{
    std::map<int, int> steps;
    const auto seconds = [](int time) { return time / 10000 * 3600 + time / 100 % 100 * 60 + time % 100; };
    for (std::size_t i = 1; i < bars.size(); ++i)
        if (bars[i].day == bars[i - 1].day)
            ++steps[(seconds(bars[i].time) - seconds(bars[i - 1].time)) / 60];
    if (steps.empty())
        return 0;
    return std::max_element(steps.begin(), steps.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
}

DirectoryEdit::DirectoryEdit(std::string directory) : m_directory(std::move(directory)), m_change(m_directory) {}

JobError DirectoryEdit::Load(const std::string& masterName, bool makeNew)
{
    m_masterName = masterName;
    m_makeNew = makeNew;
    m_change.m_stepHook = [this](const std::string& step) { return !m_stepHook || m_stepHook(step); };
    if (makeNew)
        m_image.Clear(m_directory, masterName);
    else if (JobError problem = m_image.Load(m_directory, masterName); problem.Failed())
        return problem;
    m_masterBefore = m_image.MasterBytes();
    // A number is free only when neither a master file nor any file on disk uses it.
    if (DIR* handle = ::opendir(m_directory.c_str()))
    {
        while (const dirent* entry = ::readdir(handle))
            if (const int number = PriceFileNumber(entry->d_name))
                m_taken.insert(number);
        ::closedir(handle);
    }
    return {};
}

std::vector<SecurityRef> DirectoryEdit::Matching(const std::string& key) const
{
    std::vector<SecurityRef> exact;
    std::vector<SecurityRef> loose;
    const auto consider = [&](SecurityRef ref, const std::string& symbol, const std::string& name) {
        if (SymbolIsKey(symbol, key.c_str()))
            exact.push_back(ref);
        else if (NameOrSymbolMatchesKey(name, symbol, key.c_str()))
            loose.push_back(ref);
    };
    for (std::size_t i = 0; i < m_image.records.size(); ++i)
        if (!IsDirectoryEntry(m_image.records[i].data()))
            consider({false, i}, RecordSymbol(m_image.records[i].data()), RecordName(m_image.records[i].data()));
    for (std::size_t i = 0; i < m_image.xmaster.records.size(); ++i)
    {
        const XmasterRecord& record = m_image.xmaster.records[i];
        consider({true, i}, XmasterSymbol(record), XmasterName(record));
    }
    return exact.empty() ? loose : exact;
}

Security DirectoryEdit::Describe(SecurityRef ref) const
{
    Security security;
    security.directory = platform::JoinPath(m_directory, "");
    security.index = ref.index;
    if (!ref.above)
    {
        const MasterRecord& record = m_image.records[ref.index];
        security.source = Security::kMaster;
        security.fileNumber = record[kRecFileNumber];
        security.symbol = RecordSymbol(record.data());
        security.name = RecordName(record.data());
        security.period = static_cast<char>(record[kRecPeriod]);
        security.interval = record[kRecInterval] | record[kRecInterval + 1] << 8;
        security.layout = MasterRecordLayout(m_directory, record);
        security.firstDate = FromMbf(&record[kRecFirstDate]);
        security.lastDate = FromMbf(&record[kRecLastDate]);
        return security;
    }
    security = SecurityOfXmaster(DecodeXmasterRecord(m_image.xmaster.records[ref.index]), security.directory);
    security.index = ref.index;
    return security;
}

std::string DirectoryEdit::RecordLabel(SecurityRef ref) const
{
    if (ref.above)
        return "XMASTER record " + std::to_string(ref.index + 1) + ": " +
               platform::Latin1ToUtf8(XmasterSymbol(m_image.xmaster.records[ref.index]));
    const MasterRecord& record = m_image.records[ref.index];
    return "MASTER record " + std::to_string(ref.index + 1) + ": " +
           platform::Latin1ToUtf8(IsDirectoryEntry(record.data()) ? "<DIR> " + DirectoryEntryName(record.data())
                                                                  : RecordSymbol(record.data()));
}

std::vector<std::string> DirectoryEdit::SharingItsNumber(SecurityRef ref) const
{
    const int number =
        ref.above ? XmasterFileNumber(m_image.xmaster.records[ref.index]) : m_image.records[ref.index][kRecFileNumber];
    std::vector<std::string> others;
    for (std::size_t i = 0; i < m_image.records.size(); ++i)
        if ((ref.above || i != ref.index) && m_image.records[i][kRecFileNumber] == number)
            others.push_back(RecordLabel({false, i}));
    for (std::size_t i = 0; i < m_image.xmaster.records.size(); ++i)
        if ((!ref.above || i != ref.index) && XmasterFileNumber(m_image.xmaster.records[i]) == number)
            others.push_back(RecordLabel({true, i}));
    return others;
}

int DirectoryEdit::NextFileNumber() const
{
    if (m_image.records.size() < static_cast<std::size_t>(kMasterMaxSecurities))
    {
        std::set<int> used(m_taken);
        for (const int number : m_image.FileNumbers())
            used.insert(number);
        for (const XmasterRecord& record : m_image.xmaster.records)
            if (XmasterFileNumber(record) <= kMasterMaxSecurities)
                used.insert(XmasterFileNumber(record));
        for (int number = 1; number <= kMasterMaxSecurities; ++number)
            if (!used.count(number))
                return number;
    }
    if (!m_image.XmasterProblem().empty())
        return 0;
    // Vendors' readers take XMASTER's counter for the highest number + 1, so it is followed while
    // it can go on; once it cannot, the lowest number no record or file takes is given.
    for (int number = m_image.NextNumberAbove(); number <= kLastXmasterNumber; ++number)
        if (!m_taken.count(number))
            return number;
    std::set<int> used(m_taken);
    for (const XmasterRecord& record : m_image.xmaster.records)
        used.insert(XmasterFileNumber(record));
    for (int number = kFirstXmasterNumber; number <= kLastXmasterNumber; ++number)
        if (!used.count(number))
            return number;
    return 0;
}

std::string DirectoryEdit::PriceFileOf(SecurityRef ref) const
{
    const Security security = Describe(ref);
    const std::string found = platform::FindNameNoCase(m_directory, security.PriceFileName());
    return found.empty() ? security.PriceFileName() : found;
}

JobError DirectoryEdit::NoRoom() const
{
    JobError full = Refusal("This directory holds as many securities as its MASTER and XMASTER can number.");
    if (!m_image.XmasterProblem().empty())
        full = Refusal("MASTER holds 255 securities, and", m_image.XmasterProblem());
    full.desktopAdvice = "Choose another directory, with \"Make New Master\".";
    full.commandLineAdvice = "Convert into another directory; --new-master makes a MASTER there.";
    return full;
}

JobError DirectoryEdit::Add(const AddedSecurity& added, const std::vector<PriceBar>& bars, int* fileNumber)
{
    const int number = NextFileNumber();
    if (number == 0)
        return NoRoom();
    const bool above = number > kMasterMaxSecurities;
    const std::string priceName = "F" + std::to_string(number) + (above ? ".MWD" : ".DAT");
    m_taken.insert(number);
    if (!m_change.Stage(priceName, "the price file", BuildPriceFile(added.layout, bars), DirectoryChange::kCreate))
        return m_change.Error();
    // A layout file names daily fields only; intraday and XMASTER records say their own fields.
    if (!above && !added.layout.hasTime)
    {
        const std::string text = FieldLayoutText(added.layout.fields);
        if (!m_change.Stage("F" + std::to_string(number) + ".DOP", "the field layout file",
                            std::vector<std::uint8_t>(text.begin(), text.end()), DirectoryChange::kCreate))
            return m_change.Error();
    }
    const DayNumber first = bars.front().day;
    const DayNumber last = bars.back().day;
    if (!above)
    {
        NewSecurity security;
        security.fileNumber = static_cast<std::uint8_t>(number);
        security.fieldCount = added.layout.fieldCount;
        security.name = added.name;
        security.symbol = added.symbol;
        security.firstDate = DayToDateValue(first);
        security.lastDate = DayToDateValue(last);
        security.period = added.period;
        security.interval = added.interval;
        m_image.Add(BuildSecurityRecord(security));
    }
    else
    {
        XmasterSecurity security;
        security.fileNumber = number;
        security.symbol = added.symbol;
        security.name = added.name;
        security.period = added.period;
        security.interval = added.interval;
        security.fieldBits = added.layout.Bits();
        security.firstDate = Yyyymmdd(first);
        security.lastDate = Yyyymmdd(last);
        m_image.AddAbove(BuildXmasterRecord(security));
    }
    *fileNumber = number;
    return {};
}

JobError DirectoryEdit::DamagedXmaster(SecurityRef ref) const
{
    // Its securities' records would be written back into a file we could not read whole.
    if (!ref.above || m_image.XmasterProblem().empty())
        return {};
    JobError error;
    error.what = m_image.XmasterProblem();
    error.reason = "Its securities are not changed until it is put right; tavrix-cli check tells more.";
    return error;
}

JobError DirectoryEdit::Replace(SecurityRef ref, const std::vector<PriceBar>& bars)
{
    if (JobError problem = DamagedXmaster(ref); problem.Failed())
        return problem;
    const Security security = Describe(ref);
    if (!m_change.Stage(PriceFileOf(ref), "the price file", BuildPriceFile(security.layout, bars),
                        DirectoryChange::kReplace))
        return m_change.Error();
    if (ref.above)
        m_image.SetDatesAbove(ref.index, Yyyymmdd(bars.front().day), Yyyymmdd(bars.back().day));
    else
        m_image.SetDates(ref.index, DayToDateValue(bars.front().day), DayToDateValue(bars.back().day));
    return {};
}

JobError DirectoryEdit::Remove(SecurityRef ref)
{
    if (JobError problem = DamagedXmaster(ref); problem.Failed())
        return problem;
    const Security security = Describe(ref);
    // Its record goes first; its files are deleted once no record names them.
    const std::pair<std::string, std::string> files[] = {
        {security.PriceFileName(), "the price file"},
        {"F" + std::to_string(security.fileNumber) + ".DOP", "the field layout file"}};
    for (const auto& [name, what] : files)
    {
        const std::string found = platform::FindNameNoCase(m_directory, name);
        if (!found.empty())
            m_change.StageRemoval(found, what);
    }
    if (ref.above)
        m_image.RemoveAbove(ref.index);
    else
        m_image.Remove(ref.index);
    return {};
}

JobError DirectoryEdit::Commit()
{
    // MASTER.BAK holds MASTER as it was before this change, so it can put back what was there.
    if (!m_makeNew && m_image.masterChanged &&
        !m_change.Stage(m_masterName + ".BAK", "the Master backup", m_masterBefore, DirectoryChange::kReplace))
        return m_change.Error();
    if (!m_image.Stage(&m_change, m_makeNew) || !m_change.Commit())
        return m_change.Error();
    return {};
}
} // namespace tavrix
