#include "engine/MarketConversion.h"

#include "engine/ConversionJob.h"
#include "engine/DirectoryChange.h"
#include "engine/DirectoryEdit.h"
#include "engine/PriceMerge.h"
#include "platform/DirectoryLock.h"
#include "platform/FileOps.h"
#include "platform/Strings.h"
#include "settings/ReadingChoices.h"
#include "settings/SettingsRules.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unordered_map>

namespace tavrix {
namespace {
constexpr int kMaxCells = 64;

std::string Cell(const Token* cells, int count, int column)
{
    return column >= 0 && column < count ? std::string(cells[column].text, cells[column].length) : "";
}

JobError Plain(const std::string& what, const std::string& reason = "")
{
    JobError error;
    error.what = what;
    error.reason = reason;
    return error;
}

// The bar length of a period text: 0 for daily, the minutes of an intraday bar, -1 for none we keep.
int Minutes(const std::string& period)
{
    if (period == "D" || period == "d")
        return 0;
    if (!period.empty() && period.size() <= 4 && period.find_first_not_of("0123456789") == std::string::npos)
        return std::atoi(period.c_str()) > 0 ? std::atoi(period.c_str()) : -1;
    return -1;
}
// "it has 12 bars on 2025-01-02": the first day that has more than one bar; "" when none has.
std::string SeveralBarsADay(const std::vector<PriceBar>& bars)
{
    for (std::size_t i = 1; i < bars.size(); ++i)
        if (bars[i].day == bars[i - 1].day)
        {
            std::size_t end = i;
            while (end < bars.size() && bars[end].day == bars[i].day)
                ++end;
            std::size_t start = i - 1;
            return "it has " + std::to_string(end - start) + " bars on " + IsoDayText(bars[i].day);
        }
    return "";
}
} // namespace

std::string TickerOutcome::ConvertedText() const
{
    if (change == kNew || present == 0)
        return "converted";
    return "converted; " + std::to_string(present) + (present == 1 ? " row already present" : " rows already present");
}

bool IsMarketFile(const Reading& reading)
{
    return reading.tickerColumn >= 0;
}

JobError UnreadableInput(const std::string& path, const Reading& reading)
{
    JobError error = FileError("The input cannot be read as it stands:", path, reading.error);
    error.commandLineAdvice = reading.advice;
    if (!reading.advice.empty())
        error.desktopAdvice = kReadingAdvice;
    return error;
}

int MarketConversion::Converted() const
{
    return static_cast<int>(
        std::count_if(m_outcomes.begin(), m_outcomes.end(), [](const TickerOutcome& o) { return o.converted; }));
}

int MarketConversion::Fail(JobError error)
{
    if (!m_error.Failed())
        m_error = std::move(error);
    return 1;
}

int MarketConversion::Inspect()
{
    m_error = {};
    m_tickers.clear();
    const bool standardInput = m_strInputPath == "-";
    platform::FilePtr file;
    if (!standardInput && !(file = platform::OpenFile(m_strInputPath, "rb")))
        return Fail(FileError("Cannot read the input file", m_strInputPath));
    m_input = ReadInputText(standardInput ? stdin : file.get());
    if (m_input.Failed())
        return Fail(FileError("Cannot read the input file", m_strInputPath));
    m_reading = Detect(m_input, GivenReadingOf(m_settings, m_nDateFormat));
    if (!m_reading.error.empty())
        return Fail(UnreadableInput(m_strInputPath, m_reading));
    if (!IsMarketFile(m_reading))
        return Fail(FileError("The input names no securities in a column (<TICKER>, Ticker or Symbol):", m_strInputPath,
                              "Convert it as one security, with --symbol."));

    // Each ticker's rows, in the order the tickers first appear; rows need not be grouped.
    std::unordered_map<std::string, std::size_t> byTicker;
    Token cells[kMaxCells];
    for (std::size_t index = static_cast<std::size_t>(m_reading.rules.skipRows); index < m_input.RowCount(); ++index)
    {
        const TextRow row = m_input.Row(index);
        const int count =
            SplitTokens(row.text, std::min(row.length, InputText::kKeep), m_reading.rules.delimiter, cells, kMaxCells);
        std::string symbol;
        if (!rules::ToMasterText(Cell(cells, count, m_reading.tickerColumn), &symbol).empty())
            symbol = Cell(cells, count, m_reading.tickerColumn);
        symbol = platform::UpperLatin1(platform::TrimWhite(symbol));
        if (symbol.empty())
            continue; // no security named: the row belongs to none
        auto [at, added] = byTicker.emplace(symbol, m_tickers.size());
        if (added)
        {
            m_tickers.push_back({symbol, symbol, {}, "", ""});
            if (m_reading.periodColumn < 0)
                m_tickers.back().period = m_reading.intraday ? "" : "D";
        }
        Ticker& ticker = m_tickers[at->second];
        ticker.rows.push_back(static_cast<long>(index));
        if (m_reading.nameColumn >= 0 && ticker.name == ticker.symbol)
        {
            std::string name;
            if (rules::ToMasterText(platform::TrimWhite(Cell(cells, count, m_reading.nameColumn)), &name).empty() &&
                !name.empty())
                ticker.name = name;
        }
        if (m_reading.periodColumn >= 0 && ticker.problem.empty())
        {
            const std::string period = platform::TrimWhite(Cell(cells, count, m_reading.periodColumn));
            if (ticker.rows.size() == 1)
                ticker.period = period;
            else if (period != ticker.period)
                ticker.problem = "its rows give the periods " + ticker.period + " and " + period;
        }
    }
    for (Ticker& ticker : m_tickers)
        if (rules::NameMarksDirectory(ticker.name))
            ticker.problem = "its name ends in <DIR> at its 16th character, which would make the security a "
                             "sub-directory entry";
    for (Ticker& ticker : m_tickers)
        if (ticker.problem.empty() && m_reading.periodColumn >= 0 && Minutes(ticker.period) < 0)
            ticker.problem = "its period " + ticker.period +
                             " is none this program writes: D for daily bars, or the bar's minutes (W and M "
                             "securities are not read alike by charting programs)";
    if (m_tickers.empty())
        return Fail(FileError("No price lines in", m_strInputPath, "No row names a security."));
    return 0;
}

int MarketConversion::Run()
{
    m_outcomes.clear();
    if (Inspect() != 0)
        return 1;

    // Every ticker's rows read before the directory is locked.
    struct Read
    {
        std::vector<PriceBar> bars;
        RecordLayout layout;
        std::vector<Field> fields;
        int minutes = 0;
    };
    std::vector<Read> reads(m_tickers.size());
    m_outcomes.resize(m_tickers.size());
    bool strictRefusal = false;
    PriceLineRules rules = m_reading.rules;
    rules.skipRows = 0;
    std::vector<Field> fields;
    for (int field = 0; field < kFieldCount; ++field)
        if (rules.column[field] >= 0)
            fields.push_back(static_cast<Field>(field));
    for (std::size_t t = 0; t < m_tickers.size(); ++t)
    {
        const Ticker& ticker = m_tickers[t];
        TickerOutcome& outcome = m_outcomes[t];
        outcome.ticker = ticker.symbol;
        if (m_onProgress)
            m_onProgress(t, m_tickers.size(), platform::Latin1ToUtf8(ticker.symbol));
        if (ticker.symbol.size() > static_cast<std::size_t>(kRecTextWidth))
        {
            outcome.error = Plain("The ticker is longer than " + std::to_string(kRecTextWidth) + " characters.");
            continue;
        }
        if (!ticker.problem.empty())
        {
            outcome.error = Plain("Not converted: " + ticker.problem + ".");
            continue;
        }
        PriceLineReader reader(rules);
        for (const long index : ticker.rows)
        {
            const TextRow row = m_input.Row(static_cast<std::size_t>(index));
            reader.AddRowAt(row.text, row.length, index + 1);
        }
        outcome.leftOut = reader.Report();
        if (reader.Lines().empty())
        {
            outcome.error = Plain("No price lines", outcome.leftOut.Text());
            continue;
        }
        if (m_bStrict && outcome.leftOut.leftOut > 0)
        {
            outcome.error = Plain(outcome.leftOut.Text());
            strictRefusal = true;
            continue;
        }
        Read& read = reads[t];
        read.bars = reader.Lines();
        read.fields = fields;
        read.minutes = m_reading.periodColumn >= 0 ? Minutes(ticker.period) : (m_reading.intraday ? -2 : 0);
        if (read.minutes == 0 && !m_settings.m_bDaily)
            if (const std::string problem = SeveralBarsADay(read.bars); !problem.empty())
            {
                // Daily by its period, yet timed bars: which of a day's bars is the day's is not ours to pick.
                outcome.error = Plain("Not converted: its period is D, but " + problem + ".",
                                      "Give its bars' minutes as the period, or make one bar a day of them with "
                                      "--daily (\"One bar a day\" in the desktop program).");
                continue;
            }
        if (m_settings.m_bDaily && (read.minutes != 0 || rules.timeColumn >= 0 || rules.timeAfterDate))
        {
            read.bars = DailyBars(read.bars);
            read.minutes = 0;
        }
        if (read.minutes == 0)
        {
            read.layout.fields = fields;
            read.layout.fieldCount = static_cast<int>(fields.size());
            for (PriceBar& bar : read.bars)
                bar.time = -1;
        }
        else
            read.layout = DefaultLayoutForCount(8); // intraday records hold every field, as vendors write them
    }

    // Strict: rows left out of one ticker keep the whole file out.
    if (strictRefusal)
    {
        for (TickerOutcome& outcome : m_outcomes)
            if (!outcome.error.Failed())
                outcome.error =
                    Plain("Not written: rows of another ticker were left out, and nothing is written then.");
        return 1;
    }

    // One lock, one read of the master files, one commit for every ticker that goes in.
    char resolved[PATH_MAX];
    if (m_settings.m_nExist != MasterChoice::kUseExisting && !::realpath(m_settings.m_strPath.c_str(), resolved))
        ::mkdir(m_settings.m_strPath.c_str(), 0777);
    m_strPath = ::realpath(m_settings.m_strPath.c_str(), resolved) ? resolved : m_settings.m_strPath;
    platform::DirectoryLock lock;
    if (!lock.Acquire(m_strPath, m_onWaitForLock))
        return Fail(FileError("Cannot use the output directory", m_strPath, lock.Error()));
    if (JobError problem = DirectoryChange(m_strPath).Recover(); problem.Failed())
        return Fail(problem);
    const std::string masterName = platform::FindNameNoCase(m_strPath, kMasterFileName);
    const bool makeNew = m_settings.m_nExist == MasterChoice::kMakeNew ||
                         (m_settings.m_nExist != MasterChoice::kUseExisting && masterName.empty());
    if (!makeNew && masterName.empty())
    {
        JobError error = FileError(msg::kNoMasterFile, m_strPath, "");
        error.commandLineAdvice = "--new-master makes one.";
        error.desktopAdvice = "\"Make New Master\" creates one.";
        return Fail(error);
    }
    if (makeNew && !masterName.empty())
        return Fail(FileError(msg::kMasterExists, platform::JoinPath(m_strPath, masterName), ""));
    DirectoryEdit edit(m_strPath);
    edit.m_stepHook = m_stepHook;
    if (JobError problem = edit.Load(masterName.empty() ? kMasterFileName : masterName, makeNew); problem.Failed())
        return Fail(problem);
    if (m_onWarning && !edit.EmasterWarning().empty())
        m_onWarning(edit.EmasterWarning());

    // The directory's securities by symbol, found once: a ticker is one of them when its symbol is.
    std::unordered_map<std::string, std::vector<SecurityRef>> held;
    std::vector<Security> listed;
    ListSecurities(m_strPath, &listed, false);
    for (const Security& security : listed)
        if (security.directory == platform::JoinPath(m_strPath, ""))
            held[platform::UpperLatin1(security.symbol)].push_back(
                {security.source == Security::kXmaster, security.index});

    bool staged = false;
    for (std::size_t t = 0; t < m_tickers.size(); ++t)
    {
        TickerOutcome& outcome = m_outcomes[t];
        Read& read = reads[t];
        const Ticker& ticker = m_tickers[t];
        const auto found = held.find(ticker.symbol);
        outcome.change = found == held.end() ? TickerOutcome::kNew : TickerOutcome::kAdded;
        if (outcome.error.Failed())
            continue;
        if (found == held.end())
        {
            AddedSecurity added;
            added.symbol = ticker.symbol;
            added.name = ticker.name;
            added.layout = read.layout;
            if (read.minutes != 0)
            {
                added.period = 'I';
                added.interval = read.minutes > 0 ? read.minutes : BarMinutesOf(read.bars);
            }
            int number = 0;
            if (JobError problem = edit.Add(added, read.bars, &number); problem.Failed())
            {
                outcome.error = problem;
                continue;
            }
            outcome.records = static_cast<int>(read.bars.size());
            outcome.firstDay = read.bars.front().day;
            outcome.lastDay = read.bars.back().day;
        }
        else
        {
            if (found->second.size() > 1)
            {
                outcome.error = Plain(std::to_string(found->second.size()) + " securities of the directory have "
                                                                             "this symbol; none was changed.");
                continue;
            }
            const SecurityRef ref = found->second.front();
            const Security security = edit.Describe(ref);
            const RecordLayout& layout = security.layout;
            const bool fits = layout.Known() && layout.hasTime == (read.minutes != 0) &&
                              (layout.hasTime ? std::includes(layout.fields.begin(), layout.fields.end(),
                                                              read.fields.begin(), read.fields.end())
                                              : read.fields == layout.fields);
            if (!fits || !edit.SharingItsNumber(ref).empty())
            {
                outcome.error =
                    Plain(!fits ? "The file gives " + FieldWords(read.fields) +
                                      (read.minutes != 0 ? " with a time" : "") + ", but the security holds " +
                                      FieldWords(layout.fields) + (layout.hasTime ? " with a time" : "") + "."
                                : "Its price file is named by another record too; check the directory.");
                continue;
            }
            PriceFileContents stored;
            if (const std::string error = ReadPriceFile(security.PriceFilePath(), layout, &stored); !error.empty())
            {
                outcome.error = FileError("Cannot read the price file", security.PriceFilePath(), error);
                continue;
            }
            const PriceMerge merge = MergeBars(stored.bars, read.bars, read.fields, layout.hasTime, m_bReplace);
            if (!merge.problem.empty() || (!merge.differences.empty() && !m_bReplace) ||
                merge.bars.size() > static_cast<std::size_t>(kMaxPriceRecords))
            {
                outcome.error =
                    !merge.problem.empty()
                        ? FileError("The price file is damaged:", security.PriceFilePath(), merge.problem)
                    : merge.differences.empty()
                        ? Plain("The price file would hold more than " + std::to_string(kMaxPriceRecords) + " records.")
                        : Plain(std::to_string(merge.differences.size()) +
                                    (merge.differences.size() == 1 ? " day differs" : " days differ") +
                                    " from the price file, first " + merge.differences.front() + ".",
                                "--replace rewrites them.");
                continue;
            }
            outcome.present = merge.present;
            outcome.replaced = merge.replaced;
            outcome.records = merge.added;
            outcome.firstDay = merge.firstAdded;
            outcome.lastDay = merge.lastAdded;
            if (merge.added > 0 || merge.replaced > 0)
                if (JobError problem = edit.Replace(ref, merge.bars); problem.Failed())
                {
                    outcome.error = problem;
                    continue;
                }
        }
        outcome.converted = true;
        staged = true;
    }
    if (staged)
        if (JobError problem = edit.Commit(); problem.Failed())
        {
            for (TickerOutcome& outcome : m_outcomes)
                if (outcome.converted)
                    outcome.converted = false, outcome.error = problem;
            return Fail(problem);
        }
    return Converted() == static_cast<int>(m_outcomes.size()) ? 0 : 1;
}
} // namespace tavrix
