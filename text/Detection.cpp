#include "text/Detection.h"

#include "platform/Strings.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string_view>

namespace tavrix {
namespace {
constexpr std::size_t kSampleRows = 64;
constexpr int kMaxColumns = 300; // a row of 299 characters has no more

const char* const kFieldNames[kFieldCount] = {"date", "open", "high", "low", "close", "volume", "open interest"};
const char* const kColumnWords[kFieldCount] = {"date", "open", "high", "low", "close", "volume", "oi"};
const Delimiter kDelimiters[] = {Delimiter::kComma, Delimiter::kTab, Delimiter::kSemicolon, Delimiter::kPipe,
                                 Delimiter::kSpace};

using Columns = std::array<int, kFieldCount>;

std::string ColumnCount(int count)
{
    return std::to_string(count) + (count == 1 ? " column" : " columns");
}

std::string Readable(const char* text, std::size_t length)
{
    std::string readable(text, length);
    for (char& c : readable)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = c == '\t' ? ' ' : '?';
    return platform::IsValidUtf8(readable) ? readable : platform::Latin1ToUtf8(readable);
}

std::string Readable(const Token& token)
{
    return Readable(token.text, token.length);
}

std::string Line(std::size_t index)
{
    return "line " + std::to_string(index + 1);
}

std::vector<Token> Split(const TextRow& row, Delimiter delimiter, int maxTokens = kMaxColumns)
{
    Token tokens[kMaxColumns];
    const int count = SplitTokens(row.text, std::min(row.length, InputText::kKeep), delimiter, tokens,
                                  std::min(maxTokens, kMaxColumns));
    return std::vector<Token>(tokens, tokens + count);
}

bool AllEmpty(const std::vector<Token>& cells)
{
    return std::all_of(cells.begin(), cells.end(), [](const Token& t) { return t.length == 0; });
}

bool HasText(const TextRow& row)
{
    const std::size_t kept = std::min(row.length, InputText::kKeep);
    return std::any_of(row.text, row.text + kept, [](char c) { return c != ' ' && c != '\t'; });
}

bool ReadsAsDate(const Token& cell)
{
    for (int code = 1; code <= kDateFormatCount; ++code)
        if (ReadDateText(cell.text, cell.length, code) != 0)
            return true;
    return false;
}

bool ReadsAsNumber(const Token& cell)
{
    float value = 0;
    return ReadNumberText(cell.text, cell.length, &value, {DecimalMark::kPoint, true}) == NumberRead::kOk ||
           ReadNumberText(cell.text, cell.length, &value, {DecimalMark::kComma, true}) == NumberRead::kOk;
}

// A time written with a colon: digits alone are taken for a number.
bool IsClockTime(const Token& cell)
{
    return std::char_traits<char>::find(cell.text, cell.length, ':') && ReadTimeText(cell.text, cell.length) >= 0;
}

std::string DelimiterName(Delimiter delimiter)
{
    return delimiter == Delimiter::kSpace ? "blank-aligned" : std::string(DelimiterWord(delimiter)) + "-separated";
}

// Follows the dates of one layout down the rows.
struct LayoutTrial
{
    int code = 0;
    bool alive = true;
    long reads = 0;
    DayNumber last = 0;
    int direction = 0;
    long orderBreaks = 0;
    std::size_t failIndex = 0; // where it stopped reading or first went the other way
    std::string failText;
    std::size_t order = 0; // when it stopped reading: later ones read further
    bool repeats = false;  // some day on two rows one after the other
};

class Detector
{
public:
    Detector(const InputText& input, const GivenReading& given) : m_input(input), m_given(given) {}

    Reading Run()
    {
        if (TakeSample() && ChooseDelimiter() && FindHeader() && ChooseColumns() && ChooseDateLayout() &&
            ChooseDecimal())
            Describe();
        return m_reading;
    }

private:
    // The reason, and apart from it the options that settle it: the desktop program has other words.
    bool Fail(const std::string& reason, const std::string& advice = "")
    {
        m_reading.error = reason;
        m_reading.advice = advice;
        return false;
    }

    PriceLineRules& Rules() { return m_reading.rules; }
    std::size_t DataStart() const { return static_cast<std::size_t>(std::max(0, m_reading.rules.skipRows)); }

    bool TakeSample()
    {
        const std::size_t rows = m_input.RowCount();
        // A header may be the last row the user skips.
        const std::size_t start = m_given.skipRows ? static_cast<std::size_t>(std::max(0, *m_given.skipRows - 1)) : 0;
        for (std::size_t i = start; i < rows && m_head.size() < kSampleRows; ++i)
            if (HasText(m_input.Row(i)))
                m_head.push_back(i);
        const std::size_t headEnd = m_head.empty() ? rows : m_head.back() + 1;
        for (std::size_t i = rows; i > headEnd && m_tail.size() < kSampleRows; --i)
            if (HasText(m_input.Row(i - 1)))
                m_tail.push_back(i - 1);
        if (m_head.empty())
            return Fail(m_given.skipRows && *m_given.skipRows > 0 ? "The input holds no rows after the skipped ones."
                                                                  : "The input holds no rows.");
        return true;
    }

    // The delimiter under which the most cells read as numbers, dates or times.
    bool ChooseDelimiter()
    {
        if (m_given.delimiter)
        {
            Rules().delimiter = *m_given.delimiter;
            return true;
        }
        struct Score
        {
            Delimiter delimiter;
            long typed;
            int columns;
        };
        std::vector<Score> scores;
        for (const Delimiter delimiter : kDelimiters)
        {
            long typed = 0;
            std::map<int, int> counts;
            for (const std::size_t index : m_head)
            {
                const std::vector<Token> cells = Split(m_input.Row(index), delimiter);
                ++counts[static_cast<int>(cells.size())];
                for (const Token& cell : cells)
                    if (cell.length > 0 && (ReadsAsNumber(cell) || ReadsAsDate(cell) || IsClockTime(cell)))
                        ++typed;
            }
            const int columns = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                    return a.second < b.second;
                                })->first;
            if (columns >= 2 && typed > 0)
                scores.push_back({delimiter, typed, columns});
        }
        if (scores.empty())
            return Fail("No delimiter splits the rows into columns of numbers and dates; " + Line(m_head.front()) +
                            ": " + StartOfRow(m_input.Row(m_head.front()).text, m_input.Row(m_head.front()).length),
                        "Choose one with --delimiter comma, tab, semicolon, pipe or space.");
        // Blank-aligned reading yields to a delimiter that reads as much: tab files also split at blanks.
        std::stable_sort(scores.begin(), scores.end(),
                         [](const Score& a, const Score& b) { return a.typed > b.typed; });
        if (scores.size() > 1 && scores[1].typed == scores[0].typed && scores[1].delimiter != Delimiter::kSpace)
            return Fail("The rows split two ways: " + DelimiterName(scores[0].delimiter) + " into " +
                            std::to_string(scores[0].columns) + " columns and " + DelimiterName(scores[1].delimiter) +
                            " into " + std::to_string(scores[1].columns) + ".",
                        std::string("Choose one with --delimiter ") + DelimiterWord(scores[0].delimiter) +
                            " or --delimiter " + DelimiterWord(scores[1].delimiter) + ".");
        Rules().delimiter = scores[0].delimiter;
        return true;
    }

    bool FindHeader()
    {
        const std::size_t dataStart = m_given.skipRows ? static_cast<std::size_t>(*m_given.skipRows) : 0;
        std::size_t firstData = m_input.RowCount();
        for (const std::size_t index : m_head)
        {
            m_cells[index] = Split(m_input.Row(index), Rules().delimiter);
            const std::vector<Token>& cells = m_cells[index];
            if (index >= dataStart && firstData == m_input.RowCount() &&
                std::any_of(cells.begin(), cells.end(), ReadsAsDate))
                firstData = index;
        }
        // The row before the data that names the most columns.
        int best = 0;
        for (const std::size_t index : m_head)
        {
            if (index >= firstData)
                break;
            const std::vector<Token>& cells = m_cells[index];
            const int known = static_cast<int>(std::count_if(cells.begin(), cells.end(), [](const Token& cell) {
                return ReadHeading(cell.text, cell.length) != Heading::kUnknown;
            }));
            if (known > best)
            {
                best = known;
                m_headerIndex = index;
            }
        }
        Header& header = m_reading.header;
        if (best > 0)
        {
            const TextRow row = m_input.Row(m_headerIndex);
            header.line = static_cast<int>(m_headerIndex + 1);
            header.text = Readable(row.text, std::min(row.length, InputText::kKeep));
            for (const Token& cell : m_cells[m_headerIndex])
            {
                header.names.push_back(Readable(cell));
                header.headings.push_back(ReadHeading(cell.text, cell.length));
            }
        }
        Rules().skipRows = m_given.skipRows ? *m_given.skipRows : header.line;

        std::map<int, int> counts;
        for (const std::size_t index : m_head)
            if (index >= DataStart() && !AllEmpty(m_cells[index]))
                ++counts[static_cast<int>(m_cells[index].size())];
        if (!counts.empty())
            m_reading.columnCount = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                        return a.second < b.second;
                                    })->first;
        return true;
    }

    // The sample's data rows, for looking at their cells.
    std::vector<const std::vector<Token>*> SampleData() const
    {
        std::vector<const std::vector<Token>*> rows;
        for (const std::size_t index : m_head)
            if (index >= DataStart() && !AllEmpty(m_cells.at(index)))
                rows.push_back(&m_cells.at(index));
        return rows;
    }

    // The first column that holds a clock time on every data row of the sample, or -1.
    int ClockTimeColumn() const
    {
        const auto rows = SampleData();
        for (int column = 0; column < m_reading.columnCount && !rows.empty(); ++column)
            if (std::all_of(rows.begin(), rows.end(), [&](const std::vector<Token>* cells) {
                    return static_cast<int>(cells->size()) > column && IsClockTime((*cells)[column]);
                }))
                return column;
        return -1;
    }

    int HeaderColumn(Heading heading) const
    {
        const auto& headings = m_reading.header.headings;
        const auto found = std::find(headings.begin(), headings.end(), heading);
        return found == headings.end() ? -1 : static_cast<int>(found - headings.begin());
    }

    // The columns the header names, with the rules for two candidates.
    struct HeaderChoice
    {
        Columns column{};
        int timeColumn = -1;
        int volume = -1; // <VOL> and <TICKVOL> both: which one is stored waits for the rows
        int tickVolume = -1;
        std::string note;    // a choice between two candidates, said to the user
        std::string problem; // why the header names no one set
        std::string advice;  // the --columns that settle it
    };

    HeaderChoice ChooseFromHeader() const
    {
        const Header& header = m_reading.header;
        HeaderChoice choice;
        std::array<std::vector<int>, kFieldCount> candidates;
        std::vector<int> times;
        for (std::size_t i = 0; i < header.headings.size(); ++i)
        {
            const Heading heading = header.headings[i];
            if (heading == Heading::kTime)
                times.push_back(static_cast<int>(i));
            if (HeadingField(heading) >= 0)
                candidates[HeadingField(heading)].push_back(static_cast<int>(i));
        }
        const int last = HeaderColumn(Heading::kLast);
        const int settle = HeaderColumn(Heading::kSettle);
        auto& closes = candidates[kFieldClose];
        if (closes.size() == 2 && last >= 0 && settle >= 0)
        {
            closes = {settle}; // a futures day's price is its settlement
            choice.note = "Close is Settle (column " + std::to_string(settle + 1) + "), not Last (column " +
                          std::to_string(last + 1) + ").";
        }
        const int volume = HeaderColumn(Heading::kVolume);
        const int tickVolume = HeaderColumn(Heading::kTickVolume);
        auto& volumes = candidates[kFieldVolume];
        if (volumes.size() == 2 && volume >= 0 && tickVolume >= 0)
        {
            volumes = {volume};
            choice.volume = volume;
            choice.tickVolume = tickVolume;
        }
        choice.timeColumn = times.empty() ? -1 : times.front();
        for (int field = 0; field < kFieldCount; ++field)
            choice.column[field] = candidates[field].empty() ? -1 : candidates[field].front();
        const std::string onLine = "The header on line " + std::to_string(header.line);
        for (int field = 0; field < kFieldCount; ++field)
            if (candidates[field].size() > 1)
            {
                const int a = candidates[field][0];
                const int b = candidates[field][1];
                Columns second = choice.column;
                second[field] = b;
                choice.problem = onLine + " names two " + kFieldNames[field] + " columns: " + std::to_string(a + 1) +
                                 " (" + header.names[a] + ") and " + std::to_string(b + 1) + " (" + header.names[b] +
                                 ").\n" + header.text;
                choice.advice = "Choose one with --columns " + ColumnsText(choice.column, choice.timeColumn) +
                                " or --columns " + ColumnsText(second, choice.timeColumn);
                return choice;
            }
        if (times.size() > 1)
        {
            choice.problem = onLine + " names two time columns: " + std::to_string(times[0] + 1) + " and " +
                             std::to_string(times[1] + 1) + ".\n" + header.text;
            choice.advice = "Choose one with --columns " + ColumnsText(choice.column, times[0]) + " or --columns " +
                            ColumnsText(choice.column, times[1]);
        }
        for (const int field : {kFieldDate, kFieldClose})
            if (choice.problem.empty() && choice.column[field] < 0)
            {
                choice.problem = onLine + " names no " + kFieldNames[field] + " column.\n" + header.text;
                choice.advice = "Choose the columns with --columns, e.g. --columns "
                                "date=1,open=2,high=3,low=4,close=5,volume=6";
            }
        return choice;
    }

    bool ChooseColumns()
    {
        Columns& column = Rules().column;
        const bool haveHeader = m_reading.header.line > 0;
        const HeaderChoice fromHeader = haveHeader ? ChooseFromHeader() : HeaderChoice{};
        int timeColumn = -1;
        if (m_given.columns)
        {
            column = *m_given.columns;
            if (!NamedFieldsFromHeader(fromHeader, &column))
                return false;
            if (column[kFieldDate] < 0 || column[kFieldClose] < 0)
                return Fail("The date and the close need a column: --columns " + ColumnsText(column, -1));
            timeColumn = m_given.timeColumn ? *m_given.timeColumn
                         : haveHeader       ? fromHeader.timeColumn
                                            : ClockTimeColumn();
            if (!m_given.timeColumn && std::find(column.begin(), column.end(), timeColumn) != column.end())
                timeColumn = -1; // the user reads a field from it
        }
        else if (haveHeader)
        {
            if (!fromHeader.problem.empty())
                return Fail(fromHeader.problem, fromHeader.advice);
            column = fromHeader.column;
            timeColumn = m_given.timeColumn ? *m_given.timeColumn : fromHeader.timeColumn;
            m_volumeColumn = fromHeader.volume;
            m_tickVolumeColumn = fromHeader.tickVolume;
            if (!fromHeader.note.empty())
                m_notes.push_back(fromHeader.note);
        }
        else
        {
            column = m_given.fallbackColumns;
            const bool stored = m_given.timeColumn || m_given.fallbackTimeColumn;
            timeColumn = m_given.timeColumn           ? *m_given.timeColumn
                         : m_given.fallbackTimeColumn ? *m_given.fallbackTimeColumn
                                                      : ClockTimeColumn();
            if (!m_given.timeColumn && timeColumn >= m_reading.columnCount)
                timeColumn = -1; // a stored time column the rows do not reach, as a field's
            // A time column the stored columns do not know of (MetaTrader's 00:00 after the date):
            // the fields from it onwards sit one column further.
            if (!stored && timeColumn >= 0 && std::find(column.begin(), column.end(), timeColumn) != column.end())
                for (int& c : column)
                    c += c >= timeColumn ? 1 : 0;
            std::string dropped;
            for (int field = 0; field < kFieldCount; ++field)
                if (column[field] >= m_reading.columnCount && m_reading.columnCount > 0)
                {
                    if (field == kFieldDate || field == kFieldClose)
                        return FailColumns(field, column, timeColumn);
                    dropped += std::string(dropped.empty() ? "" : ", ") + kFieldNames[field];
                    column[field] = -1;
                }
            if (!dropped.empty())
                m_notes.push_back("The rows have " + ColumnCount(m_reading.columnCount) + ": " + dropped +
                                  " not stored.");
        }
        Rules().timeColumn = timeColumn;

        for (int field = 0; field < kFieldCount; ++field)
            if (column[field] >= m_reading.columnCount && m_reading.columnCount > 0)
                return FailColumns(field, column, timeColumn);
        if (timeColumn >= m_reading.columnCount && m_reading.columnCount > 0)
            return Fail("The rows have " + ColumnCount(m_reading.columnCount) +
                        ", but the time is to be read from column " + std::to_string(timeColumn + 1) + ".");
        if (haveHeader)
        {
            const std::string fitting =
                fromHeader.problem.empty() ? ColumnsText(fromHeader.column, fromHeader.timeColumn) : "";
            const std::string misfit = CheckColumnsAgainstHeader(m_reading.header, column, timeColumn);
            if (!misfit.empty())
                return Fail(misfit, fitting.empty() ? "" : "Columns that fit it: --columns " + fitting);
        }
        m_reading.tickerColumn = HeaderColumn(Heading::kTicker);
        m_reading.nameColumn = HeaderColumn(Heading::kName);
        m_reading.periodColumn = HeaderColumn(Heading::kPeriod);
        return true;
    }

    // Fields the user did not name, beside those named: the header's columns for them, or without a
    // header their given columns; none that a named field (or the given time) reads already.
    bool NamedFieldsFromHeader(const HeaderChoice& fromHeader, Columns* column)
    {
        const bool haveHeader = m_reading.header.line > 0;
        const auto taken = [&](int c) {
            for (int field = 0; field < kFieldCount; ++field)
                if (m_given.named[field] && (*column)[field] == c)
                    return true;
            return m_given.timeColumn && *m_given.timeColumn == c;
        };
        for (int field = 0; field < kFieldCount; ++field)
        {
            if (m_given.named[field])
                continue;
            if (haveHeader && !fromHeader.problem.empty())
            {
                if (field == kFieldDate || field == kFieldClose)
                    return Fail(fromHeader.problem, fromHeader.advice);
                (*column)[field] = -1;
                continue;
            }
            int c = haveHeader ? fromHeader.column[field] : (*column)[field];
            (*column)[field] = c >= 0 && !taken(c) ? c : -1;
        }
        return true;
    }

    bool FailColumns(int field, Columns column, int timeColumn)
    {
        const int count = m_reading.columnCount;
        const std::string text = "The rows have " + ColumnCount(count) + ", but " + kFieldNames[field] +
                                 " is to be read from column " + std::to_string(column[field] + 1) + ".";
        if (field == kFieldDate || field == kFieldClose)
            return Fail(text, "Choose the columns with --columns.");
        for (int& c : column)
            c = c < count ? c : -1;
        return Fail(text, "Read only the columns the rows have, e.g. --columns " + ColumnsText(column, timeColumn));
    }

    // Every data row's date and time columns (and, for MetaTrader's two volumes, the volume
    // column) read once.
    bool ChooseDateLayout()
    {
        const int dateColumn = Rules().column[kFieldDate];
        const int timeColumn = Rules().timeColumn;
        int needed = std::max(dateColumn, timeColumn) + 1;
        if (m_tickVolumeColumn >= 0)
            needed = std::max({needed, m_volumeColumn + 1, m_tickVolumeColumn + 1});
        std::vector<LayoutTrial> trials(m_given.dateFormat ? 1 : kDateFormatCount);
        for (std::size_t t = 0; t < trials.size(); ++t)
            trials[t].code = m_given.dateFormat ? *m_given.dateFormat : static_cast<int>(t) + 1;
        const bool given = m_given.dateFormat.has_value();

        bool volumeHolds = false;
        std::string_view lastDate;
        long unreadable = 0;
        std::size_t firstUnreadable = 0;
        std::string unreadableText;
        std::size_t deaths = 0;
        std::size_t firstAlive = 0;
        Token cells[kMaxColumns];
        for (std::size_t index = DataStart(); index < m_input.RowCount(); ++index)
        {
            const TextRow row = m_input.Row(index);
            const int count = SplitTokens(row.text, std::min(row.length, InputText::kKeep), Rules().delimiter, cells,
                                          std::min(needed, kMaxColumns));
            if (row.length > PriceLineReader::kMaxRowLength || count <= dateColumn)
                continue;
            if (m_tickVolumeColumn >= 0 && count > m_volumeColumn && !volumeHolds)
            {
                float volume = 0;
                const Token& cell = cells[m_volumeColumn];
                volumeHolds = cell.length > 0 && !(ReadNumberText(cell.text, cell.length, &volume,
                                                                  {DecimalMark::kPoint, true}) == NumberRead::kOk &&
                                                   volume == 0);
            }
            if (timeColumn >= 0 && count > timeColumn)
            {
                const std::string time = Readable(cells[timeColumn]);
                m_sameTime = m_sameTime && (m_time.empty() || time == m_time);
                m_time = m_time.empty() ? time : m_time;
            }
            const Token& date = cells[dateColumn];
            if (date.length == 0 || date.text[0] == '"' || date.text[date.length - 1] == '"')
                continue; // left out whatever the layout
            if (given)
            {
                // With the layout given only repeats matter here, and one layout writes a day one way.
                const std::string_view text(date.text, date.length);
                trials.front().repeats = trials.front().repeats || text == lastDate;
                lastDate = text;
                continue;
            }
            bool anyRead = false;
            DayNumber days[kDateFormatCount] = {};
            for (std::size_t t = firstAlive; t < trials.size(); ++t)
                if (trials[t].alive && (days[t] = ReadDateText(date.text, date.length, trials[t].code)) != 0)
                    anyRead = true;
            if (!anyRead && !given && !ReadsAsDate(date))
            {
                if (unreadable++ == 0)
                {
                    firstUnreadable = index;
                    unreadableText = Readable(date);
                }
                continue; // no day in any layout: the row is left out, whichever is chosen
            }
            for (std::size_t t = firstAlive; t < trials.size(); ++t)
            {
                LayoutTrial& trial = trials[t];
                if (!trial.alive)
                    continue;
                if (days[t] == 0)
                {
                    if (!given)
                    {
                        trial.alive = false;
                        trial.failIndex = index;
                        trial.failText = Readable(date);
                        trial.order = ++deaths;
                    }
                    continue;
                }
                ++trial.reads;
                if (trial.reads > 1)
                {
                    const int direction = days[t] > trial.last ? 1 : days[t] < trial.last ? -1 : 0;
                    if (direction == 0)
                        trial.repeats = true;
                    else if (trial.direction == 0)
                        trial.direction = direction;
                    else if (direction != trial.direction && trial.orderBreaks++ == 0)
                    {
                        trial.failIndex = index;
                        trial.failText = Readable(date);
                    }
                }
                trial.last = days[t];
            }
            while (firstAlive < trials.size() && !trials[firstAlive].alive)
                ++firstAlive; // most layouts die within the first rows
        }
        if (m_tickVolumeColumn >= 0 && !volumeHolds)
        {
            Rules().column[kFieldVolume] = m_tickVolumeColumn;
            m_notes.push_back("Volume is " + m_reading.header.names[m_tickVolumeColumn] + ": " +
                              m_reading.header.names[m_volumeColumn] + " is 0 on every row.");
        }

        std::vector<const LayoutTrial*> reading;
        std::vector<const LayoutTrial*> inOrder;
        for (const LayoutTrial& trial : trials)
            if (trial.alive && trial.reads > 0)
            {
                reading.push_back(&trial);
                if (trial.orderBreaks == 0)
                    inOrder.push_back(&trial);
            }
        const std::string where = "column " + std::to_string(dateColumn + 1);
        if (given)
            return TakeLayout(trials.front());
        if (reading.empty())
        {
            if (unreadable == 0)
                return Fail("No row holds a date in " + where + ".");
            const auto last =
                std::max_element(trials.begin(), trials.end(), [](auto& a, auto& b) { return a.order < b.order; });
            if (last->order == 0)
                return FailWithDatesElsewhere("No date layout reads the dates in " + where + ": " +
                                              Line(firstUnreadable) + ": " + unreadableText);
            return FailWithDatesElsewhere("No date layout reads every date in " + where + ": " +
                                          DateFormatName(last->code) + " stops at " + Line(last->failIndex) + ": " +
                                          last->failText);
        }
        if (inOrder.size() == 1 || (inOrder.empty() && reading.size() == 1))
            return TakeLayout(inOrder.empty() ? *reading.front() : *inOrder.front());
        if (inOrder.empty())
        {
            std::string each;
            for (const LayoutTrial* trial : reading)
                each += std::string("\n") + DateFormatName(trial->code) + ": " + Line(trial->failIndex) + " (" +
                        trial->failText + ") goes the other way";
            return Fail("No date layout reads the dates in " + where + " in one order:" + each,
                        "Choose one with --date-format.");
        }
        return TwoLayouts(inOrder);
    }

    // Two layouts or more read every date in order: refused when the first two give different
    // days, unless the user picked one of them; when they give the same days, the picked one.
    bool TwoLayouts(const std::vector<const LayoutTrial*>& inOrder)
    {
        const LayoutTrial& first = *inOrder[0];
        const LayoutTrial& second = *inOrder[1];
        const LayoutTrial* picked = nullptr;
        for (const LayoutTrial* trial : inOrder)
            if (m_given.preferredDateFormat && trial->code == *m_given.preferredDateFormat)
                picked = trial;
        const int dateColumn = Rules().column[kFieldDate];
        Token cells[kMaxColumns];
        for (std::size_t index = DataStart(); index < m_input.RowCount(); ++index)
        {
            const TextRow row = m_input.Row(index);
            if (SplitTokens(row.text, std::min(row.length, InputText::kKeep), Rules().delimiter, cells,
                            std::min(dateColumn + 1, kMaxColumns)) <= dateColumn)
                continue;
            const Token& date = cells[dateColumn];
            const DayNumber a = ReadDateText(date.text, date.length, first.code);
            const DayNumber b = ReadDateText(date.text, date.length, second.code);
            if (a != b && a != 0 && b != 0)
            {
                if (picked)
                {
                    m_notes.push_back(std::string(kDatesReadSeveralWays) + DateFormatName(picked->code) +
                                      ", as chosen.");
                    return TakeLayout(*picked);
                }
                m_reading.dateFormats = {first.code, second.code};
                return Fail("The dates read " + std::string(inOrder.size() > 2 ? "several" : "two") +
                                " ways: " + Line(index) + " (" + Readable(date) + ") is " + IsoDayText(a) + " as " +
                                DateFormatName(first.code) + " and " + IsoDayText(b) + " as " +
                                DateFormatName(second.code) + ".",
                            std::string("Choose one with --date-format ") + DateFormatName(first.code) +
                                " or --date-format " + DateFormatName(second.code) + ".");
            }
        }
        return TakeLayout(picked ? *picked : first);
    }

    // The date column holds no dates: said with another column of the sample that does.
    bool FailWithDatesElsewhere(const std::string& reason)
    {
        const int dateColumn = Rules().column[kFieldDate];
        const auto rows = SampleData();
        for (int column = 0; column < m_reading.columnCount && !rows.empty(); ++column)
            if (column != dateColumn && std::all_of(rows.begin(), rows.end(), [&](const std::vector<Token>* cells) {
                    return static_cast<int>(cells->size()) > column && ReadsAsDate((*cells)[column]);
                }))
                return Fail(reason + "\nColumn " + std::to_string(column + 1) + " holds dates.",
                            "Choose the columns with --columns.");
        return Fail(reason);
    }

    bool TakeLayout(const LayoutTrial& trial)
    {
        Rules().dateFormat = trial.code;
        if (trial.repeats)
            FindIntraday();
        if (!m_reading.intraday && m_sameTime && !m_time.empty())
            m_notes.push_back("The time is " + m_time + " on every row: one bar a day.");
        return true;
    }

    // A day on two rows with different times (from the time column, else after the date).
    void FindIntraday()
    {
        const int dateColumn = Rules().column[kFieldDate];
        const int timeColumn = Rules().timeColumn;
        Token cells[kMaxColumns];
        DayNumber lastDay = 0;
        std::string lastTime;
        std::size_t lastIndex = 0;
        for (std::size_t index = DataStart(); index < m_input.RowCount(); ++index)
        {
            const TextRow row = m_input.Row(index);
            const int count = SplitTokens(row.text, std::min(row.length, InputText::kKeep), Rules().delimiter, cells,
                                          std::min(std::max(dateColumn, timeColumn) + 1, kMaxColumns));
            if (count <= std::max(dateColumn, timeColumn))
                continue;
            const Token& date = cells[dateColumn];
            const DayNumber day = ReadDateText(date.text, date.length, Rules().dateFormat);
            if (day == 0)
                continue;
            const Token& timeCell = timeColumn >= 0 ? cells[timeColumn] : date;
            const std::string time(timeCell.text, timeCell.length);
            if (day == lastDay && time != lastTime)
            {
                m_reading.intraday = true;
                Rules().timeAfterDate = timeColumn < 0;
                m_notes.push_back("Several bars a day: " + Line(lastIndex) + " and " + Line(index) + " are both " +
                                  IsoDayText(day) + ".");
                return;
            }
            lastDay = day;
            lastTime = time;
            lastIndex = index;
        }
    }

    // The decimal mark under which the sample's price cells read; refused when both would.
    bool ChooseDecimal()
    {
        if (m_given.decimal)
        {
            Rules().decimal = *m_given.decimal;
            return true;
        }
        struct Example
        {
            std::size_t index = 0;
            std::string text;
            float point = 0;
            float comma = 0;
            bool found = false;
        };
        Example pointOnly, commaOnly, both;
        int needed = 0;
        for (const int column : Rules().column)
            needed = std::max(needed, column + 1);
        std::vector<std::size_t> rows = m_head;
        rows.insert(rows.end(), m_tail.begin(), m_tail.end());
        for (const std::size_t index : rows)
        {
            if (index < DataStart())
                continue;
            const std::vector<Token> cells = Split(m_input.Row(index), Rules().delimiter, needed);
            for (int field = kFieldOpen; field < kFieldCount; ++field)
            {
                const int column = Rules().column[field];
                if (column < 0 || column >= static_cast<int>(cells.size()) || cells[column].length == 0)
                    continue;
                const Token& cell = cells[column];
                const bool amount = field >= kFieldVolume;
                float point = 0;
                float comma = 0;
                const bool readsPoint =
                    ReadNumberText(cell.text, cell.length, &point, {DecimalMark::kPoint, amount}) == NumberRead::kOk;
                const bool readsComma =
                    ReadNumberText(cell.text, cell.length, &comma, {DecimalMark::kComma, amount}) == NumberRead::kOk;
                Example* example = readsPoint && !readsComma      ? &pointOnly
                                   : readsComma && !readsPoint    ? &commaOnly
                                   : readsPoint && point != comma ? &both
                                                                  : nullptr;
                if (example && !example->found)
                    *example = {index, Readable(cell), point, comma, true};
            }
        }
        const std::string choose = "Choose one with --decimal point or --decimal comma.";
        if (pointOnly.found && commaOnly.found)
            return Fail("The numbers use both decimal marks: " + Line(pointOnly.index) + " (" + pointOnly.text +
                            ") reads only with a decimal point, " + Line(commaOnly.index) + " (" + commaOnly.text +
                            ") only with a decimal comma.",
                        choose);
        if (!pointOnly.found && !commaOnly.found && both.found)
            return Fail("The numbers read two ways: " + Line(both.index) + " (" + both.text + ") is " +
                            NumberWords(both.point) + " with a decimal point and " + NumberWords(both.comma) +
                            " with a decimal comma.",
                        choose);
        Rules().decimal = commaOnly.found ? DecimalMark::kComma : DecimalMark::kPoint;
        return true;
    }

    static std::string NumberWords(float value)
    {
        char text[64];
        const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
        return std::string(text, written.ptr);
    }

    void Describe()
    {
        const PriceLineRules& rules = Rules();
        const Header& header = m_reading.header;
        std::string text = "Read as: ";
        if (!m_input.Encoding().empty())
            text += m_input.Encoding() + " text, ";
        text += DelimiterName(rules.delimiter);
        if (rules.decimal == DecimalMark::kComma)
            text += ", decimal comma";
        text += header.line > 0 ? ", header on line " + std::to_string(header.line) : ", no header";
        if (rules.skipRows > header.line)
            text += ", first " + std::to_string(rules.skipRows) + (rules.skipRows == 1 ? " row" : " rows") + " skipped";
        const auto part = [&](const char* word, int column) {
            if (column >= 0)
                text += std::string(", ") + word + "=" + std::to_string(column + 1);
        };
        // A file of many securities: which column names them, their names and periods.
        part("ticker", m_reading.tickerColumn);
        part("name", m_reading.nameColumn);
        part("period", m_reading.periodColumn);
        part(kColumnWords[kFieldDate], rules.column[kFieldDate]);
        text += std::string(" (") + DateFormatName(rules.dateFormat) + ")";
        part("time", rules.timeColumn);
        for (int field = kFieldOpen; field < kFieldCount; ++field)
            part(kColumnWords[field], rules.column[field]);

        std::vector<std::string> unused;
        const int columns = std::max(m_reading.columnCount, static_cast<int>(header.names.size()));
        for (int column = 0; column < columns; ++column)
            if (column != rules.timeColumn && column != m_reading.tickerColumn && column != m_reading.nameColumn &&
                column != m_reading.periodColumn &&
                std::find(rules.column.begin(), rules.column.end(), column) == rules.column.end())
                unused.push_back(std::to_string(column + 1) +
                                 (column < static_cast<int>(header.names.size()) && !header.names[column].empty()
                                      ? " (" + header.names[column] + ")"
                                      : std::string()));
        if (!unused.empty())
        {
            text += unused.size() == 1 ? "; column " : "; columns ";
            for (std::size_t i = 0; i < unused.size(); ++i)
                text += (i ? ", " : "") + unused[i];
            text += " not used";
        }
        for (std::size_t i = 0; i < m_notes.size(); ++i)
            text += (i ? " " : "\n") + m_notes[i];
        m_reading.description = text;
    }

    const InputText& m_input;
    const GivenReading& m_given;
    Reading m_reading;
    std::vector<std::size_t> m_head;                   // the first rows with text, from the skipped ones' last
    std::vector<std::size_t> m_tail;                   // the last rows with text
    std::map<std::size_t, std::vector<Token>> m_cells; // the head's rows split
    std::size_t m_headerIndex = 0;
    int m_volumeColumn = -1;
    int m_tickVolumeColumn = -1; // set while the choice between the two volumes waits for the rows
    std::string m_time;          // the time column's first text
    bool m_sameTime = true;      // and every row has it
    std::vector<std::string> m_notes;
};
} // namespace

Reading Detect(const InputText& input, const GivenReading& given)
{
    return Detector(input, given).Run();
}
} // namespace tavrix
