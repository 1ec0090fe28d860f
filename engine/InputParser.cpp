#include "engine/ConversionJob.h"

#include "engine/EngineMessages.h"
#include "engine/LineReader.h"
#include "engine/NumberText.h"
#include "marketdata/Dates.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"

#include <cstring>

namespace tavrix {
namespace {
constexpr int kColumnSlots = 20;
constexpr std::size_t kPieceLength = 299;

// A column's text; it outlives the line it came from, since a shorter line keeps it.
struct Slot
{
    char text[kPieceLength + 1];
    std::size_t length;

    void Assign(const char* from, std::size_t size)
    {
        std::memcpy(text, from, size);
        text[size] = '\0';
        length = size;
    }
};

// Splits at any of the delimiter characters; empty runs give no column. Slots past the last
// token keep what an earlier line left there.
int SplitColumns(const char* line, std::size_t length, char delimiter, Slot (&slots)[kColumnSlots])
{
    int count = 0;
    const char* p = line;
    const char* end = line + length;
    while (p < end && count < kColumnSlots)
    {
        while (p < end && *p == delimiter)
            ++p;
        if (p == end)
            break;
        const char* stop = p;
        while (stop < end && *stop != delimiter)
            ++stop;
        slots[count++].Assign(p, static_cast<std::size_t>(stop - p));
        p = stop;
    }
    return count;
}

int SplitColumns(char* line, const char* delimiters, Slot (&slots)[kColumnSlots])
{
    int count = 0;
    char* p = line;
    while (*p && count < kColumnSlots)
    {
        p += std::strspn(p, delimiters);
        if (!*p)
            break;
        const std::size_t length = std::strcspn(p, delimiters);
        slots[count++].Assign(p, length);
        p += length;
    }
    return count;
}

bool AllDigits(const Slot& slot)
{
    for (std::size_t i = 0; i < slot.length; ++i)
        if (slot.text[i] < '0' || slot.text[i] > '9')
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

    Slot slots[kColumnSlots];
    for (auto& slot : slots)
        slot.Assign("123", 3);
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
        // A zero byte ends the text of a line, as it would for any C string.
        length = std::strlen(line);
        const int columns = delimiters[1] == '\0' ? SplitColumns(line, length, delimiters[0], slots)
                                                  : SplitColumns(line, delimiters, slots);
        if (columns == 0)
            continue;
        if (m_nLineCount == kMaxPriceRecords)
        {
            platform::AfxMessageBox(msg::kTooManyLines, platform::MB_OK);
            failed = true;
            break;
        }

        const Slot& dateText = slots[ValidColumn(m_nFieldCol[kFieldDate])];
        m_fValues[kFieldDate] = DayToDateValue(ParseDateText(dateText.text, static_cast<std::int16_t>(m_nDateFormat)));
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
            const Slot& slot = slots[ValidColumn(m_nFieldCol[field])];
            const float value = m_bFieldOn[field] ? ReadPriceNumber(slot.text, slot.length) : 0.0f;
            m_fValues[field] = ToMbf(value);
        }

        std::uint8_t record[kFieldCount * kPriceFieldSize];
        const std::size_t recordSize = BuildPriceRecord(m_fValues, m_bFieldOn, record);
        if (!AppendPriceRecord(dataPath, record, recordSize))
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
