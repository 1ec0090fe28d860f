#include "engine/ConversionJob.h"

#include "engine/EngineMessages.h"
#include "text/LineReader.h"
#include "text/PriceLines.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"

#include <cstring>
#include <sys/stat.h>

namespace tavrix {
namespace {
bool AllDigits(const std::string& text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

struct Row
{
    std::string text; // the first characters, as the reader keeps them
    std::size_t length;
};

std::unique_ptr<PriceLineReader> ReadRows(const PriceLineRules& rules, const std::vector<Row>& rows)
{
    auto reader = std::make_unique<PriceLineReader>(rules);
    for (const Row& row : rows)
        reader->AddRow(row.text.c_str(), row.length);
    return reader;
}
} // namespace

int ConversionJob::ReadPriceLines(std::unique_ptr<PriceLineReader>* lines)
{
    const bool standardInput = m_strInputPath == "-";
    platform::FilePtr opened;
    if (!standardInput)
    {
        opened = platform::OpenFile(m_strInputPath, "rb");
        if (!opened)
            return Fail(FileErrorMessage("Cannot read the input file", m_strInputPath));
    }
    std::FILE* input = standardInput ? stdin : opened.get();
    struct stat st
    {
    };
    if (::fstat(::fileno(input), &st) != 0 || S_ISDIR(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return Fail("The input is not a file\n" + m_strInputPath);

    PriceLineRules rules;
    rules.delimiter = m_szDelimiter[0] == '\t'  ? Delimiter::kTab
                      : m_szDelimiter[0] == ' ' ? Delimiter::kSpace
                                                : Delimiter::kComma;
    for (int field = 0; field < kFieldCount; ++field)
        rules.column[field] =
            m_bFieldOn[field] ? (m_nFieldCol[field] < 0 || m_nFieldCol[field] >= 20 ? 0 : m_nFieldCol[field]) : -1;
    rules.dateFormat = m_nDateFormat;
    rules.skipRows = m_bSkipOn ? m_nSkipRows : 0;

    LineReader rowReader(input, PriceLineReader::kMaxRowLength + 1);
    char row[PriceLineReader::kMaxRowLength + 2];
    std::size_t length = 0;
    if (m_nDateFormat != kAutoDateFormat)
    {
        *lines = std::make_unique<PriceLineReader>(rules);
        while (rowReader.ReadRow(row, &length))
            (*lines)->AddRow(row, length);
    }
    else
    {
        std::vector<Row> rows;
        while (rowReader.ReadRow(row, &length))
            rows.push_back({row, length});
        // The layout under which every date reads and the dates run one way is the file's.
        std::vector<int> candidates;
        for (int code = 1; code <= kDateFormatCount; ++code)
        {
            rules.dateFormat = code;
            auto trial = ReadRows(rules, rows);
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
            const std::string example = *lines ? "\nFor example, line " + std::to_string((*lines)->FirstDataLine()) +
                                                     ": " + (*lines)->FirstDataRow()
                                               : "\nNo row holds a price line.";
            return Fail(candidates.empty()
                            ? "No date layout reads every date of the input in order." + example
                            : "The date layout cannot be told from the input: " + names + " each read every date." +
                                  example + "\nChoose one with --date-format.");
        }
        m_nDateFormat = candidates.front();
        rules.dateFormat = m_nDateFormat;
        *lines = ReadRows(rules, rows);
    }
    if (rowReader.Failed())
        return Fail(FileErrorMessage("Cannot read the input file", m_strInputPath));

    // The layout check looks at the first row that is a price line but for its date.
    if ((*lines)->SawDataRow())
    {
        const bool digitsOnly = AllDigits((*lines)->FirstDateText());
        if (!digitsOnly && m_nDateFormat >= kFirstNumericDateFormat)
            return Fail(msg::kNumericDateFormat);
        if (digitsOnly && m_nDateFormat < kFirstNumericDateFormat)
            return Fail(msg::kSeparatedDateFormat);
    }
    m_strLeftOutReport = (*lines)->Report().Text();
    if ((*lines)->Lines().empty())
        return Fail("No price lines in\n" + m_strInputPath +
                    (m_strLeftOutReport.empty() ? std::string("\nIt holds no data rows.") : "\n" + m_strLeftOutReport));
    return 0;
}

int ConversionJob::AcceptLeftOutRows(std::size_t kept)
{
    if (m_strLeftOutReport.empty())
        return 0;
    if (m_nLeftOutPolicy == kRefuseLeftOut)
        return Fail(m_strLeftOutReport);
    if (m_nLeftOutPolicy == kAskAboutLeftOut &&
        platform::AfxMessageBox(m_strLeftOutReport + "\n\nConvert the other " + std::to_string(kept) +
                                    (kept == 1 ? " row?" : " rows?"),
                                platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
    {
        m_strFailure = m_strLeftOutReport;
        return 1;
    }
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
