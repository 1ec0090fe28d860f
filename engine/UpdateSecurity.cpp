#include "engine/ConversionJob.h"
#include "engine/PriceMerge.h"

#include "platform/FileOps.h"
#include "platform/Strings.h"

#include <algorithm>

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

int ConversionJob::FindOwnSecurity(SecurityRef* ref)
{
    const std::string key = Symbol();
    const std::string symbol = platform::Latin1ToUtf8(key);
    const std::vector<SecurityRef> found = m_edit->Matching(key);
    if (found.size() > 1)
    {
        std::string list;
        for (const SecurityRef& one : found)
        {
            const Security security = m_edit->Describe(one);
            list += "\nF" + std::to_string(security.fileNumber) + " " + platform::Latin1ToUtf8(security.symbol) + " (" +
                    platform::Latin1ToUtf8(security.name) + ")";
        }
        return Fail(Plain(symbol + " names " + std::to_string(found.size()) + " securities in " + m_strPath + ":",
                          list.substr(1) + "\nName one by its full symbol or name."));
    }
    if (found.size() == 1)
    {
        // A price file another record names too is not this security's alone to change or delete.
        const std::vector<std::string> others = m_edit->SharingItsNumber(found.front());
        if (!others.empty())
        {
            std::string list;
            for (const std::string& other : others)
                list += "\n" + other;
            return Fail(Plain(symbol + " shares its file number " +
                                  std::to_string(m_edit->Describe(found.front()).fileNumber) +
                                  " with another record in " + m_strPath + ":",
                              m_edit->RecordLabel(found.front()) + list +
                                  "\nNothing was changed; tavrix-cli check tells what else is wrong there."));
        }
        *ref = found.front();
        return 0;
    }
    std::vector<Security> securities;
    ListSecurities(m_strPath, &securities, false);
    if (const Security* elsewhere = SecurityNamedBy(securities, key.c_str()))
        return Fail(Plain("No security " + symbol + " in " + m_strMasterPath,
                          "There is one in " + elsewhere->directory + "; name that directory instead."));
    return Fail(Plain("No security " + symbol + " in " + m_strMasterPath));
}

std::string ConversionJob::UpdateSummary() const
{
    std::string text = std::to_string(m_nAdded) + (m_nAdded == 1 ? " record added" : " records added");
    if (m_nAdded > 0)
        text += ", " + IsoDayText(m_nFirstDay) + " to " + IsoDayText(m_nLastDay);
    text += "; " + std::to_string(m_nAlreadyPresent) + (m_nAlreadyPresent == 1 ? " row was" : " rows were") +
            " already present";
    if (m_nReplaced > 0)
        text += "; " + std::to_string(m_nReplaced) + (m_nReplaced == 1 ? " day replaced" : " days replaced");
    return text;
}

int ConversionJob::Update(bool replace)
{
    m_error = {};
    m_leftOut = {};
    m_differences.clear();
    m_nAdded = m_nAlreadyPresent = m_nReplaced = 0;
    m_settings.m_nExist = MasterChoice::kUseExisting;
    const int result = [&] {
        if (ReadInput() || PrepareOutputDirectory() || CheckFieldCount() || OpenEdit(false))
            return 1;
        SecurityRef ref;
        if (FindOwnSecurity(&ref))
            return 1;
        const Security security = m_edit->Describe(ref);
        m_nFileNumber = security.fileNumber;
        const RecordLayout& layout = security.layout;

        // The input must give the security's own fields, as its record or layout file says. An
        // intraday security holds every field; the input gives at least its date, time and close.
        const std::vector<Field>& given = m_fields;
        const bool fits =
            layout.Known() && layout.hasTime == Intraday() &&
            (layout.hasTime ? std::includes(layout.fields.begin(), layout.fields.end(), given.begin(), given.end())
                            : given == layout.fields);
        if (!fits)
            return Fail(
                Plain("The input gives " + FieldWords(given) + (Intraday() ? " with a time" : "") + ",",
                      "but " + platform::Latin1ToUtf8(Symbol()) + " holds " +
                          (layout.Known() ? FieldWords(layout.fields) + (layout.hasTime ? " with a time" : "")
                                          : std::to_string(layout.fieldCount) + " fields this program does not know") +
                          "."));

        const std::string dataPath = security.PriceFilePath();
        PriceFileContents stored;
        if (const std::string error = ReadPriceFile(dataPath, layout, &stored); !error.empty())
            return Fail(FileError("Cannot read the price file", dataPath, error));
        if (stored.trailingBytes != 0 || stored.countWord != stored.bars.size() + 1)
            return Fail(FileError("The price file is damaged:", dataPath,
                                  "Its header counts " + std::to_string(stored.countWord ? stored.countWord - 1 : 0) +
                                      " records, but it holds " + std::to_string(stored.bars.size()) +
                                      (stored.trailingBytes ? " and some bytes more." : ".")));
        if (AcceptLeftOutRows(m_lines->Lines().size()))
            return 1;
        const PriceMerge merge = MergeBars(stored.bars, Bars(), given, layout.hasTime, replace);
        if (!merge.problem.empty())
            return Fail(FileError("The price file is damaged:", dataPath, merge.problem));
        m_nAdded = merge.added;
        m_nAlreadyPresent = merge.present;
        m_nFirstDay = merge.firstAdded;
        m_nLastDay = merge.lastAdded;
        const std::vector<std::string>& conflicts = merge.differences;
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
        m_nReplaced = merge.replaced;
        if (merge.bars.size() > static_cast<std::size_t>(kMaxPriceRecords))
            return Fail(Plain("The price file would hold " + std::to_string(merge.bars.size()) + " records,",
                              "but it holds at most " + std::to_string(kMaxPriceRecords) + ". Nothing was changed."));
        if (m_nAdded == 0 && m_nReplaced == 0)
            return 0;
        const std::vector<PriceBar>& all = merge.bars;
        if (JobError problem = m_edit->Replace(ref, all); problem.Failed())
            return Fail(problem);
        if (JobError problem = m_edit->Commit(); problem.Failed())
            return Fail(problem);
        m_nLineCount = static_cast<int>(all.size());
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
        SecurityRef ref;
        if (PrepareOutputDirectory() || OpenEdit(false) || FindOwnSecurity(&ref))
            return 1;
        m_nFileNumber = m_edit->Describe(ref).fileNumber;
        if (JobError problem = m_edit->Remove(ref); problem.Failed())
            return Fail(problem);
        if (JobError problem = m_edit->Commit(); problem.Failed())
            return Fail(problem);
        return 0;
    }();
    m_lock.Release();
    return result;
}
} // namespace tavrix
