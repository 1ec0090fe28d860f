#include "engine/PriceMerge.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace tavrix {
namespace {
// Bars are one a day, or one at each time of a day.
long long KeyOf(DayNumber day, int time)
{
    return static_cast<long long>(day) * 1000000 + std::max(time, 0);
}
} // namespace

PriceMerge MergeBars(const std::vector<StoredBar>& stored, const std::vector<PriceBar>& lines,
                     const std::vector<Field>& fields, bool timed, bool replace)
{
    PriceMerge merge;
    std::map<long long, PriceBar> bars;
    for (const StoredBar& bar : stored)
    {
        const DayNumber day = DayOfDateValue(bar.date);
        const int time = timed ? static_cast<int>(bar.time) : -1;
        const long long key = KeyOf(day, time);
        if (day == 0 || (!bars.empty() && key <= bars.rbegin()->first))
        {
            merge.problem = "Its dates are not valid or do not rise.";
            return merge;
        }
        bars[key] = PriceBar{day, time, bar.values};
    }
    const long long lastStored = bars.empty() ? 0 : bars.rbegin()->first;
    for (const PriceBar& line : lines)
    {
        const PriceBar value{line.day, timed ? line.time : -1, line.values};
        const long long key = KeyOf(value.day, value.time);
        if (key > lastStored)
        {
            bars[key] = value;
            if (merge.added++ == 0)
                merge.firstAdded = line.day;
            merge.lastAdded = line.day;
            continue;
        }
        const auto old = bars.find(key);
        std::string difference;
        if (old == bars.end())
            difference = "not in the price file";
        else
            for (const Field field : fields)
                if (field != kFieldDate && old->second.values[field] != line.values[field] && difference.empty())
                {
                    char text[120];
                    std::snprintf(text, sizeof text, "%s is %.9g in the price file, %.9g in the input",
                                  NamesOf(field).word, static_cast<double>(old->second.values[field]),
                                  static_cast<double>(line.values[field]));
                    difference = text;
                }
        if (difference.empty())
        {
            ++merge.present;
            continue;
        }
        merge.differences.push_back(IsoDayText(value.day) + (value.time >= 0 ? " " + TimeText(value.time) : "") + ": " +
                                    difference);
        if (replace)
            bars[key] = value;
    }
    if (replace)
        merge.replaced = static_cast<int>(merge.differences.size());
    merge.bars.reserve(bars.size());
    for (const auto& bar : bars)
        merge.bars.push_back(bar.second);
    return merge;
}
std::vector<PriceBar> DailyBars(const std::vector<PriceBar>& bars)
{
    std::vector<PriceBar> days;
    double volume = 0; // summed wide, so a busy day's many bars lose nothing before the one rounding
    for (const PriceBar& bar : bars)
    {
        if (days.empty() || days.back().day != bar.day)
        {
            days.push_back(bar);
            days.back().time = -1;
            volume = bar.values[kFieldVolume];
            continue;
        }
        PriceBar& day = days.back();
        day.values[kFieldHigh] = std::max(day.values[kFieldHigh], bar.values[kFieldHigh]);
        day.values[kFieldLow] = std::min(day.values[kFieldLow], bar.values[kFieldLow]);
        day.values[kFieldClose] = bar.values[kFieldClose];
        volume += bar.values[kFieldVolume];
        day.values[kFieldVolume] = static_cast<float>(volume);
        day.values[kFieldOpenInterest] = bar.values[kFieldOpenInterest];
    }
    return days;
}
} // namespace tavrix
