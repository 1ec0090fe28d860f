#include "engine/ConversionJob.h"
#include "engine/PriceMerge.h"

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
    if (!(m_reading.intraday && m_settings.m_bDaily))
        return m_lines->Lines();
    m_dailyBars = DailyBars(m_lines->Lines());
    return m_dailyBars;
}

int ConversionJob::ConvertInput()
{
    if (m_nFileNumber == 0 || !m_lines || !m_edit)
        return 1; // no security was added: there is nothing to write
    if (AcceptLeftOutRows(m_lines->Lines().size()))
        return 1;
    const std::vector<PriceBar>& bars = Bars();
    AddedSecurity added;
    added.symbol = Symbol();
    added.name = Name();
    added.layout = Layout();
    if (Intraday())
    {
        added.period = 'I';
        added.interval = BarMinutesOf(bars);
    }
    if (JobError problem = m_edit->Add(added, bars, &m_nFileNumber); problem.Failed())
        return Fail(problem);
    if (JobError problem = m_pSharedEdit ? JobError{} : m_edit->Commit(); problem.Failed())
        return Fail(problem);
    m_nFirstDay = bars.front().day;
    m_nLastDay = bars.back().day;
    m_nLineCount = static_cast<int>(bars.size());
    return 0;
}
} // namespace tavrix
