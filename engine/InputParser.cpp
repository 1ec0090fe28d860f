#include "engine/ConversionJob.h"

#include "platform/FileOps.h"
#include "settings/SettingsRules.h"
#include "text/LineReader.h"
#include "text/PriceLines.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace tavrix {
namespace {
bool AllDigits(const std::string& text)
{
    return text.find_first_not_of("0123456789") == std::string::npos;
}

PriceLineRules RulesOf(const ConversionSettings& settings, int dateFormat)
{
    PriceLineRules rules;
    switch (settings.m_nDelimiter)
    {
    case DelimiterChoice::kTab:
        rules.delimiters = "\t";
        break;
    case DelimiterChoice::kSpace:
        rules.delimiters = " ";
        break;
    case DelimiterChoice::kSemicolon:
        rules.delimiters = ";";
        break;
    case DelimiterChoice::kPipe:
        rules.delimiters = "|";
        break;
    default:
        rules.delimiters = ",";
    }
    for (int field = 0; field < kFieldCount; ++field)
    {
        const FieldColumn& column = settings.m_fields[field];
        rules.fieldOn[field] = column.on || field == kFieldDate || field == kFieldClose;
        rules.fieldCol[field] =
            column.column >= rules::kMinColumn && column.column <= rules::kMaxColumn ? column.column - 1 : 0;
    }
    rules.dateFormat = dateFormat;
    rules.skipRows = settings.m_bSkipOn ? settings.m_nSkipRows : 0;
    return rules;
}
} // namespace

int ConversionJob::ReadInput()
{
    m_rows.clear();
    const bool standardInput = m_strInputPath == "-";
    platform::FilePtr opened;
    if (!standardInput)
    {
        opened = platform::OpenFile(m_strInputPath, "rb");
        if (!opened)
            return Fail(FileError("Cannot read the input file", m_strInputPath));
    }
    std::FILE* input = standardInput ? stdin : opened.get();
    struct stat st
    {
    };
    if (::fstat(::fileno(input), &st) != 0 || S_ISDIR(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return Fail(FileError("The input is not a file", m_strInputPath, ""));
    LineReader reader(input, PriceLineReader::kMaxRowLength + 1);
    char row[PriceLineReader::kMaxRowLength + 2];
    std::size_t length = 0;
    while (reader.ReadRow(row, &length))
        m_rows.push_back({std::string(row, std::min(length, PriceLineReader::kMaxRowLength + 1)), length});
    if (reader.Failed())
        return Fail(FileError("Cannot read the input file", m_strInputPath));
    return 0;
}

int ConversionJob::ReadPriceLines(std::unique_ptr<PriceLineReader>* lines)
{
    const auto readRows = [this](const PriceLineRules& rules) {
        auto reader = std::make_unique<PriceLineReader>(rules);
        for (const InputRow& row : m_rows)
            reader->AddRow(row.text.c_str(), row.length);
        return reader;
    };
    PriceLineRules rules = RulesOf(m_settings, m_nDateFormat);
    if (m_nDateFormat != kAutoDateFormat)
        *lines = readRows(rules);
    else
    {
        // The layout under which every date reads and the dates run one way is the file's.
        std::vector<int> candidates;
        for (int code = 1; code <= kDateFormatCount; ++code)
        {
            rules.dateFormat = code;
            auto trial = readRows(rules);
            if (!trial->Lines().empty() && trial->Report().badDates == 0 && trial->Report().outOfOrder == 0)
                candidates.push_back(code);
            if (!*lines && trial->SawDataRow())
                *lines = std::move(trial); // kept for the example row of the messages below
        }
        if (candidates.size() != 1)
        {
            std::string names;
            for (const int code : candidates)
                names += std::string(names.empty() ? "" : ", ") + DateFormatName(code);
            JobError error;
            error.what = candidates.empty()
                             ? "No date layout reads every date of the input in order."
                             : "The date layout cannot be told from the input: " + names + " each read every date.";
            error.reason = *lines ? "For example, line " + std::to_string((*lines)->FirstDataLine()) + ": " +
                                        (*lines)->FirstDataRow()
                                  : "No row holds a price line.";
            if (!candidates.empty())
            {
                error.desktopAdvice = "Choose one as the Date Format.";
                error.commandLineAdvice = "Choose one with --date-format.";
            }
            return Fail(error);
        }
        m_nDateFormat = candidates.front();
        rules.dateFormat = m_nDateFormat;
        *lines = readRows(rules);
    }

    // The layout check looks at the first row that is a price line but for its date.
    if ((*lines)->SawDataRow())
    {
        const bool digitsOnly = AllDigits((*lines)->FirstDateText());
        JobError error;
        if (!digitsOnly && m_nDateFormat >= kFirstNumericDateFormat)
            error.what = msg::kNumericDateFormat;
        if (digitsOnly && m_nDateFormat < kFirstNumericDateFormat)
            error.what = msg::kSeparatedDateFormat;
        if (error.Failed())
            return Fail(error);
    }
    m_leftOut = (*lines)->Report();
    if ((*lines)->Lines().empty())
    {
        JobError error;
        error.what = "No price lines in";
        error.path = m_strInputPath;
        error.reason = m_leftOut.leftOut == 0 ? "It holds no data rows." : m_leftOut.Text();
        return Fail(error);
    }
    return 0;
}

int ConversionJob::AcceptLeftOutRows(std::size_t kept)
{
    if (m_leftOut.leftOut == 0)
        return 0;
    JobError refused;
    refused.what = m_leftOut.Text();
    if (m_nLeftOutPolicy == kRefuseLeftOut)
        return Fail(refused);
    refused.declined = m_nLeftOutPolicy == kAskAboutLeftOut;
    if (m_nLeftOutPolicy == kAskAboutLeftOut && !(m_askConvertOthers && m_askConvertOthers(m_leftOut, kept)))
        return Fail(refused);
    return 0;
}

int ConversionJob::ConvertInput()
{
    if (m_nFileNumber == 0)
        return 1; // no security was added: there is nothing to write
    std::unique_ptr<PriceLineReader> lines;
    if (ReadPriceLines(&lines) || AcceptLeftOutRows(lines->Lines().size()))
        return 1;
    return WriteSecurity(lines->Lines());
}
} // namespace tavrix
