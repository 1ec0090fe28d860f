#include "text/Detection.h"

#include <gtest/gtest.h>

#include <charconv>

using namespace tavrix;

namespace {
struct Converted
{
    Reading reading;
    std::string stored; // one line per price record: day, time when read, each field or '-'
    std::string report;
};

// The refusal: the reason, then the options that settle it, which the desktop program words its own way.
std::string Said(const Reading& reading)
{
    return reading.error + (reading.advice.empty() ? "" : "\nadvice: " + reading.advice);
}

Converted Convert(const std::string& text, const GivenReading& given = {})
{
    const InputText input = InputTextFromBytes(text);
    Converted result{Detect(input, given), "", ""};
    if (!result.reading.error.empty())
        return result;
    PriceLineReader reader(result.reading.rules);
    reader.AddRows(input);
    for (const PriceLine& line : reader.Lines())
    {
        result.stored += IsoDayText(line.day) + (line.time >= 0 ? " @" + std::to_string(line.time) : "");
        for (int field = kFieldOpen; field < kFieldCount; ++field)
        {
            char value[32] = "-";
            if (result.reading.rules.column[field] >= 0)
                *std::to_chars(value, value + sizeof value - 1, line.values[field], std::chars_format::fixed).ptr =
                    '\0';
            result.stored += std::string(" ") + value;
        }
        result.stored += "\n";
    }
    result.report = reader.Report().Text() + reader.Report().OutsideRangeText();
    return result;
}

GivenReading Given(void (*change)(GivenReading&))
{
    GivenReading given;
    change(given);
    return given;
}
} // namespace

TEST(Headings, NamesAreReadAsTheSourcesWriteThem)
{
    const std::pair<Heading, std::vector<std::string>> names[] = {
        {Heading::kDate, {"Date", "<DATE>", "timestamp", "Datum"}},
        {Heading::kTime, {"Zeit", "<TIME>"}},
        {Heading::kOpen, {"Eröffnung", "ERÖFFNUNG", "Er\366ffnung", "Erster"}},
        {Heading::kHigh, {" High "}},
        {Heading::kLow, {"Tief"}},
        {Heading::kClose, {"Close/Last", "Price", "Schlusskurs", "Close*"}},
        {Heading::kLast, {"Last"}},
        {Heading::kSettle, {"Settle"}},
        {Heading::kVolume, {"Vol.", "<VOL>", "Umsatz"}},
        {Heading::kTickVolume, {"<TICKVOL>"}},
        {Heading::kOpenInterest, {"Open Interest", "Previous Day Open Interest", "<OPENINT>", "open_interest"}},
        {Heading::kTicker, {"Symbol"}},
        {Heading::kPeriod, {"<PER>"}},
        {Heading::kName, {"<NAME>"}},
        {Heading::kNotAPrice, {"Adj Close**", "Adjusted Close", "Change %"}},
        {Heading::kUnknown, {"Chg", "<SPREAD>", "Opening", "2025-01-02"}},
    };
    for (const auto& [heading, texts] : names)
        for (const std::string& text : texts)
            EXPECT_EQ(ReadHeading(text.c_str(), text.size()), heading) << text;
}

// Each file shape as its source publishes it converts with no option given, every value as the file holds it.
TEST(Detection, EachSourceShapeReadsRightWithoutOptions)
{
    const struct
    {
        const char* source;
        std::string text;
        std::string description;
        std::string stored;
    } shapes[] = {
        {"Yahoo Finance",
         "Date,Open,High,Low,Close,Adj Close,Volume\n"
         "2025-01-02,248.929993,249.100006,241.820007,243.850006,243.582199,55740700\n"
         "2025-01-03,243.360001,244.179993,241.889999,243.360001,243.092728,40244100\n",
         "Read as: comma-separated, header on line 1, date=1 (CCYY_MM_DD), open=2, high=3, low=4, close=5, volume=7; "
         "column 6 (Adj Close) not used",
         "2025-01-02 248.93 249.1 241.82 243.85 55740700 -\n2025-01-03 243.36 244.18 241.89 243.36 40244100 -\n"},
        {"Stooq",
         "<TICKER>,<PER>,<DATE>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>,<OPENINT>\n"
         "AAPL.US,D,20250102,000000,248.93,249.1,241.82,243.85,55740700,0\n"
         "AAPL.US,D,20250103,000000,243.36,244.18,241.89,243.36,40244100,0\n",
         "Read as: comma-separated, header on line 1, ticker=1, period=2, date=3 (CCYYMMDD), time=4, open=5, high=6, "
         "low=7, close=8, volume=9, oi=10\n"
         "The time is 000000 on every row: one bar a day.",
         "2025-01-02 @0 248.93 249.1 241.82 243.85 55740700 0\n2025-01-03 @0 243.36 244.18 241.89 243.36 40244100 0\n"},
        {"Nasdaq.com, newest first",
         "Date,Close/Last,Volume,Open,High,Low\n"
         "01/06/2025,$245.00,4504557,$244.31,$247.33,$243.20\n"
         "01/03/2025,$243.36,4024411,$243.36,$244.18,$241.89\n"
         "12/31/2024,$250.42,3948072,$252.44,$253.28,$249.43\n",
         "Read as: comma-separated, header on line 1, date=1 (MM_DD_CCYY), open=4, high=5, low=6, close=2, volume=3",
         "2024-12-31 252.44 253.28 249.43 250.42 3948072 -\n2025-01-03 243.36 244.18 241.89 243.36 4024411 -\n"
         "2025-01-06 244.31 247.33 243.2 245 4504557 -\n"},
        {"Alpha Vantage, CR LF, newest first",
         "timestamp,open,high,low,close,volume\r\n2025-01-06,244.31,247.33,243.2,245,4504557\r\n"
         "2025-01-03,243.36,244.18,241.89,243.36,4024411\r\n",
         "Read as: comma-separated, header on line 1, date=1 (CCYY_MM_DD), open=2, high=3, low=4, close=5, volume=6",
         "2025-01-03 243.36 244.18 241.89 243.36 4024411 -\n2025-01-06 244.31 247.33 243.2 245 4504557 -\n"},
        {"Investing.com: byte-order mark, quotes, thousands, K/M/B volumes",
         "\xef\xbb\xbf\"Date\",\"Price\",\"Open\",\"High\",\"Low\",\"Vol.\",\"Change %\"\n"
         "\"01/06/2025\",\"2,450.00\",\"2,443.10\",\"2,473.30\",\"2,432.00\",\"45.05M\",\"0.67%\"\n"
         "\"01/03/2025\",\"2,433.70\",\"2,410.00\",\"2,440.00\",\"2,405.50\",\"54.11K\",\"1.01%\"\n"
         "\"12/31/2024\",\"2,409.40\",\"2,420.00\",\"2,425.90\",\"2,400.10\",\"1.2B\",\"-0.50%\"\n",
         "Read as: comma-separated, header on line 1, date=1 (MM_DD_CCYY), open=3, high=4, low=5, close=2, volume=6; "
         "column 7 (Change %) not used",
         "2024-12-31 2420 2425.9 2400.1 2409.4 1200000000 -\n2025-01-03 2410 2440 2405.5 2433.7 54110 -\n"
         "2025-01-06 2443.1 2473.3 2432 2450 45050000 -\n"},
        {"MetaTrader 4: no header, a time after the date",
         "2025.01.02,00:00,1.03450,1.03600,1.03300,1.03500,1234\n2025.01.03,00:00,1.03500,1.03700,1.03200,1.03300,"
         "1500\n",
         "Read as: comma-separated, no header, date=1 (CCYY_MM_DD), time=2, open=3, high=4, low=5, close=6, volume=7\n"
         "The rows have 7 columns: open interest not stored. The time is 00:00 on every row: one bar a day.",
         "2025-01-02 @0 1.0345 1.036 1.033 1.035 1234 -\n2025-01-03 @0 1.035 1.037 1.032 1.033 1500 -\n"},
        {"MetaTrader 5: tabs, real volume all zero",
         "<DATE>\t<TIME>\t<OPEN>\t<HIGH>\t<LOW>\t<CLOSE>\t<TICKVOL>\t<VOL>\t<SPREAD>\n"
         "2025.01.02\t00:00:00\t1.03450\t1.03600\t1.03300\t1.03500\t123456\t0\t12\n"
         "2025.01.03\t00:00:00\t1.03500\t1.03700\t1.03200\t1.03300\t99999\t0\t10\n",
         "Read as: tab-separated, header on line 1, date=1 (CCYY_MM_DD), time=2, open=3, high=4, low=5, close=6, "
         "volume=7; columns 8 (<VOL>), 9 (<SPREAD>) not used\n"
         "Volume is <TICKVOL>: <VOL> is 0 on every row. The time is 00:00:00 on every row: one bar a day.",
         "2025-01-02 @0 1.0345 1.036 1.033 1.035 123456 -\n2025-01-03 @0 1.035 1.037 1.032 1.033 99999 -\n"},
        {"MetaTrader 5 with real volume",
         "<DATE>\t<TIME>\t<OPEN>\t<HIGH>\t<LOW>\t<CLOSE>\t<TICKVOL>\t<VOL>\t<SPREAD>\n"
         "2025.01.02\t00:00:00\t10\t11\t9\t10.5\t123456\t0\t12\n2025.01.03\t00:00:00\t10\t11\t9\t10."
         "5\t99999\t700\t10\n",
         "Read as: tab-separated, header on line 1, date=1 (CCYY_MM_DD), time=2, open=3, high=4, low=5, close=6, "
         "volume=8; columns 7 (<TICKVOL>), 9 (<SPREAD>) not used\n"
         "The time is 00:00:00 on every row: one bar a day.",
         "2025-01-02 @0 10 11 9 10.5 0 -\n2025-01-03 @0 10 11 9 10.5 700 -\n"},
        {"German bank: semicolons, decimal comma, thousands points",
         "Datum;Eröffnung;Hoch;Tief;Schluss;Volumen\n14.11.2025;138,95;140,42;137,10;139,50;1.234.567\n"
         "13.11.2025;137,00;139,00;136,50;138,20;987.654\n",
         "Read as: semicolon-separated, decimal comma, header on line 1, date=1 (DD_MM_CCYY), open=2, high=3, low=4, "
         "close=5, volume=6",
         "2025-11-13 137 139 136.5 138.2 987654 -\n2025-11-14 138.95 140.42 137.1 139.5 1234567 -\n"},
        {"tabs with blanks padding the numbers",
         "Date\tOpen\tHigh\tLow\tClose\tVolume\n2025-01-02\t  101.50\t  102.00\t  100.25\t  101.75\t   12000\n"
         "2025-01-03\t   99.00\t  101.00\t   98.50\t  100.50\t    9500\n",
         "Read as: tab-separated, header on line 1, date=1 (CCYY_MM_DD), open=2, high=3, low=4, close=5, volume=6",
         "2025-01-02 101.5 102 100.25 101.75 12000 -\n2025-01-03 99 101 98.5 100.5 9500 -\n"},
        {"blank-aligned text",
         "Date          Open     High      Low    Close    Volume\n"
         "2025-01-02  101.50   102.00   100.25   101.75     12000\n2025-01-03   99.00   101.00    98.50   100.50      "
         "9500\n",
         "Read as: blank-aligned, header on line 1, date=1 (CCYY_MM_DD), open=2, high=3, low=4, close=5, volume=6",
         "2025-01-02 101.5 102 100.25 101.75 12000 -\n2025-01-03 99 101 98.5 100.5 9500 -\n"},
        {"futures: Last and Settle, an empty Change",
         "Date,Open,High,Low,Last,Change,Settle,Volume,Previous Day Open Interest\n"
         "2025-01-06,5950.25,6000.5,5940,5990.75,,5991.5,1520000,2150000\n"
         "2025-01-03,5900,5960,5890,5955,55.5,5956,1400000,2148000\n",
         "Read as: comma-separated, header on line 1, date=1 (CCYY_MM_DD), open=2, high=3, low=4, close=7, volume=8, "
         "oi=9; columns 5 (Last), 6 (Change) not used\nClose is Settle (column 7), not Last (column 5).",
         "2025-01-03 5900 5960 5890 5956 1400000 2148000\n2025-01-06 5950.25 6000.5 5940 5991.5 1520000 2150000\n"},
    };
    for (const auto& shape : shapes)
    {
        const Converted converted = Convert(shape.text);
        EXPECT_EQ(converted.reading.error, "") << shape.source;
        EXPECT_EQ(converted.reading.description, shape.description) << shape.source;
        EXPECT_EQ(converted.stored, shape.stored) << shape.source;
        EXPECT_EQ(converted.report, "") << shape.source;
        EXPECT_FALSE(converted.reading.intraday) << shape.source;
    }
}

TEST(Detection, UnevenRowsAndOtherEncodingsAreSaid)
{
    // UTF-16 with its byte-order mark reads as the text it holds.
    std::string utf16 = "\xff\xfe";
    for (const char c : std::string("Date,Close\n2025-01-02,5\n"))
        utf16 += std::string(1, c) + '\0';
    Converted converted = Convert(utf16);
    EXPECT_EQ(converted.reading.description, "Read as: UTF-16LE text, comma-separated, header on line 1, date=1 "
                                             "(CCYY_MM_DD), close=2");
    EXPECT_EQ(converted.stored, "2025-01-02 - - - 5 - -\n");

    // Several bars a day: said, so that they are not taken for one bar each.
    converted = Convert("Date,Time,Open,High,Low,Close\n2025-01-02,09:30,1,2,0.5,1\n2025-01-02,09:31,1,2,0.5,1\n");
    EXPECT_TRUE(converted.reading.intraday);
    EXPECT_EQ(converted.reading.description.substr(converted.reading.description.find('\n')),
              "\nSeveral bars a day: line 2 and line 3 are both 2025-01-02.");
    // The same day twice with one time is a repeated row, left out.
    converted = Convert("Date,Close\n2025-01-02,1\n2025-01-02,1\n2025-01-03,1\n");
    EXPECT_FALSE(converted.reading.intraday);
    EXPECT_EQ(converted.report, "1 of 3 rows were left out:\nline 3: same date as line 2: 2025-01-02,1");

    // A title above the header, junk below the data: both left out and reported, the dates still found.
    converted = Convert("Prices\nDate;Close\n13.01.2025;5,5\n14.01.2025;6\nSource: a bank\n",
                        Given([](GivenReading& g) { g.skipRows = 2; }));
    EXPECT_EQ(converted.reading.description,
              "Read as: semicolon-separated, decimal comma, header on line 2, date=1 (DD_MM_CCYY), close=2");
    EXPECT_EQ(converted.report, "1 of 3 rows were left out:\nline 5: has 1 column, the fields need 2: Source: a bank");
}

// When the file reads two ways with different values, nothing is converted and both are named.
TEST(Detection, TwoReadingsAreRefusedNamingBothAndTheOption)
{
    const struct
    {
        std::string text;
        std::string error;
    } cases[] = {
        {"01/02/2025,1,2,0.5,1.5,100\n01/03/2025,1,2,0.5,1.5,100\n",
         "The dates read two ways: line 1 (01/02/2025) is 2025-01-02 as MM_DD_CCYY and 2025-02-01 as DD_MM_CCYY.\n"
         "advice: Choose one with --date-format MM_DD_CCYY or --date-format DD_MM_CCYY."},
        {"2025-01-02;1,234;2,000;1,000;1,500\n2025-01-03;1,234;2,000;1,000;1,500\n",
         "The numbers read two ways: line 1 (1,234) is 1234 with a decimal point and 1.234 with a decimal comma.\n"
         "advice: Choose one with --decimal point or --decimal comma."},
        {"2025-01-02;1,5;2;1;1,5\n2025-01-03;1.5;2;1;1,5\n",
         "The numbers use both decimal marks: line 2 (1.5) reads only with a decimal point, line 1 (1,5) only with a "
         "decimal comma.\nadvice: Choose one with --decimal point or --decimal comma."},
        {"Date,Close,Price\n2025-01-02,1,2\n",
         "The header on line 1 names two close columns: 2 (Close) and 3 (Price).\nDate,Close,Price\n"
         "advice: Choose one with --columns date=1,close=2 or --columns date=1,close=3"},
        {"Date,Open,Open Interest,OI,Close\n2025-01-02,1,2,3,4\n",
         "The header on line 1 names two open interest columns: 3 (Open Interest) and 4 (OI).\n"
         "Date,Open,Open Interest,OI,Close\nadvice: Choose one with --columns date=1,open=2,close=5,oi=3 or --columns "
         "date=1,open=2,close=5,oi=4"},
        {"Date,Open,Adj Close\n2025-01-02,1,2\n",
         "The header on line 1 names no close column.\nDate,Open,Adj Close\n"
         "advice: Choose the columns with --columns, e.g. --columns date=1,open=2,high=3,low=4,close=5,volume=6"},
        // The columns, not the dates, are the problem.
        {"X,2025-01-02,1\nX,2025-01-03,2\n",
         "The rows have 3 columns, but close is to be read from column 5.\nadvice: Choose the columns with --columns."},
        {"X;2025-01-02;1;1;1;1\nX;2025-01-03;2;2;2;2\n", "No date layout reads the dates in column 1: line 1: "
                                                         "X\nColumn 2 holds dates.\nadvice: Choose the columns with "
                                                         "--columns."},
        {"01/02/2025,1,2,0.5,1.5\n01/01/2025,1,2,0.5,1.5\n01/03/2025,1,2,0.5,1.5\n",
         "No date layout reads the dates in column 1 in one order:\n"
         "MM_DD_CCYY: line 3 (01/03/2025) goes the other way\nDD_MM_CCYY: line 3 (01/03/2025) goes the other way\n"
         "advice: Choose one with --date-format."},
        {"x\n\n", "No delimiter splits the rows into columns of numbers and dates; line 1: x\n"
                  "advice: Choose one with --delimiter comma, tab, semicolon, pipe or space."},
        // A header line that starts as advice does is part of the reason.
        {"Column 1,Date,Time,Time,Close\nx,2024-01-02,10:00,10:00,1.5\n",
         "The header on line 1 names two time columns: 3 and 4.\nColumn 1,Date,Time,Time,Close\n"
         "advice: Choose one with --columns date=2,time=3,close=5 or --columns date=2,time=4,close=5"},
        {"\n \n", "The input holds no rows."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Said(Convert(c.text).reading), c.error) << c.text;
}

// Columns chosen by the user, stored or default are checked against a header before anything is read.
TEST(Detection, ColumnsThatContradictTheHeaderAreRefused)
{
    const std::string yahoo = "Date,Open,High,Low,Close,Adj Close,Volume\n2025-01-02,10,11,9,10.5,10.4,1000\n";
    const struct
    {
        std::string text;
        std::array<int, kFieldCount> columns;
        std::string error;
    } cases[] = {
        {yahoo,
         {0, 1, 2, 3, 4, 5, 6},
         "The columns do not fit the header on line 1: volume is column 6, headed Adj Close; open interest is column "
         "7, headed Volume.\nDate,Open,High,Low,Close,Adj Close,Volume\n"
         "advice: Columns that fit it: --columns date=1,open=2,high=3,low=4,close=5,volume=7"},
        {yahoo,
         {0, 4, 2, 3, 1, -1, -1},
         "The columns do not fit the header on line 1: open is column 5, headed Close; close is column 2, headed "
         "Open.\nDate,Open,High,Low,Close,Adj Close,Volume\n"
         "advice: Columns that fit it: --columns date=1,open=2,high=3,low=4,close=5,volume=7"},
        {yahoo, {0, 1, 2, 3, 4, 6, -1}, ""},
        // An unknown heading is no contradiction; Last is a close.
        {"Date,Eröffnungskurs,Last\n2025-01-02,1,2\n", {0, 1, -1, -1, 2, -1, -1}, ""},
        {"Date,Open,High,Low,Close,Volume\n2025-01-02,10,11,9,10.5,1000\n",
         {0, 1, 2, 3, 4, 5, 6},
         "The rows have 6 columns, but open interest is to be read from column 7.\n"
         "advice: Read only the columns the rows have, e.g. --columns date=1,open=2,high=3,low=4,close=5,volume=6"},
    };
    for (const auto& c : cases)
    {
        GivenReading given;
        given.columns = c.columns;
        EXPECT_EQ(Said(Convert(c.text, given).reading), c.error) << c.text;
    }
}

// Whatever the user gives is taken as given; only the rest is read from the file.
TEST(Detection, GivenOptionsWin)
{
    const struct
    {
        std::string text;
        GivenReading given;
        std::string description;
        std::string stored;
    } cases[] = {
        {"01/02/2025,1,2,0.5,1.5\n01/03/2025,1,2,0.5,1.5\n",
         Given([](GivenReading& g) { g.dateFormat = DateFormatCode("DD_MM_CCYY"); }),
         "Read as: comma-separated, no header, date=1 (DD_MM_CCYY), open=2, high=3, low=4, close=5\n"
         "The rows have 5 columns: volume, open interest not stored.",
         "2025-02-01 1 2 0.5 1.5 - -\n2025-03-01 1 2 0.5 1.5 - -\n"},
        {"2025-01-02;1,234;2,000;1,000;1,500\n", Given([](GivenReading& g) { g.decimal = DecimalMark::kPoint; }),
         "Read as: semicolon-separated, no header, date=1 (CCYY_MM_DD), open=2, high=3, low=4, close=5\n"
         "The rows have 5 columns: volume, open interest not stored.",
         "2025-01-02 1234 2000 1000 1500 - -\n"},
        // Columns given: the header's Settle rule does not apply, the header still checks them.
        {"Date,Last,Settle\n2025-01-02,1,2\n", Given([](GivenReading& g) {
             g.columns = {{0, -1, -1, -1, 1, -1, -1}};
         }),
         "Read as: comma-separated, header on line 1, date=1 (CCYY_MM_DD), close=2; column 3 (Settle) not used",
         "2025-01-02 - - - 1 - -\n"},
        // Tabs with an empty column between: blank-aligned, as the user says, it has two columns.
        {"2025-01-02\t\t5\n2025-01-03\t\t6\n", Given([](GivenReading& g) {
             g.delimiter = Delimiter::kSpace;
             g.fallbackColumns = {0, -1, -1, -1, 1, -1, -1};
         }),
         "Read as: blank-aligned, no header, date=1 (CCYY_MM_DD), close=2",
         "2025-01-02 - - - 5 - -\n2025-01-03 - - - 6 - -\n"},
        // Rows skipped by the user: the header is the last of them.
        {"Report\nDate|Close\n2025-01-02|5\n", Given([](GivenReading& g) { g.skipRows = 2; }),
         "Read as: pipe-separated, header on line 2, date=1 (CCYY_MM_DD), close=2", "2025-01-02 - - - 5 - -\n"},
        {"2025-01-02,09:30,5\n2025-01-03,09:30,6\n", Given([](GivenReading& g) {
             g.timeColumn = -1;
             g.fallbackColumns = {0, -1, -1, -1, 2, -1, -1};
         }),
         "Read as: comma-separated, no header, date=1 (CCYY_MM_DD), close=3; column 2 not used",
         "2025-01-02 - - - 5 - -\n2025-01-03 - - - 6 - -\n"},
        // A stored time stands in, as stored columns do, for a file without a header.
        {"2024-01-02,0930,5\n2024-01-02,1000,6\n", Given([](GivenReading& g) {
             g.fallbackTimeColumn = 1;
             g.fallbackColumns = {0, -1, -1, -1, 2, -1, -1};
         }),
         "Read as: comma-separated, no header, date=1 (CCYY_MM_DD), time=2, close=3\n"
         "Several bars a day: line 1 and line 2 are both 2024-01-02.",
         "2024-01-02 @93000 - - - 5 - -\n2024-01-02 @100000 - - - 6 - -\n"},
        // The layout the user picked settles dates that read two ways, and says so; where the
        // layouts give the same days it is taken unsaid, and where one layout reads them it is not.
        {"Date,Close\n01/02/2025,1\n01/03/2025,2\n",
         Given([](GivenReading& g) { g.preferredDateFormat = DateFormatCode("DD_MM_CCYY"); }),
         "Read as: comma-separated, header on line 1, date=1 (DD_MM_CCYY), close=2\n"
         "The dates read several ways: DD_MM_CCYY, as chosen.",
         "2025-02-01 - - - 1 - -\n2025-03-01 - - - 2 - -\n"},
        {"Date,Close\n01/01/2025,1\n02/02/2025,2\n",
         Given([](GivenReading& g) { g.preferredDateFormat = DateFormatCode("DD_MM_CCYY"); }),
         "Read as: comma-separated, header on line 1, date=1 (DD_MM_CCYY), close=2",
         "2025-01-01 - - - 1 - -\n2025-02-02 - - - 2 - -\n"},
        {"Date,Close\n01/13/2025,1\n01/14/2025,2\n",
         Given([](GivenReading& g) { g.preferredDateFormat = DateFormatCode("DD_MM_CCYY"); }),
         "Read as: comma-separated, header on line 1, date=1 (MM_DD_CCYY), close=2",
         "2025-01-13 - - - 1 - -\n2025-01-14 - - - 2 - -\n"},
    };
    for (const auto& c : cases)
    {
        const Converted converted = Convert(c.text, c.given);
        EXPECT_EQ(converted.reading.error, "") << c.text;
        EXPECT_EQ(converted.reading.description, c.description) << c.text;
        EXPECT_EQ(converted.stored, c.stored) << c.text;
    }
}
