#include "engine/ConversionJob.h"

#include <algorithm>

namespace tavrix {
RecordLayout ConversionJob::Layout() const
{
    // Intraday records hold every field after the date and time, as vendors write them (and as
    // every reader takes eight fields); a field the file lacks is 0 there.
    if (Intraday())
        return DefaultLayoutForCount(8);
    RecordLayout layout;
    layout.fields = m_fields;
    layout.fieldCount = static_cast<int>(m_fields.size());
    return layout;
}

const std::vector<PriceBar>& ConversionJob::Bars()
{
    const std::vector<PriceLine>& lines = m_lines->Lines();
    if (!(m_reading.intraday && m_settings.m_bDaily))
        return lines;
    // A day's bar: its first open, highest high, lowest low, last close, summed volume and last open interest.
    std::vector<PriceBar>& days = m_dailyBars;
    days.clear();
    double volume = 0; // summed wide, so a busy day's many bars lose nothing before the one rounding
    for (const PriceLine& line : lines)
    {
        if (days.empty() || days.back().day != line.day)
        {
            days.push_back(line);
            days.back().time = -1;
            volume = line.values[kFieldVolume];
            continue;
        }
        PriceBar& day = days.back();
        day.values[kFieldHigh] = std::max(day.values[kFieldHigh], line.values[kFieldHigh]);
        day.values[kFieldLow] = std::min(day.values[kFieldLow], line.values[kFieldLow]);
        day.values[kFieldClose] = line.values[kFieldClose];
        volume += line.values[kFieldVolume];
        day.values[kFieldVolume] = static_cast<float>(volume);
        day.values[kFieldOpenInterest] = line.values[kFieldOpenInterest];
    }
    return days;
}

int ConversionJob::ConvertInput()
{
    if (m_nFileNumber == 0 || !m_lines || !m_edit)
        return 1; // no security was added: there is nothing to write
    if (AcceptLeftOutRows(m_lines->Lines().size()))
        return 1;
    const std::vector<PriceBar>& bars = Bars();
    SecuritySpec spec;
    spec.symbol = Symbol();
    spec.name = Name();
    spec.layout = Layout();
    if (Intraday())
    {
        spec.period = 'I';
        spec.interval = BarMinutesOf(bars);
    }
    if (JobError problem = m_edit->Add(spec, bars, &m_nFileNumber); problem.Failed())
        return Fail(problem);
    if (JobError problem = m_pSharedEdit ? JobError{} : m_edit->Commit(); problem.Failed())
        return Fail(problem);
    m_nFirstDay = bars.front().day;
    m_nLastDay = bars.back().day;
    m_nLineCount = static_cast<int>(bars.size());
    return 0;
}
} // namespace tavrix
