#pragma once

#include "engine/JobError.h"
#include "settings/ConversionSettings.h"
#include "text/Detection.h"
#include "text/PriceLines.h"

#include <functional>
#include <string>
#include <vector>

namespace tavrix {
// What became of one ticker of a market-wide file.
struct TickerOutcome
{
    std::string ticker; // Latin-1, as MASTER holds it
    // A new security, or new days of one the directory held; unknown when refused before the
    // directory was read.
    enum Change
    {
        kUnknown,
        kNew,
        kAdded,
    } change = kUnknown;
    bool converted = false;
    int records = 0; // written: all of a new security's, or the days added to one held
    int present = 0; // rows already in the price file
    int replaced = 0;
    DayNumber firstDay = 0;
    DayNumber lastDay = 0;
    PriceLineReport leftOut; // with the rows' line numbers in the file
    JobError error;
    // Of a converted ticker: "converted", or with the rows already present.
    std::string ConvertedText() const;
};

// A file of many securities, one row per security and day (or bar), named by a ticker column
// (<TICKER>, Ticker, Symbol), possibly with a name (<NAME>) and a period (<PER>: D, or the bar's
// minutes). Each ticker's rows are read on their own by the price-line rules; tickers the
// directory holds get their new days by the update rules, the others become new securities, all
// in one change committed once. A ticker whose rows are refused does not stop the others.
class MarketConversion
{
public:
    std::string m_strInputPath;
    ConversionSettings m_settings; // directory, master choice and how rows are read; no symbol or name
    int m_nDateFormat = 1;         // or ConversionJob::kAutoDateFormat
    bool m_bReplace = false;       // days that differ from a held security's are rewritten
    bool m_bStrict = false;        // a ticker with rows left out is refused
    std::function<void()> m_onWaitForLock;
    std::function<void(const std::string& warning)> m_onWarning;
    std::function<void(std::size_t index, std::size_t count, const std::string& ticker)> m_onProgress;
    std::function<bool(const std::string& step)> m_stepHook;

    // Reads the file and its tickers without touching any directory: Tickers() and m_reading.
    int Inspect();
    // 0 when every ticker went in.
    int Run();

    Reading m_reading;
    std::vector<TickerOutcome> m_outcomes; // in the order the tickers first appear
    JobError m_error;                      // the file or the directory could not be used: nothing went in
    std::string m_strPath;                 // the directory, resolved
    int Converted() const;

    struct Ticker
    {
        std::string symbol;     // Latin-1
        std::string name;       // from the name column, else the symbol
        std::vector<long> rows; // indexes of its rows in the input
        std::string period;     // "D", or the minutes of an intraday bar; "" when mixed or unknown
        std::string problem;    // why the period is refused
    };
    const std::vector<Ticker>& Tickers() const { return m_tickers; }
    TextRow Row(std::size_t index) const { return m_input.Row(index); }

private:
    int Fail(JobError error);
    std::vector<Ticker> m_tickers;
    InputText m_input;
};

// Whether the file names its rows' securities in a column: a market-wide file.
bool IsMarketFile(const Reading& reading);

// Why the input at `path` cannot be read as detection found it, with the options that settle it
// on the command line and the dialog's words in the desktop program.
JobError UnreadableInput(const std::string& path, const Reading& reading);
} // namespace tavrix
