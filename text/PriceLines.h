#pragma once

#include "marketdata/Dates.h"
#include "marketdata/PriceFile.h"
#include "text/NumberText.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

namespace tavrix {
// A row that became a price record: its day and the value of each field (the date's slot unused).
struct PriceLine
{
    DayNumber day = 0;
    std::array<float, kFieldCount> values{};
};

struct LeftOutRow
{
    long line;          // counted from 1 over every row of the file
    std::string reason; // short, e.g. "close is not a number"
    std::string start;  // the row's first characters
};

// What was left out of an input and why.
struct PriceLineReport
{
    long rows = 0;                    // data rows: after the skipped ones, with at least one token
    long leftOut = 0;                 // all rows left out, those cut by the record limit included
    long cutByLimit = 0;              // older rows left out because a price file holds 65,534 records
    long badDates = 0;                // rows left out because their date does not read in the layout
    long outOfOrder = 0;              // rows left out because their date repeats or goes the other way
    std::vector<LeftOutRow> examples; // the first five left out for a reason of their own

    // "3 of 263 rows were left out:" then "line N: reason: start" lines and "and M more."; "" when
    // nothing was left out.
    std::string Text() const;
};

// How rows become price lines; columns are 0-based.
struct PriceLineRules
{
    std::string delimiters = ",";
    std::array<int, kFieldCount> fieldOn{};
    std::array<int, kFieldCount> fieldCol{};
    int dateFormat = 0;
    int skipRows = 0;
};

// Turns rows into price lines, oldest first, without touching any file. Feed every row of the
// file in order with AddRow.
class PriceLineReader
{
public:
    static constexpr std::size_t kMaxRowLength = 299;

    explicit PriceLineReader(const PriceLineRules& rules);

    // `row` holds the row's first characters (up to kMaxRowLength + 1), `length` its whole length.
    void AddRow(const char* row, std::size_t length);

    const std::deque<PriceLine>& Lines() const { return m_lines; }
    const PriceLineReport& Report() const { return m_report; }
    // The date text of the first row that passed every check but its date, and whether any did.
    const std::string& FirstDateText() const { return m_firstDateText; }
    // That row's line number and its first characters, for messages.
    long FirstDataLine() const { return m_firstDataLine; }
    const std::string& FirstDataRow() const { return m_firstDataRow; }
    bool SawDataRow() const { return m_sawDataRow; }

private:
    void LeaveOut(const char* row, std::size_t length, const std::string& reason, long* category = nullptr);
    void Keep(const PriceLine& line);

    PriceLineRules m_rules;
    std::deque<PriceLine> m_lines;
    PriceLineReport m_report;
    long m_lineNumber = 0;
    long m_lastKeptLine = 0;
    int m_order = 0; // 1 oldest first, -1 newest first, 0 not known yet
    std::string m_firstDateText;
    long m_firstDataLine = 0;
    std::string m_firstDataRow;
    bool m_sawDataRow = false;
};

// One token of a row: blanks around it and one pair of double quotes around it are dropped.
struct Token
{
    const char* text;
    std::size_t length;
};
// Splits at any of the delimiters; empty runs and tokens left empty give no column.
int SplitTokens(const char* row, std::size_t length, const std::string& delimiters, Token* tokens, int maxTokens);

} // namespace tavrix
