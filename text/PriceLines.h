#pragma once

#include "marketdata/Dates.h"
#include "marketdata/PriceFile.h"
#include "text/NumberText.h"

#include <array>
#include <string>
#include <vector>

namespace tavrix {
class InputText;

// What ends a column. Every comma, tab, semicolon or pipe ends one, so `1,,2` has three columns;
// kSpace is blank-aligned text, where a run of blanks (spaces and tabs) ends one.
enum class Delimiter
{
    kComma,
    kTab,
    kSemicolon,
    kPipe,
    kSpace,
};

// "comma", "tab", "semicolon", "pipe", "space": the word of the --delimiter option.
const char* DelimiterWord(Delimiter delimiter);

// One column of a row, without the blanks around it and one pair of double quotes around it.
struct Token
{
    const char* text;
    std::size_t length;
};

// Splits a row into its columns; stores and counts at most `maxTokens`. A column that starts with
// a double quote runs to its closing quote, so `"1,263.89"` is one column; a quote that is not
// closed in the row is kept as a character of its column.
int SplitTokens(const char* row, std::size_t length, Delimiter delimiter, Token* tokens, int maxTokens);

// A row that became a price record: its day, its time of day (HHMMSS, -1 without a time column)
// and the value of each field (the date's slot unused).
using PriceLine = PriceBar;

struct LeftOutRow
{
    long line;          // counted from 1 over every row of the file
    std::string reason; // short, e.g. "close is not a number"
    std::string start;  // the row's first characters
};

// What was left out of an input and why.
struct PriceLineReport
{
    long rows = 0;                       // data rows: after the skipped ones, with a column not empty
    long leftOut = 0;                    // all rows left out, those cut by the record limit included
    long cutByLimit = 0;                 // older rows left out because a price file holds 65,534 records
    long badDates = 0;                   // rows left out because their date does not read in the layout
    long outOfOrder = 0;                 // rows left out because their date repeats or goes the other way
    std::vector<LeftOutRow> examples;    // the first five left out for a reason of their own
    long outsideRange = 0;               // rows kept whose high is below low, or open or close outside
    std::vector<long> outsideRangeLines; // the first three of them

    // "3 of 263 rows were left out:" then "line N: reason: start" lines and "and M more."; "" when
    // nothing was left out.
    std::string Text() const;
    // "2 rows have high below low or open or close outside low to high, first at lines 12, 40.";
    // "" when there are none. Such rows are kept: the file holds them so, but they often mean a
    // column mix-up.
    std::string OutsideRangeText() const;
};

// How rows become price lines; columns are 0-based.
struct PriceLineRules
{
    Delimiter delimiter = Delimiter::kComma;
    DecimalMark decimal = DecimalMark::kPoint;
    std::array<int, kFieldCount> column{0, 1, 2, 3, 4, 5, 6}; // -1: field not stored; date and close always stored
    int timeColumn = -1;
    bool timeAfterDate = false; // without a time column: the time follows the date in its column
    int dateFormat = 0;
    int skipRows = 0; // rows before the data; a header row is skipped this way
};

// Turns rows into price lines, oldest first, without touching any file. Feed every row of the
// file in order with AddRow, or all of them with AddRows.
class PriceLineReader
{
public:
    static constexpr std::size_t kMaxRowLength = 299;

    explicit PriceLineReader(const PriceLineRules& rules);

    // `row` holds the row's first characters (up to kMaxRowLength + 1), `length` its whole length.
    void AddRow(const char* row, std::size_t length);
    void AddRows(const InputText& input);
    // A row of the file whose line number (from 1) is `line`, when the rows come picked out of it
    // (one security's rows of a file of many).
    void AddRowAt(const char* row, std::size_t length, long line);

    // The lines kept so far, oldest first.
    const std::vector<PriceLine>& Lines() const;
    const PriceLineReport& Report() const { return m_report; }
    // The date text of the first row that passed every check but its date, and whether any did.
    const std::string& FirstDateText() const { return m_firstDateText; }
    // That row's line number and its first characters, for messages.
    long FirstDataLine() const { return m_firstDataLine; }
    const std::string& FirstDataRow() const { return m_firstDataRow; }
    bool SawDataRow() const { return m_sawDataRow; }

private:
    void LeaveOut(const char* row, std::size_t length, const std::string& reason, long* category = nullptr);
    void CheckRange(const PriceLine& line);
    void Keep(const PriceLine& line);

    PriceLineRules m_rules;
    int m_neededColumns = 0;
    // Kept in the file's order and put oldest first when asked for: a newest-first file is
    // reversed once, and the oldest lines cut by the record limit are dropped in bulk.
    mutable std::vector<PriceLine> m_lines;
    mutable std::size_t m_cutFront = 0; // lines at the front already cut by the limit
    mutable bool m_reversed = false;    // m_lines is newest-first reversed to oldest first
    PriceLineReport m_report;
    long m_lineNumber = 0;
    long m_lastKeptLine = 0;
    long long m_lastKey = 0; // date and time of the line kept last
    int m_order = 0;         // 1 oldest first, -1 newest first, 0 not known yet
    std::string m_firstDateText;
    long m_firstDataLine = 0;
    std::string m_firstDataRow;
    bool m_sawDataRow = false;
};

// The row's first characters as readable UTF-8, for messages: control characters become '?',
// and bytes that are no UTF-8 are taken as Latin-1; "..." when the row goes on.
std::string StartOfRow(const char* row, std::size_t length);
} // namespace tavrix
