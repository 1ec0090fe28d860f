#pragma once

#include "text/Headings.h"
#include "text/InputText.h"
#include "text/PriceLines.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tavrix {
// What the user said about the file; everything left empty is read from the file.
struct GivenReading
{
    std::optional<Delimiter> delimiter;
    std::optional<DecimalMark> decimal;
    std::optional<std::array<int, kFieldCount>> columns; // as PriceLineRules::column; checked against a header
    // The fields of `columns` the user named; the others are the header's, when there is one.
    std::array<bool, kFieldCount> named{true, true, true, true, true, true, true};
    std::optional<int> timeColumn; // -1: none
    std::optional<int> dateFormat; // 1 to 12
    // The layout the user picked, taken when several read every date in order (dates all 12 or
    // lower); unlike dateFormat it does not force a layout on the file.
    std::optional<int> preferredDateFormat;
    // The stored time column: used, as fallbackColumns are, when no header names the columns.
    std::optional<int> fallbackTimeColumn;
    std::optional<int> skipRows;
    // Stored or default columns: used when neither `columns` nor a header names the columns, and
    // then only as far as the rows have columns.
    std::array<int, kFieldCount> fallbackColumns{0, 1, 2, 3, 4, 5, 6};
};

// Leads the note said when the layout the user picked settled dates that read several ways.
constexpr const char* kDatesReadSeveralWays = "The dates read several ways: ";

// How a file is read, and what to tell the user about it.
struct Reading
{
    PriceLineRules rules;
    Header header;       // line 0: none
    int columnCount = 0; // columns of the data rows
    int tickerColumn = -1;
    int nameColumn = -1;
    int periodColumn = -1;
    bool intraday = false; // several bars a day: some day has rows with different times
    // "Read as: comma-separated, header on line 1, date=1 (CCYY_MM_DD), ..." and, when a choice
    // was made between candidates or about the time, a second line that says it.
    std::string description;
    // Why nothing can be converted (two readings, columns that do not fit); "" when `rules` hold.
    std::string error;
    // The command-line options that would settle it ("Choose one with --delimiter comma or ...").
    std::string advice;
    // When the error is that the dates read two ways: the layouts that read them so.
    std::vector<int> dateFormats;
};

// Reads what the user did not give from the rows: the delimiter, a header and the columns from
// a bounded sample of the first and last rows; the date layout and the time of day from the date
// and time columns of every row; the decimal mark from the sample's numbers.
Reading Detect(const InputText& input, const GivenReading& given);
} // namespace tavrix
