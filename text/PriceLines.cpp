#include "text/PriceLines.h"

#include "text/NumberText.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tavrix {
namespace {
constexpr int kMaxTokens = 20;
constexpr std::size_t kExampleCount = 5;
constexpr std::size_t kStartLength = 40;

const char* const kFieldNames[kFieldCount] = {"date", "open", "high", "low", "close", "volume", "open interest"};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The row's first characters as readable UTF-8: control characters become '?', and bytes that
// are no UTF-8 are taken as Latin-1.
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

std::string WithThousands(long value)
{
    std::string digits = std::to_string(value);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}
} // namespace

int SplitTokens(const char* row, std::size_t length, const std::string& delimiters, Token* tokens, int maxTokens)
{
    int count = 0;
    const char* p = row;
    const char* end = row + length;
    const bool single = delimiters.size() == 1;
    const char delimiter = delimiters.empty() ? ',' : delimiters[0];
    const auto isDelimiter = [&](char c) { return single ? c == delimiter : delimiters.find(c) != std::string::npos; };
    while (p < end && count < maxTokens)
    {
        while (p < end && isDelimiter(*p))
            ++p;
        if (p == end)
            break;
        const char* stop = nullptr;
        if (single)
        {
            stop = static_cast<const char*>(std::memchr(p, delimiter, static_cast<std::size_t>(end - p)));
            if (!stop)
                stop = end;
        }
        else
            for (stop = p; stop < end && !isDelimiter(*stop);)
                ++stop;
        const char* first = p;
        const char* last = stop;
        p = stop;
        while (first < last && IsBlank(*first))
            ++first;
        while (last > first && IsBlank(last[-1]))
            --last;
        if (last - first >= 2 && *first == '"' && last[-1] == '"')
        {
            ++first;
            --last;
        }
        if (first < last)
            tokens[count++] = {first, static_cast<std::size_t>(last - first)};
    }
    return count;
}

PriceLineReader::PriceLineReader(const PriceLineRules& rules) : m_rules(rules) {}

void PriceLineReader::LeaveOut(const char* row, std::size_t length, const std::string& reason, long* category)
{
    ++m_report.leftOut;
    if (category)
        ++*category;
    if (m_report.examples.size() < kExampleCount)
        m_report.examples.push_back({m_lineNumber, reason, StartOfRow(row, length)});
}

void PriceLineReader::AddRow(const char* row, std::size_t length)
{
    ++m_lineNumber;
    if (m_lineNumber <= m_rules.skipRows)
        return;
    Token tokens[kMaxTokens];
    const std::size_t kept = std::min(length, kMaxRowLength + 1);
    const int count = SplitTokens(row, kept, m_rules.delimiters, tokens, kMaxTokens);
    if (count == 0 && length <= kMaxRowLength)
        return;
    ++m_report.rows;
    if (length > kMaxRowLength)
        return LeaveOut(row, kept, "longer than 299 characters");

    int needed = 0;
    for (int field = 0; field < kFieldCount; ++field)
        if (m_rules.fieldOn[field])
            needed = std::max(needed, m_rules.fieldCol[field] + 1);
    if (count < needed)
        return LeaveOut(row, length,
                        "has " + std::to_string(count) + (count == 1 ? " column" : " columns") + ", the fields need " +
                            std::to_string(needed));

    PriceLine line;
    for (int field = kFieldOpen; field < kFieldCount; ++field)
    {
        if (!m_rules.fieldOn[field])
            continue;
        const Token& token = tokens[m_rules.fieldCol[field]];
        const NumberRead read = ReadNumberText(token.text, token.length, &line.values[field]);
        if (read != NumberRead::kOk)
            return LeaveOut(row, length,
                            std::string(kFieldNames[field]) + (read == NumberRead::kTooLarge   ? " is too large"
                                                               : read == NumberRead::kTooSmall ? " is too small"
                                                                                               : " is not a number"));
    }

    const Token& date = tokens[m_rules.fieldCol[kFieldDate]];
    if (!m_sawDataRow)
    {
        m_sawDataRow = true;
        m_firstDateText.assign(date.text, date.length);
        m_firstDataLine = m_lineNumber;
        m_firstDataRow = StartOfRow(row, length);
    }
    line.day = ReadDateText(date.text, date.length, m_rules.dateFormat);
    if (line.day == 0)
        return LeaveOut(row, length,
                        std::string("date is not a real day in the layout ") + DateFormatName(m_rules.dateFormat),
                        &m_report.badDates);

    if (!m_lines.empty() || m_report.cutByLimit > 0)
    {
        const DayNumber last = m_lines.empty() ? 0 : (m_order >= 0 ? m_lines.back().day : m_lines.front().day);
        if (line.day == last)
            return LeaveOut(row, length, "same date as line " + std::to_string(m_lastKeptLine), &m_report.outOfOrder);
        const int direction = line.day > last ? 1 : -1;
        if (m_order == 0)
            m_order = direction;
        else if (direction != m_order)
            return LeaveOut(row, length, "date does not follow line " + std::to_string(m_lastKeptLine),
                            &m_report.outOfOrder);
    }
    Keep(line);
    m_lastKeptLine = m_lineNumber;
}

void PriceLineReader::Keep(const PriceLine& line)
{
    // Newest-first files are kept reversed as they come, so the lines are always oldest first.
    if (m_order < 0)
    {
        if (m_lines.size() == static_cast<std::size_t>(kMaxPriceRecords))
        {
            ++m_report.leftOut;
            ++m_report.cutByLimit;
            return; // an older row than all kept: the newest ones stay
        }
        m_lines.push_front(line);
        return;
    }
    m_lines.push_back(line);
    if (m_lines.size() > static_cast<std::size_t>(kMaxPriceRecords))
    {
        m_lines.pop_front();
        ++m_report.leftOut;
        ++m_report.cutByLimit;
    }
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
} // namespace tavrix
