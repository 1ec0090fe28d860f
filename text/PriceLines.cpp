#include "text/PriceLines.h"

#include "platform/Memory.h"

#include "text/InputText.h"
#include "text/NumberText.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tavrix {
namespace {
// A row of at most 299 characters has at most 300 columns.
constexpr int kMaxTokens = 300;
constexpr std::size_t kExampleCount = 5;
constexpr std::size_t kRangeLineCount = 3;
constexpr std::size_t kStartLength = 40;

const char* const kFieldNames[kFieldCount] = {"date", "open", "high", "low", "close", "volume", "open interest"};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string WithThousands(long value)
{
    std::string digits = std::to_string(value);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

char DelimiterChar(Delimiter delimiter)
{
    switch (delimiter)
    {
    case Delimiter::kTab:
        return '\t';
    case Delimiter::kSemicolon:
        return ';';
    case Delimiter::kPipe:
        return '|';
    case Delimiter::kSpace:
        return ' ';
    case Delimiter::kComma:
        break;
    }
    return ',';
}

// The closing quote of a column that opens with one at `open`: a doubled quote inside is part
// of the text. nullptr when the row does not close it.
const char* ClosingQuote(const char* open, const char* end)
{
    for (const char* p = open + 1; p < end; ++p)
    {
        p = static_cast<const char*>(std::memchr(p, '"', static_cast<std::size_t>(end - p)));
        if (!p)
            return nullptr;
        if (p + 1 < end && p[1] == '"')
            ++p;
        else
            return p;
    }
    return nullptr;
}
} // namespace

const char* DelimiterWord(Delimiter delimiter)
{
    switch (delimiter)
    {
    case Delimiter::kTab:
        return "tab";
    case Delimiter::kSemicolon:
        return "semicolon";
    case Delimiter::kPipe:
        return "pipe";
    case Delimiter::kSpace:
        return "space";
    case Delimiter::kComma:
        break;
    }
    return "comma";
}

std::string StartOfRow(const char* row, std::size_t length)
{
    std::string start(row, std::min(length, kStartLength));
    for (char& c : start)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    while (!start.empty() && !platform::IsValidUtf8(start) && static_cast<unsigned char>(start.back()) >= 0x80 &&
           start.size() > kStartLength - 3)
        start.pop_back(); // a character cut at the end
    if (!platform::IsValidUtf8(start))
        start = platform::Latin1ToUtf8(start);
    return length > kStartLength ? start + "..." : start;
}

int SplitTokens(const char* row, std::size_t length, Delimiter delimiter, Token* tokens, int maxTokens)
{
    const char* p = row;
    const char* end = row + length;
    const bool blankAligned = delimiter == Delimiter::kSpace;
    const char mark = DelimiterChar(delimiter);
    int count = 0;
    if (length == 0)
        return 0;
    while (count < maxTokens)
    {
        while (p < end && IsBlank(*p) && (blankAligned || *p != mark))
            ++p;
        if (blankAligned && p == end)
            break;
        const char* first = p;
        const char* scan = p;
        if (p < end && *p == '"')
            if (const char* close = ClosingQuote(p, end))
                scan = close + 1;
        const char* stop = scan;
        // Columns are a few characters: a plain loop beats a call per column.
        if (blankAligned)
            while (stop < end && !IsBlank(*stop))
                ++stop;
        else
            while (stop < end && *stop != mark)
                ++stop;
        const char* last = stop;
        while (last > first && IsBlank(last[-1]))
            --last;
        if (last - first >= 2 && *first == '"' && last[-1] == '"')
        {
            ++first;
            --last;
        }
        tokens[count++] = {first, static_cast<std::size_t>(last - first)};
        if (stop == end)
            break;
        p = stop + 1;
    }
    return count;
}

PriceLineReader::PriceLineReader(const PriceLineRules& rules) : m_rules(rules)
{
    for (const int column : m_rules.column)
        m_neededColumns = std::max(m_neededColumns, column + 1);
    m_neededColumns = std::max(m_neededColumns, m_rules.timeColumn + 1);
}

void PriceLineReader::LeaveOut(const char* row, std::size_t length, const std::string& reason, long* category)
{
    ++m_report.leftOut;
    if (category)
        ++*category;
    if (m_report.examples.size() < kExampleCount)
        m_report.examples.push_back({m_lineNumber, reason, StartOfRow(row, length)});
}

void PriceLineReader::AddRows(const InputText& input)
{
    const std::size_t expected = std::min(input.RowCount(), static_cast<std::size_t>(kMaxPriceRecords));
    m_lines.reserve(m_lines.size() + expected);
    platform::PrepareForWriting(m_lines.data() + m_lines.size(), expected * sizeof(PriceLine));
    for (std::size_t i = 0; i < input.RowCount(); ++i)
    {
        const TextRow row = input.Row(i);
        AddRow(row.text, row.length);
    }
}

void PriceLineReader::AddRow(const char* row, std::size_t length)
{
    ++m_lineNumber;
    if (m_lineNumber <= m_rules.skipRows)
        return;
    Token tokens[kMaxTokens];
    const std::size_t kept = std::min(length, kMaxRowLength + 1);
    const int wanted = std::clamp(m_neededColumns, 1, kMaxTokens);
    const int count = SplitTokens(row, kept, m_rules.delimiter, tokens, wanted);
    // Only blanks and delimiters: no row at all. The columns past those split are looked at only then.
    const auto allEmpty = [&](int n) {
        return std::all_of(tokens, tokens + n, [](const Token& t) { return t.length == 0; });
    };
    if (length <= kMaxRowLength && allEmpty(count) &&
        (count < wanted || allEmpty(SplitTokens(row, kept, m_rules.delimiter, tokens, kMaxTokens))))
        return;
    ++m_report.rows;
    if (length > kMaxRowLength)
        return LeaveOut(row, kept, "longer than 299 characters");
    if (count < m_neededColumns)
        return LeaveOut(row, length,
                        "has " + std::to_string(count) + (count == 1 ? " column" : " columns") + ", the fields need " +
                            std::to_string(m_neededColumns));

    PriceLine line;
    for (int field = kFieldOpen; field < kFieldCount; ++field)
    {
        if (m_rules.column[field] < 0)
            continue;
        const Token& token = tokens[m_rules.column[field]];
        if (token.length == 0)
            return LeaveOut(row, length, std::string(kFieldNames[field]) + " is empty");
        const NumberStyle style{m_rules.decimal, field >= kFieldVolume};
        const NumberRead read = ReadNumberText(token.text, token.length, &line.values[field], style);
        if (read != NumberRead::kOk)
            return LeaveOut(row, length,
                            std::string(kFieldNames[field]) + (read == NumberRead::kTooLarge   ? " is too large"
                                                               : read == NumberRead::kTooSmall ? " is too small"
                                                                                               : " is not a number"));
    }
    if (m_rules.timeColumn >= 0)
    {
        const Token& token = tokens[m_rules.timeColumn];
        if (token.length == 0)
            return LeaveOut(row, length, "time is empty");
        line.time = ReadTimeText(token.text, token.length);
        if (line.time < 0)
            return LeaveOut(row, length, "time is not a time of day");
    }

    if (m_rules.column[kFieldDate] < 0)
        return LeaveOut(row, length, "date has no column");
    const Token& date = tokens[m_rules.column[kFieldDate]];
    if (date.length == 0)
        return LeaveOut(row, length, "date is empty");
    if (!m_sawDataRow)
    {
        m_sawDataRow = true;
        m_firstDateText.assign(date.text, date.length);
        m_firstDataLine = m_lineNumber;
        m_firstDataRow = StartOfRow(row, length);
    }
    // A quote left in the column was not closed: the date reader would pass over it, we do not.
    if (date.text[0] == '"' || date.text[date.length - 1] == '"')
        return LeaveOut(row, length, "date has a double quote that is not closed");
    line.day = ReadDateText(date.text, date.length, m_rules.dateFormat);
    if (line.day == 0)
        return LeaveOut(row, length,
                        std::string("date is not a real day in the layout ") + DateFormatName(m_rules.dateFormat),
                        &m_report.badDates);
    if (m_rules.timeAfterDate)
    {
        // "2025-01-02 09:30" or "2025-01-02T09:30:00": the time is what follows the blank or the T.
        const char* end = date.text + date.length;
        const char* at = std::find_if(date.text, end, [](char c) { return c == ' ' || c == 'T'; });
        while (at < end && (*at == ' ' || *at == 'T'))
            ++at;
        line.time = ReadTimeText(at, static_cast<std::size_t>(end - at));
        if (line.time < 0)
            return LeaveOut(row, length, "time after the date is not a time of day");
    }

    // Intraday bars are ordered by date and time, daily ones by date alone.
    const bool timed = m_rules.timeColumn >= 0 || m_rules.timeAfterDate;
    const long long key = static_cast<long long>(line.day) * 1000000 + (timed ? line.time : 0);
    if (!m_lines.empty() || m_report.cutByLimit > 0)
    {
        if (key == m_lastKey)
            return LeaveOut(row, length,
                            (timed ? "same date and time as line " : "same date as line ") +
                                std::to_string(m_lastKeptLine),
                            &m_report.outOfOrder);
        const int direction = key > m_lastKey ? 1 : -1;
        if (m_order == 0)
            m_order = direction;
        else if (direction != m_order)
            return LeaveOut(row, length,
                            (timed ? "date and time do not follow line " : "date does not follow line ") +
                                std::to_string(m_lastKeptLine),
                            &m_report.outOfOrder);
    }
    CheckRange(line);
    Keep(line);
    m_lastKey = key;
    m_lastKeptLine = m_lineNumber;
}

void PriceLineReader::AddRowAt(const char* row, std::size_t length, long line)
{
    m_lineNumber = line - 1;
    AddRow(row, length);
}

void PriceLineReader::CheckRange(const PriceLine& line)
{
    const auto stored = [&](int field) { return m_rules.column[field] >= 0; };
    const auto value = [&](int field) { return line.values[field]; };
    bool outside = stored(kFieldHigh) && stored(kFieldLow) && value(kFieldHigh) < value(kFieldLow);
    for (const int field : {kFieldOpen, kFieldClose})
        if (stored(field))
            outside = outside || (stored(kFieldHigh) && value(field) > value(kFieldHigh)) ||
                      (stored(kFieldLow) && value(field) < value(kFieldLow));
    if (!outside)
        return;
    if (m_report.outsideRangeLines.size() < kRangeLineCount)
        m_report.outsideRangeLines.push_back(m_lineNumber);
    ++m_report.outsideRange;
}

void PriceLineReader::Keep(const PriceLine& line)
{
    if (m_reversed)
    {
        std::reverse(m_lines.begin(), m_lines.end());
        m_reversed = false;
    }
    const std::size_t limit = static_cast<std::size_t>(kMaxPriceRecords);
    if (m_order < 0 && m_lines.size() == limit)
    {
        ++m_report.leftOut;
        ++m_report.cutByLimit;
        return; // an older row than all kept: the newest ones stay
    }
    m_lines.push_back(line);
    if (m_lines.size() - m_cutFront > limit)
    {
        ++m_cutFront;
        ++m_report.leftOut;
        ++m_report.cutByLimit;
        if (m_cutFront == limit) // drop them in bulk: memory stays bounded and the cost linear
        {
            m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(m_cutFront));
            m_cutFront = 0;
        }
    }
}

const std::vector<PriceLine>& PriceLineReader::Lines() const
{
    if (m_cutFront > 0)
    {
        m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(m_cutFront));
        m_cutFront = 0;
    }
    if (m_order < 0 && !m_reversed)
    {
        std::reverse(m_lines.begin(), m_lines.end());
        m_reversed = true;
    }
    return m_lines;
}

std::string PriceLineReport::Text() const
{
    if (leftOut == 0)
        return "";
    std::string text =
        WithThousands(leftOut) + " of " + WithThousands(rows) + (rows == 1 ? " row was" : " rows were") + " left out:";
    for (const LeftOutRow& row : examples)
        text += "\nline " + std::to_string(row.line) + ": " + row.reason + ": " + row.start;
    const long more = leftOut - cutByLimit - static_cast<long>(examples.size());
    if (more > 0)
        text += "\nand " + WithThousands(more) + " more.";
    if (cutByLimit > 0)
        text += "\n" + WithThousands(cutByLimit) + " older " + (cutByLimit == 1 ? "row was" : "rows were") +
                " left out: a price file holds at most 65,534 records.";
    return text;
}

std::string PriceLineReport::OutsideRangeText() const
{
    if (outsideRange == 0)
        return "";
    std::string lines;
    for (const long line : outsideRangeLines)
        lines += (lines.empty() ? "" : ", ") + std::to_string(line);
    return WithThousands(outsideRange) + (outsideRange == 1 ? " row has" : " rows have") +
           " high below low or open or close outside low to high, " +
           (outsideRange == 1               ? "at line "
            : outsideRangeLines.size() == 1 ? "first at line "
                                            : "first at lines ") +
           lines + ".";
}
} // namespace tavrix
