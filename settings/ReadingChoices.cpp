#include "settings/ReadingChoices.h"

#include "engine/ConversionJob.h"
#include "settings/SettingsRules.h"

namespace tavrix {
namespace {
const std::pair<DelimiterChoice, Delimiter> kDelimiters[] = {
    {DelimiterChoice::kComma, Delimiter::kComma}, {DelimiterChoice::kTab, Delimiter::kTab},
    {DelimiterChoice::kSpace, Delimiter::kSpace}, {DelimiterChoice::kSemicolon, Delimiter::kSemicolon},
    {DelimiterChoice::kPipe, Delimiter::kPipe},
};
} // namespace

GivenReading GivenReadingOf(const ConversionSettings& settings, int dateFormat)
{
    GivenReading given;
    for (const auto& [choice, delimiter] : kDelimiters)
        if (settings.m_nDelimiter == choice)
            given.delimiter = delimiter;
    if (settings.m_nDecimal != DecimalChoice::kAutomatic)
        given.decimal = settings.m_nDecimal == DecimalChoice::kComma ? DecimalMark::kComma : DecimalMark::kPoint;
    std::array<int, kFieldCount> columns{};
    for (int field = 0; field < kFieldCount; ++field)
    {
        const FieldColumn& column = settings.m_fields[field];
        const bool on = column.on || field == kFieldDate || field == kFieldClose;
        columns[field] =
            !on ? -1
                : (column.column >= rules::kMinColumn && column.column <= rules::kMaxColumn ? column.column - 1 : 0);
    }
    if (settings.m_bColumnsGiven)
    {
        given.columns = columns;
        given.named = settings.m_bFieldNamed;
    }
    else
        given.fallbackColumns = columns;
    if (settings.m_nTimeCol > 0)
        given.timeColumn = settings.m_nTimeCol - 1;
    if (dateFormat != ConversionJob::kAutoDateFormat)
        given.dateFormat = dateFormat;
    if (settings.m_bSkipOn)
        given.skipRows = settings.m_nSkipRows;
    return given;
}

GivenReading FileSaysFirst(const GivenReading& given)
{
    GivenReading first;
    first.fallbackColumns = given.columns ? *given.columns : given.fallbackColumns;
    first.fallbackTimeColumn = given.timeColumn;
    first.preferredDateFormat = given.dateFormat;
    return first;
}

void ApplyReading(const Reading& reading, ConversionSettings* settings)
{
    const PriceLineRules& rules = reading.rules;
    for (const auto& [choice, delimiter] : kDelimiters)
        if (rules.delimiter == delimiter)
            settings->m_nDelimiter = choice;
    settings->m_nDecimal = rules.decimal == DecimalMark::kComma ? DecimalChoice::kComma : DecimalChoice::kPoint;
    for (int field = 0; field < kFieldCount; ++field)
    {
        FieldColumn& column = settings->m_fields[field];
        column.on = rules.column[field] >= 0;
        if (column.on)
            column.column = rules.column[field] + 1;
    }
    settings->m_nTimeCol = rules.timeColumn >= 0 ? rules.timeColumn + 1 : 0;
    if (rules.dateFormat >= 1)
        settings->m_strDateFormat = DateFormatName(rules.dateFormat);
    settings->m_bSkipOn = rules.skipRows > 0;
    settings->m_nSkipRows = rules.skipRows;
    settings->m_bColumnsGiven = true;
}
} // namespace tavrix
