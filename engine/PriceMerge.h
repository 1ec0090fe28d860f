#pragma once

#include "marketdata/PriceFile.h"

#include <string>
#include <vector>

namespace tavrix {
// New rows merged into a security's stored bars by the update rules: rows after the last stored
// bar are added; rows on or before it must equal the stored bar of their day (and time) in every
// field the input gives, and count as already present; a bar that differs, or a day the price
// file lacks, is a difference, taken only with `replace`.
struct PriceMerge
{
    std::vector<PriceBar> bars; // the merged bars, oldest first
    int added = 0;
    int present = 0;
    int replaced = 0;
    DayNumber firstAdded = 0;
    DayNumber lastAdded = 0;
    // "2025-01-06: close is 6 in the price file, 6.5 in the input", one per bar that differs.
    std::vector<std::string> differences;
    // Why the stored bars cannot be merged into ("" when they can): dates that do not rise.
    std::string problem;
};

// One bar a day made of a day's intraday bars, oldest first: its first open, highest high, lowest
// low, last close, summed volume and last open interest; no time.
std::vector<PriceBar> DailyBars(const std::vector<PriceBar>& bars);

// `stored` as read back; `fields` the fields the input gives; `timed` when bars have a time.
PriceMerge MergeBars(const std::vector<StoredBar>& stored, const std::vector<PriceBar>& lines,
                     const std::vector<Field>& fields, bool timed, bool replace);
} // namespace tavrix
