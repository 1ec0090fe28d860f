#include "engine/ConversionJob.h"

#include "engine/MarketConversion.h"
#include "platform/FileOps.h"
#include "settings/ReadingChoices.h"

#include <sys/stat.h>

namespace tavrix {
namespace {
bool AllDigits(const std::string& text)
{
    return text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

int ConversionJob::ReadInput()
{
    m_input = {};
    m_lines.reset();
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
    m_input = ReadInputText(input);
    if (m_input.Failed())
        return Fail(FileError("Cannot read the input file", m_strInputPath));

    const bool layoutGiven = m_nDateFormat != kAutoDateFormat && !m_bFileSaysFirst;
    const GivenReading given = GivenReadingOf(m_settings, m_nDateFormat);
    m_reading = Detect(m_input, m_bFileSaysFirst ? FileSaysFirst(given) : given);
    if (!m_reading.error.empty())
        return Fail(UnreadableInput(m_strInputPath, m_reading));
    if (IsMarketFile(m_reading))
    {
        JobError error;
        error.what =
            "The input holds many securities, named in column " + std::to_string(m_reading.tickerColumn + 1) + ":";
        error.path = m_strInputPath;
        error.commandLineAdvice = "Convert it on its own, without --symbol: each ticker becomes its own security.";
        error.desktopAdvice = "Each ticker becomes its own security when the file is opened on its own.";
        return Fail(error);
    }
    m_nDateFormat = m_reading.rules.dateFormat;
    m_fields.clear();
    for (int field = 0; field < kFieldCount; ++field)
        if (m_reading.rules.column[field] >= 0)
            m_fields.push_back(static_cast<Field>(field));
    m_lines = std::make_unique<PriceLineReader>(m_reading.rules);
    m_lines->AddRows(m_input);

    // With a layout the user chose, the first row that is a price line but for its date says
    // whether the layout is of the right kind.
    if (layoutGiven && m_lines->SawDataRow())
    {
        const bool digitsOnly = AllDigits(m_lines->FirstDateText());
        JobError error;
        if (!digitsOnly && m_nDateFormat >= kFirstNumericDateFormat)
            error.what = msg::kNumericDateFormat;
        if (digitsOnly && m_nDateFormat < kFirstNumericDateFormat)
            error.what = msg::kSeparatedDateFormat;
        if (error.Failed())
            return Fail(error);
    }
    m_leftOut = m_lines->Report();
    if (m_lines->Lines().empty())
    {
        JobError error;
        error.what = "No price lines in";
        error.path = m_strInputPath;
        error.reason = m_leftOut.leftOut == 0 ? "It holds no data rows." : m_leftOut.Text();
        if (!m_reading.description.empty())
            error.reason += "\n" + m_reading.description;
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

} // namespace tavrix
