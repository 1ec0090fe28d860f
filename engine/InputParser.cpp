#include "engine/ConversionJob.h"

#include "engine/EngineMessages.h"
#include "engine/LineReader.h"
#include "engine/NumberText.h"
#include "marketdata/Dates.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"

#include <cstring>

namespace tavrix
{
namespace
{
constexpr int kColumnSlots = 20;
constexpr std::size_t kPieceLength = 299;

// Splits at any of the delimiter characters; empty runs give no column. Slots past the last
// token keep what an earlier line left there.
int SplitColumns(char* line, const char* delimiters, std::string (&slots)[kColumnSlots])
{
    int count = 0;
    char* p = line;
    while (*p && count < kColumnSlots)
    {
        p += std::strspn(p, delimiters);
        if (!*p)
            break;
        const std::size_t length = std::strcspn(p, delimiters);
        slots[count++].assign(p, length);
        p += length;
    }
    return count;
}

bool AllDigits(const std::string& text)
{
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int ValidColumn(int column)
{
    return (column >= 0 && column < kColumnSlots) ? column : 0;
}
} // namespace

int ConversionJob::ConvertInput()
{
    const std::uint8_t fileNumber = m_nFileNumber;
    if (fileNumber == 0)
        return 1; // no security was added: there is no price file to write to
    platform::FilePtr input = platform::OpenFile(m_strInputPath, "rb");
    if (!input)
    {
        platform::AfxMessageBox(FileErrorMessage("Cannot read the input file", m_strInputPath), platform::MB_OK);
        return 1;
    }
    const std::string dataPath = PriceFilePath(fileNumber, ".DAT");
    if (!OpenPriceFileForAppend(dataPath))
    {
        platform::AfxMessageBox(FileErrorMessage("Cannot open the price file", dataPath), platform::MB_OK);
        return 1;
    }

    std::string slots[kColumnSlots];
    for (auto& slot : slots)
        slot = "123";
    LineReader reader(input.get(), kPieceLength);
    char line[kPieceLength + 2];
    std::size_t length = 0;
    for (int row = 0; m_bSkipOn && row < m_nSkipRows; ++row)
        if (!reader.ReadPiece(line, &length))
            break; // fewer lines than rows to skip: nothing to convert, no error

    const char* delimiters = m_szDelimiter[0] ? m_szDelimiter : ",";
    MbfBytes firstDate = m_conversionDay;
    MbfBytes lastDate = m_conversionDay;
    bool mismatch = false;
    bool failed = false;
    m_nLineCount = 0;
    while (reader.ReadPiece(line, &length))
    {
        if (length > 0 && line[length - 1] == '\n')
            line[--length] = '\0';
        if (SplitColumns(line, delimiters, slots) == 0)
            continue;
        if (m_nLineCount == kMaxPriceRecords)
        {
            platform::AfxMessageBox(msg::kTooManyLines, platform::MB_OK);
            failed = true;
            break;
        }

        const std::string& dateText = slots[ValidColumn(m_nFieldCol[kFieldDate])];
        m_fValues[kFieldDate] =
            DayToDateValue(ParseDateText(dateText.c_str(), static_cast<std::int16_t>(m_nDateFormat)));
        if (m_nLineCount == 0)
        {
            const bool digitsOnly = AllDigits(dateText);
            if (!digitsOnly && m_nDateFormat >= kFirstNumericDateFormat)
            {
                platform::AfxMessageBox(msg::kNumericDateFormat, platform::MB_OK);
                mismatch = true;
            }
            else if (digitsOnly && m_nDateFormat < kFirstNumericDateFormat)
            {
                platform::AfxMessageBox(msg::kSeparatedDateFormat, platform::MB_OK);
                mismatch = true;
            }
        }
        for (int field = kFieldOpen; field < kFieldCount; ++field)
        {
            const float value =
                m_bFieldOn[field] ? ReadPriceNumber(slots[ValidColumn(m_nFieldCol[field])].c_str()) : 0.0f;
            m_fValues[field] = ToMbf(value);
        }

        const std::vector<std::uint8_t> record = BuildPriceRecord(m_fValues, m_bFieldOn);
        if (!AppendPriceRecord(dataPath, record.data(), record.size()))
        {
            platform::AfxMessageBox(FileErrorMessage("Cannot add a price record to", dataPath), platform::MB_OK);
            failed = true;
            break;
        }
        // The dates follow the records on disk, so MASTER never names a record that is not there.
        if (m_nLineCount == 0)
            firstDate = m_fValues[kFieldDate];
        lastDate = m_fValues[kFieldDate];
        ++m_nLineCount;
    }
    if (reader.Failed())
    {
        platform::AfxMessageBox(FileErrorMessage("Cannot read the input file", m_strInputPath), platform::MB_OK);
        failed = true;
    }
    input.reset();
    ClosePriceFile();

    // The finishing updates run whatever stopped the loop, so MASTER and the price file agree on
    // what was converted.
    const int datesResult = UpdateMasterDates(firstDate, lastDate, fileNumber);
    const int headerResult = UpdatePriceFileHeader(static_cast<std::uint16_t>(m_nLineCount), fileNumber);
    return (datesResult || headerResult || mismatch || failed) ? 1 : 0;
}
} // namespace tavrix
