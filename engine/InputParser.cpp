#include "engine/ConversionJob.h"

#include "engine/EngineMessages.h"
#include "engine/LineReader.h"
#include "engine/PriceLines.h"
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
} // namespace

int ConversionJob::ConvertInput()
{
    if (m_nFileNumber == 0)
        return 1; // no security was added: there is nothing to write
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
    rules.delimiters = m_szDelimiter[0] ? m_szDelimiter : ",";
    rules.fieldOn = m_bFieldOn;
    rules.fieldCol = m_nFieldCol;
    for (int& column : rules.fieldCol)
        if (column < 0 || column >= 20)
            column = 0;
    rules.dateFormat = m_nDateFormat;
    rules.skipRows = m_bSkipOn ? m_nSkipRows : 0;
    PriceLineReader reader(rules);
    LineReader rows(input, PriceLineReader::kMaxRowLength + 1);
    char row[PriceLineReader::kMaxRowLength + 2];
    std::size_t length = 0;
    while (rows.ReadRow(row, &length))
        reader.AddRow(row, length);
    if (rows.Failed())
        return Fail(FileErrorMessage("Cannot read the input file", m_strInputPath));
    reader.Finish();

    // The layout check looks at the first row that is a price line but for its date.
    if (reader.SawDataRow())
    {
        const bool digitsOnly = AllDigits(reader.FirstDateText());
        if (!digitsOnly && m_nDateFormat >= kFirstNumericDateFormat)
            return Fail(msg::kNumericDateFormat);
        if (digitsOnly && m_nDateFormat < kFirstNumericDateFormat)
            return Fail(msg::kSeparatedDateFormat);
    }

    const PriceLineReport& report = reader.Report();
    m_strLeftOutReport = report.Text();
    if (reader.Lines().empty())
        return Fail("No price lines in\n" + m_strInputPath +
                    (m_strLeftOutReport.empty() ? std::string("\nIt holds no data rows.") : "\n" + m_strLeftOutReport));
    if (report.leftOut > 0)
    {
        const std::size_t kept = reader.Lines().size();
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
    }
    return WriteSecurity(reader.Lines());
}
} // namespace tavrix
